// The command dispatcher: every CommandId passes through ExecuteCommand, one
// at a time, on the thread that runs the window.
//
// DispatchCommand records the command, refuses it with a beep while the
// keypad is locked (only C, CE and Help pass), ends or starts number entry,
// and runs the command's handler. ExecuteCommand wraps it with the
// long-computation watchdog and turns any failure that escapes into a
// message box. A paste runs its characters as nested ExecuteCommand calls
// inside the paste command.
#pragma once

#include <cstdint>

#include "engine/commands.h"

// The one entry point for commands. Any 32-bit id is accepted.
void ExecuteCommand(CommandId id);

// The dispatcher proper; called only by ExecuteCommand. May throw (out of
// memory while copying values or converting the entry).
void DispatchCommand(CommandId id);

// The engine's first initialisation, for the radix, precision and word size
// in `settings`: every engine field back to its initial value, the entry
// cleared with entry mode on, the constants built, the word masks copied,
// current value, last value and memory zero, the statistics store empty,
// display text "0".
void StartupReset();

// What ResetEngine starts from: the settings a command line gives.
struct EngineStart {
  int32_t layout = 0;  // kLayoutScientific
  int32_t precision = 32;
  int32_t radix = 10;
  int32_t wordBits = 32;
};

// The whole engine back to a program start, in one call, for a test or a
// fuzz input: no abort pending, no allocation failure planned, any
// statistics box closed, the settings and the decimal point of `start`,
// StartupReset, the word-size button of the word size, and the layout
// window's engine half (ApplyLayoutToEngine) in radix 10. The window itself
// (engine/window.h) is the face's to reset.
void ResetEngine(const EngineStart& start);

// The reset of a layout (re)creation: a new entry with entry mode on,
// current and last value zero, the values of both stacks none, display text
// "0". Memory, the pending operator, the stack depths, the modifiers and the
// settings stay.
void ResetEngineState();
