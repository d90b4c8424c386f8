// quib.exe under a random monkey, and a long session watched for leaks.
//
// The monkey drives the real program with a seeded random sequence of what a
// user can do: button clicks and mouse clicks on keys, radio buttons and
// check boxes, typed accelerator keys, Copy, Paste of short random texts,
// menu commands, layout switches, the statistics box opened, used and
// closed, About and help opened and closed again. After every batch it
// checks that the process lives and answers, that the display shows a
// number of the current radix, the open parentheses or one of the
// calculator's messages, and that
// C brings back a working calculator (2+3= gives 5).
//
// Environment (all optional):
//   QUIB_MONKEY_SEED     seed of the sequence (default: from the clock)
//   QUIB_MONKEY_ACTIONS  actions to run (default 20000)
//   QUIB_MONKEY_SECONDS  stop earlier after this many seconds (default 120;
//                        0: no limit)
//   QUIB_LEAK_SWITCHES   layout switches of the leak test (default 100)
//   QUIB_LEAK_KEYS       keys of the leak test (default 1000)
// The seed is printed at the start; on a failure the seed, the action count
// and the last actions are printed. The whole action log, with the time of
// each action, is written to monkey_log.txt in the artifacts folder. The same seed makes the same
// random choices, so a failure replays with its seed and action count
// (where an action depends on what the program shows, such as which keys are
// enabled, the log tells what was done).
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/commands.h"
#include "engine/messages.h"
#include "gui_fixture.h"
#include "gui_test_util.h"

namespace {

using quibtest::QuibApp;

constexpr int32_t kBatch = 100;

// Keys by the engine's command table; indicators, menu items and dialog
// items by their identifiers.
constexpr int32_t Key(CommandId id) { return static_cast<int32_t>(id); }
constexpr int32_t kClear = Key(CmdClear);
constexpr int32_t kStatisticsKey = Key(CmdStatistics);
constexpr int32_t kAdd = Key(CmdAdd);
constexpr int32_t kEquals = Key(CmdEquals);
constexpr int32_t kDigit2 = Key(CmdDigit2);
constexpr int32_t kDigit3 = Key(CmdDigit3);
constexpr int32_t kBin = Key(CmdBin), kOct = Key(CmdOct), kDec = Key(CmdDec), kHex = Key(CmdHex);
constexpr int32_t kMemoryIndicator = 401;
constexpr int32_t kParenIndicator = 402;
constexpr int32_t kCopyItem = 300, kPasteItem = 301, kAboutItem = 302;
constexpr int32_t kScientificItem = 303, kStandardItem = 304, kHelpItem = 305;
constexpr int32_t kStatDelete = 404, kStatClearAll = 405, kStatList = 407;
constexpr int32_t kStatLoad = 410, kStatReturn = 411;
constexpr int32_t kPromptStop = 2;


int64_t EnvInt(const char* name, int64_t fallback) {
  char value[64] = {};
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  if (n == 0 || n >= sizeof value) return fallback;
  return std::strtoll(value, nullptr, 10);
}

// A number as the display shows it in `radix`: an optional minus, digits of
// the radix with at most one point, and an optional exponent (also while
// its digits are being typed).
bool IsNumberOf(const std::string& text, int32_t radix) {
  static const std::string kDigits = "0123456789ABCDEF";
  size_t i = 0;
  if (i < text.size() && text[i] == '-') ++i;
  size_t digits = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    const size_t d = kDigits.find(c);
    if (d != std::string::npos && d < static_cast<size_t>(radix)) {
      ++digits;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) return false;
  if (i == text.size()) return true;
  if (radix != 10 || text[i] != 'e') return false;
  ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

// One of the calculator's messages, or the open parentheses that an opening
// parenthesis shows (one "(" per open level, in either layout: a paste
// reaches the parentheses of the standard layout too).
bool IsMessage(const std::string& text) {
  for (uint32_t i = 0; i < kErrorMessageCount; ++i) {
    const char* m = ErrorMessage(i);
    if (text == m) return true;
  }
  return !text.empty() && text.size() <= 25 && text.find_first_not_of('(') == std::string::npos;
}

// Visible dialogs (class #32770) of the process.
std::vector<HWND> Dialogs(DWORD processId) {
  return quibtest::FindTopWindows(processId, "#32770");
}

std::string Caption(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

HWND StatisticsBox(DWORD processId) {
  for (HWND w : Dialogs(processId)) {
    if (Caption(w) == "Statistics") return w;
  }
  return nullptr;
}

void WaitUntilGone(HWND window, DWORD ms = 5000) {
  const DWORD start = GetTickCount();
  while (IsWindow(window) && IsWindowVisible(window) && GetTickCount() - start < ms) {
    Sleep(10);
  }
}

class Monkey {
 public:
  Monkey(QuibApp& app, uint32_t seed) : app_(app), rng_(seed) {}

  // One random action, logged; false (with the reason in `why`) when the
  // program was found dead or hanging before it.
  bool Act(std::string& why);
  // The checks after a batch; false with the reason in `why`.
  bool Check(std::string& why);

  int64_t actions() const { return actions_; }
  int64_t switches() const { return switches_; }
  int64_t pastes() const { return pastes_; }
  int64_t stopped() const { return stopped_; }
  const std::vector<std::string>& log() const { return log_; }
  // The last `n` lines of the log.
  std::string Tail(size_t n) const {
    std::string out;
    const size_t first = log_.size() > n ? log_.size() - n : 0;
    for (size_t i = first; i < log_.size(); ++i) out += "  " + log_[i] + "\n";
    return out;
  }

 private:
  uint32_t Below(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(rng_); }
  bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng_) < p; }
  // One line: the action's number, the milliseconds since the start, what.
  void Log(const std::string& what) {
    log_.push_back(std::to_string(actions_) + " " + std::to_string(GetTickCount() - start_) +
                   " " + what);
  }

  bool Scientific() const { return app_.Control(kBin) != nullptr; }
  // Follows the layout window through a layout switch made in any way
  // (without waiting when there is no new window).
  void FollowWindow() {
    for (HWND w : quibtest::FindTopWindows(app_.processId(), "SciQuib")) {
      if (w != app_.window()) {
        app_.WaitForNewWindow(app_.window(), 0);
        return;
      }
    }
  }
  // An enabled control among the keys, radio buttons and check boxes.
  int32_t RandomControl();
  void FocusMostly() {
    if (Chance(0.9)) app_.Focus();
  }

  void ClickKey(bool mouse);
  void TypeKey();
  void PressKey();
  void ControlKey();
  void Copy();
  void Paste();
  void SwitchLayout();
  void UseStatisticsBox();
  void About();
  void Help();
  // Closes dialogs other than the statistics box: the watchdog's question is
  // answered with Stop, message boxes with OK. An unknown error is a failure.
  bool CloseStrayDialogs(std::string& why);
  // The process lives and its window answers, at once or, after any long
  // computation has been stopped, within a minute.
  bool Responsive(std::string& why);

  QuibApp& app_;
  std::mt19937 rng_;
  DWORD start_ = GetTickCount();
  std::vector<std::string> log_;
  int64_t actions_ = 0;
  int64_t switches_ = 0;
  int64_t pastes_ = 0;
  int64_t stopped_ = 0;
};

int32_t Monkey::RandomControl() {
  for (int attempt = 0; attempt < 20; ++attempt) {
    const int32_t id = 80 + static_cast<int32_t>(Below(69));  // 80 to 148
    if (app_.Enabled(id)) return id;
  }
  return kClear;
}

void Monkey::ClickKey(bool mouse) {
  const int32_t id = RandomControl();
  if (mouse && StatisticsBox(app_.processId()) == nullptr) {
    Log("mouse " + std::to_string(id));
    app_.MouseClick(id);
  } else {
    Log("click " + std::to_string(id));
    app_.Click(id);
  }
}

void Monkey::TypeKey() {
  static const std::string kChars =
      "0123456789!#@/*%-=+&|~^();<.,abcdefABCDEFsotrymnlvxihp";
  std::string text;
  const uint32_t n = 1 + Below(4);
  for (uint32_t i = 0; i < n; ++i) text += kChars[Below(static_cast<uint32_t>(kChars.size()))];
  FocusMostly();
  Log("type \"" + text + "\"");
  app_.Type(text);
}

void Monkey::PressKey() {
  static constexpr std::array<WORD, 17> kKeys = {
      VK_ESCAPE, VK_DELETE, VK_BACK, VK_LEFT, VK_RETURN, VK_F2, VK_F3, VK_F4, VK_F5,
      VK_F6,     VK_F7,     VK_F8,   VK_F9,   VK_INSERT, VK_ADD, VK_ESCAPE, VK_RETURN};
  const WORD vk = kKeys[Below(kKeys.size())];
  FocusMostly();
  Log("press vk " + std::to_string(vk));
  app_.Press(vk);
}

void Monkey::ControlKey() {
  // MS, M+, MC, mean, sum, statistics box.
  static constexpr char kLetters[] = "MPLATS";
  const char c = kLetters[Below(6)];
  FocusMostly();
  Log(std::string("ctrl+") + c);
  app_.Press(static_cast<WORD>(c), false, /*control=*/true);
}

void Monkey::Copy() {
  FocusMostly();
  switch (Below(3)) {
    case 0:
      Log("copy ctrl+c");
      app_.Press('C', false, true);
      break;
    case 1:
      Log("copy ctrl+insert");
      app_.Press(VK_INSERT, false, true);
      break;
    default:
      Log("copy menu");
      PostMessageA(app_.window(), WM_COMMAND, kCopyItem, 0);
      break;
  }
}

void Monkey::Paste() {
  static const std::string kChars =
      "0123456789abcdefABCDEF+-*/=%()^&|~<>!@#;.,:mMrRcCpPqQeExXsSoOtTlLnNiIhHdD \t\r\n";
  std::string text;
  const uint32_t n = Below(9);
  for (uint32_t i = 0; i < n; ++i) text += kChars[Below(static_cast<uint32_t>(kChars.size()))];
  std::string shown;
  for (char c : text) shown += c == '\t' ? "\\t" : c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
  quibtest::SetClipboardText(text);
  ++pastes_;
  FocusMostly();
  switch (Below(3)) {
    case 0:
      Log("paste ctrl+v \"" + shown + "\"");
      app_.Press('V', false, true);
      break;
    case 1:
      Log("paste shift+insert \"" + shown + "\"");
      app_.Press(VK_INSERT, true, false);
      break;
    default:
      Log("paste menu \"" + shown + "\"");
      PostMessageA(app_.window(), WM_COMMAND, kPasteItem, 0);
      break;
  }
  // Each pasted key flashes for 20 ms: let it finish before the next action.
  app_.Settle();
}

void Monkey::SwitchLayout() {
  const bool toScientific = Chance(0.5);
  const HWND old = app_.window();
  const bool change = toScientific != Scientific();
  app_.Focus();
  switch (Below(3)) {
    case 0:
      Log(toScientific ? "layout ctrl+r" : "layout ctrl+d");
      app_.Press(toScientific ? 'R' : 'D', false, true);
      break;
    case 1:
      Log(toScientific ? "layout menu scientific" : "layout menu standard");
      PostMessageA(old, WM_COMMAND, toScientific ? kScientificItem : kStandardItem, 0);
      break;
    default: {
      // The picture beside the display switches to the other layout.
      const int32_t picture = Scientific() ? kStandardItem : kScientificItem;
      Log("layout picture " + std::to_string(picture));
      if (app_.Control(picture) == nullptr) return;
      app_.Click(picture);
      if (app_.WaitForNewWindow(old, 5000)) ++switches_;
      return;
    }
  }
  // No switch while an error locks the keypad, or when the keys went to
  // another window.
  if (change && app_.WaitForNewWindow(old, 5000)) ++switches_;
}

void Monkey::UseStatisticsBox() {
  HWND box = StatisticsBox(app_.processId());
  if (box == nullptr) {
    Log("open statistics");
    app_.Click(kStatisticsKey);
    return;
  }
  switch (Below(6)) {
    case 0:
      Log("statistics load");
      SendMessageTimeoutA(GetDlgItem(box, kStatLoad), BM_CLICK, 0, 0, SMTO_NORMAL, 10000, nullptr);
      break;
    case 1:
      Log("statistics delete");
      SendMessageTimeoutA(GetDlgItem(box, kStatDelete), BM_CLICK, 0, 0, SMTO_NORMAL, 10000, nullptr);
      break;
    case 2:
      Log("statistics clear all");
      SendMessageTimeoutA(GetDlgItem(box, kStatClearAll), BM_CLICK, 0, 0, SMTO_NORMAL, 10000,
                          nullptr);
      break;
    case 3: {
      const uint32_t index = Below(5);
      Log("statistics select " + std::to_string(index));
      HWND list = GetDlgItem(box, kStatList);
      SendMessageTimeoutA(list, LB_SETCURSEL, index, 0, SMTO_NORMAL, 10000, nullptr);
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(kStatList, LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(list));
      break;
    }
    case 4:
      Log("statistics return");
      SendMessageTimeoutA(GetDlgItem(box, kStatReturn), BM_CLICK, 0, 0, SMTO_NORMAL, 10000,
                          nullptr);
      break;
    default:
      Log("statistics close");
      PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
      WaitUntilGone(box);
      break;
  }
}

void Monkey::About() {
  app_.Focus();
  if (Chance(0.5)) {
    Log("about ctrl+shift+k");
    app_.Press('K', true, true);
  } else {
    Log("about menu");
    PostMessageA(app_.window(), WM_COMMAND, kAboutItem, 0);
  }
  HWND about = quibtest::WaitForDialog(app_.processId(), "Quib", 5000, true);
  if (about == nullptr) return;
  PostMessageA(about, WM_COMMAND, IDOK, 0);
  WaitUntilGone(about);
}

void Monkey::Help() {
  app_.Focus();
  if (Chance(0.5)) {
    Log("help f1");
    app_.Press(VK_F1);
  } else {
    Log("help menu");
    PostMessageA(app_.window(), WM_COMMAND, kHelpItem, 0);
  }
  for (int i = 0; i < 150; ++i) {
    const std::vector<HWND> help = quibtest::FindTopWindows(app_.processId(), "HH Parent");
    if (!help.empty()) {
      PostMessageA(help.front(), WM_CLOSE, 0, 0);
      WaitUntilGone(help.front());
      return;
    }
    Sleep(20);
  }
}

bool Monkey::Act(std::string& why) {
  if (!Responsive(why)) return false;
  const uint32_t roll = Below(1000);
  if (roll < 380) {
    ClickKey(false);
  } else if (roll < 420) {
    ClickKey(true);
  } else if (roll < 680) {
    TypeKey();
  } else if (roll < 820) {
    PressKey();
  } else if (roll < 860) {
    ControlKey();
  } else if (roll < 880) {
    Copy();
  } else if (roll < 920) {
    Paste();
  } else if (roll < 925) {
    SwitchLayout();
  } else if (roll < 997) {
    UseStatisticsBox();
  } else if (roll < 999) {
    About();
  } else {
    Help();
  }
  ++actions_;
  return true;
}

bool Monkey::CloseStrayDialogs(std::string& why) {
  for (HWND w : Dialogs(app_.processId())) {
    const std::string caption = Caption(w);
    if (caption == "Statistics") continue;
    const std::string texts = quibtest::StaticTexts(w);
    if (texts.find("unknown error") != std::string::npos) {
      why = "an unknown error was reported: " + texts;
      return false;
    }
    if (texts.find("taking a long time") != std::string::npos) {
      Log("watchdog: stop");
      ++stopped_;
      PostMessageA(w, WM_COMMAND, kPromptStop, 0);
    } else {
      Log("dialog \"" + caption + "\": " + texts);
      PostMessageA(w, WM_COMMAND, IDOK, 0);
    }
    WaitUntilGone(w);
  }
  return true;
}

bool Monkey::Responsive(std::string& why) {
  const int32_t code = app_.WaitForExit(0);
  if (code != -1) {
    why = "quib.exe ended with exit code " + std::to_string(code);
    return false;
  }
  DWORD_PTR result = 0;
  // Only a layout switch replaces the window (and destroys the old one).
  if (!IsWindow(app_.window())) FollowWindow();
  if (SendMessageTimeoutA(app_.window(), WM_NULL, 0, 0, SMTO_NORMAL, 100, &result)) return true;
  // Busy: a paste still replaying, or a long computation, which is stopped
  // through the watchdog's question as a user would. It must answer within
  // a minute.
  const DWORD start = GetTickCount();
  for (;;) {
    if (!CloseStrayDialogs(why)) return false;
    FollowWindow();
    if (!IsWindow(app_.window())) {
      why = "the layout window is gone";
      return false;
    }
    if (SendMessageTimeoutA(app_.window(), WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result)) {
      return true;
    }
    if (app_.WaitForExit(0) != -1 || GetTickCount() - start > 60000) {
      why = app_.WaitForExit(0) != -1 ? "quib.exe ended while busy"
                                      : "the window does not answer for a minute";
      return false;
    }
  }
}

bool Monkey::Check(std::string& why) {
  if (!Responsive(why)) return false;
  app_.Settle();
  if (!CloseStrayDialogs(why)) return false;
  FollowWindow();
  if (!IsWindow(app_.window())) {
    why = "the layout window is gone";
    return false;
  }

  int32_t radix = 10;
  if (Scientific()) {
    if (app_.Checked(kBin)) radix = 2;
    if (app_.Checked(kOct)) radix = 8;
    if (app_.Checked(kHex)) radix = 16;
  }
  const std::string display = app_.Display();
  if (!IsNumberOf(display, radix) && !IsMessage(display)) {
    why = "the display shows \"" + display + "\" in radix " + std::to_string(radix);
    return false;
  }
  const std::string memory = app_.Text(kMemoryIndicator);
  if (app_.Control(kMemoryIndicator) != nullptr && memory != "" && memory != " M") {
    why = "the memory indicator shows \"" + memory + "\"";
    return false;
  }
  const std::string parens = app_.Text(kParenIndicator);
  if (app_.Control(kParenIndicator) != nullptr && !parens.empty() &&
      parens.rfind("(=", 0) != 0) {
    why = "the parenthesis indicator shows \"" + parens + "\"";
    return false;
  }

  // C brings back a working calculator. Typed keys still on their way may
  // arrive in between (clicks overtake them), so the user tries up to three
  // times, as a person would after a stray key.
  std::string result;
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (attempt > 0) Sleep(300);
    app_.Settle();
    Log("check: decimal, C, 2+3=");
    if (Scientific()) app_.Click(kDec);
    for (int32_t key : {kClear, kDigit2, kAdd, kDigit3, kEquals}) app_.Click(key);
    // 5 as the fixed or the scientific display shows it.
    const DWORD start = GetTickCount();
    result = app_.Display();
    while (result != "5." && result != "5.e+0" && GetTickCount() - start < 1000) {
      Sleep(10);
      result = app_.Display();
    }
    if (result == "5." || result == "5.e+0") break;
    Log("check: C, 2+3= gives \"" + result + "\"");
  }
  if (result != "5." && result != "5.e+0") {
    why = "C, 2+3= gives \"" + result + "\"";
    return false;
  }
  return true;
}

class MonkeyGui : public quibtest::GuiTest {
 protected:
  void TearDown() override {
    quibtest::SetClipboardBytes("");
    GuiTest::TearDown();
  }
};

TEST_F(MonkeyGui, RandomActionsLeaveAWorkingCalculator) {
  const uint32_t seed = static_cast<uint32_t>(
      EnvInt("QUIB_MONKEY_SEED", static_cast<int64_t>(GetTickCount() ^ GetCurrentProcessId())));
  const int64_t wanted = EnvInt("QUIB_MONKEY_ACTIONS", 20000);
  const int64_t seconds = EnvInt("QUIB_MONKEY_SECONDS", 120);
  std::printf("monkey: seed %s, up to %s actions, up to %s s\n", std::to_string(seed).c_str(),
              std::to_string(wanted).c_str(), std::to_string(seconds).c_str());
  std::fflush(stdout);
  RecordProperty("seed", std::to_string(seed));

  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "", seed % 2 == 0 ? quibtest::kScientific : quibtest::kStandard));
  Monkey monkey(app, seed);
  const DWORD start = GetTickCount();
  std::string why;
  bool ok = true;
  while (ok && monkey.actions() < wanted) {
    if (seconds > 0 && GetTickCount() - start > static_cast<DWORD>(seconds) * 1000) break;
    for (int32_t i = 0; ok && i < kBatch && monkey.actions() < wanted; ++i) {
      ok = monkey.Act(why);
    }
    if (ok) ok = monkey.Check(why);
  }
  const std::string summary =
      "monkey: seed " + std::to_string(seed) + ", " + std::to_string(monkey.actions()) +
      " actions in " + std::to_string((GetTickCount() - start) / 1000) + " s (" +
      std::to_string(monkey.switches()) + " layout switches, " +
      std::to_string(monkey.pastes()) + " pastes, " + std::to_string(monkey.stopped()) +
      " long computations stopped)";
  std::printf("%s\n", summary.c_str());
  RecordProperty("actions", std::to_string(monkey.actions()));
  {
    std::ofstream file(quibtest::ArtifactsDir() + "\\monkey_log.txt");
    for (const std::string& line : monkey.log()) file << line << "\n";
  }
  if (!ok) {
    // A screenshot repaints the window: only of one that still answers.
    DWORD_PTR answer = 0;
    const bool answers = IsWindow(app.window()) &&
                         SendMessageTimeoutA(app.window(), WM_NULL, 0, 0, SMTO_NORMAL, 2000, &answer);
    if (answers) Screenshot(app.window(), "monkey_failure.png");
    FAIL() << why << "\nreplay: QUIB_MONKEY_SEED=" << seed
           << " QUIB_MONKEY_ACTIONS=" << monkey.actions()
           << " (whole log in monkey_log.txt)\nlast actions:\n"
           << monkey.Tail(2 * kBatch);
  }
  EXPECT_EQ(app.Close(), 0);
}

// The process's GDI and USER objects and its handles, or 0 where the
// platform does not report them (Wine's GetGuiResources is a stub).
struct Resources {
  DWORD gdi = 0;
  DWORD user = 0;
  DWORD handles = 0;
};

Resources Measure(DWORD processId) {
  Resources r;
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
  if (process == nullptr) return r;
  r.gdi = GetGuiResources(process, GR_GDIOBJECTS);
  r.user = GetGuiResources(process, GR_USEROBJECTS);
  if (!GetProcessHandleCount(process, &r.handles)) r.handles = 0;
  CloseHandle(process);
  return r;
}

std::string Show(const Resources& r) {
  return "GDI " + std::to_string(r.gdi) + ", USER " + std::to_string(r.user) + ", handles " +
         std::to_string(r.handles);
}

// A long session: layout switches with keys between them. The counts after
// a warm-up are the baseline; at the end they may differ by a few objects
// (the clipboard, a cached brush) but must not grow with the session.
TEST_F(MonkeyGui, NoObjectOrHandleLeaksOverALongSession) {
  const int64_t switches = EnvInt("QUIB_LEAK_SWITCHES", 100);
  const int64_t keys = EnvInt("QUIB_LEAK_KEYS", 1000);
  const int64_t keysPerSwitch = switches > 0 ? keys / switches : keys;
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "", quibtest::kScientific));

  static constexpr std::array<int32_t, 16> kKeys = {
      124, 125, 126, 127, 131, 133, 85, 92, 93, 91, 90, 112, 80, 83, 82, 81};
  std::mt19937 rng(1);
  bool scientific = true;
  const auto session = [&](int64_t n) {
    for (int64_t s = 0; s < n; ++s) {
      for (int64_t k = 0; k < keysPerSwitch; ++k) {
        app.Click(kKeys[rng() % kKeys.size()]);
      }
      if (scientific) {
        app.Click(kStatisticsKey);  // the box opens and closes with the layout
        app.Click(kHex);
        app.Click(kDec);
      }
      // An error locks the keypad, the layout commands too: C first.
      app.Click(kClear);
      const HWND old = app.window();
      PostMessageA(old, WM_COMMAND, scientific ? kStandardItem : kScientificItem, 0);
      ASSERT_TRUE(app.WaitForNewWindow(old)) << "switch " << s;
      scientific = !scientific;
      if (HWND box = StatisticsBox(app.processId())) {
        PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
        WaitUntilGone(box);
      }
    }
    app.Settle();
  };

  ASSERT_NO_FATAL_FAILURE(session(10));
  const Resources before = Measure(app.processId());
  ASSERT_NO_FATAL_FAILURE(session(switches));
  const Resources after = Measure(app.processId());
  const std::string summary = "leaks: after the warm-up " + Show(before) + "; after " +
                              std::to_string(switches) + " switches and " +
                              std::to_string(keysPerSwitch * switches) + " keys " + Show(after);
  std::printf("%s\n", summary.c_str());
  RecordProperty("before", Show(before));
  RecordProperty("after", Show(after));
  constexpr DWORD kSlack = 8;
  if (before.gdi == 0 && before.user == 0) {
    std::printf("leaks: GDI and USER object counts are not reported here\n");
  }
  if (before.handles == 0) std::printf("leaks: the handle count is not reported here\n");
  EXPECT_LE(after.gdi, before.gdi + kSlack);
  EXPECT_LE(after.user, before.user + kSlack);
  EXPECT_LE(after.handles, before.handles + kSlack);
  EXPECT_EQ(app.Close(), 0);
}

}  // namespace
