// The resources of quib.exe (read from the built program as a data file),
// the KeyNameTable loaded from them, and the key table.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "engine/messages.h"
#include "engine/state.h"
#include "arith/settings.h"
#include "gui_test_util.h"
#include "shell/key_names.h"
#include "shell/layout_window.h"

namespace {

class QuibResources : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    module_ = LoadLibraryExA(quibtest::QuibExePath().c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE);
  }
  static void TearDownTestSuite() {
    if (module_ != nullptr) FreeLibrary(module_);
    module_ = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(module_, nullptr) << "cannot load " << quibtest::QuibExePath();
  }
  static HMODULE module_;
};

HMODULE QuibResources::module_ = nullptr;

// Dialog templates ---------------------------------------------------------

struct DialogItem {
  DWORD style;
  int16_t x, y, cx, cy;
  DWORD id;
  std::wstring className;  // "#128" style names for the predefined classes
};

struct Dialog {
  DWORD style;
  int16_t cx, cy;
  uint16_t pointSize;
  std::wstring className;
  std::wstring title;
  std::vector<DialogItem> items;
};

class TemplateReader {
 public:
  explicit TemplateReader(const uint8_t* p) : p_(p) {}
  uint16_t Word() {
    uint16_t v;
    std::memcpy(&v, p_, 2);
    p_ += 2;
    return v;
  }
  uint32_t Dword() {
    uint32_t v;
    std::memcpy(&v, p_, 4);
    p_ += 4;
    return v;
  }
  int16_t Short() { return static_cast<int16_t>(Word()); }
  std::wstring String() {
    std::wstring s;
    for (uint16_t c = Word(); c != 0; c = Word()) s += static_cast<wchar_t>(c);
    return s;
  }
  std::wstring StringOrOrdinal() {
    uint16_t first;
    std::memcpy(&first, p_, 2);
    if (first == 0xFFFF) {
      Word();
      return L"#" + std::to_wstring(Word());
    }
    return String();
  }
  void AlignDword(const uint8_t* base) {
    while ((p_ - base) % 4 != 0) ++p_;
  }
  void Skip(size_t n) { p_ += n; }

 private:
  const uint8_t* p_;
};

// Reads an extended dialog template (DIALOGEX).
bool ReadDialogEx(HMODULE module, int id, Dialog& dialog) {
  HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
  if (info == nullptr) return false;
  const auto* base = static_cast<const uint8_t*>(LockResource(LoadResource(module, info)));
  TemplateReader r(base);
  if (r.Word() != 1 || r.Word() != 0xFFFF) return false;
  r.Dword();  // help id
  r.Dword();  // extended style
  dialog.style = r.Dword();
  const uint16_t count = r.Word();
  r.Short();
  r.Short();
  dialog.cx = r.Short();
  dialog.cy = r.Short();
  r.StringOrOrdinal();  // menu
  dialog.className = r.StringOrOrdinal();
  dialog.title = r.String();
  if (dialog.style & DS_SETFONT) {
    dialog.pointSize = r.Word();
    r.Word();
    r.Skip(2);
    r.String();
  }
  for (uint16_t i = 0; i < count; ++i) {
    r.AlignDword(base);
    DialogItem item;
    r.Dword();  // help id
    r.Dword();  // extended style
    item.style = r.Dword();
    item.x = r.Short();
    item.y = r.Short();
    item.cx = r.Short();
    item.cy = r.Short();
    item.id = r.Dword();
    item.className = r.StringOrOrdinal();
    r.StringOrOrdinal();  // text
    r.Skip(r.Word());     // creation data
    dialog.items.push_back(item);
  }
  return true;
}

// A predefined control class is named by its ordinal or by its name.
struct ControlClass {
  const wchar_t* ordinal;
  const wchar_t* name;
};
constexpr ControlClass kButtonClass{L"#128", L"Button"};
constexpr ControlClass kStaticClass{L"#130", L"Static"};
constexpr ControlClass kListBoxClass{L"#131", L"ListBox"};

bool IsClass(const DialogItem& item, const ControlClass& c) {
  return item.className == c.ordinal || _wcsicmp(item.className.c_str(), c.name) == 0;
}

bool IsOwnerDrawnKey(const DialogItem& item) {
  return IsClass(item, kButtonClass) && (item.style & BS_TYPEMASK) == BS_OWNERDRAW &&
         (item.style & WS_VISIBLE) && (item.style & WS_CHILD);
}

TEST_F(QuibResources, StandardLayoutHasTheFixedGeometry) {
  Dialog d;
  ASSERT_TRUE(ReadDialogEx(module_, 102, d));
  EXPECT_EQ(d.cx, 169);
  EXPECT_EQ(d.cy, 129);
  EXPECT_EQ(d.pointSize, 7);
  EXPECT_EQ(_wcsicmp(d.className.c_str(), L"SciQuib"), 0);  // any case
  EXPECT_EQ(d.title, L"Quib");  // string 78, the application title
  EXPECT_EQ(d.style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE),
            static_cast<DWORD>(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX));
  struct Want {
    DWORD id;
    int16_t x, y, cx, cy;
  };
  const Want want[] = {
      {403, 3, 2, 162, 19},   {303, 5, 22, 23, 21},   {83, 33, 23, 45, 18},
      {82, 80, 23, 41, 18},   {81, 123, 23, 41, 18},  {113, 3, 45, 28, 18},
      {114, 3, 65, 28, 18},   {116, 3, 84, 28, 18},   {401, 7, 105, 21, 18},
      {131, 36, 45, 24, 18},  {128, 36, 65, 24, 18},  {125, 36, 85, 24, 18},
      {124, 36, 105, 24, 18}, {132, 62, 45, 24, 18},  {129, 62, 65, 24, 18},
      {126, 62, 85, 24, 18},  {80, 62, 105, 24, 18},  {133, 88, 45, 24, 18},
      {130, 88, 65, 24, 18},  {127, 88, 85, 24, 18},  {85, 88, 105, 24, 18},
      {90, 114, 45, 24, 18},  {91, 114, 65, 24, 18},  {93, 114, 85, 24, 18},
      {92, 114, 105, 24, 18}, {103, 139, 45, 27, 18}, {109, 139, 65, 27, 18},
      {107, 139, 85, 27, 18}, {112, 139, 105, 27, 18},
  };
  ASSERT_EQ(d.items.size(), std::size(want));
  for (const Want& w : want) {
    SCOPED_TRACE(w.id);
    const DialogItem* item = nullptr;
    for (const DialogItem& i : d.items) {
      if (i.id == w.id) item = &i;
    }
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->x, w.x);
    EXPECT_EQ(item->y, w.y);
    EXPECT_EQ(item->cx, w.cx);
    EXPECT_EQ(item->cy, w.cy);
    if (w.id >= 80 && w.id <= 139) {
      EXPECT_TRUE(IsOwnerDrawnKey(*item));
    }
  }
  for (const DialogItem& i : d.items) {
    if (i.id == 403) {
      EXPECT_EQ(i.style & SS_TYPEMASK, static_cast<DWORD>(SS_RIGHT));
      EXPECT_TRUE(i.style & SS_CENTERIMAGE);
      EXPECT_TRUE(i.style & SS_NOTIFY);
    }
    if (i.id == 303) {
      EXPECT_EQ(i.style & SS_TYPEMASK, static_cast<DWORD>(SS_BITMAP));
      EXPECT_TRUE(i.style & SS_NOTIFY);
    }
  }
}

TEST_F(QuibResources, ScientificLayoutHasEveryControl) {
  Dialog d;
  ASSERT_TRUE(ReadDialogEx(module_, 101, d));
  EXPECT_EQ(_wcsicmp(d.className.c_str(), L"SciQuib"), 0);
  EXPECT_EQ(d.pointSize, 7);
  std::map<DWORD, const DialogItem*> byId;
  for (const DialogItem& i : d.items) byId[i.id] = &i;
  for (DWORD key = 80; key <= 139; ++key) {
    SCOPED_TRACE(key);
    if (key == 103) {
      EXPECT_EQ(byId.count(key), 0u) << "the square root key is the standard layout's";
      continue;
    }
    ASSERT_EQ(byId.count(key), 1u);
    EXPECT_TRUE(IsOwnerDrawnKey(*byId[key]));
  }
  for (DWORD id = 140; id <= 148; ++id) {
    SCOPED_TRACE(id);
    ASSERT_EQ(byId.count(id), 1u);
    const DWORD type = byId[id]->style & BS_TYPEMASK;
    EXPECT_EQ(type, static_cast<DWORD>(id == 144 || id == 145 ? BS_CHECKBOX : BS_RADIOBUTTON));
  }
  for (DWORD id : {304u, 401u, 402u, 403u}) {
    SCOPED_TRACE(id);
    ASSERT_EQ(byId.count(id), 1u);
    EXPECT_TRUE(IsClass(*byId[id], kStaticClass));
  }
  EXPECT_EQ(byId.count(1000), 0u);
  // No two controls of the keypad overlap.
  for (const DialogItem& a : d.items) {
    for (const DialogItem& b : d.items) {
      if (&a == &b || a.id == 0xFFFFFFFF || b.id == 0xFFFFFFFF) continue;
      const bool overlap = a.x < b.x + b.cx && b.x < a.x + a.cx &&
                           a.y < b.y + b.cy && b.y < a.y + a.cy;
      EXPECT_FALSE(overlap) << a.id << " overlaps " << b.id;
    }
  }
}

TEST_F(QuibResources, StatisticsBoxHasItsControls) {
  Dialog d;
  ASSERT_TRUE(ReadDialogEx(module_, 103, d));
  std::map<DWORD, const DialogItem*> byId;
  for (const DialogItem& i : d.items) byId[i.id] = &i;
  ASSERT_EQ(byId.count(407), 1u);
  EXPECT_TRUE(IsClass(*byId[407], kListBoxClass));
  EXPECT_TRUE(byId[407]->style & LBS_NOTIFY);
  EXPECT_FALSE(byId[407]->style & LBS_SORT);
  EXPECT_FALSE(byId[407]->style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL));
  ASSERT_EQ(byId.count(408), 1u);
  EXPECT_TRUE(IsClass(*byId[408], kStaticClass));
  for (DWORD id : {404u, 405u, 410u, 411u}) {
    SCOPED_TRACE(id);
    ASSERT_EQ(byId.count(id), 1u);
    EXPECT_TRUE(IsClass(*byId[id], kButtonClass));
  }
}

// Accelerators --------------------------------------------------------------

TEST_F(QuibResources, AcceleratorTableIsExactlyAsListed) {
  HACCEL table = LoadAcceleratorsA(module_, MAKEINTRESOURCEA(105));
  ASSERT_NE(table, nullptr);
  const int count = CopyAcceleratorTableA(table, nullptr, 0);
  std::vector<ACCEL> rows(static_cast<size_t>(count));
  CopyAcceleratorTableA(table, rows.data(), count);
  DestroyAcceleratorTable(table);

  std::vector<ACCEL> want;
  auto character = [&](int ch, WORD cmd) { want.push_back({0, static_cast<WORD>(ch), cmd}); };
  auto key = [&](BYTE mods, WORD vk, WORD cmd) {
    want.push_back({static_cast<BYTE>(FVIRTKEY | mods), vk, cmd});
  };
  for (int d = 0; d <= 9; ++d) character('0' + d, static_cast<WORD>(124 + d));
  const std::pair<char, WORD> symbols[] = {
      {'!', 106}, {'#', 105}, {'@', 104}, {'/', 90},  {'*', 91},  {'%', 94},
      {'-', 93},  {'=', 112}, {'+', 92},  {'&', 86},  {'|', 87},  {'~', 97},
      {'^', 88},  {'(', 122}, {')', 123}, {';', 96},  {'<', 89},  {'.', 85},
      {',', 85}};
  for (const auto& [ch, cmd] : symbols) character(ch, cmd);
  const std::pair<int, WORD> controls[] = {
      {0x13, 84},  {0x0D, 115}, {0x10, 116}, {0x0C, 113}, {0x12, 303},
      {0x01, 118}, {0x14, 119}, {0x04, 304}, {0x03, 300}, {0x16, 301}};
  for (const auto& [ch, cmd] : controls) character(ch, cmd);
  const std::pair<char, WORD> letters[] = {
      {'A', 134}, {'B', 135}, {'C', 136}, {'D', 137}, {'E', 138}, {'F', 139},
      {'S', 98},  {'O', 99},  {'T', 100}, {'R', 107}, {'Y', 95},  {'M', 108},
      {'N', 101}, {'L', 102}, {'V', 110}, {'X', 117}, {'I', 144}, {'H', 145},
      {'P', 111}};
  for (const auto& [letter, cmd] : letters) {
    key(0, static_cast<WORD>(letter), cmd);
    key(FSHIFT, static_cast<WORD>(letter), cmd);
  }
  key(FCONTROL | FSHIFT, 'K', 302);
  key(0, VK_LEFT, 83);
  key(0, VK_BACK, 83);
  key(0, VK_DELETE, 82);
  key(0, VK_ESCAPE, 81);
  key(0, VK_F2, 146);
  key(0, VK_F3, 147);
  key(0, VK_F4, 148);
  key(0, VK_F5, 143);
  key(0, VK_F6, 142);
  key(0, VK_F7, 141);
  key(0, VK_F8, 140);
  key(0, VK_F9, 80);
  key(0, VK_RETURN, 112);
  key(0, VK_INSERT, 121);
  key(FCONTROL, VK_INSERT, 300);
  key(FSHIFT, VK_INSERT, 301);
  key(0, VK_ADD, 92);

  ASSERT_EQ(rows.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(rows[i].fVirt & (FVIRTKEY | FSHIFT | FCONTROL | FALT), want[i].fVirt);
    EXPECT_EQ(rows[i].key, want[i].key);
    EXPECT_EQ(rows[i].cmd, want[i].cmd);
  }
}

// Strings and the KeyNameTable ---------------------------------------------

TEST_F(QuibResources, EngineTextsMatchTheStringTable) {
  for (int32_t id = kFirstEngineString; id <= kLastEngineString; ++id) {
    SCOPED_TRACE(id);
    char text[256] = {};
    LoadStringA(module_, static_cast<UINT>(id), text, sizeof text);
    ASSERT_NE(EngineString(id), nullptr);
    EXPECT_STREQ(text, EngineString(id));
  }
}

TEST_F(QuibResources, KeyNameTableHoldsEveryString) {
  ASSERT_TRUE(LoadKeyNameTable(module_));
  const std::pair<int32_t, const char*> captions[] = {
      {0, "+/-"},  {3, "<----"}, {6, "And"},  {7, "Or"},   {8, "Xor"},
      {9, "Lsh"},  {11, "X"},    {14, "Mod"}, {15, "x^y"}, {16, "Int"},
      {17, "Not"}, {18, "sin"},  {19, "cos"}, {20, "tan"}, {21, "ln"},
      {22, "log"}, {24, "x^2"},  {25, "x^3"}, {26, "n!"},  {28, "dms"},
      {30, "F-E"}, {31, "pi"},   {37, "Exp"}, {38, "Ave"}, {39, "Sum"},
      {40, "s"},   {41, "Dat"},  {42, "("},   {43, ")"},   {54, "A"},
      {59, "F"},   {44, "0"},    {53, "9"},   {60, "Dword"}, {61, "Word"},
      {62, "Byte"}, {63, "Degrees"}, {78, "Quib"}};
  for (const auto& [id, text] : captions) {
    SCOPED_TRACE(id);
    EXPECT_STREQ(KeyName(id), text);
  }
  for (int32_t id = 0; id < 60; ++id) {
    EXPECT_STRNE(KeyName(id), "") << "key caption " << id;
  }
  for (int32_t id = 60; id <= 79; ++id) {
    char text[256] = {};
    LoadStringA(module_, static_cast<UINT>(id), text, sizeof text);
    EXPECT_STREQ(KeyName(id), text) << id;
  }
  EXPECT_STREQ(KeyName(77), "");  // no such string: empty
  EXPECT_STREQ(KeyName(-1), "");
  EXPECT_STREQ(KeyName(80), "");
  EXPECT_LE(KeyNameTableSize(), kKeyNameBlockSize);
  // The decimal point key's caption follows the separator; an empty entry
  // is never written into.
  SetKeyNameFirstChar(5, ',');
  EXPECT_STREQ(KeyName(5), ",");
  EXPECT_STREQ(KeyName(6), "And");
  SetKeyNameFirstChar(77, ',');
  EXPECT_STREQ(KeyName(77), "");
  EXPECT_STREQ(KeyName(78), "Quib");
  FreeKeyNameTable();
  EXPECT_STREQ(KeyName(0), "");
}

TEST(KeyNameTable, MissingStringsAreEmpty) {
  // The test program has no string table at all.
  ASSERT_TRUE(LoadKeyNameTable(GetModuleHandleA(nullptr)));
  for (int32_t id = 0; id < kKeyNameCount; ++id) EXPECT_STREQ(KeyName(id), "") << id;
  EXPECT_EQ(KeyNameTableSize(), static_cast<size_t>(kKeyNameCount));
  FreeKeyNameTable();
}

// Key table ---------------------------------------------------------------

TEST(KeyTable, ColoursAndHelpTopics) {
  struct Case {
    int32_t key;
    uint32_t color;
    uint32_t help;
  };
  const Case cases[] = {
      {80, kColorBlue, 80},     {81, kColorRed, 81},      {83, kColorRed, 83},
      {84, kColorBlue, 84},     {85, kColorBlue, 85},     {86, kColorRed, 86},
      {94, kColorRed, 94},      {95, kColorMagenta, 95},  {96, kColorRed, 96},
      {97, kColorRed, 97},      {98, kColorMagenta, 98},  {102, kColorMagenta, 102},
      {103, kColorBlue, 103},   {104, kColorMagenta, 140}, {105, kColorMagenta, 104},
      {108, kColorMagenta, 107}, {109, kColorBlue, 108},  {110, kColorMagenta, 109},
      {111, kColorBlue, 110},   {112, kColorRed, 111},    {116, kColorRed, 115},
      {117, kColorMagenta, 116}, {118, kColorBlue, 117},  {121, kColorBlue, 120},
      {122, kColorMagenta, 40}, {123, kColorMagenta, 41}, {124, kColorBlue, 48},
      {133, kColorBlue, 48},    {134, kColorBlue, 65},    {139, kColorBlue, 65},
  };
  engineState.layout = kLayoutScientific;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_TRUE(IsKey(c.key));
    EXPECT_EQ(KeyTable[static_cast<size_t>(c.key - 80)].textColor, c.color);
    EXPECT_EQ(KeyTextColor(c.key), c.color);
    EXPECT_EQ(HelpContextId(c.key), c.help);
  }
  EXPECT_FALSE(IsKey(79));
  EXPECT_FALSE(IsKey(140));
}

TEST(KeyTable, ReciprocalIsBlueInTheStandardLayout) {
  engineState.layout = kLayoutScientific;
  EXPECT_EQ(KeyTextColor(107), kColorMagenta);
  engineState.layout = kLayoutStandard;
  EXPECT_EQ(KeyTextColor(107), kColorBlue);
  EXPECT_EQ(KeyTextColor(106), kColorMagenta);
  engineState.layout = kLayoutScientific;
}

TEST(HelpContextId, OtherControls) {
  struct Case {
    int32_t id;
    int32_t radix;
    uint32_t help;
  };
  const Case cases[] = {
      {140, 10, 121}, {143, 16, 124}, {144, 10, 125}, {145, 2, 126},
      {146, 10, 127}, {148, 10, 129}, {146, 16, 21},  {147, 2, 22},
      {148, 8, 23},   {401, 10, 130}, {402, 10, 131}, {403, 10, 9},
      {303, 10, 0},   {0, 10, 0},     {1000, 10, 0},
  };
  const int32_t saved = settings.radix;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    settings.radix = c.radix;
    EXPECT_EQ(HelpContextId(c.id), c.help);
  }
  settings.radix = saved;
}

}  // namespace
