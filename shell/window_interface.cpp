// The engine's window interface (engine/window.h) on the layout window: each
// call addresses a control of LayoutWindow by its identifier. Controls a
// layout lacks (the radix buttons of the standard layout, say) are skipped
// by the platform calls themselves, and so is everything while no layout
// window exists.
#include "engine/window.h"

#include <windows.h>

#include "shell/shell_state.h"

void SetControlText(int32_t id, const std::string& text) {
  if (LayoutWindow == nullptr) return;
  SetDlgItemTextA(LayoutWindow, id, text.c_str());
}

void SetKeyCheck(int32_t id, bool checked) {
  if (LayoutWindow == nullptr) return;
  CheckDlgButton(LayoutWindow, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void CheckRadioInRange(int32_t first, int32_t last, int32_t id) {
  if (LayoutWindow == nullptr) return;
  for (int32_t button = first; button <= last; ++button) {
    CheckDlgButton(LayoutWindow, button,
                   button == id ? BST_CHECKED : BST_UNCHECKED);
  }
}

void EnableControl(int32_t id, bool enable) {
  if (LayoutWindow == nullptr) return;
  HWND control = GetDlgItem(LayoutWindow, id);
  if (control != nullptr) EnableWindow(control, enable ? TRUE : FALSE);
}

void FocusLayoutWindow() {
  if (LayoutWindow != nullptr) SetFocus(LayoutWindow);
}

void SoundBeep() { MessageBeep(MB_OK); }

void ShowMessageBox(const char* text, const char* caption) {
  MessageBoxA(LayoutWindow, text, caption, MB_OK);
}
