// Copy and paste as far as the engine is concerned: the text Copy puts on
// the clipboard, and the scan that replays pasted text as commands.
//
// Paste sends one command per recognised character, in order, each running
// to completion before the next character is read. Characters typed after a
// ":" select the second set of commands (memory, statistics, radix, word
// size). A leading "-" sends the sign key after the first key of the number
// it precedes, so "-5" pastes as minus five. In radix 10 "e" and "x" start
// the exponent, whose "+" is skipped and whose "-" sends the sign key. The
// scan ends at the end of the text, at a zero byte, at an unrecognised
// character, or as soon as a command has locked the keypad with an error.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/commands.h"

struct PasteEntry {
  uint32_t code;  // character; + 0x80 for the upper-cased character after ":"
  CommandId command;
};

// The paste codes of the command table, in table order.
constexpr size_t CountPasteCodes() {
  size_t n = 0;
  for (const CommandInfo& c : kCommands) n += (c.paste != 0) + (c.paste2 != 0);
  return n;
}
constexpr size_t kPasteCodeCount = CountPasteCodes();
extern const std::array<PasteEntry, kPasteCodeCount> PasteTable;

// The command of a table code, or 0 when the table has none.
CommandId PasteCommandFor(uint32_t code);

// Sends one command the way a key press would (through the window).
using SendCommandFn = void (*)(CommandId id);
// Position of the character after the one at `pos` (multi-byte characters
// are passed over whole); by default one byte.
using CharNextFn = size_t (*)(const char* text, size_t size, size_t pos);

// Replays `size` bytes of `text` as commands through `send`.
void PasteText(const char* text, size_t size, SendCommandFn send,
               CharNextFn next = nullptr);

// What Copy puts on the clipboard: the display text (rebuilt from the entry
// while a number is being typed), at most 255 characters, without the
// trailing decimal separator that whole numbers show. A separator the user
// typed stays.
std::string CopyText();
