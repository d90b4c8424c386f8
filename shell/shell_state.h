// Process-wide handles of the shell, touched by the user-interface thread
// only.
//
// LayoutWindow is the current layout dialog (none before the first
// ApplyLayout and during a layout switch between destroying the old window
// and creating the new one); StatBoxWindow is the statistics box, none while
// it is closed. ClipboardEdit is the never-shown edit control that Copy cuts
// its text from.
#pragma once

#include <windows.h>

extern HINSTANCE AppInstance;
extern HWND LayoutWindow;
extern HWND ClipboardEdit;
extern HWND StatBoxWindow;
extern HACCEL Accelerators;
