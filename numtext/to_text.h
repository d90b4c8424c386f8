// Rendering a Rational as text in a radix.
//
// A text holds the separator character exactly once (after the integer part
// in fixed form, after the first digit in scientific form), digits printed
// with DigitAlphabet (upper-case "A" to "F"), and in scientific form the
// exponent mark ("e" in radix 10, "^" otherwise), a sign that is always
// present and the exponent's digits in the radix. At most P significant
// digits are shown; see DigitsRound (arith/radix_convert.h) for how they are
// chosen and rounded. Callers that want no trailing separator remove it.
#pragma once

#include <cstdint>
#include <string>

#include "arith/bignum.h"
#include "arith/radix_convert.h"
#include "arith/rational.h"

// The text of x in `radix` and `mode` (kDisplayAuto or kDisplayScientific).
// x keeps its value; its two exponents may both be lowered by the same
// amount. Throws ErrOutOfMemory (x keeps its value). If AbortFlag stops the
// conversion, the text is meaningless.
std::string RationalToText(Rational& x, int32_t radix, int32_t mode);

// The text of the radix-digit number n, which is rounded in place.
std::string DigitsToText(BigPtr& n, int32_t radix, int32_t mode);
