#include "shell/html_help.h"

#include <cstring>

#include "shell/shell_state.h"

namespace {

using HtmlHelpEntry = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

constexpr WORD kHtmlHelpAOrdinal = 14;
constexpr UINT kDisplayTopic = 0;  // HH_DISPLAY_TOPIC
constexpr const char* kHelpControlKey =
    "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

// User-interface thread only.
HMODULE helpModule = nullptr;
HtmlHelpEntry helpEntry = nullptr;
bool helpFailed = false;

}  // namespace

HWND ShowHtmlHelp(HWND owner, const char* file, UINT command, DWORD_PTR data) {
  if (helpFailed) return nullptr;
  if (helpModule == nullptr) {
    char path[kHelpModulePathSize] = {};
    if (LocateHtmlHelp(path)) helpModule = LoadLibraryA(path);
    if (helpModule == nullptr) helpModule = LoadLibraryA("hhctrl.ocx");
    if (helpModule == nullptr) {
      helpFailed = true;
      return nullptr;
    }
  }
  if (helpEntry == nullptr) {
    const FARPROC proc = GetProcAddress(helpModule, MAKEINTRESOURCEA(kHtmlHelpAOrdinal));
    if (proc == nullptr) {
      helpFailed = true;
      return nullptr;
    }
    // Through the generic function type, which converts without a warning.
    helpEntry = reinterpret_cast<HtmlHelpEntry>(reinterpret_cast<void (*)()>(proc));
  }
  return helpEntry(owner, file, command, data);
}

bool LocateHtmlHelp(char (&path)[kHelpModulePathSize]) {
  std::memset(path, 0, sizeof path);
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kHelpControlKey, 0, KEY_READ, &key) !=
      ERROR_SUCCESS) {
    return false;
  }
  // One byte is kept back: a value stored without its terminator still
  // reads as a terminated string.
  DWORD type = 0;
  DWORD size = sizeof path - 1;
  const LONG status = RegQueryValueExA(key, nullptr, nullptr, &type,
                                       reinterpret_cast<BYTE*>(path), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
    std::memset(path, 0, sizeof path);
    return false;
  }
  return true;
}

std::string HtmlHelpPath() {
  char module[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(AppInstance, module, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return kHtmlHelpFile;
  std::string path(module, n);
  const size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return kHtmlHelpFile;
  path.resize(slash + 1);
  return path + kHtmlHelpFile;
}

void ShowHelpTopics(HWND owner) {
  ShowHtmlHelp(owner, HtmlHelpPath().c_str(), kDisplayTopic, 0);
}
