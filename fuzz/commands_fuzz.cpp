// Fuzz target: command sequences.
//
// Input: byte 0 picks the layout (bit 0); byte 1 the precision option
// (0 to 64; larger values count as 64, as the command line has it); byte 2
// the radix option (clamped to 2..16); byte 3 the word-size option from a
// table of ordinary and absurd values. Each further byte is one command:
// below 0xF0 an entry of a table of every known command and some unknown
// ones; 0xF0 to 0xFE: the user aborts the next command at poll
// (byte - 0xF0) * 8; 0xFF: the next four bytes, little-endian, are the
// command id itself.
#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/commands.h"
#include "fuzz/fuzz_engine.h"

namespace {

constexpr std::array<int32_t, 16> kWordBitsOptions = {
    32, 16, 8, 64, 0, 1, 2, 3, 7, 12, 31, 33, 65, 100, 1000, 2147483647};

constexpr std::array<CommandId, 10> kUnknownIds = {
    0, 7, 79, 149, 299, 306, 401, 402, 403, 0xFFFFFFFFu};

// Every known command, then the unknown ones.
constexpr size_t kKnownCount = (148 - 80 + 1) + 6;
constexpr size_t kTableSize = kKnownCount + kUnknownIds.size();

CommandId CommandFromTable(size_t index) {
  index %= kTableSize;
  if (index <= 148 - 80) return static_cast<CommandId>(80 + index);
  if (index < kKnownCount) return static_cast<CommandId>(300 + index - (148 - 80 + 1));
  return kUnknownIds[index - kKnownCount];
}

}  // namespace

int FuzzCommands(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const int32_t layout = data[0] & 1;
  const int32_t precision = data[1] > 64 ? 64 : data[1];
  const int32_t radix = data[2] < 2 ? 2 : (data[2] > 16 ? 16 : data[2]);
  const int32_t wordBits = kWordBitsOptions[data[3] % kWordBitsOptions.size()];
  fuzzAbortPlan = FuzzAbortPlan{};
  FuzzStartEngine(layout, precision, radix, wordBits);

  for (size_t i = 4; i < size; ++i) {
    const uint8_t b = data[i];
    CommandId id;
    if (b < 0xF0) {
      id = CommandFromTable(b);
    } else if (b < 0xFF) {
      fuzzAbortPlan.command = FuzzCommandCount();
      fuzzAbortPlan.poll = int64_t{b - 0xF0} * 8;
      continue;
    } else {
      if (size - i < 5) break;
      id = static_cast<CommandId>(data[i + 1]) | static_cast<CommandId>(data[i + 2]) << 8 |
           static_cast<CommandId>(data[i + 3]) << 16 | static_cast<CommandId>(data[i + 4]) << 24;
      i += 4;
    }
    FuzzRunCommand(id);
  }
  FuzzStopEngine();
  return 0;
}

#ifndef QUIB_FUZZ_REPLAY
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzCommands(data, size);
}
#endif
