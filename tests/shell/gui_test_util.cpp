#include "gui_test_util.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace quibtest {

namespace {

constexpr DWORD kStartTimeoutMs = 60000;
constexpr DWORD kPollMs = 20;
constexpr DWORD kClickPauseMs = 30;

std::string ModuleDir() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path);
  const size_t slash = dir.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : dir.substr(0, slash);
}

std::string Environment(const char* name) {
  char value[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableA(name, value, MAX_PATH);
  return (n > 0 && n < MAX_PATH) ? std::string(value) : std::string();
}

LRESULT SendTimeout(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(hwnd, message, wParam, lParam, SMTO_NORMAL, 10000,
                           &result)) {
    return 0;
  }
  return static_cast<LRESULT>(result);
}

void SendKey(WORD vk, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  switch (vk) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
    case VK_INSERT: case VK_DELETE: case VK_HOME: case VK_END:
      input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
      break;
    default:
      break;
  }
  SendInput(1, &input, sizeof input);
}

void SendMouse(DWORD flags, LONG x, LONG y) {
  const LONG w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dx = (x * 65536 + w / 2) / w;
  input.mi.dy = (y * 65536 + h / 2) / h;
  input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof input);
}

struct FindData {
  DWORD processId;
  const char* className;
  std::vector<HWND>* found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lParam) {
  auto* data = reinterpret_cast<FindData*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof name);
  if (pid == data->processId && std::strcmp(name, data->className) == 0 &&
      IsWindowVisible(hwnd)) {
    data->found->push_back(hwnd);
  }
  return TRUE;
}

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& body) {
  PutBigEndian(out, static_cast<uint32_t>(body.size()));
  std::vector<uint8_t> typed(type, type + 4);
  typed.insert(typed.end(), body.begin(), body.end());
  out.insert(out.end(), typed.begin(), typed.end());
  PutBigEndian(out, Crc32(typed.data(), typed.size()));
}

}  // namespace

std::string QuibExePath() {
  const std::string fromEnv = Environment("QUIB_EXE");
  if (!fromEnv.empty()) return fromEnv;
  return ModuleDir() + "\\" + QUIB_EXE_RELATIVE;
}

std::string ArtifactsDir() {
  std::string dir = Environment("QUIB_ARTIFACTS");
  if (dir.empty()) dir = ModuleDir() + "\\artifacts";
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

bool HaveDisplay() {
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return false;
  ReleaseDC(nullptr, screen);
  return GetSystemMetrics(SM_CXSCREEN) > 0;
}

void SetLayoutProfile(const char* value) {
  WriteProfileStringA("SciQuib", "layout", value);
}

std::vector<HWND> FindTopWindows(DWORD processId, const char* className) {
  std::vector<HWND> found;
  FindData data{processId, className, &found};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&data));
  return found;
}

namespace {

struct DialogSearch {
  const char* title;
  bool partial;
  HWND found;
};

BOOL CALLBACK CollectStatic(HWND child, LPARAM lParam) {
  char name[32] = {};
  GetClassNameA(child, name, sizeof name);
  if (_stricmp(name, "Static") == 0) {
    char text[512] = {};
    GetWindowTextA(child, text, sizeof text);
    if (text[0] != '\0') {
      auto* out = reinterpret_cast<std::string*>(lParam);
      if (!out->empty()) *out += "\n";
      *out += text;
    }
  }
  return TRUE;
}

}  // namespace

HWND WaitForDialog(DWORD processId, const char* title, DWORD ms, bool partial) {
  const DWORD start = GetTickCount();
  do {
    for (HWND w : FindTopWindows(processId, "#32770")) {
      char caption[256] = {};
      GetWindowTextA(w, caption, sizeof caption);
      const bool match = partial ? std::strstr(caption, title) != nullptr
                                 : std::strcmp(caption, title) == 0;
      if (match) return w;
    }
    Sleep(kPollMs);
  } while (GetTickCount() - start < ms);
  return nullptr;
}

std::string StaticTexts(HWND dialog) {
  std::string texts;
  EnumChildWindows(dialog, CollectStatic, reinterpret_cast<LPARAM>(&texts));
  return texts;
}

bool SetClipboardBytes(const std::string& bytes) {
  // Another program may hold the clipboard for a moment (Wine's own
  // clipboard manager does while it takes the text).
  bool open = false;
  for (int i = 0; i < 100 && !open; ++i) {
    open = OpenClipboard(nullptr) != FALSE;
    if (!open) Sleep(kPollMs);
  }
  if (!open) return false;
  bool ok = EmptyClipboard() != FALSE;
  if (ok && !bytes.empty()) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    ok = memory != nullptr;
    if (ok) {
      std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
      GlobalUnlock(memory);
      ok = SetClipboardData(CF_TEXT, memory) != nullptr;
      if (!ok) GlobalFree(memory);
    }
  }
  CloseClipboard();
  return ok;
}

std::string ClipboardText() {
  bool open = false;
  for (int i = 0; i < 100 && !open; ++i) {
    open = OpenClipboard(nullptr) != FALSE;
    if (!open) Sleep(kPollMs);
  }
  if (!open) return "<none>";
  std::string text = "<none>";
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const char* p = static_cast<const char*>(GlobalLock(data))) {
      text.assign(p, strnlen(p, GlobalSize(data)));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

QuibApp::~QuibApp() {
  if (process_.hProcess != nullptr) {
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_.hProcess, 1);
      WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }
}

bool QuibApp::Start(const std::string& arguments, const char* layout,
                    std::string& error) {
  SetLayoutProfile(layout);
  const std::string exe = exe_.empty() ? QuibExePath() : exe_;
  std::string commandLine = "\"" + exe + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  if (!CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, nullptr, &startup, &process_)) {
    error = "cannot start " + exe;
    return false;
  }
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kStartTimeoutMs) {
    const std::vector<HWND> windows = FindTopWindows(process_.dwProcessId, "SciQuib");
    if (!windows.empty()) {
      window_ = windows.front();
      Settle();
      return true;
    }
    if (WaitForSingleObject(process_.hProcess, kPollMs) == WAIT_OBJECT_0) {
      error = "quib.exe ended without showing its window";
      return false;
    }
  }
  error = "no window of class SciQuib appeared";
  return false;
}

bool QuibApp::WaitForNewWindow(HWND old, DWORD ms) {
  const DWORD start = GetTickCount();
  do {
    for (HWND w : FindTopWindows(process_.dwProcessId, "SciQuib")) {
      if (w != old) {
        window_ = w;
        Settle();
        return true;
      }
    }
    Sleep(kPollMs);
  } while (GetTickCount() - start < ms);
  return false;
}

int32_t QuibApp::WaitForExit(DWORD milliseconds) {
  if (WaitForSingleObject(process_.hProcess, milliseconds) != WAIT_OBJECT_0) {
    return -1;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return static_cast<int32_t>(code);
}

int32_t QuibApp::Close() {
  PostMessageA(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
  return WaitForExit(15000);
}

std::string QuibApp::Text(int32_t id) const {
  char buffer[512] = {};
  HWND control = Control(id);
  if (control == nullptr) return "<no control>";
  SendTimeout(control, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
  return buffer;
}

std::string QuibApp::WaitForText(int32_t id, const std::string& want, DWORD ms) const {
  const DWORD start = GetTickCount();
  std::string text = Text(id);
  while (text != want && GetTickCount() - start < ms) {
    Sleep(kPollMs);
    text = Text(id);
  }
  return text;
}

bool QuibApp::Checked(int32_t id) const {
  return SendTimeout(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool QuibApp::WaitForCheck(int32_t id, bool checked, DWORD ms) const {
  const DWORD start = GetTickCount();
  while (Checked(id) != checked) {
    if (GetTickCount() - start >= ms) return false;
    Sleep(kPollMs);
  }
  return true;
}

bool QuibApp::Enabled(int32_t id) const {
  HWND control = Control(id);
  return control != nullptr && IsWindowEnabled(control);
}

void QuibApp::Click(int32_t id) const { SendTimeout(Control(id), BM_CLICK, 0, 0); }

void QuibApp::MouseClick(int32_t id) const { MouseClickAt(Control(id), false); }

void QuibApp::MouseClickAt(HWND control, bool right, bool twice,
                           const POINT* screen) const {
  LONG x = 0, y = 0;
  if (screen != nullptr) {
    x = screen->x;
    y = screen->y;
  } else {
    RECT r;
    GetWindowRect(control, &r);
    x = (r.left + r.right) / 2;
    y = (r.top + r.bottom) / 2;
  }
  // A button that holds the mouse capture gets every click until it has
  // handled the release of the previous one, so each step waits for the
  // program: the capture is taken on the press and given up on the release.
  WaitForCapture(false);
  SendMouse(MOUSEEVENTF_MOVE, x, y);
  Sleep(kClickPauseMs);
  const DWORD down = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  const DWORD up = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  for (int i = 0; i < (twice ? 2 : 1); ++i) {
    // Each event carries its position: the pointer may have been put back
    // by a late motion event of the display in between.
    SendMouse(MOUSEEVENTF_MOVE | down, x, y);
    if (!right && control != nullptr && IsWindowEnabled(control)) WaitForCapture(true);
    SendMouse(MOUSEEVENTF_MOVE | up, x, y);
    if (!right) WaitForCapture(false);
  }
}

void QuibApp::WaitForCapture(bool held) const {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 2000) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(process_.dwThreadId, &info)) return;
    if ((info.hwndCapture != nullptr) == held) return;
    Sleep(5);
  }
}

bool QuibApp::Focus() const {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 5000) {
    SetForegroundWindow(window_);
    if (GetForegroundWindow() == window_) return true;
    Sleep(50);
  }
  return false;
}

void QuibApp::Type(const std::string& text) const {
  for (char c : text) {
    const SHORT scan = VkKeyScanA(c);
    if (scan == -1) continue;
    const WORD vk = static_cast<WORD>(scan & 0xFF);
    Press(vk, (scan & 0x100) != 0, (scan & 0x200) != 0);
  }
}

void QuibApp::Press(WORD vk, bool shift, bool control) const {
  if (control) SendKey(VK_CONTROL, false);
  if (shift) SendKey(VK_SHIFT, false);
  SendKey(vk, false);
  SendKey(vk, true);
  if (shift) SendKey(VK_SHIFT, true);
  if (control) SendKey(VK_CONTROL, true);
}

void QuibApp::Settle() const {
  WaitForInputIdle(process_.hProcess, 2000);
  SendTimeout(window_, WM_NULL, 0, 0);
}

Capture CaptureWindow(HWND window) {
  Capture capture;
  GetWindowRect(window, &capture.rect);
  capture.width = capture.rect.right - capture.rect.left;
  capture.height = capture.rect.bottom - capture.rect.top;
  if (capture.width <= 0 || capture.height <= 0) return capture;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = capture.width;
  info.bmiHeader.biHeight = -capture.height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, capture.width, capture.height, screen, capture.rect.left,
         capture.rect.top, SRCCOPY);
  GdiFlush();
  const size_t stride = (static_cast<size_t>(capture.width) * 3 + 3) & ~static_cast<size_t>(3);
  capture.rgb.resize(static_cast<size_t>(capture.width * capture.height * 3));
  const auto* source = static_cast<const uint8_t*>(bits);
  for (int32_t y = 0; y < capture.height; ++y) {
    for (int32_t x = 0; x < capture.width; ++x) {
      const uint8_t* p = source + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3;
      uint8_t* q = &capture.rgb[static_cast<size_t>((y * capture.width + x) * 3)];
      q[0] = p[2];
      q[1] = p[1];
      q[2] = p[0];
    }
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return capture;
}

bool SavePng(const Capture& capture, const std::string& path) {
  // Filter byte 0 before every row; deflate with stored blocks only.
  std::vector<uint8_t> raw;
  for (int32_t y = 0; y < capture.height; ++y) {
    raw.push_back(0);
    const auto* row = &capture.rgb[static_cast<size_t>(y * capture.width * 3)];
    raw.insert(raw.end(), row, row + capture.width * 3);
  }
  std::vector<uint8_t> zlib = {0x78, 0x01};
  size_t offset = 0;
  do {
    const size_t n = raw.size() - offset < 65535 ? raw.size() - offset : 65535;
    const bool last = offset + n == raw.size();
    zlib.push_back(last ? 1 : 0);
    zlib.push_back(static_cast<uint8_t>(n & 0xFF));
    zlib.push_back(static_cast<uint8_t>(n >> 8));
    zlib.push_back(static_cast<uint8_t>(~n & 0xFF));
    zlib.push_back(static_cast<uint8_t>((~n >> 8) & 0xFF));
    zlib.insert(zlib.end(), raw.begin() + static_cast<ptrdiff_t>(offset),
                raw.begin() + static_cast<ptrdiff_t>(offset + n));
    offset += n;
  } while (offset < raw.size());
  uint32_t a = 1, b = 0;
  for (uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBigEndian(zlib, (b << 16) | a);

  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutBigEndian(header, static_cast<uint32_t>(capture.width));
  PutBigEndian(header, static_cast<uint32_t>(capture.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", zlib);
  PutChunk(png, "IEND", {});
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool ok = std::fwrite(png.data(), 1, png.size(), file) == png.size();
  return std::fclose(file) == 0 && ok;
}

}  // namespace quibtest
