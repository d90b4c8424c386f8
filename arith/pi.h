// Pi to any number of words, by binary splitting.
//
// PiToWords(n) is a Rational within a relative error of 2^-31n of pi, computed
// from Machin's formula pi = 16 atan(1/5) - 4 atan(1/239), each arc tangent's
// series summed exactly by binary splitting (products of similar sizes, so
// that the long products use the fast multiplication). Its numerator and
// denominator are cut to about n + 2 words. The last result is kept and
// handed out again, cut down, for any request of at most as many words.
// Stops early, with a meaningless value, when the abort flag is set.
#pragma once

#include <cstdint>

#include "arith/rational.h"

Rational PiToWords(int32_t words);
