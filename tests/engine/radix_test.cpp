#include "engine/radix.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "arith/settings.h"
#include "engine/engine_test_util.h"

namespace {

// Controls whose enabled state the last command set, with the state.
std::vector<std::pair<int32_t, bool>> EnableCalls() {
  std::vector<std::pair<int32_t, bool>> result;
  for (const WindowCallRecord& r : headless.calls) {
    if (r.call == WindowCall::Enable) result.emplace_back(r.id, r.value != 0);
  }
  return result;
}

TEST(RadixTest, KeysEnabledForEachRadix) {
  struct Case {
    CommandId button;
    int32_t radix;
  };
  const Case cases[] = {
      {CmdBin, 2}, {CmdOct, 8}, {CmdHex, 16}, {CmdDec, 10}, {CmdBin, 2},
  };
  StartEngine();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.radix);
    ExecuteCommand(c.button);
    EXPECT_EQ(settings.radix, c.radix);
    EXPECT_TRUE(HeadlessChecked(static_cast<int32_t>(c.button)));
    for (int32_t v = 0; v < 16; ++v) {
      EXPECT_EQ(HeadlessEnabled(CmdDigit0 + v), v < c.radix) << v;
    }
    for (CommandId key : kDecimalOnlyKeys) {
      EXPECT_EQ(HeadlessEnabled(static_cast<int32_t>(key)), c.radix == 10)
          << key;
    }
  }
}

TEST(RadixTest, OnlyTheKeysThatChangeAreTouched) {
  StartEngine();
  ExecuteCommand(CmdBin);
  headless.calls.clear();
  ExecuteCommand(CmdOct);  // 2 -> 8: digit keys only
  std::set<int32_t> touched;
  for (const auto& [id, on] : EnableCalls()) touched.insert(id);
  std::set<int32_t> digits;
  for (int32_t v = 2; v < 16; ++v) digits.insert(CmdDigit0 + v);
  EXPECT_EQ(touched, digits);

  headless.calls.clear();
  ExecuteCommand(CmdOct);  // the same radix again: nothing to enable
  EXPECT_TRUE(EnableCalls().empty());
  EXPECT_EQ(settings.radix, 8);
}

TEST(RadixTest, UnitAndWordSizeButtons) {
  StartEngine();
  const int32_t labels[] = {CmdDegDword, CmdRadWord, CmdGradByte};
  EXPECT_EQ(HeadlessText(labels[0]), "Degrees");
  EXPECT_EQ(HeadlessText(labels[1]), "Radians");
  EXPECT_EQ(HeadlessText(labels[2]), "Grads");
  EXPECT_TRUE(HeadlessChecked(CmdDegDword));

  ExecuteCommand(CmdRadWord);  // radix 10: the angle unit
  EXPECT_EQ(engineState.angleUnit, Radians);
  EXPECT_EQ(engineState.wordSizeIndex, 0);
  EXPECT_EQ(settings.wordBits, 32);
  EXPECT_TRUE(HeadlessChecked(CmdRadWord));

  ExecuteCommand(CmdHex);  // word-size labels, Dword selected
  EXPECT_EQ(HeadlessText(labels[0]), "Dword");
  EXPECT_EQ(HeadlessText(labels[1]), "Word");
  EXPECT_EQ(HeadlessText(labels[2]), "Byte");
  EXPECT_TRUE(HeadlessChecked(CmdDegDword));
  EXPECT_FALSE(HeadlessChecked(CmdRadWord));

  ExecuteCommand(CmdGradByte);
  EXPECT_EQ(engineState.wordSizeIndex, 2);
  EXPECT_EQ(settings.wordBits, 8);
  EXPECT_EQ(engineState.angleUnit, Radians);
  EXPECT_EQ(settings.maxEntryDigits, 2);
  EXPECT_EQ(WorkingPrecision, 3);

  ExecuteCommand(CmdDec);  // back: the unit is still radians
  EXPECT_TRUE(HeadlessChecked(CmdRadWord));
  EXPECT_EQ(HeadlessText(labels[1]), "Radians");
}

TEST(RadixTest, SmallerWordSizeCutsTheValue) {
  StartEngine();
  Type(":5:3 1234");  // radix 16, Word
  EXPECT_EQ(Display(), "1234");
  Type(":4");
  EXPECT_EQ(Display(), "34");
  Type(":3");
  EXPECT_EQ(Display(), "34");
}

TEST(RadixTest, EntryLimits) {
  struct Case {
    const char* mode;  // pasted mode keys
    const char* digit;
    int accepted;
  };
  const Case cases[] = {
      {":6", "9", 32},      {":5:4", "F", 2},  {":5:3", "F", 4},
      {":5:2", "F", 8},     {":8:3", "1", 16}, {":8:4", "1", 8},
      {":7:2", "7", 10},    {":7:2", "3", 11},  // octal top digit 3
      {":7:3", "1", 6},     {":7:3", "2", 5},   // 16 bits: 1 then five 7s
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.mode) + " " + c.digit);
    StartEngine();
    Type(c.mode);
    headless.beeps = 0;
    for (int i = 0; i < 70; ++i) Type(c.digit);
    EXPECT_EQ(static_cast<int>(engineState.entry.mantissa.length), c.accepted);
    EXPECT_EQ(headless.beeps, static_cast<uint64_t>(70 - c.accepted));
  }
}

TEST(RadixTest, PrecisionSetsEntryLimitAndWorkingPrecision) {
  struct Case {
    int32_t precision;
    int32_t working;
  };
  for (const Case& c : {Case{32, 33}, Case{64, 65}, Case{10, 11}}) {
    SCOPED_TRACE(c.precision);
    StartEngine(kLayoutScientific, c.precision);
    EXPECT_EQ(WorkingPrecision, c.working);
    EXPECT_EQ(settings.maxEntryDigits, c.precision);
    Type(":5");
    EXPECT_EQ(WorkingPrecision, 9);
    Type(":6");
    EXPECT_EQ(WorkingPrecision, c.working);
  }
}

TEST(RadixTest, LayoutSwitchReturnsToRadixTen) {
  StartEngine();
  Type("5:m:5 FF");
  ExecuteCommand(CmdStandard);
  EXPECT_EQ(engineState.layout, kLayoutStandard);
  EXPECT_EQ(settings.radix, 10);
  EXPECT_EQ(Shown(), "0");
  EXPECT_EQ(HeadlessText(IdMemoryIndicator), " M");
  // The word size stays.
  EXPECT_EQ(engineState.wordSizeIndex, 0);
  Type(":r");
  EXPECT_EQ(Shown(), "5");

  // Choosing the layout shown resets nothing.
  Type("7");
  ExecuteCommand(CmdStandard);
  EXPECT_EQ(Shown(), "7");
}

TEST(RadixTest, RadixWithoutButton) {
  StartEngine();
  headless.calls.clear();
  SetRadix(7);
  EXPECT_EQ(settings.radix, 7);
  for (CommandId id = CmdBin; id <= CmdHex; ++id) {
    EXPECT_FALSE(HeadlessChecked(static_cast<int32_t>(id))) << id;
  }
  EXPECT_EQ(HeadlessText(CmdDegDword), "Dword");
  EXPECT_TRUE(HeadlessEnabled(CmdDigit0 + 6));
  EXPECT_FALSE(HeadlessEnabled(CmdDigit0 + 7));
  SetRadix(99);
  EXPECT_EQ(settings.radix, 16);
}

}  // namespace
