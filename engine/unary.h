// Unary function keys 96 to 109 (Int, Not, sin, cos, tan, ln, log, square
// root, x^2, x^3, n!, 1/x, dms, percent).
#pragma once

#include "engine/commands.h"

// The dispatcher's handler for a unary function key, called after the entry
// boundary. The functions are not available yet: every key beeps and changes
// nothing.
void HandleUnaryFunction(CommandId id);
