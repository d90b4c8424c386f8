#include "arith/hyperbolic.h"

#include <cstdint>
#include <utility>

#include "arith/constants.h"
#include "arith/error.h"
#include "arith/exp_log.h"
#include "arith/power.h"
#include "arith/series.h"
#include "arith/trig.h"

namespace {

// x <- (e^x + s e^-x) / 2 for s = +1 (cosh) or -1 (sinh).
void HalfExponentialSum(Rational& x, int32_t s) {
  Rational minus = CopyRational(x);
  minus.num->sign = -minus.num->sign;
  Exponential(x);
  Exponential(minus);
  if (s > 0) {
    RatAdd(x, minus);
  } else {
    RatSub(x, minus);
  }
  RatDiv(x, RatTwo);
}

// x <- ln(x + sqrt(radicand)).
void LogOfRootSum(Rational& x, Rational& radicand) {
  Root(radicand, RatTwo);
  RatAdd(x, radicand);
  NaturalLog(x);
}

// The series of arsinh: x - x^3/6 + 3x^5/40 - ..., each term the previous
// one times -x^2 n^2 / ((n+1)(n+2)), n odd.
void ArsinhSeries(Rational& x) {
  Rational m = CopyRational(x);
  RatMul(m, x);
  m.num->sign = -m.num->sign;
  Rational sum = CopyRational(x);
  Rational term = CopyRational(x);
  uint64_t n = 1;
  do {
    RatMul(term, m);
    BigNumMulIndices(term.num, n, n);
    BigNumMulIndices(term.den, n + 1, n + 2);
    n += 2;
    RatAdd(sum, term);
  } while (!SeriesShouldStop(term));
  SeriesFinish(x, sum);
}

}  // namespace

void SinhSeries(Rational& x) { SineCosineSeries(x, true, false); }

void CoshSeries(Rational& x) { SineCosineSeries(x, false, false); }

void HypSine(Rational& x) {
  // On |x|, so that sinh(-x) = -sinh(x) in value, errors and time.
  Rational v = CopyRational(x);
  const int32_t sign = RatTakeMagnitude(v);
  if (RatGreaterEqual(v, RatOne)) {
    HalfExponentialSum(v, -1);
  } else {
    SinhSeries(v);
  }
  RatGiveSign(v, sign);
  x = std::move(v);
}

void HypCosine(Rational& x) {
  Rational v = CopyRational(x);
  RatTakeMagnitude(v);
  if (RatGreaterEqual(v, RatOne)) {
    HalfExponentialSum(v, 1);
  } else {
    CoshSeries(v);
  }
  if (RatLess(v, RatOne)) v = CopyRational(RatOne);
  x = std::move(v);
}

void HypTangent(Rational& x) {
  Rational c = CopyRational(x);
  const int32_t sign = RatTakeMagnitude(c);
  Rational s = CopyRational(c);
  HypCosine(c);
  HypSine(s);
  RatGiveSign(s, sign);
  // s / c by two products; c >= 1, so its numerator is not zero.
  BigNumMulInternal(s.num, *c.den);
  BigNumMulInternal(s.den, *c.num);
  x = std::move(s);
}

void HypArcSine(Rational& x) {
  Rational v = CopyRational(x);
  const int32_t sign = RatTakeMagnitude(v);
  if (RatGreater(v, RatPoint85)) {
    // On |x|: for x < 0, x + sqrt(x^2 + 1) would cancel to a few digits.
    Rational radicand = CopyRational(v);
    RatMul(radicand, v);
    RatAdd(radicand, RatOne);
    LogOfRootSum(v, radicand);
    if (sign < 0) v.num->sign = -v.num->sign;
  } else {
    v = CopyRational(x);
    ArsinhSeries(v);
  }
  x = std::move(v);
}

void HypArcCosine(Rational& x) {
  if (RatLess(x, RatOne)) ThrowError(ErrInvalidInput);
  // x^2 - 1 as (x - 1)(x + 1): near 1 the square would lose the digits of
  // x - 1 to its cut.
  Rational radicand = CopyRational(x);
  RatSub(radicand, RatOne);
  Rational above = CopyRational(x);
  RatAdd(above, RatOne);
  RatMul(radicand, above);
  Rational v = CopyRational(x);
  LogOfRootSum(v, radicand);
  x = std::move(v);
}

void HypArcTangent(Rational& x) {
  // On |x| = a / b, so that artanh(-x) = -artanh(x), errors included.
  Rational v = CopyRational(x);
  const int32_t sign = RatTakeMagnitude(v);
  if (RatEqual(v, RatOne)) ThrowError(ErrDivideByZeroPositive);
  if (RatGreater(v, RatOne)) ThrowError(ErrInvalidInput);
  // (1 + v) / (1 - v) = (b + a) / (b - a), exact: a cut quotient would
  // leave only its absolute error in the logarithm of a small v.
  Rational ratio;
  ratio.num = BigNumSum(*v.den, 1, *v.num, 1, kInternalBase);
  ratio.den = BigNumSum(*v.den, 1, *v.num, -1, kInternalBase);
  NaturalLog(ratio);
  RatDiv(ratio, RatTwo);
  RatGiveSign(ratio, sign);
  x = std::move(ratio);
}
