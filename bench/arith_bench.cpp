// Big numbers and rationals: multiplication and division of word arrays, and
// the rational operations at the default and the highest precision.
#include <benchmark/benchmark.h>

#include <random>

#include "arith/bignum.h"
#include "arith/rational.h"
#include "arith/settings.h"
#include "arith/reference_divide.h"  // from tests/

namespace {

BigPtr RandomBig(std::mt19937& rng, int32_t words) {
  BigPtr x = AllocBigNum(words);
  for (int32_t i = 0; i < words; ++i) x->digits()[i] = rng() & kWordMask;
  if (x->digits()[words - 1] == 0) x->digits()[words - 1] = 1;
  x->count = words;
  x->sign = 1;
  return x;
}

void BM_BigNumMulInternal(benchmark::State& state) {
  std::mt19937 rng(1);
  const int32_t n = static_cast<int32_t>(state.range(0));
  BigPtr a = RandomBig(rng, n);
  BigPtr b = RandomBig(rng, n);
  for (auto _ : state) {
    BigPtr x = CopyBigNum(*a);
    BigNumMulInternal(x, *b);
    benchmark::DoNotOptimize(x.get());
  }
}
BENCHMARK(BM_BigNumMulInternal)->Arg(4)->Arg(8)->Arg(64);

// A 2n-word dividend over an n-word divisor with P + R = 42 words of
// quotient at the default precision (the common shape in the rationals).
template <bool kReference>
void DivideBench(benchmark::State& state) {
  std::mt19937 rng(2);
  const int32_t n = static_cast<int32_t>(state.range(0));
  WorkingPrecision = 33;
  DigitsPerWord = 9;
  BigPtr a = RandomBig(rng, 2 * n);
  BigPtr b = RandomBig(rng, n);
  for (auto _ : state) {
    if constexpr (kReference) {
      BigPtr q = ReferenceDivide(*a, *b);
      benchmark::DoNotOptimize(q.get());
    } else {
      BigPtr x = CopyBigNum(*a);
      BigNumDivInternal(x, *b);
      benchmark::DoNotOptimize(x.get());
    }
  }
}
void BM_BigNumDivInternal(benchmark::State& state) { DivideBench<false>(state); }
void BM_DoublingDivisionReference(benchmark::State& state) { DivideBench<true>(state); }
BENCHMARK(BM_BigNumDivInternal)->Arg(4)->Arg(8)->Arg(64);
BENCHMARK(BM_DoublingDivisionReference)->Arg(4)->Arg(8)->Arg(64);

// Fractions as the trimmed results of the calculator carry them: numerator
// and denominator of 5 words at P = 33, of 9 words at P = 65.
Rational RandomFraction(std::mt19937& rng, int32_t words) {
  Rational r;
  r.num = RandomBig(rng, words);
  r.den = RandomBig(rng, words);
  return r;
}

void SetPrecisionFor(int32_t words) {
  WorkingPrecision = words <= 5 ? 33 : 65;
  DigitsPerWord = 9;
}

// One rational operation on two typical fractions of `words` words each.
template <void (*kOperation)(Rational&, const Rational&)>
void RationalBench(benchmark::State& state, uint32_t seed) {
  std::mt19937 rng(seed);
  const int32_t words = static_cast<int32_t>(state.range(0));
  SetPrecisionFor(words);
  Rational a = RandomFraction(rng, words);
  Rational b = RandomFraction(rng, words);
  for (auto _ : state) {
    Rational x = CopyRational(a);
    kOperation(x, b);
    benchmark::DoNotOptimize(x.num.get());
  }
}
void BM_RatAdd(benchmark::State& state) { RationalBench<RatAdd>(state, 3); }
void BM_RatMul(benchmark::State& state) { RationalBench<RatMul>(state, 4); }
BENCHMARK(BM_RatAdd)->Arg(5)->Arg(9);
BENCHMARK(BM_RatMul)->Arg(5)->Arg(9);

}  // namespace

BENCHMARK_MAIN();
