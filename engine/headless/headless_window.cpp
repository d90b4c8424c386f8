#include "engine/headless/headless_window.h"

#include <utility>

#include "arith/alloc.h"
#include "arith/error.h"
#include "arith/settings.h"
#include "engine/clipboard.h"
#include "engine/dispatch.h"
#include "engine/display.h"
#include "engine/layout.h"
#include "engine/radix.h"
#include "engine/state.h"
#include "engine/statistics.h"
#include "engine/window.h"

HeadlessWindow headless;

namespace {

void Record(WindowCall call, int32_t id = 0, int32_t value = 0,
            std::string text = std::string()) {
  if (!headless.recordCalls) return;
  headless.calls.push_back(WindowCallRecord{call, id, value, std::move(text)});
}

void StatOp(const char* name, int32_t value = 0) {
  Record(WindowCall::StatBox, 0, value, name);
}

void PasteClipboard() {
  // Take a copy: a pasted Copy command may replace the clipboard.
  const std::string text = headless.clipboard;
  PasteText(text.data(), text.size(),
            headless.sendCommand ? headless.sendCommand : HeadlessWindowCommand);
}

void SwitchLayout(CommandId id) {
  if (SwitchLayoutState(id)) HeadlessApplyLayout(engineState.layout);
}

}  // namespace

// --- engine/window.h ---

void SetControlText(int32_t id, const std::string& text) {
  Record(WindowCall::SetText, id, 0, text);
  headless.texts[id] = text;
}

void SetKeyCheck(int32_t id, bool checked) {
  Record(WindowCall::SetCheck, id, checked);
  headless.checks[id] = checked;
}

void CheckRadioInRange(int32_t first, int32_t last, int32_t id) {
  Record(WindowCall::CheckRadio, first, id, std::to_string(last));
  for (int32_t i = first; i <= last; ++i) headless.checks[i] = i == id;
}

void EnableControl(int32_t id, bool enable) {
  Record(WindowCall::Enable, id, enable);
  headless.enabled[id] = enable;
}

void FocusLayoutWindow() { Record(WindowCall::Focus); }

void SoundBeep() {
  Record(WindowCall::Beep);
  ++headless.beeps;
}

void ShowMessageBox(const char* text, const char* caption) {
  Record(WindowCall::Message, 0, 0, std::string(caption) + ": " + text);
  headless.messageBoxes.emplace_back(text);
}

void SetWaitCursor(bool on) {
  Record(on ? WindowCall::WaitCursorOn : WindowCall::WaitCursorOff);
  headless.waitCursor = on;
}

void WatchdogArm() {
  Record(WindowCall::WatchdogArm);
  ++headless.arms;
  AbortFlag.store(headless.abortNextCommand);
  headless.abortNextCommand = false;
}

void WatchdogDisarm() {
  Record(WindowCall::WatchdogDisarm);
  ++headless.disarms;
  if (AbortRequested()) ShowError(ErrIndexAborted);
}

void MenuCommand(CommandId id) {
  Record(WindowCall::Menu, static_cast<int32_t>(id));
  switch (id) {
    case CmdCopy:
      headless.clipboard = CopyText();
      break;
    case CmdPaste:
      PasteClipboard();
      break;
    case CmdScientific:
    case CmdStandard:
      SwitchLayout(id);
      break;
    default:  // About and help have nothing to show here.
      break;
  }
}

bool StatBoxCreate() {
  StatOp("create");
  if (headless.statBoxCreateFails) return false;
  headless.statBoxExists = true;
  headless.statBoxShown = false;
  headless.statList.clear();
  headless.statSelection = -1;
  headless.statCount = 0;
  return true;
}

void StatBoxShow() {
  StatOp("show");
  headless.statBoxShown = headless.statBoxExists;
}

void StatBoxDestroy() {
  StatOp("destroy");
  headless.statBoxExists = false;
  headless.statBoxShown = false;
  headless.statList.clear();
  headless.statSelection = -1;
}

bool StatBoxExists() { return headless.statBoxExists; }

void StatBoxFocus() { StatOp("focus"); }

bool StatListAdd(const std::string& text) {
  StatOp("add");
  if (headless.statListRefusals > 0) {
    --headless.statListRefusals;
    return false;
  }
  headless.statList.push_back(text);
  return true;
}

void StatListDelete(int32_t index) {
  StatOp("delete", index);
  if (index >= 0 && static_cast<size_t>(index) < headless.statList.size()) {
    headless.statList.erase(headless.statList.begin() + index);
  }
  if (headless.statSelection >= static_cast<int32_t>(headless.statList.size())) {
    headless.statSelection = -1;
  }
}

void StatListReset() {
  StatOp("reset");
  headless.statList.clear();
  headless.statSelection = -1;
}

void StatListSelect(int32_t index) {
  StatOp("select", index);
  const bool valid =
      index >= 0 && static_cast<size_t>(index) < headless.statList.size();
  headless.statSelection = valid ? index : -1;
}

int32_t StatListSelection() { return headless.statSelection; }

void StatSetCount(uint32_t count) {
  StatOp("count", static_cast<int32_t>(count));
  headless.statCount = count;
}

void StatMemoryMessage() {
  SoundBeep();
  StatOp("memory message");
}

void CompactMemory() {
  StatOp("compact");
  if (headless.compactFreesNothing) AllocFailAfter(0);
}

// --- headless controls ---

void HeadlessResetWindow() {
  const auto send = headless.sendCommand;
  headless = HeadlessWindow{};
  headless.sendCommand = send;
}

void HeadlessApplyLayout(int32_t layout) {
  engineState.layout = layout;
  ApplyLayoutToEngine(10);
}

void HeadlessStart(const EngineStart& start) {
  HeadlessResetWindow();
  ResetEngine(start);
}

void HeadlessWindowCommand(CommandId id) {
  if (IsIndicator(static_cast<int32_t>(id))) return;
  ExecuteCommand(TranslateKey(id));
}

std::string HeadlessText(int32_t id) {
  auto it = headless.texts.find(id);
  return it == headless.texts.end() ? std::string() : it->second;
}

bool HeadlessChecked(int32_t id) {
  auto it = headless.checks.find(id);
  return it != headless.checks.end() && it->second;
}

bool HeadlessEnabled(int32_t id) {
  auto it = headless.enabled.find(id);
  return it == headless.enabled.end() || it->second;
}

size_t HeadlessCallCount(WindowCall call, int32_t id) {
  size_t n = 0;
  for (const WindowCallRecord& r : headless.calls) {
    if (r.call == call && (id < 0 || r.id == id)) ++n;
  }
  return n;
}
