// Shared set-up of the engine tests: a fresh engine behind the headless
// window, and short ways to press keys and read the display.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "arith/settings.h"
#include "engine/clipboard.h"
#include "engine/commands.h"
#include "engine/dispatch.h"
#include "engine/headless/headless_window.h"
#include "engine/state.h"
#include "engine/window.h"
#include "numtext/settings.h"

// A new engine as the program starts it (ResetEngine) behind a new window,
// the layout window created in radix 10. Recorded calls and beeps are
// cleared afterwards.
inline void StartEngine(int32_t layout = kLayoutScientific,
                        int32_t precision = 32, int32_t wordBits = 32) {
  HeadlessStart(EngineStart{layout, precision, 10, wordBits});
  headless.sendCommand = nullptr;
  headless.calls.clear();
  headless.beeps = 0;
}

inline void Press(std::initializer_list<CommandId> ids) {
  for (CommandId id : ids) ExecuteCommand(id);
}

// Replays text as the window's paste does, each character through the
// window procedure.
inline void Type(const std::string& text) {
  PasteText(text.data(), text.size(), HeadlessWindowCommand);
}

inline std::string Display() { return HeadlessText(IdDisplay); }

// The display text as Copy gives it (no trailing separator on integers).
inline std::string Shown() { return CopyText(); }

// Expands "12+3=" into the command ids the paste would send.
inline std::vector<CommandId> PastedIds(const std::string& text) {
  static std::vector<CommandId>* sink = nullptr;
  std::vector<CommandId> ids;
  sink = &ids;
  PasteText(text.data(), text.size(), [](CommandId id) { sink->push_back(id); });
  sink = nullptr;
  return ids;
}
