// The engine's view of the window: a small set of free functions.
//
// The engine never touches a window itself. Everything it shows or asks of
// the user interface goes through the functions below, which a front end
// implements: the Win32 shell with real controls, and the headless
// implementation (engine/headless/) that records every call for the tests and
// for the quibc console. Only the engine calls them, and only on the thread
// that runs the commands.
//
// Controls are named by their identifiers: the keys carry their CommandId;
// 401 to 403 are the indicators and the display of the layout window; 407 and
// 408 belong to the statistics box.
#pragma once

#include <cstdint>
#include <string>

#include "engine/commands.h"

constexpr int32_t IdMemoryIndicator = 401;  // " M" while memory is non-zero
constexpr int32_t IdParenIndicator = 402;   // "(=" and the open count
constexpr int32_t IdDisplay = 403;          // the display text
constexpr int32_t IdStatList = 407;
constexpr int32_t IdStatCount = 408;

// The indicators and the display: controls that are no keys, whose
// notifications the layout window drops.
inline bool IsIndicator(int32_t id) {
  return id == IdMemoryIndicator || id == IdParenIndicator || id == IdDisplay;
}

// Layout window controls.
void SetControlText(int32_t id, const std::string& text);
// Check boxes 144 (Inv) and 145 (Hyp).
void SetKeyCheck(int32_t id, bool checked);
// Checks `id` among the radio buttons first..last and unchecks the others; an
// id outside the range unchecks all of them.
void CheckRadioInRange(int32_t first, int32_t last, int32_t id);
void EnableControl(int32_t id, bool enable);
// Gives the keyboard focus to the layout window.
void FocusLayoutWindow();

// The platform's default beep, the sound of a refused command.
void SoundBeep();
// A modal message box with an OK button owned by the layout window.
void ShowMessageBox(const char* text, const char* caption);

// Hourglass around long work. On and off do not nest: "off" after two "on"s
// restores the cursor.
void SetWaitCursor(bool on);
// Long-computation watchdog around every command but About. Arm clears the
// AbortFlag and starts timing; disarm ends the timing and, when the user
// asked to abort during the command, shows the error of index 5.
void WatchdogArm();
void WatchdogDisarm();

// The menu commands 300 to 305 (copy, paste, about, the two layouts, help).
// Called by the dispatcher only; the engine refreshes the display after it.
void MenuCommand(CommandId id);

// The statistics box: a separate window with a list of the stored numbers as
// text (control 407, unsorted, positions are store positions) and the count
// (control 408).
bool StatBoxCreate();  // false when the window cannot be created
void StatBoxShow();
void StatBoxDestroy();
bool StatBoxExists();
void StatBoxFocus();
// Appends an item; false when the list refuses it (out of memory).
bool StatListAdd(const std::string& text);
void StatListDelete(int32_t index);
void StatListReset();
void StatListSelect(int32_t index);
// The selected position, or -1.
int32_t StatListSelection();
void StatSetCount(uint32_t count);
// The box's out-of-memory message (a beep and a message box owned by the box).
void StatMemoryMessage();
// Asks the platform to compact its memory before a retried allocation.
void CompactMemory();
