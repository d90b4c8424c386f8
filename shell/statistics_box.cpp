#include "shell/statistics_box.h"

#include <windowsx.h>

#include "engine/statistics.h"
#include "engine/window.h"
#include "resource.h"
#include "shell/help_popup.h"
#include "shell/key_names.h"
#include "shell/layout_window.h"
#include "shell/shell_state.h"

namespace {

// Context-help topics of the box's controls, ended by a zero pair.
const DWORD kStatHelpIds[] = {IDC_STAT_LIST,      401, IDC_STAT_CLEAR_ALL, 405,
                              IDC_STAT_DELETE,    404, IDC_STAT_LOAD,      403,
                              IDC_STAT_RETURN,    402, 0,                  0};

// "What's this?" on a control of the box: the message names the control
// (or the box, for a click beside the controls); the position is -1, -1
// when the menu was asked for from the keyboard.
void OnBoxContextMenu(HWND dialog, HWND target, LPARAM lParam) {
  POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  const bool fromKeyboard = screen.x == -1 && screen.y == -1;
  if (target == dialog) {
    if (fromKeyboard) return;
    POINT client = screen;
    ScreenToClient(dialog, &client);
    target = ChildWindowFromPoint(dialog, client);
  }
  const uint32_t topic =
      target != nullptr ? StatBoxHelpContextId(GetDlgCtrlID(target)) : 0;
  if (topic == 0) return;
  if (fromKeyboard) screen = ContextMenuPoint(target);
  if (ShowWhatsThisMenu(dialog, AppInstance, screen)) ShowHelpPopup(target, topic);
}

constexpr int32_t kCaptionLength = 50;

HWND StatList() { return GetDlgItem(StatBoxWindow, IdStatList); }

// Puts the box to the right of the layout window, top edges level, so that
// it covers no keys; where the screen is too narrow, to its left, and
// failing that where it is.
void PlaceBesideLayoutWindow(HWND box) {
  if (LayoutWindow == nullptr) return;
  RECT layout, own, work;
  GetWindowRect(LayoutWindow, &layout);
  GetWindowRect(box, &own);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const LONG width = own.right - own.left;
  LONG x = layout.right;
  if (x + width > work.right) x = layout.left - width;
  if (x < work.left) return;
  SetWindowPos(box, nullptr, x, layout.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void OnBoxCommand(int32_t id, int32_t notification) {
  switch (id) {
    case IDC_STAT_LIST:
      if (notification == LBN_DBLCLK) StatisticsLoad();
      break;
    case IDC_STAT_LOAD:
      StatisticsLoad();
      break;
    case IDC_STAT_DELETE:
      StatisticsDelete();
      break;
    case IDC_STAT_CLEAR_ALL:
      StatisticsClearAll();
      break;
    case IDC_STAT_RETURN:
      FocusLayoutWindow();
      break;
    default:
      break;
  }
}

}  // namespace

uint32_t StatBoxHelpContextId(int32_t controlId) {
  for (size_t i = 0; kStatHelpIds[i] != 0; i += 2) {
    if (static_cast<int32_t>(kStatHelpIds[i]) == controlId) return kStatHelpIds[i + 1];
  }
  return 0;
}

INT_PTR CALLBACK StatisticsBoxProc(HWND dialog, UINT message, WPARAM wParam,
                                   LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_CONTEXTMENU:
      OnBoxContextMenu(dialog, reinterpret_cast<HWND>(wParam), lParam);
      return TRUE;
    case WM_CLOSE:
      CloseStatisticsBox();
      return TRUE;
    case WM_COMMAND:
      try {
        OnBoxCommand(LOWORD(wParam), HIWORD(wParam));
      } catch (...) {
        // Out of memory while loading a number: the display keeps its text.
      }
      return TRUE;
    default:
      (void)dialog;
      (void)lParam;
      return FALSE;
  }
}

bool StatBoxCreate() {
  StatBoxWindow = CreateDialogParamA(AppInstance, MAKEINTRESOURCEA(IDD_STATBOX),
                                     nullptr, StatisticsBoxProc, 0);
  if (StatBoxWindow != nullptr) PlaceBesideLayoutWindow(StatBoxWindow);
  return StatBoxWindow != nullptr;
}

void StatBoxShow() {
  if (StatBoxWindow != nullptr) ShowWindow(StatBoxWindow, SW_SHOWNORMAL);
}

void StatBoxDestroy() {
  if (StatBoxWindow == nullptr) return;
  HWND box = StatBoxWindow;
  StatBoxWindow = nullptr;
  DestroyWindow(box);
}

bool StatBoxExists() { return StatBoxWindow != nullptr; }

void StatBoxFocus() {
  if (StatBoxWindow != nullptr) SetFocus(StatBoxWindow);
}

bool StatListAdd(const std::string& text) {
  const LRESULT result = ListBox_AddString(StatList(), text.c_str());
  return result != LB_ERR && result != LB_ERRSPACE;
}

void StatListDelete(int32_t index) { ListBox_DeleteString(StatList(), index); }

void StatListReset() { ListBox_ResetContent(StatList()); }

void StatListSelect(int32_t index) { ListBox_SetCurSel(StatList(), index); }

int32_t StatListSelection() {
  if (StatBoxWindow == nullptr) return -1;
  const LRESULT selection = ListBox_GetCurSel(StatList());
  return selection == LB_ERR ? -1 : static_cast<int32_t>(selection);
}

void StatSetCount(uint32_t count) {
  if (StatBoxWindow != nullptr) {
    SetDlgItemInt(StatBoxWindow, IdStatCount, count, FALSE);
  }
}

void StatMemoryMessage() {
  MessageBeep(MB_OK);
  char caption[kCaptionLength] = {};
  if (StatBoxWindow != nullptr) {
    GetWindowTextA(StatBoxWindow, caption, kCaptionLength);
  }
  MessageBoxA(StatBoxWindow, KeyName(IDS_NO_MEMORY), caption, MB_OK);
}

void CompactMemory() { HeapCompact(GetProcessHeap(), 0); }
