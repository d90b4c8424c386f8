#include "numtext/settings.h"

#include <algorithm>
#include <cstring>

#include "arith/settings.h"
#include "numtext/entry.h"

char DecimalSeparator[5] = ".";

char DecimalSeparatorChar() {
  return DecimalSeparator[0] != '\0' ? DecimalSeparator[0] : '.';
}

void SetDecimalSeparator(std::string_view text) {
  if (text.empty()) text = ".";
  const std::size_t n = text.size() < 4 ? text.size() : 4;
  std::memset(DecimalSeparator, 0, sizeof DecimalSeparator);
  std::memcpy(DecimalSeparator, text.data(), n);
}

int32_t BitsPerDigit(int32_t r) {
  if (r <= 2) return 1;
  uint32_t rest = static_cast<uint32_t>(r);
  int32_t trailing = 0;
  while ((rest & 1u) == 0) {
    rest >>= 1;
    ++trailing;
  }
  if (rest == 1) return trailing;
  int32_t length = 0;
  for (; rest != 0; rest >>= 1) ++length;
  return trailing + length;
}

void UpdateMaxEntryDigits() {
  const int32_t digits = settings.radix == 10
                             ? settings.precision
                             : settings.wordBits / BitsPerDigit(settings.radix);
  // No entry holds more characters than a DigitString, whatever word size
  // the command line gave; the bound also keeps the working precision
  // (one digit more) within reach of the arithmetic.
  settings.maxEntryDigits = std::clamp(digits, 0, kDigitStringCapacity);
}
