// Conversions between base-2^31 values and radix-digit numbers, and the
// choice of the digits a value is shown with.
//
// A radix-digit number is a BigNum whose base is a radix (2 to 16): one
// printed digit per word, value = sign * digits * radix^exp, exp may be
// negative. Text conversion goes through such numbers in both directions;
// this file holds the numeric part of it, the characters are numtext's.
//
// DigitsRound decides everything a rendering shows except the characters:
// how many significant digits, where they are rounded, fixed or scientific
// form and the exponent. The text layer prints from its result, and
// RatRoundToDisplay builds from the same result the number that reading the
// printed text back would give, without any characters; the integer part of
// a value is taken of that number.
#pragma once

#include <cstdint>

#include "arith/bignum.h"
#include "arith/rational.h"

// Display modes of a rendering.
constexpr int32_t kDisplayAuto = 0;        // fixed unless the number does not fit
constexpr int32_t kDisplayScientific = 1;  // always one digit before the point

// What the layout of a rounded radix-digit number needs.
struct DigitsLayout {
  int32_t shown;     // significant digits printed, from the top; 0 for zero
  int32_t point;     // digits before the separator; <= 0 means -point zeros
                     // follow it before the first digit (1 in scientific form)
  bool scientific;
  int32_t exponent;  // the printed exponent (scientific form only)
  bool negative;     // a "-" is printed (never for zero)
};

// A new radix-digit number of the same value as v (base 2^31), exact when v
// has at most P + 1 words; otherwise only its top P + 1 words are converted
// and scaled by (2^31)^(the words left out) computed with BigNumPow (its
// squares cut to P + R digits). Stops early, with a meaningless value, when
// AbortFlag is set.
BigPtr InternalToDigits(const BigNum& v, int32_t radix);

// A new base-2^31 number of the same value as the radix-digit number d, whose
// exp must be >= 0. The radix is taken from RadixBig; the second form names
// it. Throws ErrOutOfMemory, also when radix^exp is too large to build.
BigPtr DigitsToInternal(const BigNum& d);
BigPtr DigitsToInternal(const BigNum& d, int32_t radix);

// The Rational of a radix-digit number: the digits over radix^(-exp) when exp
// is negative, else the digits times radix^exp over 1.
Rational DigitsToRational(const BigNum& d, int32_t radix);

// radix^n (n >= 0) in base 2^31, exact. Throws ErrOutOfMemory when the power
// would exceed the size this conversion accepts (about 2^20 words).
BigPtr RadixPowInternal(int32_t radix, int32_t n);

// The number of radix digits of |n - 1| (0 when n = 1): what a scientific
// exponent costs when the point would stand after n digits. The first form
// reads the current radix.
int32_t ExponentDigitCount(int32_t n);
int32_t ExponentDigitCount(int32_t n, int32_t radix);

// The quotient x.num / x.den as a radix-digit number: both components are
// converted with InternalToDigits (after their exponents are lowered by
// their common part, which leaves the value of x unchanged) and divided with
// BigNumDiv, so at most max(P + 2, lengths) digits, truncated.
BigPtr RatToRadixDigits(Rational& x, int32_t radix);

// Rounds n (changed in place) to what a rendering in `mode` shows and returns
// the layout. At most P significant digits are shown; in automatic mode a
// number whose fixed form would need more than P + 2 digits after the point
// or more than P + 3 before it is shown in scientific form, and each
// exponent digit beyond the first costs one mantissa digit. Rounding adds
// half a unit of the last shown digit to the magnitude (ties away from zero)
// and starts again when that shortened the number. After it the top `shown`
// digits of n are the ones printed.
DigitsLayout DigitsRound(BigPtr& n, int32_t radix, int32_t mode);

// The number of characters of the text of a rounded number (sign, digits,
// zeros, one separator character, exponent mark, sign and digits).
int32_t DigitsTextLength(const DigitsLayout& layout, int32_t radix);

// The radix-digit number that reading the text of a rounded number back
// gives (ParseDigits at the current P): the shown digits, or, when exactly P
// are shown, the shown digits followed by one zero digit per other character
// of the text. Zero is one digit 0 with exp 0.
BigPtr DigitsAsParsed(const BigNum& n, const DigitsLayout& layout,
                      int32_t radix);

// x rounded to the display precision in automatic mode and the current
// radix: the Rational that rendering x as text and reading the text back
// would give (with the same numerator and denominator). x keeps its value;
// its two exponents may both be lowered by the same amount.
Rational RatRoundToDisplay(Rational& x);

// x rounded to P significant digits of the current radix, half away from
// zero: the digits a scientific rendering shows, and the value every
// function result is stored with. x keeps its value; its two exponents may
// both be lowered by the same amount.
Rational RatRoundToPrecision(Rational& x);

// The same through the radix digits of x, for any x; RatRoundToPrecision
// takes a path on words for the fixed-point values of the evaluators.
Rational RatRoundToPrecisionByDigits(Rational& x);
