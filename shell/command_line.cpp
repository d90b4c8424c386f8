#include "shell/command_line.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <climits>

#include "arith/settings.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The next character of a command line, a multi-byte character passed over
// whole. Windows knows the code page; elsewhere (the parser's native tests
// and fuzzing) every byte is a character. Never steps past the terminator.
const char* NextChar(const char* p) {
#ifdef _WIN32
  return CharNextA(p);
#else
  return *p == '\0' ? p : p + 1;
#endif
}

}  // namespace

const char* ReadDecimal(const char* text, int32_t& value) {
  int64_t v = 0;
  while (*text >= '0' && *text <= '9') {
    v = v * 10 + (*text - '0');
    if (v > INT32_MAX) v = INT32_MAX;
    ++text;  // a digit is never part of a multi-byte character
  }
  value = static_cast<int32_t>(v);
  return text;
}

void ParseCommandLineText(const char* commandLine, CommandLineOptions& options) {
  const char* p = commandLine;
  while (IsBlank(*p)) ++p;
  bool quoted = false;
  while (*p != '\0' && (quoted || !IsBlank(*p))) {
    if (*p == '"') quoted = !quoted;
    p = NextChar(p);
  }
  while (*p != '\0') {
    const char letter = *p;
    if (letter == 'P' || letter == 'p' || letter == 'R' || letter == 'r' ||
        letter == 'W' || letter == 'w') {
      ++p;
      while (*p == ':' || IsBlank(*p)) ++p;
      int32_t value = 0;
      p = ReadDecimal(p, value);
      switch (letter) {
        case 'P':
        case 'p':
          options.precision = value > 64 ? 64 : value;
          break;
        case 'R':
        case 'r':
          options.radix = value > 16 ? 16 : (value < 2 ? 2 : value);
          break;
        default:
          options.wordBits = value;
          break;
      }
      if (*p == '\0') break;
    }
    p = NextChar(p);
  }
}

#ifdef _WIN32
void ParseCommandLine() {
  CommandLineOptions options{settings.precision, settings.radix,
                             settings.wordBits};
  ParseCommandLineText(GetCommandLineA(), options);
  settings.precision = options.precision;
  settings.radix = options.radix;
  settings.wordBits = options.wordBits;
}
#endif

int32_t ParseLayoutSetting(const char* text) {
  const char* p = text;
  while (IsBlank(*p)) ++p;
  if (*p < '0' || *p > '9') return 1;
  int32_t value = 0;
  p = ReadDecimal(p, value);
  while (IsBlank(*p)) ++p;
  return (*p == '\0' && value == 0) ? 0 : 1;
}
