// Text conversion costs: rendering results and committing typed entries.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "arith/constants.h"
#include "arith/radix_convert.h"
#include "arith/settings.h"
#include "numtext/entry.h"
#include "numtext/settings.h"
#include "numtext/to_text.h"

namespace {

void UseDecimal(int32_t precision) {
  settings.radix = 10;
  settings.precision = precision - 1;
  settings.wordBits = 32;
  UpdateMaxEntryDigits();
  SetRadixAndPrecision(10, precision);
}

// A quotient the way arithmetic leaves it: numerator and denominator trimmed
// to about the working precision (a little more than P digits each), here
// 22/7 times 10^-2 refined by a few exact steps until it is that long.
Rational TypicalValue() {
  Rational x = RatFromInt(22);
  RatDiv(x, RatFromInt(7));
  for (int i = 0; i < 6; ++i) {
    RatAdd(x, Rational{BigNumFromInt(1, kInternalBase), BigNumFromInt(1000003 + i, kInternalBase)});
    RatMul(x, x);
    RatDiv(x, RatFromInt(3));
  }
  return x;
}

void BM_RationalToText(benchmark::State& state) {
  const int32_t precision = static_cast<int32_t>(state.range(0));
  UseDecimal(precision);
  Rational x = TypicalValue();
  std::string text;
  for (auto _ : state) {
    text = RationalToText(x, 10, kDisplayAuto);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetLabel(std::to_string(text.size()) + " chars, " +
                 std::to_string(x.num->count) + "/" + std::to_string(x.den->count) +
                 " words");
  UseDecimal(33);
}
BENCHMARK(BM_RationalToText)->Arg(33)->Arg(65);

void BM_CommitEntry(benchmark::State& state) {
  UseDecimal(33);
  EntryBuffer entry;
  ResetEntry(entry);
  const std::string digits = "12345678901234567890123456789012";
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i == 16) AddDecimalPoint(entry);
    AddDigit(entry, digits[i] - '0');
  }
  Rational value = RatFromInt(0);
  for (auto _ : state) {
    CommitEntry(entry, value);
    benchmark::DoNotOptimize(value.num.get());
  }
}
BENCHMARK(BM_CommitEntry);

}  // namespace

BENCHMARK_MAIN();
