// Integer part, fraction, remainder, shifts and bitwise operations.
#include "arith/integer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "arith/alloc.h"
#include "arith/constants.h"
#include "arith/error.h"
#include "arith/radix_convert.h"
#include "arith/settings.h"
#include "arith/trig.h"

namespace {

class IntegerTest : public ::testing::Test {
 protected:
  void SetUp() override { UseRadix(10, 33); }
  void TearDown() override { UseRadix(10, 33); }
  static void UseRadix(int32_t radix, int32_t precision) {
    settings.radix = radix;
    SetRadixAndPrecision(radix, precision);
  }
};

Rational Frac(int32_t a, int32_t b) {
  Rational r = RatFromInt(a);
  RatDiv(r, RatFromInt(b));
  return r;
}

Rational Int(int32_t v) { return RatFromInt(v); }

// 1 - 10^-k.
Rational OneMinusTenTo(int32_t k) {
  Rational tiny = RatFromInt(10);
  RatPowInt(tiny, -k);
  Rational r = RatFromInt(1);
  RatSub(r, tiny);
  return r;
}

// A 64-bit value as a Rational over 1.
Rational FromInt64(int64_t v) {
  const uint64_t m = static_cast<uint64_t>(v < 0 ? -v : v);
  Rational r = RatFromInt(static_cast<int32_t>(m >> 62));
  const Rational b31 = [] {
    Rational t = RatFromInt(2);
    RatPowInt(t, 31);
    return t;
  }();
  RatMul(r, b31);
  RatAdd(r, RatFromInt(static_cast<int32_t>((m >> 31) & kWordMask)));
  RatMul(r, b31);
  RatAdd(r, RatFromInt(static_cast<int32_t>(m & kWordMask)));
  if (v < 0) r.num->sign = -1;
  return r;
}

using UnaryOp = void (*)(Rational&);
using BinaryOp = void (*)(Rational&, const Rational&);

TEST_F(IntegerTest, IntegerPartAndFraction) {
  struct Case {
    const char* what;
    UnaryOp op;
    Rational x;
    Rational want;
  };
  Case cases[] = {
      {"int 2.5", RatInt, Frac(5, 2), Int(2)},
      {"int -2.5", RatInt, Frac(-5, 2), Int(-2)},
      {"int 1 - 10^-40 rounds first", RatInt, OneMinusTenTo(40), Int(1)},
      {"int 1 - 10^-20", RatInt, OneMinusTenTo(20), Int(0)},
      {"int 5/-2", RatInt, Frac(5, -2), Int(-2)},
      {"int 6/2", RatInt, Frac(6, 2), Int(3)},
      {"int 0", RatInt, Int(0), Int(0)},
      {"int -7", RatInt, Int(-7), Int(-7)},
      {"frac -2.5", RatFrac, Frac(-5, 2), Frac(-1, 2)},
      {"frac 1 - 10^-40 is exact", RatFrac, OneMinusTenTo(40), OneMinusTenTo(40)},
      {"frac 7/2", RatFrac, Frac(7, 2), Frac(1, 2)},
      {"frac 5/-2", RatFrac, Frac(5, -2), Frac(-1, 2)},
      {"frac 3", RatFrac, Int(3), Int(0)},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.op(c.x);
    EXPECT_TRUE(RatEqual(c.x, c.want));
    EXPECT_GE(c.x.num->exp, 0);
    EXPECT_GE(c.x.den->exp, 0);
  }
}

TEST_F(IntegerTest, IntegerPartKeepsTheRoundedTextsDenominator) {
  // 7/2 reads back as 35/10, and 35/10 - 5/10 is 30/10.
  Rational x = Frac(7, 2);
  RatInt(x);
  EXPECT_EQ(BigNumToInt(*x.num, kInternalBase), 30);
  EXPECT_EQ(BigNumToInt(*x.den, kInternalBase), 10);
  // An integer comes back over 1.
  Rational y = Frac(9, 3);
  RatInt(y);
  EXPECT_EQ(BigNumToInt(*y.num, kInternalBase), 3);
  EXPECT_EQ(BigNumToInt(*y.den, kInternalBase), 1);
}

TEST_F(IntegerTest, IntegerPartRoundsInTheCurrentRadix) {
  // 0xFFFFFFFFF.F has 10 hexadecimal digits; the display holds 9, so its
  // integer part is 0x1000000000. At P = 33 in radix 10 it stays 68719476735.
  Rational x = FromInt64(0xFFFFFFFFFFLL);
  RatDiv(x, Int(16));
  Rational hex = CopyRational(x);
  UseRadix(16, 9);
  RatInt(hex);
  EXPECT_TRUE(RatEqual(hex, FromInt64(0x1000000000LL)));
  UseRadix(10, 33);
  RatInt(x);
  EXPECT_TRUE(RatEqual(x, FromInt64(0xFFFFFFFFFLL)));
}

TEST_F(IntegerTest, RemainderAndConversion) {
  struct Case {
    Rational a;
    Rational b;
    Rational want;
  };
  Case cases[] = {
      {Int(7), Int(3), Int(1)},
      {Int(-7), Int(3), Int(-1)},
      {Int(7), Int(-3), Int(1)},
      {Frac(11, 2), Int(2), Frac(3, 2)},
      {Frac(-11, 2), Frac(-3, 2), Int(-1)},
      {Int(6), Int(3), Int(0)},
      {Int(2), Int(5), Int(2)},
      {Frac(1, 3), Frac(1, 7), Frac(1, 21)},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << BigNumToInt(*c.a.num, kInternalBase));
    RatMod(c.a, c.b);
    EXPECT_TRUE(RatEqual(c.a, c.want));
  }

  struct IntCase {
    Rational x;
    int32_t want;
  };
  Rational big = FromInt64((int64_t{1} << 32) + 5);
  IntCase ints[] = {
      {Frac(-3, 2), -1},
      {std::move(big), 5},
      {Frac(7, 2), 3},
      {OneMinusTenTo(40), 1},
      {FromInt64(int64_t{1} << 31), INT32_MIN},
      {FromInt64(-(int64_t{1} << 31)), INT32_MIN},
      {Int(0), 0},
  };
  for (IntCase& c : ints) {
    SCOPED_TRACE(c.want);
    const Rational before = CopyRational(c.x);
    EXPECT_EQ(RatToInt(c.x), c.want);
    EXPECT_TRUE(RatEqual(c.x, before));
  }
}

TEST_F(IntegerTest, RemainderByZeroIsUndefined) {
  Rational a = Int(7);
  try {
    RatMod(a, Int(0));
    ADD_FAILURE() << "no error";
  } catch (const ArithError& e) {
    EXPECT_EQ(e.code, ErrUndefined);
  }
  EXPECT_TRUE(RatEqual(a, Int(7)));
}

TEST_F(IntegerTest, ShiftsAndBitwiseExamples) {
  struct Case {
    const char* what;
    BinaryOp op;
    Rational a;
    Rational b;
    Rational want;
  };
  Case cases[] = {
      {"12 and 10", RatAnd, Int(12), Int(10), Int(8)},
      {"12 or 3", RatOr, Int(12), Int(3), Int(15)},
      {"12 xor 10", RatXor, Int(12), Int(10), Int(6)},
      {"2.5 and 3", RatAnd, Frac(5, 2), Int(3), Int(2)},
      {"-12 and 10", RatAnd, Int(-12), Int(10), Int(-8)},
      {"12 and -10", RatAnd, Int(12), Int(-10), Int(8)},
      {"12 and 3", RatAnd, Int(12), Int(3), Int(0)},
      {"1 - 10^-40 or 0", RatOr, OneMinusTenTo(40), Int(0), Int(1)},
      {"5 << 2", RatShiftLeft, Int(5), Int(2), Int(20)},
      {"5 << -1", RatShiftLeft, Int(5), Int(-1), Frac(5, 2)},
      {"5 >> 1", RatShiftRight, Int(5), Int(1), Frac(5, 2)},
      {"2.7 << 1", RatShiftLeft, Frac(27, 10), Int(1), Int(4)},
      {"-3 << 1.9", RatShiftLeft, Int(-3), Frac(19, 10), Int(-6)},
      {"1 << 2^32 + 3 wraps to 3", RatShiftLeft, Int(1), FromInt64((int64_t{1} << 32) + 3), Int(8)},
      {"mask 32 xor 0", RatXor, CopyRational(Mask32), Int(0), FromInt64(0xFFFFFFFFLL)},
      {"2^40 - 1 and mask 32", RatAnd, FromInt64((int64_t{1} << 40) - 1), CopyRational(Mask32), FromInt64(0xFFFFFFFFLL)},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.op(c.a, c.b);
    EXPECT_TRUE(RatEqual(c.a, c.want));
    EXPECT_GE(c.a.num->exp, 0);
    EXPECT_GE(c.a.den->exp, 0);
  }
}

TEST_F(IntegerTest, BitwiseMatchesMachineIntegers) {
  std::mt19937_64 rng(5);
  const BinaryOp ops[] = {RatAnd, RatOr, RatXor};
  for (int i = 0; i < 300; ++i) {
    const int64_t x = static_cast<int64_t>(rng() >> (rng() % 63 + 1));
    const int64_t y = static_cast<int64_t>(rng() >> (rng() % 63 + 1));
    // The result takes the sign of a non-zero first operand.
    const bool negative = rng() % 2 && x != 0;
    const uint64_t want[] = {static_cast<uint64_t>(x & y), static_cast<uint64_t>(x | y),
                             static_cast<uint64_t>(x ^ y)};
    for (int k = 0; k < 3; ++k) {
      SCOPED_TRACE(::testing::Message() << x << " op " << k << " " << y);
      Rational a = FromInt64(negative ? -x : x);
      const Rational b = FromInt64(rng() % 2 ? -y : y);
      ops[k](a, b);
      const int64_t w = static_cast<int64_t>(want[k]);
      EXPECT_TRUE(RatEqual(a, FromInt64(negative ? -w : w)));
      EXPECT_EQ(BigNumToInt(*a.den, kInternalBase), 1);
    }
  }
}

// The integer part of a tiny value is a zero over a long denominator; a
// bitwise operation with it must still give a whole n / 1 (found by the
// paste fuzzer: 991 / tan(8 degrees) And 34e-3999 left a numerator with a
// negative exponent).
TEST_F(IntegerTest, BitwiseWithAZeroIntegerPartGivesAnInteger) {
  Rational tiny;  // 34e-3999 as an entry gives it
  tiny.num = BigNumFromInt(34, kInternalBase);
  tiny.den = RadixPowInternal(10, 3999);
  Rational tan8 = Int(8);
  Tangent(tan8, Degrees);
  Rational wide = Int(991);
  RatDiv(wide, tan8);
  for (int32_t selector = kBitAnd; selector <= kBitXor; ++selector) {
    SCOPED_TRACE(selector);
    Rational a = CopyRational(tiny);
    if (selector == kBitAnd) RatAnd(a, wide);
    if (selector == kBitOr) RatOr(a, wide);
    if (selector == kBitXor) RatXor(a, wide);
    EXPECT_GE(a.num->exp, 0);
    EXPECT_GE(a.den->exp, 0);
    EXPECT_TRUE(RatEqual(a, selector == kBitAnd ? Int(0) : Int(7051)));
  }
}

TEST_F(IntegerTest, OperandsMayBeTheSameObject) {
  struct Case {
    const char* what;
    BinaryOp op;
    Rational a;
    Rational want;
  };
  Case cases[] = {
      {"and", RatAnd, Int(13), Int(13)},
      {"or", RatOr, Frac(27, 2), Int(13)},
      {"xor", RatXor, Int(13), Int(0)},
      {"mod", RatMod, Frac(27, 2), Int(0)},
      {"shift left", RatShiftLeft, Int(3), Int(24)},
      {"shift right", RatShiftRight, Int(3), Frac(3, 8)},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.op(c.a, c.a);
    EXPECT_TRUE(RatEqual(c.a, c.want));
  }
  BigPtr w = BigNumFromInt(12345, kInternalBase);
  DigitwiseOp(w, *w, kBitXor);
  EXPECT_TRUE(BigNumIsZero(*w));
  EXPECT_EQ(w->count, 1);
}

TEST_F(IntegerTest, DigitwiseOpAlignsTheWords) {
  // a = words (1, 2) at exp 1, b = words (3) at exp 0 and (4) at exp 3.
  BigPtr a = AllocBigNum(2);
  a->sign = -1;
  a->count = 2;
  a->exp = 1;
  a->digits()[0] = 1;
  a->digits()[1] = 2;
  BigPtr b = BigNumFromInt(3, kInternalBase);
  BigPtr orResult = CopyBigNum(*a);
  DigitwiseOp(orResult, *b, kBitOr);
  EXPECT_EQ(orResult->exp, 0);
  ASSERT_EQ(orResult->count, 3);
  EXPECT_EQ(orResult->digits()[0], 3u);
  EXPECT_EQ(orResult->digits()[1], 1u);
  EXPECT_EQ(orResult->digits()[2], 2u);
  EXPECT_EQ(orResult->sign, -1);
  BigPtr high = BigNumFromInt(6, kInternalBase);
  high->exp = 3;
  BigPtr andResult = CopyBigNum(*a);
  DigitwiseOp(andResult, *high, kBitAnd);
  EXPECT_TRUE(BigNumIsZero(*andResult));
  EXPECT_EQ(andResult->count, 1);
}

TEST_F(IntegerTest, FailedOperationsLeaveTheirOperand) {
  const BinaryOp ops[] = {RatAnd, RatShiftLeft, RatMod};
  for (BinaryOp op : ops) {
    int failures = 0;
    for (int64_t n = 0; n < 400; ++n) {
      Rational a = Frac(27, 2);
      const Rational b = Frac(7, 3);
      const int64_t live = AllocLiveBlocks();
      AllocFailAfter(n);
      try {
        op(a, b);
        AllocFailAfter(-1);
        break;
      } catch (const ArithError& e) {
        AllocFailAfter(-1);
        ++failures;
        EXPECT_EQ(e.code, ErrOutOfMemory);
        EXPECT_TRUE(RatEqual(a, Frac(27, 2)));
        EXPECT_EQ(AllocLiveBlocks(), live);
      }
    }
    EXPECT_GT(failures, 3);
  }
}

}  // namespace
