#include "arith/rounded.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "arith/constants.h"
#include "arith/error.h"
#include "arith/settings.h"
#include "transcend_test_util.h"

namespace {

using RoundedTest = TranscendTest;

Rational Fraction(int32_t num, int32_t den) {
  Rational r = RatFromInt(num);
  RatDiv(r, RatFromInt(den));
  return r;
}

// The rounding is to P digits of the radix in force: sqrt 2 in radix 16 at
// P = 9 is 1.6A09E667F... rounded up to 1.6A09E668, in radix 2 at P = 33 it
// is 6074001000 / 2^32 (Python's decimal module, half up).
TEST_F(RoundedTest, RoundsInTheRadixInForce) {
  struct Case {
    int32_t radix;
    int32_t precision;
    int64_t scaled;
    int32_t shift;  // the value is scaled / radix^shift
  } cases[] = {{16, 9, 0x16A09E668, 8}, {2, 33, 6074001000, 32}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.radix);
    settings.radix = c.radix;
    SetRadixAndPrecision(c.radix, c.precision);
    Rational x = RatFromInt(2);
    const Rational two = RatFromInt(2);
    EvaluateRounded(x, FnRoot, Radians, &two);
    Rational want = RatFromInt(static_cast<int32_t>(c.scaled >> 4));
    RatMul(want, RatFromInt(16));
    RatAdd(want, RatFromInt(static_cast<int32_t>(c.scaled & 15)));
    Rational scale = RatFromInt(c.radix);
    RatPowInt(scale, c.shift);
    RatDiv(want, scale);
    EXPECT_TRUE(RatEqual(x, want)) << Render(x);
    EXPECT_EQ(WorkingPrecision, c.precision);
  }
  settings.radix = 10;
}

// Exact results are not rounded: integral powers and n! of whole numbers
// keep every digit.
TEST_F(RoundedTest, ExactResultsStayExact) {
  Rational third = Fraction(1, 3);
  const Rational two = RatFromInt(2);
  EvaluateRounded(third, FnPower, Radians, &two);
  EXPECT_TRUE(RatEqual(third, Fraction(1, 9)));

  Rational root = Fraction(1, 7);
  const Rational half = Fraction(1, 2);
  EvaluateRounded(root, FnRoot, Radians, &half);  // (1/7)^2
  EXPECT_TRUE(RatEqual(root, Fraction(1, 49)));

  Rational forty = RatFromInt(40);
  EvaluateRounded(forty, FnFactorial);
  Rational product = RatFromInt(1);
  for (int32_t i = 2; i <= 40; ++i) RatMul(product, RatFromInt(i));
  EXPECT_TRUE(RatEqual(forty, product));

  Rational tenth = RatFromInt(-3);
  EvaluateRounded(tenth, FnPowerOfTen);
  EXPECT_TRUE(RatEqual(tenth, Fraction(1, 1000)));
}

// Whole numbers among unreduced fractions of either sign.
TEST_F(RoundedTest, IntegerTestOnUnreducedFractions) {
  const struct {
    int32_t num, den;
    bool whole;
  } cases[] = {{0, 5, true},  {7, 1, true},   {14, 7, true},  {-21, 7, true},
               {1, 2, false}, {7, 2, false},  {-7, 10, false}, {99, 100, false},
               {5, 10, false}, {100, 99, false}, {-4, -2, true}};
  for (const auto& c : cases) {
    EXPECT_EQ(RatIsInteger(Fraction(c.num, c.den)), c.whole) << c.num << "/" << c.den;
  }
}

// An integral exponent beyond 32 bits is taken as e^(y ln x), which is not
// exact: the result is rounded like the others. (1 + 10^-31)^(10^10) is
// e^(10^-21 - 5 10^-53), 1 + 10^-21 + 5 10^-43 - ..., which rounds to
// 1 + 10^-21 at P = 33.
TEST_F(RoundedTest, HugeIntegralExponentsAreRounded) {
  const auto onePlusTenTo = [](int32_t k) {  // 1 + 10^-k
    Rational scale = RatFromInt(10);
    RatPowInt(scale, k);
    Rational r = CopyRational(scale);
    RatAdd(r, RatOne);
    RatDiv(r, scale);
    return r;
  };
  Rational x = onePlusTenTo(31);
  Rational y = RatFromInt(100000);
  RatMul(y, RatFromInt(100000));
  EvaluateRounded(x, FnPower, Radians, &y);
  EXPECT_TRUE(RatEqual(x, onePlusTenTo(21))) << Render(x);
}

// A failure leaves the argument, the precision and the constant set as they
// were, whether it comes from the guarded evaluation or from the checks.
TEST_F(RoundedTest, ErrorsLeaveEverythingAsItWas) {
  struct Case {
    RoundedFunction f;
    const char* x;
    ErrorCode code;
  } cases[] = {
      {FnNaturalLog, "-1", ErrInvalidInput},
      {FnNaturalLog, "0", ErrInvalidInput},
      {FnExponential, "100000.5", ErrInvalidInput},
      {FnArcSine, "1.5", ErrInvalidInput},
      {FnHypArcTangent, "-1", ErrDivideByZeroPositive},
      {FnTangent, "90", ErrInvalidInput},
      {FnFactorial, "-3", ErrInvalidInput},
  };
  const Rational pi = CopyRational(Pi);
  const Rational epsilon = CopyRational(Epsilon);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x);
    Rational x = DecimalRat(c.x);
    EXPECT_EQ(ThrownCode([&] { EvaluateRounded(x, c.f, Degrees); }), c.code);
    EXPECT_TRUE(RatEqual(x, DecimalRat(c.x)));
    EXPECT_EQ(WorkingPrecision, 33);
    EXPECT_TRUE(RatEqual(Pi, pi));
    EXPECT_TRUE(RatEqual(Epsilon, epsilon));
  }
}

// The snaps hold at the working precision: a tangent within epsilon of
// zero is 0 like the sine, one of 1/epsilon or more is a pole.
TEST_F(RoundedTest, TangentSnapsAtTheWorkingPrecision) {
  Rational small = DecimalRat("3e-34");
  EvaluateRounded(small, FnTangent, Radians);
  EXPECT_TRUE(RatIsZero(small));
  Rational above = DecimalRat("3e-33");
  EvaluateRounded(above, FnTangent, Radians);
  EXPECT_TRUE(RatEqual(above, DecimalRat("3e-33")));
  // 90 - 1e-35 degrees: the cosine is 1.7e-37, below epsilon.
  Rational nearPole = DecimalRat("89.99999999999999999999999999999999999");
  EXPECT_EQ(ThrownCode([&] { EvaluateRounded(nearPole, FnTangent, Degrees); }),
            ErrInvalidInput);
}

// An abort at any poll ends a long evaluation (the watchdog's Stop, Ctrl-C
// in quibc). Long products poll between their slices; a product an abort cut
// short must not leave a series summing a stale term for ever. Each case
// runs with the abort raised at one poll after another, across its whole
// run, at a precision whose fixed-point words take the long-product path.
TEST_F(RoundedTest, AnAbortAtAnyPollEndsTheEvaluation) {
  struct Case {
    const char* name;
    RoundedFunction f;
    Rational x;
  };
  const Case cases[] = {
      {"e^x", FnExponential, Fraction(107, 1)},
      {"ln", FnNaturalLog, Fraction(12345, 1000)},
      {"sin", FnSine, Fraction(7, 3)},
      {"tan", FnTangent, Fraction(7, 3)},
      {"log", FnCommonLog, Fraction(12345, 1000)},
      {"tanh", FnHypTangent, Fraction(1, 2)},
      {"sinh", FnHypSine, Fraction(1, 2)},
      {"atan", FnArcTangent, Fraction(3, 1)},
      {"n!", FnFactorial, Fraction(1, 3)},
  };
  constexpr int64_t kCounting = int64_t{1} << 60;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetRadixAndPrecision(10, 300);
    // Counted on a second run: the first builds what later runs find cached.
    Rational warm = CopyRational(c.x);
    EvaluateRounded(warm, c.f, Radians);
    AbortPollBudget.store(kCounting);
    Rational whole = CopyRational(c.x);
    EvaluateRounded(whole, c.f, Radians);
    const int64_t polls = kCounting - AbortPollBudget.load();
    AbortPollBudget.store(-1);
    ASSERT_GT(polls, 0);
    for (int64_t k = 0; k < polls; k += 1 + polls / 25) {
      SetRadixAndPrecision(10, 300);
      AbortPollBudget.store(k);
      Rational v = CopyRational(c.x);
      try {
        EvaluateRounded(v, c.f, Radians);
      } catch (const ArithError&) {
        // An abort may surface as any error: the command discards it.
      }
      AbortPollBudget.store(-1);
      EXPECT_TRUE(AbortFlag.load()) << "poll " << k;
      AbortFlag.store(false);
    }
  }
  SetRadixAndPrecision(10, 33);
}

}  // namespace
