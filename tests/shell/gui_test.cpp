// quib.exe as a user meets it: the real program started out of process in
// the test's Wine prefix, its window found by class, keys clicked, keys
// typed, the display read back. Screenshots of both layouts and of the
// statistics box are written to the artifacts folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "gui_fixture.h"
#include "gui_test_util.h"

namespace {

using quibtest::Capture;
using quibtest::QuibApp;

using quibtest::kScientific;
using quibtest::kStandard;

// Colour classes of caption pixels; anti-aliased edges of thin glyphs are
// pale, so the test is on hue, not on the exact value.
bool Above(int a, int b) { return a - b > 60; }
bool IsBlue(uint8_t r, uint8_t g, uint8_t b) { return Above(b, r) && Above(b, g); }
bool IsRed(uint8_t r, uint8_t g, uint8_t b) { return Above(r, g) && Above(r, b); }
bool IsMagenta(uint8_t r, uint8_t g, uint8_t b) {
  return Above(r, g) && Above(b, g) && std::abs(r - b) < 60;
}
bool IsSaturated(uint8_t r, uint8_t g, uint8_t b) {
  return IsBlue(r, g, b) || IsRed(r, g, b) || IsMagenta(r, g, b);
}

class Gui : public quibtest::GuiTest {};

// 2 + 3 x 4 = through three kinds of input: button clicks, mouse clicks and
// the keyboard (characters translated by the accelerator table).
TEST_F(Gui, ScientificLayoutHonoursPrecedence) {
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "", kScientific));
  EXPECT_EQ(app.Display(), "0.");

  for (int32_t key : {126, 92, 127, 91, 128, 112}) app.Click(key);
  EXPECT_EQ(app.WaitForDisplay("14."), "14.");

  app.Press(VK_ESCAPE);
  EXPECT_EQ(app.WaitForDisplay("0."), "0.");
  for (int32_t key : {126, 92, 127, 91, 128}) app.MouseClick(key);
  EXPECT_EQ(app.WaitForDisplay("4."), "4.");
  app.MouseClick(112);
  EXPECT_EQ(app.WaitForDisplay("14."), "14.");

  app.Press(VK_ESCAPE);
  app.Type("2+3*4=");
  EXPECT_EQ(app.WaitForDisplay("14."), "14.");
  app.Press(VK_ESCAPE);
  app.Type("2+3*4");
  app.Press(VK_RETURN);
  EXPECT_EQ(app.WaitForDisplay("14."), "14.");
  Screenshot(app.window(), "scientific.png");
  EXPECT_EQ(app.Close(), 0);
}

TEST_F(Gui, StandardLayoutEvaluatesLeftToRight) {
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "", kStandard));
  EXPECT_EQ(app.Control(143), nullptr) << "no radix buttons in the standard layout";
  for (int32_t key : {126, 92, 127, 91, 128, 112}) app.Click(key);
  EXPECT_EQ(app.WaitForDisplay("20."), "20.");
  app.Press(VK_ESCAPE);
  app.Type("2+3*4=");
  EXPECT_EQ(app.WaitForDisplay("20."), "20.");
  Screenshot(app.window(), "standard.png");

  // 1/x is blue here (magenta in the scientific layout).
  const Capture capture = quibtest::CaptureWindow(app.window());
  EXPECT_GT(capture.Count(app.Control(107), IsBlue), 0);
  EXPECT_EQ(capture.Count(app.Control(107), IsMagenta), 0);
  EXPECT_EQ(app.Close(), 0);
}

TEST_F(Gui, KeysArePaintedInTheirColoursAndDisabledKeysGrey) {
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "", kScientific));
  Capture capture = quibtest::CaptureWindow(app.window());
  struct Case {
    int32_t key;
    bool (*colour)(uint8_t, uint8_t, uint8_t);
  };
  const Case cases[] = {
      {131, IsBlue},    {85, IsBlue},     {84, IsBlue},  {81, IsRed},
      {92, IsRed},      {113, IsRed},     {98, IsMagenta}, {107, IsMagenta},
      {95, IsMagenta},  {122, IsMagenta},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_TRUE(app.Enabled(c.key));
    EXPECT_GT(capture.Count(app.Control(c.key), c.colour), 0);
  }
  // Hex digits and the statistics keys are disabled in decimal: grey.
  for (int32_t key : {134, 139, 118, 121}) {
    SCOPED_TRACE(key);
    EXPECT_FALSE(app.Enabled(key));
    EXPECT_EQ(capture.Count(app.Control(key), IsSaturated), 0);
  }
  app.Press(VK_F5);
  ASSERT_TRUE(app.WaitForCheck(143, true));
  app.Settle();
  Sleep(200);
  capture = quibtest::CaptureWindow(app.window());
  EXPECT_GT(capture.Count(app.Control(134), IsBlue), 0);
  EXPECT_EQ(capture.Count(app.Control(98), IsSaturated), 0) << "sin is grey in hex";
  EXPECT_EQ(app.Close(), 0);
}

TEST_F(Gui, EscapeClearsAndFunctionKeysSelectTheRadix) {
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "", kScientific));
  EXPECT_TRUE(app.Checked(142));
  EXPECT_EQ(app.Text(146), "Degrees");
  app.Type("14");
  EXPECT_EQ(app.WaitForDisplay("14."), "14.");
  app.Press(VK_F5);
  EXPECT_EQ(app.WaitForDisplay("E"), "E");
  EXPECT_TRUE(app.Checked(143));
  EXPECT_FALSE(app.Checked(142));
  EXPECT_EQ(app.Text(146), "Dword");
  EXPECT_TRUE(app.Checked(146));
  app.Press(VK_ESCAPE);
  EXPECT_EQ(app.WaitForDisplay("0"), "0");
  app.Type("ff");
  EXPECT_EQ(app.WaitForDisplay("FF"), "FF");
  app.Press(VK_F8);
  EXPECT_EQ(app.WaitForDisplay("11111111"), "11111111");
  EXPECT_TRUE(app.Checked(140));
  app.Press(VK_F6);
  EXPECT_EQ(app.WaitForDisplay("255."), "255.");
  EXPECT_EQ(app.Text(146), "Degrees");
  app.Press(VK_DELETE);
  EXPECT_EQ(app.WaitForDisplay("0."), "0.");
  EXPECT_EQ(app.Close(), 0);
}

TEST_F(Gui, InvCheckBoxFollowsTheInvCommand) {
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "", kScientific));
  EXPECT_FALSE(app.Checked(144));
  app.Type("i");
  EXPECT_TRUE(app.WaitForCheck(144, true));
  app.Click(144);
  EXPECT_TRUE(app.WaitForCheck(144, false));
  app.Press('I', /*shift=*/true);
  EXPECT_TRUE(app.WaitForCheck(144, true));
  app.Press(VK_ESCAPE);  // C clears the modifiers in the scientific layout
  EXPECT_TRUE(app.WaitForCheck(144, false));
  app.Type("h");
  EXPECT_TRUE(app.WaitForCheck(145, true));
  app.MouseClick(145);
  EXPECT_TRUE(app.WaitForCheck(145, false));
  EXPECT_EQ(app.Close(), 0);
}

TEST_F(Gui, DisabledHexDigitDoesNothingInDecimal) {
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "", kScientific));
  ASSERT_FALSE(app.Enabled(134));
  // The click on the disabled key and the refused accelerator are handled
  // before the digits that follow them, so the display proves they did
  // nothing.
  app.MouseClick(134);
  app.Type("5");
  EXPECT_EQ(app.WaitForDisplay("5."), "5.");
  app.Type("a6");
  EXPECT_EQ(app.WaitForDisplay("56."), "56.");
  app.Press(VK_F5);
  EXPECT_EQ(app.WaitForDisplay("38"), "38");
  EXPECT_TRUE(app.Enabled(134));
  app.MouseClick(134);
  EXPECT_EQ(app.WaitForDisplay("A"), "A");
  EXPECT_EQ(app.Close(), 0);
}

TEST_F(Gui, PrecisionOptionAllowsLongerEntriesAndWidensTheDisplay) {
  std::string margins[2];
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run == 0 ? "default" : "/P40");
    QuibApp app;
    ASSERT_NO_FATAL_FAILURE(Start(app, run == 0 ? "" : "/P40", kScientific));
    const std::string want = std::string(run == 0 ? 32 : 40, '1') + ".";
    app.Type(std::string(45, '1'));
    EXPECT_EQ(app.WaitForDisplay(want), want);
    RECT display, client;
    GetWindowRect(app.Control(403), &display);
    MapWindowPoints(nullptr, app.window(), reinterpret_cast<POINT*>(&display), 2);
    GetClientRect(app.window(), &client);
    const LONG left = display.left, right = client.right - display.right;
    if (run == 0) {
      EXPECT_GT(left, right + 20) << "the display starts narrower";
    } else {
      EXPECT_LE(std::abs(left - right), 1) << left << " vs " << right;
      Screenshot(app.window(), "scientific_p40.png");
    }
    EXPECT_EQ(app.Close(), 0);
  }
}

TEST_F(Gui, RadixOptionSelectsTheFirstScientificRadix) {
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "/R16", kScientific));
  EXPECT_TRUE(app.Checked(143));
  EXPECT_TRUE(app.Enabled(139));
  EXPECT_EQ(app.Display(), "0");
  app.Type("1f");
  EXPECT_EQ(app.WaitForDisplay("1F"), "1F");
  EXPECT_EQ(app.Close(), 0);

  // The standard layout is decimal whatever the option says.
  QuibApp standard;
  ASSERT_NO_FATAL_FAILURE(Start(standard, "/R16", kStandard));
  EXPECT_EQ(standard.Display(), "0.");
  EXPECT_EQ(standard.Close(), 0);
}

TEST_F(Gui, WordSizeOptionLimitsEntriesOutsideDecimal) {
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "/W8", kScientific));
  app.Press(VK_F5);
  ASSERT_TRUE(app.WaitForCheck(143, true));
  EXPECT_TRUE(app.Checked(148));
  EXPECT_EQ(app.Text(148), "Byte");
  app.Type("123");
  EXPECT_EQ(app.WaitForDisplay("12"), "12");
  app.Press(VK_ESCAPE);
  app.Type("fe+3=");
  EXPECT_EQ(app.WaitForDisplay("1"), "1") << "FE + 3 in a byte";
  EXPECT_EQ(app.Close(), 0);
}

// Oversized numbers clamp instead of wrapping to another valid setting
// (2^32 + 40 would be P40 and 2^32 + 8 would be R8); quotes and bytes above
// 0x7F are skipped.
TEST_F(Gui, HostileCommandLineIsParsedSafely) {
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(
      app, "/P4294967336 \"quoted /x\" \xE9\xFC\x80 /R4294967304 :::", kScientific));
  EXPECT_TRUE(app.Checked(143)) << "R clamped to 16";
  app.Press(VK_F6);
  ASSERT_TRUE(app.WaitForCheck(142, true));
  const std::string want = std::string(64, '1') + ".";
  app.Type(std::string(70, '1'));
  EXPECT_EQ(app.WaitForDisplay(want), want) << "P clamped to 64";
  EXPECT_EQ(app.Close(), 0);
}

// Longer than any buffer the program reads the value into.
const std::string kLongValueText(300, '9');
const char* const kLongValue = kLongValueText.c_str();

TEST_F(Gui, ProfileValueSelectsTheLayout) {
  struct Case {
    const char* value;
    bool scientific;
  };
  const Case cases[] = {
      {"0", true}, {"1", false}, {nullptr, false}, {"7", false}, {"abc", false},
      {"-1", false}, {"0x0", false}, {kLongValue, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value ? c.value : "(missing)");
    QuibApp app;
    ASSERT_NO_FATAL_FAILURE(Start(app, "", c.value));
    EXPECT_EQ(app.Control(143) != nullptr, c.scientific);
    EXPECT_EQ(app.Control(103) != nullptr, !c.scientific);
    char title[64] = {};
    GetWindowTextA(app.window(), title, sizeof title);
    EXPECT_STREQ(title, "Quib");
    EXPECT_EQ(app.Close(), 0);
  }
}

TEST_F(Gui, ClosingTheWindowEndsTheProgram) {
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "", kStandard));
  PostMessageA(app.window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(app.WaitForExit(15000), 0);
}

bool WaitForPopupMenu(const QuibApp& app, bool shown) {
  for (int i = 0; i < 250; ++i) {
    if (quibtest::FindTopWindows(app.processId(), "#32768").empty() != shown) return true;
    Sleep(20);
  }
  return false;
}

// Right-click on a key: the "What's this?" menu. Escape dismisses it;
// choosing its item shows the key's topic until the next key, which closes
// it without reaching the calculator.
TEST_F(Gui, RightClickOnAKeyShowsWhatsThisMenu) {
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "", kScientific));
  app.MouseClickAt(app.Control(98), /*right=*/true);
  ASSERT_TRUE(WaitForPopupMenu(app, true)) << "no pop-up menu";
  Screenshot(app.window(), "whats_this.png");
  app.Press(VK_ESCAPE);
  EXPECT_TRUE(WaitForPopupMenu(app, false)) << "Escape leaves the menu open";

  app.MouseClickAt(app.Control(131), /*right=*/true);
  ASSERT_TRUE(WaitForPopupMenu(app, true));
  app.Press(VK_DOWN);
  app.Press(VK_RETURN);
  EXPECT_TRUE(WaitForPopupMenu(app, false));
  HWND topic = nullptr;
  for (int i = 0; i < 250 && topic == nullptr; ++i) {
    const auto popups = quibtest::FindTopWindows(app.processId(), "QuibHelpPopup");
    if (popups.empty()) Sleep(20); else topic = popups.front();
  }
  ASSERT_NE(topic, nullptr) << "no topic";
  app.Press(VK_ESCAPE);
  for (int i = 0; i < 250 && IsWindow(topic); ++i) Sleep(20);
  EXPECT_FALSE(IsWindow(topic)) << "a key leaves the topic open";
  // The window still works.
  ASSERT_TRUE(app.Focus());
  app.Type("7");
  EXPECT_EQ(app.WaitForDisplay("7."), "7.");
  EXPECT_EQ(app.Close(), 0);
}

// A changed decimal separator reaches the decimal point key and the display
// when the "intl" settings change is broadcast; other sections are ignored.
TEST_F(Gui, SettingsChangeRereadsTheDecimalSeparator) {
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "", kStandard));
  app.Type("12");
  EXPECT_EQ(app.WaitForDisplay("12."), "12.");
  WriteProfileStringA("intl", "sDecimal", ",;");
  DWORD_PTR result = 0;
  SendMessageTimeoutA(app.window(), WM_WININICHANGE, 0,
                      reinterpret_cast<LPARAM>("windows"), SMTO_NORMAL, 5000, &result);
  EXPECT_EQ(app.Display(), "12.");
  SendMessageTimeoutA(app.window(), WM_WININICHANGE, 0,
                      reinterpret_cast<LPARAM>("intl"), SMTO_NORMAL, 5000, &result);
  // The engine was reset, and the display says so.
  EXPECT_EQ(app.WaitForDisplay("0,"), "0,");
  app.Type("1.5");
  EXPECT_EQ(app.WaitForDisplay("1,5"), "1,5");
  EXPECT_EQ(app.Text(85), ",") << "the key's name follows its caption";
  Screenshot(app.window(), "standard_comma.png");
  WriteProfileStringA("intl", "sDecimal", nullptr);
  SendMessageTimeoutA(app.window(), WM_WININICHANGE, 0, 0, SMTO_NORMAL, 5000, &result);
  EXPECT_EQ(app.WaitForDisplay("0."), "0.");
  EXPECT_EQ(app.Close(), 0);
}

// The statistics box is a window of its own; finds it by its caption.
HWND FindStatisticsBox(const QuibApp& app, DWORD ms = 5000) {
  const DWORD start = GetTickCount();
  do {
    for (HWND w : quibtest::FindTopWindows(app.processId(), "#32770")) {
      char title[64] = {};
      GetWindowTextA(w, title, sizeof title);
      if (std::string(title) == "Statistics") return w;
    }
    Sleep(20);
  } while (GetTickCount() - start < ms);
  return nullptr;
}

std::string ListText(HWND box, int32_t index) {
  char text[256] = {};
  DWORD_PTR result = 0;
  SendMessageTimeoutA(GetDlgItem(box, 407), LB_GETTEXT, static_cast<WPARAM>(index),
                      reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &result);
  return text;
}

std::string WithoutSeparator(std::string text) {
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

LRESULT ListMessage(HWND box, UINT message, WPARAM wParam = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(GetDlgItem(box, 407), message, wParam, 0, SMTO_NORMAL, 5000, &result);
  return static_cast<LRESULT>(result);
}

TEST_F(Gui, StatisticsBox) {
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "", kScientific));
  EXPECT_FALSE(app.Enabled(121));
  app.Click(84);  // Sta
  HWND box = FindStatisticsBox(app, 2000);
  if (box == nullptr) {
    EXPECT_EQ(app.Close(), 0);
    GTEST_SKIP() << "the engine does not open the statistics box yet";
  }
  EXPECT_TRUE(IsWindowVisible(box));
  EXPECT_TRUE(app.Enabled(121));
  EXPECT_TRUE(app.Enabled(118));

  // Dat adds the current value: by the key and by the Insert accelerator.
  for (const char* number : {"2", "4", "9"}) {
    ASSERT_TRUE(app.Focus());
    app.Type(number);
    EXPECT_EQ(app.WaitForDisplay(std::string(number) + "."), std::string(number) + ".");
    if (number[0] == '9') {
      app.Press(VK_INSERT);
    } else {
      app.Click(121);
    }
  }
  const DWORD start = GetTickCount();
  while (ListMessage(box, LB_GETCOUNT) < 3 && GetTickCount() - start < 5000) Sleep(20);
  ASSERT_EQ(ListMessage(box, LB_GETCOUNT), 3);
  EXPECT_EQ(WithoutSeparator(ListText(box, 0)), "2");
  EXPECT_EQ(WithoutSeparator(ListText(box, 2)), "9");
  char count[16] = {};
  GetDlgItemTextA(box, 408, count, sizeof count);
  EXPECT_STREQ(count, "3");
  RECT boxRect, layoutRect;
  GetWindowRect(box, &boxRect);
  GetWindowRect(app.window(), &layoutRect);
  EXPECT_GE(boxRect.left, layoutRect.right) << "the box covers no keys";
  const DWORD since = GetTickCount();
  while (GetForegroundWindow() != box && GetTickCount() - since < 5000) {
    SetForegroundWindow(box);
    Sleep(50);
  }
  Screenshot(box, "statistics.png");

  // A double-click on an item loads it.
  RECT item = {};
  DWORD_PTR result = 0;
  ListMessage(box, LB_SETCURSEL, 1);
  SendMessageTimeoutA(GetDlgItem(box, 407), LB_GETITEMRECT, 1,
                      reinterpret_cast<LPARAM>(&item), SMTO_NORMAL, 5000, &result);
  POINT centre{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
  ClientToScreen(GetDlgItem(box, 407), &centre);
  app.MouseClickAt(nullptr, false, true, &centre);
  EXPECT_EQ(app.WaitForDisplay("4."), "4.");

  // Delete the selected (second) number, then clear all.
  ListMessage(box, LB_SETCURSEL, 1);
  SendMessageTimeoutA(box, WM_COMMAND, MAKEWPARAM(404, BN_CLICKED),
                      reinterpret_cast<LPARAM>(GetDlgItem(box, 404)), SMTO_NORMAL, 5000, &result);
  EXPECT_EQ(ListMessage(box, LB_GETCOUNT), 2);
  EXPECT_EQ(WithoutSeparator(ListText(box, 1)), "9");
  SendMessageTimeoutA(GetDlgItem(box, 405), BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &result);
  EXPECT_EQ(ListMessage(box, LB_GETCOUNT), 0);
  GetDlgItemTextA(box, 408, count, sizeof count);
  EXPECT_STREQ(count, "0");

  // Minimising the layout window hides the box; restoring shows it.
  ShowWindow(app.window(), SW_MINIMIZE);
  for (int i = 0; i < 100 && IsWindowVisible(box); ++i) Sleep(20);
  EXPECT_FALSE(IsWindowVisible(box));
  ShowWindow(app.window(), SW_RESTORE);
  for (int i = 0; i < 100 && !IsWindowVisible(box); ++i) Sleep(20);
  EXPECT_TRUE(IsWindowVisible(box));

  // Closing the box disables the statistics keys again.
  PostMessageA(box, WM_CLOSE, 0, 0);
  for (int i = 0; i < 100 && IsWindow(box); ++i) Sleep(20);
  EXPECT_FALSE(IsWindow(box));
  EXPECT_FALSE(app.Enabled(121));
  EXPECT_EQ(app.Close(), 0);
}

}  // namespace
