#include "arith/settings.h"

Settings settings;
int32_t WorkingPrecision = 33;
int32_t DigitsPerWord = 9;
std::atomic<bool> AbortFlag{false};
std::atomic<int64_t> AbortPollBudget{-1};

void TakeAbortPoll() noexcept {
  if (AbortPollBudget.fetch_sub(1, std::memory_order_relaxed) == 0) {
    AbortFlag.store(true, std::memory_order_relaxed);
  }
}
