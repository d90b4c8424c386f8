#include "arith/rounded.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "arith/constants.h"
#include "arith/error.h"
#include "arith/exp_log.h"
#include "arith/factorial.h"
#include "arith/fast_eval.h"
#include "arith/hyperbolic.h"
#include "arith/integer.h"
#include "arith/inverse_trig.h"
#include "arith/power.h"
#include "arith/radix_convert.h"
#include "arith/settings.h"
#include "arith/trig.h"

namespace {

// The base guard, in bits: one word. The cuts of RatTrim keep whole words,
// at least P + guard digits, and the series stop a word below that, so the
// evaluation is good to about P + 12 decimal digits at the least, a few
// more than the (P + 8)-th digit that the rounding needs, with room for the
// error gathered over a few hundred steps.
constexpr double kBaseGuardBits = 30.0;

// Digits of cancellation the base guard absorbs without a second evaluation
// (a sine of 0.01 or more, say).
constexpr int32_t kCancellationSlack = 2;

// The most the guard grows to for a cancelling result, in multiples of P.
constexpr int32_t kMaxGuardTimesP = 3;

// log2 of a BigNum's magnitude, from its top two words; nonzero b only.
double Log2Magnitude(const BigNum& b) {
  const uint32_t* d = b.digits();
  double top = static_cast<double>(d[b.count - 1]);
  if (b.count >= 2) top += static_cast<double>(d[b.count - 2]) / kInternalBase;
  return std::log2(top) + double{kWordBits} * (b.span() - 1);
}

// log2 |x| to well within a bit; x must not be zero.
double Log2Magnitude(const Rational& x) {
  return Log2Magnitude(*x.num) - Log2Magnitude(*x.den);
}

// Radix digits for `bits` bits, rounded up; 0 for bits <= 0.
int32_t DigitsForBits(double bits, int32_t radix) {
  if (!(bits > 0)) return 0;
  const double digits = std::ceil(bits / std::log2(static_cast<double>(radix)));
  return digits > 1e6 ? 1000000 : static_cast<int32_t>(digits);
}

// log2 of |ln x| at least 0, for a nonzero x.
double Log2OfLog(const Rational& x) {
  const double lnx = std::fabs(Log2Magnitude(x)) * 0.6931471805599453;
  return lnx > 1 ? std::log2(lnx) : 0.0;
}

// log2 of the distance from x to the nearest whole number, at most 0. n!
// of x = n + d carries the gamma function down to d, where Gamma(d) ~ 1/d
// holds the digits of the result only below its leading 1/d.
double Log2DistanceToInteger(const Rational& x) {
  Rational f = CopyRational(x);
  RatFrac(f);
  RatTakeMagnitude(f);
  Rational g = CopyRational(RatOne);
  RatSub(g, f);
  if (RatIsZero(f) || RatIsZero(g)) return 0;
  return std::min(std::min(Log2Magnitude(f), Log2Magnitude(g)), 0.0);
}

// Bits the argument's size costs the evaluation.
double ArgumentBits(RoundedFunction f, const Rational& x, const Rational* y) {
  if (RatIsZero(x)) return 0;
  const double size = Log2Magnitude(x);
  switch (f) {
    case FnExponential:
    case FnHypSine:
    case FnHypCosine:
    case FnHypTangent:
      return size;
    case FnFactorial:
      return std::max(size, 0.0) - Log2DistanceToInteger(x);
    case FnPowerOfTen:
      return size + 1.2;  // |x ln 10|
    case FnPower:
      return RatIsZero(*y) ? 0 : Log2Magnitude(*y) + Log2OfLog(x);
    case FnRoot:
      return RatIsZero(*y) ? 0 : Log2OfLog(x) - Log2Magnitude(*y);
    default:
      return 0;
  }
}

// log2 of the size of the radian angle x in `unit`, capped at 3 (a reduced
// angle is at most about 2 pi).
double ReducedAngleBits(const Rational& x, AngleUnit unit) {
  double bits = Log2Magnitude(x);
  if (unit == Degrees) bits -= 5.84;  // 180 / pi
  if (unit == Grads) bits -= 5.99;    // 200 / pi
  return std::min(bits, 3.0);
}

// Bits by which the result v of f(x) has cancelled below the quantities of
// its evaluation; 0 for the functions that do not cancel.
double CancelledBits(RoundedFunction f, const Rational& x, const Rational& v,
                     AngleUnit unit) {
  if (RatIsZero(v) || RatIsZero(x)) return 0;
  const double size = Log2Magnitude(v);
  switch (f) {
    case FnSine:
      return std::max(ReducedAngleBits(x, unit), 0.0) - size;
    case FnCosine:
    case FnHypArcCosine:
      return -size;
    case FnTangent:
      return std::max(std::max(ReducedAngleBits(x, unit), 0.0) - size, size);
    case FnArcCosine:
      // The value in radians against pi / 2.
      if (unit == Degrees) return 5.84 - size;
      if (unit == Grads) return 5.99 - size;
      return -size;
    default:
      return 0;
  }
}

bool MayCancel(RoundedFunction f) {
  return f == FnSine || f == FnCosine || f == FnTangent || f == FnArcCosine ||
         f == FnHypArcCosine;
}

// Raises the working precision with the constant set of the raised
// precision in force, and puts the set of the previous precision back.
class ConstantSetRaise {
 public:
  ConstantSetRaise(int32_t radix, int32_t precision)
      : radix_(radix), saved_(WorkingPrecision) {
    try {
      SelectConstantSet(radix_, precision);
    } catch (const ArithError&) {
      // A set half built for lack of memory is not kept; the caller's comes
      // back from the cache.
      Restore();
      throw;
    }
  }
  ~ConstantSetRaise() { Restore(); }
  ConstantSetRaise(const ConstantSetRaise&) = delete;
  ConstantSetRaise& operator=(const ConstantSetRaise&) = delete;

 private:
  void Restore() noexcept {
    try {
      SelectConstantSet(radix_, saved_);
    } catch (...) {
      // Out of memory while putting the set back: the precision at least is
      // the caller's again.
      WorkingPrecision = saved_;
    }
  }

  int32_t radix_;
  int32_t saved_;
};

// True when the evaluation of f(x) reads no constant slot, so that raising
// the working precision is all its guard digits need: the fast evaluators
// keep their own constants (pi, ln 2, ln 10) to the words asked.
bool NeedsNoConstantSet(RoundedFunction f, const Rational& x, const Rational* y) {
  switch (f) {
    case FnSine:
    case FnCosine:
    case FnTangent:
    case FnArcTangent:
    case FnHypSine:
    case FnHypCosine:
    case FnHypTangent:
    case FnNaturalLog:
    case FnCommonLog:
    case FnExponential:
      return true;
    case FnRoot: {
      if (RatIsZero(*y)) return false;
      Rational q = RatFromInt(1);
      RatDiv(q, *y);
      return FastRootDegree(x, q) != 0;
    }
    default:
      return false;
  }
}

// f at the working precision in force.
void Evaluate(Rational& v, RoundedFunction f, AngleUnit unit,
              const Rational* y) {
  switch (f) {
    case FnSine: GuardedSine(v, unit); break;
    case FnCosine: GuardedCosine(v, unit); break;
    case FnTangent: GuardedTangent(v, unit); break;
    case FnArcSine: GuardedArcSine(v, unit); break;
    case FnArcCosine: GuardedArcCosine(v, unit); break;
    case FnArcTangent: GuardedArcTangent(v, unit); break;
    case FnHypSine: GuardedHypSine(v); break;
    case FnHypCosine: GuardedHypCosine(v); break;
    case FnHypTangent: GuardedHypTangent(v); break;
    case FnHypArcSine: GuardedHypArcSine(v); break;
    case FnHypArcCosine: GuardedHypArcCosine(v); break;
    case FnHypArcTangent: GuardedHypArcTangent(v); break;
    case FnNaturalLog: GuardedNaturalLog(v); break;
    case FnCommonLog: GuardedCommonLog(v); break;
    case FnExponential: GuardedExponential(v); break;
    case FnPowerOfTen: {
      Rational ten = RatFromInt(10);
      GuardedPower(ten, v);
      v = std::move(ten);
      break;
    }
    case FnPower: GuardedPower(v, *y); break;
    case FnRoot: {
      Rational q = RatFromInt(1);
      RatDiv(q, *y);
      GuardedPower(v, q);
      break;
    }
    case FnFactorial: GuardedFactorial(v); break;
  }
}

// The exact cases, computed as they are: true when x holds the result.
bool EvaluateExact(Rational& x, RoundedFunction f, const Rational* y) {
  switch (f) {
    case FnPower:
      // Beyond 32 bits the power goes through e^(y ln x), which is not
      // exact: rounded like any other result.
      if (!RatIsInteger(*y) || RatGreater(*y, RatFromInt(INT32_MAX)) ||
          RatLess(*y, RatFromInt(-INT32_MAX))) {
        return false;
      }
      // The range test of an integral power takes a logarithm: the fast one,
      // as every other key does.
      FastPower(x, *y);
      return true;
    case FnRoot: {
      if (RatIsZero(*y)) ThrowError(ErrDivideByZeroPositive);
      Rational q = RatFromInt(1);
      RatDiv(q, *y);
      if (!RatIsInteger(q)) return false;
      FastPower(x, q);
      return true;
    }
    case FnPowerOfTen:
      if (!RatIsInteger(x)) return false;
      PowerOfTen(x);
      return true;
    case FnFactorial:
      if (!RatIsInteger(x)) return false;
      Factorial(x);
      return true;
    default:
      return false;
  }
}

// |v| <= |bound|, exactly.
bool MagnitudeAtMost(const Rational& v, const Rational& bound) {
  Rational a = CopyRational(v);
  RatTakeMagnitude(a);
  Rational b = CopyRational(bound);
  RatTakeMagnitude(b);
  return RatLessEqual(a, b);
}

}  // namespace

bool RatIsInteger(const Rational& x) {
  if (RatIsZero(x)) return true;
  const BigNum& den = *x.den;
  if (den.count == 1 && den.exp == 0 && den.digits()[0] == 1) return true;
  // A nonzero value below 1 in magnitude is no whole number.
  if (BigNumLessMagnitude(*x.num, den)) return false;
  BigPtr rest = CopyBigNum(*x.num);
  BigNumRem(rest, *x.den);
  return BigNumIsZero(*rest);
}

void EvaluateRounded(Rational& x, RoundedFunction f, AngleUnit unit,
                     const Rational* y) {
  if (EvaluateExact(x, f, y)) return;
  const int32_t p = WorkingPrecision;
  const int32_t radix = ConstantSetRadix();
  // The exponent may be a constant slot, which the raise exchanges.
  Rational exponent;
  if (y != nullptr) {
    exponent = CopyRational(*y);
    y = &exponent;
  }
  const Rational epsilon = CopyRational(Epsilon);
  const int32_t base = DigitsForBits(kBaseGuardBits, radix);
  const int32_t forArgument =
      std::min(DigitsForBits(ArgumentBits(f, x, y), radix), p * kMaxGuardTimesP);
  int32_t guard = base + forArgument;
  const bool precisionOnly = NeedsNoConstantSet(f, x, y);
  Rational v;
  for (int pass = 0;; ++pass) {
    v = CopyRational(x);
    if (precisionOnly) {
      PrecisionRaise raise(p + guard);
      Evaluate(v, f, unit, y);
    } else {
      ConstantSetRaise raise(radix, p + guard);
      Evaluate(v, f, unit, y);
    }
    if (AbortRequested()) {
      x = std::move(v);
      return;
    }
    if (pass >= 2 || !MayCancel(f)) break;
    const int32_t cancelled = std::min(
        DigitsForBits(CancelledBits(f, x, v, unit), radix), p * kMaxGuardTimesP);
    if (cancelled <= kCancellationSlack ||
        base + forArgument + cancelled <= guard) {
      break;
    }
    guard = base + forArgument + cancelled + 2;
  }

  // The tangent snaps with its sine.
  if ((f == FnSine || f == FnCosine || f == FnTangent) &&
      MagnitudeAtMost(v, epsilon)) {
    x = RatFromInt(0);
    return;
  }
  if (f == FnTangent && !RatIsZero(v) && !RatIsZero(epsilon)) {
    // |tan| >= 1/epsilon is a cosine within epsilon of zero.
    Rational product = CopyRational(v);
    RatMul(product, epsilon);
    if (!MagnitudeAtMost(product, RatOne) || RatEqual(product, RatOne) ||
        RatEqual(product, RatMinusOne)) {
      ThrowError(ErrInvalidInput);
    }
  }
  x = RatRoundToPrecision(v);
}

void GuardedSine(Rational& x, AngleUnit unit) { FastSine(x, unit); }
void GuardedCosine(Rational& x, AngleUnit unit) { FastCosine(x, unit); }
void GuardedTangent(Rational& x, AngleUnit unit) { FastTangent(x, unit); }
void GuardedArcSine(Rational& x, AngleUnit unit) { FastArcSine(x, unit); }
void GuardedArcCosine(Rational& x, AngleUnit unit) { FastArcCosine(x, unit); }
void GuardedArcTangent(Rational& x, AngleUnit unit) { FastArcTangent(x, unit); }
void GuardedHypSine(Rational& x) { FastHypSine(x); }
void GuardedHypCosine(Rational& x) { FastHypCosine(x); }
void GuardedHypTangent(Rational& x) { FastHypTangent(x); }
void GuardedHypArcSine(Rational& x) { HypArcSine(x); }
void GuardedHypArcCosine(Rational& x) { HypArcCosine(x); }
void GuardedHypArcTangent(Rational& x) { HypArcTangent(x); }
void GuardedNaturalLog(Rational& x) { FastNaturalLog(x); }
void GuardedCommonLog(Rational& x) { FastCommonLog(x); }
void GuardedExponential(Rational& x) { FastExponential(x); }
void GuardedPower(Rational& x, const Rational& y) { FastPower(x, y); }
void GuardedFactorial(Rational& x) { FastFactorial(x); }
