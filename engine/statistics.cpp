#include "engine/statistics.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <string>
#include <memory>
#include <utility>

#include "arith/alloc.h"
#include "arith/constants.h"
#include "arith/error.h"
#include "arith/rounded.h"
#include "arith/settings.h"
#include "engine/display.h"
#include "engine/state.h"
#include "engine/window.h"

void StatisticsBlockDeleter::operator()(Rational* items) const noexcept {
  if (items == nullptr) return;
  std::destroy_n(items, capacity);
  FreeBlock(items);
}

namespace {

// The most entries a store may have: list positions are 32-bit signed.
constexpr uint32_t kMaxEntries = static_cast<uint32_t>(
    std::min<uint64_t>(std::numeric_limits<int32_t>::max(),
                       std::numeric_limits<size_t>::max() / sizeof(Rational)));

// Marks the current command after a load: a value that is no operator.
constexpr CommandId kLoadedCommand = 32;

// A block of `capacity` entries holding no value. Throws ErrOutOfMemory.
StatisticsBlock AllocStatisticsBlock(uint32_t capacity) {
  if (capacity == 0) return StatisticsBlock(nullptr, StatisticsBlockDeleter{});
  if (capacity > kMaxEntries) ThrowError(ErrOutOfMemory);
  auto* items = static_cast<Rational*>(AllocZeroed(capacity * sizeof(Rational)));
  std::uninitialized_value_construct_n(items, capacity);
  return StatisticsBlock(items, StatisticsBlockDeleter{capacity});
}

// Moves the stored numbers into a block of the new capacity (at least the
// count); false, with the store unchanged, when the block cannot be had.
bool ResizeStore(uint32_t capacity) {
  StatisticsStore& st = engineState.statistics;
  StatisticsBlock block;
  try {
    block = AllocStatisticsBlock(capacity);
  } catch (const ArithError& e) {
    if (e.code != ErrOutOfMemory) throw;
    return false;
  }
  std::move(st.items.get(), st.items.get() + st.count, block.get());
  st.items = std::move(block);
  return true;
}

// Grows a full store by one step, compacting the platform's memory and
// trying once more if the first attempt fails.
bool GrowStore() {
  StatisticsStore& st = engineState.statistics;
  if (st.count < st.capacity()) return true;
  if (st.capacity() > kMaxEntries - kStatisticsStep) return false;
  const uint32_t capacity = st.capacity() + kStatisticsStep;
  if (ResizeStore(capacity)) return true;
  CompactMemory();
  return ResizeStore(capacity);
}

bool AddListItem(const std::string& text) {
  if (StatListAdd(text)) return true;
  CompactMemory();
  return StatListAdd(text);
}

// Dat: the current value at the end of the store, its display text at the
// end of the list. Nothing changes when any step fails.
void AddData() {
  EngineState& s = engineState;
  StatisticsStore& st = engineState.statistics;
  Rational value = CopyRational(s.currentValue);
  if (!GrowStore() || !AddListItem(s.displayText)) {
    StatMemoryMessage();
    return;
  }
  StatListSelect(static_cast<int32_t>(st.count));
  st.items[st.count] = std::move(value);
  ++st.count;
  StatSetCount(st.count);
}

// x1 + ... + xn, or x1^2 + ... + xn^2, added in store order from 0.
Rational StoreSum(bool squares) {
  const StatisticsStore& st = engineState.statistics;
  Rational sum = RatFromInt(0);
  for (uint32_t i = 0; i < st.count; ++i) {
    const Rational& x = st.items[i];
    if (squares) {
      Rational square = CopyRational(x);
      RatMul(square, x);
      RatAdd(sum, square);
    } else {
      RatAdd(sum, x);
    }
  }
  return sum;
}

Rational CountAsRational(uint32_t n) {
  return RatFromInt(static_cast<int32_t>(n));  // n <= kMaxEntries
}

void Average(bool squares) {
  EngineState& s = engineState;
  const uint32_t n = engineState.statistics.count;
  Rational mean = StoreSum(squares);
  if (n == 0) {
    s.currentValue = std::move(mean);
    ShowError(ErrIndexNoData);
    return;
  }
  RatDiv(mean, CountAsRational(n));
  s.currentValue = std::move(mean);
}

// The sample standard deviation, or with `population` the population one:
// the square root of (S2 - S1^2 / n) / m, m = n - 1 or n.
void StandardDeviation(bool population) {
  EngineState& s = engineState;
  const uint32_t n = engineState.statistics.count;
  if (n < 2) {
    s.currentValue = RatFromInt(0);
    return;
  }
  Rational d;
  {
    // S2 - S1^2 / n cancels to far below the size of S2 when the numbers
    // lie close together; worked out to three times the precision it keeps
    // the digits the rounded root needs (the numbers themselves have at most
    // P significant digits).
    PrecisionRaise raise(3 * WorkingPrecision + 2 * DigitsPerWord);
    d = StoreSum(true);
    Rational s1Squared = StoreSum(false);
    {
      const Rational s1 = CopyRational(s1Squared);
      RatMul(s1Squared, s1);
    }
    RatDiv(s1Squared, CountAsRational(n));
    RatSub(d, s1Squared);
  }
  // S2 - S1^2 / n is never negative; a value below zero is what the cutting
  // of long components to the working precision left of an exact zero (all
  // numbers equal), and its root would fail.
  if (RatSign(d) <= 0) {
    s.currentValue = RatFromInt(0);
    return;
  }
  RatDiv(d, CountAsRational(population ? n : n - 1));
  const Rational two = RatFromInt(2);
  EvaluateRounded(d, FnRoot, Radians, &two);
  if (AbortRequested()) return;
  s.currentValue = std::move(d);
}

}  // namespace

bool StatisticsBoxIsOpen() { return StatBoxExists(); }

void OpenStatisticsBox() {
  if (!StatBoxCreate()) {
    SoundBeep();
    return;
  }
  engineState.statistics = StatisticsStore{};
  StatBoxShow();
  for (CommandId id = CmdAverage; id <= CmdData; ++id) {
    EnableControl(static_cast<int32_t>(id), true);
  }
}

void CloseStatisticsBox() {
  if (StatBoxExists()) {
    StatBoxDestroy();
    engineState.statistics = StatisticsStore{};
  }
  for (CommandId id = CmdAverage; id <= CmdData; ++id) {
    EnableControl(static_cast<int32_t>(id), false);
  }
}

void StatisticsCommand(CommandId id) {
  const bool inverse = engineState.inverse;
  switch (id) {
    case CmdData:
      AddData();
      break;
    case CmdSum:
      engineState.currentValue = StoreSum(inverse);
      break;
    case CmdAverage:
      Average(inverse);
      break;
    case CmdStdDev:
      StandardDeviation(inverse);
      break;
    default:
      break;
  }
}

void StatisticsLoad() {
  EngineState& s = engineState;
  if (s.errorLocked) {
    // The error message stays until C or CE.
    SoundBeep();
    return;
  }
  const StatisticsStore& st = engineState.statistics;
  const int32_t selection = StatListSelection();
  if (selection < 0 || static_cast<uint32_t>(selection) >= st.count) {
    SoundBeep();
  } else {
    s.currentValue = CopyRational(st.items[static_cast<uint32_t>(selection)]);
  }
  s.entryMode = false;
  RefreshDisplay();
  s.currentCommand = kLoadedCommand;
}

void StatisticsDelete() {
  StatisticsStore& st = engineState.statistics;
  const int32_t selection = StatListSelection();
  if (selection < 0 || static_cast<uint32_t>(selection) >= st.count) {
    SoundBeep();
    return;
  }
  const auto position = static_cast<uint32_t>(selection);
  StatListDelete(selection);
  --st.count;
  if (st.count == 0) {
    StatisticsClearAll();
    return;
  }
  StatListSelect(static_cast<int32_t>(std::min(position, st.count - 1)));
  Rational* items = st.items.get();
  std::move(items + position + 1, items + st.count + 1, items + position);
  items[st.count] = Rational{};  // releases the deleted number if it was last
  StatSetCount(st.count);
  if (st.count % kStatisticsStep == 0 &&
      st.capacity() - st.count >= kStatisticsStep) {
    // A failed shrink keeps the larger store.
    ResizeStore(st.capacity() - kStatisticsStep);
  }
}

void StatisticsClearAll() {
  StatListReset();
  StatSetCount(0);
  engineState.statistics = StatisticsStore{};
}
