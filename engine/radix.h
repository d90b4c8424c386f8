// Radix, word size, angle unit and precision of the engine.
//
// The radix (2, 8, 10 or 16), the precision setting and the word size in bits
// live in `settings` (arith/settings.h); the word-size index and the angle
// unit are fields of the engine state. The buttons 146 to 148 serve two
// roles: in radix 10 they select the angle unit, in any other radix the word
// size. Every change of radix or word size rebuilds the constant set at the
// precision the entry limit implies.
#pragma once

#include <array>
#include <cstdint>

#include "arith/rational.h"
#include "engine/commands.h"

// The radix of each radix button 140 to 143.
constexpr std::array<int32_t, 4> kRadixValues = {2, 8, 10, 16};
// Keys that are enabled only in radix 10.
constexpr std::array<CommandId, 7> kDecimalOnlyKeys = {
    CmdFE, CmdDms, CmdSin, CmdCos, CmdTan, CmdExponent, CmdPi};

// The mask of the word size selected (`wordSizeIndex`): 2^32 - 1, 65535 or
// 255.
const Rational& CurrentWordMask();

// Selects the word-size index that matches settings.wordBits when it is one
// of the buttons' sizes (32, 16 or 8 bits), else the first, so that mask and
// entry limit agree.
void SelectWordSizeOfSettings();

// Recomputes maxEntryDigits and rebuilds the constants for the radix at
// maxEntryDigits + 1 digits. Throws ErrOutOfMemory.
void ApplyPrecision();

// Selects a radix: x is a radix button (140 to 143) or a radix value. Checks
// the radix button, relabels and reselects 146 to 148 for the radix (angle
// units in radix 10, word sizes elsewhere), rebuilds the constants, enables
// the keys that make sense and refreshes the display. A radix value that is
// no button's (possible only from the command line) checks no radix button
// and is clamped to 2..16.
void SetRadix(int32_t x);

// Enables the keys for the current radix: the radix-10-only keys and the
// digit keys 2 to F. Does nothing when they are already set for it.
void UpdateRadixKeys();

// Commands 146 to 148: the angle unit in radix 10, the word size elsewhere;
// then checks the button and refreshes.
void SelectUnitOrWordSize(CommandId id);
