// Operations whose result is also an operand. Every operation that writes
// its first operand and reads a second is run twice on the same values: once
// with two distinct objects, once with one object as both. Both runs must
// give the same value (or the same error) and a sound number. The same holds
// for the operations that build a new number from two operands. Each result
// also passes the invariant checks.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "arith/bignum.h"
#include "arith/error.h"
#include "arith/integer.h"
#include "arith/power.h"
#include "arith/rational.h"
#include "arith/settings.h"
#include "arith/trig.h"
#include "bignum_test_util.h"
#include "transcend_test_util.h"

namespace {

using ReuseTest = TranscendTest;

// The value an operation left, or the error it threw.
struct Outcome {
  std::optional<Rational> value;
  ErrorCode error = 0;
};

using RatOp = std::function<void(Rational&, const Rational&)>;

Outcome RunOp(const RatOp& op, Rational& target, const Rational& operand) {
  Outcome o;
  try {
    op(target, operand);
    o.value = CopyRational(target);
  } catch (const ArithError& e) {
    o.error = e.code;
  }
  return o;
}

struct NamedOp {
  const char* name;
  RatOp op;
  // The values the operation is tried on (numbers it can take in
  // reasonable time).
  std::vector<const char*> values;
};

const std::vector<const char*> kValues = {
    "0", "1", "-1", "7", "2.5", "-0.375", "255", "4294967296",
    "123456789012345678901234567890.125", "-1e-20", "3.14159265358979323846264338327950288"};
const std::vector<const char*> kSmall = {"0", "1", "-1", "2", "2.5", "-3", "0.5", "7"};

TEST_F(ReuseTest, ResultAliasingTheOperandGivesTheSameValue) {
  const NamedOp ops[] = {
      {"RatAdd", RatAdd, kValues},
      {"RatSub", RatSub, kValues},
      {"RatMul", RatMul, kValues},
      {"RatDiv", RatDiv, kValues},
      {"RatSubtractFrom", RatSubtractFrom, kValues},
      {"RatMod", RatMod, kValues},
      {"RatAnd", RatAnd, kValues},
      {"RatOr", RatOr, kValues},
      {"RatXor", RatXor, kValues},
      {"RatShiftLeft", RatShiftLeft, kSmall},
      {"RatShiftRight", RatShiftRight, kSmall},
      {"Power", Power, kSmall},
      {"Root", Root, kSmall},
      {"ClampMagnitude", [](Rational& x, const Rational& m) {
         // The bound must not be negative.
         if (RatSign(m) >= 0) ClampMagnitude(x, m);
       }, kValues},
  };
  for (const NamedOp& op : ops) {
    for (const char* text : op.values) {
      SCOPED_TRACE(std::string(op.name) + "(" + text + ", same)");
      const Rational value = DecimalRat(text);
      Rational distinct = CopyRational(value);
      const Rational operand = CopyRational(value);
      const Outcome expected = RunOp(op.op, distinct, operand);
      Rational same = CopyRational(value);
      const Outcome actual = RunOp(op.op, same, same);
      EXPECT_EQ(actual.error, expected.error);
      EXPECT_EQ(actual.value.has_value(), expected.value.has_value());
      if (expected.value && actual.value) {
        EXPECT_TRUE(RatEqual(*actual.value, *expected.value));
        EXPECT_EQ(RationalFault(*actual.value), nullptr) << RationalFault(*actual.value);
      } else {
        // A failed operation leaves its operand as it was.
        EXPECT_TRUE(RatEqual(same, value));
      }
      EXPECT_EQ(RationalFault(same), nullptr);
    }
  }
}

TEST_F(ReuseTest, BigNumResultAliasingTheOperandGivesTheSameValue) {
  using BigOp = std::function<void(BigPtr&, const BigNum&)>;
  const std::pair<const char*, BigOp> ops[] = {
      {"BigNumAdd", [](BigPtr& a, const BigNum& b) { BigNumAdd(a, b, kInternalBase); }},
      {"BigNumAdd radix 10", [](BigPtr& a, const BigNum& b) { BigNumAdd(a, b, 10); }},
      {"BigNumMul", [](BigPtr& a, const BigNum& b) { BigNumMul(a, b, kInternalBase); }},
      {"BigNumMul radix 10", [](BigPtr& a, const BigNum& b) { BigNumMul(a, b, 10); }},
      {"BigNumMulInternal", BigNumMulInternal},
      {"BigNumDiv radix 10", [](BigPtr& a, const BigNum& b) { BigNumDiv(a, b, 10); }},
      {"BigNumDivInternal", BigNumDivInternal},
      {"BigNumRem", BigNumRem},
      {"DigitwiseOp and", [](BigPtr& a, const BigNum& b) { DigitwiseOp(a, b, kBitAnd); }},
      {"DigitwiseOp or", [](BigPtr& a, const BigNum& b) { DigitwiseOp(a, b, kBitOr); }},
      {"DigitwiseOp xor", [](BigPtr& a, const BigNum& b) { DigitwiseOp(a, b, kBitXor); }},
      {"BigNumSum",
       [](BigPtr& a, const BigNum& b) {
         a = BigNumSum(*a, a->sign, b, -b.sign, kInternalBase);
       }},
      {"BigNumProductInternal",
       [](BigPtr& a, const BigNum& b) { a = BigNumProductInternal(*a, b); }},
  };
  // Digits below 10 so that every value is also a radix-10 number.
  const std::vector<std::vector<uint32_t>> values = {
      {1}, {7}, {0, 3}, {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 1}, {5, 0, 0, 0, 0, 0, 0, 2}};
  for (const auto& [name, op] : ops) {
    for (size_t i = 0; i < values.size(); ++i) {
      for (int32_t sign : {1, -1}) {
        SCOPED_TRACE(std::string(name) + " value " + std::to_string(i) + " sign " +
                     std::to_string(sign));
        BigPtr distinct = MakeBig(values[i], 0, sign);
        const BigPtr operand = MakeBig(values[i], 0, sign);
        op(distinct, *operand);
        BigPtr same = MakeBig(values[i], 0, sign);
        op(same, *same);
        const uint32_t base = std::string(name).find("radix 10") != std::string::npos
                                  ? 10u
                                  : kInternalBase;
        EXPECT_EQ(BigNumFault(*same, base), nullptr) << BigNumFault(*same, base);
        EXPECT_EQ(DigitsOf(*same), DigitsOf(*distinct));
        EXPECT_EQ(same->exp, distinct->exp);
        if (!BigNumIsZero(*same)) {
          EXPECT_EQ(same->sign, distinct->sign);
        }
      }
    }
  }
}

// The checks themselves: each broken invariant is named.
TEST(InvariantCheck, NamesWhatIsBroken) {
  Rational sound = RatFromInt(5);
  EXPECT_EQ(RationalFault(sound), nullptr);

  struct Case {
    const char* what;
    std::function<void(Rational&)> breakIt;
  };
  const Case cases[] = {
      {"sign is neither +1 nor -1", [](Rational& x) { x.num->sign = 0; }},
      {"count outside 1 to room", [](Rational& x) { x.num->count = 0; }},
      {"count outside 1 to room", [](Rational& x) { x.den->count = x.den->room + 1; }},
      {"digit not below the base", [](Rational& x) { x.num->digits()[0] = kInternalBase; }},
      {"leading zero digit",
       [](Rational& x) { x.num = MakeBig({5, 0}, 0, 1); }},
      {"a component is no integer", [](Rational& x) { x.den->exp = -1; }},
      {"zero denominator", [](Rational& x) { x.den->digits()[0] = 0; }},
      {"a component is missing", [](Rational& x) { x.den.reset(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rational x = RatFromInt(5);
    c.breakIt(x);
    ASSERT_NE(RationalFault(x), nullptr);
    EXPECT_STREQ(RationalFault(x), c.what);
  }
}

}  // namespace
