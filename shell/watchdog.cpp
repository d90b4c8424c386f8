#include "shell/watchdog.h"

#include <windows.h>

#include "arith/error.h"
#include "arith/settings.h"
#include "engine/display.h"
#include "engine/window.h"

namespace {

HCURSOR savedCursor = nullptr;

}  // namespace

void WatchdogArm() { AbortFlag.store(false, std::memory_order_relaxed); }

void WatchdogDisarm() {
  if (AbortFlag.load(std::memory_order_relaxed)) ShowError(ErrIndexAborted);
}

void WatchdogShutdown() {}

void SetWaitCursor(bool on) {
  if (on) {
    if (savedCursor != nullptr) return;
    savedCursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  } else if (savedCursor != nullptr) {
    SetCursor(savedCursor);
    savedCursor = nullptr;
  }
}
