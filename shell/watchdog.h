// The long-computation watchdog and the wait cursor (the engine's side of
// both is in engine/window.h: WatchdogArm, WatchdogDisarm, SetWaitCursor).
//
// Every command runs to completion on the user-interface thread, so a long
// one freezes the window. A second thread times each command: the
// user-interface thread starts a timing period by setting the start event
// (WatchdogArm) and ends it by setting the done event (WatchdogDisarm). When
// a period outlasts its timeout the thread beeps and shows prompt 104 beside
// the layout window; "Stop" (or Escape, or the close box) sets AbortFlag,
// which the long loops of the arithmetic poll, and the disarm that ends the
// command shows the message of index 5 with the keypad locked. "Continue"
// waits again with the timeout doubled, up to the longest period; the time
// the prompt was open does not count. A command that ends while the prompt
// is open closes it with the continue answer and reports nothing.
//
// Arm and disarm nest: a paste runs each pasted key as a command of its own
// inside the paste command. Only the outermost pair times, so the paste as a
// whole can be stopped; an inner arm leaves AbortFlag alone, and an inner
// disarm that finds it set reports the abort, which locks the keypad and so
// ends the paste.
//
// The events and the thread are created by the first arm or disarm and live
// until WatchdogShutdown. Shared between the threads are std::atomic flags
// and handles only; the hand-over is ordered by the events (arm clears
// AbortFlag and resets the done event before it sets the start event;
// disarm sets the done event before it looks at the prompt and AbortFlag).
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

// Timeouts in milliseconds: the first prompt comes after `first`, each
// "Continue" doubles the wait up to `longest`, and WatchdogShutdown waits at
// most `longest` for the thread. The program keeps 10, 20 and 40 seconds;
// only the shell's own tests shorten them, before the first command.
struct WatchdogPeriods {
  std::atomic<uint32_t> first{10000};
  std::atomic<uint32_t> longest{40000};
};
extern WatchdogPeriods watchdogPeriods;

// Ends the watchdog at program exit (user-interface thread): tells the
// thread to stop, answers a prompt that is still open, waits at most the
// longest period for the thread, and closes the events and the thread
// handle. Does nothing when no command has run. A later arm starts a new
// watchdog.
void WatchdogShutdown();

// Watchdog thread only: runs prompt 104 modally without an owner and returns
// the identifier it ended with (4 continue, 2 stop), or -1 when the dialog
// cannot be created.
INT_PTR ShowPrompt();

// The prompt's dialog procedure: on initialisation it records itself as the
// open prompt and moves (without resizing or activating) so that its
// top-left corner is 15 pixels right of the layout window's left edge and 40
// pixels below the display's bottom edge; any command ends it with the
// command's identifier.
INT_PTR CALLBACK PromptDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                  LPARAM lParam);

// The prompt while it is open, otherwise nullptr.
HWND WatchdogPromptWindow();
