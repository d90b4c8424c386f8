// The command set of the engine.
//
// Every user action reaches the engine as one CommandId: a key click, an
// accelerator, a menu item or one pasted character. Keys use 80 to 148 (a key
// control's identifier is its command), menu items 300 to 305. Any other
// 32-bit value is a valid argument too: the dispatcher records it as the
// current command and otherwise ignores it.
//
// The pending-operator field of the engine holds 0 (none), a binary-operator
// command (86 to 95) or OpShiftRight, the internal code that CmdShiftLeft
// becomes when Inv is set. OpShiftRight is never sent as a command.
//
// The membership tests below are the lists the dispatcher consults; each is a
// plain function of the id so that they are usable for any 32-bit value.
#pragma once

#include <cstdint>

using CommandId = uint32_t;

constexpr CommandId CmdSign = 80;
constexpr CommandId CmdClear = 81;
constexpr CommandId CmdClearEntry = 82;
constexpr CommandId CmdBackspace = 83;
constexpr CommandId CmdStatistics = 84;
constexpr CommandId CmdDecimalPoint = 85;
constexpr CommandId CmdAnd = 86;
constexpr CommandId CmdOr = 87;
constexpr CommandId CmdXor = 88;
constexpr CommandId CmdShiftLeft = 89;
constexpr CommandId CmdDivide = 90;
constexpr CommandId CmdMultiply = 91;
constexpr CommandId CmdAdd = 92;
constexpr CommandId CmdSubtract = 93;
constexpr CommandId CmdMod = 94;
constexpr CommandId CmdPower = 95;
constexpr CommandId CmdInt = 96;
constexpr CommandId CmdNot = 97;
constexpr CommandId CmdSin = 98;
constexpr CommandId CmdCos = 99;
constexpr CommandId CmdTan = 100;
constexpr CommandId CmdLn = 101;
constexpr CommandId CmdLog = 102;
constexpr CommandId CmdSqrt = 103;
constexpr CommandId CmdSquare = 104;
constexpr CommandId CmdCube = 105;
constexpr CommandId CmdFactorial = 106;
constexpr CommandId CmdReciprocal = 107;
constexpr CommandId CmdDms = 108;
constexpr CommandId CmdPercent = 109;
constexpr CommandId CmdFE = 110;
constexpr CommandId CmdPi = 111;
constexpr CommandId CmdEquals = 112;
constexpr CommandId CmdMemoryClear = 113;
constexpr CommandId CmdMemoryRecall = 114;
constexpr CommandId CmdMemoryStore = 115;
constexpr CommandId CmdMemoryAdd = 116;
constexpr CommandId CmdExponent = 117;
constexpr CommandId CmdAverage = 118;
constexpr CommandId CmdSum = 119;
constexpr CommandId CmdStdDev = 120;
constexpr CommandId CmdData = 121;
constexpr CommandId CmdOpenParen = 122;
constexpr CommandId CmdCloseParen = 123;
constexpr CommandId CmdDigit0 = 124;  // CmdDigit0 + v is the digit of value v
constexpr CommandId CmdDigit9 = 133;
constexpr CommandId CmdDigitA = 134;
constexpr CommandId CmdDigitF = 139;
constexpr CommandId CmdBin = 140;
constexpr CommandId CmdOct = 141;
constexpr CommandId CmdDec = 142;
constexpr CommandId CmdHex = 143;
constexpr CommandId CmdInv = 144;
constexpr CommandId CmdHyp = 145;
constexpr CommandId CmdDegDword = 146;
constexpr CommandId CmdRadWord = 147;
constexpr CommandId CmdGradByte = 148;
constexpr CommandId CmdCopy = 300;
constexpr CommandId CmdPaste = 301;
constexpr CommandId CmdAbout = 302;
constexpr CommandId CmdScientific = 303;
constexpr CommandId CmdStandard = 304;
constexpr CommandId CmdHelpTopics = 305;

// Internal pending-operator code of the right shift (Inv with CmdShiftLeft).
constexpr uint32_t OpShiftRight = 7;

// The name of a known command ("CmdSign", ...), or nullptr.
const char* CommandName(CommandId id);

// Command classes.
inline bool IsDigitCommand(CommandId id) { return id >= 124 && id <= 139; }
inline bool IsBinaryOperator(CommandId id) { return id >= 86 && id <= 95; }
inline bool IsUnaryFunction(CommandId id) { return id >= 96 && id <= 109; }
inline bool IsStatisticsCommand(CommandId id) {
  return id >= 118 && id <= 121;
}
inline bool IsRadixCommand(CommandId id) { return id >= 140 && id <= 143; }
inline bool IsMenuCommand(CommandId id) { return id >= 300 && id <= 305; }

// Recorded as the current command (pushing the old one into the previous
// command): every id except 83, 84, 110, 113, 117 and 144 to 148.
bool IsRecordedCommand(CommandId id);

// Accepted while the keypad is locked after an error: 81, 82, 305.
bool PassesErrorLock(CommandId id);

// Ends number entry (the entry is committed first): 86 to 116, 118 to 123,
// 140 to 148 and 301.
bool EndsEntry(CommandId id);

// Starts number entry when none is in progress: the digits and 85.
bool StartsEntry(CommandId id);

// Work in radix 10 only, beeping elsewhere: 85, 98, 99, 100, 108, 111, 117.
bool IsDecimalOnlyCommand(CommandId id);

// Enabled as keys only in radix 10: 98, 99, 100, 108, 110, 111, 117.
bool IsDecimalOnlyKey(CommandId id);

// Clear Inv after they are handled: 96, 98 to 102, 104, 105, 108, 111, 118
// to 121. (89 and 95 consume Inv themselves when it changes their meaning.)
bool ClearsInverse(CommandId id);

// Clear Hyp after they are handled: 98, 99, 100.
bool ClearsHyperbolic(CommandId id);
