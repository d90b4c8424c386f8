// Binary operators, precedence and parentheses.
//
// In the scientific layout an operator of higher precedence than the pending
// one pushes the pending operation (operator and left operand) on the
// operator stack; operators of lower or equal precedence, a closing
// parenthesis and "=" evaluate what is stacked. In the standard layout every
// operator evaluates the pending one at once, strictly left to right. "="
// completes all pending operations and, pressed again, repeats the last one
// with the same right operand (`repeatOperand`).
//
// An opening parenthesis saves the pending operation on the parenthesis stack
// and pushes a marker (operator 0) on the operator stack; a closing one
// evaluates down to the marker and restores the saved operation. Both stacks
// hold 25 entries.
#pragma once

#include <array>
#include <cstdint>

#include "arith/rational.h"
#include "engine/commands.h"

struct PrecedenceRow {
  uint8_t op;
  uint8_t precedence;
};

// Searched from the first row; an operator code not found takes the first
// row's precedence.
constexpr std::array<PrecedenceRow, 12> kPrecedence = {{
    {0, 0},
    {CmdOr, 0},
    {CmdXor, 0},
    {CmdAnd, 1},
    {CmdAdd, 2},
    {CmdSubtract, 2},
    {OpShiftRight, 3},
    {CmdShiftLeft, 3},
    {CmdMod, 3},
    {CmdDivide, 3},
    {CmdMultiply, 3},
    {CmdPower, 4},
}};

int32_t OperatorPrecedence(uint32_t op);

// current <- last op current (current op last for the symmetric operators).
// For the operators whose left operand is `last` (shifts, divide, mod,
// power), current first becomes a copy of last, so a failed operation leaves
// current equal to last. CmdPower with Inv set takes the current-th root of
// last and clears Inv. An unknown op (0 included) leaves current unchanged.
// Catches every arithmetic error and shows it with ShowError, which locks the
// keypad. An operation stopped by AbortFlag leaves current as it was.
void ApplyBinary(uint32_t op, Rational& current, const Rational& last);

// Command handlers, called by the dispatcher after the entry boundary.
void HandleBinaryOperator(CommandId op);  // 86 to 95
void HandleEquals();                      // 112
void HandleOpenParen();                   // 122
void HandleCloseParen();                  // 123
