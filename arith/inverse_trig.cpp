#include "arith/inverse_trig.h"

#include <utility>

#include "arith/constants.h"
#include "arith/error.h"
#include "arith/power.h"
#include "arith/series.h"

namespace {

}  // namespace

void AsinSeries(Rational& x) {
  Rational square = CopyRational(x);
  RatMul(square, x);
  Rational sum = CopyRational(x);
  Rational term = CopyRational(x);
  BigPtr n = SeriesCounter(1);
  do {
    RatMul(term, square);
    BigNumMulInternal(term.num, *n);
    BigNumMulInternal(term.num, *n);
    SeriesCounterIncrement(n);
    BigNumMulInternal(term.den, *n);
    SeriesCounterIncrement(n);
    BigNumMulInternal(term.den, *n);
    RatAdd(sum, term);
  } while (!SeriesShouldStop(term));
  SeriesFinish(x, sum);
}

void AtanSeries(Rational& x) {
  Rational square = CopyRational(x);
  RatMul(square, x);
  square.num->sign = -square.num->sign;
  Rational sum = CopyRational(x);
  Rational term = CopyRational(x);
  BigPtr n = SeriesCounter(1);
  do {
    RatMul(term, square);
    BigNumMulInternal(term.num, *n);
    SeriesCounterIncrement(n);
    SeriesCounterIncrement(n);
    BigNumMulInternal(term.den, *n);
    RatAdd(sum, term);
  } while (!SeriesShouldStop(term));
  SeriesFinish(x, sum);
}

void ArcSine(Rational& x) {
  Rational v = CopyRational(x);
  const int32_t s = RatTakeMagnitude(v);

  Rational gap = CopyRational(v);
  RatSub(gap, RatOne);
  if (RatGreaterEqual(gap, MinusEpsilon) && RatLessEqual(gap, Epsilon)) {
    v = CopyRational(HalfPi);
  } else if (RatGreater(v, RatPoint85)) {
    if (RatGreater(v, RatOne)) ThrowError(ErrInvalidInput);
    // arcsin v = pi/2 - arcsin sqrt(1 - v^2); the root is below 0.53.
    // 1 - v^2 as (1 - v)(1 + v): near 1 the square would lose the digits of
    // 1 - v to its cut.
    Rational below = CopyRational(RatOne);
    RatSub(below, v);
    Rational above = CopyRational(v);
    RatAdd(above, RatOne);
    RatMul(below, above);
    v = std::move(below);
    Root(v, RatTwo);
    AsinSeries(v);
    RatSubtractFrom(v, HalfPi);
  } else {
    AsinSeries(v);
  }
  RatGiveSign(v, s);
  x = std::move(v);
}

void ArcCosine(Rational& x) {
  Rational v = CopyRational(x);
  const int32_t s = RatTakeMagnitude(v);
  if (RatEqual(v, RatOne)) {
    v = CopyRational(s < 0 ? Pi : RatZero);
  } else {
    RatGiveSign(v, s);
    ArcSine(v);
    RatSubtractFrom(v, HalfPi);
  }
  x = std::move(v);
}

void ArcTangent(Rational& x) {
  Rational v = CopyRational(x);
  const int32_t s = RatTakeMagnitude(v);
  if (RatGreater(v, RatPoint85)) {
    const bool big = RatGreater(v, RatTwo);
    RatGiveSign(v, s);
    if (big) {
      // arctan v = pi/2 - arctan(1/v).
      Rational w = CopyRational(RatOne);
      RatDiv(w, v);
      AtanSeries(w);
      RatTakeMagnitude(w);
      RatGiveSign(w, s);
      v = CopyRational(HalfPi);
      RatSub(v, w);
    } else {
      // arctan v = arcsin(v / sqrt(1 + v^2)).
      Rational w = CopyRational(v);
      RatMul(w, v);
      RatAdd(w, RatOne);
      Root(w, RatTwo);
      RatDiv(v, w);
      ArcSine(v);
      RatTakeMagnitude(v);
      RatGiveSign(v, s);
    }
  } else {
    RatGiveSign(v, s);
    AtanSeries(v);
  }
  // Folds pi/2 + arctan(1/|x|), what the reciprocal identity gives for x < -2.
  if (RatGreater(v, HalfPi)) RatSub(v, Pi);
  x = std::move(v);
}

void RadiansToUnit(Rational& x, AngleUnit unit) {
  const Rational* turn = nullptr;
  switch (unit) {
    case Degrees: turn = &Deg360; break;
    case Grads: turn = &Grad400; break;
    case Radians: return;
  }
  if (turn == nullptr) return;
  Rational v = CopyRational(x);
  RatDiv(v, TwoPi);
  RatMul(v, *turn);
  x = std::move(v);
}

void ArcSineInUnit(Rational& x, AngleUnit unit) {
  Rational v = CopyRational(x);
  ArcSine(v);
  RadiansToUnit(v, unit);
  x = std::move(v);
}

void ArcCosineInUnit(Rational& x, AngleUnit unit) {
  Rational v = CopyRational(x);
  ArcCosine(v);
  RadiansToUnit(v, unit);
  x = std::move(v);
}

void ArcTangentInUnit(Rational& x, AngleUnit unit) {
  Rational v = CopyRational(x);
  ArcTangent(v);
  RadiansToUnit(v, unit);
  x = std::move(v);
}
