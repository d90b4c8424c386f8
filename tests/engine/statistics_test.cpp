#include "engine/statistics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "arith/alloc.h"
#include "arith/rational.h"
#include "engine/engine_test_util.h"
#include "engine/messages.h"

namespace {

// Paste characters: ":S" opens the box, "\" is Dat, ":A" Ave, ":T" Sum,
// ":D" s, "I" Inv.

std::string Outcome() {
  return engineState.errorLocked ? Display() : Shown();
}

void StartWithBox(int32_t layout = kLayoutScientific) {
  StartEngine(layout);
  ExecuteCommand(CmdStatistics);
  headless.calls.clear();
}

// The window's list and count agree with the store.
void ExpectListMatchesStore() {
  EXPECT_EQ(headless.statList.size(), engineState.statistics.count);
  EXPECT_EQ(headless.statCount, engineState.statistics.count);
  EXPECT_GE(engineState.statistics.capacity(), engineState.statistics.count);
}

std::vector<std::string> StatOps() {
  std::vector<std::string> ops;
  for (const WindowCallRecord& r : headless.calls) {
    if (r.call == WindowCall::StatBox) ops.push_back(r.text);
  }
  return ops;
}

TEST(StatisticsTest, StatisticsKeyOpensTheBoxAndEnablesItsKeys) {
  StartEngine();
  for (CommandId id = CmdAverage; id <= CmdData; ++id) {
    EXPECT_FALSE(HeadlessEnabled(static_cast<int32_t>(id)));
  }
  ExecuteCommand(CmdStatistics);
  EXPECT_TRUE(headless.statBoxExists);
  EXPECT_TRUE(headless.statBoxShown);
  EXPECT_EQ(StatOps(), (std::vector<std::string>{"create", "show"}));
  for (CommandId id = CmdAverage; id <= CmdData; ++id) {
    EXPECT_TRUE(HeadlessEnabled(static_cast<int32_t>(id)));
  }
  EXPECT_EQ(engineState.statistics.count, 0u);
  EXPECT_EQ(engineState.statistics.capacity(), 0u);
  EXPECT_EQ(headless.beeps, 0u);
  // Pressed again it only gives the box the focus.
  headless.calls.clear();
  ExecuteCommand(CmdStatistics);
  EXPECT_EQ(StatOps(), (std::vector<std::string>{"focus"}));
}

TEST(StatisticsTest, BoxThatCannotBeCreatedBeeps) {
  StartEngine();
  headless.statBoxCreateFails = true;
  ExecuteCommand(CmdStatistics);
  EXPECT_EQ(headless.beeps, 1u);
  EXPECT_FALSE(HeadlessEnabled(CmdData));
  EXPECT_FALSE(StatisticsBoxIsOpen());
}

TEST(StatisticsTest, MeanSumAndDeviation) {
  // The square root of 32/7: python3-mpmath, mp.dps = 60, 33 digits.
  struct Case {
    const char* keys;
    const char* want;
  };
  const Case cases[] = {
      {":T", "40"},
      {"I:T", "232"},
      {":A", "5"},
      {"I:A", "29"},
      {":D", "2.13808993529939507747642784703803"},
      {"I:D", "2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    StartWithBox();
    Type("2\\4\\4\\4\\5\\5\\7\\9\\");
    ASSERT_EQ(engineState.statistics.count, 8u);
    Type(c.keys);
    EXPECT_EQ(Outcome(), c.want);
    EXPECT_FALSE(engineState.inverse);
    EXPECT_FALSE(HeadlessChecked(CmdInv));
    // The store is read, not changed.
    EXPECT_EQ(engineState.statistics.count, 8u);
  }
}

TEST(StatisticsTest, ListShowsTheDisplayTextOfEachNumber) {
  StartWithBox();
  Type("2\\1.5\\3:9\\");
  EXPECT_EQ(headless.statList, (std::vector<std::string>{"2.", "1.5", "-3."}));
  EXPECT_EQ(headless.statCount, 3u);
  EXPECT_EQ(headless.statSelection, 2);
  // In radix 16 the list shows hexadecimal; the sum is of the values.
  Type(":5 FF\\:T");
  EXPECT_EQ(headless.statList.back(), "FF");
  EXPECT_EQ(Shown(), "FF");  // 2 + 1.5 - 3 + 255 = 255.5, shown as a word
  ExpectListMatchesStore();
}

TEST(StatisticsTest, SmallAndDegenerateStores) {
  struct Case {
    const char* keys;
    const char* want;
  };
  const Case cases[] = {
      {":T", "0"},           {"I:T", "0"},          {":D", "0"},
      {"I:D", "0"},          {"7\\:D", "0"},        {"7\\I:D", "0"},
      {"7\\:A", "7"},        {"3\\3\\3\\:D", "0"},  {"3\\3\\3\\I:D", "0"},
      {"-1\\1\\:T", "0"},    {"-1\\1\\:A", "0"},    {"-1\\1\\I:D", "1"},
      // Equal numbers with long components: the cut to the working
      // precision can leave S2 - S1^2/n just below zero.
      {"P\\P\\:D", "0"},     {"2I@\\2I@\\2I@\\:D", "0"},
      {"2N\\2N\\2N\\2N\\2N\\I:D", "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    StartWithBox();
    Type(c.keys);
    EXPECT_EQ(Outcome(), c.want);
    EXPECT_FALSE(engineState.errorLocked);
  }
}

TEST(StatisticsTest, MeanOfEmptyStoreShowsNoDataAndLocks) {
  StartWithBox();
  Type("5I:A");
  EXPECT_TRUE(engineState.errorLocked);
  EXPECT_EQ(Display(), ErrorMessage(0));
  EXPECT_EQ(Display(), "No data to compute with");
  EXPECT_TRUE(RatIsZero(engineState.currentValue));
  EXPECT_FALSE(engineState.inverse);
  ExecuteCommand(CmdClearEntry);
  EXPECT_FALSE(engineState.errorLocked);
  Type("4\\:A");
  EXPECT_EQ(Shown(), "4");
}

TEST(StatisticsTest, KeysBeepWhileTheBoxIsClosed) {
  StartWithBox();
  Type("5\\");
  CloseStatisticsBox();
  for (CommandId id = CmdAverage; id <= CmdData; ++id) {
    SCOPED_TRACE(id);
    EXPECT_FALSE(HeadlessEnabled(static_cast<int32_t>(id)));
    ExecuteCommand(CmdInv);
    const uint64_t beeps = headless.beeps;
    ExecuteCommand(id);
    EXPECT_EQ(headless.beeps, beeps + 1);
    EXPECT_FALSE(engineState.inverse);
    EXPECT_EQ(Shown(), "5");
  }
}

TEST(StatisticsTest, ClosingReleasesTheNumbersAndReopeningStartsEmpty) {
  StartWithBox();
  Type("1\\2\\3\\");
  const int64_t liveBefore = AllocLiveBlocks();
  CloseStatisticsBox();
  EXPECT_FALSE(headless.statBoxExists);
  EXPECT_EQ(engineState.statistics.count, 0u);
  EXPECT_EQ(engineState.statistics.capacity(), 0u);
  // Three numbers of two blocks each and the store's own block.
  EXPECT_EQ(liveBefore - AllocLiveBlocks(), 7);
  ExecuteCommand(CmdStatistics);
  EXPECT_TRUE(headless.statList.empty());
  EXPECT_EQ(headless.statCount, 0u);
  Type(":T");
  EXPECT_EQ(Shown(), "0");
  // Switching to the standard layout closes the box too.
  Type("4\\");
  ExecuteCommand(CmdStandard);
  EXPECT_FALSE(headless.statBoxExists);
  EXPECT_EQ(engineState.statistics.count, 0u);
}

// A box opened in the standard layout (by its accelerator) stays open when
// the scientific layout replaces it, and that layout's statistics keys work.
TEST(StatisticsTest, BoxOpenedInTheStandardLayoutSurvivesTheSwitch) {
  StartEngine(kLayoutStandard);
  Type("2");
  Press({CmdStatistics, CmdData});
  ASSERT_TRUE(headless.statBoxExists);
  ExecuteCommand(CmdScientific);
  EXPECT_TRUE(headless.statBoxExists);
  for (CommandId id : {CmdAverage, CmdSum, CmdStdDev, CmdData}) {
    EXPECT_TRUE(HeadlessEnabled(static_cast<int32_t>(id))) << id;
  }
  Type("4\\:A");
  EXPECT_EQ(Shown(), "3");
  // Back in the standard layout and out again: the box closed, the keys off.
  ExecuteCommand(CmdStandard);
  ExecuteCommand(CmdScientific);
  EXPECT_FALSE(headless.statBoxExists);
  EXPECT_FALSE(HeadlessEnabled(static_cast<int32_t>(CmdData)));
}

TEST(StatisticsTest, DeleteRemovesTheSelectedNumber) {
  struct Case {
    int32_t select;
    std::vector<std::string> list;
    int32_t selectedAfter;
    const char* sum;
  };
  // Store 1, 2, 4, 8 (sum 15).
  const Case cases[] = {
      {0, {"2.", "4.", "8."}, 0, "14"},
      {1, {"1.", "4.", "8."}, 1, "13"},
      {3, {"1.", "2.", "4."}, 2, "7"},  // the last: the new last is selected
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.select);
    StartWithBox();
    Type("1\\2\\4\\8\\");
    StatListSelect(c.select);
    StatisticsDelete();
    EXPECT_EQ(headless.statList, c.list);
    EXPECT_EQ(headless.statSelection, c.selectedAfter);
    ExpectListMatchesStore();
    Type(":T");
    EXPECT_EQ(Shown(), c.sum);
    // Loading the selected number gives the number the list shows.
    StatisticsLoad();
    EXPECT_EQ(Shown() + ".", c.list[static_cast<size_t>(c.selectedAfter)]);
  }
}

TEST(StatisticsTest, DeleteTheOnlyNumberEmptiesTheBox) {
  StartWithBox();
  Type("6\\");
  StatisticsDelete();
  EXPECT_TRUE(headless.statList.empty());
  EXPECT_EQ(headless.statCount, 0u);
  EXPECT_EQ(engineState.statistics.count, 0u);
  EXPECT_EQ(engineState.statistics.capacity(), 0u);
  // With nothing left, and with nothing selected, Delete beeps.
  const uint64_t beeps = headless.beeps;
  StatisticsDelete();
  EXPECT_EQ(headless.beeps, beeps + 1);
  Type("6\\7\\");
  StatListSelect(-1);
  StatisticsDelete();
  EXPECT_EQ(headless.beeps, beeps + 2);
  EXPECT_EQ(engineState.statistics.count, 2u);
}

TEST(StatisticsTest, ClearAllEmptiesListAndStore) {
  StartWithBox();
  Type("6\\7\\");
  StatisticsClearAll();
  EXPECT_TRUE(headless.statList.empty());
  EXPECT_EQ(headless.statCount, 0u);
  EXPECT_EQ(engineState.statistics.count, 0u);
  Type("3\\:T");
  EXPECT_EQ(Shown(), "3");
  ExpectListMatchesStore();
}

TEST(StatisticsTest, LoadTakesTheSelectedNumberAndDropsTheEntry) {
  StartWithBox();
  Type("2.5\\7\\");
  StatListSelect(0);
  Type("123");  // being typed, dropped by the load
  StatisticsLoad();
  EXPECT_FALSE(engineState.entryMode);
  EXPECT_EQ(Shown(), "2.5");
  EXPECT_EQ(engineState.currentCommand, 32u);
  // The next operator does not see an operator before it.
  Type("+1=");
  EXPECT_EQ(Shown(), "3.5");

  // Nothing selected: a beep, the typed number is still dropped and the
  // display shows the current value.
  StatListSelect(-1);
  Type("99");
  const uint64_t beeps = headless.beeps;
  StatisticsLoad();
  EXPECT_EQ(headless.beeps, beeps + 1);
  EXPECT_FALSE(engineState.entryMode);
  EXPECT_EQ(Shown(), "3.5");
  EXPECT_EQ(engineState.currentCommand, 32u);
}

TEST(StatisticsTest, LoadWhileLockedOnlyBeeps) {
  StartWithBox();
  Type("2\\1/0=");
  ASSERT_TRUE(engineState.errorLocked);
  StatListSelect(0);
  const uint64_t beeps = headless.beeps;
  StatisticsLoad();
  EXPECT_EQ(headless.beeps, beeps + 1);
  EXPECT_EQ(Display(), ErrorMessage(3));
  EXPECT_TRUE(engineState.errorLocked);
}

TEST(StatisticsTest, StoreGrowsAndShrinksBySteps) {
  StartWithBox();
  std::vector<uint32_t> capacities;
  for (int i = 1; i <= 25; ++i) {
    Type(std::to_string(i) + "\\");
    if (capacities.empty() || capacities.back() != engineState.statistics.capacity()) {
      capacities.push_back(engineState.statistics.capacity());
    }
  }
  EXPECT_EQ(capacities, (std::vector<uint32_t>{24, 48}));  // grew twice
  EXPECT_EQ(engineState.statistics.count, 25u);
  StatListSelect(0);
  StatisticsDelete();
  EXPECT_EQ(engineState.statistics.count, 24u);
  EXPECT_EQ(engineState.statistics.capacity(), 24u);  // shrank once
  StatisticsDelete();
  EXPECT_EQ(engineState.statistics.capacity(), 24u);
  ExpectListMatchesStore();
  Type(":T");
  EXPECT_EQ(Shown(), "322");  // 3 + ... + 25
}

TEST(StatisticsTest, ListThatRefusesAnItemShowsTheMemoryMessage) {
  StartWithBox();
  Type("1\\");
  // Refused once: the memory is compacted and the second try succeeds.
  headless.statListRefusals = 1;
  Type("2\\");
  EXPECT_EQ(engineState.statistics.count, 2u);
  // Refused twice: the memory message, nothing stored.
  headless.statListRefusals = 2;
  headless.calls.clear();
  const uint64_t beeps = headless.beeps;
  Type("3\\");
  EXPECT_EQ(StatOps(), (std::vector<std::string>{"add", "compact", "add",
                                                 "memory message"}));
  EXPECT_EQ(headless.beeps, beeps + 1);
  EXPECT_EQ(engineState.statistics.count, 2u);
  ExpectListMatchesStore();
  Type(":T");
  EXPECT_EQ(Shown(), "3");
}

TEST(StatisticsTest, OutOfMemoryWhileStoringChangesNothing) {
  // Fail the n-th allocation of Dat for every n it makes, with a compaction
  // that frees nothing: the number is stored whole or not at all.
  bool memoryMessage = false;
  for (int64_t n = 0;; ++n) {
    SCOPED_TRACE(n);
    StartWithBox();
    Type("1\\");
    for (int i = 2; i <= 24; ++i) ExecuteCommand(CmdData);  // the store is full
    engineState.currentValue = RatFromInt(5);
    headless.compactFreesNothing = true;
    const uint64_t before = AllocCount();
    AllocFailAfter(n);
    ExecuteCommand(CmdData);
    AllocFailAfter(-1);
    headless.compactFreesNothing = false;
    const bool failed = AllocCount() - before > static_cast<uint64_t>(n);
    ExpectListMatchesStore();
    const uint32_t count = engineState.statistics.count;
    EXPECT_TRUE(count == 24 || count == 25) << count;
    // A failure in the display refresh around it shows the memory message
    // on the display.
    if (engineState.errorLocked) {
      EXPECT_EQ(Display(), ErrorMessage(7));
    }
    for (const std::string& op : StatOps()) memoryMessage |= op == "memory message";
    ExecuteCommand(CmdClearEntry);
    Type("I:T");
    EXPECT_EQ(Shown(), count == 24 ? "24" : "49");
    if (!failed) break;
  }
  EXPECT_TRUE(memoryMessage);
}

TEST(StatisticsTest, TenThousandNumbers) {
  // Sums of 1..10000 and of their squares, in closed form; the deviations:
  // python3-mpmath, mp.dps = 60, sqrt(n(n+1)/12) and sqrt((n^2-1)/12).
  StartWithBox();
  headless.recordCalls = false;
  for (int32_t i = 1; i <= 10000; ++i) {
    engineState.currentValue = RatFromInt(i);
    ExecuteCommand(CmdData);
  }
  ASSERT_EQ(engineState.statistics.count, 10000u);
  ExpectListMatchesStore();
  struct Case {
    const char* keys;
    const char* want;
  };
  const Case cases[] = {
      {":T", "50005000"},
      {"I:T", "333383335000"},
      {":A", "5000.5"},
      {":D", "2886.89567990716745723524876133912"},
      {"I:D", "2886.7513315143720567207077850075"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    Type(c.keys);
    EXPECT_EQ(Outcome(), c.want);
  }
}

}  // namespace
