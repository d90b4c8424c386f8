#include "shell/layout_setup.h"

#include <algorithm>
#include <vector>

#include "resource.h"
#include "shell/key_names.h"
#include "shell/layout_window.h"
#include "shell/shell_state.h"

namespace {

using GetDpiForWindowEntry = UINT(WINAPI*)(HWND);
using SetDialogDpiChangeBehaviorEntry = BOOL(WINAPI*)(HWND, int, int);

constexpr int kDialogScalingAll = 1;  // DDC_DISABLE_ALL

constexpr uint32_t kBaseDpi = 96;
// The 1x pictures are 24 pixels square and serve a control of at most that
// size; a larger control gets the 2x picture (48 pixels) scaled, which stays
// sharper than the small one blown up.
constexpr LONG kSmallPictureSize = 24;

// The layout window as created: its resolution, font and control
// rectangles (client coordinates), kept for re-layouts. User-interface
// thread only; there is one layout window at a time.
struct CreatedGeometry {
  HWND window = nullptr;
  uint32_t dpi = kBaseDpi;
  LOGFONTA font{};
  bool haveFont = false;
  std::vector<std::pair<HWND, RECT>> controls;
};
CreatedGeometry created;
HFONT scaledFont = nullptr;  // the font made for another resolution
HBITMAP pictureBitmap = nullptr;

// A function of user32.dll, or nullptr where the system lacks it.
template <typename Entry>
Entry UserEntry(const char* name) {
  HMODULE user = GetModuleHandleA("user32.dll");
  const FARPROC proc = user != nullptr ? GetProcAddress(user, name) : nullptr;
  // Through the generic function type, which converts without a warning.
  return reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(proc));
}

GetDpiForWindowEntry DpiEntry() {
  static const auto entry = UserEntry<GetDpiForWindowEntry>("GetDpiForWindow");
  return entry;
}

// The dialog manager scales dialogs of its own on a resolution change
// where the system offers it; the layout window does that itself.
void KeepDialogScalingOff(HWND window) {
  static const auto entry =
      UserEntry<SetDialogDpiChangeBehaviorEntry>("SetDialogDpiChangeBehavior");
  if (entry != nullptr) entry(window, kDialogScalingAll, kDialogScalingAll);
}

RECT ClientRectOf(HWND parent, HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// A copy of `source` stretched to width x height.
HBITMAP StretchedCopy(HBITMAP source, LONG width, LONG height) {
  BITMAP info{};
  if (GetObjectA(source, sizeof info, &info) == 0) return nullptr;
  HDC screen = GetDC(nullptr);
  HDC from = CreateCompatibleDC(screen);
  HDC to = CreateCompatibleDC(screen);
  HBITMAP result = CreateCompatibleBitmap(screen, width, height);
  if (from != nullptr && to != nullptr && result != nullptr) {
    const HGDIOBJ oldFrom = SelectObject(from, source);
    const HGDIOBJ oldTo = SelectObject(to, result);
    SetStretchBltMode(to, HALFTONE);
    SetBrushOrgEx(to, 0, 0, nullptr);
    StretchBlt(to, 0, 0, width, height, from, 0, 0, info.bmWidth, info.bmHeight,
               SRCCOPY);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
  }
  if (from != nullptr) DeleteDC(from);
  if (to != nullptr) DeleteDC(to);
  ReleaseDC(nullptr, screen);
  return result;
}

void SortIntoReadingOrder(HWND window) {
  HWND first = GetWindow(window, GW_CHILD);
  while (first != nullptr && !IsKey(GetDlgCtrlID(first))) {
    first = GetWindow(first, GW_HWNDNEXT);
  }
  if (first == nullptr) return;
  struct Placed {
    HWND control;
    RECT rect;
  };
  std::vector<Placed> controls;
  for (HWND c = first; c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    controls.push_back({c, ClientRectOf(window, c)});
  }
  std::stable_sort(controls.begin(), controls.end(), [](const Placed& a, const Placed& b) {
    if (a.rect.top != b.rect.top) return a.rect.top < b.rect.top;
    return a.rect.left < b.rect.left;
  });
  HWND after = GetWindow(first, GW_HWNDPREV);
  if (after == nullptr) after = HWND_TOP;
  for (const Placed& p : controls) {
    SetWindowPos(p.control, after, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    after = p.control;
  }
}

void NoteGeometry(HWND window) {
  created = CreatedGeometry{};
  created.window = window;
  created.dpi = WindowDpi(window);
  const auto font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
  created.haveFont =
      font != nullptr && GetObjectA(font, sizeof created.font, &created.font) != 0;
  for (HWND c = GetWindow(window, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    created.controls.emplace_back(c, ClientRectOf(window, c));
  }
}

LONG Scaled(LONG value, uint32_t to, uint32_t from) {
  return MulDiv(value, static_cast<int>(to), static_cast<int>(from));
}

}  // namespace

uint32_t WindowDpi(HWND window) {
  const GetDpiForWindowEntry entry = DpiEntry();
  if (entry != nullptr && window != nullptr) {
    const UINT dpi = entry(window);
    if (dpi != 0) return dpi;
  }
  HDC dc = GetDC(nullptr);
  const int dpi = dc != nullptr ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
  if (dc != nullptr) ReleaseDC(nullptr, dc);
  return dpi > 0 ? static_cast<uint32_t>(dpi) : kBaseDpi;
}

int32_t ScaleForDpi(int32_t value, uint32_t dpi) {
  return MulDiv(value, static_cast<int>(dpi), static_cast<int>(kBaseDpi));
}

void SetKeyWindowTexts(HWND window) {
  for (int32_t key = kFirstKey; key <= kLastKey; ++key) {
    HWND control = GetDlgItem(window, key);
    if (control != nullptr) SetWindowTextA(control, KeyName(key - kFirstKey));
  }
}

void FitLayoutPicture(HWND window) {
  struct Picture {
    int32_t control, small, large;
  };
  const Picture pictures[] = {
      {IDC_PICTURE_TO_SCIENTIFIC, IDB_TO_SCIENTIFIC, IDB_TO_SCIENTIFIC_2X},
      {IDC_PICTURE_TO_STANDARD, IDB_TO_STANDARD, IDB_TO_STANDARD_2X},
  };
  for (const Picture& p : pictures) {
    HWND control = GetDlgItem(window, p.control);
    if (control == nullptr) continue;
    RECT client;
    GetClientRect(control, &client);
    if (client.right <= 0 || client.bottom <= 0) continue;
    const int32_t source =
        std::max(client.right, client.bottom) > kSmallPictureSize ? p.large : p.small;
    auto* loaded = static_cast<HBITMAP>(LoadImageA(
        AppInstance, MAKEINTRESOURCEA(source), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (loaded == nullptr) continue;
    HBITMAP fitted = StretchedCopy(loaded, client.right, client.bottom);
    DeleteObject(loaded);
    if (fitted == nullptr) continue;
    // The control gives back the picture it showed; nothing else uses it.
    auto* old = reinterpret_cast<HBITMAP>(SendMessageA(
        control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(fitted)));
    if (old != nullptr && old != fitted && old != pictureBitmap) DeleteObject(old);
    // Our previous picture belonged to this control or to a layout window
    // that is gone.
    if (pictureBitmap != nullptr && pictureBitmap != fitted) DeleteObject(pictureBitmap);
    pictureBitmap = fitted;
  }
}

void MoveKeyFocus(HWND window, bool backwards) {
  // The keys in their window order, which SortIntoReadingOrder made the
  // reading order.
  std::vector<HWND> keys;
  for (HWND c = GetWindow(window, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    if (IsKey(GetDlgCtrlID(c)) && IsWindowVisible(c) && IsWindowEnabled(c)) {
      keys.push_back(c);
    }
  }
  if (keys.empty()) return;
  const auto focused = std::find(keys.begin(), keys.end(), GetFocus());
  size_t next = 0;
  if (focused == keys.end()) {
    next = backwards ? keys.size() - 1 : 0;
  } else {
    const auto at = static_cast<size_t>(focused - keys.begin());
    next = backwards ? (at + keys.size() - 1) % keys.size() : (at + 1) % keys.size();
  }
  SendMessageA(window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  SetFocus(keys[next]);
}

void PrepareLayoutWindow(HWND window) {
  KeepDialogScalingOff(window);
  SetKeyWindowTexts(window);
  SortIntoReadingOrder(window);
  FitLayoutPicture(window);
  NoteGeometry(window);
}

LRESULT OnLayoutDpiChanged(HWND window, WPARAM wParam, LPARAM lParam) {
  const uint32_t dpi = LOWORD(wParam);
  const auto* suggested = reinterpret_cast<const RECT*>(lParam);
  if (window == created.window && dpi != 0) {
    HFONT font = nullptr;
    if (created.haveFont) {
      LOGFONTA scaled = created.font;
      scaled.lfHeight = Scaled(created.font.lfHeight, dpi, created.dpi);
      scaled.lfWidth = Scaled(created.font.lfWidth, dpi, created.dpi);
      font = CreateFontIndirectA(&scaled);
    }
    for (const auto& [control, rect] : created.controls) {
      if (!IsWindow(control)) continue;
      const LONG left = Scaled(rect.left, dpi, created.dpi);
      const LONG top = Scaled(rect.top, dpi, created.dpi);
      SetWindowPos(control, nullptr, left, top,
                   Scaled(rect.right, dpi, created.dpi) - left,
                   Scaled(rect.bottom, dpi, created.dpi) - top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      if (font != nullptr) {
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
      }
    }
    if (font != nullptr) {
      if (scaledFont != nullptr) DeleteObject(scaledFont);
      scaledFont = font;
    }
    FitLayoutPicture(window);
  }
  if (suggested != nullptr) {
    SetWindowPos(window, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  return 0;
}

void ForgetLayoutWindow(HWND window) {
  if (window != created.window) return;
  created = CreatedGeometry{};
  // The controls that used it are gone with the window.
  if (scaledFont != nullptr) DeleteObject(scaledFont);
  scaledFont = nullptr;
}
