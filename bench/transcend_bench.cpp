// Timings of the constant set and the transcendental functions of arith at
// P = 33 and P = 65 (radix 10, precision settings 32 and 64). The matching
// bc -l timings come from bench/bc_compare.sh.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "arith/bignum.h"
#include "arith/constants.h"
#include "arith/exp_log.h"
#include "arith/inverse_trig.h"
#include "arith/power.h"
#include "arith/rational.h"
#include "arith/rounded.h"
#include "arith/settings.h"

namespace {

// num / den as a Rational.
Rational Fraction(int32_t num, int32_t den) {
  Rational r = RatFromInt(num);
  RatDiv(r, RatFromInt(den));
  return r;
}

// The computed path: a request above ConstantsMark. The mark only grows, so
// it is put back below the request before every rebuild.
void BM_SetRadixAndPrecisionComputed(benchmark::State& state) {
  const int32_t precision = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    ConstantsMark = 2880;
    SetRadixAndPrecision(10, precision);
  }
  ConstantsMark = 2880;
  SetRadixAndPrecision(10, 33);
}
BENCHMARK(BM_SetRadixAndPrecisionComputed)->Arg(33)->Arg(65)->Unit(benchmark::kMicrosecond);

void BM_SetRadixAndPrecisionLoaded(benchmark::State& state) {
  for (auto _ : state) SetRadixAndPrecision(16, 9);
  SetRadixAndPrecision(10, 33);
}
BENCHMARK(BM_SetRadixAndPrecisionLoaded)->Unit(benchmark::kMicrosecond);

// Runs op on a fresh copy of `arg` per iteration at precision state.range(0).
template <typename Op>
void RunUnary(benchmark::State& state, const Rational& arg, Op op) {
  SetRadixAndPrecision(10, static_cast<int32_t>(state.range(0)));
  for (auto _ : state) {
    Rational x = CopyRational(arg);
    op(x);
    benchmark::DoNotOptimize(x.num.get());
  }
  SetRadixAndPrecision(10, 33);
}

void BM_Exponential(benchmark::State& state) {
  RunUnary(state, Fraction(12345, 10000), Exponential);
}
void BM_NaturalLog(benchmark::State& state) {
  RunUnary(state, Fraction(12345, 10000), NaturalLog);
}
void BM_CommonLog(benchmark::State& state) { RunUnary(state, RatFromInt(1000), CommonLog); }
void BM_Power(benchmark::State& state) {
  const Rational y = Fraction(7, 10);
  RunUnary(state, Fraction(25, 10), [&](Rational& x) { Power(x, y); });
}
void BM_Root(benchmark::State& state) {
  const Rational y = RatFromInt(3);
  RunUnary(state, RatFromInt(27), [&](Rational& x) { Root(x, y); });
}
void BM_ArcSine(benchmark::State& state) { RunUnary(state, Fraction(1, 2), ArcSine); }
void BM_ArcTangent(benchmark::State& state) { RunUnary(state, RatFromInt(3), ArcTangent); }

// Keys on a long unreduced fraction, (m 3^k + 1) / 3^k (about k / 20 words
// each side; exact integer work such as factorials leaves such values):
// only the quotient's top words matter for ln, and sin reduces by whole
// turns.
Rational LongFraction(int32_t k, int32_t times) {
  BigPtr power = BigNumFromInt(3, kInternalBase);
  BigNumPowInternal(power, k);
  Rational x;
  x.num = BigNumProductInternal(*power, *BigNumFromInt(times, kInternalBase));
  BigNumAdd(x.num, *BigNumFromInt(1, kInternalBase), kInternalBase);
  x.den = std::move(power);
  return x;
}
void BM_NaturalLogOfLongFraction(benchmark::State& state) {
  RunUnary(state, LongFraction(40000, 2),
           [](Rational& x) { EvaluateRounded(x, FnNaturalLog); });
}
void BM_SineOfLongFraction(benchmark::State& state) {
  RunUnary(state, LongFraction(40000, 1000000),
           [](Rational& x) { EvaluateRounded(x, FnSine); });
}

BENCHMARK(BM_Exponential)->Arg(33)->Arg(65)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NaturalLog)->Arg(33)->Arg(65)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CommonLog)->Arg(33)->Arg(65)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Power)->Arg(33)->Arg(65)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Root)->Arg(33)->Arg(65)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ArcSine)->Arg(33)->Arg(65)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ArcTangent)->Arg(33)->Arg(65)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NaturalLogOfLongFraction)->Arg(33)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SineOfLongFraction)->Arg(33)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
