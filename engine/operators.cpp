#include "engine/operators.h"

#include <string>

#include "arith/error.h"
#include "arith/integer.h"
#include "arith/rounded.h"
#include "arith/settings.h"
#include "engine/display.h"
#include "engine/state.h"
#include "engine/window.h"

int32_t OperatorPrecedence(uint32_t op) {
  for (const PrecedenceRow& row : kPrecedence) {
    if (row.op == op) return row.precedence;
  }
  return kPrecedence[0].precedence;
}

namespace {

void ClearInverse() {
  engineState.inverse = false;
  SetKeyCheck(CmdInv, false);
}

// Operations whose left operand is `last`: current <- last op current.
void ApplyReversed(uint32_t op, Rational& current, const Rational& last) {
  Rational lastCopy = CopyRational(last);
  Rational right = std::move(current);
  current = std::move(lastCopy);
  switch (op) {
    case CmdShiftLeft:
      RatShiftLeft(current, right);
      break;
    case OpShiftRight:
      RatShiftRight(current, right);
      break;
    case CmdDivide:
      RatDiv(current, right);
      break;
    case CmdMod:
      RatMod(current, right);
      break;
    case CmdPower:
      if (engineState.inverse) {
        ClearInverse();
        EvaluateRounded(current, FnRoot, Radians, &right);
      } else {
        EvaluateRounded(current, FnPower, Radians, &right);
      }
      break;
  }
}

bool TopIsMarkerOrEmpty() {
  const EngineState& s = engineState;
  return s.operatorDepth == 0 || s.operatorStack[s.operatorDepth - 1].op == 0;
}

// Takes the top operator stack entry as the pending operation.
void PopOperator() {
  EngineState& s = engineState;
  --s.operatorDepth;
  const OperatorEntry& top = s.operatorStack[s.operatorDepth];
  s.pendingOperator = top.op;
  s.lastValue = CopyOrZero(top.value);
}

void ShowParenIndicator() {
  const int32_t depth = engineState.parenDepth;
  SetControlText(IdParenIndicator,
                 depth == 0 ? std::string() : "(=" + std::to_string(depth));
}

}  // namespace

void ApplyBinary(uint32_t op, Rational& current, const Rational& last) {
  try {
    // What an aborted operation leaves is meaningless (an aborted power can
    // even leave a zero denominator): the operand is put back instead, and
    // the watchdog's disarm shows the stopped message.
    Rational operand = CopyRational(current);
    switch (op) {
      case CmdAnd:
        RatAnd(current, last);
        break;
      case CmdOr:
        RatOr(current, last);
        break;
      case CmdXor:
        RatXor(current, last);
        break;
      case CmdMultiply:
        RatMul(current, last);
        break;
      case CmdAdd:
        RatAdd(current, last);
        break;
      case CmdSubtract:
        RatSub(current, last);
        NegateRational(current);
        break;
      case CmdShiftLeft:
      case OpShiftRight:
      case CmdDivide:
      case CmdMod:
      case CmdPower:
        ApplyReversed(op, current, last);
        break;
      default:
        break;
    }
    if (AbortRequested()) current = std::move(operand);
  } catch (const ArithError& e) {
    ShowError(e.code);
  }
}

void HandleBinaryOperator(CommandId op) {
  EngineState& s = engineState;
  if (op == CmdShiftLeft && s.inverse) {
    ClearInverse();
    op = OpShiftRight;
  }
  // An operator typed right after another replaces it.
  if (IsBinaryOperator(s.previousCommand)) {
    s.pendingOperator = op;
    return;
  }
  if (s.operationPending) {
    for (;;) {
      if (!IsStandardLayout() &&
          OperatorPrecedence(op) > OperatorPrecedence(s.pendingOperator)) {
        if (s.operatorDepth == kStackSize) {
          // No room: the pending operation is dropped.
          SoundBeep();
        } else {
          OperatorEntry& slot = s.operatorStack[s.operatorDepth];
          slot.value = CopyRational(s.lastValue);
          slot.op = s.pendingOperator;
          ++s.operatorDepth;
        }
        break;
      }
      {
        WaitCursor wait;
        ApplyBinary(s.pendingOperator, s.currentValue, s.lastValue);
      }
      if (TopIsMarkerOrEmpty()) {
        if (!s.errorLocked) RefreshDisplay();
        break;
      }
      PopOperator();
    }
  }
  s.lastValue = CopyRational(s.currentValue);
  s.currentValue = RatFromInt(0);
  s.pendingOperator = op;
  s.operationPending = true;
  s.freshOperand = true;
}

void HandleEquals() {
  EngineState& s = engineState;
  // "=" right after an operator takes the left operand as the right one too
  // (5 + = is 5 + 5). Only the first pass does this: a later pass evaluates
  // a stacked operation with the result just computed, so 2 + 3 x = is
  // 2 + 3 x 3.
  if (IsBinaryOperator(s.previousCommand)) {
    s.currentValue = CopyRational(s.lastValue);
  }
  for (;;) {
    if (s.pendingOperator != 0) {
      if (s.freshOperand) {
        s.repeatOperand = CopyRational(s.currentValue);
      } else {
        s.currentValue = CopyOrZero(s.repeatOperand);
      }
      {
        WaitCursor wait;
        ApplyBinary(s.pendingOperator, s.currentValue, s.lastValue);
      }
      s.lastValue = CopyRational(s.currentValue);
      if (!s.errorLocked) RefreshDisplay();
      s.freshOperand = false;
    } else if (!s.errorLocked) {
      RefreshDisplay();
    }
    if (s.operatorDepth == 0 || IsStandardLayout()) break;
    PopOperator();
    s.freshOperand = true;
  }
  s.operationPending = false;
}

void HandleOpenParen() {
  EngineState& s = engineState;
  if (s.parenDepth == kStackSize || s.operatorDepth == kStackSize) {
    SoundBeep();
    return;
  }
  ParenEntry& saved = s.parenStack[s.parenDepth];
  saved.value = CopyRational(s.lastValue);
  saved.op = s.pendingOperator;
  ++s.parenDepth;
  // A marker keeps whatever value its slot held.
  s.operatorStack[s.operatorDepth].op = 0;
  ++s.operatorDepth;

  s.lastValue = RatFromInt(0);
  s.currentCommand = 0;
  s.pendingOperator = CmdAdd;  // the first operand inside is added to zero
  ShowParenIndicator();
  // Written directly: the display cache still describes the number, so a
  // refresh of an unchanged value leaves the parentheses shown.
  SetControlText(IdDisplay, std::string(static_cast<size_t>(s.parenDepth), '('));
  s.operationPending = false;
}

void HandleCloseParen() {
  EngineState& s = engineState;
  if (s.parenDepth == 0 ||
      (s.operatorDepth == kStackSize && !TopIsMarkerOrEmpty())) {
    SoundBeep();
    return;
  }
  // Evaluate down to the marker; an empty stack counts as one ("=" may have
  // emptied it while parentheses were still open).
  for (;;) {
    {
      WaitCursor wait;
      ApplyBinary(s.pendingOperator, s.currentValue, s.lastValue);
    }
    if (s.operatorDepth == 0) break;
    --s.operatorDepth;
    const OperatorEntry& top = s.operatorStack[s.operatorDepth];
    if (top.op == 0) break;
    s.pendingOperator = top.op;
    s.lastValue = CopyOrZero(top.value);
  }
  --s.parenDepth;
  const ParenEntry& saved = s.parenStack[s.parenDepth];
  s.lastValue = CopyOrZero(saved.value);
  s.pendingOperator = saved.op;
  s.operationPending = saved.op != 0;
  ShowParenIndicator();
  // An error raised inside stays on the display while the keypad is locked.
  if (!s.errorLocked) RefreshDisplay();
}
