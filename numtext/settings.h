// The settings of number entry and text conversion.
//
// DecimalSeparator holds the international decimal separator as read from
// the profile: up to four characters and a terminator, "." by default. Its
// first character is the one written into entries and texts; the parser
// also accepts the whole text. The radix, precision, word size and the entry
// limit live in `settings` (arith/settings.h).
#pragma once

#include <cstdint>
#include <string_view>

extern char DecimalSeparator[5];

// The separator character written into entries and texts: the first
// character of DecimalSeparator, "." when that is empty.
char DecimalSeparatorChar();

// DecimalSeparator <- the first four characters of text ("." when empty).
void SetDecimalSeparator(std::string_view text);

// The bits needed to write the largest digit of radix r: the smallest b with
// 2^b >= r (2 -> 1, 8 -> 3, 10 -> 4, 16 -> 4). At least 1.
int32_t BitsPerDigit(int32_t r);

// settings.maxEntryDigits <- settings.precision in radix 10, otherwise
// settings.wordBits / BitsPerDigit(settings.radix); at most
// kDigitStringCapacity (numtext/entry.h), at least 0.
void UpdateMaxEntryDigits();
