// The engine state: one process-wide record, touched by the command thread
// only.
//
// Every value is a Rational owned by the field that holds it; assigning one
// releases the old value. Fields that may hold "none" are std::optional: the
// repeat operand before the first "=", the value slots of both stacks after a
// reset. A missing value reads as zero wherever it is used.
//
// The engine is in one of two modes. In entry mode (`entryMode`) a number is
// being typed into `entry` and the display shows its text; otherwise the
// display shows `currentValue`. `errorLocked` locks the keypad after an
// error until CE or C.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "arith/angle.h"
#include "arith/rational.h"
#include "engine/commands.h"
#include "engine/display.h"
#include "engine/statistics.h"
#include "numtext/entry.h"

constexpr int32_t kStackSize = 25;  // operator and parenthesis stacks

// The layouts the engine serves.
constexpr int32_t kLayoutScientific = 0;
constexpr int32_t kLayoutStandard = 1;

// An operator stack entry: the operator code (0 marks an open parenthesis)
// and its left operand.
struct OperatorEntry {
  uint32_t op = 0;
  std::optional<Rational> value;
};

// A parenthesis stack entry: the operation pending outside the parenthesis.
struct ParenEntry {
  uint32_t op = 0;
  std::optional<Rational> value;
};

struct EngineState {
  Rational currentValue;
  Rational lastValue;
  std::optional<Rational> repeatOperand;
  Rational memoryValue;
  uint32_t pendingOperator = 0;
  bool operationPending = false;
  bool freshOperand = true;
  CommandId currentCommand = 0;
  CommandId previousCommand = 0;
  bool inverse = false;
  bool hyperbolic = false;
  bool errorLocked = false;
  bool entryMode = false;
  EntryBuffer entry{};
  std::string displayText = "0";
  bool exponentialDisplay = false;
  AngleUnit angleUnit = Degrees;
  int32_t wordSizeIndex = 0;  // 0 Dword, 1 Word, 2 Byte
  std::array<OperatorEntry, kStackSize> operatorStack;
  int32_t operatorDepth = 0;
  std::array<ParenEntry, kStackSize> parenStack;
  int32_t parenDepth = 0;

  // The layout served; set before a layout window is created.
  int32_t layout = kLayoutStandard;
  // What the display last rendered (engine/display.h).
  DisplayCache displayCache;
  // The numbers of the statistics box while it is open.
  StatisticsStore statistics;
  // 2^64 - 1, 2^32 - 1, 65535, 255; read through CurrentWordMask.
  std::array<Rational, 4> wordMask;
  // The radix the keys were last enabled for; -1 forces a full update.
  int32_t keyedRadix = -1;
};

extern EngineState engineState;

inline bool IsStandardLayout() {
  return engineState.layout == kLayoutStandard;
}

// A fresh copy of a value, or zero for none.
Rational CopyOrZero(const std::optional<Rational>& value);

// Flips the sign of a value in place.
inline void NegateRational(Rational& x) { x.num->sign = -x.num->sign; }

// Turns the wait cursor on for its lifetime.
class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};
