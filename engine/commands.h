// The command set of the engine.
//
// Every user action reaches the engine as one CommandId: a key click, an
// accelerator, a menu item or one pasted character. Any other 32-bit value
// is a valid argument too: the dispatcher records it as the current command
// and otherwise ignores it.
//
// Everything known about a command is one row of engine/commands.def: its
// id, name, class, the flags the dispatcher tests, its paste characters, its
// key colour and its help topics. The constants, the predicates below, the
// paste table, the shell's key table and the resource checks are all read
// from there; no other file lists commands by number.
//
// The pending-operator field of the engine holds 0 (none), a binary-operator
// command or OpShiftRight, the internal code that CmdShiftLeft becomes when
// Inv is set. OpShiftRight is never sent as a command.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

using CommandId = uint32_t;

enum class CommandClass : uint8_t {
  Other,
  Digit,
  Binary,
  Unary,
  Statistics,
  Radix,
  Modifier,
  UnitOrWord,
  Menu,
};

// The caption colour of an owner-drawn key; NoKey for every other control.
enum class KeyColour : uint8_t { NoKey, Blue, Red, Magenta };

// The dispatcher's flags of a command.
namespace command_flags {
constexpr uint32_t NotRecorded = 1u << 0;
constexpr uint32_t PassesLock = 1u << 1;
constexpr uint32_t EndsEntry = 1u << 2;
constexpr uint32_t StartsEntry = 1u << 3;
constexpr uint32_t DecimalOnly = 1u << 4;
constexpr uint32_t DecimalKey = 1u << 5;
constexpr uint32_t ClearsInv = 1u << 6;
constexpr uint32_t ClearsHyp = 1u << 7;
}  // namespace command_flags

// A paste code: the character, + 0x80 for the upper-cased character typed
// after ":".
constexpr uint32_t Prefixed(char c) { return static_cast<unsigned char>(c) + 0x80u; }

struct CommandInfo {
  CommandId id;
  const char* name;
  CommandClass cls;
  uint32_t flags;
  uint32_t paste;   // paste codes, 0 for none
  uint32_t paste2;
  KeyColour colour;
  uint32_t help;    // context-help topic, 0 for none
  uint32_t help2;   // the topic outside radix 10 when it differs, else 0
};

#define QUIB_COMMAND(name, id, cls, flags, paste, paste2, colour, help, help2) \
  constexpr CommandId Cmd##name = id;
#include "engine/commands.def"

// Every row of the table, in id order.
inline constexpr CommandInfo kCommands[] = {
#define QUIB_COMMAND(name, id, cls, flags, paste, paste2, colour, help, help2) \
  {id, "Cmd" #name, CommandClass::cls, [] {                                   \
     using namespace command_flags;                                           \
     return static_cast<uint32_t>(flags);                                     \
   }(),                                                                       \
   paste, paste2, KeyColour::colour, help, help2},
#include "engine/commands.def"
};

constexpr size_t kCommandCount = sizeof kCommands / sizeof kCommands[0];

// CmdDigit0 + v is the digit of value v.
static_assert(CmdDigit9 - CmdDigit0 == 9 && CmdDigitA == CmdDigit9 + 1 &&
              CmdDigitF - CmdDigit0 == 15);

// Internal pending-operator code of the right shift (Inv with CmdShiftLeft).
constexpr uint32_t OpShiftRight = 7;

namespace command_table {

// One more than the largest id of the table.
constexpr CommandId EndId() { return kCommands[kCommandCount - 1].id + 1; }

// Row index of each id below EndId(), kCommandCount for none.
constexpr std::array<uint8_t, EndId()> MakeIndex() {
  std::array<uint8_t, EndId()> index{};
  for (uint8_t& i : index) i = static_cast<uint8_t>(kCommandCount);
  for (size_t i = 0; i < kCommandCount; ++i) {
    index[kCommands[i].id] = static_cast<uint8_t>(i);
  }
  return index;
}
inline constexpr std::array<uint8_t, EndId()> kIndex = MakeIndex();

static_assert(kCommandCount < 255, "row indexes are bytes");
constexpr bool Sorted() {
  for (size_t i = 1; i < kCommandCount; ++i) {
    if (kCommands[i - 1].id >= kCommands[i].id) return false;
  }
  return true;
}
static_assert(Sorted(), "the command table is in id order, each id once");

}  // namespace command_table

// The row index of a command, kCommandCount for an id the table does not
// know. (Constant expressions use indexes, not pointers: the undefined
// behaviour sanitizer makes pointer tests non-constant.)
constexpr size_t CommandIndex(CommandId id) {
  return id < command_table::EndId() ? command_table::kIndex[id] : kCommandCount;
}

// The row of a command, or nullptr for an id the table does not know.
inline const CommandInfo* FindCommand(CommandId id) {
  const size_t i = CommandIndex(id);
  return i < kCommandCount ? &kCommands[i] : nullptr;
}

// The name of a known command ("CmdSign", ...), or nullptr.
const char* CommandName(CommandId id);

constexpr bool HasClass(CommandId id, CommandClass cls) {
  const size_t i = CommandIndex(id);
  return i < kCommandCount && kCommands[i].cls == cls;
}
constexpr bool HasFlag(CommandId id, uint32_t flag) {
  const size_t i = CommandIndex(id);
  return i < kCommandCount && (kCommands[i].flags & flag) != 0;
}

// Command classes.
constexpr bool IsDigitCommand(CommandId id) { return HasClass(id, CommandClass::Digit); }
constexpr bool IsBinaryOperator(CommandId id) { return HasClass(id, CommandClass::Binary); }
constexpr bool IsUnaryFunction(CommandId id) { return HasClass(id, CommandClass::Unary); }
constexpr bool IsStatisticsCommand(CommandId id) {
  return HasClass(id, CommandClass::Statistics);
}
constexpr bool IsRadixCommand(CommandId id) { return HasClass(id, CommandClass::Radix); }
constexpr bool IsMenuCommand(CommandId id) { return HasClass(id, CommandClass::Menu); }
// The radix buttons, Inv, Hyp and the angle-unit or word-size buttons: the
// controls an error disables in the scientific layout.
constexpr bool IsModeKey(CommandId id) {
  return IsRadixCommand(id) || HasClass(id, CommandClass::Modifier) ||
         HasClass(id, CommandClass::UnitOrWord);
}

// Recorded as the current command (pushing the old one into the previous
// command): every id but those flagged NotRecorded, unknown ids included.
constexpr bool IsRecordedCommand(CommandId id) {
  return !HasFlag(id, command_flags::NotRecorded);
}

// Accepted while the keypad is locked after an error: C, CE and Help.
constexpr bool PassesErrorLock(CommandId id) {
  return HasFlag(id, command_flags::PassesLock);
}

// Ends number entry (the entry is committed first).
constexpr bool EndsEntry(CommandId id) { return HasFlag(id, command_flags::EndsEntry); }

// Starts number entry when none is in progress: the digits and the point.
constexpr bool StartsEntry(CommandId id) {
  return HasFlag(id, command_flags::StartsEntry);
}

// Work in radix 10 only, beeping elsewhere.
constexpr bool IsDecimalOnlyCommand(CommandId id) {
  return HasFlag(id, command_flags::DecimalOnly);
}

// Enabled as keys only in radix 10.
constexpr bool IsDecimalOnlyKey(CommandId id) {
  return HasFlag(id, command_flags::DecimalKey);
}

// Clear Inv after they are handled. (CmdShiftLeft and CmdPower consume Inv
// themselves when it changes their meaning.)
constexpr bool ClearsInverse(CommandId id) { return HasFlag(id, command_flags::ClearsInv); }

// Clear Hyp after they are handled.
constexpr bool ClearsHyperbolic(CommandId id) {
  return HasFlag(id, command_flags::ClearsHyp);
}

// The owner-drawn keys of the layout window: the rows with a key colour.
constexpr bool IsColouredKey(CommandId id) {
  const size_t i = CommandIndex(id);
  return i < kCommandCount && kCommands[i].colour != KeyColour::NoKey;
}
