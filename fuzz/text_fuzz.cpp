// Fuzz target: text conversion in every radix.
//
// Input: byte 0 picks the radix (2 to 16), byte 1 the working precision
// (1 to 70 digits), byte 2 the flags: bit 0 scientific display, bits 1 and
// 2 the decimal separator, bits 3 to 5 the signs and presence of an entry's
// exponent; byte 3 where the rest splits into an entry's mantissa and
// exponent (up to four bytes after the split, each taken as a decimal digit,
// as an entry has them). The rest is read with ParseDigits, rendered with
// RationalToText and read back; and it is read as a typed entry with
// EntryToRational, whose value is rendered and read back too.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "arith/constants.h"
#include "arith/error.h"
#include "arith/radix_convert.h"
#include "arith/settings.h"
#include "fuzz/fuzz_engine.h"
#include "numtext/entry.h"
#include "numtext/from_text.h"
#include "numtext/settings.h"
#include "numtext/to_text.h"

namespace {

constexpr const char* kSeparators[4] = {".", ",", "::", "ab"};

// The conversions read the radix, P, R and the radix as a number; the
// transcendental constants, whose rebuild would cost more than the whole
// input, play no part in them and stay as the first rebuild made them.
void UseRadixAndPrecision(int32_t radix, int32_t precision) {
  static bool built = false;
  if (!built) {
    SetRadixAndPrecision(10, 33);
    built = true;
  }
  settings.radix = radix;
  SetRadixKeepingConstants(radix, precision);
}

// Radix powers beyond this many digits take long to build (they are
// squared without a poll); the entry never asks for them (its exponent has
// at most four digits and its mantissa no exponent part), so the target
// does not either.
constexpr int64_t kMaxPowerDigits = 20000;

bool PowerWithinReach(const BigNum& d) {
  return d.exp > -kMaxPowerDigits && d.exp < kMaxPowerDigits;
}

bool Tolerated(const ArithError& e) {
  return e.code == ErrInvalidInput || e.code == ErrOutOfMemory;
}

void CheckDigits(const BigNum& d, int32_t radix, const std::string& text) {
  if (d.sign != 1 && d.sign != -1) FuzzFail("parsed sign of " + text);
  if (d.count < 0 || d.count > d.room) FuzzFail("parsed count of " + text);
  for (int32_t i = 0; i < d.count; ++i) {
    if (d.digits()[i] >= static_cast<uint32_t>(radix)) {
      FuzzFail("parsed digit beyond the radix in " + text);
    }
  }
}

// Renders x, reads the text back and renders that again: a text read back
// renders as itself.
void CheckRendering(const Rational& x, int32_t radix, int32_t mode) {
  CheckStoredRational(x, "value read");
  CheckRoundTrip(x, radix, mode, "value read");
  Rational copy = CopyRational(x);
  const std::string text = RationalToText(copy, radix, mode);
  BigPtr d = ParseDigits(text);
  if (!d) FuzzFail("rendered text reads as nothing: " + text);
  std::optional<Rational> back;
  try {
    back = DigitsToRational(*d, radix);
  } catch (const ArithError& e) {
    if (e.code == ErrOutOfMemory) return;
    throw;
  }
  const std::string again = RationalToText(*back, radix, mode);
  if (again == text) return;
  // A scientific text whose exponent digits cost mantissa digits holds fewer
  // digits than the precision, and read back it may fit the fixed form: the
  // form may change, the value may not.
  BigPtr d2 = ParseDigits(again);
  if (!d2) FuzzFail("rendered text reads as nothing: " + again);
  const Rational backAgain = DigitsToRational(*d2, radix);
  if (!RatEqual(backAgain, *back)) {
    FuzzFail("text " + text + " renders back as " + again);
  }
}

}  // namespace

int FuzzText(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const int32_t radix = 2 + data[0] % 15;
  const int32_t precision = 1 + data[1] % 70;
  const uint8_t flags = data[2];
  const int32_t mode = (flags & 1) ? kDisplayScientific : kDisplayAuto;
  SetDecimalSeparator(kSeparators[(flags >> 1) & 3]);
  AbortFlag.store(false);
  UseRadixAndPrecision(radix, precision);

  const std::string_view text(reinterpret_cast<const char*>(data) + 4, size - 4);
  const std::string shown(text.substr(0, 200));

  try {
    BigPtr d = ParseDigits(text);
    if (d && PowerWithinReach(*d)) {
      CheckDigits(*d, radix, shown);
      std::optional<Rational> x;
      try {
        x = DigitsToRational(*d, radix);
      } catch (const ArithError& e) {
        if (e.code != ErrOutOfMemory) throw;
      }
      if (x) CheckRendering(*x, radix, mode);
    }
  } catch (const ArithError& e) {
    if (!Tolerated(e)) FuzzFail("ParseDigits threw " + std::to_string(e.code) + ": " + shown);
  }

  // The same bytes as the two strings of a typed entry.
  const size_t split = data[3] % (text.size() + 1);
  const std::string_view mantissa = text.substr(0, split);
  // An entry's exponent is at most four decimal digits.
  std::string exponentDigits;
  for (char c : text.substr(split, kMaxExponentDigits)) {
    exponentDigits += static_cast<char>('0' + static_cast<unsigned char>(c) % 10);
  }
  std::optional<std::string_view> exponent;
  if (flags & 8) exponent = exponentDigits;
  try {
    BigPtr m = ParseDigits(mantissa);
    if (m && !PowerWithinReach(*m)) return 0;
    std::optional<Rational> x =
        EntryToRational((flags & 16) != 0, mantissa, (flags & 32) != 0, exponent);
    if (x) CheckRendering(*x, radix, mode);
  } catch (const ArithError& e) {
    if (!Tolerated(e)) {
      FuzzFail("EntryToRational threw " + std::to_string(e.code) + ": " + shown);
    }
  }
  SetDecimalSeparator(".");
  return 0;
}

#ifndef QUIB_FUZZ_REPLAY
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzText(data, size);
}
#endif
