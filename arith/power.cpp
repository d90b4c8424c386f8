#include "arith/power.h"

#include <cstdint>
#include <limits>
#include <utility>

#include "arith/constants.h"
#include "arith/error.h"
#include "arith/exp_log.h"
#include "arith/integer.h"

namespace {

bool WithinEpsilon(const Rational& v) {
  return RatGreater(v, MinusEpsilon) && RatLess(v, Epsilon);
}

// True when the integral exponent `whole` is what its 32-bit conversion
// `count` holds, and count can be negated (RatPowInt negates a negative one).
bool FitsPowerCount(const Rational& whole, int32_t count) {
  constexpr int32_t kLimit = std::numeric_limits<int32_t>::max();
  if (count == std::numeric_limits<int32_t>::min()) return false;
  return RatLessEqual(whole, RatFromInt(kLimit)) &&
         RatGreaterEqual(whole, RatFromInt(-kLimit));
}

}  // namespace

void PowerWith(Rational& x, const Rational& y, void (*logarithm)(Rational&),
               void (*exponential)(Rational&)) {
  Rational base = CopyRational(x);
  int32_t sign = RatSign(base);
  base.num->sign = 1;
  base.den->sign = 1;

  if (sign == 0) {
    const int ySign = RatSign(y);
    if (ySign < 0) ThrowError(ErrInvalidInput);
    if (ySign == 0) {
      base = RatFromInt(1);
      sign = 1;
    }
  } else {
    Rational fraction = CopyRational(y);
    RatFrac(fraction);
    if (WithinEpsilon(fraction)) {
      Rational whole = CopyRational(y);
      RatSub(whole, fraction);
      const int32_t count = RatToInt(whole);

      Rational logSize = CopyRational(base);
      logarithm(logSize);
      RatMul(logSize, whole);
      if (RatGreater(logSize, ExpLimit) || RatLess(logSize, MinusExpLimit)) {
        ThrowError(ErrInvalidInput);
      }
      if (FitsPowerCount(whole, count)) {
        RatPowInt(base, count);
      } else {
        // An exponent beyond 32 bits with a result still in range: the base
        // is within about 10^-4 of 1, so e^(y ln|x|) gives the magnitude;
        // the wrapped count still has the exponent's parity.
        exponential(logSize);
        base = std::move(logSize);
      }
      if ((count & 1) == 0) sign = 1;
    } else if (sign < 0) {
      // Only odd roots of a negative base: |y| < 1 and 1/y an odd integer.
      if (RatLessEqual(y, RatMinusOne) || RatGreaterEqual(y, RatOne)) {
        ThrowError(ErrInvalidInput);
      }
      Rational q = CopyRational(RatOne);
      RatDiv(q, y);
      q.num->sign = 1;
      q.den->sign = 1;
      RatDiv(q, RatTwo);
      RatFrac(q);
      Rational twice = CopyRational(q);
      RatAdd(q, twice);
      RatSub(q, RatOne);
      if (!(RatGreaterEqual(q, MinusEpsilon) && RatLessEqual(q, Epsilon))) {
        ThrowError(ErrInvalidInput);
      }
      logarithm(base);
      RatMul(base, y);
      exponential(base);
    } else {
      logarithm(base);
      RatMul(base, y);
      exponential(base);
    }
  }
  if (sign < 0) base.num->sign = -base.num->sign;
  x = std::move(base);
}

void Power(Rational& x, const Rational& y) { PowerWith(x, y, NaturalLog, Exponential); }

void Root(Rational& x, const Rational& y) {
  if (RatIsZero(y)) ThrowError(ErrDivideByZeroPositive);
  Rational q = RatFromInt(1);
  RatDiv(q, y);
  Power(x, q);
}

void PowerOfTen(Rational& x) {
  Rational t = RatFromInt(10);
  Power(t, x);
  x = std::move(t);
}
