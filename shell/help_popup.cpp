#include "shell/help_popup.h"

#include <memory>
#include <type_traits>

#include "shell/layout_setup.h"
#include "shell/shell_state.h"

namespace {

const HelpTopic kHelpTopics[] = {
#include "help_topics.inc"
};

constexpr int32_t kTextWidth = 260;    // at 96 dots per inch
constexpr int32_t kMargin = 6;
constexpr int32_t kTitleGap = 4;
constexpr int32_t kFontPoints = 9;

struct FontDeleter {
  void operator()(HFONT font) const { DeleteObject(font); }
};
using FontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

// What the pop-up's paint handler needs, owned by ShowHelpPopup.
struct PopupContent {
  const HelpTopic* topic;
  HFONT titleFont;
  HFONT textFont;
  RECT titleRect;  // client coordinates
  RECT textRect;
};

FontHandle MakeFont(uint32_t dpi, bool bold) {
  return FontHandle(CreateFontA(-MulDiv(kFontPoints, static_cast<int>(dpi), 72), 0,
                                0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                                FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                DEFAULT_PITCH | FF_SWISS, "MS Shell Dlg"));
}

// The height `text` takes when wrapped to `width` in `font`.
LONG WrappedHeight(HDC dc, HFONT font, const char* text, LONG width) {
  const HGDIOBJ old = SelectObject(dc, font);
  RECT rect{0, 0, width, 0};
  DrawTextA(dc, text, -1, &rect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  return rect.bottom;
}

void PaintPopup(HWND popup, const PopupContent& content) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(popup, &paint);
  RECT client;
  GetClientRect(popup, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_INFOBK));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
  const HGDIOBJ old = SelectObject(dc, content.titleFont);
  RECT rect = content.titleRect;
  DrawTextA(dc, content.topic->title, -1, &rect, DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, content.textFont);
  rect = content.textRect;
  DrawTextA(dc, content.topic->text, -1, &rect, DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  EndPaint(popup, &paint);
}

LRESULT CALLBACK PopupProc(HWND popup, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(popup, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  const auto* content =
      reinterpret_cast<const PopupContent*>(GetWindowLongPtrA(popup, GWLP_USERDATA));
  switch (message) {
    case WM_PAINT:
      if (content == nullptr) break;
      PaintPopup(popup, *content);
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    default:
      break;
  }
  return DefWindowProcA(popup, message, wParam, lParam);
}

bool RegisterPopupClass() {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_DROPSHADOW | CS_SAVEBITS;
  wc.lpfnWndProc = PopupProc;
  wc.hInstance = AppInstance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = kHelpPopupClass;
  registered = RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  return registered;
}

// The input that closes the pop-up: a key or any mouse button going down.
bool ClosesPopup(UINT message) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
    case WM_NCXBUTTONDOWN:
      return true;
    default:
      return false;
  }
}

}  // namespace

const HelpTopic* FindHelpTopic(uint32_t id) {
  for (const HelpTopic& topic : kHelpTopics) {
    if (topic.id == id) return &topic;
  }
  return nullptr;
}

std::string HelpTopicText(const HelpTopic& topic) {
  return std::string(topic.title) + "\r\n\r\n" + topic.text;
}

POINT PlaceBeside(const RECT& control, SIZE size, const RECT& work) {
  LONG x = control.right;
  if (x + size.cx > work.right) x = control.left - size.cx;
  if (x < work.left) x = work.right - size.cx;
  if (x < work.left) x = work.left;
  LONG y = control.top;
  if (y + size.cy > work.bottom) y = work.bottom - size.cy;
  if (y < work.top) y = work.top;
  return {x, y};
}

void ShowHelpPopup(HWND control, uint32_t id) {
  const HelpTopic* topic = FindHelpTopic(id);
  if (topic == nullptr || control == nullptr || !RegisterPopupClass()) return;

  const uint32_t dpi = WindowDpi(control);
  const FontHandle titleFont = MakeFont(dpi, true);
  const FontHandle textFont = MakeFont(dpi, false);
  if (!titleFont || !textFont) return;
  const LONG margin = ScaleForDpi(kMargin, dpi);
  const LONG width = ScaleForDpi(kTextWidth, dpi);
  PopupContent content{topic, titleFont.get(), textFont.get(), {}, {}};
  HDC screen = GetDC(nullptr);
  const LONG titleHeight = WrappedHeight(screen, content.titleFont, topic->title, width);
  const LONG textHeight = WrappedHeight(screen, content.textFont, topic->text, width);
  ReleaseDC(nullptr, screen);
  const LONG gap = ScaleForDpi(kTitleGap, dpi);
  content.titleRect = {margin, margin, margin + width, margin + titleHeight};
  content.textRect = {margin, content.titleRect.bottom + gap, margin + width,
                      content.titleRect.bottom + gap + textHeight};

  RECT frame{0, 0, width + 2 * margin, content.textRect.bottom + margin};
  AdjustWindowRectEx(&frame, WS_POPUP | WS_BORDER, FALSE, WS_EX_TOOLWINDOW);
  const SIZE size{frame.right - frame.left, frame.bottom - frame.top};
  RECT controlRect;
  GetWindowRect(control, &controlRect);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (GetMonitorInfoA(MonitorFromRect(&controlRect, MONITOR_DEFAULTTONEAREST), &monitor)) {
    work = monitor.rcWork;
  }
  const POINT at = PlaceBeside(controlRect, size, work);

  const std::string text = HelpTopicText(*topic);
  HWND popup = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kHelpPopupClass,
                               text.c_str(), WS_POPUP | WS_BORDER, at.x, at.y,
                               size.cx, size.cy, GetAncestor(control, GA_ROOT),
                               nullptr, AppInstance, &content);
  if (popup == nullptr) return;
  ShowWindow(popup, SW_SHOWNOACTIVATE);
  UpdateWindow(popup);
  SetCapture(popup);
  const bool captured = GetCapture() == popup;

  // Until the next click or key, which is consumed; a quit message is put
  // back for the main loop.
  MSG msg = {};
  bool quit = false;
  while (IsWindow(popup)) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      quit = got == 0;
      break;
    }
    if (ClosesPopup(msg.message)) break;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    // Another window took the mouse (the program lost the activation).
    if (captured && GetCapture() != popup) break;
  }
  if (GetCapture() == popup) ReleaseCapture();
  DestroyWindow(popup);
  if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
}
