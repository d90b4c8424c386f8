// Driving the real quib.exe from a test program running in the same Wine
// prefix: start it with a command line and a layout in the profile, find its
// window by class, click keys, type on the keyboard, read controls, and take
// screenshots.
//
// Every input goes through the platform as a user's would: BM_CLICK and
// mouse input for keys, SendInput key strokes for the keyboard (so the
// program's own message loop translates them through its accelerator
// table). Reads wait, with a deadline, until the expected state appears,
// because input is processed asynchronously.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quibtest {

// Path of quib.exe: QUIB_EXE from the environment, else the build tree's.
std::string QuibExePath();
// Folder for screenshots (created on demand): QUIB_ARTIFACTS, else
// "artifacts" beside the test program.
std::string ArtifactsDir();
// True when a display is available for GUI tests.
bool HaveDisplay();

// Writes the profile value of "layout"; nullptr removes the key.
void SetLayoutProfile(const char* value);

class QuibApp {
 public:
  QuibApp() = default;
  ~QuibApp();
  QuibApp(const QuibApp&) = delete;
  QuibApp& operator=(const QuibApp&) = delete;

  // Starts quib.exe with `arguments` after writing `layout` to the profile
  // and waits for its layout window. False (with a message in `error`) when
  // it does not appear.
  bool Start(const std::string& arguments, const char* layout,
             std::string& error);
  // Starts this copy of quib.exe instead of QuibExePath() from now on.
  void UseExe(const std::string& path) { exe_ = path; }
  // Closes the window with the close system command and waits for the
  // process; returns its exit code, or -1 when it had to be killed.
  int32_t Close();
  // Waits for the process to end by itself; exit code or -1.
  int32_t WaitForExit(DWORD milliseconds);

  HWND window() const { return window_; }
  // Waits for a layout window other than `old` (a layout switch replaces the
  // window) and makes it the one addressed from then on.
  bool WaitForNewWindow(HWND old, DWORD ms = 10000);
  DWORD processId() const { return process_.dwProcessId; }

  HWND Control(int32_t id) const { return GetDlgItem(window_, id); }
  std::string Text(int32_t id) const;
  std::string Display() const { return Text(403); }
  // Waits until the display shows `want`; returns what it shows then.
  std::string WaitForDisplay(const std::string& want, DWORD ms = 5000) const {
    return WaitForText(403, want, ms);
  }
  // The text of control `id` once it is `want`, or as it is after `ms`.
  std::string WaitForText(int32_t id, const std::string& want, DWORD ms = 5000) const;
  bool Checked(int32_t id) const;
  bool WaitForCheck(int32_t id, bool checked, DWORD ms = 5000) const;
  bool Enabled(int32_t id) const;

  // A button click on key `id`, handled before this returns.
  void Click(int32_t id) const;
  // A real left click at the middle of control `id`.
  void MouseClick(int32_t id) const;
  // A real click at the middle of `control`, or at `screen` when given.
  void MouseClickAt(HWND control, bool right, bool twice = false,
                    const POINT* screen = nullptr) const;
  // Brings the window to the foreground for keyboard input.
  bool Focus() const;
  // Types characters (shift is pressed where the keyboard layout needs it).
  void Type(const std::string& text) const;
  // Presses and releases a virtual key with modifiers (VK_SHIFT/VK_CONTROL).
  void Press(WORD vk, bool shift = false, bool control = false) const;
  // Waits until the program has handled everything sent so far that it can
  // (its message loop is idle).
  void Settle() const;

 private:
  // Waits until the program's thread holds (or no longer holds) the mouse
  // capture.
  void WaitForCapture(bool held) const;

  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
  std::string exe_;
};

// Visible top-level windows of a process with the class name given.
std::vector<HWND> FindTopWindows(DWORD processId, const char* className);
// Waits for a visible dialog (class #32770) of the process whose caption is
// `title`, or whose caption contains `title` when `partial` is set.
HWND WaitForDialog(DWORD processId, const char* title, DWORD ms = 5000,
                   bool partial = false);
// Texts of a window's static children, joined with line breaks.
std::string StaticTexts(HWND dialog);

// The clipboard as another program uses it. SetClipboardBytes puts `bytes`
// in the plain-text format in a block of exactly that size, adding nothing
// (Wine itself overwrites the last byte with a terminator); an empty string
// empties the clipboard. SetClipboardText adds the terminator.
bool SetClipboardBytes(const std::string& bytes);
inline bool SetClipboardText(const std::string& text) {
  return SetClipboardBytes(text + '\0');
}
// The plain text on the clipboard up to its terminator, or "<none>".
std::string ClipboardText();

// A screen capture of a window's rectangle.
struct Capture {
  RECT rect{};                  // screen coordinates
  int32_t width = 0, height = 0;
  std::vector<uint8_t> rgb;     // top-down rows, 3 bytes per pixel

  // Pixels of a control's screen rectangle that satisfy `match`.
  template <typename Match>
  int32_t Count(HWND control, Match match) const {
    RECT r;
    GetWindowRect(control, &r);
    int32_t n = 0;
    for (LONG y = r.top; y < r.bottom; ++y) {
      for (LONG x = r.left; x < r.right; ++x) {
        const LONG cx = x - rect.left, cy = y - rect.top;
        if (cx < 0 || cy < 0 || cx >= width || cy >= height) continue;
        const uint8_t* p = &rgb[static_cast<size_t>((cy * width + cx) * 3)];
        if (match(p[0], p[1], p[2])) ++n;
      }
    }
    return n;
  }
};

Capture CaptureWindow(HWND window);
// Writes the capture as a PNG file; false when the file cannot be written.
bool SavePng(const Capture& capture, const std::string& path);

}  // namespace quibtest
