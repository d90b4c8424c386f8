// What the fuzz targets share: a fresh engine behind the headless window,
// the invariants checked after every command, and the entry function of each
// target.
//
// A target's entry function takes one input and returns 0; it reports a
// broken invariant through FuzzFail, which by default prints the finding and
// aborts (so libFuzzer records a crash and keeps the input). The corpus
// replay test installs a handler that turns findings into test failures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "arith/rational.h"
#include "engine/commands.h"

using FuzzFailureFn = void (*)(const std::string& what);
extern FuzzFailureFn fuzzFailureHandler;

// Reports a broken invariant.
void FuzzFail(const std::string& what);

// The entry functions, one per target (fuzz/<name>_fuzz.cpp).
int FuzzPaste(const uint8_t* data, size_t size);
int FuzzCommands(const uint8_t* data, size_t size);
int FuzzText(const uint8_t* data, size_t size);
int FuzzCommandLine(const uint8_t* data, size_t size);

// Starts the engine as the program does for the given command-line settings
// (radix 2 to 16, any precision and word size) and creates the layout window.
// Any statistics box of an earlier input is closed first.
void FuzzStartEngine(int32_t layout, int32_t precision, int32_t radix,
                     int32_t wordBits);

// Releases what the input built (its statistics box, window and engine
// state), so that an input frees what it allocated: libFuzzer runs every
// input that allocated more than it freed a second time, looking for a leak.
// Called at the end of every input; the engine is left empty until the next
// FuzzStartEngine.
void FuzzStopEngine();

// Polls one command may make before the fuzzer aborts it as a user would
// through the watchdog; keeps inputs that ask for enormous computations
// from timing out while still exercising every abort path.
constexpr int64_t kFuzzPollBudget = 1000;

// Exact integers are never cut to the working precision, so repeated
// squaring builds numbers of millions of words, each product of which takes
// seconds (abortable, but slow under the sanitizers). Once a stored value
// holds more words than this, the rest of the input is skipped: the fuzzer
// would otherwise spend its time in that one known slow path.
constexpr int32_t kFuzzMaxWords = 4096;

// The command (counted from 0 since FuzzStartEngine, pasted keys included)
// during which the user aborts, and the poll of that command that sees the
// abort (0: the first). command -1: none.
struct FuzzAbortPlan {
  int64_t command = -1;
  int64_t poll = 0;
};
extern FuzzAbortPlan fuzzAbortPlan;

// Commands run since FuzzStartEngine: the index the next one gets.
int64_t FuzzCommandCount();

// Runs one command as the window procedure does, under the poll budget or
// the abort plan, and checks the invariants afterwards. Pasted keys come
// through here too. Does nothing once the values have grown beyond
// kFuzzMaxWords.
void FuzzRunCommand(CommandId id);

// The structural invariants of a stored value (RationalFault).
void CheckStoredRational(const Rational& x, const char* name);

// Every invariant of the engine after a command: stored values sound (the
// statistics store and its list in step too), pi still pi, stack depths
// within 0 to 25, display text non-empty and printable, and outside
// entry mode and the error lock, the current value as the display shows it
// reads back to that value within the precision (the display's text itself
// where its cache holds this value, else a fresh rendering).
void CheckEngineInvariants();

// Whether the rendering of x in `radix` reads back within the precision;
// reports through FuzzFail otherwise. x is not changed. `mode` is
// kDisplayAuto or kDisplayScientific.
void CheckRoundTrip(const Rational& x, int32_t radix, int32_t mode,
                    const char* what);

// Whether `text`, printable with one decimal separator, reads in `radix` as
// x within the precision; reports through FuzzFail otherwise.
void CheckReadsBack(const std::string& text, const Rational& x, int32_t radix,
                    const char* what);
