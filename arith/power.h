// Powers and roots of Rationals.
//
// The base x is replaced by the result; the exponent is read only and may be
// the same object as x. Integral exponents (within epsilon) are computed by
// repeated squaring, exact up to the cutting of RatTrim; other exponents as
// e^(y ln|x|). A negative base is allowed with an integral exponent, and
// with a non-integral one only when y = 1/k for an odd integer k (odd roots).
// Every result is bounded by e^100000 in magnitude, checked before any large
// multiplication.
//
// On every error the base keeps the value it had before the call.
#pragma once

#include "arith/rational.h"

// x <- x^y. 0^0 = 1.
// Throws ErrInvalidInput when: x = 0 and y < 0; |y ln|x|| > 100000; x < 0 and y is not integral, unless 1/y is an odd
// integer (within epsilon) and |y| < 1.
void Power(Rational& x, const Rational& y);

// x <- x^(1/y). Throws ErrDivideByZeroPositive when y = 0, otherwise as
// Power.
void Root(Rational& x, const Rational& y);

// x <- 10^x. Throws as Power with base 10.
void PowerOfTen(Rational& x);
