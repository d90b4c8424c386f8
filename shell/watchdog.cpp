#include "shell/watchdog.h"

#include <algorithm>
#include <memory>
#include <type_traits>

#include "arith/error.h"
#include "arith/settings.h"
#include "engine/display.h"
#include "engine/window.h"
#include "resource.h"
#include "shell/shell_state.h"

WatchdogPeriods watchdogPeriods;

namespace {

constexpr int32_t kPromptOffsetX = 15;  // from the layout window's left edge
constexpr int32_t kPromptOffsetY = 40;  // below the display's bottom edge
constexpr DWORD kThreadExitCode = 42;
// While shutdown waits for the thread it answers, this often, a prompt that
// opened after the last command had already ended.
constexpr DWORD kShutdownPollMs = 50;

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

// The events as the thread sees them: written before the thread is created,
// only read by it.
struct ThreadEvents {
  HANDLE start = nullptr;  // auto-reset: starts one timing period
  HANDLE done = nullptr;   // manual-reset: ends the current period
};

// User-interface thread only.
UniqueHandle startEvent;
UniqueHandle doneEvent;
UniqueHandle watchdogThread;
ThreadEvents threadEvents;
int32_t armDepth = 0;  // commands running, a paste's keys nested in it
HCURSOR savedCursor = nullptr;

// Shared by both threads.
std::atomic<bool> stopFlag{false};
std::atomic<HWND> promptWindow{nullptr};
// The layout window of the command being timed, where the prompt goes. A
// copy, so that the watchdog thread never reads the shell's own handles.
std::atomic<HWND> promptAnchor{nullptr};

DWORD WINAPI WatchdogThread(void* parameter) {
  const ThreadEvents events = *static_cast<const ThreadEvents*>(parameter);
  while (!stopFlag.load()) {
    if (WaitForSingleObject(events.start, INFINITE) == WAIT_FAILED) break;
    if (stopFlag.load()) break;
    DWORD timeout = watchdogPeriods.first.load();
    while (WaitForSingleObject(events.done, timeout) == WAIT_TIMEOUT) {
      MessageBeep(MB_ICONEXCLAMATION);
      const INT_PTR answer = ShowPrompt();
      if (stopFlag.load() || answer == IDYES || answer == IDCANCEL) {
        AbortFlag.store(true);
        break;
      }
      timeout = std::min<DWORD>(timeout * 2, watchdogPeriods.longest.load());
    }
  }
  return kThreadExitCode;
}

// Creates whatever is missing; a failure leaves the object to the next call,
// and without the thread commands are simply not timed.
void CreateWatchdogObjects() {
  if (!startEvent) startEvent.reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  if (!doneEvent) doneEvent.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!watchdogThread && startEvent && doneEvent) {
    stopFlag.store(false);
    threadEvents = ThreadEvents{startEvent.get(), doneEvent.get()};
    watchdogThread.reset(
        CreateThread(nullptr, 0, WatchdogThread, &threadEvents, 0, nullptr));
  }
}

void PlacePrompt(HWND dialog) {
  HWND layout = promptAnchor.load();
  if (layout == nullptr) return;
  RECT window;
  RECT display;
  HWND displayControl = GetDlgItem(layout, IDC_DISPLAY);
  if (displayControl == nullptr || !GetWindowRect(layout, &window) ||
      !GetWindowRect(displayControl, &display)) {
    return;
  }
  SetWindowPos(dialog, nullptr, window.left + kPromptOffsetX,
               display.bottom + kPromptOffsetY, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void WatchdogArm() {
  CreateWatchdogObjects();
  // A key of a paste: the paste's own period goes on, and an abort chosen
  // during it must survive until a disarm reports it.
  if (armDepth++ > 0) return;
  AbortFlag.store(false);
  promptAnchor.store(LayoutWindow);
  if (doneEvent) ResetEvent(doneEvent.get());
  if (startEvent) SetEvent(startEvent.get());
}

void WatchdogDisarm() {
  CreateWatchdogObjects();
  if (armDepth > 0) --armDepth;
  if (armDepth == 0) {
    if (doneEvent) SetEvent(doneEvent.get());
    // The command is over: the prompt goes away as if "Continue" had been
    // chosen. The send returns once the watchdog thread has handled it.
    if (HWND prompt = promptWindow.load()) {
      SendMessageA(prompt, WM_COMMAND, IDC_PROMPT_CONTINUE, 0);
    }
  }
  if (AbortRequested()) ShowError(ErrIndexAborted);
}

void WatchdogShutdown() {
  stopFlag.store(true);
  if (startEvent) SetEvent(startEvent.get());
  if (doneEvent) SetEvent(doneEvent.get());
  if (watchdogThread) {
    // A prompt keeps the thread in its dialog until it is answered; no
    // command is running now, so answer it rather than wait the full time.
    const DWORD limit = watchdogPeriods.longest.load();
    const DWORD start = GetTickCount();
    for (;;) {
      if (HWND prompt = promptWindow.load()) {
        PostMessageA(prompt, WM_COMMAND, IDC_PROMPT_CONTINUE, 0);
      }
      const DWORD elapsed = GetTickCount() - start;
      if (elapsed >= limit) break;
      const DWORD wait = std::min(kShutdownPollMs, limit - elapsed);
      if (WaitForSingleObject(watchdogThread.get(), wait) != WAIT_TIMEOUT) break;
    }
  }
  // Closed even when the thread has not ended in time.
  watchdogThread.reset();
  doneEvent.reset();
  startEvent.reset();
  armDepth = 0;
}

INT_PTR ShowPrompt() {
  const INT_PTR answer = DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_PROMPT),
                                         nullptr, PromptDialogProc, 0);
  promptWindow.store(nullptr);
  return answer;
}

INT_PTR CALLBACK PromptDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                  LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      promptWindow.store(dialog);
      PlacePrompt(dialog);
      return TRUE;
    case WM_COMMAND:
      // The first answer counts: a disarm's "Continue" that crosses the
      // user's "Stop" does not overwrite it.
      if (promptWindow.exchange(nullptr) == dialog) {
        EndDialog(dialog, LOWORD(wParam));
      }
      return TRUE;
    default:
      return FALSE;
  }
}

HWND WatchdogPromptWindow() { return promptWindow.load(); }

void SetWaitCursor(bool on) {
  if (on) {
    if (savedCursor != nullptr) return;
    savedCursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  } else if (savedCursor != nullptr) {
    SetCursor(savedCursor);
    savedCursor = nullptr;
  }
}
