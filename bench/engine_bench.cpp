// Engine benchmarks: key replay through ExecuteCommand, the display refresh,
// every function key and the statistics of a large store, with the headless
// window.
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
#include "engine/statistics.h"
#include "numtext/settings.h"

namespace {

void StartEngine(int32_t precision) {
  HeadlessResetWindow();
  headless.recordCalls = false;
  ResetEngine(EngineStart{kLayoutScientific, precision, 10, 32});
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
    engineState.displayCache.value.reset();
    RefreshDisplay();
    benchmark::DoNotOptimize(engineState.displayText.data());
  }
  state.SetLabel(engineState.displayText);
}
BENCHMARK(BM_RefreshDisplay)->Arg(CmdDec)->Arg(CmdHex)->Unit(benchmark::kMicrosecond);

// Types text as a paste would and ends the entry (MS takes a copy, which
// nothing reads); returns the value typed.
Rational TypeValue(const std::string& text) {
  PasteText(text.data(), text.size(), ExecuteCommand);
  ExecuteCommand(CmdMemoryStore);
  return CopyRational(engineState.currentValue);
}

// One function key through ExecuteCommand: the argument is put back, the
// modifiers set, and the key pressed; its time includes the display refresh
// of the result.
struct UnaryRow {
  const char* name;
  CommandId key;
  bool inverse;
  bool hyperbolic;
  const char* argument;
  int32_t layout = kLayoutScientific;
};

const UnaryRow kUnaryRows[] = {
    {"Int", CmdInt, false, false, "-2.5"},
    {"Inv Int", CmdInt, true, false, "-2.5"},
    {"Not", CmdNot, false, false, "5"},
    {"sin", CmdSin, false, false, "30"},
    {"Inv sin", CmdSin, true, false, "0.5"},
    {"Hyp sin", CmdSin, false, true, "0.7"},
    {"Inv Hyp sin", CmdSin, true, true, "0.7"},
    {"cos", CmdCos, false, false, "30"},
    {"Inv cos", CmdCos, true, false, "0.5"},
    {"Hyp cos", CmdCos, false, true, "0.7"},
    {"Inv Hyp cos", CmdCos, true, true, "1.5"},
    {"tan", CmdTan, false, false, "30"},
    {"Inv tan", CmdTan, true, false, "0.7"},
    {"Hyp tan", CmdTan, false, true, "0.7"},
    {"Inv Hyp tan", CmdTan, true, true, "0.5"},
    {"ln", CmdLn, false, false, "2"},
    {"Inv ln", CmdLn, true, false, "2"},
    {"log", CmdLog, false, false, "2"},
    {"Inv log", CmdLog, true, false, "2.5"},
    {"x^2", CmdSquare, false, false, "1.7"},
    {"Inv x^2", CmdSquare, true, false, "2"},
    {"sqrt (standard)", CmdSqrt, false, false, "2", kLayoutStandard},
    {"x^3", CmdCube, false, false, "1.7"},
    {"Inv x^3", CmdCube, true, false, "2"},
    {"n! 20", CmdFactorial, false, false, "20"},
    {"n! 1000", CmdFactorial, false, false, "1000"},
    {"n! 4.5", CmdFactorial, false, false, "4.5"},
    {"1/x", CmdReciprocal, false, false, "7"},
    {"dms", CmdDms, false, false, "1.2345"},
    {"Inv dms", CmdDms, true, false, "1.14042"},
    {"percent", CmdPercent, false, false, "10"},
};

void BM_UnaryKey(benchmark::State& state, const UnaryRow& row, int32_t precision) {
  StartEngine(precision);
  if (row.layout != kLayoutScientific) HeadlessApplyLayout(row.layout);
  engineState.lastValue = RatFromInt(200);  // the left operand of percent
  const Rational argument = TypeValue(row.argument);
  for (auto _ : state) {
    engineState.currentValue = CopyRational(argument);
    engineState.inverse = row.inverse;
    engineState.hyperbolic = row.hyperbolic;
    ExecuteCommand(row.key);
    benchmark::DoNotOptimize(engineState.displayText.data());
  }
  state.SetLabel(engineState.errorLocked ? "error" : engineState.displayText.substr(0, 24));
}

// Ave, Sum (Inv: of squares) and s of 10,000 numbers 0.01 to 100.00, added
// with Dat; the time is one key press.
void BM_StatisticsKey(benchmark::State& state) {
  StartEngine(32);
  ExecuteCommand(CmdStatistics);
  for (int32_t i = 1; i <= 10000; ++i) {
    Rational value = RatFromInt(i);
    RatDiv(value, RatFromInt(100));
    engineState.currentValue = std::move(value);
    ExecuteCommand(CmdData);
  }
  const auto key = static_cast<CommandId>(state.range(0));
  const bool inverse = state.range(1) != 0;
  for (auto _ : state) {
    engineState.inverse = inverse;
    ExecuteCommand(key);
    benchmark::DoNotOptimize(engineState.displayText.data());
  }
  state.SetLabel(engineState.displayText);
  CloseStatisticsBox();
}
BENCHMARK(BM_StatisticsKey)
    ->Args({CmdSum, 0})
    ->Args({CmdSum, 1})
    ->Args({CmdAverage, 0})
    ->Args({CmdStdDev, 0})
    ->ArgNames({"key", "inv"})
    ->Unit(benchmark::kMillisecond);

const bool kUnaryRegistered = [] {
  for (int32_t precision : {32, 64}) {
    for (const UnaryRow& row : kUnaryRows) {
      const std::string name = std::string("BM_UnaryKey/") + row.name + "/P" +
                               std::to_string(precision);
      benchmark::RegisterBenchmark(name.c_str(), BM_UnaryKey, row, precision)
          ->Unit(benchmark::kMicrosecond);
    }
  }
  return true;
}();

}  // namespace

BENCHMARK_MAIN();
