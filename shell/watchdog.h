// The long-computation watchdog and the wait cursor (the engine's side of
// both is in engine/window.h).
//
// This version times nothing: no watchdog thread is started, so a long
// computation cannot be aborted from the user interface. WatchdogArm still
// clears the AbortFlag before each command and WatchdogDisarm reports an
// abort, so the engine sees the same sequence of calls as with the thread.
#pragma once

// Ends the watchdog at program exit.
void WatchdogShutdown();
