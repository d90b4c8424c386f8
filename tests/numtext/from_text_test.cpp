// Reading text as numbers.
#include "numtext/from_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "arith/constants.h"
#include "arith/error.h"
#include "arith/radix_convert.h"
#include "arith/settings.h"
#include "numtext/settings.h"

namespace {

class FromTextTest : public ::testing::Test {
 protected:
  void SetUp() override { UseRadix(10, 33); }
  void TearDown() override {
    UseRadix(10, 33);
    SetDecimalSeparator(".");
  }
  static void UseRadix(int32_t radix, int32_t precision) {
    settings.radix = radix;
    SetRadixAndPrecision(radix, precision);
  }
};

// The digits of a radix-digit number, least significant first.
std::vector<uint32_t> DigitsOf(const BigNum& b) {
  return std::vector<uint32_t>(b.digits(), b.digits() + b.count);
}

TEST_F(FromTextTest, ParsesTheExamples) {
  struct Case {
    int32_t radix;
    std::string text;  // "." stands for the separator in use
    std::vector<uint32_t> digits;
    int32_t exp;
    int32_t sign;
  };
  const Case cases[] = {
      {10, "12.5", {5, 2, 1}, -1, 1},
      {10, "0.05", {5}, -2, 1},
      {10, "0.000", {0}, 0, 1},
      {10, "-0.0", {0}, 0, 1},
      {10, "100", {1}, 2, 1},
      {10, "1.5e+40", {5, 1}, 39, 1},
      {10, "2.e-3", {2}, -3, 1},
      {16, "1F", {15, 1}, 0, 1},
      {16, "1f", {15, 1}, 0, 1},
      {16, "1e", {14, 1}, 0, 1},
      {16, "1^A", {1}, 10, 1},
      {10, "-12.5", {5, 2, 1}, -1, -1},
      {10, "+7", {7}, 0, 1},
      {10, ".5", {5}, -1, 1},
      {10, "0", {0}, 0, 1},
      {10, "0e5", {0}, 0, 1},
      {10, "0.0e-7", {0}, 0, 1},
      {10, "1.e-0", {1}, 0, 1},
      {2, "101.1", {1, 1, 0, 1}, -1, 1},
      {2, "1^-101", {1}, -5, 1},
      {8, "17", {7, 1}, 0, 1},
      {16, "A.8", {8, 10}, -1, 1},
  };
  for (const char* separator : {".", ",", "::!"}) {
    SetDecimalSeparator(separator);
    for (const Case& c : cases) {
      std::string text;
      for (char ch : c.text) {
        if (ch == '.') {
          text += separator;
        } else {
          text += ch;
        }
      }
      SCOPED_TRACE(::testing::Message() << text << " radix " << c.radix);
      UseRadix(c.radix, 33);
      BigPtr d = ParseDigits(text);
      ASSERT_TRUE(d);
      EXPECT_EQ(DigitsOf(*d), c.digits);
      EXPECT_EQ(d->exp, c.exp);
      EXPECT_EQ(d->sign, c.sign);
    }
  }
}

TEST_F(FromTextTest, ReadsThePointWhateverTheSeparator) {
  struct Case {
    const char* separator;
    const char* text;
  };
  // The point always; of a longer separator the whole text or its first
  // character alone (all an entry or a rendering writes of it).
  const Case cases[] = {
      {",", "3,5"}, {",", "3.5"}, {"::!", "3::!5"}, {"::!", "3:5"}, {"::!", "3.5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SetDecimalSeparator(c.separator);
    BigPtr d = ParseDigits(c.text);
    ASSERT_TRUE(d);
    EXPECT_EQ(DigitsOf(*d), (std::vector<uint32_t>{5, 3}));
    EXPECT_EQ(d->exp, -1);
  }
}

TEST_F(FromTextTest, AnInvalidCharacterEndsTheNumber) {
  struct Case {
    int32_t radix;
    std::string text;
    std::vector<uint32_t> digits;
    int32_t exp;
  };
  const Case cases[] = {
      // The character that ends the number counts for nothing: "12x5" is 12.
      {10, "12x5", {2, 1}, 0},
      {10, "12.5x", {5, 2, 1}, -1},
      {10, "1E5", {1}, 0},
      {10, "1e5x7", {1}, 5},
      {10, "1e5A", {1}, 5},  // an exponent digit must be a digit of the radix
      {10, "1.2.3", {2, 1}, -1},
      {10, "1-2", {1}, 0},
      {10, "x12", {0}, 0},
      {10, "e5", {0}, 0},
      {16, "FG1", {15}, 0},
      {8, "1^9", {1}, 0},
      {2, "1021", {1}, 1},
      {10, "12\n34", {2, 1}, 0},
      {10, std::string("12\0" "34", 5), {2, 1}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    UseRadix(c.radix, 33);
    BigPtr d = ParseDigits(c.text);
    ASSERT_TRUE(d);
    EXPECT_EQ(DigitsOf(*d), c.digits);
    EXPECT_EQ(d->exp, c.exp);
  }
}

TEST_F(FromTextTest, StopsAtTheEndOfTheText) {
  EXPECT_FALSE(ParseDigits(""));
  // A view of the first two characters of a longer buffer.
  const char buffer[] = {'4', '2', '7', '7'};
  BigPtr d = ParseDigits(std::string_view(buffer, 2));
  ASSERT_TRUE(d);
  EXPECT_EQ(DigitsOf(*d), (std::vector<uint32_t>{2, 4}));
  EXPECT_EQ(d->exp, 0);
  // A text ending inside a longer separator.
  SetDecimalSeparator("::!");
  const char cut[] = {'3', ':', ':', '!'};
  d = ParseDigits(std::string_view(cut, 3));
  ASSERT_TRUE(d);
  EXPECT_EQ(DigitsOf(*d), (std::vector<uint32_t>{3}));
  EXPECT_EQ(d->exp, 0);
}

TEST_F(FromTextTest, ExponentsBeyond32BitsAreInvalid) {
  struct Case {
    const char* text;
    bool valid;
    int32_t exp;
  };
  const Case cases[] = {
      {"1e2147483646", true, 2147483646},
      {"1e-2147483647", true, -2147483647},
      {"1000e-2147483649", true, -2147483646},
      {"1e2147483647", false, 0},  // its span would not fit
      {"1e2147483648", false, 0},
      {"1e4294967297", false, 0},  // 2^32 + 1 must not wrap to 1
      {"0.1e-2147483647", false, 0},
      {"10e2147483647", false, 0},
      {"1e99999999999999999999999999999999999999999", false, 0},
      {"0e99999999999999999999999", true, 0},  // a zero stays zero
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    if (c.valid) {
      BigPtr d = ParseDigits(c.text);
      ASSERT_TRUE(d);
      EXPECT_EQ(d->exp, c.exp);
    } else {
      try {
        ParseDigits(c.text);
        ADD_FAILURE() << "no error";
      } catch (const ArithError& e) {
        EXPECT_EQ(e.code, ErrInvalidInput);
      }
    }
  }
}

TEST_F(FromTextTest, TrimsToTheWorkingPrecision) {
  UseRadix(10, 5);
  // The 5th digit is 0: everything below it goes.
  BigPtr d = ParseDigits("1234056789");
  EXPECT_EQ(DigitsOf(*d), (std::vector<uint32_t>{4, 3, 2, 1}));
  EXPECT_EQ(d->exp, 6);
  // The 5th digit is not 0: all digits stay, a low zero too.
  d = ParseDigits("1234567890");
  EXPECT_EQ(d->count, 10);
  EXPECT_EQ(d->exp, 0);
}

TEST_F(FromTextTest, AnyTextGivesAWellFormedNumber) {
  // Random bytes, weighted toward the characters the parser knows.
  const char alphabet[] = "0123456789abcdefABCDEF.,+-e^ \n\x80\xff";
  std::mt19937 rng(7);
  for (int32_t radix : {2, 8, 10, 16}) {
    UseRadix(radix, 33);
    for (int i = 0; i < 3000; ++i) {
      std::string text(rng() % 40, ' ');
      for (char& c : text) c = alphabet[rng() % (sizeof alphabet - 1)];
      SCOPED_TRACE(text);
      BigPtr d;
      try {
        d = ParseDigits(text);
      } catch (const ArithError& e) {
        EXPECT_EQ(e.code, ErrInvalidInput);
        continue;
      }
      if (text.empty()) {
        EXPECT_FALSE(d);
        continue;
      }
      ASSERT_TRUE(d);
      ASSERT_GE(d->count, 1);
      for (int32_t k = 0; k < d->count; ++k) EXPECT_LT(d->digits()[k], uint32_t(radix));
      if (!BigNumIsZero(*d)) {
        EXPECT_NE(d->digits()[d->count - 1], 0u);
      } else {
        EXPECT_EQ(d->sign, 1);
      }
    }
  }
}

TEST_F(FromTextTest, EntryToRationalAppliesExponentAndSigns) {
  struct Case {
    std::string mantissa;  // "." stands for the separator in use
    bool mantissaNegative;
    const char* exponent;  // null: none
    bool exponentNegative;
    int32_t num;
    int32_t den;
  };
  const Case cases[] = {
      {"1.", false, "5", true, 1, 100000},
      {"1.", false, "5", false, 100000, 1},
      {"2.", false, "0", false, 2, 1},
      {"2.", false, nullptr, true, 2, 1},
      {"2.", false, "", false, 2, 1},
      {"12.5", true, nullptr, false, -25, 2},
      {"1.5", true, "2", true, -3, 200},
      {"2.5", false, "1", false, 25, 1},
      {"0.", true, "3", false, 0, 1},
  };
  for (const char separator : {'.', ','}) {
    SetDecimalSeparator(std::string(1, separator));
    for (const Case& c : cases) {
      std::string mantissa = c.mantissa;
      for (char& ch : mantissa) {
        if (ch == '.') ch = separator;
      }
      SCOPED_TRACE(::testing::Message() << mantissa << " e "
                                        << (c.exponent ? c.exponent : "none"));
      std::optional<std::string_view> exponent;
      if (c.exponent) exponent = c.exponent;
      std::optional<Rational> value =
          EntryToRational(c.mantissaNegative, mantissa, c.exponentNegative, exponent);
      ASSERT_TRUE(value);
      Rational want = RatFromInt(c.num);
      RatDiv(want, RatFromInt(c.den));
      EXPECT_TRUE(RatEqual(*value, want));
    }
  }
}

TEST_F(FromTextTest, EntryToRationalGivesNothingForEmptyText) {
  EXPECT_FALSE(EntryToRational(false, "", false, std::nullopt));
}

TEST_F(FromTextTest, EntryExponentKeepsAllItsDigits) {
  // At P = 2 a mantissa is trimmed to 2 digits, but the exponent 1023 stays.
  UseRadix(10, 2);
  std::optional<Rational> value = EntryToRational(false, "5.", false, "1023");
  ASSERT_TRUE(value);
  Rational want = RatFromInt(10);
  RatPowInt(want, 1023);
  RatMul(want, RatFromInt(5));
  EXPECT_TRUE(RatEqual(*value, want));
  EXPECT_EQ(WorkingPrecision, 2);
}

TEST_F(FromTextTest, EntryExponentBeyond32BitsIsInvalid) {
  try {
    EntryToRational(false, "1.", false, "4294967296");
    ADD_FAILURE() << "no error";
  } catch (const ArithError& e) {
    EXPECT_EQ(e.code, ErrInvalidInput);
  }
}

TEST_F(FromTextTest, EntryInOtherRadices) {
  UseRadix(16, 9);
  std::optional<Rational> value = EntryToRational(true, "FF", false, std::nullopt);
  ASSERT_TRUE(value);
  EXPECT_TRUE(RatEqual(*value, RatFromInt(-255)));
  UseRadix(2, 33);
  value = EntryToRational(false, "101", false, "11");  // exponent read in radix 2
  ASSERT_TRUE(value);
  EXPECT_TRUE(RatEqual(*value, RatFromInt(40)));
}

}  // namespace
