#include "arith/power.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "arith/constants.h"
#include "arith/error.h"
#include "arith/exp_log.h"
#include "arith/settings.h"
#include "bignum_test_util.h"
#include "transcend_test_util.h"

namespace {

using PowerTest = TranscendTest;

TEST_F(PowerTest, Values) {
  struct Case {
    const char* base;
    const char* exponent;
    const char* want;  // python3-mpmath, mp.dps = 120, printed to 70 digits
  } cases[] = {
      {"2.5", "0.7", "1.899144482330934686774542182828640959903434059945398366806489197997407"},
      {"2", "0.5", "1.414213562373095048801688724209698078569671875376948073176679737990732"},
      {"10", "0.3333", "2.15426933740423659911988933655622351374869732347379097593138828952735"},
      {"0.5", "-2.5", "5.65685424949238019520675489683879231427868750150779229270671895196293"},
      {"7", "1.5", "18.52025917745213413351131027547482297997181428157715126257834121440748"},
      {"3", "-0.25", "0.7598356856515925473311877506545453353967734488873103186112886537003222"},
      {"-2", "3", "-8"},
      {"-2", "2", "4"},
      {"-0.5", "-3", "-8"},
      {"1", "0.123", "1"},
      {"1", "-7.3", "1"},
  };
  for (const PrecisionCase& p : kPrecisions) {
    SetRadixAndPrecision(10, p.precision);
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "P=" << p.precision << " " << c.base << "^" << c.exponent);
      Rational x = DecimalRat(c.base);
      Power(x, DecimalRat(c.exponent));
      EXPECT_TRUE(RenderedAgreesTo(x, c.want, p.digits));
      EXPECT_EQ(WorkingPrecision, p.precision);
    }
  }
}

TEST_F(PowerTest, RootValues) {
  struct Case {
    const char* base;
    const char* degree;
    const char* want;  // python3-mpmath, mp.dps = 120, printed to 70 digits
  } cases[] = {
      {"27", "3", "3"},
      {"-27", "3", "-3"},
      {"2", "3", "1.2599210498948731647672106072782283505702514647015079800819751121553"},
      {"-35.2", "5", "-2.038489752982913241304133203226552971533562157408357515318864992151656"},
      {"2", "2", "1.414213562373095048801688724209698078569671875376948073176679737990732"},
  };
  for (const PrecisionCase& p : kPrecisions) {
    SetRadixAndPrecision(10, p.precision);
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "P=" << p.precision << " root " << c.degree
                                      << " of " << c.base);
      Rational x = DecimalRat(c.base);
      Root(x, DecimalRat(c.degree));
      EXPECT_TRUE(RenderedAgreesTo(x, c.want, p.digits));
    }
  }
}

// Integral exponents are exact up to RatTrim; small results are plainly exact.
TEST_F(PowerTest, ExactIntegralPowers) {
  struct Case {
    const char* base;
    int32_t exponent;
    const char* want;
  } cases[] = {
      {"0", 0, "1"},
      {"0", 2, "0"},
      {"-2", 3, "-8"},
      {"-2", 2, "4"},
      {"2", 100, "1267650600228229401496703205376"},
      {"-1", 7, "-1"},
      {"-1", -6, "1"},
      {"0.5", -3, "8"},
      {"2.5", 2, "6.25"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.base << "^" << c.exponent);
    Rational x = DecimalRat(c.base);
    Power(x, RatFromInt(c.exponent));
    EXPECT_TRUE(SameValue(x, DecimalRat(c.want)));
  }
  Rational zero = RatFromInt(0);
  Power(zero, DecimalRat("0.5"));
  EXPECT_TRUE(RatIsZero(zero));

  Rational thousandth = RatFromInt(-3);
  PowerOfTen(thousandth);
  EXPECT_TRUE(SameValue(thousandth, DecimalRat("0.001")));

  // The exponent may be the base itself.
  Rational self = RatFromInt(3);
  Power(self, self);
  EXPECT_TRUE(SameValue(self, RatFromInt(27)));
}

TEST_F(PowerTest, Errors) {
  struct Case {
    const char* base;
    const char* exponent;
    ErrorCode code;
  } cases[] = {
      {"0", "-1", ErrInvalidInput},
      {"0", "-0.5", ErrInvalidInput},
      {"-4", "0.5", ErrInvalidInput},   // square root of a negative
      {"-8", "0.6666666666666666666666666666666666666666", ErrInvalidInput},
      {"-2", "1.5", ErrInvalidInput},   // y >= 1
      {"-2", "-1.5", ErrInvalidInput},  // y <= -1
      {"-1e-40", "0.5", ErrInvalidInput},  // small, but negative
      {"1e-9000", "-12", ErrInvalidInput},  // 12 ln 10^9000 > 100000
      {"10", "43430", ErrInvalidInput},  // 43430 ln 10 > 100000
      {"2", "144270", ErrInvalidInput},  // 144270 ln 2 > 100000
      {"0.1", "-43430", ErrInvalidInput},
      {"10", "43429.5", ErrInvalidInput},  // from Exponential
      {"1.0001", "1e30", ErrInvalidInput},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.base << "^" << c.exponent);
    Rational x = DecimalRat(c.base);
    EXPECT_EQ(ThrownCode([&] { Power(x, DecimalRat(c.exponent)); }), c.code);
    EXPECT_TRUE(SameValue(x, DecimalRat(c.base)));
    EXPECT_EQ(WorkingPrecision, 33);
  }
  // (-8)^(2/3) with the exponent an exact fraction: 1/y = 3/2 is not odd.
  Rational x = RatFromInt(-8);
  Rational twoThirds = RatFromInt(2);
  RatDiv(twoThirds, RatFromInt(3));
  EXPECT_EQ(ThrownCode([&] { Power(x, twoThirds); }), ErrInvalidInput);

  Rational r = RatFromInt(5);
  EXPECT_EQ(ThrownCode([&] { Root(r, RatFromInt(0)); }), ErrDivideByZeroPositive);
  EXPECT_TRUE(SameValue(r, RatFromInt(5)));
  Rational s = RatFromInt(-4);
  EXPECT_EQ(ThrownCode([&] { Root(s, RatFromInt(2)); }), ErrInvalidInput);
  Rational t = RatFromInt(43430);
  EXPECT_EQ(ThrownCode([&] { PowerOfTen(t); }), ErrInvalidInput);
  EXPECT_TRUE(SameValue(t, RatFromInt(43430)));
}

// The largest exponents whose results stay within e^100000.
TEST_F(PowerTest, LargestExponents) {
  struct Case {
    int32_t base;
    int32_t exponent;
  } cases[] = {{10, 43429}, {10, -43429}, {2, 144269}, {2, -144269}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.base << "^" << c.exponent);
    Rational x = RatFromInt(c.base);
    Power(x, RatFromInt(c.exponent));
    Rational want = RatFromInt(1);
    BigPtr power = BigNumFromInt(c.base, kInternalBase);
    BigNumPowInternal(power, c.exponent < 0 ? -c.exponent : c.exponent);
    (c.exponent < 0 ? want.den : want.num) = std::move(power);
    EXPECT_TRUE(SameValue(x, want));
  }
  Rational ten = RatFromInt(43429);
  PowerOfTen(ten);
  CommonLog(ten);
  EXPECT_TRUE(AgreesTo(ten, "43429", 31));
}

// Integral exponents beyond 32 bits keep their value and their parity.
TEST_F(PowerTest, ExponentsBeyond32Bits) {
  struct Case {
    const char* base;
    const char* exponent;
    const char* want;  // python3-mpmath, mp.dps = 120
  } cases[] = {
      {"-1", "1e20", "1"},
      {"-1", "100000000000000000001", "-1"},
      {"1", "-2147483648", "1"},
      {"-1", "-2147483648", "1"},
      {"-1", "4294967297", "-1"},
      {"1.000000000000000000000000000001", "3e30",
       "20.08553692318766774092852965455158959160312633694275734989710433461933"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.base << "^" << c.exponent);
    Rational x = DecimalRat(c.base);
    Power(x, DecimalRat(c.exponent));
    EXPECT_TRUE(AgreesTo(x, c.want, 29));
  }
}

TEST_F(PowerTest, AbortFromAnotherThreadEndsPromptly) {
  // A 20000-word exponent plus 1/2: taking its fraction is a remainder loop
  // of about 600000 steps over 20000 words (several seconds unaborted).
  Rational y = RatFromInt(1);
  y.num = MakeBig(std::vector<uint32_t>(20000, 0x2AAAAAAA));
  RatAdd(y, RatHalf);
  Rational x = DecimalRat("1.0000001");

  std::atomic<bool> started{false};
  std::thread watchdog([&] {
    while (!started.load()) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    AbortFlag.store(true, std::memory_order_relaxed);
  });
  const auto begin = std::chrono::steady_clock::now();
  started.store(true);
  // An aborted call may end with a result or with a range error; either is
  // discarded by the engine.
  ThrownCode([&] { Power(x, y); });
  const auto elapsed = std::chrono::steady_clock::now() - begin;
  watchdog.join();
  EXPECT_LT(elapsed, std::chrono::seconds(2));
  EXPECT_EQ(WorkingPrecision, 33);
}

}  // namespace

namespace {

TEST_F(PowerTest, OutOfMemoryIsClean) {
  struct Case {
    const char* base;
    const char* exponent;
  } cases[] = {{"2.5", "0.7"}, {"-27", "0.3333333333333333333333333333333333333333"},
               {"1.5", "7"}, {"0", "0"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.base << "^" << c.exponent);
    const Rational y = DecimalRat(c.exponent);
    ExpectOutOfMemorySafe(DecimalRat(c.base), [&](Rational& x) { Power(x, y); });
  }
  ExpectOutOfMemorySafe(RatFromInt(27), [](Rational& x) { Root(x, RatFromInt(3)); });
  ExpectOutOfMemorySafe(DecimalRat("2.5"), PowerOfTen);
}

// Powers and roots work in every radix, to the precision of that radix.
TEST_F(PowerTest, OtherRadices) {
  struct Case {
    int32_t radix;
    int32_t precision;
    int32_t digits;  // decimal digits the result must agree to
  } cases[] = {{16, 9, 9}, {2, 33, 8}, {8, 11, 8}, {16, 17, 18}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "radix " << c.radix << " P=" << c.precision);
    settings.radix = c.radix;
    SetRadixAndPrecision(c.radix, c.precision);
    Rational x = RatFromInt(2);
    Power(x, RatHalf);
    // python3-mpmath: sqrt(2)
    EXPECT_TRUE(AgreesTo(x, "1.414213562373095048801688724209698078569671875376948073176679737990732", c.digits));
    Rational y = RatFromInt(-27);
    Root(y, RatFromInt(3));
    EXPECT_TRUE(AgreesTo(y, "-3", c.digits));
    Rational z = RatFromInt(3);
    Power(z, RatFromInt(5));
    EXPECT_TRUE(SameValue(z, RatFromInt(243)));
  }
  settings.radix = 10;
}

}  // namespace
