#include "engine/unary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "arith/alloc.h"
#include "arith/constants.h"
#include "arith/settings.h"
#include "engine/engine_test_util.h"
#include "engine/messages.h"

namespace {

// What the display says: the value as Copy gives it, or the message while
// the keypad is locked.
std::string Outcome() {
  return engineState.errorLocked ? Display() : Shown();
}

const std::string kInvalid = ErrorMessage(1);
const std::string kDivideByZero = ErrorMessage(3);

// Every row of the function table: the text typed before the key (paste
// characters: I Inv, H Hyp, ":3" radians, ":5" radix 16, ":4" Byte, ":3"
// Word outside radix 10), the key, what the display shows and the modifiers
// afterwards. Long expected values: python3-mpmath, mp.dps = 60, rounded
// half up to 33 significant digits.
struct UnaryCase {
  int32_t layout;
  const char* typed;
  CommandId key;
  std::string want;
  bool inverseAfter;
  bool hyperbolicAfter;
  bool beeps = false;
};

constexpr int32_t kSci = kLayoutScientific;
constexpr int32_t kStd = kLayoutStandard;

TEST(UnaryTest, FunctionTable) {
  const UnaryCase cases[] = {
      // Int: integer part; Inv fractional part; Hyp ignored.
      {kSci, "-2.5", CmdInt, "-2", false, false},
      {kSci, "-2.5I", CmdInt, "-0.5", false, false},
      {kSci, "-2.5H", CmdInt, "-2", false, true},
      {kSci, "-2.5IH", CmdInt, "-0.5", false, true},
      // Not: -(int + 1) in radix 10; Inv and Hyp stay set.
      {kSci, "5", CmdNot, "-6", false, false},
      {kSci, "2.5", CmdNot, "-3", false, false},
      {kSci, "-2.5", CmdNot, "1", false, false},
      {kSci, "IH5", CmdNot, "-6", true, true},
      {kSci, ":5 :4 5", CmdNot, "FA", false, false},
      {kSci, ":5 :3 5", CmdNot, "FFFA", false, false},
      {kSci, ":5 5", CmdNot, "FFFFFFFA", false, false},
      {kSci, ":5 :4 FA", CmdNot, "5", false, false},
      {kSci, ":8 :4 101", CmdNot, "11111010", false, false},
      {kSci, ":5 I5", CmdNot, "FFFFFFFA", true, false},
      // sin, cos, tan in degrees, their inverses and the hyperbolic ones.
      {kSci, "30", CmdSin, "0.5", false, false},
      {kSci, "I0.5", CmdSin, "30", false, false},
      {kSci, "H0", CmdSin, "0", false, false},
      {kSci, "H1", CmdSin, "1.1752011936438014568823818505956", false, false},
      {kSci, "IH1", CmdSin, "0.881373587019543025232609324979792", false, false},
      {kSci, "60", CmdCos, "0.5", false, false},
      {kSci, "I0.5", CmdCos, "60", false, false},
      {kSci, "H1", CmdCos, "1.54308063481524377847790562075706", false, false},
      {kSci, "IH2", CmdCos, "1.31695789692481670862504634730797", false, false},
      {kSci, "45", CmdTan, "1", false, false},
      {kSci, "I1", CmdTan, "45", false, false},
      {kSci, "H1", CmdTan, "0.761594155955764888119458282604794", false, false},
      {kSci, "IH0.5", CmdTan, "0.549306144334054845697622618461263", false, false},
      // Errors keep both modifiers.
      {kSci, "IH1", CmdTan, kDivideByZero, true, true},
      {kSci, "90", CmdTan, kInvalid, false, false},
      {kSci, "I2", CmdSin, kInvalid, true, false},
      {kSci, "IH0.5", CmdCos, kInvalid, true, true},
      // Radians and grads.
      {kSci, ":3P", CmdCos, "-1", false, false},
      {kSci, ":3 0.5:9I", CmdSin, "-0.523598775598298873077107230546584", false, false},
      {kSci, ":4 I1", CmdTan, "50", false, false},
      // Radix 10 only: elsewhere a beep, the value kept, both modifiers
      // cleared.
      {kSci, ":5 IHA", CmdSin, "A", false, false, true},
      {kSci, ":5 IHA", CmdCos, "A", false, false, true},
      {kSci, ":5 IHA", CmdTan, "A", false, false, true},
      {kSci, ":5 IHA", CmdDms, "A", false, true, true},
      {kSci, ":8 I11", CmdSin, "11", false, false, true},
      // ln and log with e^x and 10^x; Hyp ignored.
      {kSci, "2", CmdLn, "0.693147180559945309417232121458177", false, false},
      {kSci, "I1", CmdLn, "2.71828182845904523536028747135266", false, false},
      {kSci, "H2", CmdLn, "0.693147180559945309417232121458177", false, true},
      {kSci, "IH1", CmdLn, "2.71828182845904523536028747135266", false, true},
      {kSci, "0", CmdLn, kInvalid, false, false},
      {kSci, "1000", CmdLog, "3", false, false},
      {kSci, "I3", CmdLog, "1000", false, false},
      {kSci, "H100", CmdLog, "2", false, true},
      {kSci, "IH2", CmdLog, "100", false, true},
      {kSci, "-1", CmdLog, kInvalid, false, false},
      {kSci, ":5 I3", CmdLog, "3E8", false, false},
      {kSci, ":5 FF", CmdLn, "5", false, false},
      // x^2: the square in the scientific layout (both keys), the root with
      // Inv and in the standard layout. Inv stays after the root key 103.
      {kSci, "3", CmdSquare, "9", false, false},
      {kSci, "-3", CmdSquare, "9", false, false},
      {kSci, "3", CmdSqrt, "9", false, false},
      {kSci, "I3", CmdSquare, "1.73205080756887729352744634150587", false, false},
      {kSci, "I9", CmdSqrt, "3", true, false},
      {kSci, "H3", CmdSquare, "9", false, true},
      {kSci, "IH9", CmdSquare, "3", false, true},
      {kSci, "-4I", CmdSquare, kInvalid, true, false},
      {kStd, "9", CmdSqrt, "3", false, false},
      {kStd, "2", CmdSquare, "1.4142135623730950488016887242097", false, false},
      {kStd, "-9", CmdSqrt, kInvalid, false, false},
      // x^3 and the cube root, of negative values too.
      {kSci, "-2", CmdCube, "-8", false, false},
      {kSci, "-8I", CmdCube, "-2", false, false},
      {kSci, "-2H", CmdCube, "-8", false, true},
      {kSci, "IH27", CmdCube, "3", false, true},
      {kSci, "I2", CmdCube, "1.25992104989487316476721060727823", false, false},
      // n!: the gamma function beyond the whole numbers; Inv and Hyp stay.
      {kSci, "5", CmdFactorial, "120", false, false},
      {kSci, "0", CmdFactorial, "1", false, false},
      {kSci, "IH5", CmdFactorial, "120", true, true},
      {kSci, "0.5", CmdFactorial, "0.886226925452758013649083741670573", false, false},
      {kSci, "-1", CmdFactorial, kInvalid, false, false},
      {kSci, ":5 5", CmdFactorial, "78", false, false},
      // 1/x; Inv and Hyp stay, also after the error.
      {kSci, "4", CmdReciprocal, "0.25", false, false},
      {kSci, "I4", CmdReciprocal, "0.25", true, false},
      {kSci, "-8H", CmdReciprocal, "-0.125", false, true},
      {kSci, "I0", CmdReciprocal, kDivideByZero, true, false},
      {kSci, "-0", CmdReciprocal, kDivideByZero, false, false},
      {kSci, ":5 2", CmdReciprocal, "0", false, false},
      // Degrees to degrees-minutes-seconds and back; Hyp ignored.
      {kSci, "1.5", CmdDms, "1.3", false, false},
      {kSci, "1.2345", CmdDms, "1.14042", false, false},
      {kSci, "-1.5", CmdDms, "-1.3", false, false},
      {kSci, "I1.3", CmdDms, "1.5", false, false},
      {kSci, "I1.14042", CmdDms, "1.2345", false, false},
      {kSci, "H1.5", CmdDms, "1.3", false, true},
      {kSci, "IH1.3", CmdDms, "1.5", false, true},
      {kSci, "-1.3I", CmdDms, "-1.5", false, false},
      // Percent of the left operand; the modifiers stay.
      {kStd, "200+10", CmdPercent, "20", false, false},
      {kStd, "50*", CmdPercent, "25", false, false},
      {kSci, "IH200+10", CmdPercent, "20", true, true},
      {kSci, "8", CmdPercent, "0", false, false},
  };
  for (const UnaryCase& c : cases) {
    SCOPED_TRACE(std::string(c.typed) + " key " + std::to_string(c.key) +
                 (c.layout == kStd ? " (standard)" : ""));
    StartEngine(c.layout);
    Type(c.typed);
    const uint64_t beeps = headless.beeps;
    ExecuteCommand(c.key);
    EXPECT_EQ(Outcome(), c.want);
    EXPECT_EQ(engineState.inverse, c.inverseAfter);
    EXPECT_EQ(engineState.hyperbolic, c.hyperbolicAfter);
    EXPECT_EQ(HeadlessChecked(CmdInv), c.inverseAfter);
    EXPECT_EQ(HeadlessChecked(CmdHyp), c.hyperbolicAfter);
    EXPECT_EQ(headless.beeps - beeps, c.beeps ? 1u : 0u);
    EXPECT_EQ(engineState.currentCommand, c.key);
    EXPECT_TRUE(headless.messageBoxes.empty());
  }
}

// Chains of keys: what the unary key does to the pending operation and to
// a following "=".
TEST(UnaryTest, KeysInExpressions) {
  struct Case {
    int32_t layout;
    const char* typed;
    const char* want;
  };
  const Case cases[] = {
      {kStd, "200+10%", "20"},
      {kStd, "200+10%=", "220"},
      {kStd, "50*%", "25"},
      {kStd, "50*%=", "1250"},
      // A root right after an operator is the root of its left operand,
      // and the operation stays pending.
      {kStd, "5+@", "2.23606797749978969640917366873128"},
      {kStd, "5+@=", "7.23606797749978969640917366873128"},
      {kSci, "5+I@=", "7.23606797749978969640917366873128"},
      // A result of a unary key is a fresh right operand: "=" takes it
      // instead of repeating the last one.
      {kSci, "2+3=4@=", "21"},
      {kSci, "2+3=4@==", "37"},
      // Percent after C works on a zero last value.
      {kStd, "200+10=Q8%", "0"},
      // A key after "=" works on the result.
      {kSci, "2+7=@", "81"},
      {kSci, "2*(3+1)@=", "32"},
      // Inv consumed by x^2 does not reach the next key.
      {kSci, "I9@@", "9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    StartEngine(c.layout);
    Type(c.typed);
    EXPECT_EQ(Outcome(), c.want);
  }
}

TEST(UnaryTest, ErrorLocksUntilClearEntry) {
  StartEngine();
  Type("IH1");
  ExecuteCommand(CmdTan);
  ASSERT_TRUE(engineState.errorLocked);
  EXPECT_EQ(Display(), kDivideByZero);
  // The value stays what it was; a refused key beeps.
  EXPECT_TRUE(RatEqual(engineState.currentValue, RatOne));
  const uint64_t beeps = headless.beeps;
  ExecuteCommand(CmdSquare);
  EXPECT_EQ(headless.beeps, beeps + 1);
  ExecuteCommand(CmdClearEntry);
  EXPECT_FALSE(engineState.errorLocked);
  EXPECT_FALSE(engineState.inverse);
  EXPECT_FALSE(engineState.hyperbolic);
  Type("3@");
  EXPECT_EQ(Shown(), "9");
}

TEST(UnaryTest, NotInRadixSixteenIsTheComplementOfTheWordShown) {
  StartEngine();
  Type(":5 0-5=");
  EXPECT_EQ(Shown(), "FFFFFFFB");
  ExecuteCommand(CmdNot);
  EXPECT_EQ(Shown(), "4");
  // Back in radix 10 the complement is -(int + 1) of that integer.
  Type(":6");
  ExecuteCommand(CmdNot);
  EXPECT_EQ(Shown(), "-5");
}

TEST(UnaryTest, AbortedFunctionKeepsTheValue) {
  // 10^30! would run until stopped; the watchdog's abort ends it at once
  // and the meaningless result is dropped.
  StartEngine();
  Type("1e30I");
  headless.abortNextCommand = true;
  ExecuteCommand(CmdFactorial);
  EXPECT_TRUE(engineState.errorLocked);
  EXPECT_EQ(Display(), ErrorMessage(5));
  EXPECT_EQ(CopyText(), "1" + std::string(30, '0'));
  EXPECT_TRUE(engineState.inverse);
  ExecuteCommand(CmdClearEntry);
  Type("5!");
  EXPECT_EQ(Shown(), "120");
}

TEST(UnaryTest, OutOfMemoryAnywhereLeavesAWorkingEngine) {
  struct Case {
    int32_t layout;
    const char* typed;
    CommandId key;
  };
  const Case cases[] = {
      {kSci, "30", CmdSin},        {kSci, "1.2345", CmdDms},
      {kStd, "200+10", CmdPercent}, {kStd, "5+", CmdSqrt},
      {kSci, ":5 5", CmdNot},      {kSci, "4", CmdReciprocal},
  };
  for (const Case& c : cases) {
    // Fail the n-th allocation of the key for every n it makes.
    bool memoryMessage = false;
    for (int64_t n = 0;; ++n) {
      SCOPED_TRACE(std::string(c.typed) + " key " + std::to_string(c.key) +
                   " allocation " + std::to_string(n));
      StartEngine(c.layout);
      Type(c.typed);
      const uint64_t before = AllocCount();
      AllocFailAfter(n);
      ExecuteCommand(c.key);
      AllocFailAfter(-1);
      const bool failed = AllocCount() - before > static_cast<uint64_t>(n);
      EXPECT_FALSE(headless.waitCursor);
      // A failure inside the function shows the memory message; one
      // outside it (copying the left operand, the refresh) reaches the
      // command wrapper's message box.
      if (engineState.errorLocked) {
        EXPECT_EQ(Display(), ErrorMessage(7));
        memoryMessage = true;
      }
      ExecuteCommand(CmdClear);
      Type(":6 7*6=");
      ASSERT_EQ(Shown(), "42");
      if (!failed) break;
    }
    EXPECT_TRUE(memoryMessage);
  }
}

// Every key, with every combination of the modifiers, on values of every
// kind and in every radix: a result, a beep or a message, never a failure
// that reaches the command wrapper.
TEST(UnaryTest, AnyKeyOnAnyValueIsSafe) {
  struct RadixValues {
    const char* radix;  // paste text selecting the radix
    std::vector<const char*> values;
  };
  const RadixValues table[] = {
      {":6", {"0", "1", "-1", "0.5", "-0.5", "2.5", "-90", "360", "1000",
              "1e-40", "-1e-40", "12345.678", "1e40"}},
      {":5", {"0", "1", "FF", "FFFF"}},
      {":5 :4", {"0", "80", "FF"}},
      {":7", {"0", "7", "177777"}},
      {":8 :3", {"0", "1", "1111111111111111"}},
  };
  for (const RadixValues& r : table) {
    for (const char* value : r.values) {
      for (CommandId key = CmdInt; key <= CmdPercent; ++key) {
        // Factorials of large whole numbers take seconds (those from 2^31 on,
        // such as 1e40, are refused at once).
        const std::string v = value;
        if (key == CmdFactorial && (v == "FFFF" || v == "177777" ||
                                    v == "1111111111111111")) {
          continue;
        }
        for (int mods = 0; mods < 4; ++mods) {
          SCOPED_TRACE(std::string(r.radix) + " " + value + " key " +
                       std::to_string(key) + " modifiers " + std::to_string(mods));
          StartEngine();
          Type(r.radix);
          Type(v);
          if (mods & 1) ExecuteCommand(CmdInv);
          if (mods & 2) ExecuteCommand(CmdHyp);
          const std::string before = Display();
          const uint64_t beeps = headless.beeps;
          ExecuteCommand(key);
          EXPECT_TRUE(headless.messageBoxes.empty());
          EXPECT_FALSE(headless.waitCursor);
          if (engineState.errorLocked) {
            const std::string shown = Display();
            bool known = false;
            for (uint32_t k = 0; k < 8; ++k) known |= shown == ErrorMessage(k);
            EXPECT_TRUE(known) << shown;
          } else if (headless.beeps != beeps) {
            EXPECT_EQ(Display(), before);
          }
        }
      }
    }
  }
}

}  // namespace
