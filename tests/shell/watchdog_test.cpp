// The long-computation watchdog: its thread and prompt in process, with the
// periods shortened (the only place they ever are), and quib.exe with the
// real 10 seconds, where a long factorial or paste is stopped from the
// prompt.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

#include "arith/settings.h"
#include "engine/state.h"
#include "engine/window.h"
#include "gui_fixture.h"
#include "gui_test_util.h"
#include "shell/shell_state.h"
#include "shell/watchdog.h"

namespace {

using quibtest::QuibApp;

constexpr int32_t kContinue = 4;
constexpr int32_t kStop = 2;

// In process: the prompt's template comes from quib.exe, loaded as data.
class WatchdogThread : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    module_ = LoadLibraryExA(quibtest::QuibExePath().c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE);
    AppInstance = reinterpret_cast<HINSTANCE>(module_);
  }
  static void TearDownTestSuite() {
    AppInstance = nullptr;
    if (module_ != nullptr) FreeLibrary(module_);
    module_ = nullptr;
  }
  void SetUp() override {
    if (!quibtest::HaveDisplay()) GTEST_SKIP() << "no display";
    ASSERT_NE(module_, nullptr) << quibtest::QuibExePath();
    SetPeriods(300, 1200);
    engineState.errorLocked = false;
  }
  void TearDown() override {
    WatchdogShutdown();
    SetPeriods(10000, 40000);
    AbortFlag.store(false);
    engineState.errorLocked = false;
  }

  static void SetPeriods(uint32_t first, uint32_t longest) {
    watchdogPeriods.first.store(first);
    watchdogPeriods.longest.store(longest);
  }

  // Waits for the prompt; nullptr when none opens within `ms`.
  static HWND WaitForPrompt(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
      HWND prompt = WatchdogPromptWindow();
      if (prompt != nullptr && IsWindowVisible(prompt)) return prompt;
      Sleep(5);
    } while (GetTickCount() - start < ms);
    return nullptr;
  }

  static bool WaitUntilClosed(HWND window, DWORD ms = 3000) {
    const DWORD start = GetTickCount();
    while (IsWindow(window)) {
      if (GetTickCount() - start >= ms) return false;
      Sleep(5);
    }
    return true;
  }

  static HMODULE module_;
};

HMODULE WatchdogThread::module_ = nullptr;

TEST_F(WatchdogThread, ShortCommandIsNeverPrompted) {
  WatchdogArm();
  EXPECT_EQ(WaitForPrompt(150), nullptr);
  WatchdogDisarm();
  EXPECT_EQ(WaitForPrompt(500), nullptr);
  EXPECT_FALSE(AbortRequested());
  EXPECT_FALSE(engineState.errorLocked);
}

// Each "Continue" doubles the wait up to the longest period; the time the
// prompt is open does not count.
TEST_F(WatchdogThread, ContinueDoublesTheWaitUpToTheLongest) {
  const DWORD expected[] = {300, 600, 1200, 1200};
  WatchdogArm();
  DWORD since = GetTickCount();
  for (DWORD want : expected) {
    SCOPED_TRACE(want);
    HWND prompt = WaitForPrompt(want + 3000);
    ASSERT_NE(prompt, nullptr);
    const DWORD waited = GetTickCount() - since;
    EXPECT_GE(waited + 20, want);
    EXPECT_LT(waited, want + 1000);
    Sleep(400);  // the prompt stays open a while: not counted
    since = GetTickCount();
    PostMessageA(prompt, WM_COMMAND, kContinue, 0);
    ASSERT_TRUE(WaitUntilClosed(prompt));
  }
  WatchdogDisarm();
  EXPECT_FALSE(AbortRequested());
  EXPECT_FALSE(engineState.errorLocked);
}

// "Stop", Escape and the close box all abort: the flag is set at once, and
// the disarm that ends the command reports it and locks the keypad.
TEST_F(WatchdogThread, StopAnswersSetTheAbortFlag) {
  struct Case {
    const char* name;
    UINT message;
    WPARAM wParam;
  };
  const Case cases[] = {
      {"Stop button", WM_COMMAND, kStop},
      {"Escape", WM_KEYDOWN, VK_ESCAPE},
      {"close box", WM_SYSCOMMAND, SC_CLOSE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    engineState.errorLocked = false;
    WatchdogArm();
    EXPECT_FALSE(AbortRequested());
    HWND prompt = WaitForPrompt(3000);
    ASSERT_NE(prompt, nullptr);
    // Escape goes to the focused button, through the dialog's own loop.
    HWND target = c.message == WM_KEYDOWN ? GetDlgItem(prompt, kContinue) : prompt;
    PostMessageA(target, c.message, c.wParam, 0);
    ASSERT_TRUE(WaitUntilClosed(prompt));
    for (int i = 0; i < 100 && !AbortRequested(); ++i) Sleep(5);
    EXPECT_TRUE(AbortRequested());
    WatchdogDisarm();
    EXPECT_TRUE(engineState.errorLocked);
  }
}

// A command that ends while the prompt is open closes it as "Continue" and
// reports nothing; the next command is timed afresh.
TEST_F(WatchdogThread, EndOfCommandClosesThePrompt) {
  WatchdogArm();
  HWND prompt = WaitForPrompt(3000);
  ASSERT_NE(prompt, nullptr);
  WatchdogDisarm();
  EXPECT_EQ(WatchdogPromptWindow(), nullptr) << "the disarm waits for the answer";
  EXPECT_TRUE(WaitUntilClosed(prompt));
  EXPECT_FALSE(AbortRequested());
  EXPECT_FALSE(engineState.errorLocked);

  const DWORD start = GetTickCount();
  WatchdogArm();
  prompt = WaitForPrompt(3000);
  ASSERT_NE(prompt, nullptr);
  EXPECT_GE(GetTickCount() - start + 20, 300u);
  EXPECT_LT(GetTickCount() - start, 1300u) << "timed with the first period again";
  WatchdogDisarm();
}

// A paste runs its keys as commands nested in the paste command. The paste
// is timed as a whole, and an abort during it reaches the next key's
// disarm, which locks the keypad and so ends the paste.
TEST_F(WatchdogThread, NestedCommandsAreTimedAsOne) {
  WatchdogArm();  // the paste
  HWND prompt = nullptr;
  const DWORD start = GetTickCount();
  while (prompt == nullptr && GetTickCount() - start < 3000) {
    WatchdogArm();  // a key
    Sleep(20);
    WatchdogDisarm();
    prompt = WatchdogPromptWindow();
  }
  ASSERT_NE(prompt, nullptr) << "the keys ended the paste's period";
  EXPECT_GE(GetTickCount() - start + 20, 300u);
  PostMessageA(prompt, WM_COMMAND, kStop, 0);
  ASSERT_TRUE(WaitUntilClosed(prompt));
  for (int i = 0; i < 100 && !AbortRequested(); ++i) Sleep(5);
  WatchdogArm();
  EXPECT_TRUE(AbortRequested()) << "a key's arm keeps the paste's abort";
  EXPECT_FALSE(engineState.errorLocked);
  WatchdogDisarm();
  EXPECT_TRUE(engineState.errorLocked);
  WatchdogDisarm();
  // The next command starts clean.
  engineState.errorLocked = false;
  WatchdogArm();
  EXPECT_FALSE(AbortRequested());
  WatchdogDisarm();
  EXPECT_FALSE(engineState.errorLocked);
}

// A prompt that opened after its command had ended (the thread timed out
// just before the disarm) keeps the thread until it is answered: shutdown
// answers it instead of waiting for the longest period.
TEST_F(WatchdogThread, ShutdownEndsTheThreadEvenWithThePromptOpen) {
  SetPeriods(200, 30000);
  WatchdogArm();
  HWND prompt = WaitForPrompt(3000);
  ASSERT_NE(prompt, nullptr);
  const DWORD start = GetTickCount();
  WatchdogShutdown();
  EXPECT_LT(GetTickCount() - start, 3000u);
  EXPECT_TRUE(WaitUntilClosed(prompt));
  // Nothing left: a second shutdown has nothing to wait for.
  const DWORD again = GetTickCount();
  WatchdogShutdown();
  EXPECT_LT(GetTickCount() - again, 100u);
}

// quib.exe --------------------------------------------------------------------

class WatchdogGui : public quibtest::GuiTest {
 protected:
  // Waits for the prompt of the process; nullptr after `ms`.
  static HWND WaitForPrompt(const QuibApp& app, DWORD ms) {
    const DWORD start = GetTickCount();
    do {
      for (HWND w : quibtest::FindTopWindows(app.processId(), "#32770")) {
        if (GetDlgItem(w, kContinue) != nullptr && GetDlgItem(w, kStop) != nullptr) {
          return w;
        }
      }
      Sleep(20);
    } while (GetTickCount() - start < ms);
    return nullptr;
  }
};

// A factorial that never ends (1e9!: its exact product would take hours)
// brings up the prompt after 10 s,
// beside the layout window; "Stop" ends it at once with the stopped message
// and the keypad locked until C.
TEST_F(WatchdogGui, LongFactorialIsStoppedFromThePrompt) {
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "", quibtest::kScientific));
  app.Type("1x9");
  ASSERT_EQ(app.WaitForDisplay("1.e+9"), "1.e+9");
  const DWORD start = GetTickCount();
  app.Type("!");
  HWND prompt = WaitForPrompt(app, 30000);
  const DWORD waited = GetTickCount() - start;
  ASSERT_NE(prompt, nullptr) << "no prompt";
  EXPECT_GE(waited, 9500u);
  EXPECT_LT(waited, 15000u);
  RecordProperty("prompt_after_ms", static_cast<int>(waited));
  EXPECT_NE(quibtest::StaticTexts(prompt).find("taking a long time"), std::string::npos);

  RECT layout, display, box;
  GetWindowRect(app.window(), &layout);
  GetWindowRect(app.Control(403), &display);
  GetWindowRect(prompt, &box);
  EXPECT_EQ(box.left, layout.left + 15);
  EXPECT_EQ(box.top, display.bottom + 40);
  Screenshot(prompt, "watchdog_prompt.png");

  const DWORD stop = GetTickCount();
  PostMessageA(GetDlgItem(prompt, kStop), BM_CLICK, 0, 0);
  EXPECT_EQ(app.WaitForDisplay("Calculation stopped", 5000), "Calculation stopped");
  EXPECT_LT(GetTickCount() - stop, 5000u);
  EXPECT_FALSE(IsWindow(prompt));
  ASSERT_TRUE(app.Focus());
  app.Type("5");
  app.Settle();
  EXPECT_EQ(app.Display(), "Calculation stopped") << "the keypad is locked";
  app.Press(VK_ESCAPE);
  EXPECT_EQ(app.WaitForDisplay("0."), "0.");
  app.Type("5");
  EXPECT_EQ(app.WaitForDisplay("5."), "5.");
  EXPECT_EQ(app.Close(), 0);
}

// 1,000 pasted characters cost 20 s of key flashes. The paste is one
// command to the watchdog: its prompt opens after 10 s and closes by itself
// when the paste ends.
TEST_F(WatchdogGui, ThousandCharacterPasteClosesItsOwnPrompt) {
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "", quibtest::kStandard));
  std::string text;
  for (int i = 0; i < 499; ++i) text += "1+";
  text += "1=";
  ASSERT_EQ(text.size(), 1000u);
  ASSERT_TRUE(quibtest::SetClipboardText(text));
  const DWORD start = GetTickCount();
  app.Press('V', false, /*control=*/true);
  HWND prompt = WaitForPrompt(app, 30000);
  ASSERT_NE(prompt, nullptr) << "no prompt during the paste";
  EXPECT_GE(GetTickCount() - start, 9500u);
  EXPECT_EQ(app.WaitForDisplay("500.", 60000), "500.");
  const DWORD elapsed = GetTickCount() - start;
  RecordProperty("paste_1000_ms", static_cast<int>(elapsed));
  std::printf("pasting 1000 characters took %lu ms\n", static_cast<unsigned long>(elapsed));
  EXPECT_GE(elapsed, 20000u);
  EXPECT_LT(elapsed, 60000u);
  for (int i = 0; i < 100 && IsWindow(prompt); ++i) Sleep(20);
  EXPECT_FALSE(IsWindow(prompt)) << "the end of the paste closes the prompt";
  EXPECT_EQ(app.Text(401), "");
  quibtest::SetClipboardBytes("");
  EXPECT_EQ(app.Close(), 0);
}

// A megabyte of digits would flash for hours: Escape in the prompt stops
// the paste; the calculator is usable again after C.
TEST_F(WatchdogGui, EndlessPasteIsStoppedWithEscape) {
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "", quibtest::kScientific));
  ASSERT_TRUE(quibtest::SetClipboardBytes(std::string(1 << 20, '1')));
  app.Press('V', false, /*control=*/true);
  HWND prompt = WaitForPrompt(app, 30000);
  ASSERT_NE(prompt, nullptr);
  const DWORD start = GetTickCount();
  while (GetForegroundWindow() != prompt && GetTickCount() - start < 5000) {
    SetForegroundWindow(prompt);
    Sleep(50);
  }
  app.Press(VK_ESCAPE);
  EXPECT_EQ(app.WaitForDisplay("Calculation stopped", 5000), "Calculation stopped");
  EXPECT_FALSE(IsWindow(prompt));
  quibtest::SetClipboardBytes("");
  ASSERT_TRUE(app.Focus());
  app.Press(VK_ESCAPE);
  app.Type("7");
  EXPECT_EQ(app.WaitForDisplay("7."), "7.");
  EXPECT_EQ(app.Close(), 0);
}

// The close command that arrives during a long command is handled once the
// command has been stopped: the program ends without waiting for the
// watchdog.
TEST_F(WatchdogGui, ClosingAfterAStoppedCommandEndsPromptly) {
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "", quibtest::kScientific));
  app.Type("1x9!");
  HWND prompt = WaitForPrompt(app, 30000);
  ASSERT_NE(prompt, nullptr);
  PostMessageA(app.window(), WM_SYSCOMMAND, SC_CLOSE, 0);
  const DWORD start = GetTickCount();
  PostMessageA(prompt, WM_COMMAND, kStop, 0);
  EXPECT_EQ(app.WaitForExit(40000), 0);
  EXPECT_LT(GetTickCount() - start, 10000u);
}

}  // namespace
