#include "numtext/entry.h"

#include <cstring>
#include <new>
#include <optional>
#include <string_view>
#include <utility>

#include "arith/settings.h"
#include "numtext/from_text.h"
#include "numtext/settings.h"

namespace {

void AppendChar(DigitString& s, char c) {
  if (s.initial) {
    s.initial = 0;
    s.length = 0;
  }
  s.chars[s.length] = c;
  ++s.length;
}

// Whether an octal mantissa of `limit` digits may take one more: only when
// its first digit keeps the value within the word (up to 1777777 for 16-bit
// words, 377 for 8-bit and 37777777777 for 32-bit words).
bool OctalTopDigitAllows(const DigitString& mantissa) {
  const int32_t remainder = ((settings.wordBits % 3) + 3) % 3;
  const char first = mantissa.chars[0];
  if (remainder == 1) return first == '1';
  if (remainder == 2) return first <= '3';
  return false;
}

}  // namespace

void ResetDigitString(DigitString& s) {
  s.initial = 1;
  s.negative = 0;
  std::memset(s.chars, 0, sizeof s.chars);
  s.chars[0] = '0';
  s.length = 1;
}

void ResetEntry(EntryBuffer& entry) {
  ResetDigitString(entry.mantissa);
  ResetDigitString(entry.exponent);
  entry.exponentMode = 0;
  entry.pointPosition = -1;
}

bool AddDigit(EntryBuffer& entry, int32_t value) {
  const bool inExponent = entry.exponentMode != 0;
  // Exponents are typed in radix 10 alone; no other digit can be stored.
  const int32_t radix = inExponent ? 10 : settings.radix;
  if (value < 0 || value > 15 || value >= radix) return false;
  const char c = static_cast<char>(value < 10 ? '0' + value : 'A' + value - 10);

  DigitString& target = inExponent ? entry.exponent : entry.mantissa;
  const int32_t limit = inExponent ? kMaxExponentDigits : settings.maxEntryDigits;
  if (target.initial && value == 0) return true;  // no leading zero is stored

  // The reset "0" is replaced by the digit, so it takes no room of its own.
  const int32_t used = target.initial ? 0 : target.length;
  if (used < limit && used < kDigitStringCapacity) {
    AppendChar(target, c);
    return true;
  }
  if (settings.radix == 8 && !inExponent && !target.initial &&
      target.length == limit && target.length < kDigitStringCapacity &&
      OctalTopDigitAllows(target)) {
    AppendChar(target, c);
    return true;
  }
  return false;
}

bool AddDecimalPoint(EntryBuffer& entry) {
  DigitString& mantissa = entry.mantissa;
  if (entry.pointPosition != -1 || entry.exponentMode != 0) return false;
  if (mantissa.length >= kDigitStringCapacity) return false;
  // The reset "0" stays and becomes a typed zero.
  mantissa.initial = 0;
  entry.pointPosition = mantissa.length;
  mantissa.chars[mantissa.length] = DecimalSeparatorChar();
  ++mantissa.length;
  return true;
}

bool StartExponent(EntryBuffer& entry) {
  AddDecimalPoint(entry);
  if (entry.exponentMode != 0) return false;
  entry.exponentMode = 1;
  return true;
}

void ToggleEntrySign(EntryBuffer& entry) {
  if (entry.mantissa.initial) {
    entry.mantissa.negative = 0;
    entry.exponent.negative = 0;
    return;
  }
  DigitString& target = entry.exponentMode ? entry.exponent : entry.mantissa;
  target.negative = target.negative ? 0 : 1;
}

bool EntryBackspace(EntryBuffer& entry) {
  if (entry.exponentMode) {
    DigitString& exponent = entry.exponent;
    if (exponent.initial) {
      // Back into the mantissa; the separator Exp added stays.
      entry.exponentMode = 0;
    } else {
      --exponent.length;
      if (exponent.length <= 0) ResetDigitString(exponent);
    }
    return true;
  }
  DigitString& mantissa = entry.mantissa;
  if (!mantissa.initial) --mantissa.length;
  if (entry.pointPosition >= mantissa.length) entry.pointPosition = -1;
  if (mantissa.length <= 0 || (mantissa.length == 1 && mantissa.chars[0] == '0')) {
    ResetDigitString(mantissa);
  }
  return true;
}

void FormatEntry(const EntryBuffer& entry, int32_t radix, std::string& text) {
  const char separator = DecimalSeparatorChar();
  std::string out;
  try {
    out.reserve(2 * kDigitStringCapacity + 4);
  } catch (const std::bad_alloc&) {
    return;  // no memory for a new text: the caller keeps the old one
  }
  if (entry.mantissa.negative) out += '-';
  out.append(entry.mantissa.chars, static_cast<std::size_t>(entry.mantissa.length));
  if (entry.pointPosition == -1) out += separator;
  if (entry.exponentMode) {
    out += radix == 10 ? 'e' : '^';
    out += entry.exponent.negative ? '-' : '+';
    out.append(entry.exponent.chars, static_cast<std::size_t>(entry.exponent.length));
  }
  if (radix != 10 && !out.empty() && out.back() == separator) out.pop_back();
  text = std::move(out);
}

void CommitEntry(EntryBuffer& entry, Rational& value) {
  DigitString& mantissa = entry.mantissa;
  DigitString& exponent = entry.exponent;
  mantissa.chars[mantissa.length] = '\0';
  std::optional<std::string_view> exponentText;
  if (entry.exponentMode) {
    exponent.chars[exponent.length] = '\0';
    exponentText = std::string_view(exponent.chars, static_cast<std::size_t>(exponent.length));
  }
  std::optional<Rational> result = EntryToRational(
      mantissa.negative != 0,
      std::string_view(mantissa.chars, static_cast<std::size_t>(mantissa.length)),
      exponent.negative != 0, exponentText);
  // A mantissa is never empty, so a number always results; should none, the
  // entry stands for zero.
  value = result ? std::move(*result) : RatFromInt(0);
}
