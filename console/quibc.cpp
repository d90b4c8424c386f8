// quibc: the calculator engine on the command line.
//
// Starts the engine as the program does, replays each TEXT argument (or each
// line of standard input, as soon as it is read) as the window's Paste
// would, and prints after each one what Copy would put on the clipboard, or
// the error message while the keypad is locked. At a terminal it prompts and
// edits lines with a history (console/line_editor.h); Ctrl-C and --timeout
// stop a line that runs long (console/interrupt.h). See kHelp for the
// options.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

#include "arith/settings.h"
#include "console/interrupt.h"
#include "console/line_editor.h"
#include "engine/clipboard.h"
#include "engine/dispatch.h"
#include "engine/headless/headless_window.h"
#include "engine/state.h"
#include "engine/window.h"
#include "quib_version.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitLocked = 1;
constexpr int kExitUsage = 2;

constexpr int32_t kMaxPrecision = 64;
// Longest TEXT or input line replayed. Every character is one command, so
// this bounds the work one input can ask for.
constexpr size_t kMaxTextBytes = 65536;
// Longest --timeout, in seconds (about 31 years).
constexpr uint64_t kMaxTimeoutSeconds = 1000000000;

const char kUsage[] =
    "Usage: quibc [--standard | --scientific] [--precision N] [--display]\n"
    "             [--trace] [--keys] [--timeout SECONDS] [--] [TEXT...]\n";

const char kHelp[] =
    "Runs the calculator engine without a window.\n"
    "\n"
    "Each TEXT is replayed as the Paste menu command replays the clipboard:\n"
    "one key per character (digits 0-9 and A-F, + - * / = % ( ) and the other\n"
    "paste characters, \":\" prefixes such as \":m\" for MS), stopping at an\n"
    "unrecognised character or when a key causes an error. All TEXTs run in one\n"
    "calculator, in order. After each TEXT one line is printed: the display\n"
    "text as Copy puts it on the clipboard (\"15\"), or the error message while\n"
    "the keypad is locked. A TEXT or line may be at most 65536 bytes long.\n"
    "\n"
    "Without TEXT, each line of standard input is one TEXT, answered as soon\n"
    "as it is read. A line that starts while an earlier line's error locks\n"
    "the keypad first clears it as the C key does (memory, statistics, radix\n"
    "and settings stay). At a terminal quibc shows the prompt \"> \", edits\n"
    "the line (arrow keys, Up and Down for earlier lines) and keeps a history\n"
    "in $XDG_STATE_HOME/quibc/history (~/.local/state/quibc/history).\n"
    "\n"
    "Ctrl-C stops the line being computed: it ends with \"Calculation\n"
    "stopped\" and, at a terminal, the session goes on with memory and\n"
    "statistics kept; with input from a file or pipe quibc ends there.\n"
    "Ctrl-C on an empty prompt, or Ctrl-D, ends the session.\n"
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
    "  --timeout SECONDS\n"
    "                 stop a TEXT or line that runs longer, as Ctrl-C does\n"
    "                 (\"2\" or \"0.5\"; a thousandth of a second at least)\n"
    "  --version      show the version\n"
    "  --help         show this help\n"
    "  --             end of options (a TEXT may then begin with \"--\")\n"
    "\n"
    "Arguments that do not begin with \"--\" are TEXTs, so \"-5*2=\" works.\n"
    "\n"
    "Exit status: 0; 1 when the last TEXT or line ended in an error (the\n"
    "keypad locked, \"Calculation stopped\" included); 2 for bad usage or input\n"
    "that could not be replayed.\n"
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
  int64_t timeoutMs = 0;  // 0: no limit
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

// Seconds with at most three decimals ("2", "0.5", "1.25"), above zero;
// more decimals are cut off, and very long times saturate.
bool ParseTimeout(const std::string& text, int64_t& ms) {
  const size_t point = text.find('.');
  const std::string whole = text.substr(0, point);
  std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
  uint64_t seconds = 0;
  uint64_t thousandths = 0;
  if (whole.empty() && fraction.empty()) return false;
  if (!whole.empty() && !ParseUnsigned(whole, kMaxTimeoutSeconds, seconds)) return false;
  if (!fraction.empty() && !ParseUnsigned(fraction, UINT64_MAX / 10, thousandths)) {
    return false;
  }
  fraction.resize(3, '0');
  ParseUnsigned(fraction, 999, thousandths);
  seconds = seconds > kMaxTimeoutSeconds ? kMaxTimeoutSeconds : seconds;
  ms = static_cast<int64_t>(seconds * 1000 + thousandths);
  return ms > 0;
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

// Whether `arg` is the option `name` with a value, as "--name VALUE" (the
// next argument, taken) or "--name=VALUE"; `value` is then that value, or
// empty when the next argument is missing.
bool OptionValue(const std::string& arg, const std::string& name, int argc,
                 char** argv, int& i, std::optional<std::string>& value) {
  value.reset();
  if (arg == name) {
    if (i + 1 < argc) value = argv[++i];
    return true;
  }
  if (arg.rfind(name + "=", 0) != 0) return false;
  value = arg.substr(name.size() + 1);
  return true;
}

// Returns -1 when the options are good, else the exit status.
int ParseOptions(int argc, char** argv, Options& options) {
  bool layoutGiven = false;
  bool optionsEnded = false;
  std::optional<std::string> value;
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
    } else if (OptionValue(arg, "--precision", argc, argv, i, value)) {
      if (!value) return UsageError("--precision needs a number");
      if (!ParsePrecision(*value, options.precision)) {
        return UsageError("--precision needs a number of digits, not '" +
                          value->substr(0, 40) + "'");
      }
    } else if (OptionValue(arg, "--timeout", argc, argv, i, value)) {
      if (!value) return UsageError("--timeout needs a number of seconds");
      if (!ParseTimeout(*value, options.timeoutMs)) {
        return UsageError("--timeout needs a number of seconds above 0, not '" +
                          value->substr(0, 40) + "'");
      }
    } else if (arg == "--version") {
      std::printf("quibc %s\n", QUIB_VERSION_STRING);
      return kExitOk;
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
  // A Ctrl-C or timeout that came between two commands of a line (the keys
  // of --keys) stops the next one: its watchdog period starts aborted.
  if (traceFrames.empty() && AbortFlag.load()) headless.abortNextCommand = true;
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

// A pasted character reaches the engine as a key of the window does: the
// standard layout has percent where the scientific one has Mod.
void SendPastedCommand(CommandId id) {
  if (id == CmdMod && IsStandardLayout()) id = CmdPercent;
  RunCommand(id);
}

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
    for (CommandId id : ids) {
      // A stopped line runs no further keys, not even a C that would unlock.
      if (engineState.errorLocked && AbortFlag.load()) break;
      RunCommand(id);
    }
  } else {
    headless.clipboard = text;
    RunCommand(CmdPaste);
  }
  return true;
}

bool IsBlank(const std::string& line) {
  return line.find_first_not_of(" \t\r\v\f") == std::string::npos;
}

// How the session reads its lines.
struct Session {
  bool terminalInput = false;  // Ctrl-C stops a line, the session goes on
  bool prompt = false;         // input and output are terminals
  bool editor = false;         // the line editor reads the lines
  bool stopped = false;        // the last line was stopped by Ctrl-C
};
Session session;

// Runs one TEXT or line of input, timed, and prints its answer at once.
// A line of input that holds keys first clears the error lock that an
// earlier line left, as the C key does. False for a bad --keys text.
bool RunLine(const std::string& text, bool fromInput) {
  // Whatever was pressed before the line started is not for it.
  AbortFlag.store(false);
  TakeInterrupt();
  if (fromInput && engineState.errorLocked && !IsBlank(text)) RunCommand(CmdClear);
  LineTimerStart(runOptions->timeoutMs);
  SetComputingPhase(true);
  const bool ran = RunText(text);
  SetComputingPhase(false);
  LineTimerStop();
  session.stopped = TakeInterrupt();
  if (ran) PrintResult();
  std::fflush(stdout);
  return ran;
}

enum class LineRead { Line, TooLong, End };

// The next line of standard input without the editor; a line longer than
// the limit is consumed without being held in memory whole. An unfinished
// last line counts as a line. Ctrl-C while waiting ends the input, unless
// it repeats one that was just handled at a terminal.
LineRead ReadPlainLine(std::string& line) {
  line.clear();
  bool tooLong = false;
  bool pending = false;  // bytes of an unfinished line were read
  if (session.prompt) {
    std::fputs("> ", stdout);
    std::fflush(stdout);
  }
  for (;;) {
    unsigned char byte = 0;
    switch (ReadInputByte(byte)) {
      case InputByte::Interrupted:
        TakeInterrupt();
        if (session.terminalInput && AbsorbInterrupt()) continue;
        return LineRead::End;
      case InputByte::Resized:
        TakeResize();
        continue;
      case InputByte::End:
        if (!pending) return LineRead::End;
        return tooLong ? LineRead::TooLong : LineRead::Line;
      case InputByte::Byte:
        break;
    }
    pending = true;
    if (byte == '\n') return tooLong ? LineRead::TooLong : LineRead::Line;
    if (tooLong) continue;
    if (line.size() == kMaxTextBytes) {
      tooLong = true;
      line.clear();
      continue;
    }
    line.push_back(static_cast<char>(byte));
  }
}

LineRead ReadLine(std::string& line) {
  if (!session.editor) return ReadPlainLine(line);
  if (LineEditorRead(line) == EditorRead::End) return LineRead::End;
  LineEditorRemember(line);
  if (line.size() <= kMaxTextBytes) return LineRead::Line;
  line.clear();
  return LineRead::TooLong;
}

// Each line of standard input is one TEXT, run as soon as it is read.
int RunStandardInput() {
#ifdef _WIN32
  // Text mode would end the input at a Ctrl-Z byte; carriage returns are
  // skipped by the paste anyway.
  _setmode(_fileno(stdin), _O_BINARY);
#endif
  session.terminalInput = isatty(0) != 0;
  session.prompt = session.terminalInput && isatty(1) != 0;
  session.editor = session.prompt && LineEditorOpen("quibc");
  int status = kExitOk;
  std::string line;
  uint64_t lineNumber = 0;
  for (LineRead read; (read = ReadLine(line)) != LineRead::End;) {
    ++lineNumber;
    if (read == LineRead::TooLong) {
      std::fprintf(stderr, "quibc: line %llu is longer than 65536 bytes, skipped\n",
                   static_cast<unsigned long long>(lineNumber));
      status = kExitUsage;
      continue;
    }
    if (!RunLine(line, true)) status = kExitUsage;
    if (session.stopped) {
      // Without a terminal Ctrl-C ends the run, as it ends a script.
      if (!session.terminalInput) break;
      StartInterruptGrace();
    }
  }
  if (session.editor) LineEditorClose();
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

  InstallInterruptHandler();
  if (options.texts.empty()) return RunStandardInput();
  for (const std::string& text : options.texts) {
    RunLine(text, false);
    if (session.stopped) break;
  }
  return engineState.errorLocked ? kExitLocked : kExitOk;
}
