// Exponential and logarithms of a Rational.
//
// Each operation replaces its argument with the result, carried to the
// working precision P by a Taylor series on a range-reduced argument (the
// loop and stopping rule of arith/series.h). The constants they read (e,
// e^(1/2), ln 2, ln 10, epsilon, the exponent limits) come from the constant
// set of arith/constants.h and must have been built for the current radix and
// precision.
//
// On ErrInvalidInput the argument is unchanged. When the watchdog's abort
// flag is set the series and the reduction loop of NaturalLog stop after
// their current pass and the operation finishes with the partial values; the
// engine discards such a result.
#pragma once

#include "arith/rational.h"

// x <- sum of x^n / n!, n >= 0. Meant for |x| < 1; the constant set also
// calls it with 1 and 1/2. Throws only ErrOutOfMemory.
void ExpSeries(Rational& x);

// x <- e^x: e raised to the integer part by repeated squaring times the
// series of the fraction (a fraction within epsilon of zero is ignored).
// Throws ErrInvalidInput when |x| > 100000.
void Exponential(Rational& x);

// x <- ln x by the series of ln(1 + y), y = x - 1. Meant for
// 1 <= x <= e^(1/2). Throws only ErrOutOfMemory.
void LnSeries(Rational& x);

// x <- ln x. Large arguments are brought down by powers of 2^31, then by
// e^(1/2), into the range of LnSeries; an argument below 1 is inverted first
// and the result negated, so ln(1/x) is exactly -ln(x).
// Throws ErrInvalidInput when x <= 0; every positive value has its
// logarithm, however small.
void NaturalLog(Rational& x);

// x <- log10 x = ln x / ln 10. Throws as NaturalLog.
void CommonLog(Rational& x);
