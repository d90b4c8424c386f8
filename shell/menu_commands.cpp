#include "shell/menu_commands.h"

#include <string>

#include "engine/clipboard.h"
#include "engine/layout.h"
#include "engine/state.h"
#include "engine/statistics.h"
#include "engine/window.h"
#include "resource.h"
#include "shell/html_help.h"
#include "shell/key_names.h"
#include "shell/shell_state.h"
#include "shell/startup.h"

namespace {

// The clipboard, open for the life of the object.
class ClipboardLock {
 public:
  explicit ClipboardLock(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  ~ClipboardLock() {
    if (open_) CloseClipboard();
  }
  ClipboardLock(const ClipboardLock&) = delete;
  ClipboardLock& operator=(const ClipboardLock&) = delete;
  bool open() const { return open_; }

 private:
  bool open_;
};

// A movable global memory block, locked for the life of the object.
class GlobalLockGuard {
 public:
  explicit GlobalLockGuard(HANDLE memory)
      : memory_(memory),
        data_(memory != nullptr ? static_cast<const char*>(GlobalLock(memory))
                                : nullptr) {}
  ~GlobalLockGuard() {
    if (data_ != nullptr) GlobalUnlock(memory_);
  }
  GlobalLockGuard(const GlobalLockGuard&) = delete;
  GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
  const char* data() const { return data_; }
  size_t size() const { return data_ != nullptr ? GlobalSize(memory_) : 0; }

 private:
  HANDLE memory_;
  const char* data_;
};

// A pasted character reaches the window as an accelerator would: the key
// flashes, then the command runs (nested in the paste command).
void SendPastedCommand(CommandId id) {
  if (LayoutWindow == nullptr) return;
  SendMessageA(LayoutWindow, WM_COMMAND, MAKEWPARAM(id, 1), 0);
}

size_t NextPastedChar(const char* text, size_t size, size_t pos) {
  return PasteCharNext(text, size, pos);
}

}  // namespace

size_t PasteCharNext(const char* text, size_t size, size_t pos) {
  // CharNextA looks at the byte after a lead byte: only call it when that
  // byte is inside the text.
  if (pos + 1 >= size) return pos + 1;
  const char* next = CharNextA(text + pos);
  const size_t advanced = static_cast<size_t>(next - text);
  return advanced > pos ? (advanced < size ? advanced : size) : pos + 1;
}

void CopyToClipboard() {
  if (ClipboardEdit == nullptr) return;
  const std::string text = CopyText();
  SetWindowTextA(ClipboardEdit, text.c_str());
  SendMessageA(ClipboardEdit, EM_SETSEL, 0, -1);
  SendMessageA(ClipboardEdit, WM_CUT, 0, 0);
}

void PasteFromClipboard() {
  const ClipboardLock clipboard(LayoutWindow);
  if (!clipboard.open()) {
    MessageBoxA(LayoutWindow, KeyName(IDS_NO_CLIPBOARD), KeyName(IDS_APP_TITLE),
                MB_ICONEXCLAMATION);
    return;
  }
  const GlobalLockGuard text(GetClipboardData(CF_TEXT));
  if (text.data() == nullptr) return;
  PasteText(text.data(), text.size(), SendPastedCommand, NextPastedChar);
}

void ShowAboutBox() {
  HICON icon = LoadIconA(AppInstance, IDI_APP);
  if (ShellAboutA(LayoutWindow, KeyName(IDS_APP_TITLE), nullptr, icon) == -1) {
    MessageBeep(MB_OK);
    MessageBoxA(LayoutWindow, KeyName(IDS_NO_MEMORY), nullptr, MB_ICONERROR);
  }
}

void SwitchLayout(CommandId id) {
  if (!SwitchLayoutState(id)) return;
  const char value[2] = {static_cast<char>('0' + engineState.layout), '\0'};
  WriteProfileStringA("SciQuib", "layout", value);
  ApplyLayout(true);
}

void MenuCommand(CommandId id) {
  switch (id) {
    case CmdCopy:
      CopyToClipboard();
      break;
    case CmdPaste:
      PasteFromClipboard();
      break;
    case CmdAbout:
      ShowAboutBox();
      break;
    case CmdScientific:
    case CmdStandard:
      SwitchLayout(id);
      break;
    case CmdHelpTopics:
      ShowHelpTopics(LayoutWindow);
      break;
    default:
      break;
  }
}
