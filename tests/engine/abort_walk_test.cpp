// The user aborts a long operation at any point.
//
// Each walk counts the polls of the abort flag that one long command makes,
// then replays the command once for every k with the flag raised at the
// k-th poll, as the watchdog raises it when the user answers its prompt.
// The command must end with the "stopped" message and the keypad locked,
// and leave everything else as it was: memory, the statistics store, the
// settings and the constants. The calculator works afterwards.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "arith/constants.h"
#include "arith/error.h"
#include "arith/rational.h"
#include "arith/settings.h"
#include "engine/messages.h"
#include "engine/statistics.h"
#include "engine_test_util.h"

namespace {

struct LongOperation {
  const char* name;
  int32_t precision;
  const char* setup;  // typed before the command
  CommandId key;      // the long command
};

// What an abort must not touch.
struct Snapshot {
  Rational memory;
  std::vector<std::string> statistics;
  Settings settings;
  int32_t workingPrecision;
  int32_t digitsPerWord;
  AngleUnit angleUnit;
  int32_t wordSizeIndex;
  Rational pi, e, ln10, ln2;

  static Snapshot Take() {
    return Snapshot{CopyRational(engineState.memoryValue),
                    headless.statList,
                    ::settings,
                    WorkingPrecision,
                    DigitsPerWord,
                    engineState.angleUnit,
                    engineState.wordSizeIndex,
                    CopyRational(Pi),
                    CopyRational(EulerE),
                    CopyRational(Ln10),
                    CopyRational(Ln2)};
  }

  void ExpectSame() const {
    EXPECT_TRUE(RatEqual(engineState.memoryValue, memory));
    EXPECT_EQ(headless.statList, statistics);
    EXPECT_EQ(headless.statCount, statistics.size());
    EXPECT_EQ(::settings.radix, settings.radix);
    EXPECT_EQ(::settings.precision, settings.precision);
    EXPECT_EQ(::settings.wordBits, settings.wordBits);
    EXPECT_EQ(::settings.maxEntryDigits, settings.maxEntryDigits);
    EXPECT_EQ(WorkingPrecision, workingPrecision);
    EXPECT_EQ(DigitsPerWord, digitsPerWord);
    EXPECT_EQ(engineState.angleUnit, angleUnit);
    EXPECT_EQ(engineState.wordSizeIndex, wordSizeIndex);
    EXPECT_TRUE(RatEqual(Pi, pi));
    EXPECT_TRUE(RatEqual(EulerE, e));
    EXPECT_TRUE(RatEqual(Ln10, ln10));
    EXPECT_TRUE(RatEqual(Ln2, ln2));
  }
};

// A fresh calculator at the operation's precision with 7 in memory and the
// statistics box holding 4 and 5, then the operation's setup.
void Prepare(const LongOperation& op) {
  if (StatisticsBoxIsOpen()) CloseStatisticsBox();
  StartEngine(kLayoutScientific, op.precision);
  Type("7:m:s4\\5\\Q");
  Type(op.setup);
  ASSERT_FALSE(engineState.errorLocked);
  headless.calls.clear();
}

// Runs the command with the flag raised at poll `abortAt` (-1: never) and
// returns how many polls it made.
int64_t RunCommand(CommandId key, int64_t abortAt) {
  constexpr int64_t kCounting = int64_t{1} << 60;
  AbortPollBudget.store(abortAt >= 0 ? abortAt : kCounting);
  HeadlessWindowCommand(key);
  const int64_t left = AbortPollBudget.load();
  AbortPollBudget.store(-1);
  return abortAt >= 0 ? abortAt : kCounting - left;
}

void WalkEveryPoll(const LongOperation& op) {
  // A first run builds the constant sets the command's guard digits need;
  // they are kept, so that every run after it polls alike.
  Prepare(op);
  RunCommand(op.key, -1);
  Prepare(op);
  const int64_t polls = RunCommand(op.key, -1);
  const std::string result = Display();
  ASSERT_FALSE(engineState.errorLocked) << result;
  if (polls == 0 && HeadlessCallCount(WindowCall::Beep) > 0) {
    GTEST_SKIP() << op.name << ": the key is not available";
  }
  ASSERT_GT(polls, 0) << op.name << " polls nothing";

  for (int64_t k = 0; k < polls; ++k) {
    SCOPED_TRACE(std::string(op.name) + ": abort at poll " + std::to_string(k) + " of " +
                 std::to_string(polls));
    Prepare(op);
    const Snapshot before = Snapshot::Take();
    RunCommand(op.key, k);
    EXPECT_TRUE(engineState.errorLocked);
    EXPECT_EQ(Display(), ErrorMessage(ErrIndexAborted));
    EXPECT_EQ(headless.messageBoxes.size(), 0u);
    EXPECT_FALSE(headless.waitCursor);
    // The keypad is locked: keys beep and change nothing.
    ExecuteCommand(CmdDigit0 + 9);
    EXPECT_EQ(Display(), ErrorMessage(ErrIndexAborted));
    before.ExpectSame();

    ExecuteCommand(CmdClearEntry);
    Type("1+1=");
    EXPECT_EQ(Shown(), "2");
    if (::testing::Test::HasFailure()) return;  // one broken step is enough to read
  }
}

TEST(AbortWalk, SineAt65Digits) {
  WalkEveryPoll({"sine", 64,
                 "1.23456789012345678901234567890123456789012345678901234567890", CmdSin});
}

TEST(AbortWalk, HalfFactorialAtPrecision64) {
  WalkEveryPoll({"0.5!", 64, "0.5", CmdFactorial});
}

TEST(AbortWalk, Exponential) { WalkEveryPoll({"e^x", 32, "2.5I", CmdLn}); }

TEST(AbortWalk, Power) { WalkEveryPoll({"x^y", 32, "2.5Y3.7", CmdEquals}); }

// A radix switch at precision 64 rebuilds the constants with their series.
// Those must come out whole whatever the abort hit; an abort that finds
// nothing left to stop after them is dropped as any abort of the rebuild is.
TEST(AbortWalk, RadixSwitchRebuildsWholeConstants) {
  const LongOperation op{"radix switch", 64, "12:8", CmdDec};
  Prepare(op);
  const int64_t polls = RunCommand(op.key, -1);
  const std::string result = Display();
  const Snapshot after = Snapshot::Take();
  ASSERT_GT(polls, 0);
  for (int64_t k = 0; k < polls; ++k) {
    SCOPED_TRACE("abort at poll " + std::to_string(k) + " of " + std::to_string(polls));
    Prepare(op);
    RunCommand(op.key, k);
    if (engineState.errorLocked) {
      EXPECT_EQ(Display(), ErrorMessage(ErrIndexAborted));
    } else {
      EXPECT_EQ(Display(), result);
    }
    after.ExpectSame();
    ExecuteCommand(CmdClearEntry);
    Type("1+1=");
    EXPECT_EQ(Shown(), "2");
    if (::testing::Test::HasFailure()) return;
  }
}

}  // namespace
