// Helpers for the tests of the constants and the transcendental functions:
// exact Rationals from decimal literals, a relative-error check against such
// literals, and a fixture that builds the constant set and puts the default
// one back afterwards.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>
#include <thread>

#include "arith/alloc.h"
#include "arith/bignum.h"
#include "arith/constants.h"
#include "arith/error.h"
#include "arith/rational.h"
#include "arith/settings.h"
#include "numtext/to_text.h"

// The exact value of a decimal literal "[-]d[.d][e[+-]n]".
inline Rational DecimalRat(const std::string& text) {
  size_t i = 0;
  int32_t sign = 1;
  if (text[i] == '-' || text[i] == '+') sign = text[i++] == '-' ? -1 : 1;
  BigPtr mantissa = BigNumFromInt(0, kInternalBase);
  const BigPtr ten = BigNumFromInt(10, kInternalBase);
  int32_t scale = 0;
  bool fraction = false;
  for (; i < text.size() && text[i] != 'e' && text[i] != 'E'; ++i) {
    if (text[i] == '.') {
      fraction = true;
      continue;
    }
    BigNumMulInternal(mantissa, *ten);
    BigNumAdd(mantissa, *BigNumFromInt(text[i] - '0', kInternalBase), kInternalBase);
    if (fraction) --scale;
  }
  if (i < text.size()) scale += std::stoi(text.substr(i + 1));
  BigPtr power = BigNumFromInt(10, kInternalBase);
  BigNumPowInternal(power, scale < 0 ? -scale : scale);
  Rational r;
  if (scale >= 0) {
    BigNumMulInternal(mantissa, *power);
    r.num = std::move(mantissa);
    r.den = BigNumFromInt(1, kInternalBase);
  } else {
    r.num = std::move(mantissa);
    r.den = std::move(power);
  }
  r.num->sign = sign;
  return r;
}

// Success when |got - want| <= |want| * 10^-digits (for want = 0: when got is
// exactly zero). The check runs at a precision far above the values'.
inline testing::AssertionResult AgreesTo(const Rational& got, const std::string& want,
                                         int32_t digits) {
  PrecisionRaise raise(WorkingPrecision + 40 + 2 * digits);
  const Rational w = DecimalRat(want);
  Rational diff = CopyRational(got);
  RatSub(diff, w);
  if (RatIsZero(diff)) return testing::AssertionSuccess();
  diff.num->sign = 1;
  diff.den->sign = 1;
  Rational bound = CopyRational(w);
  bound.num->sign = 1;
  bound.den->sign = 1;
  Rational scaled = CopyRational(diff);
  Rational tens = RatFromInt(10);
  RatPowInt(tens, digits);
  RatMul(scaled, tens);
  if (!RatIsZero(bound) && RatLessEqual(scaled, bound)) return testing::AssertionSuccess();
  // About how many digits agree, from the top words of the relative error.
  RatDiv(diff, bound);
  auto log10Of = [](const BigNum& b) {
    double top = 0;
    int32_t used = 0;
    for (int32_t i = b.count - 1; i >= 0 && used < 2; --i, ++used) {
      top = top * 2147483648.0 + b.digits()[i];
    }
    return std::log10(top) + (b.span() - used) * 31 * std::log10(2.0);
  };
  return testing::AssertionFailure()
         << "agrees to about " << log10Of(*diff.den) - log10Of(*diff.num)
         << " digits, want " << digits << "; expected " << want;
}

// The rendered text of x (radix 10, automatic form).
inline std::string Render(const Rational& x) {
  Rational copy = CopyRational(x);
  return RationalToText(copy, 10, 0);
}

// As AgreesTo, for the text x renders as (what the display shows).
inline testing::AssertionResult RenderedAgreesTo(const Rational& x, const std::string& want,
                                                 int32_t digits) {
  const std::string text = Render(x);
  testing::AssertionResult r = AgreesTo(DecimalRat(text), want, digits);
  if (!r) r << " (rendered " << text << ")";
  return r;
}

inline bool SameValue(const Rational& a, const Rational& b) { return RatEqual(a, b); }

// Runs `body` for an ArithError and returns its code, 0 when nothing is thrown.
template <typename F>
ErrorCode ThrownCode(F&& body) {
  try {
    body();
  } catch (const ArithError& e) {
    return e.code;
  }
  return 0;
}

// Runs `body` while another thread sets the abort flag after `delay`;
// returns how long the body took after the flag was set.
template <typename F>
std::chrono::milliseconds TimeAfterAbort(F&& body, std::chrono::milliseconds delay) {
  std::chrono::steady_clock::time_point setAt;
  std::thread watchdog([&setAt, delay] {
    std::this_thread::sleep_for(delay);
    setAt = std::chrono::steady_clock::now();
    AbortFlag.store(true);
  });
  const ErrorCode code = ThrownCode(body);
  const auto end = std::chrono::steady_clock::now();
  watchdog.join();
  EXPECT_EQ(code, 0u);
  return std::chrono::duration_cast<std::chrono::milliseconds>(end - setAt);
}

// Builds the constant set of radix 10 at `precision` for the test and the
// default set (radix 10, precision 33) afterwards, with the abort flag clear.
class TranscendTest : public testing::Test {
 protected:
  void SetUp() override { SetRadixAndPrecision(10, 33); }
  void TearDown() override {
    AbortFlag.store(false);
    SetRadixAndPrecision(10, 33);
  }
};

// The two precisions every value table runs at (precision settings 32 and
// 64), with the digits the rendered results must agree to.
struct PrecisionCase {
  int32_t precision;
  int32_t digits;
};
inline constexpr PrecisionCase kPrecisions[] = {{33, 31}, {65, 63}};

// Runs op on a copy of `arg` with the n-th allocation failing, for n = 0, 1,
// ... until op completes: every failure must be ErrOutOfMemory, leave the
// copy equal to `arg` and P as it was, and release every block it took.
template <typename Op>
void ExpectOutOfMemorySafe(const Rational& arg, Op op) {
  const int32_t precision = WorkingPrecision;
  for (int64_t n = 0;; ++n) {
    Rational x = CopyRational(arg);
    const int64_t live = AllocLiveBlocks();
    AllocFailAfter(n);
    ErrorCode code = 0;
    try {
      op(x);
    } catch (const ArithError& e) {
      code = e.code;
    }
    AllocFailAfter(-1);
    if (code == 0) return;
    SCOPED_TRACE(testing::Message() << "failing allocation " << n);
    ASSERT_EQ(code, ErrOutOfMemory);
    ASSERT_TRUE(RatEqual(x, arg));
    ASSERT_EQ(AllocLiveBlocks(), live);
    ASSERT_EQ(WorkingPrecision, precision);
  }
}
