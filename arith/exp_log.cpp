#include "arith/exp_log.h"

#include <utility>

#include "arith/constants.h"
#include "arith/error.h"
#include "arith/integer.h"
#include "arith/series.h"
#include "arith/settings.h"

void ExpSeries(Rational& x) {
  Rational sum = RatFromInt(1);
  Rational term = RatFromInt(1);
  BigPtr n = SeriesCounter(0);
  do {
    RatMul(term, x);
    SeriesCounterIncrement(n);
    BigNumMulInternal(term.den, *n);
    RatAdd(sum, term);
  } while (!SeriesShouldStop(term));
  SeriesFinish(x, sum);
}

void Exponential(Rational& x) {
  if (RatGreater(x, ExpLimit) || RatLess(x, MinusExpLimit)) {
    ThrowError(ErrInvalidInput);
  }
  Rational whole = CopyRational(x);
  RatInt(whole);
  const int32_t power = RatToInt(whole);
  Rational result = CopyRational(EulerE);
  RatPowInt(result, power);

  Rational fraction = CopyRational(x);
  RatSub(fraction, whole);
  if (!(RatGreater(fraction, MinusEpsilon) && RatLess(fraction, Epsilon))) {
    ExpSeries(fraction);
    RatMul(fraction, result);
    result = std::move(fraction);
  }
  x = std::move(result);
}

void LnSeries(Rational& x) {
  // y = (num - den) / den, built without a division.
  Rational y;
  y.num = CopyBigNum(*x.num);
  {
    BigPtr minusDen = CopyBigNum(*x.den);
    minusDen->sign = -minusDen->sign;
    BigNumAdd(y.num, *minusDen, kInternalBase);
  }
  y.den = CopyBigNum(*x.den);

  Rational multiplier = CopyRational(y);
  multiplier.num->sign = -multiplier.num->sign;
  Rational sum = CopyRational(y);
  Rational term = std::move(y);
  BigPtr n = SeriesCounter(1);
  do {
    RatMul(term, multiplier);
    BigNumMulInternal(term.num, *n);
    SeriesCounterIncrement(n);
    BigNumMulInternal(term.den, *n);
    RatAdd(sum, term);
    TruncateNumerator(multiplier);
  } while (!SeriesShouldStop(term));
  SeriesFinish(x, sum);
}

void NaturalLog(Rational& x) {
  if (RatSign(x) <= 0) ThrowError(ErrInvalidInput);

  Rational v = CopyRational(x);
  const bool inverted = RatLess(v, RatOne);
  if (inverted) std::swap(v.num, v.den);

  // Whole words first: v / B^(b-1) with ln B^(b-1) = 31 (b-1) ln 2.
  Rational logSum = RatFromInt(0);
  const int32_t b = v.num->span() - v.den->span();
  if (b > 1) {
    v.den->exp += b - 1;
    logSum = RatFromInt(b - 1);
    RatMul(logSum, RatFromInt(kWordBits));
    RatMul(logSum, Ln2);
    TruncateNumerator(v);
  }

  // Then halves: v / e^(1/2) until v <= e^(1/2).
  int32_t halves = 0;
  while (RatGreater(v, SqrtE) && !AbortRequested()) {
    RatDiv(v, SqrtE);
    ++halves;
  }

  LnSeries(v);

  Rational k = RatFromInt(halves);
  RatDiv(k, RatTwo);
  RatAdd(logSum, k);
  RatAdd(v, logSum);
  RatTrim(v);
  if (inverted) v.num->sign = -v.num->sign;
  x = std::move(v);
}

void CommonLog(Rational& x) {
  Rational v = CopyRational(x);
  NaturalLog(v);
  RatDiv(v, Ln10);
  x = std::move(v);
}
