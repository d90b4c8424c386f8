// Start-up, the layout window's (re)creation and the message loop.
//
// RunProgram is the whole life of the program: the command line, the window
// class, the KeyNameTable, the hidden ClipboardEdit, the engine's first
// initialisation, the layout from the profile, the layout window, the
// accelerators and the message loop. ApplyLayout is also called by the
// layout switch and, without recreating the window, by a settings change.
#pragma once

#include <windows.h>

#include <cstdint>

// Registers the class "SciQuib" of both layout dialogs. Returns success.
bool RegisterLayoutClass(HINSTANCE instance);

// The layout stored in the profile (section "SciQuib", key "layout"): 0
// scientific, 1 standard; a missing or unknown value gives 1.
int32_t ReadLayoutSetting();

// Resets the engine (memory kept), re-reads the decimal separator and, when
// recreate is set, replaces the layout window by a new one for `engineState.layout` at
// the same top-left corner, with radix 10 selected and the display rendered.
// Without recreate a changed separator only repaints the keys. Throws
// ErrOutOfMemory from the engine.
void ApplyLayout(bool recreate);

// The program: start-up, message loop, exit code (0).
int RunProgram(HINSTANCE instance);
