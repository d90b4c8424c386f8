#include "arith/rational.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "arith/alloc.h"
#include "arith/error.h"
#include "arith/settings.h"
#include "bignum_test_util.h"

namespace {

constexpr uint32_t B = kInternalBase;

class RationalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedP = WorkingPrecision;
    savedR = DigitsPerWord;
    WorkingPrecision = 33;
    DigitsPerWord = 9;
  }
  void TearDown() override {
    WorkingPrecision = savedP;
    DigitsPerWord = savedR;
  }
  int32_t savedP = 0, savedR = 0;
};

Rational Frac(int32_t n, int32_t d) {
  Rational r = RatFromInt(n);
  r.den = BigNumFromInt(d, B);
  return r;
}

// Value of a small rational as numerator and denominator in 64 bits.
void SmallValue(const Rational& x, int64_t* num, int64_t* den) {
  auto value = [](const BigNum& b) {
    int64_t v = 0;
    for (int32_t i = b.count - 1; i >= 0; --i) v = v * B + b.digits()[i];
    for (int32_t i = 0; i < b.exp; ++i) v *= B;
    return v * b.sign;
  };
  *num = value(*x.num);
  *den = value(*x.den);
}

TEST_F(RationalTest, TrimCutsOneWordAtSixWordSpan) {
  // Both components span 6 words: excess = 5 * 9 - 33 = 12 > 9, one word cut.
  Rational x;
  x.num = MakeBig({1, 2, 3, 4, 5, 6});
  x.den = MakeBig({7, 8, 9, 10, 11, 12});
  RatTrim(x);
  EXPECT_EQ(DigitsOf(*x.num), (std::vector<uint32_t>{2, 3, 4, 5, 6}));
  EXPECT_EQ(DigitsOf(*x.den), (std::vector<uint32_t>{8, 9, 10, 11, 12}));
  EXPECT_EQ(x.num->exp, 0);

  // At 5 words: excess = 3, nothing is cut.
  Rational y;
  y.num = MakeBig({1, 2, 3, 4, 5});
  y.den = MakeBig({7, 8, 9, 10, 11, 12, 13});
  RatTrim(y);
  EXPECT_EQ(y.num->count, 5);
  EXPECT_EQ(y.den->count, 7);

  // A component with a large exponent loses exponent before digits, and the
  // common exponent is cancelled.
  Rational z;
  z.num = MakeBig({1, 2, 3, 4, 5, 6}, 2);
  z.den = MakeBig({7, 8, 9, 10, 11, 12}, 1);
  RatTrim(z);  // span 7: excess 21, k = 2
  EXPECT_EQ(z.num->count, 6);
  EXPECT_EQ(z.num->exp, 0);
  EXPECT_EQ(DigitsOf(*z.den), (std::vector<uint32_t>{8, 9, 10, 11, 12}));
  EXPECT_EQ(z.den->exp, 0);
}

TEST_F(RationalTest, AdditionPaths) {
  Rational third = Frac(1, 3);
  RatAdd(third, third);  // equal denominators: numerators only
  EXPECT_EQ(DigitsOf(*third.num), std::vector<uint32_t>{2});
  EXPECT_EQ(DigitsOf(*third.den), std::vector<uint32_t>{3});

  Rational half = Frac(1, 2);
  RatAdd(half, Frac(1, 3));
  int64_t n, d;
  SmallValue(half, &n, &d);
  EXPECT_EQ(n, 5);
  EXPECT_EQ(d, 6);

  Rational negHalf = Frac(1, -2);
  RatAdd(negHalf, RatFromInt(0));
  SmallValue(negHalf, &n, &d);
  EXPECT_EQ(n * d, -2) << "value -1/2 with the sign on the numerator";
  EXPECT_EQ(negHalf.den->sign, 1);
  EXPECT_EQ(negHalf.num->sign, -1);

  Rational x = Frac(3, 4);
  RatSub(x, x);  // aliased operands
  EXPECT_TRUE(RatIsZero(x));

  Rational y = Frac(5, -7);
  Rational yb = Frac(2, -7);  // equal magnitudes, negative denominators
  RatSub(y, yb);
  SmallValue(y, &n, &d);
  EXPECT_EQ(n, -3);
  EXPECT_EQ(d, 7);
  EXPECT_EQ(yb.den->sign, -1) << "second operand untouched";
}

TEST_F(RationalTest, MultiplyAndDivideZeroAndSigns) {
  int64_t n, d;
  Rational zero = Frac(0, 7);
  RatMul(zero, Frac(5, 3));
  SmallValue(zero, &n, &d);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(d, 1);

  Rational z2 = Frac(0, 9);
  RatDiv(z2, RatFromInt(5));
  SmallValue(z2, &n, &d);
  EXPECT_EQ(d, 1);

  Rational q = RatFromInt(1);
  RatDiv(q, RatFromInt(-2));
  EXPECT_EQ(DigitsOf(*q.num), std::vector<uint32_t>{1});
  EXPECT_EQ(q.num->sign, 1);
  EXPECT_EQ(q.den->sign, -1);
  EXPECT_EQ(RatSign(q), -1);
  EXPECT_TRUE(RatLess(q, RatFromInt(0)));

  Rational sq = Frac(-2, 3);
  RatMul(sq, sq);
  SmallValue(sq, &n, &d);
  EXPECT_EQ(n, 4);
  EXPECT_EQ(d, 9);
}

TEST_F(RationalTest, DivisionByZeroCodesKeepTheOperand) {
  struct Case {
    int32_t a;
    ErrorCode code;
  };
  const Case cases[] = {{0, ErrUndefined},
                        {5, ErrDivideByZeroPositive},
                        {-5, ErrDivideByZeroNegative}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a);
    Rational a = Frac(c.a, 3);
    try {
      RatDiv(a, RatFromInt(0));
      ADD_FAILURE() << "no error";
    } catch (const ArithError& e) {
      EXPECT_EQ(e.code, c.code);
    }
    // The first operand still holds its value and a non-zero denominator.
    ASSERT_FALSE(BigNumIsZero(*a.den));
    EXPECT_TRUE(RatEqual(a, Frac(c.a, 3)));
  }
  // The sign follows the numerator times the divisor's denominator.
  Rational a = RatFromInt(5);
  Rational negZero = Frac(0, -1);
  try {
    RatDiv(a, negZero);
    ADD_FAILURE();
  } catch (const ArithError& e) {
    EXPECT_EQ(e.code, ErrDivideByZeroNegative);
  }
}

TEST_F(RationalTest, IntegerPowers) {
  struct Case {
    int32_t base, exp;
    int64_t num, den;  // expected value num/den
  };
  const Case cases[] = {{2, -1, 1, 2},  {0, 0, 1, 1},     {-2, 3, -8, 1},
                        {3, 0, 1, 1},   {-3, -3, -1, 27}, {1, INT32_MIN, 1, 1},
                        {7, 5, 16807, 1}, {-1, INT32_MIN, 1, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.base << "^" << c.exp);
    Rational x = RatFromInt(c.base);
    RatPowInt(x, c.exp);
    int64_t n, d;
    SmallValue(x, &n, &d);
    EXPECT_EQ(n * c.den, c.num * d);
    EXPECT_NE(d, 0);
  }
  Rational zero = RatFromInt(0);
  EXPECT_THROW(RatPowInt(zero, -2), ArithError);
  EXPECT_TRUE(RatIsZero(zero));
  EXPECT_FALSE(BigNumIsZero(*zero.den));

  // 2^100 stays exact.
  Rational big = RatFromInt(2);
  RatPowInt(big, 100);
  EXPECT_EQ(DigitsOf(*big.num), (std::vector<uint32_t>{0, 0, 0, 128}));
}

TEST_F(RationalTest, ComparisonsAreExact) {
  EXPECT_TRUE(RatEqual(Frac(2, 6), Frac(1, 3)));
  EXPECT_FALSE(RatNotEqual(Frac(2, 6), Frac(1, 3)));

  // 1 + 2^-300 = (2^300 + 1) / 2^300 against 1: the difference is far below
  // the precision, yet the comparisons see it.
  Rational onePlus = RatFromInt(2);
  BigNumPowInternal(onePlus.num, 300);
  onePlus.den = CopyBigNum(*onePlus.num);
  BigNumAdd(onePlus.num, *BigNumFromInt(1, B), B);
  Rational one = RatFromInt(1);
  EXPECT_TRUE(RatNotEqual(one, onePlus));
  EXPECT_TRUE(RatLess(one, onePlus));
  EXPECT_TRUE(RatLessEqual(one, onePlus));
  EXPECT_TRUE(RatGreater(onePlus, one));
  EXPECT_TRUE(RatGreaterEqual(onePlus, one));
  EXPECT_FALSE(RatGreater(one, onePlus));

  struct Case {
    Rational a, b;
    int sign;  // of a - b
  };
  Case cases[] = {{Frac(1, -2), Frac(-1, 2), 0},
                  {Frac(-1, 3), Frac(1, -4), -1},
                  {Frac(0, -5), RatFromInt(0), 0},
                  {Frac(7, 2), Frac(-7, -2), 0},
                  {RatFromInt(INT32_MIN), RatFromInt(INT32_MAX), -1}};
  for (Case& c : cases) {
    EXPECT_EQ(RatEqual(c.a, c.b), c.sign == 0);
    EXPECT_EQ(RatLess(c.a, c.b), c.sign < 0);
    EXPECT_EQ(RatLessEqual(c.a, c.b), c.sign <= 0);
    EXPECT_EQ(RatGreater(c.a, c.b), c.sign > 0);
    EXPECT_EQ(RatGreaterEqual(c.a, c.b), c.sign >= 0);
    EXPECT_EQ(RatNotEqual(c.a, c.b), c.sign != 0);
  }
}

// Comparisons decided by the signs or by the sizes of the components agree
// with the cross products on both sides of every size boundary, and two
// values far apart are compared without a product (no block allocated).
TEST_F(RationalTest, ComparisonsBySizeAgreeWithCrossProducts) {
  std::mt19937 rng(20261211);
  auto component = [&rng](int32_t words, int32_t exp, int32_t sign) {
    std::vector<uint32_t> digits(static_cast<size_t>(words));
    for (uint32_t& d : digits) d = rng() % B;
    // Top words from 1 up to B - 1, so values sit anywhere within their span.
    digits.back() = rng() % 3 == 0 ? 1u : 1u + rng() % (B - 1);
    return MakeBig(digits, exp, sign);
  };
  auto crossSign = [](const Rational& a, const Rational& b) {
    if (BigNumIsZero(*a.num) && BigNumIsZero(*b.num)) return 0;
    BigPtr left = BigNumProductInternal(*a.num, *b.den);
    BigPtr right = BigNumProductInternal(*a.den, *b.num);
    BigPtr d = BigNumSum(*left, left->sign, *right, -right->sign, B);
    return BigNumIsZero(*d) ? 0 : d->sign * a.den->sign * b.den->sign;
  };
  for (int i = 0; i < 4000; ++i) {
    Rational a, b;
    for (Rational* x : {&a, &b}) {
      x->num = rng() % 16 == 0 ? BigNumFromInt(0, B)
                               : component(1 + rng() % 4, rng() % 3, rng() % 2 ? 1 : -1);
      x->den = component(1 + rng() % 4, rng() % 3, rng() % 2 ? 1 : -1);
    }
    if (i % 5 == 0) b = CopyRational(a);  // equal values, in the same form
    const int want = crossSign(a, b);
    SCOPED_TRACE(i);
    EXPECT_EQ(RatEqual(a, b), want == 0);
    EXPECT_EQ(RatLess(a, b), want < 0);
    EXPECT_EQ(RatGreater(a, b), want > 0);
  }

  // 2^12400 against its reciprocal, and against minus itself.
  Rational huge = RatFromInt(2);
  BigNumPowInternal(huge.num, 12400);
  Rational tiny = RatFromInt(1);
  tiny.den = CopyBigNum(*huge.num);
  Rational minusHuge = CopyRational(huge);
  minusHuge.num->sign = -1;
  const uint64_t before = AllocCount();
  EXPECT_TRUE(RatGreater(huge, tiny));
  EXPECT_TRUE(RatLess(tiny, huge));
  EXPECT_FALSE(RatEqual(huge, tiny));
  EXPECT_TRUE(RatLess(minusHuge, tiny));
  EXPECT_EQ(AllocCount(), before);
}

TEST_F(RationalTest, RandomSmallFractionsAreExact) {
  // While components stay short nothing is trimmed, so the results must be
  // exactly the fractions 64-bit arithmetic computes.
  std::mt19937 rng(31);
  auto pick = [&] {
    int32_t v = static_cast<int32_t>(rng() % 2001) - 1000;
    return v;
  };
  for (int iter = 0; iter < 2000; ++iter) {
    int32_t an = pick(), ad = pick(), bn = pick(), bd = pick();
    if (ad == 0) ad = 1;
    if (bd == 0) bd = -1;
    SCOPED_TRACE(::testing::Message() << an << "/" << ad << " op " << bn << "/" << bd);
    int64_t n, d;
    Rational s = Frac(an, ad);
    RatAdd(s, Frac(bn, bd));
    SmallValue(s, &n, &d);
    EXPECT_EQ(n * (int64_t{ad} * bd), (int64_t{an} * bd + int64_t{bn} * ad) * d);
    Rational p = Frac(an, ad);
    RatMul(p, Frac(bn, bd));
    SmallValue(p, &n, &d);
    EXPECT_EQ(n * (int64_t{ad} * bd), int64_t{an} * bn * d);
    if (bn != 0) {
      Rational q = Frac(an, ad);
      RatDiv(q, Frac(bn, bd));
      SmallValue(q, &n, &d);
      EXPECT_EQ(n * (int64_t{ad} * bn), int64_t{an} * bd * d);
    }
    // sign(a - b) = sign(an * bd - bn * ad) * sign(ad * bd)
    const int64_t diff = (int64_t{an} * bd - int64_t{bn} * ad) *
                         ((ad > 0) == (bd > 0) ? 1 : -1);
    EXPECT_EQ(RatLess(Frac(an, ad), Frac(bn, bd)), diff < 0);
    EXPECT_EQ(RatEqual(Frac(an, ad), Frac(bn, bd)), diff == 0);
  }
}

TEST_F(RationalTest, LongProductsStayNearThePrecision) {
  // (2/3)^200 exactly would take 11 words in each component; trimming keeps
  // the shorter one near P.
  Rational x = Frac(2, 3);
  RatPowInt(x, 200);
  EXPECT_LE(std::min(x.num->count, x.den->count), 7);
  // Compare with the same power computed in another order: they agree to
  // the precision.
  Rational y = RatFromInt(1);
  for (int i = 0; i < 200; ++i) RatMul(y, Frac(2, 3));
  Rational diff = CopyRational(x);
  RatSub(diff, y);
  RatDiv(diff, y);  // relative difference
  Rational bound = RatFromInt(1);
  RatDiv(bound, RatFromInt(1000000000));
  RatDiv(bound, RatFromInt(1000000000));
  RatDiv(bound, RatFromInt(1000000000));  // 10^-27
  if (RatSign(diff) < 0) diff.num->sign = -diff.num->sign;
  EXPECT_TRUE(RatLess(diff, bound));
}

TEST_F(RationalTest, AllocationFailureKeepsValue) {
  Rational a = Frac(22, 7);
  Rational b = Frac(-3, 11);
  const int64_t live = AllocLiveBlocks();
  for (int which = 0; which < 4; ++which) {
    for (int n = 0; n < 12; ++n) {
      AllocFailAfter(n);
      bool failed = false;
      try {
        switch (which) {
          case 0: RatAdd(a, b); break;
          case 1: RatMul(a, b); break;
          case 2: RatDiv(a, b); break;
          case 3: RatPowInt(a, 5); break;
        }
      } catch (const ArithError& e) {
        EXPECT_EQ(e.code, ErrOutOfMemory);
        failed = true;
      }
      AllocFailAfter(-1);
      if (!failed) {
        a = Frac(22, 7);
        break;
      }
      EXPECT_TRUE(RatEqual(a, Frac(22, 7))) << which << " " << n;
      EXPECT_EQ(AllocLiveBlocks(), live);
    }
  }
}

}  // namespace
