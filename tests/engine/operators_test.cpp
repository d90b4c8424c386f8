#include "engine/operators.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "arith/error.h"
#include "arith/settings.h"
#include "engine/engine_test_util.h"
#include "engine/messages.h"
#include "numtext/from_text.h"

namespace {

struct Step {
  const char* keys;   // typed (pasted) in turn
  const char* shown;  // display as Copy gives it after them
};

struct Sequence {
  const char* name;
  int32_t layout;
  std::vector<Step> steps;
};

void RunSequences(const std::vector<Sequence>& sequences) {
  for (const Sequence& seq : sequences) {
    SCOPED_TRACE(seq.name);
    StartEngine(seq.layout);
    for (const Step& step : seq.steps) {
      SCOPED_TRACE(step.keys);
      Type(step.keys);
      EXPECT_EQ(Shown(), step.shown);
    }
  }
}

constexpr int32_t kSci = kLayoutScientific;
constexpr int32_t kStd = kLayoutStandard;

TEST(OperatorsTest, PrecedenceAndLeftToRight) {
  RunSequences({
      {"precedence", kSci, {{"2+3*4=", "14"}}},
      {"left to right", kStd, {{"2+3*", "5"}, {"4=", "20"}}},
      {"lower after higher", kSci, {{"2*3+", "6"}, {"4=", "10"}}},
      {"power is left-associative", kSci, {{"2Y3Y2=", "64"}}},
      {"or below and", kSci, {{"4|6&3=", "6"}}},
      {"and", kSci, {{"12&10=", "8"}}},
      {"xor", kSci, {{"12^10=", "6"}}},
      {"or", kSci, {{"12|3=", "15"}}},
      {"subtract", kSci, {{"3-5=", "-2"}}},
      {"divide", kSci, {{"7/2=", "3.5"}}},
      {"mod", kSci, {{"7%3=", "1"}}},
      {"shift left", kSci, {{"5<2=", "20"}}},
      {"shift right is Inv Lsh", kSci, {{"5I<1=", "2.5"}}},
      {"equal precedence evaluates", kSci, {{"8/2/2=", "2"}, {"Q9-3-2=", "4"}}},
      {"second operator replaces", kSci, {{"2+*3=", "6"}}},
      {"chain shows intermediate", kSci, {{"2*3*", "6"}, {"4=", "24"}}},
  });
}

TEST(OperatorsTest, RepeatedEquals) {
  RunSequences({
      {"add", kSci, {{"2+3=", "5"}, {"=", "8"}, {"=", "11"}}},
      {"subtract", kSci, {{"10-4=", "6"}, {"=", "2"}}},
      {"typed operand replaced", kSci, {{"2+3=", "5"}, {"7=", "8"}}},
      {"operand doubled", kSci, {{"5+=", "10"}}},
      {"operand squared", kSci, {{"5*=", "25"}}},
      {"standard add", kStd, {{"2+3=", "5"}, {"=", "8"}}},
      // "=" right after a stacked operator: the first pass squares 3, the
      // second adds the result.
      {"stacked operator", kSci, {{"2+3*=", "11"}}},
  });
}

TEST(OperatorsTest, Parentheses) {
  StartEngine();
  Type("1+2*(");
  EXPECT_EQ(Display(), "(");
  EXPECT_EQ(HeadlessText(IdParenIndicator), "(=1");
  Type("3+4)");
  EXPECT_EQ(Display(), "7.");
  EXPECT_EQ(HeadlessText(IdParenIndicator), "");
  Type("=");
  EXPECT_EQ(Shown(), "15");

  RunSequences({
      {"empty pair keeps the value", kSci, {{"9=()", "9"}}},
      {"nested", kSci, {{"2*((1+2)*(3+4))=", "42"}}},
      {"leading", kSci, {{"(3+4)*2=", "14"}}},
      {"operator after close", kSci, {{"10-(2+3)-1=", "4"}}},
  });
}

TEST(OperatorsTest, EqualsInsideAnOpenParenthesis) {
  StartEngine();
  Type("(2+3=");
  EXPECT_EQ(Shown(), "5");
  EXPECT_EQ(HeadlessText(IdParenIndicator), "(=1");
  Type(")");
  EXPECT_EQ(Shown(), "5");
  EXPECT_EQ(HeadlessText(IdParenIndicator), "");
  EXPECT_EQ(engineState.operatorDepth, 0);
  EXPECT_EQ(engineState.parenDepth, 0);
}

TEST(OperatorsTest, TwentyFiveParenthesesAtMost) {
  StartEngine();
  for (int i = 1; i <= 25; ++i) ExecuteCommand(CmdOpenParen);
  EXPECT_EQ(headless.beeps, 0u);
  EXPECT_EQ(HeadlessText(IdParenIndicator), "(=25");
  EXPECT_EQ(Display(), std::string(25, '('));
  ExecuteCommand(CmdOpenParen);
  EXPECT_EQ(headless.beeps, 1u);
  EXPECT_EQ(engineState.parenDepth, 25);
  EXPECT_EQ(HeadlessText(IdParenIndicator), "(=25");
  Type("1+2");
  for (int i = 1; i <= 25; ++i) Type(")");
  EXPECT_EQ(Shown(), "3");
  EXPECT_EQ(HeadlessText(IdParenIndicator), "");
  EXPECT_EQ(headless.beeps, 1u);
}

TEST(OperatorsTest, CloseWithNothingOpenBeeps) {
  StartEngine();
  Type("2+3");
  ExecuteCommand(CmdCloseParen);
  EXPECT_EQ(headless.beeps, 1u);
  EXPECT_EQ(Display(), "3.");
  EXPECT_EQ(engineState.pendingOperator, CmdAdd);
  Type("=");
  EXPECT_EQ(Shown(), "5");
}

TEST(OperatorsTest, FullOperatorStackDropsThePendingOperation) {
  StartEngine();
  for (int i = 0; i < 24; ++i) ExecuteCommand(CmdOpenParen);
  Type("1+2*");  // the push of + fills the stack
  ASSERT_EQ(engineState.operatorDepth, 25);
  EXPECT_EQ(headless.beeps, 0u);
  // No room for another parenthesis, and ")" is refused while an operator
  // is on top of a full stack.
  Type("(");
  Type(")");
  EXPECT_EQ(headless.beeps, 2u);
  Type("3Y");  // the push of 2 * is refused: 2 * is dropped
  EXPECT_EQ(headless.beeps, 3u);
  Type("2=");  // 1 + 3^2
  EXPECT_EQ(Shown(), "10");
}

TEST(OperatorsTest, InvPowerIsRoot) {
  // 2^(1/3) to 33 digits: bc -l, scale=50, e(l(2)/3).
  StartEngine();
  Type("I2Y3");
  EXPECT_TRUE(engineState.inverse);  // not consumed before the evaluation
  Type("=");
  EXPECT_EQ(Shown(), "1.25992104989487316476721060727823");
  EXPECT_FALSE(engineState.inverse);
  EXPECT_FALSE(HeadlessChecked(CmdInv));
  StartEngine();
  Type("2Y3I=");
  EXPECT_EQ(Shown(), "1.25992104989487316476721060727823");
  StartEngine();
  Type("27Y3I=");
  EXPECT_EQ(Shown(), "3");
}

TEST(OperatorsTest, InvShiftLeftIsConsumedAtOnce) {
  StartEngine();
  Type("8I<");
  EXPECT_FALSE(engineState.inverse);
  EXPECT_FALSE(HeadlessChecked(CmdInv));
  EXPECT_EQ(engineState.pendingOperator, OpShiftRight);
  Type("3=");
  EXPECT_EQ(Shown(), "1");
}

TEST(OperatorsTest, ArithmeticErrorsLockTheKeypad) {
  struct Case {
    const char* keys;
    uint32_t index;
  };
  const Case cases[] = {
      {"5/0=", 3},  {"1/0=", 3},  {"-5/0=", 4}, {"0/0=", 2},
      {"5%0=", 2},  {"0Y1:9=", 1}, {"2+5/0*", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    StartEngine();
    Type(c.keys);
    EXPECT_TRUE(engineState.errorLocked);
    EXPECT_EQ(Display(), ErrorMessage(c.index));
    const uint64_t beeps = headless.beeps;
    Type("5");  // the paste stops at the lock
    ExecuteCommand(CmdDigit0 + 5);
    EXPECT_EQ(headless.beeps, beeps + 1);
    EXPECT_EQ(Display(), ErrorMessage(c.index));
  }
}

TEST(OperatorsTest, ErrorInsideParenthesisStaysShown) {
  StartEngine();
  Type("2*(1/0)");
  EXPECT_TRUE(engineState.errorLocked);
  EXPECT_EQ(Display(), ErrorMessage(3));
  ExecuteCommand(CmdClear);
  Type("2*(1+1)=");
  EXPECT_EQ(Shown(), "4");
}

TEST(OperatorsTest, ApplyBinaryLeavesLastOnFailure) {
  StartEngine();
  Rational current = RatFromInt(0);
  const Rational last = RatFromInt(7);
  ApplyBinary(CmdDivide, current, last);
  EXPECT_TRUE(engineState.errorLocked);
  EXPECT_TRUE(RatEqual(current, last));

  StartEngine();
  Rational unchanged = RatFromInt(4);
  for (uint32_t op : {0u, 7u + 1, CmdEquals, 0xFFFFFFFFu}) {
    ApplyBinary(op, unchanged, last);
    EXPECT_TRUE(RatEqual(unchanged, RatFromInt(4))) << op;
  }
  // The same object as both operands.
  Rational both = RatFromInt(6);
  ApplyBinary(CmdMultiply, both, both);
  EXPECT_TRUE(RatEqual(both, RatFromInt(36)));
  ApplyBinary(CmdSubtract, both, both);
  EXPECT_TRUE(RatIsZero(both));
}

// Random expressions of small integers with + - * and parentheses, checked
// against a 64-bit reference evaluation: with precedence in the scientific
// layout, strictly left to right (no parentheses) in the standard one.
class ExpressionMaker {
 public:
  explicit ExpressionMaker(uint32_t seed) : random_(seed) {}

  // Text and value of an expression; `parens` allows parentheses.
  std::string Make(bool precedence, int depth, int64_t& value) {
    std::vector<int64_t> terms;
    std::vector<char> ops;
    int64_t v = 0;
    std::string text = Term(precedence, depth, v);
    terms.push_back(v);
    const int count = static_cast<int>(random_() % 4);
    for (int i = 0; i < count; ++i) {
      const char op = "+-*"[random_() % 3];
      ops.push_back(op);
      text += op;
      text += Term(precedence, depth, v);
      terms.push_back(v);
    }
    value = precedence ? WithPrecedence(terms, ops) : LeftToRight(terms, ops);
    return text;
  }

 private:
  std::string Term(bool precedence, int depth, int64_t& value) {
    if (precedence && depth < 3 && random_() % 4 == 0) {
      return "(" + Make(precedence, depth + 1, value) + ")";
    }
    value = static_cast<int64_t>(random_() % 100);
    return std::to_string(value);
  }

  static int64_t LeftToRight(const std::vector<int64_t>& t,
                             const std::vector<char>& ops) {
    int64_t r = t[0];
    for (size_t i = 0; i < ops.size(); ++i) r = Apply(r, ops[i], t[i + 1]);
    return r;
  }

  static int64_t WithPrecedence(const std::vector<int64_t>& t,
                                const std::vector<char>& ops) {
    std::vector<int64_t> sums{t[0]};
    std::vector<char> sumOps;
    for (size_t i = 0; i < ops.size(); ++i) {
      if (ops[i] == '*') {
        sums.back() *= t[i + 1];
      } else {
        sumOps.push_back(ops[i]);
        sums.push_back(t[i + 1]);
      }
    }
    return LeftToRight(sums, sumOps);
  }

  static int64_t Apply(int64_t a, char op, int64_t b) {
    return op == '+' ? a + b : op == '-' ? a - b : a * b;
  }

  std::mt19937 random_;
};

TEST(OperatorsTest, RandomExpressionsMatchReference) {
  for (int32_t layout : {kLayoutScientific, kLayoutStandard}) {
    ExpressionMaker maker(static_cast<uint32_t>(layout) + 7);
    for (int i = 0; i < 300; ++i) {
      int64_t want = 0;
      const std::string text =
          maker.Make(layout == kLayoutScientific, 0, want) + "=";
      SCOPED_TRACE(text);
      StartEngine(layout);
      Type(text);
      ASSERT_EQ(Shown(), std::to_string(want));
    }
  }
}

}  // namespace

namespace {

// An operation the user aborts leaves its operand, not the meaningless
// value the arithmetic stopped at: an aborted power of two inside this
// shift left a zero denominator in the current and the last value (found
// by the command fuzzer).
TEST(OperatorsTest, AbortedOperationLeavesItsOperand) {
  for (int64_t k : {0, 10, 100, 1000}) {
    SCOPED_TRACE(k);
    StartEngine(kLayoutScientific, 64, 65);
    // -(2...2)^2 shifted left by -14938...728: 2 to a huge negative power.
    Type("2222222222222222222222222222222222:9=@:9<");
    const char* digits = "1493827160493827160493827160493827061728395061728395061728";
    Type(std::string(digits, 2) + ":9" + (digits + 2));
    const std::optional<Rational> operand = EntryToRational(true, digits, false, std::nullopt);
    ASSERT_TRUE(operand);
    AbortPollBudget.store(k);
    ExecuteCommand(CmdEquals);
    AbortPollBudget.store(-1);
    EXPECT_EQ(Display(), ErrorMessage(ErrIndexAborted));
    EXPECT_TRUE(RatEqual(engineState.currentValue, *operand));
    EXPECT_FALSE(BigNumIsZero(*engineState.lastValue.den));
    Type("Q");
    ExecuteCommand(CmdClear);
    Type("1+1=");
    EXPECT_EQ(Shown(), "2");
  }
}

}  // namespace
