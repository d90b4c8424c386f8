// Rendering values as text, and reading the texts back.
#include "numtext/to_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "arith/constants.h"
#include "arith/radix_convert.h"
#include "arith/settings.h"
#include "numtext/from_text.h"
#include "numtext/settings.h"

namespace {

// Working precision of a radix at the default word size and precision:
// one more than the most digits an entry takes.
int32_t PrecisionFor(int32_t radix) {
  switch (radix) {
    case 2:
      return 33;
    case 8:
      return 11;
    case 16:
      return 9;
    default:
      return 33;
  }
}

void UseRadix(int32_t radix, int32_t precision) {
  settings.radix = radix;
  SetRadixAndPrecision(radix, precision);
}

class ToTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseRadix(10, 33);
    SetDecimalSeparator(".");
  }
  void TearDown() override {
    UseRadix(10, 33);
    SetDecimalSeparator(".");
  }
};

Rational Int(int32_t v) { return RatFromInt(v); }

Rational Frac(int32_t a, int32_t b) {
  Rational r = RatFromInt(a);
  RatDiv(r, RatFromInt(b));
  return r;
}

// radix^k as a Rational (k may be negative).
Rational Power(int32_t radix, int32_t k) {
  Rational r = RatFromInt(radix);
  RatPowInt(r, k);
  return r;
}

// A decimal integer of any length times 10^k.
Rational Decimal(const std::string& digits, int32_t k) {
  Rational r = RatFromInt(0);
  const Rational ten = RatFromInt(10);
  for (char c : digits) {
    if (c == '-') continue;
    RatMul(r, ten);
    RatAdd(r, RatFromInt(c - '0'));
  }
  RatMul(r, Power(10, k));
  if (digits[0] == '-') r.num->sign = -r.num->sign;
  return r;
}

TEST_F(ToTextTest, RendersTheDecimalExamples) {
  struct Case {
    const char* what;
    Rational value;
    int32_t mode;
    std::string want;
  };
  Rational oneMinusTiny = Int(1);
  RatSub(oneMinusTiny, Power(10, -40));
  Rational minusTwoAndAHalf = Frac(-5, 2);
  Case cases[] = {
      {"0", Int(0), kDisplayAuto, "0."},
      {"0 scientific", Int(0), kDisplayScientific, "0.e+0"},
      {"1", Int(1), kDisplayAuto, "1."},
      {"-2.5", std::move(minusTwoAndAHalf), kDisplayAuto, "-2.5"},
      {"1/3", Frac(1, 3), kDisplayAuto, "0." + std::string(33, '3')},
      {"2/3", Frac(2, 3), kDisplayAuto, "0." + std::string(32, '6') + "7"},
      {"10^-5", Power(10, -5), kDisplayAuto, "0.00001"},
      {"10^-34", Power(10, -34), kDisplayAuto, "0." + std::string(33, '0') + "1"},
      {"10^-35", Power(10, -35), kDisplayAuto, "0." + std::string(34, '0') + "1"},
      {"10^-36", Power(10, -36), kDisplayAuto, "1.e-36"},
      {"10^35", Power(10, 35), kDisplayAuto, "1" + std::string(35, '0') + "."},
      {"10^36", Power(10, 36), kDisplayAuto, "1.e+36"},
      {"10^40 scientific", Power(10, 40), kDisplayScientific, "1.e+40"},
      {"1 - 10^-40", std::move(oneMinusTiny), kDisplayAuto, "1."},
      {"123.45 scientific", Frac(12345, 100), kDisplayScientific, "1.2345e+2"},
      {"-123.45 scientific", Frac(-12345, 100), kDisplayScientific, "-1.2345e+2"},
      // 40 significant digits at 10^50: two exponent digits leave 32.
      {"40 digits, 10^50",
       Decimal("1234567890123456789012345678901234567890", 11), kDisplayAuto,
       "1.2345678901234567890123456789012e+50"},
      {"40 digits, 10^50, rounding up",
       Decimal("1234567890123456789012345678901256789012", 11), kDisplayAuto,
       "1.2345678901234567890123456789013e+50"},
      {"33 digits in scientific mode keep all 33",
       Decimal("1234567890123456789012345678901234567890", 11),
       kDisplayScientific, "1.23456789012345678901234567890123e+50"},
      {"all nines carry into a new digit",
       Decimal(std::string(40, '9'), 11), kDisplayAuto, "1.e+51"},
      // Three exponent digits leave 31 mantissa digits, rounded (not cut)
      // even though the number has fewer than 33 digits.
      {"32 digits, 10^100",
       Decimal("12345678901234567890123456789015", 69), kDisplayAuto,
       "1.234567890123456789012345678902e+100"},
      {"32 digits, 10^-100",
       Decimal("99999999999999999999999999999995", -131), kDisplayAuto,
       "1.e-99"},
      {"integer zeros below the digits", Decimal("12", 20), kDisplayAuto,
       "12" + std::string(20, '0') + "."},
      {"tie rounds away from zero",
       Decimal("-1234567890123456789012345678901235", -33), kDisplayAuto,
       "-1.23456789012345678901234567890124"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(RationalToText(c.value, 10, c.mode), c.want);
  }
}

TEST_F(ToTextTest, RendersOtherRadices) {
  struct Case {
    int32_t radix;
    Rational value;
    std::string want;
  };
  // Digits of 1/3, 2/3 and 1/10 in radix 16, 2 and 8 expanded with
  // python3-mpmath at 400 bits (0.555555555|5.., 0.1010..1|0.., 0.063146314631|4..),
  // rounded at P = 9, 33, 11 digits (a 4 in radix 8 is half a unit).
  Case cases[] = {
      {16, Int(255), "FF."},
      {2, Int(5), "101."},
      {16, Int(-255), "-FF."},
      {16, Frac(1, 3), "0.555555555"},
      {2, Frac(2, 3), "0." + [] {
         std::string s;
         for (int i = 0; i < 16; ++i) s += "10";
         return s + "1";
       }()},
      {8, Frac(1, 10), "0.063146314632"},
      {16, Power(2, 40), "10000000000."},
      {16, Power(2, 48), "1.^+C"},
      {2, Power(2, -40), "1.^-101000"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.want);
    UseRadix(c.radix, PrecisionFor(c.radix));
    EXPECT_EQ(RationalToText(c.value, c.radix, kDisplayAuto), c.want);
  }
}

TEST_F(ToTextTest, WritesTheSeparatorCharacter) {
  SetDecimalSeparator(",");
  Rational x = Frac(5, 2);
  EXPECT_EQ(RationalToText(x, 10, kDisplayAuto), "2,5");
  Rational zero = Int(0);
  EXPECT_EQ(RationalToText(zero, 10, kDisplayScientific), "0,e+0");
  SetDecimalSeparator(",;");
  EXPECT_EQ(RationalToText(x, 10, kDisplayAuto), "2,5");
}

TEST_F(ToTextTest, KeepsTheValueOfItsArgument) {
  // Both exponents are lowered by their common part; the value stays.
  Rational x;
  x.num = BigNumFromInt(3, kInternalBase);
  x.num->exp = 2;
  x.den = BigNumFromInt(2, kInternalBase);
  x.den->exp = 1;
  Rational before = CopyRational(x);
  EXPECT_EQ(RationalToText(x, 10, kDisplayAuto), "3221225472.");
  EXPECT_TRUE(RatEqual(x, before));
  EXPECT_EQ(x.den->exp, 0);
}

TEST_F(ToTextTest, DigitsToTextRoundsItsArgument) {
  // 0.99999 at P = 3 becomes 1.
  UseRadix(10, 3);
  BigPtr n = BigNumFromInt(99999, 10);
  n->exp = -5;
  EXPECT_EQ(DigitsToText(n, 10, kDisplayAuto), "1.");
  EXPECT_EQ(n->count, 1);
  EXPECT_EQ(n->exp, 0);
}

// The exponent the scientific form of a non-zero text shows (the position
// of its first significant digit), read from the text itself.
int64_t LeadingExponent(const std::string& text, char separator, int32_t radix) {
  std::string body = text[0] == '-' ? text.substr(1) : text;
  const std::size_t mark = body.find_first_of("e^");
  if (mark != std::string::npos) {
    int64_t e = 0;
    for (std::size_t i = mark + 2; i < body.size(); ++i) {
      e = e * radix + static_cast<int64_t>(std::string(DigitAlphabet).find(body[i]));
    }
    return body[mark + 1] == '-' ? -e : e;
  }
  const std::size_t point = body.find(separator);
  if (body.compare(0, 2, std::string("0") + separator) != 0) {
    return static_cast<int64_t>(point) - 1;
  }
  const std::size_t first = body.find_first_not_of('0', point + 1);
  return -static_cast<int64_t>(first - point);
}

// Radix digits of |e|.
int32_t DigitCount(int64_t e, int32_t radix) {
  int32_t count = 0;
  for (uint64_t k = static_cast<uint64_t>(e < 0 ? -e : e); k != 0; k /= radix) ++count;
  return count;
}

// |x - y| < |x| * radix^(1 - digits), decided exactly on the components.
bool AgreeTo(const Rational& x, const Rational& y, int32_t radix, int32_t digits) {
  BigPtr ad = CopyBigNum(*x.num);
  BigNumMulInternal(ad, *y.den);
  BigPtr cb = CopyBigNum(*y.num);
  BigNumMulInternal(cb, *x.den);
  cb->sign = -cb->sign;
  BigPtr diff = CopyBigNum(*ad);
  BigNumAdd(diff, *cb, kInternalBase);
  BigPtr scale = BigNumFromInt(radix, kInternalBase);
  BigNumPowInternal(scale, digits - 1);
  BigNumMulInternal(diff, *scale);
  return BigNumLessMagnitude(*diff, *ad);
}

// A random value: a numerator and a denominator of 1 to 6 random words, a
// random sign and a random power of the radix between radix^-60 and
// radix^60.
Rational RandomRational(std::mt19937& rng, int32_t radix) {
  auto randomBig = [&rng]() {
    const int32_t words = static_cast<int32_t>(rng() % 6) + 1;
    BigPtr b = AllocBigNum(words);
    b->sign = 1;
    b->count = words;
    b->exp = 0;
    for (int32_t i = 0; i < words; ++i) b->digits()[i] = rng() & kWordMask;
    if (b->digits()[words - 1] == 0) b->digits()[words - 1] = 1;
    return b;
  };
  Rational x;
  x.num = randomBig();
  x.den = randomBig();
  if (rng() % 2) x.num->sign = -1;
  if (rng() % 4 == 0) x.den->sign = -1;
  const int32_t k = static_cast<int32_t>(rng() % 121) - 60;
  Rational scale = RatFromInt(radix);
  RatPowInt(scale, k);
  RatMul(x, scale);
  return x;
}

TEST_F(ToTextTest, TextReadsBackToTheWorkingPrecision) {
  std::mt19937 rng(20240611);
  for (const char* separator : {".", ","}) {
    SetDecimalSeparator(separator);
    for (int32_t radix : {2, 8, 10, 16}) {
      UseRadix(radix, PrecisionFor(radix));
      for (int32_t mode : {kDisplayAuto, kDisplayScientific}) {
        for (int i = 0; i < 300; ++i) {
          Rational x = RandomRational(rng, radix);
          Rational kept = CopyRational(x);
          const std::string text = RationalToText(x, radix, mode);
          SCOPED_TRACE(::testing::Message() << "radix " << radix << " mode " << mode
                                            << " text " << text);
          BigPtr digits = ParseDigits(text);
          ASSERT_TRUE(digits);
          Rational back = DigitsToRational(*digits, radix);
          // In the automatic mode a number that needs the scientific form
          // gives one mantissa digit to each exponent digit beyond the first,
          // even when the rounded number then fits the fixed form.
          int32_t shown = WorkingPrecision;
          const int32_t exponentDigits =
              DigitCount(LeadingExponent(text, separator[0], radix), radix);
          if (mode == kDisplayAuto && exponentDigits > 1) shown -= exponentDigits - 1;
          EXPECT_TRUE(AgreeTo(kept, back, radix, shown));
        }
      }
    }
  }
}

}  // namespace
