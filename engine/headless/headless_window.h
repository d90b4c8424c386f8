// A window without a screen: the implementation of engine/window.h used by
// the tests and by the quibc console.
//
// It holds what a real layout window would show (control texts, check and
// enabled states, the clipboard, the statistics list) and records every call
// the engine makes, so tests can check both the end state and the calls
// themselves (for example that two identical refreshes set the display text
// once). Menu commands behave as in the program: Copy puts CopyText on the
// clipboard, Paste replays the clipboard, the layout commands reset the
// engine and select radix 10.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/commands.h"
#include "engine/dispatch.h"

enum class WindowCall {
  SetText,       // id, text
  SetCheck,      // id, flag
  CheckRadio,    // id = first, value = checked id (last in text)
  Enable,        // id, flag
  Focus,
  Beep,
  Message,       // text (message box)
  WaitCursorOn,
  WaitCursorOff,
  WatchdogArm,
  WatchdogDisarm,
  Menu,          // id
  StatBox,       // text names the operation
};

struct WindowCallRecord {
  WindowCall call;
  int32_t id = 0;
  int32_t value = 0;
  std::string text;
};

struct HeadlessWindow {
  std::map<int32_t, std::string> texts;
  std::map<int32_t, bool> checks;
  std::map<int32_t, bool> enabled;  // controls not listed are enabled
  std::vector<WindowCallRecord> calls;
  bool recordCalls = true;
  uint64_t beeps = 0;
  uint64_t arms = 0;
  uint64_t disarms = 0;
  std::vector<std::string> messageBoxes;
  bool waitCursor = false;
  std::string clipboard;
  // Simulates the user choosing to abort in the watchdog's prompt during the
  // next command: WatchdogArm sets the AbortFlag instead of clearing it.
  bool abortNextCommand = false;
  // How pasted characters reach the engine; the window procedure by default.
  void (*sendCommand)(CommandId id) = nullptr;
  // The statistics box.
  bool statBoxExists = false;
  bool statBoxShown = false;
  std::vector<std::string> statList;
  int32_t statSelection = -1;
  uint32_t statCount = 0;
  // Failures on demand: the box window cannot be created; the next n
  // StatListAdd calls refuse; CompactMemory frees nothing, so the
  // allocation retried after it fails as well.
  bool statBoxCreateFails = false;
  int32_t statListRefusals = 0;
  bool compactFreesNothing = false;
};

extern HeadlessWindow headless;

// Back to a window with no recorded calls and default states.
void HeadlessResetWindow();

// Creates the layout window for `layout` (0 scientific, 1 standard) as the
// program does: the layout made the engine's, then ApplyLayoutToEngine in
// radix 10.
void HeadlessApplyLayout(int32_t layout);

// A fresh window (HeadlessResetWindow) and a fresh engine behind it
// (ResetEngine): the start of a test or of a fuzz input.
void HeadlessStart(const EngineStart& start);

// What the window procedure does with a key or accelerator command: drops
// the indicators and the display, translates the key for the layout
// (TranslateKey) and executes the command.
void HeadlessWindowCommand(CommandId id);

// State queries.
std::string HeadlessText(int32_t id);
bool HeadlessChecked(int32_t id);
bool HeadlessEnabled(int32_t id);
// How many recorded calls match `call` (and `id` when given).
size_t HeadlessCallCount(WindowCall call, int32_t id = -1);
