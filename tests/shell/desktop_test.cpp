// quib.exe on today's desktops: the manifest and version information it
// carries, its context-help topics, and its window at 96, 144 and 192 dots
// per inch (the LogPixels value of the test prefix): every key named by its
// caption and the caption fitting the key, no control over another, the
// layout-switch picture filling its control, keys in reading order. Then
// "What's this?" on keys and a radio button, a missing or broken help file,
// and the release package started from the folder it was unpacked into.
// Screenshots of both layouts at each resolution go to the artifacts folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "arith/settings.h"
#include "gui_fixture.h"
#include "gui_test_util.h"
#include "quib_version.h"
#include "shell/help_popup.h"
#include "shell/key_names.h"
#include "shell/layout_window.h"
#include "shell/statistics_box.h"

namespace {

using quibtest::QuibApp;
using quibtest::kScientific;
using quibtest::kStandard;

// Resources ----------------------------------------------------------------

class DesktopResources : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExA(quibtest::QuibExePath().c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr) << "cannot load " << quibtest::QuibExePath();
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  std::string Resource(LPCSTR type, int id) const {
    HRSRC found = FindResourceA(module_, MAKEINTRESOURCEA(id), type);
    if (found == nullptr) return {};
    HGLOBAL loaded = LoadResource(module_, found);
    const auto* data = static_cast<const char*>(LockResource(loaded));
    return data != nullptr ? std::string(data, SizeofResource(module_, found)) : std::string();
  }
  HMODULE module_ = nullptr;
};

TEST_F(DesktopResources, ManifestDeclaresResolutionAwarenessSystemsAndLevel) {
  const std::string manifest = Resource(MAKEINTRESOURCEA(24), 1);  // RT_MANIFEST
  ASSERT_FALSE(manifest.empty()) << "no application manifest";
  const char* const wanted[] = {
      "<dpiAwareness", "PerMonitorV2", ">true/pm</dpiAware>",
      "level=\"asInvoker\"",
      "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Vista
      "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
      "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
      "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
      "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
  };
  for (const char* want : wanted) {
    EXPECT_NE(manifest.find(want), std::string::npos) << want;
  }
}

TEST_F(DesktopResources, PicturesComeAtOneAndTwiceTheSize) {
  for (int id : {2, 3, 4, 5}) {
    SCOPED_TRACE(id);
    auto* bitmap = static_cast<HBITMAP>(
        LoadImageA(module_, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, id < 4 ? 24 : 48);
    EXPECT_EQ(info.bmHeight, info.bmWidth);
    DeleteObject(bitmap);
  }
}

TEST(VersionInfo, ComesFromTheProjectVersion) {
  const std::string exe = quibtest::QuibExePath();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
  ASSERT_GT(size, 0u) << "no version information in " << exe;
  std::vector<char> data(size);
  ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, size, data.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS,
            static_cast<DWORD>(MAKELONG(QUIB_VERSION_MINOR, QUIB_VERSION_MAJOR)));
  EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, QUIB_VERSION_PATCH)));
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  const std::pair<const char*, const char*> strings[] = {
      {"ProductName", "Quib"},
      {"FileVersion", QUIB_VERSION_STRING},
      {"ProductVersion", QUIB_VERSION_STRING},
      {"FileDescription", "Quib calculator"},
      {"OriginalFilename", "quib.exe"},
  };
  for (const auto& [name, want] : strings) {
    SCOPED_TRACE(name);
    const std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
    char* value = nullptr;
    ASSERT_TRUE(VerQueryValueA(data.data(), path.c_str(), reinterpret_cast<void**>(&value),
                               &length));
    EXPECT_STREQ(value, want);
  }
}

// Context-help topics (in process) -----------------------------------------

// Every control "What's this?" can be asked about has a topic, in every
// radix (the angle-unit buttons become word-size buttons outside decimal).
TEST(HelpTopics, EveryControlHasATopic) {
  const int32_t saved = settings.radix;
  for (int32_t radix : {10, 16}) {
    settings.radix = radix;
    std::vector<int32_t> ids;
    for (int32_t id = 80; id <= 148; ++id) ids.push_back(id);
    ids.insert(ids.end(), {401, 402, 403, 303, 304});
    for (int32_t id : ids) {
      SCOPED_TRACE(testing::Message() << "control " << id << " radix " << radix);
      const HelpTopic* topic = FindHelpTopic(HelpContextId(id));
      ASSERT_NE(topic, nullptr);
      EXPECT_GT(std::strlen(topic->title), 0u);
      EXPECT_GT(std::strlen(topic->text), 10u);
    }
  }
  settings.radix = saved;
  // The statistics box: list and buttons, not the count.
  for (int32_t id : {407, 411, 410, 404, 405}) {
    SCOPED_TRACE(id);
    ASSERT_NE(StatBoxHelpContextId(id), 0u);
    EXPECT_NE(FindHelpTopic(StatBoxHelpContextId(id)), nullptr);
  }
  EXPECT_EQ(StatBoxHelpContextId(408), 0u);
  EXPECT_EQ(FindHelpTopic(0), nullptr);
}

// The topic a control finds is its own: a shifted row of the key table or
// of the topic file shows here.
TEST(HelpTopics, ControlsFindTheirOwnTopic) {
  struct Case {
    int32_t id;
    int32_t radix;
    const char* title;
    const char* shortcut;  // in the text
  };
  const Case cases[] = {
      {98, 10, "sin", "Keyboard: S"},
      {95, 10, "x^y (power)", "Keyboard: Y"},
      {104, 10, "x^2 (square)", "Keyboard: @"},
      {105, 10, "x^3 (cube)", "Keyboard: #"},
      {96, 10, "Int", "Keyboard: ;"},
      {87, 10, "Or", "Keyboard: |"},
      {121, 10, "Dat (add data)", "Keyboard: Insert"},
      {122, 10, "( (open parenthesis)", "Keyboard: ("},
      {124, 10, "Digits 0 to 9", "Keyboard: 0 to 9"},
      {133, 10, "Digits 0 to 9", "Keyboard: 0 to 9"},
      {139, 16, "Digits A to F", "Keyboard: A to F"},
      {143, 10, "Hex (hexadecimal)", "Keyboard: F5"},
      {145, 10, "Hyp (hyperbolic)", "Keyboard: H"},
      {146, 10, "Degrees", "Keyboard: F2"},
      {146, 16, "Dword", "Keyboard: F2"},
      {148, 2, "Byte", "Keyboard: F4"},
      {401, 10, "Memory indicator", ""},
      {303, 10, "Picture: to the scientific layout", "Keyboard: Ctrl+R"},
      {304, 10, "Picture: to the standard layout", "Keyboard: Ctrl+D"},
  };
  const int32_t saved = settings.radix;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    settings.radix = c.radix;
    const HelpTopic* topic = FindHelpTopic(HelpContextId(c.id));
    ASSERT_NE(topic, nullptr);
    EXPECT_STREQ(topic->title, c.title);
    EXPECT_NE(std::string(topic->text).find(c.shortcut), std::string::npos) << topic->text;
    EXPECT_EQ(HelpTopicText(*topic), std::string(c.title) + "\r\n\r\n" + topic->text);
  }
  settings.radix = saved;
}

TEST(HelpPopup, IsPlacedBesideTheControlAndOnTheScreen) {
  struct Case {
    RECT control;
    RECT work;
    LONG x, y;
  };
  const SIZE size{200, 100};
  const Case cases[] = {
      {{100, 100, 150, 120}, {0, 0, 1000, 800}, 150, 100},   // right of it
      {{900, 100, 950, 120}, {0, 0, 1000, 800}, 700, 100},   // left of it
      {{100, 750, 150, 770}, {0, 0, 1000, 800}, 150, 700},   // raised
      {{100, 100, 200, 120}, {0, 0, 300, 800}, 100, 100},    // neither side
      {{-50, -40, 10, 0}, {0, 0, 1000, 800}, 10, 0},         // pulled in
      {{1200, 100, 1250, 120}, {1000, 0, 2000, 800}, 1250, 100},  // 2nd monitor
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.control.left << "," << c.control.top);
    const POINT at = PlaceBeside(c.control, size, c.work);
    EXPECT_EQ(at.x, c.x);
    EXPECT_EQ(at.y, c.y);
    EXPECT_GE(at.x, c.work.left);
    EXPECT_LE(at.x + size.cx, c.work.right);
  }
}

// The window at each resolution -----------------------------------------

void SetLogPixels(DWORD dpi) {
  const std::pair<HKEY, const char*> places[] = {
      {HKEY_CURRENT_USER, "Control Panel\\Desktop"},
      {HKEY_CURRENT_CONFIG, "Software\\Fonts"},
  };
  for (const auto& [root, path] : places) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
      continue;
    }
    RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                   sizeof dpi);
    RegCloseKey(key);
  }
}

class DesktopGui : public quibtest::GuiTest {
 protected:
  void TearDown() override {
    SetLogPixels(96);
    GuiTest::TearDown();
  }
};

struct Child {
  HWND hwnd;
  int32_t id;
  RECT rect;  // screen coordinates
  std::string className;
  LONG style;
};

// The visible children of a window in Z order.
std::vector<Child> Children(HWND window) {
  std::vector<Child> children;
  for (HWND c = GetWindow(window, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    if (!IsWindowVisible(c)) continue;
    Child child{c, GetDlgCtrlID(c), {}, {}, GetWindowLongA(c, GWL_STYLE)};
    GetWindowRect(c, &child.rect);
    char name[64] = {};
    GetClassNameA(c, name, sizeof name);
    child.className = name;
    children.push_back(child);
  }
  return children;
}

bool IsGroupBox(const Child& c) {
  return _stricmp(c.className.c_str(), "Button") == 0 &&
         (c.style & BS_TYPEMASK) == BS_GROUPBOX;
}

std::string WindowText(HWND window) {
  char text[256] = {};
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                      SMTO_NORMAL, 5000, &ignored);
  return text;
}

bool IsDark(uint8_t r, uint8_t g, uint8_t b) { return r < 110 && g < 110 && b < 110; }

// Bounding box of the pixels of `control` that satisfy IsDark, relative to
// the control; empty when there are none.
RECT DarkBounds(const quibtest::Capture& capture, HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  RECT box{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
  for (LONG y = r.top; y < r.bottom; ++y) {
    for (LONG x = r.left; x < r.right; ++x) {
      const LONG cx = x - capture.rect.left, cy = y - capture.rect.top;
      if (cx < 0 || cy < 0 || cx >= capture.width || cy >= capture.height) continue;
      const uint8_t* p = &capture.rgb[static_cast<size_t>((cy * capture.width + cx) * 3)];
      if (!IsDark(p[0], p[1], p[2])) continue;
      box = {std::min(box.left, x - r.left), std::min(box.top, y - r.top),
             std::max(box.right, x - r.left + 1), std::max(box.bottom, y - r.top + 1)};
    }
  }
  if (box.left > box.right) return {};
  return box;
}

// One layout at one resolution: names, fit, overlaps, order, picture.
void CheckLayout(QuibApp& app, HMODULE resources, uint32_t dpi, bool scientific) {
  const std::vector<Child> children = Children(app.window());
  RECT client;
  GetClientRect(app.window(), &client);
  MapWindowPoints(app.window(), nullptr, reinterpret_cast<POINT*>(&client), 2);

  // The dialog font of the templates (7 points) at this resolution.
  HFONT font = CreateFontA(-MulDiv(7, static_cast<int>(dpi), 72), 0, 0, 0, FW_NORMAL, FALSE,
                           FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                           "MS Shell Dlg");
  HDC dc = CreateCompatibleDC(nullptr);
  const HGDIOBJ oldFont = SelectObject(dc, font);
  ASSERT_TRUE(LoadKeyNameTable(resources));

  int32_t keys = 0;
  std::vector<const Child*> keyOrder;
  for (const Child& c : children) {
    SCOPED_TRACE(testing::Message() << "control " << c.id);
    RECT inside;
    EXPECT_TRUE(IntersectRect(&inside, &c.rect, &client) && EqualRect(&inside, &c.rect))
        << "outside the client area";
    if (!IsKey(c.id)) continue;
    ++keys;
    keyOrder.push_back(&c);
    const std::string caption = KeyName(c.id - kFirstKey);
    EXPECT_EQ(WindowText(c.hwnd), caption) << "the key's name for screen readers";
    SIZE extent{};
    GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
    // Inside the raised edge, two pixels each side.
    EXPECT_LE(extent.cx, c.rect.right - c.rect.left - 4) << caption;
    EXPECT_LE(extent.cy, c.rect.bottom - c.rect.top - 4) << caption;
  }
  EXPECT_EQ(keys, scientific ? 59 : 26);
  SelectObject(dc, oldFont);
  DeleteDC(dc);
  DeleteObject(font);
  FreeKeyNameTable();

  // No control over another (a group box frames its radio buttons).
  for (size_t i = 0; i < children.size(); ++i) {
    for (size_t j = i + 1; j < children.size(); ++j) {
      if (IsGroupBox(children[i]) || IsGroupBox(children[j])) continue;
      RECT overlap;
      EXPECT_FALSE(IntersectRect(&overlap, &children[i].rect, &children[j].rect))
          << "controls " << children[i].id << " and " << children[j].id << " overlap";
    }
  }

  // Keys in reading order: rows top to bottom, left to right in a row.
  EXPECT_TRUE(std::is_sorted(keyOrder.begin(), keyOrder.end(),
                             [](const Child* a, const Child* b) {
                               if (a->rect.top != b->rect.top) return a->rect.top < b->rect.top;
                               return a->rect.left < b->rect.left;
                             }))
      << "keys out of reading order";

  // The picture fills its control: its dark body reaches (nearly) every
  // edge, whatever the resolution.
  HWND picture = app.Control(scientific ? 304 : 303);
  ASSERT_NE(picture, nullptr);
  RECT pictureRect;
  GetWindowRect(picture, &pictureRect);
  const LONG width = pictureRect.right - pictureRect.left;
  const LONG height = pictureRect.bottom - pictureRect.top;
  const RECT body = DarkBounds(quibtest::CaptureWindow(app.window()), picture);
  EXPECT_GE((body.bottom - body.top) * 10, height * 9)
      << "picture " << body.bottom - body.top << " of " << height << " pixels high";
  EXPECT_GE((body.right - body.left) * 4, width * 3)
      << "picture " << body.right - body.left << " of " << width << " pixels wide";
}

TEST_F(DesktopGui, LayoutsAtEachResolution) {
  HMODULE resources =
      LoadLibraryExA(quibtest::QuibExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(resources, nullptr);
  LONG keyHeightAt96 = 0;
  for (uint32_t dpi : {96u, 144u, 192u}) {
    SetLogPixels(dpi);
    for (const char* layout : {kScientific, kStandard}) {
      const bool scientific = layout == kScientific;
      SCOPED_TRACE(testing::Message() << dpi << " dpi, "
                                      << (scientific ? "scientific" : "standard"));
      QuibApp app;
      ASSERT_NO_FATAL_FAILURE(Start(app, "", layout));
      const std::string name = std::string(scientific ? "scientific_" : "standard_") +
                               std::to_string(dpi) + "dpi.png";
      Screenshot(app.window(), name.c_str());
      CheckLayout(app, resources, dpi, scientific);
      // The window really is laid out for the resolution.
      RECT key;
      GetWindowRect(app.Control(126), &key);
      if (scientific && dpi == 96) keyHeightAt96 = key.bottom - key.top;
      if (scientific && dpi != 96) {
        // Dialog units follow the font, which scales nearly but not exactly.
        const LONG want = keyHeightAt96 * static_cast<LONG>(dpi) / 96;
        EXPECT_NEAR(key.bottom - key.top, want, want / 8 + 1);
      }
      // And it still calculates.
      app.Type("2+3=");
      EXPECT_EQ(app.WaitForDisplay("5."), "5.");
      EXPECT_EQ(app.Close(), 0);
    }
  }
  FreeLibrary(resources);
}

// A move to a monitor of another resolution: every control is placed again
// from its geometry at creation, so going there and back restores it to the
// pixel. (The test sends no suggested window rectangle: the window keeps
// its size.)
TEST_F(DesktopGui, ResolutionChangeScalesTheControlsAndComesBack) {
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "", kScientific));
  const std::vector<Child> before = Children(app.window());
  RECT key;
  GetWindowRect(app.Control(126), &key);
  const LONG height = key.bottom - key.top;
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(app.window(), WM_DPICHANGED, MAKEWPARAM(192, 192), 0, SMTO_NORMAL,
                      5000, &ignored);
  GetWindowRect(app.Control(126), &key);
  EXPECT_NEAR(key.bottom - key.top, 2 * height, 1);
  SendMessageTimeoutA(app.window(), WM_DPICHANGED, MAKEWPARAM(96, 96), 0, SMTO_NORMAL,
                      5000, &ignored);
  const std::vector<Child> after = Children(app.window());
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < before.size(); ++i) {
    SCOPED_TRACE(before[i].id);
    EXPECT_TRUE(EqualRect(&before[i].rect, &after[i].rect));
  }
  app.Type("2+3=");
  EXPECT_EQ(app.WaitForDisplay("5."), "5.");
  EXPECT_EQ(app.Close(), 0);
}

// The keyboard focus of the program's user-interface thread.
HWND FocusOf(const QuibApp& app) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(app.window(), nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

HWND WaitForFocus(const QuibApp& app, HWND want) {
  HWND focus = FocusOf(app);
  for (int i = 0; i < 100 && focus != want; ++i) {
    Sleep(20);
    focus = FocusOf(app);
  }
  return focus;
}

// Tab and Shift+Tab walk the enabled keys in reading order, wrapping around
// at either end; Enter stays "=" wherever the focus is, typing still reaches
// the calculator, and Space presses the key with the focus.
TEST_F(DesktopGui, TabWalksTheKeysInReadingOrder) {
  for (const char* layout : {kScientific, kStandard}) {
    SCOPED_TRACE(layout == kScientific ? "scientific" : "standard");
    QuibApp app;
    ASSERT_NO_FATAL_FAILURE(Start(app, "", layout));
    std::vector<Child> keys;
    for (const Child& c : Children(app.window())) {
      if (IsKey(c.id) && IsWindowEnabled(c.hwnd)) keys.push_back(c);
    }
    ASSERT_GT(keys.size(), 3u);
    std::stable_sort(keys.begin(), keys.end(), [](const Child& a, const Child& b) {
      if (a.rect.top != b.rect.top) return a.rect.top < b.rect.top;
      return a.rect.left < b.rect.left;
    });
    for (size_t i = 0; i < 3; ++i) {
      app.Press(VK_TAB);
      EXPECT_EQ(WaitForFocus(app, keys[i].hwnd), keys[i].hwnd) << "Tab " << i + 1;
    }
    app.Press(VK_TAB, /*shift=*/true);
    EXPECT_EQ(WaitForFocus(app, keys[1].hwnd), keys[1].hwnd) << "Shift+Tab";
    app.Press(VK_TAB, /*shift=*/true);
    app.Press(VK_TAB, /*shift=*/true);
    EXPECT_EQ(WaitForFocus(app, keys.back().hwnd), keys.back().hwnd) << "wraps to the last";
    app.Press(VK_TAB);
    EXPECT_EQ(WaitForFocus(app, keys.front().hwnd), keys.front().hwnd) << "wraps to the first";
    // Space presses the key with the focus: Tab on to the 1.
    const auto one = std::find_if(keys.begin(), keys.end(),
                                  [](const Child& c) { return c.id == 125; });
    ASSERT_NE(one, keys.end());
    for (auto k = keys.begin(); k != one; ++k) app.Press(VK_TAB);
    EXPECT_EQ(WaitForFocus(app, one->hwnd), one->hwnd);
    app.Press(VK_SPACE);
    EXPECT_EQ(app.WaitForDisplay("1."), "1.");
    if (layout == kScientific) Screenshot(app.window(), "tab_focus.png");
    // Enter is "=", not the focused 1; typing still reaches the calculator.
    app.Type("+2");
    app.Press(VK_RETURN);
    EXPECT_EQ(app.WaitForDisplay("3."), "3.");
    app.Settle();
    EXPECT_EQ(app.Display(), "3.");
    EXPECT_EQ(app.Close(), 0);
  }
}

// "What's this?" ------------------------------------------------------------

bool WaitForMenu(const QuibApp& app, bool shown) {
  for (int i = 0; i < 250; ++i) {
    if (quibtest::FindTopWindows(app.processId(), "#32768").empty() != shown) return true;
    Sleep(20);
  }
  return false;
}

HWND WaitForTopic(const QuibApp& app) {
  for (int i = 0; i < 250; ++i) {
    const auto popups = quibtest::FindTopWindows(app.processId(), kHelpPopupClass);
    if (!popups.empty()) return popups.front();
    Sleep(20);
  }
  return nullptr;
}

// Right-click (or Shift+F10 on the focused key), choose the item, read the
// pop-up beside the control, close it with a key that does not reach the
// calculator.
TEST_F(DesktopGui, WhatsThisShowsTheTopicBesideTheControl) {
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "", kScientific));
  struct Case {
    int32_t id;
    const char* title;
    bool keyboard;
    const char* screenshot;
  };
  const Case cases[] = {
      {98, "sin", false, nullptr},
      {95, "x^y (power)", false, nullptr},
      {143, "Hex (hexadecimal)", false, "whats_this_hex.png"},
      {131, "Digits 0 to 9", true, "whats_this_digit.png"},
      {304, "Picture: to the standard layout", false, "whats_this_picture.png"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    HWND control = app.Control(c.id);
    ASSERT_NE(control, nullptr);
    if (c.keyboard) {
      app.MouseClick(c.id);  // types 7 and gives the key the focus
      ASSERT_EQ(app.WaitForDisplay("7."), "7.");
      app.Press(VK_F10, /*shift=*/true);
    } else {
      app.MouseClickAt(control, /*right=*/true);
    }
    ASSERT_TRUE(WaitForMenu(app, true)) << "no menu";
    app.Press(VK_DOWN);
    app.Press(VK_RETURN);
    ASSERT_TRUE(WaitForMenu(app, false));
    HWND topic = WaitForTopic(app);
    ASSERT_NE(topic, nullptr) << "no topic";
    char text[1024] = {};
    GetWindowTextA(topic, text, sizeof text);
    EXPECT_EQ(std::string(text).rfind(std::string(c.title) + "\r\n", 0), 0u) << text;
    EXPECT_NE(std::string(text).find("Keyboard:"), std::string::npos) << text;
    RECT popupRect, controlRect;
    GetWindowRect(topic, &popupRect);
    GetWindowRect(control, &controlRect);
    EXPECT_TRUE(popupRect.left >= controlRect.right || popupRect.right <= controlRect.left)
        << "the topic covers its control";
    if (c.screenshot != nullptr) Screenshot(topic, c.screenshot);
    app.Press(VK_ESCAPE);
    for (int i = 0; i < 250 && IsWindow(topic); ++i) Sleep(20);
    EXPECT_FALSE(IsWindow(topic)) << "a key leaves the topic open";
  }
  // The Escape that closed the last topic did not clear the 7.
  app.Settle();
  EXPECT_EQ(app.Display(), "7.");
  ASSERT_TRUE(app.Focus());
  app.Type("+1=");
  EXPECT_EQ(app.WaitForDisplay("8."), "8.");
  EXPECT_EQ(app.Close(), 0);
}

// Help files that are not there or not help ---------------------------------

// F1 with quib.chm missing, then with a quib.chm that is no help file: help
// shows nothing useful, and the calculator goes on working.
TEST_F(DesktopGui, MissingOrBrokenHelpFileLeavesTheCalculatorWorking) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string dir = std::string(temp) + "quib help test";
  CreateDirectoryA(dir.c_str(), nullptr);
  const std::string exe = dir + "\\quib.exe";
  const std::string chm = dir + "\\quib.chm";
  ASSERT_TRUE(CopyFileA(quibtest::QuibExePath().c_str(), exe.c_str(), FALSE));
  DeleteFileA(chm.c_str());
  for (bool broken : {false, true}) {
    SCOPED_TRACE(broken ? "broken help file" : "no help file");
    if (broken) {
      HANDLE file = CreateFileA(chm.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
      ASSERT_NE(file, INVALID_HANDLE_VALUE);
      const char junk[] = "ITSF but not really a help file\x01\x02\x03";
      DWORD written = 0;
      WriteFile(file, junk, sizeof junk, &written, nullptr);
      CloseHandle(file);
    }
    QuibApp app;
    app.UseExe(exe);
    ASSERT_NO_FATAL_FAILURE(Start(app, "", kStandard));
    app.Press(VK_F1);
    Sleep(1500);
    EXPECT_EQ(app.WaitForExit(0), -1) << "quib.exe ended";
    // Whatever the viewer showed goes away; the calculator is still there.
    for (const char* cls : {"HH Parent", "#32770"}) {
      for (HWND w : quibtest::FindTopWindows(app.processId(), cls)) {
        PostMessageA(w, WM_CLOSE, 0, 0);
      }
    }
    Sleep(300);
    ASSERT_TRUE(app.Focus());
    app.Type("2+3=");
    EXPECT_EQ(app.WaitForDisplay("5."), "5.");
    EXPECT_EQ(app.Close(), 0);
  }
  DeleteFileA(chm.c_str());
  DeleteFileA(exe.c_str());
  RemoveDirectoryA(dir.c_str());
}

// The release package ------------------------------------------------------

// Run by package_test.sh only (QUIB_PACKAGE_TEST=1): quib.exe is then the one
// unpacked from the zip into a folder whose name has spaces and letters
// beyond ASCII, in a fresh Wine prefix.
TEST_F(DesktopGui, PackageStartsFromItsFolderAndFindsItsHelp) {
  char flag[8] = {};
  if (GetEnvironmentVariableA("QUIB_PACKAGE_TEST", flag, sizeof flag) == 0) {
    GTEST_SKIP() << "run by package_test.sh";
  }
  const std::string exe = quibtest::QuibExePath();
  EXPECT_NE(exe.find(' '), std::string::npos) << exe;
  EXPECT_TRUE(std::any_of(exe.begin(), exe.end(), [](char ch) { return ch & 0x80; })) << exe;
  QuibApp app;
  ASSERT_NO_FATAL_FAILURE(Start(app, "", kStandard));
  app.Type("2+3=");
  EXPECT_EQ(app.WaitForDisplay("5."), "5.");
  app.Press(VK_F1);
  HWND help = nullptr;
  for (int i = 0; i < 500 && help == nullptr; ++i) {
    const auto windows = quibtest::FindTopWindows(app.processId(), "HH Parent");
    if (windows.empty()) Sleep(20); else help = windows.front();
  }
  ASSERT_NE(help, nullptr) << "F1 finds no help file beside " << exe;
  char title[128] = {};
  GetWindowTextA(help, title, sizeof title);
  EXPECT_STREQ(title, "Quib Help");
  Screenshot(help, "package_help.png");
  PostMessageA(help, WM_CLOSE, 0, 0);
  for (int i = 0; i < 100 && IsWindow(help); ++i) Sleep(20);
  EXPECT_EQ(app.Close(), 0);
}

}  // namespace
