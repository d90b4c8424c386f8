// The number being typed.
//
// While a number is typed it exists only as text: an EntryBuffer holds the
// typed mantissa and the typed exponent as two DigitStrings with their signs
// and the position of the decimal separator in the mantissa. Each key that
// edits a number is one operation here; FormatEntry builds the display text
// and CommitEntry the value.
//
// DigitString invariants:
//  - chars holds digit characters "0"-"9", "A"-"F" (upper case) and, in the
//    mantissa only, the separator character; it is not kept terminated;
//  - initial = 1 means chars is the reset "0" (length 1) that no key has
//    replaced;
//  - the sign is never a character, only the `negative` flag;
//  - length <= kDigitStringCapacity whatever the entry limit is.
// EntryBuffer invariants: pointPosition is -1 or the index of the separator
// in the mantissa; the exponent holds decimal digits only, at most 4.
#pragma once

#include <cstdint>
#include <string>

#include "arith/rational.h"

// Characters a DigitString can hold (one more byte is kept for a terminator).
constexpr int32_t kDigitStringCapacity = 67;
// Digits an exponent can take.
constexpr int32_t kMaxExponentDigits = 4;

struct DigitString {
  int32_t initial;
  int32_t negative;
  int32_t length;
  char chars[kDigitStringCapacity + 1];
};

struct EntryBuffer {
  int32_t exponentMode;   // 1 while the exponent is typed
  int32_t pointPosition;  // index of the separator in mantissa, or -1
  DigitString mantissa;
  DigitString exponent;
};

// s <- "0", positive, initial.
void ResetDigitString(DigitString& s);

// Both strings reset, not in exponent mode, no separator.
void ResetEntry(EntryBuffer& entry);

// Appends the digit `value` (0 to 15) to the exponent in exponent mode, else
// to the mantissa, within the entry limits: settings.maxEntryDigits
// characters for the mantissa (one more in radix 8 when the first digit
// keeps the value within settings.wordBits bits), 4 digits for the exponent,
// never more than kDigitStringCapacity. A 0 on an untouched string is
// accepted and changes nothing. Refuses values not below the radix (10 for
// the exponent). Returns whether the key was accepted; a refused key changes
// nothing.
bool AddDigit(EntryBuffer& entry, int32_t value);

// Appends the separator character to the mantissa. Refused when there is one
// already or the exponent is being typed.
bool AddDecimalPoint(EntryBuffer& entry);

// Enters exponent mode, adding a separator to a mantissa without one.
// Refused (the separator still added) when already in exponent mode.
bool StartExponent(EntryBuffer& entry);

// Toggles the sign of the exponent in exponent mode, else of the mantissa;
// on an untouched mantissa both signs are cleared instead.
void ToggleEntrySign(EntryBuffer& entry);

// Removes the last typed character; from an untouched exponent it leaves
// exponent mode. Always true.
bool EntryBackspace(EntryBuffer& entry);

// text <- the display text of the entry in `radix`: sign, mantissa, a
// separator when none was typed, in exponent mode "e" (radix 10) or "^" with
// the exponent's sign and digits; outside radix 10 a final separator is
// dropped. Never throws: when no memory can be had for the new text, the
// caller's text stays as it was.
void FormatEntry(const EntryBuffer& entry, int32_t radix, std::string& text);

// value <- the value of the entry (EntryToRational in the current radix).
// Throws ErrOutOfMemory, ErrInvalidInput; value and entry are unchanged then.
void CommitEntry(EntryBuffer& entry, Rational& value);
