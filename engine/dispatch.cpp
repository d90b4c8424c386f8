#include "engine/dispatch.h"

#include "arith/alloc.h"
#include "arith/constants.h"
#include "arith/error.h"
#include "arith/settings.h"
#include "engine/display.h"
#include "engine/layout.h"
#include "engine/operators.h"
#include "engine/radix.h"
#include "engine/state.h"
#include "engine/statistics.h"
#include "engine/unary.h"
#include "engine/window.h"
#include "numtext/entry.h"
#include "numtext/settings.h"

namespace {

void SetInverse(bool on) {
  engineState.inverse = on;
  SetKeyCheck(CmdInv, on);
}

void SetHyperbolic(bool on) {
  engineState.hyperbolic = on;
  SetKeyCheck(CmdHyp, on);
}

void ShowMemoryIndicator() {
  SetControlText(IdMemoryIndicator,
                 RatIsZero(engineState.memoryValue) ? "" : " M");
}

// Digits: refused when not below the radix or when the entry is full. A
// refused digit that would have started a new entry starts none, so the
// value on the display stays the one the next operator uses.
void HandleDigit(CommandId id, bool startedEntry) {
  EngineState& s = engineState;
  const int32_t value = static_cast<int32_t>(id - CmdDigit0);
  if (value < settings.radix && AddDigit(s.entry, value)) {
    RefreshDisplay();
    return;
  }
  if (startedEntry) s.entryMode = false;
  SoundBeep();
}

void HandleStatisticsKey(CommandId id) {
  EngineState& s = engineState;
  if (StatisticsBoxIsOpen()) {
    RefreshDisplay();
    try {
      StatisticsCommand(id);
    } catch (const ArithError& e) {
      // Statistics failures are dropped without a message, except running
      // out of memory, which must not pass for success: Dat reports it as
      // the box does when it cannot grow (nothing was stored), the others
      // on the display, which would otherwise go on showing the previous
      // value as if it were the result.
      if (e.code == ErrOutOfMemory) {
        if (id == CmdData) {
          StatMemoryMessage();
        } else {
          ShowError(e.code);
        }
      }
    } catch (...) {
    }
    if (!s.errorLocked) RefreshDisplay();
  } else {
    SoundBeep();
  }
  SetInverse(false);
}

void HandleClearEntry() {
  EngineState& s = engineState;
  s.currentValue = RatFromInt(0);
  if (!IsStandardLayout()) {
    EnableModeKeys(true);
    SetInverse(false);
    SetHyperbolic(false);
  }
  s.errorLocked = false;
  ResetEntry(s.entry);
  s.entryMode = true;
  RefreshDisplay();
}

void HandleClear() {
  EngineState& s = engineState;
  s.lastValue = RatFromInt(0);
  SetControlText(IdParenIndicator, "");
  s.operationPending = false;
  s.parenDepth = 0;
  s.pendingOperator = 0;
  s.previousCommand = 0;
  s.currentCommand = 0;
  s.operatorDepth = 0;
  s.exponentialDisplay = false;
  s.freshOperand = true;
  HandleClearEntry();
}

// Step 9: the commands handled in place, with the wait cursor on.
void HandleOther(CommandId id, bool startedEntry) {
  EngineState& s = engineState;
  WaitCursor wait;
  switch (id) {
    case CmdSign:
      if (s.entryMode) {
        ToggleEntrySign(s.entry);
      } else {
        NegateRational(s.currentValue);
      }
      RefreshDisplay();
      break;
    case CmdClear:
      HandleClear();
      break;
    case CmdClearEntry:
      HandleClearEntry();
      break;
    case CmdBackspace:
      if (s.entryMode) {
        EntryBackspace(s.entry);
        RefreshDisplay();
      } else {
        SoundBeep();
      }
      break;
    case CmdStatistics:
      if (StatisticsBoxIsOpen()) {
        StatBoxFocus();
      } else {
        OpenStatisticsBox();
      }
      break;
    case CmdDecimalPoint:
      if (s.entryMode && settings.radix == 10 && AddDecimalPoint(s.entry)) {
        RefreshDisplay();
      } else {
        // A refused point starts no entry: the display keeps showing the
        // value that the next operator will use.
        if (startedEntry) s.entryMode = false;
        SoundBeep();
      }
      break;
    case CmdFE:
      s.exponentialDisplay = !s.exponentialDisplay;
      RefreshDisplay();
      break;
    case CmdPi:
      if (settings.radix != 10) {
        SoundBeep();
        break;
      }
      s.currentValue = CopyRational(s.inverse ? TwoPi : Pi);
      RefreshDisplay();
      SetInverse(false);
      break;
    case CmdEquals:
      HandleEquals();
      break;
    case CmdMemoryClear:
      s.memoryValue = RatFromInt(0);
      ShowMemoryIndicator();
      break;
    case CmdMemoryStore:
      s.memoryValue = CopyRational(s.currentValue);
      ShowMemoryIndicator();
      break;
    case CmdMemoryAdd:
      RatAdd(s.memoryValue, s.currentValue);
      ShowMemoryIndicator();
      break;
    case CmdMemoryRecall:
      s.currentValue = CopyRational(s.memoryValue);
      RefreshDisplay();
      break;
    case CmdExponent:
      if (s.entryMode && settings.radix == 10 && StartExponent(s.entry)) {
        RefreshDisplay();
      } else {
        SoundBeep();
      }
      break;
    case CmdOpenParen:
      HandleOpenParen();
      break;
    case CmdCloseParen:
      HandleCloseParen();
      break;
    case CmdInv:
      SetInverse(!s.inverse);
      break;
    case CmdHyp:
      SetHyperbolic(!s.hyperbolic);
      break;
    case CmdDegDword:
    case CmdRadWord:
    case CmdGradByte:
      SelectUnitOrWordSize(id);
      break;
    default:
      if (IsMenuCommand(id)) {
        MenuCommand(id);
        // The pasted keys have refreshed the display as typed keys do; a
        // refresh here would show the zero an operator leaves as the next
        // operand. While locked (a pasted key failed, or Help passed the
        // lock) the error message stays.
        if (id != CmdPaste && !s.errorLocked) RefreshDisplay();
      }
      break;
  }
}

}  // namespace

void ExecuteCommand(CommandId id) {
  const bool timed = id != CmdAbout;
  if (timed) WatchdogArm();
  try {
    DispatchCommand(id);
  } catch (...) {
    ShowMessageBox("An unknown error has occured.", "Error");
  }
  if (timed) WatchdogDisarm();
}

void DispatchCommand(CommandId id) {
  EngineState& s = engineState;

  if (IsRecordedCommand(id)) {
    s.previousCommand = s.currentCommand;
    s.currentCommand = id;
  }

  if (s.errorLocked && !PassesErrorLock(id)) {
    SoundBeep();
    return;
  }

  bool startedEntry = false;
  if (s.entryMode && EndsEntry(id)) {
    s.entryMode = false;
    {
      WaitCursor wait;
      CommitEntry(s.entry, s.currentValue);
    }
    RefreshDisplay();
  } else if (!s.entryMode && StartsEntry(id)) {
    s.entryMode = true;
    ResetEntry(s.entry);
    startedEntry = true;
  }

  if (IsDigitCommand(id)) {
    HandleDigit(id, startedEntry);
  } else if (IsStatisticsCommand(id)) {
    HandleStatisticsKey(id);
  } else if (IsBinaryOperator(id)) {
    HandleBinaryOperator(id);
  } else if (IsUnaryFunction(id)) {
    HandleUnaryFunction(id);
  } else if (IsRadixCommand(id)) {
    SetRadix(static_cast<int32_t>(IsStandardLayout() ? CmdDec : id));
  } else {
    HandleOther(id, startedEntry);
  }
}

void ResetEngineState() {
  EngineState& s = engineState;
  ResetEntry(s.entry);
  s.entryMode = true;
  s.currentValue = CopyRational(RatZero);
  s.lastValue = CopyRational(RatZero);
  for (OperatorEntry& e : s.operatorStack) e.value.reset();
  for (ParenEntry& e : s.parenStack) e.value.reset();
  s.displayText.assign(1, '0');
}

void ResetEngine(const EngineStart& start) {
  AbortFlag.store(false);
  AbortPollBudget.store(-1);
  AllocFailAfter(-1);
  if (StatisticsBoxIsOpen()) CloseStatisticsBox();
  settings.precision = start.precision;
  settings.radix = start.radix;
  settings.wordBits = start.wordBits;
  SetDecimalSeparator(".");
  StartupReset();
  SelectWordSizeOfSettings();
  engineState.layout = start.layout;
  ApplyLayoutToEngine(10);
}

void StartupReset() {
  engineState = EngineState{};

  EngineState& s = engineState;
  ResetEntry(s.entry);
  s.entryMode = true;
  ApplyPrecision();
  s.wordMask[0] = CopyRational(Mask64);
  s.wordMask[1] = CopyRational(Mask32);
  s.wordMask[2] = CopyRational(Mask16);
  s.wordMask[3] = CopyRational(Mask8);
  ResetEngineState();
  s.memoryValue = CopyRational(RatZero);
}
