// The display: rendering the engine state into the text of control 403, and
// the error display with its keypad lock.
//
// Outside entry mode the display shows `currentValue`: in radix 10 as the
// text conversion renders it, in radix 2, 8 and 16 as an unsigned integer of
// the word size (two's complement for negative values). That reduction is
// stored back into `currentValue`, so after a refresh in radix 2, 8 or 16 the
// current value is the integer shown.
//
// DisplayCache remembers the value and the settings of the last rendering;
// a refresh outside entry mode with nothing changed sets no text.
#pragma once

#include <cstdint>
#include <optional>

#include "arith/rational.h"

struct DisplayCache {
  std::optional<Rational> value;  // currentValue before the last rendering
  int32_t precision = -1;
  // The digits rendered: besides the precision setting, the word size sets
  // them in radix 2 to 16 (a button can keep its index and change them).
  int32_t workingPrecision = -1;
  int32_t radix = -1;
  int32_t exponentialDisplay = -1;
  int32_t layout = -1;
  int32_t wordSizeIndex = -1;
  int32_t nonDecimal = -1;
  int32_t entryMode = -1;
};

// Whether the cache describes the current value at the settings in force,
// outside entry mode: `displayText` is then that value's rendering (less the
// trailing separator of a whole number in radix 2, 8 and 16). An open
// parenthesis or a message writes the control, not `displayText`.
bool DisplayCacheMatches();

// Renders the display from the engine state (see above) into `displayText`
// and control 403. Out of memory while copying into the cache or reducing
// the value propagates; inside the text conversion it shows the error
// "Not enough memory" (ShowError, keypad locked), `displayText` keeping its
// previous text. While the keypad is locked it does nothing: the error
// message stays until CE or C.
void RefreshDisplay();

// RefreshDisplay with the cache forgotten first, so that the text is set
// even when nothing changed (a new window, new regional settings).
void RefreshDisplayAnew();

// value <- the unsigned integer of the word size that radix 2, 8 and 16
// show: the integer part toward zero, then the two's complement of a
// negative value, then the low bits of the word (`wordSizeIndex`).
void ReduceToWord(Rational& value);

// Shows the message of an error code or bare index (the code without its top
// two bits is the index), locks the keypad and, in the scientific layout,
// disables the mode keys 140 to 148. `displayText` and the cache are kept.
void ShowError(uint32_t codeOrIndex);

// Focuses the layout window and enables or disables the controls 140 to 148.
void EnableModeKeys(bool enable);
