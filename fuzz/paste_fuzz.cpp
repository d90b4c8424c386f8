// Fuzz target: pasted text.
//
// Input: byte 0 picks the layout (bit 0) and the precision option (bits 1
// and 2); byte 1 is the command during which the user aborts (255: none) and
// byte 2 the poll of that command that sees the abort. The rest is clipboard
// text; each run of it up to a zero byte is pasted with the Paste command,
// the runs one after the other in the same calculator, so that a paste can
// follow one that an error or an abort ended.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/clipboard.h"
#include "engine/commands.h"
#include "engine/headless/headless_window.h"
#include "engine/state.h"
#include "fuzz/fuzz_engine.h"

namespace {

constexpr int32_t kPrecisions[4] = {32, 64, 1, 12};

}  // namespace

int FuzzPaste(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const int32_t layout = data[0] & 1;
  const int32_t precision = kPrecisions[(data[0] >> 1) & 3];
  fuzzAbortPlan.command = data[1] == 255 ? -1 : data[1];
  fuzzAbortPlan.poll = data[2];
  FuzzStartEngine(layout, precision, 10, 32);

  size_t begin = 3;
  while (begin < size) {
    size_t end = begin;
    while (end < size && data[end] != 0) ++end;
    headless.clipboard.assign(reinterpret_cast<const char*>(data) + begin, end - begin);
    FuzzRunCommand(CmdPaste);
    begin = end + 1;
  }
  FuzzStopEngine();
  return 0;
}

#ifndef QUIB_FUZZ_REPLAY
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzPaste(data, size);
}
#endif
