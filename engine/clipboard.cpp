#include "engine/clipboard.h"

#include "arith/settings.h"
#include "engine/state.h"
#include "numtext/entry.h"
#include "numtext/settings.h"

const std::array<PasteEntry, 67> PasteTable = {{
    {'0', 124}, {'1', 125}, {'2', 126}, {'3', 127}, {'4', 128},
    {'5', 129}, {'6', 130}, {'7', 131}, {'8', 132}, {'9', 133},
    {'A', 134}, {'B', 135}, {'C', 136}, {'D', 137}, {'E', 138},
    {'F', 139},
    {'!', CmdFactorial},    {'S', CmdSin},        {'O', CmdCos},
    {'T', CmdTan},          {'R', CmdReciprocal}, {'Y', CmdPower},
    {'#', CmdCube},         {'@', CmdSquare},     {'M', CmdDegDword},
    {'N', CmdLn},           {'L', CmdLog},        {'V', CmdFE},
    {'X', CmdExponent},     {'I', CmdInv},        {'H', CmdHyp},
    {'P', CmdPi},
    {'/', CmdDivide},       {'*', CmdMultiply},   {'%', CmdMod},
    {'-', CmdSubtract},     {'=', CmdEquals},     {'+', CmdAdd},
    {'&', CmdAnd},          {'|', CmdOr},         {'^', CmdXor},
    {'~', CmdNot},          {';', CmdInt},        {'<', CmdShiftLeft},
    {'.', CmdDecimalPoint}, {',', CmdDecimalPoint},
    {'(', CmdOpenParen},    {')', CmdCloseParen}, {'\\', CmdData},
    {'Q', CmdClear},
    {0xD1, CmdClear},       {0xD3, CmdStatistics}, {0xCD, CmdMemoryStore},
    {0xD0, CmdMemoryAdd},   {0xC3, CmdMemoryClear}, {0xD2, CmdMemoryRecall},
    {0xC1, CmdAverage},     {0xD4, CmdSum},       {0xC4, CmdStdDev},
    {0xB2, CmdDegDword},    {0xB3, CmdRadWord},   {0xB4, CmdGradByte},
    {0xB5, CmdHex},         {0xB6, CmdDec},       {0xB7, CmdOct},
    {0xB8, CmdBin},         {0xB9, CmdSign},
}};

CommandId PasteCommandFor(uint32_t code) {
  for (const PasteEntry& e : PasteTable) {
    if (e.code == code) return e.command;
  }
  return 0;
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
