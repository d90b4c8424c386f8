// Reading text as numbers.
//
// ParseDigits reads a text in the current radix (settings.radix) into a
// radix-digit number (arith/radix_convert.h): optional sign, digits, one
// decimal point (the separator text, its first character alone, or "."),
// and an optional exponent part after the mark ("^" always, "e" in radix 10)
// with an optional sign, its digits read in the radix. Reading ends at the
// end of the text or at a newline; an invalid character ends the number and
// the digits read before it stand.
// EntryToRational turns the two strings of a typed entry into a Rational.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "arith/bignum.h"
#include "arith/rational.h"

// The 64 digit characters; a digit's value is its index.
extern const char DigitAlphabet[65];

// The radix-digit number of `text`, trimmed to the working precision P
// (BigNumTrimWindow), or null for an empty text. A zero is one digit 0 with
// exp 0 and sign +1. Never reads outside the text. Throws ErrInvalidInput
// when the resulting exponent (or the number's span, exp + count) does not
// fit 32 bits, however many exponent digits the text has; ErrOutOfMemory.
BigPtr ParseDigits(std::string_view text);

// The value of an entry: the mantissa text in the current radix, times
// radix^k or divided by radix^k where k is the exponent text's value
// (exponentNegative chooses; with no or an empty exponent text k is 0), its
// sign flipped when mantissaNegative is set. Neither text carries a sign
// character. Nothing when a text yields no number. Throws ErrInvalidInput
// when the exponent does not fit 32 bits; ErrOutOfMemory.
std::optional<Rational> EntryToRational(bool mantissaNegative,
                                        std::string_view mantissa,
                                        bool exponentNegative,
                                        std::optional<std::string_view> exponent);
