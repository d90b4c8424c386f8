// Factorial of any Rational, x! = Gamma(x + 1).
//
// A whole x >= 0 gives the exact integer product 1 * 2 * ... * x (denominator
// 1); it is formed as a balanced product tree, whose result is the same
// integer in fewer word operations. Any other x is carried by the recurrence
// Gamma(y + 1) = y Gamma(y) to an argument in (0, 1], whose gamma function
// comes from the series of the lower incomplete gamma function, cut off
// where its tail is below the working precision.
//
// The argument is replaced by the result; on a thrown error it keeps the
// value it had before the call. When the watchdog's abort flag is set every
// loop (the products, the recurrence, the series) stops early and the
// function finishes with a meaningless value, which the engine discards.
#pragma once

#include "arith/rational.h"

// x <- x!. Throws ErrInvalidInput for a negative integer and for a negative
// x within a negligible distance (below radix^-P) of one; a negative x that
// close to zero is taken as 0 instead and gives 1. Near the other poles the
// result is very large. An exact product beyond what a number block can
// hold throws ErrOutOfMemory.
void Factorial(Rational& x);

// x <- Gamma(x), meant for 0 < x <= 1. Raises the working precision for its
// own duration by guard digits for the cancellation in its alternating sum
// and restores it on every path.
void GammaSeries(Rational& x);
