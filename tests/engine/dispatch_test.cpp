#include "engine/dispatch.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "arith/alloc.h"
#include "arith/settings.h"
#include "engine/engine_test_util.h"
#include "engine/messages.h"
#include "engine/statistics.h"

namespace {

TEST(DispatchTest, StartsShowingZeroWithNothingPending) {
  for (int32_t layout : {kLayoutScientific, kLayoutStandard}) {
    SCOPED_TRACE(layout);
    StartEngine(layout);
    const EngineState& s = engineState;
    EXPECT_EQ(Display(), "0.");
    EXPECT_EQ(Shown(), "0");
    EXPECT_FALSE(s.entryMode);
    EXPECT_FALSE(s.errorLocked);
    EXPECT_EQ(s.pendingOperator, 0u);
    EXPECT_TRUE(s.freshOperand);
    EXPECT_EQ(HeadlessText(IdMemoryIndicator), "");
    EXPECT_TRUE(HeadlessChecked(CmdDec));
    EXPECT_EQ(settings.radix, 10);
    EXPECT_EQ(WorkingPrecision, 33);
  }
}

// One call undoes everything a run can leave behind: a statistics box with
// numbers, memory, hex with byte words, an open parenthesis, Inv, an error
// lock, a pending abort and a planned allocation failure.
TEST(DispatchTest, ResetEngineLeavesNothingOfTheRunBefore) {
  const auto run = [] {
    Type(":S 5\\7\\:M 3:m (2+");
    Press({CmdHex, CmdGradByte, CmdInv});
    Type("1/0=");
  };
  // A first run builds the constant sets of hex with byte words; they are
  // kept for later requests, and count as no leak.
  StartEngine(kLayoutScientific);
  run();
  StartEngine(kLayoutScientific);
  const int64_t blocksFresh = AllocLiveBlocks();
  run();
  ASSERT_TRUE(engineState.errorLocked);
  ASSERT_TRUE(headless.statBoxExists);
  AbortFlag.store(true);
  AllocFailAfter(1000);

  StartEngine(kLayoutScientific);
  const EngineState& s = engineState;
  EXPECT_FALSE(AbortFlag.load());
  EXPECT_EQ(AllocLiveBlocks(), blocksFresh);  // no failure planned, no leak
  EXPECT_FALSE(headless.statBoxExists);
  EXPECT_EQ(s.statistics.count, 0u);
  EXPECT_EQ(settings.radix, 10);
  EXPECT_EQ(s.wordSizeIndex, 0);
  EXPECT_FALSE(s.errorLocked || s.inverse || s.hyperbolic);
  EXPECT_EQ(s.parenDepth, 0);
  EXPECT_EQ(s.operatorDepth, 0);
  EXPECT_TRUE(RatIsZero(s.memoryValue));
  EXPECT_EQ(HeadlessText(IdMemoryIndicator), "");
  EXPECT_EQ(Display(), "0.");
  Type("2+3*4=");
  EXPECT_EQ(Shown(), "14");
}

// Which commands are recorded as current (and push the previous one).
TEST(DispatchTest, RecordsCommandsExceptTheUnrecordedOnes) {
  struct Case {
    std::vector<CommandId> keys;
    CommandId previous;
    CommandId current;
  };
  const Case cases[] = {
      {{129, CmdAdd, CmdInv}, 129, CmdAdd},
      {{129, CmdAdd, CmdHyp, CmdFE, CmdMemoryClear}, 129, CmdAdd},
      {{129, CmdAdd, CmdBackspace, CmdStatistics, CmdExponent}, 129, CmdAdd},
      {{129, CmdAdd, CmdDegDword, CmdRadWord, CmdGradByte}, 129, CmdAdd},
      {{129, CmdAdd, CmdMemoryStore}, CmdAdd, CmdMemoryStore},
      {{129, 150}, 129, 150},
      {{129, 0xFFFFFFFFu}, 129, 0xFFFFFFFFu},
      {{129, CmdAdd, CmdClear}, 0, 0},
      {{129, CmdAdd, CmdOpenParen}, CmdAdd, 0},
      // A refused digit (A in radix 10) is recorded too.
      {{129, CmdDigitA}, 129, CmdDigitA},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.keys));
    StartEngine();
    for (CommandId id : c.keys) ExecuteCommand(id);
    EXPECT_EQ(engineState.previousCommand, c.previous);
    EXPECT_EQ(engineState.currentCommand, c.current);
  }
}

// Unrecorded commands between two operators leave the first as the previous
// command, so the second replaces it; a recorded one makes it evaluate.
TEST(DispatchTest, UnrecordedCommandKeepsOperatorReplacement) {
  struct Case {
    std::vector<CommandId> keys;
    const char* shown;
  };
  const Case cases[] = {
      {{129, CmdMultiply, CmdMemoryClear, CmdMultiply, 127, CmdEquals}, "15"},
      {{129, CmdMultiply, CmdMemoryStore, CmdMultiply, 127, CmdEquals}, "0"},
      {{129, CmdAdd, CmdInv, CmdSubtract, 127, CmdEquals}, "2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.keys));
    StartEngine();
    for (CommandId id : c.keys) ExecuteCommand(id);
    EXPECT_EQ(Shown(), c.shown);
  }
}

TEST(DispatchTest, ErrorLockRefusesAllButClearAndHelp) {
  StartEngine();
  Type("IH");  // Inv and Hyp on before the error
  Type("1/0=");
  ASSERT_TRUE(engineState.errorLocked);
  EXPECT_EQ(Display(), ErrorMessage(3));
  for (CommandId id : {CmdDigit0 + 1, CmdDigit0 + 5, CmdAdd, CmdInv, CmdEquals,
                       CmdMemoryStore, CmdHex, CmdPaste, CmdCopy, 150u}) {
    SCOPED_TRACE(id);
    const uint64_t beeps = headless.beeps;
    ExecuteCommand(id);
    EXPECT_EQ(headless.beeps, beeps + 1);
    EXPECT_TRUE(engineState.errorLocked);
    EXPECT_EQ(Display(), ErrorMessage(3));
  }
  EXPECT_TRUE(engineState.inverse);
  // The mode keys are disabled while locked in the scientific layout.
  for (CommandId id = CmdBin; id <= CmdGradByte; ++id) {
    EXPECT_FALSE(HeadlessEnabled(static_cast<int32_t>(id))) << id;
  }
  // Help passes, does not unlock and leaves the message shown.
  ExecuteCommand(CmdHelpTopics);
  EXPECT_TRUE(engineState.errorLocked);
  EXPECT_EQ(Display(), ErrorMessage(3));
  EXPECT_EQ(HeadlessCallCount(WindowCall::Menu, CmdHelpTopics), 1u);

  // CE unlocks, keeps the pending division, clears Inv and Hyp.
  ExecuteCommand(CmdClearEntry);
  EXPECT_FALSE(engineState.errorLocked);
  EXPECT_EQ(Display(), "0.");
  EXPECT_EQ(engineState.pendingOperator, CmdDivide);
  EXPECT_FALSE(engineState.inverse);
  EXPECT_FALSE(engineState.hyperbolic);
  EXPECT_FALSE(HeadlessChecked(CmdInv));
  EXPECT_FALSE(HeadlessChecked(CmdHyp));
  for (CommandId id = CmdBin; id <= CmdGradByte; ++id) {
    EXPECT_TRUE(HeadlessEnabled(static_cast<int32_t>(id))) << id;
  }
}

// The refresh that follows a paste does not cover the error a pasted key
// raised.
TEST(DispatchTest, PasteThatLocksKeepsTheMessage) {
  StartEngine();
  headless.clipboard = "8/0=";
  ExecuteCommand(CmdPaste);
  EXPECT_TRUE(engineState.errorLocked);
  EXPECT_EQ(Display(), ErrorMessage(3));
}

// After a paste the display is what typing the same keys shows.
TEST(DispatchTest, PasteShowsWhatTypingShows) {
  for (const char* text : {"2+3+", "2+3*", "2*(", "7", "4=", ""}) {
    SCOPED_TRACE(text);
    StartEngine();
    Type(text);
    const std::string typed = Display();
    StartEngine();
    headless.clipboard = text;
    ExecuteCommand(CmdPaste);
    EXPECT_EQ(Display(), typed);
  }
}

TEST(DispatchTest, StandardLayoutLockLeavesModifiersAndModeKeys) {
  StartEngine(kLayoutStandard);
  Type("I");
  Type("1/0=");
  ASSERT_TRUE(engineState.errorLocked);
  EXPECT_EQ(HeadlessCallCount(WindowCall::Enable), 0u);
  ExecuteCommand(CmdClear);
  EXPECT_FALSE(engineState.errorLocked);
  EXPECT_TRUE(engineState.inverse);
  EXPECT_EQ(engineState.pendingOperator, 0u);
}

TEST(DispatchTest, ClearKeepsMemoryAndClearsTheCalculation) {
  StartEngine();
  Type("5:m");
  Type("2+(3");
  ASSERT_EQ(HeadlessText(IdParenIndicator), "(=1");
  ExecuteCommand(CmdFE);
  ExecuteCommand(CmdClear);
  const EngineState& s = engineState;
  EXPECT_EQ(s.pendingOperator, 0u);
  EXPECT_FALSE(s.operationPending);
  EXPECT_EQ(s.parenDepth, 0);
  EXPECT_EQ(s.operatorDepth, 0);
  EXPECT_FALSE(s.exponentialDisplay);
  EXPECT_TRUE(s.entryMode);
  EXPECT_EQ(HeadlessText(IdParenIndicator), "");
  EXPECT_EQ(HeadlessText(IdMemoryIndicator), " M");
  EXPECT_EQ(Display(), "0.");
  Type(":r");
  EXPECT_EQ(Shown(), "5");
}

// Refused keys beep and leave the display and what the next operator uses.
TEST(DispatchTest, RefusedKeysChangeNothing) {
  struct Case {
    const char* setup;     // typed first
    std::vector<CommandId> refused;
    const char* then;      // typed after
    const char* shown;
  };
  const Case cases[] = {
      // A digit not below the radix starts no entry.
      {"15=", {CmdDigitA}, "+2=", "17"},
      {":5 FF=", {CmdDecimalPoint}, "+1=", "100"},   // point in radix 16
      {":8 11=", {CmdDigit0 + 2}, "+1=", "100"},     // 2 in radix 2
      {"7=", {CmdExponent}, "+1=", "8"},             // Exp outside entry
      {"7=", {CmdBackspace}, "+1=", "8"},            // backspace outside entry
      {":5 7", {CmdDecimalPoint, CmdExponent}, "=", "7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setup);
    StartEngine();
    Type(c.setup);
    const std::string before = Display();
    const bool entryBefore = engineState.entryMode;
    for (CommandId id : c.refused) {
      const uint64_t beeps = headless.beeps;
      ExecuteCommand(id);
      EXPECT_EQ(headless.beeps, beeps + 1) << id;
    }
    EXPECT_EQ(Display(), before);
    EXPECT_EQ(engineState.entryMode, entryBefore);
    Type(c.then);
    EXPECT_EQ(Shown(), c.shown);
  }
}

TEST(DispatchTest, EntryEditing) {
  struct Case {
    const char* keys;
    const char* display;
  };
  const Case cases[] = {
      {"12.5", "12.5"},
      {"-12", "-12."},
      {"12:9", "-12."},
      {"1e5", "1.e+5"},
      {"1e-5", "1.e-5"},
      {"0.5", "0.5"},
      {".5", "0.5"},
      {":5 1F", "1F"},
      {"007", "7."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    StartEngine();
    Type(c.keys);
    EXPECT_TRUE(engineState.entryMode);
    EXPECT_EQ(Display(), c.display);
  }
  StartEngine();
  Type("123");
  ExecuteCommand(CmdBackspace);
  EXPECT_EQ(Display(), "12.");
}

TEST(DispatchTest, SignNegatesAResult) {
  StartEngine();
  Type("6=:9");
  EXPECT_EQ(Shown(), "-6");
  Type("+1=");
  EXPECT_EQ(Shown(), "-5");
}

TEST(DispatchTest, MemoryIndicator) {
  struct Case {
    const char* keys;
    const char* indicator;
    const char* recalled;
  };
  const Case cases[] = {
      {"5:m", " M", "5"},
      {"5:m0:m", "", "0"},           // storing zero clears it
      {"5:m5:9:p", "", "0"},         // adding the negated memory clears it
      {"5:p:p", " M", "10"},
      {"5:m:c", "", "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    StartEngine();
    Type(c.keys);
    EXPECT_EQ(HeadlessText(IdMemoryIndicator), c.indicator);
    Type(":r");
    EXPECT_EQ(Shown(), c.recalled);
  }
}

TEST(DispatchTest, MemoryKeysDoNotRefresh) {
  StartEngine();
  Type("5+3:m");
  // The display still shows the typed 3 (now committed).
  EXPECT_EQ(Display(), "3.");
  EXPECT_EQ(HeadlessText(IdMemoryIndicator), " M");
}

TEST(DispatchTest, ModifierKeysToggleTheirBoxes) {
  StartEngine();
  Press({CmdInv});
  EXPECT_TRUE(engineState.inverse);
  EXPECT_TRUE(HeadlessChecked(CmdInv));
  Press({CmdInv, CmdHyp});
  EXPECT_FALSE(engineState.inverse);
  EXPECT_FALSE(HeadlessChecked(CmdInv));
  EXPECT_TRUE(HeadlessChecked(CmdHyp));
  EXPECT_EQ(headless.beeps, 0u);
}

TEST(DispatchTest, ExponentialDisplayToggle) {
  StartEngine();
  Type("123.45=");
  EXPECT_EQ(Display(), "123.45");
  ExecuteCommand(CmdFE);
  EXPECT_EQ(Display(), "1.2345e+2");
  ExecuteCommand(CmdFE);
  EXPECT_EQ(Display(), "123.45");
}

TEST(DispatchTest, PiAndTwoPi) {
  // pi and 2 pi to 33 digits: python3-mpmath, mp.dps = 50.
  StartEngine();
  ExecuteCommand(CmdPi);
  EXPECT_EQ(Shown(), "3.1415926535897932384626433832795");
  Press({CmdInv, CmdPi});
  EXPECT_EQ(Shown(), "6.28318530717958647692528676655901");
  EXPECT_FALSE(engineState.inverse);
  EXPECT_FALSE(HeadlessChecked(CmdInv));
  // Radix 2: a beep, and Inv stays.
  Press({CmdBin, CmdInv});
  const uint64_t beeps = headless.beeps;
  ExecuteCommand(CmdPi);
  EXPECT_EQ(headless.beeps, beeps + 1);
  EXPECT_TRUE(engineState.inverse);
}

TEST(DispatchTest, StandardLayoutRoutesModAndRadixKeys) {
  StartEngine(kLayoutStandard);
  Type("5%");
  EXPECT_EQ(engineState.currentCommand, CmdPercent);
  for (CommandId id = CmdBin; id <= CmdHex; ++id) {
    SCOPED_TRACE(id);
    ExecuteCommand(id);
    EXPECT_EQ(settings.radix, 10);
    EXPECT_TRUE(HeadlessChecked(CmdDec));
  }
  StartEngine(kLayoutScientific);
  Type("5%");
  EXPECT_EQ(engineState.currentCommand, CmdMod);
}

TEST(DispatchTest, StatisticsKeysBeepWithoutTheBoxAndClearInv) {
  StartEngine();
  for (CommandId id = CmdAverage; id <= CmdData; ++id) {
    SCOPED_TRACE(id);
    Press({CmdInv});
    const uint64_t beeps = headless.beeps;
    ExecuteCommand(id);
    EXPECT_EQ(headless.beeps, beeps + 1);
    EXPECT_FALSE(engineState.inverse);
  }
}

TEST(DispatchTest, StatisticsKeyFocusesAnOpenBox) {
  StartEngine();
  ExecuteCommand(CmdStatistics);  // opens the box
  EXPECT_TRUE(StatBoxExists());
  headless.calls.clear();
  ExecuteCommand(CmdStatistics);
  ASSERT_EQ(HeadlessCallCount(WindowCall::StatBox), 1u);
  for (const WindowCallRecord& r : headless.calls) {
    if (r.call == WindowCall::StatBox) {
      EXPECT_EQ(r.text, "focus");
    }
  }
  EXPECT_EQ(headless.beeps, 0u);
}

TEST(DispatchTest, WatchdogAroundEveryCommandButAbout) {
  StartEngine();
  headless.arms = headless.disarms = 0;
  Press({CmdDigit0 + 1, CmdAdd, 150, CmdAbout});
  EXPECT_EQ(headless.arms, 3u);
  EXPECT_EQ(headless.disarms, 3u);

  // A paste times itself and each pasted key.
  headless.arms = headless.disarms = 0;
  headless.clipboard = "2+3=";
  ExecuteCommand(CmdPaste);
  EXPECT_EQ(headless.arms, 5u);
  EXPECT_EQ(headless.disarms, 5u);
  EXPECT_EQ(Shown(), "6");  // 1 + 2 + 3
}

TEST(DispatchTest, AbortShowsStoppedMessageAndLocks) {
  StartEngine();
  Type("2+3");
  headless.abortNextCommand = true;
  ExecuteCommand(CmdEquals);
  EXPECT_TRUE(engineState.errorLocked);
  EXPECT_EQ(Display(), ErrorMessage(5));
  EXPECT_EQ(Display(), "Calculation stopped");
  // The next command arms again and clears the flag.
  ExecuteCommand(CmdClear);
  EXPECT_FALSE(AbortRequested());
  EXPECT_FALSE(engineState.errorLocked);
}

TEST(DispatchTest, EscapingFailureShowsMessageBox) {
  StartEngine();
  Type("123");
  // Committing the entry runs out of memory.
  AllocFailAfter(0);
  ExecuteCommand(CmdAdd);
  AllocFailAfter(-1);
  ASSERT_EQ(headless.messageBoxes.size(), 1u);
  EXPECT_EQ(headless.messageBoxes[0], "An unknown error has occured.");
  EXPECT_EQ(HeadlessCallCount(WindowCall::Message), 1u);
  EXPECT_EQ(headless.calls.back().call, WindowCall::WatchdogDisarm);
  EXPECT_FALSE(engineState.entryMode);
  EXPECT_FALSE(headless.waitCursor);
  // The engine goes on working.
  Type("C2+3=");
  EXPECT_EQ(Shown(), "5");
}

TEST(DispatchTest, OutOfMemoryAnywhereLeavesAWorkingEngine) {
  // Fail the n-th allocation of a command for every n it makes.
  for (int64_t n = 0; n < 200; ++n) {
    SCOPED_TRACE(n);
    StartEngine();
    Type("12+3*(4-1");
    AllocFailAfter(n);
    Type(")=");
    AllocFailAfter(-1);
    EXPECT_FALSE(headless.waitCursor);
    ExecuteCommand(CmdClear);  // a paste would stop at an error lock
    Type("7*6=");
    ASSERT_EQ(Shown(), "42");
  }
}

// Any id, in any state, is safe; the stack depths stay in range.
TEST(DispatchTest, RandomCommandsAreSafe) {
  std::mt19937 random(12345);
  const CommandId interesting[] = {
      80,  81,  82,  83,  84,  85,  86,  87,  88,  89,  90,  91,  92,  93,
      94,  95,  110, 112, 113, 114, 115, 116, 117, 122, 123, 124, 125, 126,
      129, 133, 134, 139, 140, 141, 142, 143, 144, 145, 146, 147, 148, 300,
      303, 304, 0,   7,   150, 401, 403, 0xFFFFFFFFu,
      // Unary and statistics keys. The trigonometric keys (sinh of a large
      // negative value runs a long series) and n! (of a large whole number
      // runs until stopped) have their own tests.
      96,  97,  101, 102, 103, 104, 105, 107, 108, 109, 118, 119, 120, 121};
  for (int round = 0; round < 20; ++round) {
    StartEngine(round % 2 ? kLayoutStandard : kLayoutScientific);
    for (int i = 0; i < 300; ++i) {
      CommandId id = interesting[random() % std::size(interesting)];
      if (random() % 10 == 0) id = static_cast<CommandId>(random());
      ExecuteCommand(id);
      const EngineState& s = engineState;
      ASSERT_GE(s.operatorDepth, 0);
      ASSERT_LE(s.operatorDepth, kStackSize);
      ASSERT_GE(s.parenDepth, 0);
      ASSERT_LE(s.parenDepth, kStackSize);
    }
    EXPECT_TRUE(headless.messageBoxes.empty());
  }
}

}  // namespace

namespace {

// A statistics key that runs out of memory says so: the display must not
// go on showing the previous value as if it were the mean.
TEST(DispatchTest, StatisticsOutOfMemoryIsShown) {
  int64_t reported = 0;
  for (int64_t n = 0; n < 300; ++n) {
    SCOPED_TRACE(n);
    if (StatisticsBoxIsOpen()) CloseStatisticsBox();
    StartEngine();
    Type(":s4\\5\\6\\7");
    AllocFailAfter(n);
    ExecuteCommand(CmdAverage);
    AllocFailAfter(-1);
    if (engineState.errorLocked) {
      EXPECT_EQ(Display(), ErrorMessage(7));
      ++reported;
    } else if (headless.messageBoxes.empty()) {
      EXPECT_EQ(Display(), "5.");  // the mean of 4, 5 and 6
    }
  }
  if (StatisticsBoxIsOpen()) CloseStatisticsBox();
  EXPECT_GT(reported, 0);
}

}  // namespace
