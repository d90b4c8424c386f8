// What a new layout window gets once the dialog manager has made it, and
// its re-layout for another display resolution.
//
// Keys are owner-drawn, but each also carries its caption from the
// KeyNameTable as window text, so that screen readers name it; the keys and
// the controls after them are put into reading order (rows top to bottom,
// left to right in a row), which is the order the accessibility tree and
// tab navigation visit them. The layout-switch picture is made to fill its
// control from the 1x or 2x bitmap. When the window moves to a monitor of
// another resolution (WM_DPICHANGED), every control is placed again from
// its geometry at creation, scaled, and the dialog font is made again at the
// new size, so the dialog-unit layout is kept.
//
// The resolution functions of newer systems are looked up at run time, so
// the program also runs where they are missing.
#pragma once

#include <windows.h>

#include <cstdint>

// Dots per inch of `window`: the per-monitor value where the system has it,
// else the screen's.
uint32_t WindowDpi(HWND window);

// `value` given at 96 dots per inch, at `dpi`.
int32_t ScaleForDpi(int32_t value, uint32_t dpi);

// Key window texts, reading order, picture and the geometry noted for a
// later resolution change. Call once after creating a layout window.
void PrepareLayoutWindow(HWND window);

// Sets every key's window text to its caption (again after the decimal
// separator changed).
void SetKeyWindowTexts(HWND window);

// Fits the layout-switch picture of `window` to its control.
void FitLayoutPicture(HWND window);

// Tab (or Shift+Tab with `backwards`): moves the focus from the focused key
// to the next (previous) enabled key in reading order, wrapping around;
// from anywhere else to the first (last) key. The focus rectangle is shown
// from then on.
void MoveKeyFocus(HWND window, bool backwards);

// WM_DPICHANGED of the layout window: wParam holds the new resolution,
// lParam the suggested window rectangle.
LRESULT OnLayoutDpiChanged(HWND window, WPARAM wParam, LPARAM lParam);

// WM_NCDESTROY of the layout window: frees the font made for another
// resolution and forgets the noted geometry.
void ForgetLayoutWindow(HWND window);
