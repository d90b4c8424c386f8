#include "numtext/from_text.h"

#include <algorithm>
#include <cstring>

#include "arith/constants.h"
#include "arith/error.h"
#include "arith/radix_convert.h"
#include "arith/settings.h"
#include "numtext/settings.h"

const char DigitAlphabet[65] =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_@";

namespace {

// Character classes of the parser.
enum : int { kPoint = 0, kZero = 1, kOther = 2, kSign = 3, kMark = 4 };
constexpr int kErrorState = 14;

// Next state by (state, class). States: 0 start, 1 after the sign, 2 leading
// zeros, 3 point before any integer digit, 4 integer digits, 5 zeros after
// the point before anything significant, 6 fraction digits, 7 point after
// integer digits, 8 exponent mark, 9 exponent sign, 10 exponent digits,
// 11-13 the same three after a zero mantissa, 14 error.
constexpr int kNextState[15][5] = {
    {3, 2, 4, 1, 14},      {3, 2, 4, 14, 14},     {3, 2, 4, 14, 11},
    {14, 5, 6, 14, 8},     {7, 4, 4, 14, 8},      {14, 5, 6, 14, 11},
    {14, 6, 6, 14, 8},     {14, 6, 6, 14, 8},     {14, 10, 10, 9, 14},
    {14, 10, 10, 14, 14},  {14, 10, 10, 14, 14},  {14, 13, 13, 12, 14},
    {14, 13, 13, 14, 14},  {14, 13, 13, 14, 14},  {14, 14, 14, 14, 14},
};

// An exponent value beyond which more digits change nothing: far outside
// 32 bits, far inside 64.
constexpr int64_t kExponentCap = int64_t{1} << 40;

// The value of a digit character in `radix`, or -1 when it is none.
int32_t DigitValue(char c, int32_t radix) {
  if (radix > 10 && radix <= 36 && c >= 'a' && c <= 'z') c = c - 'a' + 'A';
  const void* found = std::memchr(DigitAlphabet, c, 64);
  if (found == nullptr) return -1;
  const int32_t value =
      static_cast<int32_t>(static_cast<const char*>(found) - DigitAlphabet);
  return value < radix ? value : -1;
}

// Zero as every parse gives it: one digit 0, exp 0, sign +1.
BigPtr CanonicalZero() { return BigNumFromInt(0, static_cast<uint32_t>(settings.radix)); }

}  // namespace

BigPtr ParseDigits(std::string_view text) {
  const int32_t radix = settings.radix;
  if (text.empty()) return nullptr;
  if (text.size() > static_cast<std::size_t>(INT32_MAX / 2)) {
    ThrowError(ErrOutOfMemory);
  }
  const int32_t len = static_cast<int32_t>(text.size());
  BigPtr result = AllocBigNum(len);
  uint32_t* slots = result->digits();

  std::size_t separatorLength = 0;
  while (separatorLength < 4 && DecimalSeparator[separatorLength] != '\0') {
    ++separatorLength;
  }
  const std::string_view separator(DecimalSeparator, separatorLength);
  const char separatorChar = DecimalSeparatorChar();
  int32_t sign = 1;
  int32_t count = 0;
  int64_t exp = 0;
  int32_t exponentSign = 1;
  int64_t exponentValue = 0;
  int state = 0;

  std::size_t i = 0;
  while (i < text.size() && text[i] != '\n') {
    const char c = text[i];
    int cls = kOther;
    std::size_t width = 1;
    if (!separator.empty() && text.substr(i, separator.size()) == separator) {
      cls = kPoint;
      width = separator.size();
    } else if (c == '.' || c == separatorChar) {
      // A separator's first character alone also reads as a point: that is
      // all an entry or a rendered text writes of it.
      cls = kPoint;
    } else if (c == '0') {
      cls = kZero;
    } else if (c == '+' || c == '-') {
      cls = kSign;
    } else if (c == '^' || (c == 'e' && radix == 10)) {
      cls = kMark;
    }
    i += width;

    state = kNextState[state][cls];
    switch (state) {
      case 1:
        sign = c == '-' ? -1 : 1;
        break;
      case 4:
      case 6: {
        const int32_t value = DigitValue(c, radix);
        if (value < 0) {
          // The number ends before this character, which counts for nothing.
          state = kErrorState;
          break;
        }
        slots[len - 1 - count] = static_cast<uint32_t>(value);
        ++count;
        // An integer digit leaves exp as it is, a fraction digit lowers it.
        if (state == 6) --exp;
        break;
      }
      case 5:
        --exp;
        break;
      case 9:
      case 12:
        exponentSign = c == '-' ? -1 : 1;
        break;
      case 10:
      case 13: {
        const int32_t value = DigitValue(c, radix);
        if (value < 0) {
          state = kErrorState;
          break;
        }
        exponentValue = exponentValue * radix + value;
        if (exponentValue > kExponentCap) exponentValue = kExponentCap;
        break;
      }
      default:
        break;
    }
  }

  if (state == 5 || state == 13) return CanonicalZero();
  // The slots below the last digit stored become zero digits at the bottom.
  exp -= len - count;
  exp += exponentSign * exponentValue;
  result->sign = sign;
  result->count = len;
  // Trimmed with the exponent kept aside, so that only the exponent that is
  // finally stored has to fit 32 bits (with the number's span).
  result->exp = 0;
  BigNumTrimWindow(*result, WorkingPrecision);
  if (result->count == 0 || BigNumIsZero(*result)) return CanonicalZero();
  exp += result->exp;
  if (exp < -int64_t{INT32_MAX} || exp + result->count > INT32_MAX) {
    ThrowError(ErrInvalidInput);
  }
  result->exp = static_cast<int32_t>(exp);
  return result;
}

std::optional<Rational> EntryToRational(bool mantissaNegative,
                                        std::string_view mantissa,
                                        bool exponentNegative,
                                        std::optional<std::string_view> exponent) {
  const int32_t radix = settings.radix;
  BigPtr digits = ParseDigits(mantissa);
  if (!digits) return std::nullopt;
  Rational value = DigitsToRational(*digits, radix);

  int64_t k = 0;
  if (exponent && !exponent->empty()) {
    BigPtr e;
    {
      // Read the exponent at a precision that keeps all its digits: at a
      // tiny working precision the trim would turn 1023 into 1000.
      const int64_t length = static_cast<int64_t>(exponent->size());
      PrecisionRaise whole(static_cast<int32_t>(
          std::min<int64_t>(std::max<int64_t>(WorkingPrecision, length), INT32_MAX / 2)));
      e = ParseDigits(*exponent);
    }
    if (!e) return std::nullopt;
    // The integer part of e, read so that no value wraps into a small one.
    for (int32_t i = e->count - 1; i >= 0; --i) {
      if (int64_t{e->exp} + i < 0) break;
      k = k * radix + e->digits()[i];
      if (k > INT32_MAX) ThrowError(ErrInvalidInput);
    }
    for (int32_t i = 0; i < e->exp && k != 0; ++i) {
      k *= radix;
      if (k > INT32_MAX) ThrowError(ErrInvalidInput);
    }
    if (e->sign < 0) k = -k;
  }

  Rational scale;
  scale.num = RadixPowInternal(radix, static_cast<int32_t>(k < 0 ? -k : k));
  scale.den = BigNumFromInt(1, kInternalBase);
  if (exponentNegative) {
    RatDiv(value, scale);
  } else if (k > 0) {
    RatMul(value, scale);
  }
  if (mantissaNegative) value.num->sign = -value.num->sign;
  return value;
}
