#include "engine/unary.h"

#include <utility>

#include "arith/constants.h"
#include "arith/error.h"
#include "arith/integer.h"
#include "arith/rounded.h"
#include "arith/settings.h"
#include "engine/display.h"
#include "engine/radix.h"
#include "engine/state.h"
#include "engine/window.h"

namespace {

// The function of sin, cos, tan with Inv (arc functions in the angle unit),
// Hyp (hyperbolic) or both (inverse hyperbolic).
RoundedFunction AngleFunction(CommandId id, bool inverse, bool hyperbolic) {
  static constexpr RoundedFunction kByKey[3][4] = {
      // plain, Inv, Hyp, Inv and Hyp
      {FnSine, FnArcSine, FnHypSine, FnHypArcSine},
      {FnCosine, FnArcCosine, FnHypCosine, FnHypArcCosine},
      {FnTangent, FnArcTangent, FnHypTangent, FnHypArcTangent},
  };
  const int row = id == CmdSin ? 0 : (id == CmdCos ? 1 : 2);
  return kByKey[row][(inverse ? 1 : 0) + (hyperbolic ? 2 : 0)];
}

// Not: in radix 10 minus the integer part minus one; elsewhere the bits of
// the word inverted. The value is first brought to the unsigned word the
// display shows, as it always is after a refresh, so that the complement is
// the one of the digits on the display.
void Complement(Rational& x) {
  if (settings.radix == 10) {
    RatInt(x);
    RatAdd(x, RatOne);
    NegateRational(x);
    return;
  }
  ReduceToWord(x);
  RatXor(x, CurrentWordMask());
}

// 1 / x. Zero gives the positive division by zero whatever the sign its
// components carry.
void Reciprocal(Rational& x) {
  if (RatIsZero(x)) ThrowError(ErrDivideByZeroPositive);
  Rational t = RatFromInt(1);
  RatDiv(t, x);
  x = std::move(t);
}

// Degrees d.ddd to d.mmss (f = 60, g = 100) and back (f = 100, g = 60). The
// integer parts truncate toward zero, so a negative value keeps its sign in
// every part; the seconds keep their own fraction as further digits.
void DegreesMinutesSeconds(Rational& x, bool inverse) {
  const Rational f = RatFromInt(inverse ? 100 : 60);
  const Rational g = RatFromInt(inverse ? 60 : 100);
  Rational a = CopyRational(x);
  RatInt(x);
  RatSub(a, x);
  RatMul(a, f);
  Rational b = CopyRational(a);
  RatInt(a);
  RatSub(b, a);
  RatMul(b, f);
  RatDiv(b, g);
  RatAdd(a, b);
  RatDiv(a, g);
  RatAdd(x, a);
}

// x percent of the left operand: x * last / 100.
void Percent(Rational& x) {
  Rational t = CopyRational(engineState.lastValue);
  RatDiv(t, RatFromInt(100));
  RatMul(x, t);
}

// The function of the table, computed on x (a copy of the value). Functions
// with irrational values go through EvaluateRounded, which stores them
// correctly rounded; the others are exact.
void ComputeUnary(Rational& x, CommandId id) {
  const EngineState& s = engineState;
  const bool inverse = s.inverse;
  switch (id) {
    case CmdInt:
      inverse ? RatFrac(x) : RatInt(x);
      break;
    case CmdNot:
      Complement(x);
      break;
    case CmdSin:
    case CmdCos:
    case CmdTan:
      EvaluateRounded(x, AngleFunction(id, inverse, s.hyperbolic), s.angleUnit);
      break;
    case CmdLn:
      EvaluateRounded(x, inverse ? FnExponential : FnNaturalLog);
      break;
    case CmdLog:
      EvaluateRounded(x, inverse ? FnPowerOfTen : FnCommonLog);
      break;
    case CmdSqrt:
    case CmdSquare:
      if (inverse || IsStandardLayout()) {
        const Rational two = RatFromInt(2);
        EvaluateRounded(x, FnRoot, s.angleUnit, &two);
      } else {
        RatPowInt(x, 2);
      }
      break;
    case CmdCube:
      if (inverse) {
        Rational three = CopyRational(RatOne);
        RatAdd(three, RatTwo);
        EvaluateRounded(x, FnRoot, s.angleUnit, &three);
      } else {
        RatPowInt(x, 3);
      }
      break;
    case CmdFactorial:
      EvaluateRounded(x, FnFactorial);
      break;
    case CmdReciprocal:
      Reciprocal(x);
      break;
    case CmdDms:
      DegreesMinutesSeconds(x, inverse);
      break;
    default:  // CmdPercent
      Percent(x);
      break;
  }
}

void ClearInverseKey() {
  engineState.inverse = false;
  SetKeyCheck(CmdInv, false);
}

void ClearHyperbolicKey() {
  engineState.hyperbolic = false;
  SetKeyCheck(CmdHyp, false);
}

}  // namespace

void ApplyUnary(Rational& value, CommandId id) {
  if (!IsUnaryFunction(id)) return;
  if (IsDecimalOnlyCommand(id) && settings.radix != 10) {
    SoundBeep();
    return;
  }
  try {
    // The result is built on a copy: a failed or aborted function leaves the
    // value as it was.
    Rational x = CopyRational(value);
    ComputeUnary(x, id);
    if (AbortRequested()) return;
    value = std::move(x);
  } catch (const ArithError& e) {
    ShowError(e.code);
  }
}

void HandleUnaryFunction(CommandId id) {
  EngineState& s = engineState;
  // A key right after an operator takes the operator's left operand: in the
  // standard layout 5 + sqrt is the root of 5, not of the zero the operator
  // left.
  if (IsBinaryOperator(s.previousCommand)) {
    s.currentValue = CopyRational(s.lastValue);
  }
  {
    WaitCursor wait;
    ApplyUnary(s.currentValue, id);
  }
  // After an error the message stays and so do the modifiers. An aborted
  // function is treated alike; the watchdog shows its message next.
  if (s.errorLocked || AbortRequested()) return;
  RefreshDisplay();
  if (s.inverse && ClearsInverse(id)) ClearInverseKey();
  if (s.hyperbolic && ClearsHyperbolic(id)) ClearHyperbolicKey();
  s.freshOperand = true;
}
