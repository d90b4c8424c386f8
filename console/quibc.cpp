// quibc: the calculator engine on the command line.
//
// Starts the engine as the program does, replays each TEXT argument (or each
// line of standard input) as the window's Paste would, and prints after each
// one what Copy would put on the clipboard, or the error message while the
// keypad is locked. See Usage() for the options.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "arith/settings.h"
#include "engine/clipboard.h"
#include "engine/dispatch.h"
#include "engine/headless/headless_window.h"
#include "engine/layout.h"
#include "engine/state.h"
#include "engine/window.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitLocked = 1;
constexpr int kExitUsage = 2;

constexpr int32_t kMaxPrecision = 64;
// Longest TEXT or input line replayed. Every character is one command, so
// this bounds the work one input can ask for.
constexpr size_t kMaxTextBytes = 65536;

const char kUsage[] =
    "Usage: quibc [--standard | --scientific] [--precision N] [--display]\n"
    "             [--trace] [--keys] [--] TEXT...\n";

const char kHelp[] =
    "Runs the calculator engine without a window.\n"
    "\n"
    "Each TEXT is replayed as the Paste menu command replays the clipboard:\n"
    "one key per character (digits 0-9 and A-F, + - * / = % ( ) and the other\n"
    "paste characters, \":\" prefixes such as \":m\" for MS), stopping at an\n"
    "unrecognised character or when a key causes an error. All TEXTs run in one\n"
    "calculator, in order. After each TEXT one line is printed: the display\n"
    "text as Copy puts it on the clipboard (\"15\"), or the error message while\n"
    "the keypad is locked. Without TEXT, each line of standard input is one\n"
    "TEXT. A TEXT or line may be at most 65536 bytes long.\n"
    "\n"
    "Statistics: \":S\" opens the statistics box (a list without a window),\n"
    "\"\\\" stores the value shown, \":A\", \":T\" and \":D\" give the mean, the sum\n"
    "and the standard deviation of the stored numbers (with \"I\" first: the\n"
    "mean and sum of squares, the population deviation).\n"
    "\n"
    "Options:\n"
    "  --scientific   scientific layout with precedence and parentheses\n"
    "                 (the default)\n"
    "  --standard     standard layout: strictly left to right, radix 10 only,\n"
    "                 \"%\" is percent\n"
    "  --precision N  decimal digits of an entry, as the program's P option;\n"
    "                 default 32, values above 64 count as 64\n"
    "  --display      print the raw display text instead (\"15.\")\n"
    "  --trace        also print a line for every command executed (the\n"
    "                 keys of a TEXT, then the paste command 301 itself):\n"
    "                 <id> TAB <display text> TAB <flags>, the flags being\n"
    "                 those of beep locked inv hyp M that hold after it, and\n"
    "                 the parenthesis indicator (\"(=2\"), separated by blanks\n"
    "  --keys         read each TEXT as whitespace-separated decimal command\n"
    "                 ids (0 to 4294967295) and execute them all\n"
    "  --help         show this help\n"
    "  --             end of options (a TEXT may then begin with \"--\")\n"
    "\n"
    "Arguments that do not begin with \"--\" are TEXTs, so \"-5*2=\" works.\n"
    "\n"
    "Exit status: 0; 1 when the last TEXT left the keypad locked by an error;\n"
    "2 for bad usage or input that could not be replayed.\n"
    "\n"
    "Examples:\n"
    "  quibc '12+3='                 15\n"
    "  quibc --standard '2+3*4='     20\n"
    "  quibc '1+2*(3+4)='            15\n"
    "  quibc --display '2.5*2='      5.\n"
    "  quibc ':5 FF+1='              100 (radix 16)\n"
    "  quibc --keys '126 92 127 112' 5\n"
    "  quibc ':S 2\\4\\4\\4\\5\\5\\7\\9\\ :T'\n"
    "                                40 (statistics)\n";

struct Options {
  int32_t layout = kLayoutScientific;
  int32_t precision = 32;
  bool display = false;
  bool trace = false;
  bool keys = false;
  std::vector<std::string> texts;
};

int UsageError(const std::string& message) {
  std::fprintf(stderr, "quibc: %s\n%s", message.c_str(), kUsage);
  return kExitUsage;
}

// A run of decimal digits, saturating at the given limit; false when the
// text is empty or holds anything else.
bool ParseUnsigned(const std::string& text, uint64_t limit, uint64_t& value) {
  if (text.empty()) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > limit) value = limit + 1;  // saturate, keep "too large"
  }
  return true;
}

bool ParsePrecision(const std::string& text, int32_t& precision) {
  uint64_t value = 0;
  if (!ParseUnsigned(text, kMaxPrecision, value)) return false;
  precision = static_cast<int32_t>(value > kMaxPrecision ? kMaxPrecision : value);
  return true;
}

// Splits a --keys text into command ids; on failure names the bad token.
bool ParseKeys(const std::string& text, std::vector<CommandId>& ids,
               std::string& bad) {
  ids.clear();
  size_t pos = 0;
  const char* blanks = " \t\r\n\v\f";
  while (true) {
    pos = text.find_first_not_of(blanks, pos);
    if (pos == std::string::npos) return true;
    size_t end = text.find_first_of(blanks, pos);
    if (end == std::string::npos) end = text.size();
    const std::string token = text.substr(pos, end - pos);
    uint64_t value = 0;
    if (!ParseUnsigned(token, UINT32_MAX, value) || value > UINT32_MAX) {
      bad = token.size() > 40 ? token.substr(0, 40) + "..." : token;
      return false;
    }
    ids.push_back(static_cast<CommandId>(value));
    pos = end;
  }
}

// Returns -1 when the options are good, else the exit status.
int ParseOptions(int argc, char** argv, Options& options) {
  bool layoutGiven = false;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (optionsEnded || arg.rfind("--", 0) != 0) {
      if (!optionsEnded && arg == "-h") {
        std::printf("%s\n%s", kUsage, kHelp);
        return kExitOk;
      }
      options.texts.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--help") {
      std::printf("%s\n%s", kUsage, kHelp);
      return kExitOk;
    } else if (arg == "--standard" || arg == "--scientific") {
      const int32_t layout =
          arg == "--standard" ? kLayoutStandard : kLayoutScientific;
      if (layoutGiven && layout != options.layout) {
        return UsageError("--standard and --scientific exclude each other");
      }
      layoutGiven = true;
      options.layout = layout;
    } else if (arg == "--precision" || arg.rfind("--precision=", 0) == 0) {
      std::string value;
      if (arg == "--precision") {
        if (i + 1 >= argc) return UsageError("--precision needs a number");
        value = argv[++i];
      } else {
        value = arg.substr(std::strlen("--precision="));
      }
      if (!ParsePrecision(value, options.precision)) {
        return UsageError("--precision needs a number of digits, not '" +
                          value.substr(0, 40) + "'");
      }
    } else if (arg == "--display") {
      options.display = true;
    } else if (arg == "--trace") {
      options.trace = true;
    } else if (arg == "--keys") {
      options.keys = true;
    } else {
      return UsageError("unknown option '" + arg.substr(0, 40) + "'");
    }
  }
  for (const std::string& text : options.texts) {
    if (text.size() > kMaxTextBytes) {
      return UsageError("a TEXT is longer than 65536 bytes");
    }
    std::vector<CommandId> ids;
    std::string bad;
    if (options.keys && !ParseKeys(text, ids, bad)) {
      return UsageError("not a command id: '" + bad + "'");
    }
  }
  return -1;
}

// --- running commands ---

Options* runOptions = nullptr;

// Beeps of the commands still running, so that a paste's own line does not
// show the beeps of the keys it sent.
struct TraceFrame {
  uint64_t beepsAtStart;
  uint64_t nestedBeeps;
};
std::vector<TraceFrame> traceFrames;

void PrintTrace(CommandId id, bool beeped) {
  const EngineState& s = engineState;
  std::string flags;
  auto add = [&flags](const std::string& flag) {
    if (!flags.empty()) flags += ' ';
    flags += flag;
  };
  if (beeped) add("beep");
  if (s.errorLocked) add("locked");
  if (s.inverse) add("inv");
  if (s.hyperbolic) add("hyp");
  if (!HeadlessText(IdMemoryIndicator).empty()) add("M");
  const std::string paren = HeadlessText(IdParenIndicator);
  if (!paren.empty()) add(paren);
  std::printf("%u\t%s\t%s\n", static_cast<unsigned>(id),
              HeadlessText(IdDisplay).c_str(), flags.c_str());
}

void RunCommand(CommandId id) {
  traceFrames.push_back(TraceFrame{headless.beeps, 0});
  ExecuteCommand(id);
  const TraceFrame frame = traceFrames.back();
  traceFrames.pop_back();
  const uint64_t beeps = headless.beeps - frame.beepsAtStart;
  if (!traceFrames.empty()) traceFrames.back().nestedBeeps += beeps;
  if (runOptions->trace) PrintTrace(id, beeps > frame.nestedBeeps);
  // Nothing reads the call log here; keep it from growing.
  headless.calls.clear();
}

// A pasted character reaches the engine as a key of the window does.
void SendPastedCommand(CommandId id) { RunCommand(TranslateKey(id)); }

void PrintResult() {
  const std::string text = runOptions->display || engineState.errorLocked
                               ? HeadlessText(IdDisplay)
                               : CopyText();
  std::printf("%s\n", text.c_str());
}

// Replays one TEXT; false when it is not a valid --keys text.
bool RunText(const std::string& text) {
  if (runOptions->keys) {
    std::vector<CommandId> ids;
    std::string bad;
    if (!ParseKeys(text, ids, bad)) {
      std::fprintf(stderr, "quibc: not a command id: '%s'\n", bad.c_str());
      return false;
    }
    for (CommandId id : ids) RunCommand(id);
  } else {
    headless.clipboard = text;
    RunCommand(CmdPaste);
  }
  PrintResult();
  return true;
}

// Each line of standard input is one TEXT. Lines longer than the limit are
// skipped with a message, without being held in memory whole.
int RunStandardInput() {
#ifdef _WIN32
  // Text mode would end the input at a Ctrl-Z byte; carriage returns are
  // skipped by the paste anyway.
  _setmode(_fileno(stdin), _O_BINARY);
#endif
  int status = kExitOk;
  std::string line;
  bool tooLong = false;
  uint64_t lineNumber = 0;
  auto finishLine = [&]() {
    ++lineNumber;
    if (tooLong) {
      std::fprintf(stderr, "quibc: line %llu is longer than 65536 bytes, skipped\n",
                   static_cast<unsigned long long>(lineNumber));
      status = kExitUsage;
    } else if (!RunText(line)) {
      status = kExitUsage;
    }
    std::fflush(stdout);
    line.clear();
    tooLong = false;
  };
  char buffer[4096];
  bool pending = false;  // bytes of an unfinished line were read
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) {
    for (size_t i = 0; i < n; ++i) {
      if (buffer[i] == '\n') {
        finishLine();
        pending = false;
        continue;
      }
      pending = true;
      if (tooLong) continue;
      if (line.size() == kMaxTextBytes) {
        tooLong = true;
        line.clear();
        continue;
      }
      line.push_back(buffer[i]);
    }
  }
  if (pending) finishLine();
  if (status == kExitOk && engineState.errorLocked) status = kExitLocked;
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  const int parsed = ParseOptions(argc, argv, options);
  if (parsed >= 0) return parsed;
  runOptions = &options;

  try {
    settings.precision = options.precision;
    settings.radix = 10;
    settings.wordBits = 32;
    StartupReset();
    headless.sendCommand = SendPastedCommand;
    HeadlessApplyLayout(options.layout);
    headless.calls.clear();
  } catch (...) {
    std::fprintf(stderr, "quibc: cannot start the calculator: not enough memory\n");
    return kExitUsage;
  }

  if (options.texts.empty()) return RunStandardInput();
  for (const std::string& text : options.texts) RunText(text);
  return engineState.errorLocked ? kExitLocked : kExitOk;
}
