// The two layouts as far as the engine is concerned.
//
// Every face (the Win32 shell, the headless window of the tests and quibc)
// creates, switches and feeds its layout window through these functions; the
// face itself only builds windows, menus and the profile.
#pragma once

#include <cstdint>

#include "engine/commands.h"

// The reset that every layout (re)creation and a change of the regional
// settings starts with: ResetEngineState, entry mode off.
void ResetLayoutState();

// The engine half of creating the layout window for `engineState.layout`,
// called once the window exists: ResetLayoutState; in the scientific layout
// the statistics keys enabled exactly while the box is open (it may have
// been opened in the standard layout by its accelerator); every key's
// enabled state and the display recomputed, `radix` selected (10 unless the
// command line asked for another) and the memory indicator set.
void ApplyLayoutToEngine(int32_t radix);

// The engine half of the layout commands CmdScientific and CmdStandard:
// false when that layout is already shown (nothing changes); otherwise
// closes the statistics box when leaving the scientific layout, makes the
// target layout the engine's and returns true. The face then replaces its
// window and calls ApplyLayoutToEngine.
bool SwitchLayoutState(CommandId id);

// The command a key or accelerator stands for in the current layout: the
// standard layout has percent where the scientific one has Mod.
CommandId TranslateKey(CommandId id);
