// Unary function keys 96 to 109: Int, Not, sin, cos, tan, ln, log, the
// square root of the standard layout, x^2, x^3, n!, 1/x, dms and percent.
//
// Each key replaces the current value by a function of it. Inv and Hyp pick
// the inverse and hyperbolic variants; the function itself never clears
// them, the key handler does afterwards for the keys that consume them
// (ClearsInverse, ClearsHyperbolic). sin, cos, tan and dms exist in radix 10
// only; in any other radix they beep and keep the value, and the modifiers
// are cleared as after a result.
#pragma once

#include "arith/rational.h"
#include "engine/commands.h"

// value <- the function of key `id` (96 to 109) of value, chosen by
// `inverse`, `hyperbolic`, `angleUnit`, `wordSizeIndex`, `layout` and the
// radix; percent also reads `lastValue`. Any other id returns at once.
// Arithmetic errors are caught and shown with ShowError (which locks the
// keypad); value then keeps its old value. A result finished while the
// watchdog's abort was requested is meaningless and is dropped the same
// way. Only ErrOutOfMemory raised outside the arithmetic could escape.
void ApplyUnary(Rational& value, CommandId id);

// The dispatcher's handler for a unary key, after the entry boundary: a key
// right after a binary operator works on that operator's left operand; then
// ApplyUnary on `currentValue`, the display refresh, the clearing of the
// modifiers the key consumed and `freshOperand` set. After an error (or an
// abort) it stops with the modifiers as they were.
void HandleUnaryFunction(CommandId id);
