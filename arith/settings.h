// Process-wide settings of the arithmetic that every layer reads.
//
// `settings` holds the user's choices that the conversions and the integer
// operations read: the radix of entry and display (2 to 16), the decimal
// precision setting, the word size in bits and the most characters an entry's
// mantissa may take. The engine changes them (radix keys, word-size keys,
// command line); tests set them plainly.
//
// WorkingPrecision (P) is the precision in digits of the current radix that
// results are carried to; DigitsPerWord (R) is how many radix digits one
// base-2^31 word is counted as (30 in radix 2, 10 in radix 8, 9 in radix 10,
// 7 in radix 16). Both are rebuilt with the constant set whenever the radix
// or the precision changes, and some functions raise P for the duration of
// their own work and restore it on every path (see PrecisionRaise).
//
// AbortFlag is set by the watchdog thread to ask the long loops of the
// arithmetic to finish early; they poll it with relaxed loads. A result
// computed while it was set is meaningless and is discarded by the engine.
#pragma once

#include <atomic>
#include <cstdint>

struct Settings {
  int32_t radix = 10;
  int32_t precision = 32;
  int32_t wordBits = 32;
  int32_t maxEntryDigits = 32;
};
extern Settings settings;

extern int32_t WorkingPrecision;
extern int32_t DigitsPerWord;
extern std::atomic<bool> AbortFlag;

// Test hook: while AbortPollBudget is not negative, every poll takes one
// from it, and the poll that finds it at zero raises AbortFlag as the
// watchdog would; the budget is then -1 (off), its default. A large budget
// counts the polls of a computation without raising anything.
extern std::atomic<int64_t> AbortPollBudget;
void TakeAbortPoll() noexcept;

inline bool AbortRequested() {
  if (AbortPollBudget.load(std::memory_order_relaxed) >= 0) TakeAbortPoll();
  return AbortFlag.load(std::memory_order_relaxed);
}

// Raises (or sets) WorkingPrecision for the lifetime of the object and puts
// the previous value back on destruction, exceptions included.
class PrecisionRaise {
 public:
  explicit PrecisionRaise(int32_t newPrecision) : saved_(WorkingPrecision) {
    WorkingPrecision = newPrecision;
  }
  ~PrecisionRaise() { WorkingPrecision = saved_; }
  PrecisionRaise(const PrecisionRaise&) = delete;
  PrecisionRaise& operator=(const PrecisionRaise&) = delete;

 private:
  int32_t saved_;
};
