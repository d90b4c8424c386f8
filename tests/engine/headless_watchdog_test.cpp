// The headless window's watchdog: a paste is one timed period, as in the
// program, so an abort is not lost between two of its keys.
#include <gtest/gtest.h>

#include "arith/settings.h"
#include "engine/dispatch.h"
#include "engine/engine_test_util.h"
#include "engine/messages.h"

namespace {

int keysSent = 0;

// Sends pasted keys as the window does; after the second one the abort is
// raised, as Ctrl-C or the watchdog's Stop would raise it between two keys.
void SendAndAbortAfterTheSecondKey(CommandId id) {
  HeadlessWindowCommand(id);
  if (++keysSent == 2) AbortFlag.store(true);
}

TEST(HeadlessWatchdogTest, AnAbortBetweenPastedKeysStopsThePaste) {
  StartEngine();
  keysSent = 0;
  headless.sendCommand = SendAndAbortAfterTheSecondKey;
  headless.clipboard = "1+2+3=";
  ExecuteCommand(CmdPaste);
  // The third key started with the flag up and was stopped; no more keys.
  EXPECT_EQ(keysSent, 3);
  EXPECT_TRUE(engineState.errorLocked);
  EXPECT_EQ(Display(), ErrorMessage(5));
  EXPECT_EQ(headless.armDepth, 0);

  // The next command starts a new period with the flag down.
  headless.sendCommand = nullptr;
  ExecuteCommand(CmdClear);
  EXPECT_FALSE(AbortFlag.load());
  Type("2+3=");
  EXPECT_EQ(Shown(), "5");
}

}  // namespace
