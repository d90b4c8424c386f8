// The command-line options and the profile's layout value.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "shell/command_line.h"

namespace {

constexpr CommandLineOptions kDefaults{32, 10, 32};

struct OptionCase {
  const char* commandLine;
  CommandLineOptions want;
};

TEST(ParseCommandLineText, Options) {
  const OptionCase cases[] = {
      {"quib.exe", {32, 10, 32}},
      {"quib.exe /P40", {40, 10, 32}},
      {"quib.exe -p40", {40, 10, 32}},
      {"quib.exe p40", {40, 10, 32}},
      {"quib.exe /P:40", {40, 10, 32}},
      {"quib.exe /P 40", {40, 10, 32}},
      {"quib.exe /P\t: 40", {40, 10, 32}},
      {"quib.exe /P100", {64, 10, 32}},
      {"quib.exe /P64", {64, 10, 32}},
      {"quib.exe /P0", {0, 10, 32}},
      {"quib.exe /P", {0, 10, 32}},
      {"quib.exe /R1", {32, 2, 32}},
      {"quib.exe /R0", {32, 2, 32}},
      {"quib.exe /R99", {32, 16, 32}},
      {"quib.exe /R8", {32, 8, 32}},
      {"quib.exe /W12", {32, 10, 12}},
      {"quib.exe /W8", {32, 10, 8}},
      // One separator is needed between a number and the next option.
      {"quib.exe /P40/R16", {40, 16, 32}},
      {"quib.exe /P40 /R16 /W16", {40, 16, 16}},
      {"quib.exe /P40R16", {40, 10, 32}},
      // The last of repeated options wins.
      {"quib.exe /P40 /P50", {50, 10, 32}},
      // Leading blanks and a quoted program name with option letters.
      {"   \"C:\\Program Files\\Quib Pro Wide\\quib.exe\"", {32, 10, 32}},
      {"\"C:\\Quib Pro\\Win\\quib.exe\" /R8", {32, 8, 32}},
      {"C:\\PRW\\quib.exe /W16", {32, 10, 16}},
  };
  for (const OptionCase& c : cases) {
    SCOPED_TRACE(c.commandLine);
    CommandLineOptions options = kDefaults;
    ParseCommandLineText(c.commandLine, options);
    EXPECT_EQ(options.precision, c.want.precision);
    EXPECT_EQ(options.radix, c.want.radix);
    EXPECT_EQ(options.wordBits, c.want.wordBits);
  }
}

// Numbers beyond 32 bits saturate: 4294967336 is 2^32 + 40 and 4294967304
// is 2^32 + 8, which a wrapping reader would take for P40 and R8.
TEST(ParseCommandLineText, OversizedNumbersClampInsteadOfWrapping) {
  const OptionCase cases[] = {
      {"quib.exe /P4294967336", {64, 10, 32}},
      {"quib.exe /R4294967304", {32, 16, 32}},
      {"quib.exe /W4294967304", {32, 10, INT32_MAX}},
      {"quib.exe /W2147483647", {32, 10, INT32_MAX}},
      {"quib.exe /W2147483648", {32, 10, INT32_MAX}},
      {"quib.exe /P99999999999999999999999999999999999999999999999999", {64, 10, 32}},
  };
  for (const OptionCase& c : cases) {
    SCOPED_TRACE(c.commandLine);
    CommandLineOptions options = kDefaults;
    ParseCommandLineText(c.commandLine, options);
    EXPECT_EQ(options.precision, c.want.precision);
    EXPECT_EQ(options.radix, c.want.radix);
    EXPECT_EQ(options.wordBits, c.want.wordBits);
  }
}

// Anything else is skipped without harm: quotes, stray colons, bytes above
// 0x7F, an unterminated quote, a very long line.
TEST(ParseCommandLineText, HostileInput) {
  std::string longLine = "quib.exe ";
  for (int i = 0; i < 20000; ++i) longLine += "x\"\xE9:\t";
  longLine += " /P33";
  const OptionCase cases[] = {
      {"", {32, 10, 32}},
      {"\"", {32, 10, 32}},
      {"\"unterminated /P40", {32, 10, 32}},
      {"quib.exe \"/P40\"", {40, 10, 32}},
      {"quib.exe \xFF\xFE\x80 /R8 \xE4\xF6", {32, 8, 32}},
      {"quib.exe :::: \t /Q /X /P:::", {0, 10, 32}},
      {longLine.c_str(), {33, 10, 32}},
  };
  for (const OptionCase& c : cases) {
    SCOPED_TRACE(std::string(c.commandLine).substr(0, 60));
    CommandLineOptions options = kDefaults;
    ParseCommandLineText(c.commandLine, options);
    EXPECT_EQ(options.precision, c.want.precision);
    EXPECT_EQ(options.radix, c.want.radix);
    EXPECT_EQ(options.wordBits, c.want.wordBits);
  }
}

TEST(ReadDecimal, StopsAtTheFirstNonDigit) {
  struct Case {
    const char* text;
    int32_t value;
    size_t consumed;
  };
  const Case cases[] = {
      {"", 0, 0},           {"x", 0, 0},          {"7", 7, 1},
      {"0040/", 40, 4},     {"123abc", 123, 3},   {"2147483647", INT32_MAX, 10},
      {"2147483648", INT32_MAX, 10},              {"99999999999999999999 ", INT32_MAX, 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    int32_t value = -1;
    const char* end = ReadDecimal(c.text, value);
    EXPECT_EQ(value, c.value);
    EXPECT_EQ(static_cast<size_t>(end - c.text), c.consumed);
  }
}

TEST(ParseLayoutSetting, OnlyZeroSelectsTheScientificLayout) {
  struct Case {
    const char* text;
    int32_t layout;
  };
  const Case cases[] = {
      {"0", 0},    {" 0 ", 0},  {"00", 0},   {"1", 1},   {"", 1},
      {"2", 1},    {"-1", 1},   {"abc", 1},  {"0x", 1},  {"1 0", 1},
      {"4294967296", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseLayoutSetting(c.text), c.layout);
  }
}

}  // namespace
