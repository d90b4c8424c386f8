// Typing numbers: the entry buffer and its limits.
#include "numtext/entry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "arith/alloc.h"
#include "arith/constants.h"
#include "arith/error.h"
#include "arith/settings.h"
#include "numtext/settings.h"

namespace {

class EntryTest : public ::testing::Test {
 protected:
  void SetUp() override { UseRadix(10, 32); }
  void TearDown() override {
    UseRadix(10, 32);
    SetDecimalSeparator(".");
  }

  // The settings of a radix and word size, as the engine would make them.
  static void UseRadix(int32_t radix, int32_t wordBits) {
    settings.radix = radix;
    settings.precision = 32;
    settings.wordBits = wordBits;
    UpdateMaxEntryDigits();
    SetRadixAndPrecision(radix, settings.maxEntryDigits + 1);
  }

  EntryBuffer entry{};
};

// Plays keys on an entry: digits "0"-"9" and "A"-"F", "p" the decimal point,
// "x" Exp, "s" the sign key, "b" backspace. Returns whether the last key was
// accepted.
bool Type(EntryBuffer& entry, const std::string& keys) {
  bool accepted = true;
  for (char k : keys) {
    switch (k) {
      case 'p':
        accepted = AddDecimalPoint(entry);
        break;
      case 'x':
        accepted = StartExponent(entry);
        break;
      case 's':
        ToggleEntrySign(entry);
        accepted = true;
        break;
      case 'b':
        accepted = EntryBackspace(entry);
        break;
      default:
        accepted = AddDigit(entry, k <= '9' ? k - '0' : k - 'A' + 10);
        break;
    }
  }
  return accepted;
}

std::string Text(const EntryBuffer& entry, int32_t radix = 10) {
  std::string text = "stale";
  FormatEntry(entry, radix, text);
  return text;
}

TEST_F(EntryTest, FormatsTypedKeys) {
  struct Case {
    int32_t radix;
    const char* keys;
    const char* want;
  };
  const Case cases[] = {
      {10, "", "0."},
      {10, "12p5", "12.5"},
      {10, "1x", "1.e+0"},
      {10, "1x5s", "1.e-5"},
      {10, "12s", "-12."},
      {16, "1F", "1F"},
      {10, "0", "0."},
      {10, "000", "0."},
      {10, "p05", "0.05"},
      {10, "x", "0.e+0"},
      {10, "s", "0."},
      {10, "5ss", "5."},
      {10, "1px", "1.e+0"},
      {10, "1xs5s", "1.e+5"},
      {2, "101", "101"},
      {8, "17s", "-17"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    UseRadix(c.radix, 32);
    ResetEntry(entry);
    Type(entry, c.keys);
    EXPECT_EQ(Text(entry, c.radix), c.want);
  }
}

TEST_F(EntryTest, FormatsWithTheSeparatorCharacter) {
  SetDecimalSeparator(",");
  ResetEntry(entry);
  EXPECT_EQ(Text(entry), "0,");
  Type(entry, "12p5");
  EXPECT_EQ(Text(entry), "12,5");
  // Only the first character of a longer separator is written.
  SetDecimalSeparator(",-");
  ResetEntry(entry);
  Type(entry, "3p");
  EXPECT_EQ(Text(entry), "3,");
}

TEST_F(EntryTest, BackspaceRemovesOneCharacter) {
  struct Case {
    const char* keys;
    const char* before;
    const char* after;
    int32_t pointAfter;
    int32_t exponentModeAfter;
  };
  const Case cases[] = {
      {"12p5", "12.5", "12.", 2, 0},
      {"12p", "12.", "12.", -1, 0},
      {"p", "0.", "0.", -1, 0},
      {"7s", "-7.", "0.", -1, 0},
      {"1x25", "1.e+25", "1.e+2", 1, 1},
      {"1x2", "1.e+2", "1.e+0", 1, 1},
      {"1x", "1.e+0", "1.", 1, 0},
      {"", "0.", "0.", -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    ResetEntry(entry);
    Type(entry, c.keys);
    ASSERT_EQ(Text(entry), c.before);
    EXPECT_TRUE(EntryBackspace(entry));
    EXPECT_EQ(Text(entry), c.after);
    EXPECT_EQ(entry.pointPosition, c.pointAfter);
    EXPECT_EQ(entry.exponentMode, c.exponentModeAfter);
  }
}

TEST_F(EntryTest, BackspaceResetsToTheUntouchedState) {
  for (const char* keys : {"p", "7s", "0p"}) {
    SCOPED_TRACE(keys);
    ResetEntry(entry);
    Type(entry, keys);
    EntryBackspace(entry);
    EXPECT_EQ(entry.mantissa.initial, 1);
    EXPECT_EQ(entry.mantissa.negative, 0);
    EXPECT_EQ(entry.mantissa.length, 1);
  }
  // An emptied exponent is back to "0", positive and untouched.
  ResetEntry(entry);
  Type(entry, "1x5s");
  EntryBackspace(entry);
  EXPECT_EQ(entry.exponent.initial, 1);
  EXPECT_EQ(entry.exponent.negative, 0);
}

TEST_F(EntryTest, SignKeyOnAnUntouchedEntryClearsBothSigns) {
  ResetEntry(entry);
  // A negative exponent sign survives leaving exponent mode and clearing the
  // mantissa...
  Type(entry, "1xsbbb");
  ASSERT_EQ(entry.mantissa.initial, 1);
  ASSERT_EQ(entry.exponent.negative, 1);
  // ...until the sign key on the untouched entry clears it.
  Type(entry, "s");
  EXPECT_EQ(entry.exponent.negative, 0);
  EXPECT_EQ(entry.mantissa.negative, 0);
  Type(entry, "x");
  EXPECT_EQ(Text(entry), "0.e+0");
}

TEST_F(EntryTest, KeepsTheEntryLimits) {
  struct Case {
    const char* what;
    int32_t radix;
    int32_t wordBits;
    std::string keys;     // all accepted
    std::string refused;  // each refused after keys
    std::string want;
  };
  const std::string d31(31, '1');
  const Case cases[] = {
      {"32 decimal digits", 10, 32, d31 + "2", "3", d31 + "2."},
      // The point is appended without looking at the limit.
      {"a point after 32 digits", 10, 32, d31 + "2p", "3", d31 + "2."},
      {"the point as 32nd character", 10, 32, d31 + "p", "5", d31 + "."},
      {"octal dword, top digit 3", 8, 32, "3777777777" "7", "7", "37777777777"},
      {"octal dword, top digit 4", 8, 32, "4777777777", "7", "4777777777"},
      {"octal word, top digit 1", 8, 16, "17777" "7", "0", "177777"},
      {"octal word, top digit 2", 8, 16, "27777", "0", "27777"},
      {"octal byte", 8, 8, "37" "7", "7", "377"},
      {"octal byte, top digit 4", 8, 8, "47", "0", "47"},
      {"octal 12-bit word", 8, 12, "1777", "7", "1777"},
      {"hexadecimal byte", 16, 8, "FF", "0", "FF"},
      {"hexadecimal dword", 16, 32, "FFFFFFFF", "1", "FFFFFFFF"},
      {"binary word", 2, 16, std::string(16, '1'), "0", std::string(16, '1')},
      {"four exponent digits", 10, 32, "1x1234", "5", "1.e+1234"},
      {"second point", 10, 32, "1p5", "p", "1.5"},
      {"point in exponent mode", 10, 32, "1x", "p", "1.e+0"},
      {"second Exp", 10, 32, "1x", "x", "1.e+0"},
      {"digits of another radix", 8, 32, "7", "89F", "7"},
      {"exponent digits are decimal", 10, 32, "1x", "A", "1.e+0"},
      // A word of 4 bits takes one hexadecimal digit, and 3 bits one octal
      // digit: the untouched "0" is replaced, it takes no room.
      {"one-digit limit", 16, 4, "F", "F", "F"},
      {"one-digit octal limit", 8, 3, "7", "7", "7"},
      {"two octal digits within 4 bits", 8, 4, "17", "7", "17"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    UseRadix(c.radix, c.wordBits);
    ResetEntry(entry);
    for (char k : c.keys) {
      EXPECT_TRUE(Type(entry, std::string(1, k))) << "key " << k;
    }
    for (char k : c.refused) {
      const EntryBuffer before = entry;
      EXPECT_FALSE(Type(entry, std::string(1, k))) << "key " << k;
      EXPECT_EQ(std::memcmp(&before, &entry, sizeof entry), 0) << "key " << k;
    }
    EXPECT_EQ(Text(entry, c.radix), c.want);
  }
}

TEST_F(EntryTest, ExpAddsASeparatorOnlyWhenNoneIsTyped) {
  ResetEntry(entry);
  Type(entry, "1p5x");
  EXPECT_EQ(entry.mantissa.length, 3);
  EXPECT_FALSE(StartExponent(entry));
  EXPECT_EQ(Text(entry), "1.5e+0");
  ResetEntry(entry);
  Type(entry, "12x");
  EXPECT_EQ(entry.pointPosition, 2);
  EXPECT_FALSE(StartExponent(entry));
  EXPECT_EQ(entry.pointPosition, 2);
}

TEST_F(EntryTest, NeverStoresBeyondTheStringCapacity) {
  // A word of 100 bits in radix 2 would allow 100 digits; the string holds
  // 67, and so does the entry limit.
  UseRadix(2, 100);
  ASSERT_EQ(settings.maxEntryDigits, kDigitStringCapacity);
  ResetEntry(entry);
  for (int i = 0; i < kDigitStringCapacity; ++i) ASSERT_TRUE(AddDigit(entry, 1));
  EXPECT_FALSE(AddDigit(entry, 1));
  EXPECT_FALSE(AddDigit(entry, 0));
  EXPECT_EQ(entry.mantissa.length, kDigitStringCapacity);
  // Octal with a huge word: the extra top digit cannot overflow either.
  UseRadix(8, 3 * kDigitStringCapacity + 2);
  ResetEntry(entry);
  for (int i = 0; i < kDigitStringCapacity; ++i) ASSERT_TRUE(AddDigit(entry, 1));
  EXPECT_FALSE(AddDigit(entry, 1));
  // And a decimal precision beyond the capacity leaves no room for a point.
  UseRadix(10, 32);
  settings.maxEntryDigits = 80;
  ResetEntry(entry);
  for (int i = 0; i < kDigitStringCapacity; ++i) ASSERT_TRUE(AddDigit(entry, 9));
  EXPECT_FALSE(AddDecimalPoint(entry));
  EXPECT_EQ(entry.mantissa.length, kDigitStringCapacity);
}

TEST_F(EntryTest, RefusesDigitValuesOutOfRange) {
  UseRadix(16, 32);
  ResetEntry(entry);
  EXPECT_FALSE(AddDigit(entry, 16));
  EXPECT_FALSE(AddDigit(entry, -1));
  EXPECT_EQ(Text(entry, 16), "0");
}

TEST_F(EntryTest, CommitsTheValue) {
  struct Case {
    int32_t radix;
    const char* keys;
    int32_t num;
    int32_t den;
  };
  const Case cases[] = {
      {10, "", 0, 1},           {10, "12p5", 25, 2},   {10, "12s", -12, 1},
      {10, "1x5s", 1, 100000},  {10, "1x5", 100000, 1}, {10, "2x", 2, 1},
      {10, "1p5x1s", 3, 20},    {10, "p05", 1, 20},     {16, "1F", 31, 1},
      {2, "101s", -5, 1},       {8, "777", 511, 1},     {10, "1xsb", 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    UseRadix(c.radix, 32);
    ResetEntry(entry);
    Type(entry, c.keys);
    const EntryBuffer before = entry;
    Rational value = RatFromInt(77);
    CommitEntry(entry, value);
    Rational want = RatFromInt(c.num);
    RatDiv(want, RatFromInt(c.den));
    EXPECT_TRUE(RatEqual(value, want));
    // The buffer keeps its contents (a terminator may follow the text).
    EXPECT_EQ(Text(entry, c.radix), Text(before, c.radix));
    EXPECT_EQ(entry.mantissa.length, before.mantissa.length);
  }
}

TEST_F(EntryTest, CommitsLongEntriesExactly) {
  ResetEntry(entry);
  Type(entry, "12345678901234567890123456789012");
  Rational value = RatFromInt(0);
  CommitEntry(entry, value);
  // Built eight digits at a time: 12345678 90123456 78901234 56789012.
  Rational want = RatFromInt(12345678);
  const Rational e8 = RatFromInt(100000000);
  for (int32_t part : {90123456, 78901234, 56789012}) {
    RatMul(want, e8);
    RatAdd(want, RatFromInt(part));
  }
  EXPECT_TRUE(RatEqual(value, want));

  ResetEntry(entry);
  Type(entry, "1x9999");
  CommitEntry(entry, value);
  Rational big = RatFromInt(10);
  RatPowInt(big, 9999);
  EXPECT_TRUE(RatEqual(value, big));
}

TEST_F(EntryTest, CommitReadsTheSeparatorItWrote) {
  SetDecimalSeparator(",");
  ResetEntry(entry);
  Type(entry, "2p5");
  Rational value = RatFromInt(0);
  CommitEntry(entry, value);
  Rational want = RatFromInt(5);
  RatDiv(want, RatFromInt(2));
  EXPECT_TRUE(RatEqual(value, want));
}

TEST_F(EntryTest, CommitLeavesTheValueWhenMemoryRunsOut) {
  ResetEntry(entry);
  Type(entry, "12p5x3");
  int failures = 0;
  for (int64_t n = 0; n < 100; ++n) {
    Rational value = RatFromInt(77);
    AllocFailAfter(n);
    try {
      CommitEntry(entry, value);
      AllocFailAfter(-1);
      break;
    } catch (const ArithError& e) {
      AllocFailAfter(-1);
      ++failures;
      EXPECT_EQ(e.code, ErrOutOfMemory);
      EXPECT_TRUE(RatEqual(value, RatFromInt(77)));
      EXPECT_EQ(Text(entry), "12.5e+3");
    }
  }
  EXPECT_GT(failures, 3);
}

TEST(EntrySettingsTest, BitsPerDigit) {
  const int32_t radices[] = {2, 3, 4, 5, 7, 8, 9, 10, 15, 16};
  const int32_t want[] = {1, 2, 2, 3, 3, 3, 4, 4, 4, 4};
  for (int i = 0; i < 10; ++i) {
    SCOPED_TRACE(radices[i]);
    EXPECT_EQ(BitsPerDigit(radices[i]), want[i]);
  }
}

TEST(EntrySettingsTest, MaxEntryDigitsByRadixAndWordSize) {
  struct Case {
    int32_t radix;
    int32_t wordBits;
    int32_t want;
  };
  const Case cases[] = {
      {2, 32, 32}, {2, 16, 16}, {2, 8, 8},  {8, 32, 10}, {8, 16, 5},
      {8, 8, 2},   {16, 32, 8}, {16, 16, 4}, {16, 8, 2},  {10, 8, 40},
      // Word sizes from the command line: no entry is longer than a
      // DigitString, and the working precision (one more) cannot overflow.
      {2, 0, 0},   {2, 64, 64}, {2, 67, 67}, {2, 68, 67}, {16, 1000, 67},
      {2, INT32_MAX, 67},
  };
  const Settings saved = settings;
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.radix << "/" << c.wordBits);
    settings.radix = c.radix;
    settings.wordBits = c.wordBits;
    settings.precision = 40;
    UpdateMaxEntryDigits();
    EXPECT_EQ(settings.maxEntryDigits, c.want);
  }
  settings = saved;
}

TEST(EntrySettingsTest, DecimalSeparatorText) {
  SetDecimalSeparator(",;:!?");
  EXPECT_STREQ(DecimalSeparator, ",;:!");
  EXPECT_EQ(DecimalSeparatorChar(), ',');
  SetDecimalSeparator("");
  EXPECT_STREQ(DecimalSeparator, ".");
  DecimalSeparator[0] = '\0';
  EXPECT_EQ(DecimalSeparatorChar(), '.');
  SetDecimalSeparator(".");
}

}  // namespace
