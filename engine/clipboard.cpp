#include "engine/clipboard.h"

#include "arith/settings.h"
#include "engine/state.h"
#include "numtext/entry.h"
#include "numtext/settings.h"

namespace {

constexpr std::array<PasteEntry, kPasteCodeCount> MakePasteTable() {
  std::array<PasteEntry, kPasteCodeCount> table{};
  size_t n = 0;
  for (const CommandInfo& c : kCommands) {
    if (c.paste != 0) table[n++] = {c.paste, c.id};
    if (c.paste2 != 0) table[n++] = {c.paste2, c.id};
  }
  return table;
}

// The command of every code 0 to 255.
constexpr std::array<CommandId, 256> MakePasteIndex() {
  std::array<CommandId, 256> index{};
  for (const PasteEntry& e : MakePasteTable()) index[e.code] = e.command;
  return index;
}
constexpr std::array<CommandId, 256> kPasteIndex = MakePasteIndex();

}  // namespace

const std::array<PasteEntry, kPasteCodeCount> PasteTable = MakePasteTable();

CommandId PasteCommandFor(uint32_t code) {
  return code < kPasteIndex.size() ? kPasteIndex[code] : 0;
}

namespace {

constexpr uint32_t kPrefixed = 0x80;

// Upper case as the "C" locale has it: only a to z change.
uint32_t UpperAscii(uint32_t ch) {
  return (ch >= 'a' && ch <= 'z') ? ch - 'a' + 'A' : ch;
}

}  // namespace

void PasteText(const char* text, size_t size, SendCommandFn send,
               CharNextFn next) {
  uint32_t previous = 0;  // the previous significant character
  // A leading "-" is held until the next key: when that key starts a number
  // the sign follows it, so that it negates the pasted number and not the
  // value shown before.
  bool signHeld = false;
  auto sendKey = [&](CommandId id) {
    if (signHeld) {
      signHeld = false;
      if (StartsEntry(id)) {
        send(id);
        if (!engineState.errorLocked) send(CmdSign);
        return;
      }
      send(CmdSign);
      if (engineState.errorLocked) return;
    }
    send(id);
  };

  size_t pos = 0;
  for (;;) {
    if (engineState.errorLocked) break;
    if (pos >= size) break;
    const uint32_t ch = static_cast<unsigned char>(text[pos]);
    pos = next ? next(text, size, pos) : pos + 1;
    if (ch == ' ' || ch == '\n' || ch == '\r') continue;
    if (ch == 0) break;

    const bool decimal = settings.radix == 10;
    if (previous == 0 && ch == '-') {
      previous = '-';
      signHeld = true;
    } else if ((ch == 'x' || ch == 'e') && decimal) {
      previous = 'x';
      sendKey(CmdExponent);
    } else if (previous == 'x' && decimal && ch == '+') {
      // An exponent's plus sign is implied.
    } else if (previous == 'x' && decimal && ch == '-') {
      previous = '-';
      sendKey(CmdSign);  // changes the sign of the exponent being typed
    } else {
      const uint32_t prefix = previous == ':' ? kPrefixed : 0;
      previous = ch;
      if (ch == ':') continue;
      const CommandId command = PasteCommandFor((UpperAscii(ch) + prefix) % 256);
      if (command == 0) break;
      sendKey(command);
    }
  }
  // A sign with no key after it still takes effect.
  if (signHeld && !engineState.errorLocked) send(CmdSign);
}

std::string CopyText() {
  EngineState& s = engineState;
  if (s.entryMode) FormatEntry(s.entry, settings.radix, s.displayText);
  std::string text = s.displayText.substr(0, 255);
  if ((!s.entryMode || s.entry.pointPosition == -1) && !text.empty() &&
      text.back() == DecimalSeparatorChar()) {
    text.pop_back();
  }
  return text;
}
