#include "fuzz/fuzz_engine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string_view>
#include <utility>

#include "arith/alloc.h"
#include "arith/constants.h"
#include "arith/error.h"
#include "arith/integer.h"
#include "arith/radix_convert.h"
#include "arith/settings.h"
#include "engine/dispatch.h"
#include "engine/display.h"
#include "engine/headless/headless_window.h"
#include "engine/radix.h"
#include "engine/state.h"
#include "engine/statistics.h"
#include "engine/window.h"
#include "numtext/from_text.h"
#include "numtext/settings.h"
#include "numtext/to_text.h"

namespace {

void PrintAndAbort(const std::string& what) {
  std::fprintf(stderr, "fuzz invariant broken: %s\n", what.c_str());
  std::abort();
}

// The checks must not see an abort meant for the command, nor use up the
// poll budget of a command still running around them (a nested paste).
class QuietArithmetic {
 public:
  QuietArithmetic()
      : flag_(AbortFlag.load()), budget_(AbortPollBudget.load()) {
    AbortFlag.store(false);
    AbortPollBudget.store(-1);
  }
  ~QuietArithmetic() {
    AbortFlag.store(flag_);
    AbortPollBudget.store(budget_);
  }
  QuietArithmetic(const QuietArithmetic&) = delete;
  QuietArithmetic& operator=(const QuietArithmetic&) = delete;

 private:
  bool flag_;
  int64_t budget_;
};

bool Printable(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) {
      return false;
    }
  }
  return true;
}

void CheckText(const std::string& text, const char* what) {
  if (text.empty()) FuzzFail(std::string(what) + " is empty");
  if (!Printable(text)) FuzzFail(std::string(what) + " is not printable: " + text);
}

// A 64-bit fingerprint of a value in its stored form (sign, exponent, every
// digit of numerator and denominator): what the checks remember of a value
// already found good, instead of a copy of it. Two different forms share one
// only by a 2^-64 chance, and a shared one merely skips a check.
class Fingerprint {
 public:
  Fingerprint& Add(uint64_t v) {
    h_ = (h_ ^ v) * 0x100000001B3ull;
    h_ ^= h_ >> 29;
    return *this;
  }
  Fingerprint& Add(const BigNum& x) {
    Add(static_cast<uint32_t>(x.sign)).Add(static_cast<uint32_t>(x.exp)).Add(
        static_cast<uint32_t>(x.count));
    for (int32_t i = 0; i < x.count; ++i) Add(x.digits()[i]);
    return *this;
  }
  Fingerprint& Add(const Rational& x) { return Add(*x.num).Add(*x.den); }
  uint64_t Value() const { return h_; }

 private:
  uint64_t h_ = 0xCBF29CE484222325ull;
};

// radix^n over 1, built once for each radix and n the checks ask for.
const Rational& RadixPower(int32_t radix, int32_t n) {
  static std::map<std::pair<int32_t, int32_t>, Rational> powers;
  Rational& p = powers[{radix, n}];
  if (!p.num) {
    p.num = RadixPowInternal(radix, n);
    p.den = BigNumFromInt(1, kInternalBase);
  }
  return p;
}

// pi to 50 decimals, built exactly.
Rational ReferencePi() {
  PrecisionRaise exact(1000);
  static const char kDigits[] = "314159265358979323846264338327950288419716939937510";
  Rational v = RatFromInt(0);
  const Rational ten = RatFromInt(10);
  for (const char* p = kDigits; *p != '\0'; ++p) {
    RatMul(v, ten);
    RatAdd(v, RatFromInt(*p - '0'));
  }
  Rational scale;
  scale.num = RadixPowInternal(10, 50);
  scale.den = BigNumFromInt(1, kInternalBase);
  RatDiv(v, scale);
  return v;
}

// Pi must hold its value to the working precision whatever happened to the
// rebuild that made it (an aborted series would leave a wrong one). Pi
// changes only with a rebuild, so a value already found good at its radix
// and precision is not measured again (inputs switch settings all the time,
// and back).
void CheckPi() {
  static const Rational reference = ReferencePi();
  static std::map<std::pair<int32_t, int32_t>, uint64_t> good;
  const std::pair<int32_t, int32_t> key{settings.radix, WorkingPrecision};
  const uint64_t print = Fingerprint().Add(Pi).Value();
  const auto known = good.find(key);
  if (known != good.end() && known->second == print) return;
  const int32_t precision = WorkingPrecision;
  // The reference holds 50 decimals; compare to 45 of them at most.
  const int32_t referenceDigits =
      static_cast<int32_t>(45.0 * std::log(10.0) / std::log(settings.radix));
  const int32_t digits = std::min(WorkingPrecision, referenceDigits) - 3;
  if (digits <= 0) return;
  // Copied before the precision is raised: raising it may switch to another
  // set's pi.
  Rational checked = CopyRational(Pi);
  PrecisionRaise wide(WorkingPrecision + 2 * DigitsPerWord);
  Rational diff = CopyRational(checked);
  RatSub(diff, reference);
  if (RatSign(diff) < 0) NegateRational(diff);
  RatMul(diff, RadixPower(settings.radix, digits));
  if (RatGreater(diff, RatOne)) {
    FuzzFail("the constant pi is wrong at radix " + std::to_string(settings.radix) +
             " and precision " + std::to_string(precision));
  }
  good[key] = print;
}

// The value the display shows in radix 2, 8 and 16: the integer part as an
// unsigned word (two's complement for negative values).
void ReduceToShownWord(Rational& v) {
  const Rational& mask = CurrentWordMask();
  RatInt(v);
  if (RatSign(v) < 0) {
    NegateRational(v);
    RatSub(v, RatOne);
    RatXor(v, mask);
  }
  RatAnd(v, mask);
}

// A current value together with everything its rendering depends on.
class ShownValue {
 public:
  bool Matches(const Rational& value, int32_t radix, int32_t mode) const {
    return known_ && radix == radix_ && mode == mode_ && precision_ == WorkingPrecision &&
           separator_ == DecimalSeparatorChar() && print_ == Print(value, radix);
  }
  void Remember(const Rational& value, int32_t radix, int32_t mode) {
    known_ = true;
    print_ = Print(value, radix);
    radix_ = radix;
    mode_ = mode;
    precision_ = WorkingPrecision;
    separator_ = DecimalSeparatorChar();
  }

 private:
  // Outside radix 10 the word mask shapes the rendering too.
  static uint64_t Print(const Rational& value, int32_t radix) {
    Fingerprint print;
    print.Add(value);
    if (radix != 10) print.Add(CurrentWordMask());
    return print.Value();
  }

  bool known_ = false;
  uint64_t print_ = 0;
  int32_t radix_ = 0;
  int32_t mode_ = 0;
  int32_t precision_ = 0;
  char separator_ = 0;
};

void CheckEntry(const EntryBuffer& entry) {
  const DigitString& m = entry.mantissa;
  const DigitString& e = entry.exponent;
  if (m.length < 1 || m.length > kDigitStringCapacity) {
    FuzzFail("entry mantissa length " + std::to_string(m.length));
  }
  if (e.length < 1 || e.length > kMaxExponentDigits) {
    FuzzFail("entry exponent length " + std::to_string(e.length));
  }
  if (entry.pointPosition != -1 &&
      (entry.pointPosition < 0 || entry.pointPosition >= m.length)) {
    FuzzFail("entry point position " + std::to_string(entry.pointPosition));
  }
  if (entry.exponentMode != 0 && entry.exponentMode != 1) FuzzFail("entry exponent mode");
}

int64_t commandsRun = 0;
bool valuesTooLarge = false;

int32_t Words(const Rational& x) { return std::max(x.num->count, x.den->count); }

bool ValuesTooLarge() {
  const EngineState& s = engineState;
  int32_t words = std::max({Words(s.currentValue), Words(s.lastValue), Words(s.memoryValue)});
  if (s.repeatOperand) words = std::max(words, Words(*s.repeatOperand));
  for (const OperatorEntry& e : s.operatorStack) {
    if (e.value) words = std::max(words, Words(*e.value));
  }
  for (const ParenEntry& e : s.parenStack) {
    if (e.value) words = std::max(words, Words(*e.value));
  }
  return words > kFuzzMaxWords;
}

}  // namespace

FuzzFailureFn fuzzFailureHandler = PrintAndAbort;

FuzzAbortPlan fuzzAbortPlan;

void FuzzFail(const std::string& what) { fuzzFailureHandler(what); }

void FuzzStartEngine(int32_t layout, int32_t precision, int32_t radix,
                     int32_t wordBits) {
  // Every radix and precision an input may ask for (and those raised for
  // guard digits) keeps its constants: a later input with the same setting
  // starts without rebuilding them.
  static const bool cacheWidened = (SetConstantCacheCapacity(4096), true);
  (void)cacheWidened;
  if (StatisticsBoxIsOpen()) CloseStatisticsBox();
  HeadlessResetWindow();
  headless.recordCalls = false;
  headless.sendCommand = [](CommandId id) { FuzzRunCommand(id); };
  commandsRun = 0;
  valuesTooLarge = false;
  ResetEngine(EngineStart{layout, precision, radix, wordBits});
  CheckEngineInvariants();
}

void FuzzStopEngine() {
  fuzzAbortPlan = FuzzAbortPlan{};
  // Only what the input built is released: the next input's start resets
  // everything else (settings, constants in force, layout) itself.
  if (StatisticsBoxIsOpen()) CloseStatisticsBox();
  HeadlessResetWindow();
  engineState = EngineState{};
}

int64_t FuzzCommandCount() { return commandsRun; }

void FuzzRunCommand(CommandId id) {
  // QUIB_FUZZ_TRACE=1 in the environment prints each command with the
  // display after it, to read a finding.
  static const bool trace = std::getenv("QUIB_FUZZ_TRACE") != nullptr;
  if (valuesTooLarge) return;
  const int64_t index = commandsRun++;
  const bool abortHere = index == fuzzAbortPlan.command;
  AbortPollBudget.store(abortHere ? fuzzAbortPlan.poll : kFuzzPollBudget);
  HeadlessWindowCommand(id);
  AbortPollBudget.store(-1);
  if (trace) {
    std::fprintf(stderr, "command %u -> %s\n", id, HeadlessText(IdDisplay).c_str());
  }
  CheckEngineInvariants();
  valuesTooLarge = ValuesTooLarge();
}

void CheckStoredRational(const Rational& x, const char* name) {
  if (const char* fault = RationalFault(x)) FuzzFail(std::string(name) + ": " + fault);
}

void CheckEngineInvariants() {
  QuietArithmetic quiet;
  const EngineState& s = engineState;
  CheckStoredRational(s.currentValue, "currentValue");
  CheckStoredRational(s.lastValue, "lastValue");
  CheckStoredRational(s.memoryValue, "memoryValue");
  if (s.repeatOperand) CheckStoredRational(*s.repeatOperand, "repeatOperand");
  for (const OperatorEntry& e : s.operatorStack) {
    if (e.value) CheckStoredRational(*e.value, "operator stack value");
  }
  for (const ParenEntry& e : s.parenStack) {
    if (e.value) CheckStoredRational(*e.value, "parenthesis stack value");
  }
  const DisplayCache& cache = engineState.displayCache;
  if (cache.value) CheckStoredRational(*cache.value, "display cache");
  for (const Rational& mask : engineState.wordMask) CheckStoredRational(mask, "word mask");
  const StatisticsStore& store = engineState.statistics;
  if (store.count > store.capacity()) FuzzFail("statistics count beyond capacity");
  for (uint32_t i = 0; i < store.capacity(); ++i) {
    if (i < store.count) {
      CheckStoredRational(store.items[i], "statistics number");
    } else if (store.items[i].num || store.items[i].den) {
      FuzzFail("statistics entry beyond the count holds a value");
    }
  }
  if (StatisticsBoxIsOpen() && headless.statList.size() != store.count) {
    FuzzFail("statistics list and store differ in length");
  }
  CheckStoredRational(Pi, "Pi");
  if (!RatIsZero(RatZero)) FuzzFail("the constant zero is not zero");
  if (s.operatorDepth < 0 || s.operatorDepth > kStackSize) {
    FuzzFail("operator depth " + std::to_string(s.operatorDepth));
  }
  if (s.parenDepth < 0 || s.parenDepth > kStackSize) {
    FuzzFail("parenthesis depth " + std::to_string(s.parenDepth));
  }
  CheckEntry(s.entry);
  CheckText(s.displayText, "displayText");
  CheckText(HeadlessText(IdDisplay), "the display control");
  CheckPi();

  if (s.entryMode || s.errorLocked) return;
  const int32_t radix = settings.radix;
  int32_t mode = kDisplayAuto;
  if (radix == 10 && s.exponentialDisplay) mode = kDisplayScientific;
  // Most commands leave the current value as it was (modifiers, memory,
  // parentheses, radio buttons): a value that read back well is not
  // measured again while nothing its rendering depends on has changed.
  static ShownValue lastGood;
  if (lastGood.Matches(s.currentValue, radix, mode)) return;
  // Outside radix 10 the display shows the value cut to a word.
  Rational word;
  const Rational& shown = radix == 10 ? s.currentValue : word;
  try {
    if (radix != 10) {
      word = CopyRational(s.currentValue);
      ReduceToShownWord(word);
    }
    if (DisplayCacheMatches()) {
      // The text the display shows for this very value (its cache says
      // so) is the rendering to check, without rendering it again; a
      // cache that matched wrongly fails here too.
      std::string text = s.displayText;
      if (radix != 10 && text.find(DecimalSeparatorChar()) == std::string::npos) {
        text += DecimalSeparatorChar();
      }
      CheckReadsBack(text, shown, radix, "the display");
    } else {
      CheckRoundTrip(shown, radix, mode, "currentValue");
    }
    lastGood.Remember(s.currentValue, radix, mode);
  } catch (const ArithError& e) {
    // A value too large to round in the radix (its power of the radix
    // cannot be built): the display's own refresh reports the same failure
    // through the command wrapper's message box.
    if (e.code != ErrOutOfMemory) {
      FuzzFail("rendering the current value threw " + std::to_string(e.code));
    }
  }
}

void CheckRoundTrip(const Rational& x, int32_t radix, int32_t mode,
                    const char* what) {
  Rational v = CopyRational(x);
  const std::string text = RationalToText(v, radix, mode);
  CheckReadsBack(text, x, radix, (std::string(what) + " as text").c_str());
}

void CheckReadsBack(const std::string& text, const Rational& x, int32_t radix,
                    const char* what) {
  const std::string name(what);
  CheckText(text, what);
  const char separator = DecimalSeparatorChar();
  size_t separators = 0;
  for (char c : text) separators += c == separator;
  if (separators != 1) {
    FuzzFail(name + " has " + std::to_string(separators) + " separators: " + text);
  }
  const int32_t savedRadix = settings.radix;
  settings.radix = radix;
  BigPtr digits = ParseDigits(text);
  settings.radix = savedRadix;
  if (!digits) FuzzFail(name + " reads as nothing: " + text);

  // Each exponent digit beyond the first costs one mantissa digit; allow
  // one digit more for the truncation before the rounding.
  const size_t mark = text.find(radix == 10 ? 'e' : '^');
  const int32_t exponentDigits =
      mark == std::string::npos ? 0 : static_cast<int32_t>(text.size() - mark - 2);
  const int32_t good = WorkingPrecision - (exponentDigits > 1 ? exponentDigits - 1 : 0) - 2;

  std::optional<Rational> back;
  try {
    back = DigitsToRational(*digits, radix);
  } catch (const ArithError& e) {
    // A value too large to be built back exactly from its digits: nothing
    // to compare with.
    if (e.code == ErrOutOfMemory) return;
    throw;
  }
  PrecisionRaise wide(WorkingPrecision + 2 * DigitsPerWord);
  Rational& error = *back;
  RatSub(error, x);
  if (RatSign(error) < 0) NegateRational(error);
  if (good > 0) RatMul(error, RadixPower(radix, good));
  // error > |x|, without a copy of x.
  bool wrong;
  if (RatSign(x) >= 0) {
    wrong = RatGreater(error, x);
  } else {
    NegateRational(error);
    wrong = RatLess(error, x);
  }
  if (wrong) {
    FuzzFail(name + " reads back wrong: " + text + " (radix " +
             std::to_string(radix) + ", precision " + std::to_string(WorkingPrecision) +
             ")");
  }
}
