// Hyperbolic functions of a Rational and their inverses.
//
// sinh and cosh come from their Taylor series below 1 in magnitude and from
// two exponentials above; tanh is their quotient. The odd functions work on
// |x| and give the result the sign of x, so that f(-x) = -f(x) holds in
// value, error and time. The inverses are logarithms:
//   arsinh x = ln(x + sqrt(x^2 + 1))   (|x| > 0.85; its series below),
//   arcosh x = ln(x + sqrt((x - 1)(x + 1)))   (x >= 1),
//   artanh x = ln((1 + x) / (1 - x)) / 2, the quotient formed exactly.
// The series run the loop of arith/series.h at the working precision.
//
// Each operation replaces its argument with the result; on a thrown error the
// argument keeps the value it had before the call. When the watchdog's abort
// flag is set the series stop after their current term and the function
// finishes with a meaningless value, which the engine discards.
#pragma once

#include "arith/rational.h"

// x <- sinh x. Throws ErrInvalidInput when |x| > 100000 (from Exponential).
void HypSine(Rational& x);

// x <- cosh x, never below 1; cosh(-x) is exactly cosh x.
// Throws ErrInvalidInput when |x| > 100000.
void HypCosine(Rational& x);

// x <- tanh x = sinh x / cosh x, the quotient taken by cross-multiplication
// without trimming. Throws ErrInvalidInput when |x| > 100000.
void HypTangent(Rational& x);

// x <- arsinh x. arsinh(-x) is computed as -arsinh(x), so that large
// negative arguments do not lose their digits to cancellation.
void HypArcSine(Rational& x);

// x <- arcosh x. Throws ErrInvalidInput when x < 1.
void HypArcCosine(Rational& x);

// x <- artanh x. Throws ErrDivideByZeroPositive at x = 1 and x = -1 and
// ErrInvalidInput for |x| > 1.
void HypArcTangent(Rational& x);

// x <- sinh x by its series x + x^3/3! + x^5/5! + ...
void SinhSeries(Rational& x);

// x <- cosh x by its series 1 + x^2/2! + x^4/4! + ...
void CoshSeries(Rational& x);
