// Engine benchmarks: key replay through ExecuteCommand and the display
// refresh, with the headless window.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "arith/constants.h"
#include "arith/rational.h"
#include "arith/settings.h"
#include "engine/clipboard.h"
#include "engine/dispatch.h"
#include "engine/display.h"
#include "engine/headless/headless_window.h"
#include "engine/state.h"
#include "numtext/settings.h"

namespace {

void StartEngine(int32_t precision) {
  settings.precision = precision;
  settings.radix = 10;
  settings.wordBits = 32;
  SetDecimalSeparator(".");
  HeadlessResetWindow();
  headless.recordCalls = false;
  StartupReset();
  HeadlessApplyLayout(kLayoutScientific);
}

// 1000 keys of mixed arithmetic: entries with points, the four operators,
// precedence, parentheses, repeated "=", and C between expressions.
std::vector<CommandId> MixedKeys() {
  const std::string pattern =
      "123.45+678*(9-2)/3=Q7.25*4-1.5==Q98765.4321/12.5+(3.75*8)=Q"
      "2Y10-1000=Q(1+2)*(3+4)*(5+6)=Q";
  std::vector<CommandId> ids;
  while (ids.size() < 1000) {
    for (char c : pattern) {
      if (ids.size() == 1000) break;
      ids.push_back(PasteCommandFor(static_cast<unsigned char>(c)));
    }
  }
  return ids;
}

void BM_ExecuteCommandReplay(benchmark::State& state) {
  StartEngine(static_cast<int32_t>(state.range(0)));
  const std::vector<CommandId> keys = MixedKeys();
  for (auto _ : state) {
    for (CommandId id : keys) ExecuteCommand(id);
    benchmark::DoNotOptimize(engineState.displayText.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(keys.size()));
  state.SetLabel("items = commands");
}
BENCHMARK(BM_ExecuteCommandReplay)->Arg(32)->Arg(64)->Unit(benchmark::kMicrosecond);

// RefreshDisplay of pi times 10^9 (33 significant digits at the default
// precision, long components as results of the series have), rendered every
// time: the cache is cleared and, in radix 16, the value the refresh reduced
// to a word is put back.
void BM_RefreshDisplay(benchmark::State& state) {
  StartEngine(32);
  const int32_t radixButton = static_cast<int32_t>(state.range(0));
  ExecuteCommand(static_cast<CommandId>(radixButton));
  Rational value = CopyRational(Pi);
  RatMul(value, RatFromInt(1000000000));
  for (auto _ : state) {
    engineState.currentValue = CopyRational(value);
    displayCache.value.reset();
    RefreshDisplay();
    benchmark::DoNotOptimize(engineState.displayText.data());
  }
  state.SetLabel(engineState.displayText);
}
BENCHMARK(BM_RefreshDisplay)->Arg(CmdDec)->Arg(CmdHex)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
