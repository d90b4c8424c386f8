#include "numtext/to_text.h"

#include <cstdint>
#include <new>
#include <utility>

#include "arith/error.h"
#include "numtext/from_text.h"
#include "numtext/settings.h"

namespace {

// The characters of a rounded number: the top `shown` digits of n placed by
// the layout, zeros up to the point, the separator once, the exponent.
std::string LayOut(const BigNum& n, const DigitsLayout& layout, int32_t radix) {
  const char separator = DecimalSeparatorChar();
  std::string text;
  text.reserve(static_cast<std::size_t>(DigitsTextLength(layout, radix)));
  if (layout.negative) text += '-';
  int64_t point = layout.point;
  if (!layout.scientific && point <= 0) {
    text += '0';
    text += separator;
    text.append(static_cast<std::size_t>(-point), '0');
    point = 0;
  }
  const uint32_t* digits = n.digits();
  for (int32_t i = n.count - 1; i >= n.count - layout.shown; --i) {
    text += DigitAlphabet[digits[i]];
    if (--point == 0) text += separator;
  }
  while (point > 0) {
    text += '0';
    if (--point == 0) text += separator;
  }
  if (layout.scientific) {
    text += radix == 10 ? 'e' : '^';
    const int64_t e = layout.exponent;
    text += e < 0 ? '-' : '+';
    uint64_t magnitude = static_cast<uint64_t>(e < 0 ? -e : e);
    char reversed[72];
    int length = 0;
    do {
      reversed[length++] = DigitAlphabet[magnitude % static_cast<uint64_t>(radix)];
      magnitude /= static_cast<uint64_t>(radix);
    } while (magnitude != 0);
    while (length > 0) text += reversed[--length];
  }
  return text;
}

}  // namespace

std::string DigitsToText(BigPtr& n, int32_t radix, int32_t mode) {
  const DigitsLayout layout = DigitsRound(n, radix, mode);
  try {
    return LayOut(*n, layout, radix);
  } catch (const std::bad_alloc&) {
    ThrowError(ErrOutOfMemory);
  }
}

std::string RationalToText(Rational& x, int32_t radix, int32_t mode) {
  BigPtr n = RatToRadixDigits(x, radix);
  return DigitsToText(n, radix, mode);
}
