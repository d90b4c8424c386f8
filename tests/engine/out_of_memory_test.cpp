// Allocation failure at every allocation of a key sequence.
//
// Each walk counts the allocations its keys make, then replays the keys once
// for every n, with the n-th allocation failing. Whatever fails must end in
// one of the messages the design gives an out-of-memory failure (the error
// display "Not enough memory" with the keypad locked, the command wrapper's
// message box, or the statistics box's memory message), or leave no trace
// at all (the same display as without the failure). Memory and the
// statistics store keep their values, nothing leaks, and the calculator
// works afterwards: CE, then 1 + 1 = gives 2, and pi is still pi.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "arith/alloc.h"
#include "arith/rational.h"
#include "engine/messages.h"
#include "engine/statistics.h"
#include "engine_test_util.h"

namespace {

struct Walk {
  const char* name;
  int32_t layout;
  const char* setup;  // typed first, without failures
  std::vector<CommandId> keys;
  bool addsData;      // the keys store one number in the statistics box
};

constexpr CommandId D(int v) { return CmdDigit0 + static_cast<CommandId>(v); }

// A fresh calculator with 7 in memory and the statistics box holding 4 and
// 5, then the walk's own setup.
void Prepare(const Walk& walk) {
  if (StatisticsBoxIsOpen()) CloseStatisticsBox();
  StartEngine(walk.layout);
  Type("7:m:s4\\5\\Q");
  Type(walk.setup);
  headless.messageBoxes.clear();
  headless.calls.clear();
}

// What a fresh calculator shows for pi, to compare the constants with.
std::string FreshPi(int32_t layout) {
  StartEngine(layout);
  Type(":6P");
  return Shown();
}

size_t MemoryMessages() {
  size_t n = 0;
  for (const WindowCallRecord& r : headless.calls) {
    if (r.call == WindowCall::StatBox && r.text == "memory message") ++n;
  }
  return n;
}

// CE releases the lock; C then 1 + 1 = gives 2 (CE alone keeps the
// operations pending from the keys before the failure); pi is still pi.
void CheckUsable(const std::string& pi) {
  ExecuteCommand(CmdClearEntry);
  EXPECT_FALSE(engineState.errorLocked);
  Type("Q:61+1=");
  EXPECT_EQ(Shown(), "2");
  if (!IsStandardLayout()) {
    Type("P");
    EXPECT_EQ(Shown(), pi);
  }
}

void WalkEveryAllocation(const Walk& walk) {
  const std::string pi = FreshPi(walk.layout);

  // A first run builds the constant sets the keys' guard digits need; they
  // are kept, so that every run after it allocates alike.
  Prepare(walk);
  for (CommandId id : walk.keys) HeadlessWindowCommand(id);

  // The run without failures: the allocations it makes and what each key
  // leaves on the display.
  Prepare(walk);
  const std::vector<std::string> statsBefore = headless.statList;
  // Every block a failed run took is back once the calculator is reset.
  const int64_t livePrepared = AllocLiveBlocks();
  const uint64_t first = AllocCount();
  std::vector<std::string> displays;
  for (CommandId id : walk.keys) {
    HeadlessWindowCommand(id);
    ASSERT_FALSE(engineState.errorLocked) << Display();
    displays.push_back(Display());
  }
  const uint64_t total = AllocCount() - first;
  ASSERT_TRUE(headless.messageBoxes.empty());
  ASSERT_GT(total, 0u);
  const std::vector<std::string> statsAfter = headless.statList;

  for (uint64_t n = 0; n < total; ++n) {
    SCOPED_TRACE("allocation " + std::to_string(n) + " of " + std::to_string(total));
    Prepare(walk);
    EXPECT_EQ(AllocLiveBlocks(), livePrepared);
    const uint64_t start = AllocCount();
    AllocFailAfter(static_cast<int64_t>(n));
    // The keys up to the one whose allocation fails.
    size_t key = 0;
    for (; key < walk.keys.size(); ++key) {
      HeadlessWindowCommand(walk.keys[key]);
      if (AllocCount() - start > n) break;
    }
    AllocFailAfter(-1);
    ASSERT_LT(key, walk.keys.size());
    SCOPED_TRACE("key " + std::to_string(key));

    const bool shownError = engineState.errorLocked && Display() == ErrorMessage(7);
    const bool reported =
        shownError || !headless.messageBoxes.empty() || MemoryMessages() > 0;
    if (!reported) {
      // A failure nobody was told of must have changed nothing.
      EXPECT_EQ(Display(), displays[key]);
    }
    for (const std::string& box : headless.messageBoxes) {
      EXPECT_EQ(box, "An unknown error has occured.");
    }
    if (engineState.errorLocked) {
      EXPECT_EQ(Display(), ErrorMessage(7));
    }
    EXPECT_FALSE(headless.waitCursor);

    EXPECT_TRUE(RatEqual(engineState.memoryValue, RatFromInt(7)));
    if (walk.addsData && headless.statList != statsBefore) {
      EXPECT_EQ(headless.statList, statsAfter);
    } else {
      EXPECT_EQ(headless.statList, statsBefore);
    }
    EXPECT_EQ(headless.statCount, headless.statList.size());

    CheckUsable(pi);
    if (::testing::Test::HasFailure()) return;  // one broken step is enough to read
  }
}

TEST(OutOfMemoryWalk, Arithmetic) {
  WalkEveryAllocation({"arithmetic", kLayoutScientific, "",
                       {D(1), D(2), CmdDecimalPoint, D(5), CmdAdd, D(3), CmdMultiply,
                        CmdOpenParen, D(4), CmdSubtract, D(1), CmdCloseParen, CmdDivide,
                        D(7), CmdEquals, CmdEquals},
                       false});
}

TEST(OutOfMemoryWalk, StandardLayoutPercentAndMemoryRecall) {
  WalkEveryAllocation({"standard", kLayoutStandard, "",
                       {D(2), D(0), D(0), CmdAdd, D(1), D(0), CmdPercent, CmdEquals,
                        CmdMemoryRecall, CmdMultiply, D(3), CmdEquals},
                       false});
}

TEST(OutOfMemoryWalk, FunctionKeys) {
  WalkEveryAllocation({"functions", kLayoutScientific, "",
                       {D(3), D(0), CmdSin, D(2), CmdSquare, CmdInv, CmdSquare,
                        CmdReciprocal, CmdLn},
                       false});
}

TEST(OutOfMemoryWalk, StatisticsDataAndMean) {
  WalkEveryAllocation({"statistics", kLayoutScientific, "",
                       {D(6), CmdData, CmdAverage, CmdSum, CmdStdDev}, true});
}

TEST(OutOfMemoryWalk, RadixSwitch) {
  WalkEveryAllocation({"radix", kLayoutScientific, "255",
                       {CmdHex, CmdGradByte, CmdBin, CmdDegDword, CmdDec, D(7), CmdAdd,
                        D(1), CmdEquals},
                       false});
}

}  // namespace
