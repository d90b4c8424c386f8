#include "engine/display.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "arith/alloc.h"
#include "arith/constants.h"
#include "arith/error.h"
#include "arith/settings.h"
#include "engine/engine_test_util.h"
#include "engine/messages.h"

namespace {

size_t DisplayWrites() { return HeadlessCallCount(WindowCall::SetText, IdDisplay); }

TEST(DisplayTest, WordSizeRenderings) {
  struct Case {
    const char* keys;     // typed in radix 10, then mode keys
    const char* display;  // raw display text
    const char* shown;    // Copy text after returning to radix 10 (or "")
  };
  const Case cases[] = {
      {"-1:5", "FFFFFFFF", "4294967295"},
      {"-1:5:4", "FF", "255"},
      {"-1:5:3", "FFFF", "65535"},
      {"-256:5:4", "0", "0"},
      {"2.75:5", "2", "2"},
      {"-2.75:5", "FFFFFFFE", "4294967294"},
      {"300:8:4", "101100", "44"},
      {"-5.5:5", "FFFFFFFB", "4294967291"},
      {"255:5", "FF", "255"},
      {"8:7", "10", "8"},
      {"4294967296:5", "0", "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    StartEngine();
    Type(c.keys);
    EXPECT_EQ(Display(), c.display);
    EXPECT_EQ(Shown(), c.display);
    Type(":6");
    EXPECT_EQ(Shown(), c.shown);
  }
}

TEST(DisplayTest, ReductionIsStoredInTheCurrentValue) {
  StartEngine();
  Type("2.75:5");
  EXPECT_TRUE(RatEqual(engineState.currentValue, RatFromInt(2)));
  // The cache holds the value from before the reduction.
  ASSERT_TRUE(engineState.displayCache.value.has_value());
  EXPECT_FALSE(RatEqual(*engineState.displayCache.value, RatFromInt(2)));
}

TEST(DisplayTest, TrailingSeparatorOnlyInRadixTen) {
  StartEngine();
  Type("15=");
  EXPECT_EQ(Display(), "15.");
  Type(":5");
  EXPECT_EQ(Display(), "F");
  Type(":7");
  EXPECT_EQ(Display(), "17");
}

TEST(DisplayTest, CacheSkipsIdenticalRefreshes) {
  StartEngine();
  engineState.currentValue = RatFromInt(7);
  headless.calls.clear();
  RefreshDisplay();
  RefreshDisplay();
  EXPECT_EQ(DisplayWrites(), 1u);
  EXPECT_EQ(Display(), "7.");

  // In entry mode every refresh writes.
  Type("12");
  headless.calls.clear();
  RefreshDisplay();
  RefreshDisplay();
  EXPECT_EQ(DisplayWrites(), 2u);
}

// A long value followed by its reciprocal: the cache check must not
// multiply the long components crosswise (a product of two numbers of some
// 13,000 words here; of millions of words the display froze for minutes).
// The work is counted in polls of the abort flag, which long products make.
TEST(DisplayTest, LongValueThenItsReciprocalTakesNoLongProduct) {
  StartEngine();
  Rational huge = RatFromInt(2);
  BigNumPowInternal(huge.num, 400000);
  engineState.currentValue = CopyRational(huge);
  RefreshDisplay();
  EXPECT_EQ(Display(), "9.960143429937049679324864e+120411");
  Rational tiny = RatFromInt(1);
  tiny.den = CopyBigNum(*huge.num);
  engineState.currentValue = std::move(tiny);
  constexpr int64_t kBudget = 1000000;
  AbortPollBudget.store(kBudget);
  RefreshDisplay();
  const int64_t polls = kBudget - AbortPollBudget.load();
  AbortPollBudget.store(-1);
  // The rendering takes a few dozen; the cross products took about 10,000.
  EXPECT_LT(polls, 1000);
  EXPECT_EQ(Display(), "1.004001606035426562432372689e-120412");
}

// Typed keys, then one command, then what the display shows.
struct KeysThenCommand {
  const char* name;
  const char* setup;
  CommandId command;
  const char* display;
};

TEST(DisplayTest, SettingChangesForceARendering) {
  const KeysThenCommand cases[] = {
      {"F-E toggle", "5=", CmdFE, "5.e+0"},
      {"word size", "5=:5", CmdRadWord, "5"},
      {"radix", "5=", CmdHex, "5"},
      {"radix back", "5=:5", CmdDec, "5."},
      {"layout switch", "5=", CmdStandard, "0."},
  };
  for (const KeysThenCommand& c : cases) {
    SCOPED_TRACE(c.name);
    StartEngine();
    Type(c.setup);
    RefreshDisplay();
    headless.calls.clear();
    ExecuteCommand(c.command);
    EXPECT_GE(DisplayWrites(), 1u);
    EXPECT_EQ(Display(), c.display);
  }
}

// The word size sets the digits a value in radix 2, 8 and 16 is rendered
// to. A width from the command line that no button names (1 bit) selects
// the first button; pressing that button then keeps the index but not the
// digits, and the display must follow.
TEST(DisplayTest, WordSizeButtonAfterAnOddCommandLineWidthRendersAgain) {
  StartEngine(kLayoutScientific, 32, 1);
  Type("2227=");
  ExecuteCommand(CmdOct);
  const std::string narrow = Display();
  ExecuteCommand(CmdDegDword);
  EXPECT_EQ(Display(), "4263") << "shown before: " << narrow;
}

// The user stopping a rendering (the watchdog raises the abort flag at any
// of its polls) leaves a meaningless text. The display keeps its previous
// text, the current value stays whole (in radix 16 its reduction to a word
// too), and the next refresh renders the value; before, the meaningless
// text stayed and the cache held it for the value.
TEST(DisplayTest, RenderingStoppedByTheUserIsNotKept) {
  const KeysThenCommand cases[] = {
      {"decimal", "2/3=", CmdDec, "0.666666666666666666666666666666667"},
      {"hex, negative", "0-5=", CmdHex, "FFFFFFFB"},
  };
  for (const KeysThenCommand& c : cases) {
    SCOPED_TRACE(c.name);
    for (int64_t poll = 0;; ++poll) {
      SCOPED_TRACE(poll);
      StartEngine();
      Type(c.setup);
      ExecuteCommand(c.command);
      ASSERT_EQ(Display(), c.display);
      const Rational value = CopyRational(engineState.currentValue);
      const std::string before = Display();
      AbortPollBudget.store(poll);
      RefreshDisplayAnew();
      AbortPollBudget.store(-1);
      const bool stopped = AbortFlag.exchange(false);
      EXPECT_TRUE(RatEqual(engineState.currentValue, value));
      if (stopped) {
        EXPECT_EQ(Display(), before);
      }
      RefreshDisplay();
      EXPECT_EQ(Display(), c.display);
      if (!stopped) break;
    }
  }
}

// "(" writes the display directly; the cache still describes the number, so
// a refresh of the same value leaves the parentheses, a new value replaces
// them.
TEST(DisplayTest, OpenParenBypassesTheCache) {
  StartEngine();
  Type("7=:m(");
  EXPECT_EQ(Display(), "(");
  Type(":r");
  EXPECT_EQ(Display(), "(");
  Type("8");
  EXPECT_EQ(Display(), "8.");
}

TEST(DisplayTest, ShowErrorTakesTheIndexFromTheCode) {
  struct Case {
    uint32_t code;
    uint32_t index;
  };
  const Case cases[] = {
      {ErrInvalidInput, 1},        {ErrUndefined, 2},
      {ErrDivideByZeroPositive, 3}, {ErrDivideByZeroNegative, 4},
      {ErrOutOfMemory, 7},         {ErrIndexNoData, 0},
      {ErrIndexAborted, 5},        {0xC0000002u, 2},
      {1000, 6},                   {0xFFFFFFFFu, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    StartEngine();
    Type("5=");
    const std::string text = engineState.displayText;
    headless.calls.clear();
    ShowError(c.code);
    EXPECT_EQ(Display(), ErrorMessage(c.index));
    EXPECT_TRUE(engineState.errorLocked);
    EXPECT_EQ(engineState.displayText, text);
    EXPECT_EQ(HeadlessCallCount(WindowCall::Focus), 1u);
    EXPECT_FALSE(HeadlessEnabled(CmdHex));
    EXPECT_FALSE(HeadlessEnabled(CmdGradByte));
    EXPECT_TRUE(HeadlessEnabled(CmdDigit0 + 5));
  }
}

TEST(DisplayTest, ClearEntryReplacesTheMessage) {
  StartEngine();
  Type("1/0=");
  EXPECT_EQ(Display(), "Cannot divide by zero");
  ExecuteCommand(CmdClearEntry);
  EXPECT_EQ(Display(), "0.");
  EXPECT_FALSE(engineState.errorLocked);
  Type("4");
  EXPECT_EQ(Display(), "4.");
}

TEST(DisplayTest, MessageTable) {
  std::set<std::string> texts;
  for (uint32_t k = 0; k < 8; ++k) {
    SCOPED_TRACE(k);
    const char* text = ErrorMessage(k);
    ASSERT_NE(text, nullptr);
    EXPECT_GT(std::string(text).size(), 5u);
    EXPECT_EQ(text, EngineString(66 + static_cast<int32_t>(k)));
    texts.insert(text);
  }
  EXPECT_EQ(texts.size(), 8u);
  EXPECT_STREQ(ErrorMessage(3), "Cannot divide by zero");
  EXPECT_STREQ(ErrorMessage(5), "Calculation stopped");
  EXPECT_STREQ(EngineString(60), "Dword");
  EXPECT_STREQ(EngineString(61), "Word");
  EXPECT_STREQ(EngineString(62), "Byte");
  EXPECT_STREQ(EngineString(63), "Degrees");
  EXPECT_EQ(EngineString(59), nullptr);
  EXPECT_EQ(EngineString(74), nullptr);
}

}  // namespace

namespace {

// Out of memory while the value is turned into text: the display says so
// rather than keep the previous text as if it were the new value.
TEST(DisplayTest, ConversionOutOfMemoryIsShownNotHidden) {
  int64_t reported = 0;
  for (int64_t n = 0; n < 200; ++n) {
    SCOPED_TRACE(n);
    StartEngine();
    Type("2+3");
    AllocFailAfter(n);
    ExecuteCommand(CmdEquals);
    AllocFailAfter(-1);
    if (engineState.errorLocked) {
      EXPECT_EQ(Display(), ErrorMessage(7));
      ++reported;
      ExecuteCommand(CmdClearEntry);
      Type("Q2+3=");
      EXPECT_EQ(Display(), "5.");
    } else if (headless.messageBoxes.empty()) {
      // Whatever did not fail left the right text; never the stale "3."
      EXPECT_EQ(Display(), "5.");
    }
  }
  EXPECT_GT(reported, 0);
}

}  // namespace
