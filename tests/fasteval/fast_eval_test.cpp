// The fast evaluators against MPFR: relative error below 2^-bits over the
// whole argument range, tiny and huge magnitudes included.
#include "arith/fast_eval.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "arith/constants.h"
#include "arith/error.h"
#include "fasteval/mpfr_util.h"

namespace {

// m 2^e as an exact Rational, m a 62-bit odd-ish integer.
Rational Scaled(int64_t m, int64_t e) {
  Rational r;
  r.num = BigNumFromInt(static_cast<int32_t>(m >> 31), kInternalBase);
  BigPtr one = BigNumFromInt(1, kInternalBase);
  one->exp = 1;
  BigNumMulInternal(r.num, *one);
  BigNumAdd(r.num, *BigNumFromInt(static_cast<int32_t>(m & 0x7FFFFFFF), kInternalBase),
            kInternalBase);
  r.den = BigNumFromInt(1, kInternalBase);
  BigPtr p = BigNumFromInt(1, kInternalBase);
  const int64_t k = e < 0 ? -e : e;
  p->exp = static_cast<int32_t>(k / 31);
  p->digits()[0] = 1u << (k % 31);
  BigNumMulInternal(e < 0 ? r.den : r.num, *p);
  return r;
}

using Fast = std::function<Rational(const Rational&, int32_t)>;
using Ref = std::function<void(mpfr_t, const mpfr_t)>;

// Checks `count` arguments m 2^e with e drawn from [eLow, eHigh].
void Sweep(const char* name, const Fast& fast, const Ref& ref, int64_t eLow, int64_t eHigh,
           bool negative, int count) {
  std::mt19937_64 rng(42);
  for (int32_t bits : {60, 150, 260, 1000}) {
    for (int i = 0; i < count; ++i) {
      const int64_t m = static_cast<int64_t>(rng() >> 2) | 1;
      const int64_t e = eLow + static_cast<int64_t>(rng() % uint64_t(eHigh - eLow + 1)) - 62;
      Rational x = Scaled(m, e);
      if (negative && (rng() & 1)) x.num->sign = -1;
      mpfr_t mx, want;
      mpfr_init2(mx, 64);
      mpfr_init2(want, bits + 64);
      MpfrFromRational(mx, x);  // exact
      ref(want, mx);
      const Rational got = fast(x, bits);
      EXPECT_LT(Log2RelativeError(got, want, bits + 64), -bits)
          << name << " bits " << bits << " m " << m << " e " << e;
      mpfr_clear(mx);
      mpfr_clear(want);
    }
  }
}

TEST(FastExp, RelativeErrorBelowTheBitsAsked) {
  auto ref = [](mpfr_t y, const mpfr_t x) { mpfr_exp(y, x, MPFR_RNDN); };
  Sweep("exp", FastExp, ref, -200, 0, true, 40);   // tiny
  Sweep("exp", FastExp, ref, -3, 3, true, 60);     // ordinary
  Sweep("exp", FastExp, ref, 4, 16, true, 60);     // up to about 10^5
  EXPECT_TRUE(RatEqual(FastExp(RatFromInt(0), 100), RatFromInt(1)));
}

TEST(FastLn, RelativeErrorBelowTheBitsAsked) {
  auto ref = [](mpfr_t y, const mpfr_t x) { mpfr_log(y, x, MPFR_RNDN); };
  Sweep("ln", FastLn, ref, -3, 3, false, 60);
  Sweep("ln", FastLn, ref, -40000, 40000, false, 40);
  // Next to 1, where m - 1 cancels.
  for (int64_t k : {1, 30, 62, 200, 3000}) {
    for (int sign : {1, -1}) {
      Rational x = Scaled(1, -k);
      x.num->sign = sign;
      Rational one = RatFromInt(1);
      RatAdd(x, one);  // 1 +- 2^-k, exact
      mpfr_t mx, want;
      mpfr_init2(mx, k + 70);
      mpfr_init2(want, 300);
      MpfrFromRational(mx, x);
      mpfr_log(want, mx, MPFR_RNDN);
      EXPECT_LT(Log2RelativeError(FastLn(x, 200), want, 300), -200) << k << " " << sign;
      mpfr_clear(mx);
      mpfr_clear(want);
    }
  }
  EXPECT_TRUE(RatIsZero(FastLn(RatFromInt(1), 100)));
}

TEST(FastLn2, AgreesWithMpfr) {
  for (int32_t words : {1, 5, 40}) {
    mpfr_t want;
    mpfr_init2(want, 31 * words + 100);
    mpfr_const_log2(want, MPFR_RNDN);
    EXPECT_LT(Log2RelativeError(FastLn2(words), want, 31 * words + 100), -31.0 * words + 2);
    mpfr_clear(want);
  }
}

}  // namespace

namespace {

// The hyperbolic functions at the working precision in force, against MPFR,
// with their symmetry and the domain error beyond 100000.
TEST(FastHyperbolic, AgreeWithMpfrAndAreSymmetric) {
  SetRadixAndPrecision(10, 65);
  const int32_t bits = WorkingPrecisionBits() - 10;
  std::mt19937_64 rng(7);
  for (int i = 0; i < 300; ++i) {
    const int64_t m = static_cast<int64_t>(rng() >> 2) | 1;
    const int64_t e = static_cast<int64_t>(rng() % 140) - 62 - 120;  // 2^-120 .. 2^16
    const Rational x = Scaled(m, e);
    mpfr_t mx, want;
    mpfr_init2(mx, 64);
    mpfr_init2(want, bits + 64);
    MpfrFromRational(mx, x);
    using Mpfr = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);
    const struct {
      void (*fast)(Rational&);
      Mpfr ref;
      int parity;  // f(-x) = parity f(x)
    } fns[] = {{FastHypSine, mpfr_sinh, -1}, {FastHypCosine, mpfr_cosh, 1},
               {FastHypTangent, mpfr_tanh, -1}};
    for (const auto& fn : fns) {
      if (RatGreater(x, ExpLimit)) {
        Rational y = CopyRational(x);
        EXPECT_THROW(fn.fast(y), ArithError);
        continue;
      }
      fn.ref(want, mx, MPFR_RNDN);
      Rational y = CopyRational(x);
      fn.fast(y);
      EXPECT_LT(Log2RelativeError(y, want, bits + 64), -bits) << m << " 2^" << e;
      Rational minus = RatNegated(x);
      fn.fast(minus);
      if (fn.parity < 0) minus = RatNegated(minus);
      EXPECT_TRUE(RatEqual(minus, y)) << m << " 2^" << e;
    }
    mpfr_clear(mx);
    mpfr_clear(want);
  }
  SetRadixAndPrecision(10, 33);
}

}  // namespace

namespace {

using AngleFn = void (*)(Rational&, AngleUnit);
using MpfrFn = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);
using MpfrUnitFn = int (*)(mpfr_ptr, mpfr_srcptr, unsigned long, mpfr_rnd_t);

// fast(x) in `unit` against MPFR's radian function or its version for a
// full turn of 360 or 400: within 2^-bits relative, exactly 0 for a zero.
void CheckAngleFunction(AngleFn fast, MpfrFn ref, MpfrUnitFn refUnit, const Rational& x,
                        AngleUnit unit, int32_t bits) {
  mpfr_t mx, want;
  mpfr_init2(mx, 400);
  mpfr_init2(want, bits + 64);
  MpfrFromRational(mx, x);
  if (unit == Radians) {
    ref(want, mx, MPFR_RNDN);
  } else {
    refUnit(want, mx, unit == Degrees ? 360 : 400, MPFR_RNDN);
  }
  Rational y = CopyRational(x);
  fast(y, unit);
  if (mpfr_zero_p(want)) {
    EXPECT_TRUE(RatIsZero(y));
  } else {
    EXPECT_LT(Log2RelativeError(y, want, bits + 64), -bits)
        << "unit " << unit << " x " << mpfr_get_d(mx, MPFR_RNDN);
  }
  mpfr_clear(mx);
  mpfr_clear(want);
}

}  // namespace

namespace {

// sin, cos and tan in the three units against MPFR (sinu, cosu, tanu with a
// full turn of 2 pi, 360 or 400), at the working precision in force, with
// arguments next to multiples of a quarter turn where r cancels.
TEST(FastCircular, AgreeWithMpfrInEveryUnit) {
  SetRadixAndPrecision(10, 33);
  const int32_t bits = WorkingPrecisionBits() - 12;
  std::mt19937_64 rng(9);
  const struct {
    AngleFn fast;
    MpfrFn ref;
    MpfrUnitFn refU;
  } fns[] = {{FastSine, mpfr_sin, mpfr_sinu},
             {FastCosine, mpfr_cos, mpfr_cosu},
             {FastTangent, mpfr_tan, mpfr_tanu}};
  for (int i = 0; i < 600; ++i) {
    const AngleUnit unit = static_cast<AngleUnit>(i % 3);
    Rational x;
    if (i % 4 == 3 && unit == Radians) {
      // Within about 2^-100 of k pi / 2.
      mpfr_t t;
      mpfr_init2(t, 100);
      mpfr_const_pi(t, MPFR_RNDN);
      mpfr_mul_si(t, t, static_cast<long>(rng() % 2000) - 1000, MPFR_RNDN);
      mpfr_div_2ui(t, t, 1, MPFR_RNDN);
      mpfr_exp_t e;
      mpz_t m;
      mpz_init(m);
      e = mpfr_get_z_2exp(m, t);
      x = Scaled(mpz_get_si(m) >> 40, e + 40);
      mpz_clear(m);
      mpfr_clear(t);
    } else {
      const int64_t m = static_cast<int64_t>(rng() >> 2) | 1;
      const int64_t e = static_cast<int64_t>(rng() % 100) - 62 - 60;  // 2^-60 .. 2^40
      x = Scaled(m, e);
      if (rng() & 1) x.num->sign = -1;
    }
    if (RatIsZero(x)) continue;
    for (const auto& fn : fns) CheckAngleFunction(fn.fast, fn.ref, fn.refU, x, unit, bits);
  }
  // Exact quarter turns.
  Rational x = RatFromInt(180);
  FastSine(x, Degrees);
  EXPECT_TRUE(RatIsZero(x));
  x = RatFromInt(-300);
  FastCosine(x, Grads);
  EXPECT_TRUE(RatIsZero(x));
  x = RatFromInt(270);
  EXPECT_THROW(FastTangent(x, Degrees), ArithError);
  x = RatFromInt(90);
  FastSine(x, Degrees);
  EXPECT_TRUE(RatEqual(x, RatFromInt(1)));
}

}  // namespace

namespace {

TEST(FastRoot, AgreesWithMpfrAndFindsExactRoots) {
  std::mt19937_64 rng(3);
  for (int32_t bits : {120, 240, 900}) {
    for (int i = 0; i < 60; ++i) {
      const int32_t n = 2 + static_cast<int32_t>(rng() % 6);
      const int64_t m = static_cast<int64_t>(rng() >> 2) | 1;
      const int64_t e = static_cast<int64_t>(rng() % 400) - 62 - 200;
      const Rational x = Scaled(m, e);
      mpfr_t mx, want;
      mpfr_init2(mx, 64);
      mpfr_init2(want, bits + 64);
      MpfrFromRational(mx, x);
      mpfr_rootn_ui(want, mx, n, MPFR_RNDN);
      EXPECT_LT(Log2RelativeError(FastRoot(x, n, bits), want, bits + 64), -bits)
          << "root " << n << " of " << m << " 2^" << e;
      mpfr_clear(mx);
      mpfr_clear(want);
    }
  }
  // Exact roots are exact.
  const struct {
    int32_t num, den, n, rootNum, rootDen;
  } exact[] = {{27, 1, 3, 3, 1}, {9, 4, 2, 3, 2}, {1024, 1, 10, 2, 1}, {1, 8, 3, 1, 2},
               {2147395600, 1, 2, 46340, 1}};
  for (const auto& c : exact) {
    Rational x = RatFromInt(c.num);
    RatDiv(x, RatFromInt(c.den));
    Rational want = RatFromInt(c.rootNum);
    RatDiv(want, RatFromInt(c.rootDen));
    EXPECT_TRUE(RatEqual(FastRoot(x, c.n, 150), want)) << c.num << "/" << c.den;
  }
  // Near misses of small exact roots are iterated, to the bits asked.
  const struct {
    int32_t v, n;
  } nearMiss[] = {{2, 2}, {26, 3}, {28, 3}, {2147395599, 2}, {2147395601, 2}, {1023, 10}};
  for (const auto& c : nearMiss) {
    const Rational x = RatFromInt(c.v);
    mpfr_t mx, want;
    mpfr_init2(mx, 64);
    mpfr_init2(want, 300);
    MpfrFromRational(mx, x);
    mpfr_rootn_ui(want, mx, c.n, MPFR_RNDN);
    EXPECT_LT(Log2RelativeError(FastRoot(x, c.n, 200), want, 300), -200) << c.v << " " << c.n;
    mpfr_clear(mx);
    mpfr_clear(want);
  }
}

}  // namespace

namespace {

// arcsin, arccos and arctan in the three units against MPFR (asinu, acosu,
// atanu), over (-1, 1) with values next to the ends, and for arctan over
// tiny to huge magnitudes; the ends keep the exact values of before.
TEST(FastInverseCircular, AgreeWithMpfrInEveryUnit) {
  SetRadixAndPrecision(10, 65);
  const int32_t bits = WorkingPrecisionBits() - 12;
  std::mt19937_64 rng(13);
  const struct {
    AngleFn fast;
    MpfrFn ref;
    MpfrUnitFn refU;
    bool bounded;  // argument within (-1, 1)
  } fns[] = {{FastArcSine, mpfr_asin, mpfr_asinu, true},
             {FastArcCosine, mpfr_acos, mpfr_acosu, true},
             {FastArcTangent, mpfr_atan, mpfr_atanu, false}};
  for (int i = 0; i < 450; ++i) {
    const AngleUnit unit = static_cast<AngleUnit>(i % 3);
    const auto& fn = fns[(i / 3) % 3];
    const int64_t m = static_cast<int64_t>(rng() >> 2) | 1;
    int64_t e = static_cast<int64_t>(rng() % 160) - 62 - 150;  // 2^-150 .. 2^10
    if (fn.bounded && e > -62) e = -62 - static_cast<int64_t>(rng() % 2);
    Rational x = Scaled(m, e);
    if (fn.bounded && i % 5 == 0) {
      // 1 - x: next to the end.
      Rational one = RatFromInt(1);
      RatSub(one, x);
      x = std::move(one);
    }
    if (rng() & 1) x.num->sign = -1;
    CheckAngleFunction(fn.fast, fn.ref, fn.refU, x, unit, bits);
  }
  Rational x = RatFromInt(2);
  EXPECT_THROW(FastArcSine(x, Degrees), ArithError);
  x = RatFromInt(-1);
  FastArcCosine(x, Radians);
  EXPECT_TRUE(RatEqual(x, Pi));
  SetRadixAndPrecision(10, 33);
}

}  // namespace

namespace {

// Roots of numbers far from 1, where the start of the iteration from a
// double logarithm is off in its last bits.
TEST(FastRoot, HugeAndTinyArguments) {
  for (int64_t e : {-33000, -3000, 3000, 33000}) {
    for (int32_t n : {2, 3, 7}) {
      const Rational x = Scaled(0x2B7E151628AED2A7LL, e);
      mpfr_t mx, want;
      mpfr_init2(mx, 64);
      mpfr_init2(want, 300);
      MpfrFromRational(mx, x);
      mpfr_rootn_ui(want, mx, n, MPFR_RNDN);
      EXPECT_LT(Log2RelativeError(FastRoot(x, n, 200), want, 300), -200) << n << " 2^" << e;
      mpfr_clear(mx);
      mpfr_clear(want);
    }
  }
}

}  // namespace

namespace {

// x! against MPFR's gamma(x + 1), for positive and negative non-integers,
// next to the poles and far out; whole numbers stay exact.
TEST(FastFactorial, AgreesWithMpfr) {
  for (int32_t precision : {33, 65}) {
    SetRadixAndPrecision(10, precision);
    const int32_t bits = WorkingPrecisionBits() - 12;
    std::mt19937_64 rng(17);
    for (int i = 0; i < 150; ++i) {
      // m / 2^k with |x| up to about 2^17, and a few next to a pole.
      const int64_t m = static_cast<int64_t>(rng() >> 2) | 1;
      const int64_t e = static_cast<int64_t>(rng() % 80) - 62 - 60;
      Rational x = Scaled(m, e);
      if (i % 3 == 0) x.num->sign = -1;
      if (i % 25 == 2) x = Scaled(m, -static_cast<int64_t>(rng() % 3000) - 200);  // tiny
      if (i % 10 == 1) {
        Rational pole = RatFromInt(-static_cast<int32_t>(rng() % 50) - 1);
        RatAdd(pole, Scaled(1, -static_cast<int64_t>(rng() % 60) - 5));
        x = std::move(pole);
      }
      mpfr_t mx, want;
      mpfr_init2(mx, 3400);
      mpfr_init2(want, bits + 64);
      MpfrFromRational(mx, x);
      if (mpfr_integer_p(mx)) continue;
      mpfr_add_ui(want, mx, 1, MPFR_RNDN);
      mpfr_gamma(want, want, MPFR_RNDN);
      Rational y = CopyRational(x);
      FastFactorial(y);
      EXPECT_LT(Log2RelativeError(y, want, bits + 64), -bits)
          << "P " << precision << " x " << mpfr_get_d(mx, MPFR_RNDN);
      mpfr_clear(mx);
      mpfr_clear(want);
    }
  }
  Rational x = RatFromInt(20);
  FastFactorial(x);
  Rational want = RatFromInt(243290200);
  RatMul(want, RatFromInt(1000000000));
  RatAdd(want, RatFromInt(817664000));
  RatMul(want, RatFromInt(10));
  EXPECT_TRUE(RatEqual(x, want));
  x = RatFromInt(-3);
  EXPECT_THROW(FastFactorial(x), ArithError);
  SetRadixAndPrecision(10, 33);
}

}  // namespace
