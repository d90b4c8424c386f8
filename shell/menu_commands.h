// The menu commands 300 to 305 (engine/window.h: MenuCommand), reached from
// the menu, their accelerators and the layout-switch pictures through the
// dispatcher: Copy, Paste, About, the scientific and standard layouts, and
// Help Topics.
//
// Copy never opens the clipboard itself: it cuts the text from the hidden
// ClipboardEdit. Paste holds the clipboard open while it replays the text
// through the engine's paste scan (engine/clipboard.h), each recognised
// character sent to the layout window as an accelerator command, so the key
// flashes and the command runs to completion before the next character is
// read.
#pragma once

#include <windows.h>

#include <cstddef>

#include "engine/commands.h"

// Copy (300): the display text, without the separator whole numbers show,
// onto the clipboard as plain text.
void CopyToClipboard();

// Paste (301): the clipboard's plain text replayed as commands. The message
// of string 75 when the clipboard cannot be opened; nothing without text.
void PasteFromClipboard();

// About (302): the system About box with the application title and icon;
// a beep and the out-of-memory message when it cannot be shown.
void ShowAboutBox();

// 303 (scientific) and 304 (standard): the layout stored in the profile and
// the window re-created at the same place, with the engine reset (memory
// kept) and radix 10; leaving the scientific layout closes the statistics
// box. Choosing the layout shown does nothing.
void SwitchLayout(CommandId id);

// The character after the one at `pos` in a text of `size` bytes: a
// multi-byte character of the current code page is passed over whole, but
// never beyond `size` (the clipboard object may end without a terminator).
size_t PasteCharNext(const char* text, size_t size, size_t pos);
