#include "shell/startup.h"

#include "arith/rational.h"
#include "arith/settings.h"
#include "engine/dispatch.h"
#include "engine/display.h"
#include "engine/layout.h"
#include "engine/radix.h"
#include "engine/state.h"
#include "engine/window.h"
#include "numtext/settings.h"
#include "resource.h"
#include "shell/command_line.h"
#include "shell/key_names.h"
#include "shell/layout_window.h"
#include "shell/shell_state.h"

namespace {

constexpr const char* kClassName = "SciQuib";
constexpr int32_t kStartupMessageSize = 100;
constexpr int32_t kWideDisplayPrecision = 32;

// The radix the command line asked for, shown by the first scientific
// layout; 0 once used.
int32_t startupRadix = 0;

void ShowStartupMemoryMessage(HINSTANCE instance) {
  char text[kStartupMessageSize] = {};
  if (LoadStringA(instance, IDS_STARTUP_NO_MEMORY, text, kStartupMessageSize) <= 0) {
    lstrcpyA(text, "<Main> Not enough memory.");
  }
  MessageBoxA(nullptr, text, nullptr, MB_ICONERROR);
}

// Moves the display's left edge so that its margins to the client area's
// edges are equal; its right edge, top and bottom stay.
void WidenDisplay(HWND window) {
  HWND display = GetDlgItem(window, IdDisplay);
  if (display == nullptr) return;
  RECT client;
  GetClientRect(window, &client);
  RECT rect;
  GetWindowRect(display, &rect);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
  const LONG left = client.right - rect.right;
  SetWindowPos(display, nullptr, left, rect.top, rect.right - left,
               rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

int RunMessageLoop() {
  MSG msg = {};
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (StatBoxWindow != nullptr && IsDialogMessageA(StatBoxWindow, &msg)) {
      continue;
    }
    if (LayoutWindow != nullptr && Accelerators != nullptr &&
        (msg.hwnd == LayoutWindow || IsChild(LayoutWindow, msg.hwnd)) &&
        TranslateAcceleratorA(LayoutWindow, Accelerators, &msg)) {
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace

bool RegisterLayoutClass(HINSTANCE instance) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.style = 0;
  wc.lpfnWndProc = LayoutWndProc;
  wc.cbClsExtra = 0;
  wc.cbWndExtra = DLGWINDOWEXTRA;  // the dialog manager's reserve
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, IDI_APP);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszMenuName = MAKEINTRESOURCEA(IDM_MAINMENU);
  wc.lpszClassName = kClassName;
  wc.hIconSm = nullptr;
  return RegisterClassExA(&wc) != 0;
}

int32_t ReadLayoutSetting() {
  char text[16] = {};
  GetProfileStringA("SciQuib", "layout", "1", text, sizeof text);
  return ParseLayoutSetting(text);
}

void ApplyLayout(bool recreate) {
  ResetLayoutState();
  const char noted = DecimalSeparatorChar();

  char separator[sizeof DecimalSeparator] = {};
  GetProfileStringA("intl", "sDecimal", ".", separator, sizeof separator);
  SetDecimalSeparator(separator);
  const bool separatorChanged = DecimalSeparatorChar() != noted;
  if (separatorChanged) {
    SetKeyNameFirstChar(IDS_KEY(IDC_DECIMAL_POINT), DecimalSeparatorChar());
  }

  if (!recreate) {
    if (separatorChanged && LayoutWindow != nullptr) {
      InvalidateRect(LayoutWindow, nullptr, TRUE);
    }
    return;
  }

  RECT oldRect = {};
  const bool hadWindow = LayoutWindow != nullptr;
  if (hadWindow) {
    GetWindowRect(LayoutWindow, &oldRect);
    HWND old = LayoutWindow;
    LayoutWindow = nullptr;
    DestroyWindow(old);
  }

  const int32_t templateId = engineState.layout != kLayoutScientific ? IDD_STANDARD : IDD_SCIENTIFIC;
  HWND window = CreateDialogParamA(AppInstance, MAKEINTRESOURCEA(templateId),
                                   nullptr, nullptr, 0);
  LayoutWindow = window;
  if (window == nullptr) return;

  int32_t radix = 10;
  if (engineState.layout == kLayoutScientific) {
    if (settings.precision > kWideDisplayPrecision) WidenDisplay(window);
    if (startupRadix != 0) radix = startupRadix;
  }
  startupRadix = 0;

  if (hadWindow) {
    SetWindowPos(window, nullptr, oldRect.left, oldRect.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  CheckMenuRadioItem(GetSubMenu(GetMenu(window), 1), 0, 1,
                     static_cast<UINT>(1 - engineState.layout), MF_BYPOSITION);

  ApplyLayoutToEngine(radix);

  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
}

int RunProgram(HINSTANCE instance) {
  ParseCommandLine();
  AppInstance = instance;
  if (!RegisterLayoutClass(instance)) return 0;
  if (!LoadKeyNameTable(instance)) {
    ShowStartupMemoryMessage(instance);
    return 0;
  }
  // Never shown: the vertical argument 0 is the hide command of the first
  // showing of an overlapped window.
  ClipboardEdit = CreateWindowExA(0, "EDIT", "QuibMsgPumpWnd", WS_VISIBLE,
                                  CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr,
                                  nullptr, instance, nullptr);
  try {
    startupRadix = settings.radix;
    StartupReset();
    SelectWordSizeOfSettings();
    engineState.layout = ReadLayoutSetting();
    ApplyLayout(true);
  } catch (...) {
    ShowStartupMemoryMessage(instance);
    FreeKeyNameTable();
    return 0;
  }
  Accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDA_KEYS));
  const int exitCode = RunMessageLoop();
  FreeKeyNameTable();
  return exitCode;
}
