#include "arith/constants.h"

#include "arith/settings.h"

int32_t ConstantsMark = 2880;
BigPtr RadixBig;
Rational RadixRat;

BigPtr BigOne, BigTwo, BigFive, BigSix, BigTen;
Rational RatZero, RatOne, RatMinusOne, RatTwo, RatSix, RatTen, RatHalf;
Rational RatPoint85, Epsilon, MinusEpsilon;
Rational Pi, HalfPi, TwoPi, ThreeHalvesPi;
Rational EulerE, SqrtE, Ln10, Ln2, DegPerRad, GradPerRad;
Rational Mask64, Mask32, Mask16, Mask8;
Rational Deg360, Grad400, Deg180, Grad200;
Rational ExpLimit, MinusExpLimit;

int32_t DigitsPerWordFor(int32_t radix) {
  const int64_t limit = int64_t{kInternalBase} / radix;
  int64_t product = 1;
  int32_t r = 0;
  while (product < limit) {
    product *= radix;
    ++r;
  }
  return r < 1 ? 1 : r;
}

namespace {

Rational Negated(const Rational& x) {
  Rational r = CopyRational(x);
  r.num->sign = -r.num->sign;
  return r;
}

// Slots whose values are plain integers and simple fractions. The
// transcendental slots (pi, e, the logarithms) are not built yet.
void BuildExactConstants(int32_t precision) {
  BigOne = BigNumFromInt(1, kInternalBase);
  BigTwo = BigNumFromInt(2, kInternalBase);
  BigFive = BigNumFromInt(5, kInternalBase);
  BigSix = BigNumFromInt(6, kInternalBase);
  BigTen = BigNumFromInt(10, kInternalBase);

  Rational eps = CopyRational(RadixRat);
  RatPowInt(eps, -precision);
  Epsilon = std::move(eps);
  MinusEpsilon = Negated(Epsilon);

  RatPoint85 = RatFromInt(85);
  RatDiv(RatPoint85, RatFromInt(100));
  RatSix = RatFromInt(6);
  RatTwo = RatFromInt(2);
  RatZero = RatFromInt(0);
  RatOne = RatFromInt(1);
  RatMinusOne = RatFromInt(-1);
  RatHalf = RatFromBigNums(*BigOne, *BigTwo);
  RatTen = RatFromInt(10);

  Rational m64 = CopyRational(RatTwo);
  BigNumPow(m64.num, 64, kInternalBase);
  RatSub(m64, RatOne);
  Mask64 = std::move(m64);
  Rational m32 = CopyRational(RatTwo);
  BigNumPow(m32.num, 32, kInternalBase);
  RatSub(m32, RatOne);
  Mask32 = std::move(m32);
  Mask16 = RatFromInt(65535);
  Mask8 = RatFromInt(255);
  Grad400 = RatFromInt(400);
  Deg360 = RatFromInt(360);
  Grad200 = RatFromInt(200);
  Deg180 = RatFromInt(180);
  ExpLimit = RatFromInt(100000);
  MinusExpLimit = Negated(ExpLimit);
}

}  // namespace

void LoadStoredConstants() { BuildExactConstants(WorkingPrecision); }

void SetRadixAndPrecision(int32_t radix, int32_t precision) {
  WorkingPrecision = precision;
  AbortFlag.store(false, std::memory_order_relaxed);
  DigitsPerWord = DigitsPerWordFor(radix);
  RadixBig = BigNumFromInt(radix, kInternalBase);
  RadixRat = RatFromInt(radix);
  BuildExactConstants(precision);
}
