// Fuzz target: the command line of the program.
//
// Input: a whole command line (program name first). It is parsed as the
// program parses its own; the options must come out within their ranges,
// and the engine must start with them and survive the keys that rebuild
// its constants (every radix, every word size) with its invariants intact.
// The same bytes are also read as the profile's layout setting.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/commands.h"
#include "engine/state.h"
#include "fuzz/fuzz_engine.h"
#include "shell/command_line.h"

int FuzzCommandLine(const uint8_t* data, size_t size) {
  // The command line is a C string: it ends at the first zero byte.
  const std::string line(reinterpret_cast<const char*>(data), size);
  CommandLineOptions options{32, 10, 32};
  ParseCommandLineText(line.c_str(), options);
  if (options.precision < 0 || options.precision > 64) {
    FuzzFail("precision option " + std::to_string(options.precision));
  }
  if (options.radix < 2 || options.radix > 16) {
    FuzzFail("radix option " + std::to_string(options.radix));
  }
  if (options.wordBits < 0) FuzzFail("word size option " + std::to_string(options.wordBits));

  int32_t value = -1;
  const char* end = ReadDecimal(line.c_str(), value);
  if (value < 0 || end < line.c_str() || end > line.c_str() + line.size()) {
    FuzzFail("ReadDecimal left its text");
  }
  const int32_t layout = ParseLayoutSetting(line.c_str());
  if (layout != 0 && layout != 1) FuzzFail("layout setting " + std::to_string(layout));

  fuzzAbortPlan = FuzzAbortPlan{};
  FuzzStartEngine(layout, options.precision, options.radix, options.wordBits);
  constexpr CommandId kKeys[] = {CmdBin,        CmdGradByte, CmdRadWord, CmdDegDword,
                                 CmdOct,        CmdHex,      CmdDigit0 + 1, CmdDigit0,
                                 CmdSign,       CmdDec,      CmdPi,      CmdEquals};
  for (CommandId id : kKeys) FuzzRunCommand(id);
  FuzzStopEngine();
  return 0;
}

#ifndef QUIB_FUZZ_REPLAY
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzCommandLine(data, size);
}
#endif
