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

// x <- ln(x + sqrt(x^2 + c)), c = +1 or -1.
void LogOfRootSum(Rational& x, const Rational& c) {
  Rational w = CopyRational(x);
  RatMul(w, x);
  RatAdd(w, c);
  Root(w, RatTwo);
  RatAdd(x, w);
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
  Rational v = CopyRational(x);
  if (RatGreaterEqual(v, RatOne)) {
    HalfExponentialSum(v, -1);
  } else {
    SinhSeries(v);
  }
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
  HypCosine(c);
  Rational s = CopyRational(x);
  HypSine(s);
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
    LogOfRootSum(v, RatOne);
    if (sign < 0) v.num->sign = -v.num->sign;
  } else {
    v = CopyRational(x);
    ArsinhSeries(v);
  }
  x = std::move(v);
}

void HypArcCosine(Rational& x) {
  if (RatLess(x, RatOne)) ThrowError(ErrInvalidInput);
  Rational v = CopyRational(x);
  LogOfRootSum(v, RatMinusOne);
  x = std::move(v);
}

void HypArcTangent(Rational& x) {
  Rational below = CopyRational(x);
  RatSub(below, RatOne);
  Rational v = CopyRational(x);
  RatAdd(v, RatOne);
  RatDiv(v, below);
  v.num->sign = -v.num->sign;
  NaturalLog(v);
  RatDiv(v, RatTwo);
  x = std::move(v);
}
