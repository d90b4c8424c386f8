// The layout window: the class window procedure of both layout dialogs.
//
// Both templates (101 scientific, 102 standard) are dialogs of the class
// "SciQuib" without a dialog procedure, so LayoutWndProc receives every
// message and falls back to the default window procedure. Keys are
// owner-drawn push buttons whose control identifier is their command; the
// KeyTable gives each key (80 to 139) its caption colour and its context-help
// topic.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

constexpr int32_t kFirstKey = 80;
constexpr int32_t kLastKey = 139;
constexpr int32_t kKeyCount = kLastKey - kFirstKey + 1;

constexpr uint32_t kColorBlue = 0x00FF0000;     // 0x00BBGGRR
constexpr uint32_t kColorRed = 0x000000FF;
constexpr uint32_t kColorMagenta = 0x00FF00FF;

struct KeyTableEntry {
  uint32_t textColor;
  uint32_t helpContextId;
};

// Index: key command - 80.
extern const std::array<KeyTableEntry, kKeyCount> KeyTable;

// True exactly for the key commands 80 to 139.
bool IsKey(int32_t controlId);

// Caption colour of a key: the KeyTable colour, but blue for 1/x (107) in the
// standard layout.
uint32_t KeyTextColor(int32_t key);

// "What's this?" topic (shell/help/topics.txt) of a control of the layout
// window: keys by the KeyTable, 140 to 145 as id - 19, 146 to 148 as id - 19 in radix 10
// (angle units) and id - 125 otherwise (word sizes), 401 -> 130, 402 -> 131,
// 403 -> 9, anything else 0.
uint32_t HelpContextId(int32_t controlId);

// Where a context menu asked for from the keyboard (Shift+F10, the menu
// key) opens: the middle of the control, in screen coordinates.
POINT ContextMenuPoint(HWND control);

// Shows the "What's this?" pop-up menu (menu 107) at a screen position and
// returns true when the user chose its item.
bool ShowWhatsThisMenu(HWND owner, HINSTANCE instance, POINT screenPos);

LRESULT CALLBACK LayoutWndProc(HWND hwnd, UINT message, WPARAM wParam,
                               LPARAM lParam);
