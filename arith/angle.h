// Angle units shared by the trigonometric operations.
//
// The numeric values are those the settings store and the display shows;
// every operation taking an angle receives one of these.
#pragma once

#include <cstdint>

enum AngleUnit : int32_t { Degrees = 0, Radians = 1, Grads = 2 };
