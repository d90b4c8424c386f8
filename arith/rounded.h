// Correctly rounded results of the functions whose values are in general
// irrational.
//
// EvaluateRounded is the one place where a function key's result is made:
// the function is evaluated with guard digits (the working precision raised,
// with the constant set of the raised precision in force), and the value is
// rounded once to P significant digits of the current radix, half away from
// zero (RatRoundToPrecision), which is the number the display shows. The
// guard is chosen so that the evaluation error stays far below a unit of the
// (P + 8)-th digit: the stored value is the true value rounded, except where
// the true value lies within about radix^-(P+8) (relative) of a rounding
// boundary.
//
// The guard has three parts: a base of about 12 decimal digits' worth, the
// digits the argument's size costs (e^x raises e to the integer part of x,
// x^y = e^(y ln x), n! multiplies |x| factors), and, for the functions whose
// value can cancel to far below the size of the quantities summed (sine and
// cosine near their zeros, tangent near zeros and poles, arccosine near 1,
// arcosh near 1), the digits such a small result needs; the latter is seen
// only from a first result and costs a second evaluation.
//
// Each function's evaluation at the raised precision is one named call
// (Guarded...), so that another method with a known error bound can stand in
// for the series behind it.
//
// Results that are exact stay exact and are not rounded: x^y and 10^x with
// an integral exponent (repeated squaring), n! of an integer. The snaps of
// the trigonometric functions hold at the working precision: a sine or
// cosine within epsilon of zero is exactly 0, and a tangent whose cosine is
// within epsilon of zero (|tan| at least 1/epsilon) is refused.
#pragma once

#include <cstdint>

#include "arith/angle.h"
#include "arith/rational.h"

enum RoundedFunction : int32_t {
  FnSine,
  FnCosine,
  FnTangent,
  FnArcSine,
  FnArcCosine,
  FnArcTangent,
  FnHypSine,
  FnHypCosine,
  FnHypTangent,
  FnHypArcSine,
  FnHypArcCosine,
  FnHypArcTangent,
  FnNaturalLog,
  FnCommonLog,
  FnExponential,
  FnPowerOfTen,
  FnPower,        // x^y
  FnRoot,         // x^(1/y)
  FnFactorial,
};

// x <- f(x) (f(x, y) for FnPower and FnRoot, with `y` the exponent; the
// angle functions read `unit`), correctly rounded as above. Throws the
// errors of the function (x keeps its value then). When the watchdog's abort
// is requested the result is meaningless and is left unrounded.
void EvaluateRounded(Rational& x, RoundedFunction f, AngleUnit unit = Radians,
                     const Rational* y = nullptr);

// The guarded evaluations: x <- f(x) at the working precision in force, with
// an error of a few units of its last digit at most (more where the value
// cancels, as said above). EvaluateRounded raises the precision and selects
// the constant set before it calls them.
void GuardedSine(Rational& x, AngleUnit unit);
void GuardedCosine(Rational& x, AngleUnit unit);
void GuardedTangent(Rational& x, AngleUnit unit);
void GuardedArcSine(Rational& x, AngleUnit unit);
void GuardedArcCosine(Rational& x, AngleUnit unit);
void GuardedArcTangent(Rational& x, AngleUnit unit);
void GuardedHypSine(Rational& x);
void GuardedHypCosine(Rational& x);
void GuardedHypTangent(Rational& x);
void GuardedHypArcSine(Rational& x);
void GuardedHypArcCosine(Rational& x);
void GuardedHypArcTangent(Rational& x);
void GuardedNaturalLog(Rational& x);
void GuardedCommonLog(Rational& x);
void GuardedExponential(Rational& x);
void GuardedPower(Rational& x, const Rational& y);
void GuardedFactorial(Rational& x);

// True when x is a whole number, exactly.
bool RatIsInteger(const Rational& x);
