#include "engine/unary.h"

#include <utility>

#include "arith/constants.h"
#include "arith/error.h"
#include "arith/exp_log.h"
#include "arith/factorial.h"
#include "arith/hyperbolic.h"
#include "arith/integer.h"
#include "arith/inverse_trig.h"
#include "arith/power.h"
#include "arith/settings.h"
#include "arith/trig.h"
#include "engine/display.h"
#include "engine/radix.h"
#include "engine/state.h"
#include "engine/window.h"

namespace {

// sin, cos, tan with Inv (arc functions in the angle unit), Hyp (hyperbolic)
// or both (inverse hyperbolic).
void ApplyAngleFunction(Rational& x, CommandId id, bool inverse,
                        bool hyperbolic, AngleUnit unit) {
  switch (id) {
    case CmdSin:
      if (hyperbolic) {
        inverse ? HypArcSine(x) : HypSine(x);
      } else {
        inverse ? ArcSineInUnit(x, unit) : Sine(x, unit);
      }
      break;
    case CmdCos:
      if (hyperbolic) {
        inverse ? HypArcCosine(x) : HypCosine(x);
      } else {
        inverse ? ArcCosineInUnit(x, unit) : Cosine(x, unit);
      }
      break;
    default:  // CmdTan
      if (hyperbolic) {
        inverse ? HypArcTangent(x) : HypTangent(x);
      } else {
        inverse ? ArcTangentInUnit(x, unit) : Tangent(x, unit);
      }
      break;
  }
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

// The function of the table, computed on x (a copy of the value).
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
      ApplyAngleFunction(x, id, inverse, s.hyperbolic, s.angleUnit);
      break;
    case CmdLn:
      inverse ? Exponential(x) : NaturalLog(x);
      break;
    case CmdLog:
      inverse ? PowerOfTen(x) : CommonLog(x);
      break;
    case CmdSqrt:
    case CmdSquare:
      if (inverse || IsStandardLayout()) {
        Root(x, RatTwo);
      } else {
        RatPowInt(x, 2);
      }
      break;
    case CmdCube:
      if (inverse) {
        Rational three = CopyRational(RatOne);
        RatAdd(three, RatTwo);
        Root(x, three);
      } else {
        RatPowInt(x, 3);
      }
      break;
    case CmdFactorial:
      Factorial(x);
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
