// The menu commands of quib.exe: Copy and Paste through the clipboard of the
// test's Wine prefix, About, the layout switch with its profile value, and
// help; plus the shell's own helpers for them, called in process.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <random>
#include <string>
#include <utility>

#include "gui_fixture.h"
#include "gui_test_util.h"
#include "shell/html_help.h"
#include "shell/menu_commands.h"

namespace {

using quibtest::ClipboardText;
using quibtest::kScientific;
using quibtest::kStandard;
using quibtest::QuibApp;
using quibtest::SetClipboardBytes;
using quibtest::SetClipboardText;

class MenuGui : public quibtest::GuiTest {
 protected:
  void TearDown() override {
    SetClipboardBytes("");
    GuiTest::TearDown();
  }

  static void Copy(const QuibApp& app) { app.Press('C', false, /*control=*/true); }
  static void Paste(const QuibApp& app) { app.Press('V', false, /*control=*/true); }

  // Waits until the clipboard holds text; returns it, or "<none>".
  static std::string WaitForClipboard(DWORD ms = 5000) {
    const DWORD start = GetTickCount();
    std::string text = ClipboardText();
    while (text == "<none>" && GetTickCount() - start < ms) {
      Sleep(20);
      text = ClipboardText();
    }
    return text;
  }
};

std::string ProfileLayout() {
  char value[16] = {};
  GetProfileStringA("SciQuib", "layout", "<missing>", value, sizeof value);
  return value;
}

// Copy takes the text as typed while a number is being entered: the
// separator whole numbers show is left out, one the user typed stays.
TEST_F(MenuGui, CopyPutsTheDisplayTextOnTheClipboard) {
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "", kStandard));
  struct Case {
    const char* keys;
    const char* display;
    const char* want;
  };
  const Case cases[] = {
      {"15", "15.", "15"},
      {"15.", "15.", "15."},
      {"1.5", "1.5", "1.5"},
      {"12+3=", "15.", "15"},
      {"0", "0.", "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    app.Press(VK_ESCAPE);
    app.Type(c.keys);
    ASSERT_EQ(app.WaitForDisplay(c.display), c.display);
    ASSERT_TRUE(SetClipboardBytes(""));
    Copy(app);
    EXPECT_EQ(WaitForClipboard(), c.want);
    EXPECT_EQ(app.Display(), c.display) << "Copy changes nothing shown";
  }
  // Ctrl+Insert copies too.
  ASSERT_TRUE(SetClipboardBytes(""));
  app.Press(VK_INSERT, false, /*control=*/true);
  EXPECT_EQ(WaitForClipboard(), "0");
  EXPECT_EQ(app.Close(), 0);
}

// Each case starts from a cleared calculator in decimal with an empty
// memory; `before` are keys typed first.
TEST_F(MenuGui, PasteReplaysTheTextAsKeys) {
  struct Case {
    const char* layout;
    WORD before;  // a virtual key pressed first, or 0
    std::string text;
    const char* want;
    const char* memory;
  };
  const Case cases[] = {
      {kScientific, 0, "12+3=", "15.", ""},
      {kScientific, 0, " 1 2\r\n+\n3 =", "15.", ""},
      {kScientific, 0, "2+3*4=", "14.", ""},
      // The error ends the paste: Q (C) would have cleared it.
      {kScientific, 0, "1/0=Q5", "Cannot divide by zero", ""},
      {kScientific, 0, "2*3=\t4", "6.", ""},  // a tab ends the paste
      {kScientific, VK_F5, "ff", "FF", ""},
      {kScientific, VK_F5, "1x", "1", ""},  // x is no exponent in hex
      {kScientific, 0, "7:m", "7.", " M"},
      // MR of the cleared memory, then 1 added: the display shows the end of
      // the paste ("0." would show before it started, too).
      {kScientific, 0, "7:m:c:r+1=", "1.", ""},
      {kScientific, 0, "12,5", "12.5", ""},
      {kScientific, 0, "-5", "-5.", ""},
      {kScientific, 0, "4:", "4.", ""},  // a colon alone pastes nothing
      {kStandard, 0, "200+10%=", "220.", ""},
      {kStandard, 0, "9@", "3.", ""},  // x^2 is the square root here
  };
  for (const char* layout : {kScientific, kStandard}) {
    SCOPED_TRACE(layout);
    QuibApp app;
    ASSERT_NO_FATAL_FAILURE(Start(app, "", layout));
    for (const Case& c : cases) {
      if (c.layout != layout) continue;
      SCOPED_TRACE(c.text);
      app.Press(VK_ESCAPE);
      app.Press('L', false, /*control=*/true);  // MC
      if (layout == kScientific) app.Press(VK_F6);
      if (c.before != 0) app.Press(c.before);
      ASSERT_TRUE(SetClipboardText(c.text));
      Paste(app);
      EXPECT_EQ(app.WaitForDisplay(c.want), c.want);
      EXPECT_EQ(app.WaitForText(401, c.memory), c.memory);
    }
    EXPECT_EQ(app.Close(), 0);
  }
}

// Bytes that are no text at all, multi-byte characters and a megabyte of
// text: the scan stays inside the clipboard object and the calculator stays
// usable. (A text without a terminator cannot be had here: Wine writes one
// over the last byte of every plain-text object.)
TEST_F(MenuGui, PasteOfHostileClipboardData) {
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "", kScientific));

  std::mt19937 random(12345);
  std::string binary(65536, '\0');
  for (char& b : binary) b = static_cast<char>(1 + random() % 255);  // no zero byte
  // The last characters of a megabyte: blanks and line breaks cost no key
  // press.
  std::string megabyte(1 << 20, ' ');
  for (size_t i = 80; i < megabyte.size(); i += 81) megabyte[i] = '\n';
  megabyte[megabyte.size() - 3] = '4';
  megabyte[megabyte.size() - 2] = '2';
  megabyte[megabyte.size() - 1] = '\0';
  struct Case {
    const char* name;
    std::string bytes;
    const char* want;  // nullptr: anything but a crash
  };
  const Case cases[] = {
      {"random bytes", binary, nullptr},
      // UTF-8 of 12 x 3: 0xC3 is looked up as ":C" (MC), 0x97 ends the paste.
      {"multi-byte", std::string("12\xC3\x97" "3=", 7), "12."},
      {"megabyte", megabyte, "42."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    app.Press(VK_ESCAPE);
    app.Press(VK_F6);
    ASSERT_TRUE(SetClipboardBytes(c.bytes));
    Paste(app);
    if (c.want != nullptr) {
      EXPECT_EQ(app.WaitForDisplay(c.want, 15000), c.want);
    }
    app.Settle();
    ASSERT_EQ(app.WaitForExit(0), -1) << "quib.exe has ended";
    // Still usable.
    app.Press(VK_ESCAPE);
    app.Press(VK_F6);
    app.Type("7");
    EXPECT_EQ(app.WaitForDisplay("7."), "7.");
  }
  EXPECT_EQ(app.Close(), 0);
}

// Another program holds the clipboard open: the message of string 75 with
// the application title, and nothing is pasted.
TEST_F(MenuGui, PasteWhileTheClipboardIsHeldShowsAMessage) {
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "", kStandard));
  ASSERT_TRUE(SetClipboardText("42"));
  ASSERT_TRUE(OpenClipboard(nullptr));
  Paste(app);
  HWND box = quibtest::WaitForDialog(app.processId(), "Quib");
  ASSERT_NE(box, nullptr) << "no message box";
  EXPECT_EQ(GetWindow(box, GW_OWNER), app.window());
  EXPECT_NE(quibtest::StaticTexts(box).find("Cannot open the clipboard."),
            std::string::npos)
      << quibtest::StaticTexts(box);
  Screenshot(box, "clipboard_held.png");
  CloseClipboard();
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  for (int i = 0; i < 100 && IsWindow(box); ++i) Sleep(20);
  EXPECT_FALSE(IsWindow(box));
  EXPECT_EQ(app.Display(), "0.");
  ASSERT_TRUE(app.Focus());
  Paste(app);
  EXPECT_EQ(app.WaitForDisplay("42."), "42.");
  EXPECT_EQ(app.Close(), 0);
}

// The Edit menu as it opens: Paste greyed exactly when the clipboard holds
// no text. The menu belongs to another process, so its state is read from
// the screen: the lower of its two items (Paste) is drawn in black when
// enabled and in grey when greyed. The accelerator still works without
// text, and pastes nothing.
TEST_F(MenuGui, PasteItemIsGreyedWithoutText) {
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "", kStandard));
  struct Case {
    const char* clipboard;
    bool greyed;
  };
  for (const Case& c : {Case{"", true}, Case{"5", false}, Case{"", true}}) {
    SCOPED_TRACE(c.clipboard);
    ASSERT_TRUE(c.clipboard[0] == '\0' ? SetClipboardBytes("")
                                       : SetClipboardText(c.clipboard));
    ASSERT_TRUE(app.Focus());
    app.Press(VK_MENU);
    app.Press(VK_DOWN);
    HWND menu = nullptr;
    for (int i = 0; i < 250 && menu == nullptr; ++i) {
      const auto menus = quibtest::FindTopWindows(app.processId(), "#32768");
      if (menus.empty()) {
        Sleep(20);
      } else {
        menu = menus.front();
      }
    }
    ASSERT_NE(menu, nullptr) << "the Edit menu did not open";
    Sleep(300);
    const quibtest::Capture capture = quibtest::CaptureWindow(menu);
    int32_t black = 0;
    for (int32_t y = capture.height / 2; y < capture.height; ++y) {
      for (int32_t x = 0; x < capture.width; ++x) {
        const uint8_t* p = &capture.rgb[static_cast<size_t>((y * capture.width + x) * 3)];
        if (p[0] < 64 && p[1] < 64 && p[2] < 64) ++black;
      }
    }
    if (c.greyed) {
      EXPECT_EQ(black, 0);
    } else {
      EXPECT_GT(black, 10);
    }
    quibtest::SavePng(capture, quibtest::ArtifactsDir() +
                                   (c.greyed ? "\\edit_menu_greyed.png" : "\\edit_menu.png"));
    app.Press(VK_ESCAPE);
    app.Press(VK_ESCAPE);
    for (int i = 0; i < 250 && IsWindowVisible(menu); ++i) Sleep(20);
  }
  ASSERT_TRUE(SetClipboardBytes(""));
  ASSERT_TRUE(app.Focus());
  app.Type("3");
  Paste(app);
  app.Type("4");
  EXPECT_EQ(app.WaitForDisplay("34."), "34.");
  EXPECT_EQ(app.Close(), 0);
}

// The layout switch writes the profile, keeps the memory and the window's
// top-left corner, resets the calculation and returns to decimal.
TEST_F(MenuGui, LayoutSwitchKeepsMemoryAndPlace) {
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "", kScientific));
  app.Type("7");
  app.Press('M', false, /*control=*/true);  // MS
  EXPECT_EQ(app.WaitForDisplay("7."), "7.");
  app.Press(VK_F5);
  ASSERT_TRUE(app.WaitForCheck(143, true));
  RECT before;
  GetWindowRect(app.window(), &before);

  HWND old = app.window();
  app.Press('D', false, /*control=*/true);  // standard layout
  ASSERT_TRUE(app.WaitForNewWindow(old));
  EXPECT_FALSE(IsWindow(old));
  EXPECT_EQ(ProfileLayout(), "1");
  EXPECT_EQ(app.Control(143), nullptr);
  EXPECT_NE(app.Control(103), nullptr);
  RECT after;
  GetWindowRect(app.window(), &after);
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);
  EXPECT_EQ(app.Display(), "0.");
  EXPECT_EQ(app.Text(401), " M");
  app.Click(114);  // MR
  EXPECT_EQ(app.WaitForDisplay("7."), "7.");

  old = app.window();
  ASSERT_TRUE(app.Focus());
  app.Press('R', false, /*control=*/true);  // scientific layout
  ASSERT_TRUE(app.WaitForNewWindow(old));
  EXPECT_EQ(ProfileLayout(), "0");
  EXPECT_TRUE(app.Checked(142)) << "decimal again";
  EXPECT_EQ(app.Display(), "0.");
  EXPECT_EQ(app.Text(401), " M");
  GetWindowRect(app.window(), &after);
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);

  // The layout already shown: no profile write, nothing reset. The menu
  // item arrives as a command with notification code 0.
  quibtest::SetLayoutProfile(nullptr);
  ASSERT_TRUE(app.Focus());
  app.Type("12");
  EXPECT_EQ(app.WaitForDisplay("12."), "12.");
  old = app.window();
  PostMessageA(app.window(), WM_COMMAND, 303, 0);
  app.Press('R', false, /*control=*/true);
  app.Settle();
  EXPECT_EQ(app.window(), old);
  EXPECT_TRUE(IsWindow(old));
  EXPECT_EQ(ProfileLayout(), "<missing>");
  EXPECT_EQ(app.Display(), "12.");
  app.Type("3");
  EXPECT_EQ(app.WaitForDisplay("123."), "123.");
  EXPECT_EQ(app.Close(), 0);
}

HWND FindStatisticsBox(const QuibApp& app, DWORD ms) {
  return quibtest::WaitForDialog(app.processId(), "Statistics", ms);
}

// Leaving the scientific layout closes the statistics box; leaving the
// standard layout leaves a box opened there (by its accelerator) open.
TEST_F(MenuGui, LayoutSwitchClosesTheStatisticsBoxOnlyFromScientific) {
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "", kScientific));
  app.Click(84);  // Sta
  HWND box = FindStatisticsBox(app, 2000);
  if (box == nullptr) {
    EXPECT_EQ(app.Close(), 0);
    GTEST_SKIP() << "the engine does not open the statistics box yet";
  }
  HWND old = app.window();
  PostMessageA(app.window(), WM_COMMAND, 304, 0);
  ASSERT_TRUE(app.WaitForNewWindow(old));
  for (int i = 0; i < 100 && IsWindow(box); ++i) Sleep(20);
  EXPECT_FALSE(IsWindow(box));

  ASSERT_TRUE(app.Focus());
  app.Press('S', false, /*control=*/true);  // Sta
  box = FindStatisticsBox(app, 5000);
  ASSERT_NE(box, nullptr);
  old = app.window();
  PostMessageA(app.window(), WM_COMMAND, 303, 0);
  ASSERT_TRUE(app.WaitForNewWindow(old));
  EXPECT_TRUE(IsWindow(box));
  EXPECT_TRUE(app.Enabled(121)) << "Dat works while the box is open";
  EXPECT_EQ(app.Close(), 0);
}

// The keys of quibc's test of the same switch: 2, Sta, Dat in the standard
// layout; the scientific layout keeps the box with its keys enabled, so 4,
// Dat, Ave give the mean of both; % is Mod there.
TEST_F(MenuGui, LayoutSwitchWithTheStatisticsBoxOpenAgreesWithQuibc) {
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "", kStandard));
  app.Type("2");
  app.Press('S', false, /*control=*/true);  // Sta
  HWND box = FindStatisticsBox(app, 5000);
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(app.Focus());
  app.Press(VK_INSERT);  // Dat
  EXPECT_EQ(app.WaitForDisplay("2."), "2.");
  HWND old = app.window();
  app.Press('R', false, /*control=*/true);  // scientific layout
  ASSERT_TRUE(app.WaitForNewWindow(old));
  EXPECT_TRUE(IsWindow(box));
  for (int32_t key : {118, 119, 120, 121}) EXPECT_TRUE(app.Enabled(key)) << key;
  ASSERT_TRUE(app.Focus());
  app.Type("4");
  EXPECT_EQ(app.WaitForDisplay("4."), "4.");
  app.Click(121);  // Dat
  app.Press('A', false, /*control=*/true);  // Ave
  EXPECT_EQ(app.WaitForDisplay("3."), "3.");
  app.Type("7%2=");
  EXPECT_EQ(app.WaitForDisplay("1."), "1.");
  EXPECT_EQ(app.Close(), 0);
}

// Ctrl+Shift+K: the system About box owned by the layout window, with the
// application title.
TEST_F(MenuGui, AboutShowsTheApplicationTitle) {
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "", kStandard));
  app.Press('K', /*shift=*/true, /*control=*/true);
  HWND about = quibtest::WaitForDialog(app.processId(), "Quib", 5000, true);
  ASSERT_NE(about, nullptr) << "no About box";
  EXPECT_EQ(GetWindow(about, GW_OWNER), app.window());
  Screenshot(about, "about.png");
  PostMessageA(about, WM_COMMAND, IDOK, 0);
  for (int i = 0; i < 100 && IsWindow(about); ++i) Sleep(20);
  EXPECT_FALSE(IsWindow(about));
  ASSERT_TRUE(app.Focus());
  app.Type("8");
  EXPECT_EQ(app.WaitForDisplay("8."), "8.");
  EXPECT_EQ(app.Close(), 0);
}

BOOL CALLBACK FindClass(HWND child, LPARAM lParam) {
  auto* search = reinterpret_cast<std::pair<const char*, HWND>*>(lParam);
  char name[64] = {};
  GetClassNameA(child, name, sizeof name);
  if (std::string(name) != search->first) return TRUE;
  search->second = child;
  return FALSE;
}

// The first descendant of `parent` of the window class given.
HWND FindDescendant(HWND parent, const char* className) {
  std::pair<const char*, HWND> search{className, nullptr};
  EnumChildWindows(parent, FindClass, reinterpret_cast<LPARAM>(&search));
  return search.second;
}

// F1 and Help Topics open the help file beside quib.exe, whatever the
// current directory, and help passes the error lock.
TEST_F(MenuGui, HelpOpensTheHelpFile) {
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "", kScientific));
  app.Type("1/0=");
  EXPECT_EQ(app.WaitForDisplay("Cannot divide by zero"), "Cannot divide by zero");
  for (int route = 0; route < 2; ++route) {
    SCOPED_TRACE(route == 0 ? "F1" : "Help Topics");
    ASSERT_TRUE(app.Focus());
    if (route == 0) {
      app.Press(VK_F1);
    } else {
      PostMessageA(app.window(), WM_COMMAND, 305, 0);
    }
    HWND help = nullptr;
    for (int i = 0; i < 500 && help == nullptr; ++i) {
      const auto windows = quibtest::FindTopWindows(app.processId(), "HH Parent");
      if (windows.empty()) {
        Sleep(20);
      } else {
        help = windows.front();
      }
    }
    ASSERT_NE(help, nullptr) << "no help window";
    char title[128] = {};
    GetWindowTextA(help, title, sizeof title);
    EXPECT_STREQ(title, "Quib Help");
    // The contents come from the compiled file: its eleven pages, the key
    // pages under one heading.
    HWND tree = nullptr;
    DWORD_PTR count = 0;
    for (int i = 0; i < 250 && count < 12; ++i) {
      if (tree == nullptr) tree = FindDescendant(help, "SysTreeView32");
      if (tree != nullptr) {
        SendMessageTimeoutA(tree, TVM_GETCOUNT, 0, 0, SMTO_NORMAL, 5000, &count);
      }
      if (count < 12) Sleep(20);
    }
    ASSERT_NE(tree, nullptr) << "no contents";
    EXPECT_EQ(count, 12u);
    Screenshot(help, route == 0 ? "help_f1.png" : "help_topics.png");
    PostMessageA(help, WM_CLOSE, 0, 0);
    for (int i = 0; i < 100 && IsWindow(help); ++i) Sleep(20);
  }
  EXPECT_EQ(app.Display(), "Cannot divide by zero");
  EXPECT_EQ(app.Close(), 0);
}

// In process ---------------------------------------------------------------

// The scan's step never leaves the text, whatever its last byte is.
TEST(PasteCharNext, StaysInsideTheText) {
  for (int b = 1; b < 256; ++b) {
    SCOPED_TRACE(b);
    const char one[2] = {static_cast<char>(b), 'x'};
    EXPECT_EQ(PasteCharNext(one, 1, 0), 1u);
    const size_t next = PasteCharNext(one, 2, 0);
    EXPECT_TRUE(next == 1 || next == 2) << next;
  }
  const char text[] = "ab";
  EXPECT_EQ(PasteCharNext(text, 2, 1), 2u);
}

TEST(HtmlHelp, TheRegisteredControlIsFound) {
  char path[kHelpModulePathSize];
  ASSERT_TRUE(LocateHtmlHelp(path));
  std::string lower(path);
  for (char& ch : lower) ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
  EXPECT_NE(lower.find("hhctrl.ocx"), std::string::npos) << path;
}

TEST(HtmlHelp, TheHelpFileIsLookedForBesideTheProgram) {
  char module[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, module, MAX_PATH);
  std::string want(module);
  want.resize(want.find_last_of('\\') + 1);
  EXPECT_EQ(HtmlHelpPath(), want + "quib.chm");
}

}  // namespace
