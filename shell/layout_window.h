// The layout window: the class window procedure of both layout dialogs.
//
// Both templates (101 scientific, 102 standard) are dialogs of the class
// "SciQuib" without a dialog procedure, so LayoutWndProc receives every
// message and falls back to the default window procedure. Keys are
// owner-drawn push buttons whose control identifier is their command; the
// KeyTable gives each key (the commands with a key colour in
// engine/commands.def) its caption colour and its context-help topic.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

#include "engine/commands.h"

// The owner-drawn keys: every row of the command table with a key colour,
// which are consecutive ids.
constexpr int32_t kFirstKey = [] {
  for (const CommandInfo& c : kCommands) {
    if (c.colour != KeyColour::NoKey) return static_cast<int32_t>(c.id);
  }
  return 0;
}();
constexpr int32_t kLastKey = [] {
  int32_t last = 0;
  for (const CommandInfo& c : kCommands) {
    if (c.colour != KeyColour::NoKey) last = static_cast<int32_t>(c.id);
  }
  return last;
}();
constexpr int32_t kKeyCount = kLastKey - kFirstKey + 1;
static_assert([] {
  for (int32_t id = kFirstKey; id <= kLastKey; ++id) {
    if (!IsColouredKey(static_cast<CommandId>(id))) return false;
  }
  return true;
}());

constexpr uint32_t kColorBlue = 0x00FF0000;     // 0x00BBGGRR
constexpr uint32_t kColorRed = 0x000000FF;
constexpr uint32_t kColorMagenta = 0x00FF00FF;

struct KeyTableEntry {
  uint32_t textColor;
  uint32_t helpContextId;
};

// Index: key command - kFirstKey.
extern const std::array<KeyTableEntry, kKeyCount> KeyTable;

// True exactly for the owner-drawn keys.
bool IsKey(int32_t controlId);

// Caption colour of a key: the KeyTable colour, but blue for 1/x (107) in the
// standard layout.
uint32_t KeyTextColor(int32_t key);

// "What's this?" topic (shell/help/topics.txt) of a control of the layout
// window: the command table's topic for a command (the word-size topic of
// the buttons 146 to 148 outside radix 10), 130 and 131 for the indicators,
// 9 for the display, anything else 0.
uint32_t HelpContextId(int32_t controlId);

// Where a context menu asked for from the keyboard (Shift+F10, the menu
// key) opens: the middle of the control, in screen coordinates.
POINT ContextMenuPoint(HWND control);

// Shows the "What's this?" pop-up menu (menu 107) at a screen position and
// returns true when the user chose its item.
bool ShowWhatsThisMenu(HWND owner, HINSTANCE instance, POINT screenPos);

LRESULT CALLBACK LayoutWndProc(HWND hwnd, UINT message, WPARAM wParam,
                               LPARAM lParam);
