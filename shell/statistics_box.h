// The statistics box window (dialog template 103): a modeless top-level
// dialog without owner whose list shows the stored numbers as text. The
// engine keeps the numbers (engine/statistics.h) and drives the window
// through the StatBox and StatList calls of engine/window.h; this dialog
// procedure turns the box's own buttons into engine calls.
#pragma once

#include <windows.h>

#include <cstdint>

INT_PTR CALLBACK StatisticsBoxProc(HWND dialog, UINT message, WPARAM wParam,
                                   LPARAM lParam);

// The "What's this?" topic of a control of the box (401 to 405), 0 for
// anything else.
uint32_t StatBoxHelpContextId(int32_t controlId);
