#include "shell/layout_window.h"

#include <windowsx.h>

#include <memory>
#include <type_traits>

#include "arith/settings.h"
#include "engine/commands.h"
#include "engine/dispatch.h"
#include "engine/display.h"
#include "engine/layout.h"
#include "engine/state.h"
#include "engine/window.h"
#include "resource.h"
#include "shell/help_popup.h"
#include "shell/html_help.h"
#include "shell/key_names.h"
#include "shell/layout_setup.h"
#include "shell/shell_state.h"
#include "shell/startup.h"
#include "shell/watchdog.h"

// The resource script names the controls; the code uses the engine's
// command identifiers. They must be the same numbers.
static_assert(IDC_SIGN == CmdSign && IDC_DECIMAL_POINT == CmdDecimalPoint);
static_assert(IDC_SQRT == CmdSqrt && IDC_PERCENT == CmdPercent);
static_assert(IDC_EQUALS == CmdEquals && IDC_DATA == CmdData);
static_assert(IDC_DIGIT_0 == CmdDigit0 && IDC_DIGIT_F == CmdDigitF);
static_assert(IDC_BIN == CmdBin && IDC_HEX == CmdHex);
static_assert(IDC_INV == CmdInv && IDC_GRAD_BYTE == CmdGradByte);
static_assert(IDM_COPY == CmdCopy && IDM_HELP_TOPICS == CmdHelpTopics);
static_assert(IDC_PICTURE_TO_SCIENTIFIC == CmdScientific &&
              IDC_PICTURE_TO_STANDARD == CmdStandard);
static_assert(IDC_MEMORY_INDICATOR == IdMemoryIndicator &&
              IDC_PAREN_INDICATOR == IdParenIndicator &&
              IDC_DISPLAY == IdDisplay);
static_assert(IDC_STAT_LIST == IdStatList && IDC_STAT_COUNT == IdStatCount);

namespace {

constexpr uint32_t ColourRef(KeyColour colour) {
  switch (colour) {
    case KeyColour::Red:
      return kColorRed;
    case KeyColour::Magenta:
      return kColorMagenta;
    default:
      return kColorBlue;
  }
}

constexpr std::array<KeyTableEntry, kKeyCount> MakeKeyTable() {
  std::array<KeyTableEntry, kKeyCount> table{};
  for (const CommandInfo& c : kCommands) {
    if (c.colour == KeyColour::NoKey) continue;
    table[c.id - kFirstKey] = {ColourRef(c.colour), c.help};
  }
  return table;
}

struct MenuDeleter {
  void operator()(HMENU menu) const { DestroyMenu(menu); }
};
using MenuHandle = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter>;

constexpr int32_t kHeightMarker = 1000;
constexpr DWORD kFlashMilliseconds = 20;
constexpr int32_t kFocusInset = 3;  // at 96 dots per inch

LRESULT OnSize(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (StatBoxWindow != nullptr) {
    if (wParam == SIZE_MINIMIZED) ShowWindow(StatBoxWindow, SW_HIDE);
    if (wParam == SIZE_RESTORED) ShowWindow(StatBoxWindow, SW_SHOW);
  }
  // A template may mark the client height it needs with control 1000. A
  // minimised window has no client area to correct.
  HWND marker = GetDlgItem(hwnd, kHeightMarker);
  if (marker != nullptr && wParam != SIZE_MINIMIZED) {
    RECT markerRect;
    GetWindowRect(marker, &markerRect);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&markerRect), 2);
    RECT client;
    GetClientRect(hwnd, &client);
    const LONG difference = markerRect.bottom - client.bottom;
    if (difference != 0) {
      RECT window;
      GetWindowRect(hwnd, &window);
      SetWindowPos(hwnd, nullptr, 0, 0, window.right - window.left,
                   window.bottom - window.top + difference,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
  }
  return DefWindowProcA(hwnd, WM_SIZE, wParam, lParam);
}

LRESULT OnClose(HWND hwnd) {
  if (StatBoxWindow != nullptr) {
    SendMessageA(StatBoxWindow, WM_CLOSE, 0, 0);
    StatBoxWindow = nullptr;
  }
  DestroyWindow(hwnd);
  // However the window was closed, the program ends with it: without a
  // layout window nothing could ever stop the message loop.
  PostQuitMessage(0);
  return 0;
}

LRESULT OnSettingChange(LPARAM lParam) {
  const char* section = reinterpret_cast<const char*>(lParam);
  if (section == nullptr || lstrcmpA(section, "colors") == 0 ||
      lstrcmpA(section, "intl") == 0) {
    try {
      ApplyLayout(false);
      // The reset has set the current value to zero; show it, so that the
      // display never shows a value the engine no longer holds.
      RefreshDisplayAnew();
    } catch (...) {
      // Out of memory: the display keeps its text.
    }
  }
  return 0;
}

LRESULT OnDrawItem(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
  const int32_t id = static_cast<int32_t>(item->CtlID);
  if (item->CtlType != ODT_BUTTON || !IsKey(id)) {
    return DefWindowProcA(hwnd, WM_DRAWITEM, wParam, lParam);
  }
  const COLORREF color = (item->itemState & ODS_DISABLED)
                             ? GetSysColor(COLOR_GRAYTEXT)
                             : static_cast<COLORREF>(KeyTextColor(id));
  SetTextColor(item->hDC, color);
  RECT rect = item->rcItem;
  DrawEdge(item->hDC, &rect,
           (item->itemState & ODS_SELECTED) ? EDGE_SUNKEN : EDGE_RAISED,
           BF_RECT);
  rect = item->rcItem;
  DrawTextA(item->hDC, KeyName(id - kFirstKey), -1, &rect,
            DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  // The key Tab moved to, inside the raised edge.
  if ((item->itemState & ODS_FOCUS) && !(item->itemState & ODS_NOFOCUSRECT)) {
    const int32_t inset = ScaleForDpi(kFocusInset, WindowDpi(item->hwndItem));
    rect = item->rcItem;
    InflateRect(&rect, -inset, -inset);
    DrawFocusRect(item->hDC, &rect);
  }
  return TRUE;
}

LRESULT OnContextMenu(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  HWND target = reinterpret_cast<HWND>(wParam);
  POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  const bool fromKeyboard = screen.x == -1 && screen.y == -1;
  if (target == hwnd) {
    if (fromKeyboard) return DefWindowProcA(hwnd, WM_CONTEXTMENU, wParam, lParam);
    POINT client = screen;
    ScreenToClient(hwnd, &client);
    HWND child = ChildWindowFromPoint(hwnd, client);
    if (child == nullptr || child == hwnd) {
      return DefWindowProcA(hwnd, WM_CONTEXTMENU, wParam, lParam);
    }
    target = child;
  }
  if (fromKeyboard) screen = ContextMenuPoint(target);
  if (ShowWhatsThisMenu(hwnd, AppInstance, screen)) {
    ShowHelpPopup(target, HelpContextId(GetDlgCtrlID(target)));
  }
  return 0;
}

LRESULT OnCommand(HWND hwnd, WPARAM wParam) {
  const int32_t id = static_cast<int32_t>(TranslateKey(LOWORD(wParam)));
  if (HIWORD(wParam) == 1) {
    // An accelerator or a pasted character: the key it stands for flashes.
    HWND key = GetDlgItem(hwnd, id);
    if (key != nullptr) SendMessageA(key, BM_SETSTATE, TRUE, 0);
    Sleep(kFlashMilliseconds);
    if (key != nullptr && IsWindow(key)) SendMessageA(key, BM_SETSTATE, FALSE, 0);
  }
  if (IsIndicator(id)) return 0;
  // The command may replace this window (a layout switch): hwnd is not used
  // after it.
  ExecuteCommand(static_cast<CommandId>(id));
  return 0;
}

LRESULT OnSysCommand(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if ((wParam & 0xFFF0) == SC_CLOSE) {
    WatchdogShutdown();
    WinHelpA(hwnd, KeyName(IDS_HELP_FILE), HELP_QUIT, 0);
    PostQuitMessage(0);
  }
  return DefWindowProcA(hwnd, WM_SYSCOMMAND, wParam, lParam);
}

LRESULT OnInitMenuPopup(HWND hwnd) {
  const UINT state = IsClipboardFormatAvailable(CF_TEXT)
                         ? MF_ENABLED
                         : (MF_DISABLED | MF_GRAYED);
  EnableMenuItem(GetMenu(hwnd), CmdPaste, MF_BYCOMMAND | state);
  return 0;
}

LRESULT OnCtlColorStatic(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) != IdDisplay) {
    return DefWindowProcA(hwnd, WM_CTLCOLORSTATIC, wParam, lParam);
  }
  HDC dc = reinterpret_cast<HDC>(wParam);
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
}

}  // namespace

const std::array<KeyTableEntry, kKeyCount> KeyTable = MakeKeyTable();

bool IsKey(int32_t controlId) {
  return controlId >= 0 && IsColouredKey(static_cast<CommandId>(controlId));
}

uint32_t KeyTextColor(int32_t key) {
  if (key == static_cast<int32_t>(CmdReciprocal) && engineState.layout != kLayoutScientific) {
    return kColorBlue;
  }
  if (!IsKey(key)) return 0;
  return KeyTable[static_cast<size_t>(key - kFirstKey)].textColor;
}

uint32_t HelpContextId(int32_t controlId) {
  const CommandInfo* command =
      controlId >= 0 ? FindCommand(static_cast<CommandId>(controlId)) : nullptr;
  if (command != nullptr) {
    return command->help2 != 0 && settings.radix != 10 ? command->help2
                                                       : command->help;
  }
  switch (controlId) {
    case IdMemoryIndicator:
      return 130;
    case IdParenIndicator:
      return 131;
    case IdDisplay:
      return 9;
    default:
      return 0;
  }
}

POINT ContextMenuPoint(HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  return {rect.left + (rect.right - rect.left) / 2, rect.top + (rect.bottom - rect.top) / 2};
}

bool ShowWhatsThisMenu(HWND owner, HINSTANCE instance, POINT screenPos) {
  const MenuHandle menu(LoadMenuA(instance, MAKEINTRESOURCEA(IDM_WHATSTHIS)));
  if (!menu) return false;
  // With TPM_RETURNCMD the choice is returned, not sent as a command.
  const BOOL chosen = TrackPopupMenuEx(GetSubMenu(menu.get(), 0),
                                       TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                       screenPos.x, screenPos.y, owner, nullptr);
  return chosen == IDM_WHATSTHIS_ITEM;
}

LRESULT CALLBACK LayoutWndProc(HWND hwnd, UINT message, WPARAM wParam,
                               LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      return OnSize(hwnd, wParam, lParam);
    case WM_CLOSE:
      return OnClose(hwnd);
    case WM_DESTROY:
      if (hwnd == LayoutWindow) LayoutWindow = nullptr;
      return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_NCDESTROY:
      ForgetLayoutWindow(hwnd);
      return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_DPICHANGED:
      return OnLayoutDpiChanged(hwnd, wParam, lParam);
    case WM_WININICHANGE:
      return OnSettingChange(lParam);
    case WM_DRAWITEM:
      return OnDrawItem(hwnd, wParam, lParam);
    case WM_HELP:
      ShowHelpTopics(hwnd);
      return TRUE;
    case WM_CONTEXTMENU:
      return OnContextMenu(hwnd, wParam, lParam);
    case WM_COMMAND:
      return OnCommand(hwnd, wParam);
    case WM_SYSCOMMAND:
      return OnSysCommand(hwnd, wParam, lParam);
    case WM_INITMENUPOPUP:
      return OnInitMenuPopup(hwnd);
    case WM_CTLCOLORSTATIC:
      return OnCtlColorStatic(hwnd, wParam, lParam);
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}
