#include "arith/settings.h"

Settings settings;
int32_t WorkingPrecision = 33;
int32_t DigitsPerWord = 9;
std::atomic<bool> AbortFlag{false};
