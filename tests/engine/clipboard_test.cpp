#include "engine/clipboard.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "engine/engine_test_util.h"
#include "engine/messages.h"

namespace {

TEST(PasteTableTest, SixtySevenDistinctCodesOfKnownCommands) {
  std::set<uint32_t> codes;
  for (const PasteEntry& e : PasteTable) {
    SCOPED_TRACE(e.code);
    EXPECT_LT(e.code, 256u);
    EXPECT_NE(CommandName(e.command), nullptr);
    codes.insert(e.code);
  }
  EXPECT_EQ(codes.size(), 67u);
  EXPECT_EQ(PasteCommandFor('M'), CmdDegDword);  // not dms
  EXPECT_EQ(PasteCommandFor(':' ), 0u);
  EXPECT_EQ(PasteCommandFor('\t'), 0u);
}

TEST(PasteTest, CharactersToCommands) {
  struct Case {
    const char* radixKey;  // pasted (and run) first to pick the radix
    std::string text;
    std::vector<CommandId> ids;
  };
  const Case cases[] = {
      {"", "12+3=", {125, 126, 92, 127, 112}},
      {"", " 1 2\r\n+\n3 = ", {125, 126, 92, 127, 112}},
      {"", "-5", {129, 80}},        // the sign follows the number's first key
      {"", "-", {80}},
      {"", "-(2", {80, 122, 126}},
      {"", "5-3", {129, 93, 127}},  // not leading: subtraction
      {"", "1e-5", {125, 117, 80, 129}},
      {"", "1e+5", {125, 117, 129}},
      {"", "1x5", {125, 117, 129}},
      {"", "1E", {125, 138}},       // upper case E is the digit
      {"", "ab", {134, 135}},
      {"", "2.5,1", {126, 85, 129, 85, 125}},
      {"", ":m:r:9:c:p:s:a:t:d:q", {115, 114, 80, 113, 116, 84, 118, 119, 120, 81}},
      {"", ":2:3:4:5:6:7:8", {146, 147, 148, 143, 142, 141, 140}},
      {"", ":", {}},
      {"", "::m", {115}},
      {"", "\xC1", {118}},          // a high byte matches a ":" entry
      {"", "5\t6", {129}},          // a tab ends the paste
      {"", std::string("5\0" "6", 3), {129}},
      {"", "5?6", {129}},
      {"", "!SOTRY#@MNLVXIHP", {106, 98, 99, 100, 107, 95, 105, 104, 146,
                                101, 102, 110, 117, 144, 145, 111}},
      {"", "/*%-=+&|^~;<()\\Q", {90, 91, 94, 93, 112, 92, 86, 87, 88, 97, 96,
                                 89, 122, 123, 121, 81}},
      {":5", "ff", {139, 139}},
      {":5", "x", {117}},
      {":5", "1e-5", {125, 138, 93, 129}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    StartEngine();
    Type(c.radixKey);
    EXPECT_EQ(PastedIds(c.text), c.ids);
  }
}

TEST(PasteTest, StopsAtTheErrorLock) {
  StartEngine();
  Type("1/0=5");
  EXPECT_TRUE(engineState.errorLocked);
  EXPECT_EQ(headless.beeps, 0u);  // the 5 was never sent
  EXPECT_EQ(Display(), ErrorMessage(3));
}

TEST(PasteTest, NegativeNumbers) {
  struct Case {
    const char* text;
    const char* shown;
  };
  const Case cases[] = {
      {"-5", "-5"},        {"-5+3=", "-2"},      {"-2.5*2=", "-5"},
      {"-1e2", "-1.e+2"},  {"-1e-2", "-1.e-2"},  {"3-5=", "-2"},
      {"-.5", "-0.5"},     {"-0", "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    StartEngine();
    Type(c.text);
    EXPECT_EQ(Shown(), c.shown);
  }
}

TEST(PasteTest, PasteCommandCommitsTheEntryFirst) {
  StartEngine();
  Type("12");
  headless.clipboard = "+3=";
  ExecuteCommand(CmdPaste);
  EXPECT_EQ(Shown(), "15");
  headless.clipboard = "4";
  ExecuteCommand(CmdPaste);
  EXPECT_EQ(Display(), "4.");
}

TEST(CopyTest, TextWithoutTrailingSeparator) {
  struct Case {
    const char* keys;
    const char* copied;
  };
  const Case cases[] = {
      {"15=", "15"},      {"15", "15"},      {"15.", "15."},
      {"2.5", "2.5"},     {"1e5", "1.e+5"},  {":5 FF", "FF"},
      {"255=:5", "FF"},   {"0", "0"},        {"-7=", "-7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    StartEngine();
    Type(c.keys);
    ExecuteCommand(CmdCopy);
    EXPECT_EQ(headless.clipboard, c.copied);
  }
}

TEST(CopyTest, CommaSeparator) {
  StartEngine();
  SetDecimalSeparator(",");
  Type("2.5");
  EXPECT_EQ(Display(), "2,5");
  Type("*2=");
  EXPECT_EQ(Display(), "5,");
  EXPECT_EQ(Shown(), "5");
  SetDecimalSeparator(".");
}

TEST(CopyTest, CopyWhileLockedGivesTheValueText) {
  StartEngine();
  Type("7+1/0=");
  ASSERT_TRUE(engineState.errorLocked);
  // Copy is refused while locked; the display text underneath is unchanged.
  ExecuteCommand(CmdCopy);
  EXPECT_EQ(headless.clipboard, "");
  EXPECT_NE(Shown(), Display());
}

}  // namespace
