// Factorial of whole numbers (exact) and of any other Rational (gamma).
#include "arith/factorial.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "arith/alloc.h"
#include "arith/constants.h"
#include "arith/error.h"
#include "arith/settings.h"
#include "transcend_test_util.h"

namespace {

class FactorialTest : public TranscendTest {};

// n! by the plain loop of single-word products: the simple reference for the
// product tree.
BigPtr NaiveFactorial(int32_t n) {
  BigPtr p = BigNumFromInt(1, kInternalBase);
  for (int32_t i = 2; i <= n; ++i) BigNumMulInternal(p, *BigNumFromInt(i, kInternalBase));
  return p;
}

bool IsWhole(const Rational& x) { return BigNumEqualMagnitude(*x.den, *BigOne); }

TEST_F(FactorialTest, SmallWholeNumbersAreExact) {
  struct Case {
    const char* x;
    const char* want;
  };
  // 20! and 100! from python3: math.factorial.
  const Case cases[] = {
      {"0", "1"},
      {"1", "1"},
      {"5", "120"},
      {"12", "479001600"},
      {"13", "6227020800"},
      {"20", "2432902008176640000"},
      {"100",
       "93326215443944152681699238856266700490715968264381621468592963895217599993229915608941"
       "463976156518286253697920827223758251185210916864000000000000000000000000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x);
    Rational x = DecimalRat(c.x);
    Factorial(x);
    EXPECT_TRUE(IsWhole(x));
    EXPECT_TRUE(RatEqual(x, DecimalRat(c.want)));
  }
}

TEST_F(FactorialTest, ProductTreeMatchesPlainLoop) {
  // Sizes that pass through single leaves, schoolbook merges, Karatsuba on
  // equal halves and uneven operands cut into slices.
  for (int32_t n : {2, 3, 34, 35, 200, 255, 256, 257, 513, 1000, 2047, 4099, 10000}) {
    SCOPED_TRACE(n);
    Rational x = RatFromInt(n);
    Factorial(x);
    const BigPtr want = NaiveFactorial(n);
    EXPECT_TRUE(IsWhole(x));
    EXPECT_EQ(x.num->sign, 1);
    EXPECT_EQ(x.num->exp, want->exp);
    ASSERT_EQ(x.num->count, want->count);
    EXPECT_TRUE(std::equal(want->digits(), want->digits() + want->count, x.num->digits()));
  }
}

TEST_F(FactorialTest, LargeFactorialsAgreeWithTheirNeighbours) {
  // n! = n (n - 1)! far beyond the plain loop's reach; n and n - 1 take
  // different paths through the halving (odd and even, a power of two).
  for (int32_t n : {65536, 100001}) {
    SCOPED_TRACE(n);
    Rational below = RatFromInt(n - 1);
    Factorial(below);
    RatMul(below, RatFromInt(n));
    Rational x = RatFromInt(n);
    Factorial(x);
    EXPECT_TRUE(IsWhole(x));
    EXPECT_TRUE(BigNumEqualMagnitude(*x.num, *below.num));
  }
}

TEST_F(FactorialTest, WholeValueWithPowerOfRadixDenominator) {
  // 30/10 is the whole number 3, as RatInt leaves it.
  Rational x = RatFromInt(30);
  RatDiv(x, RatTen);
  Factorial(x);
  EXPECT_TRUE(IsWhole(x));
  EXPECT_TRUE(RatEqual(x, RatFromInt(6)));
}

// Expected values: python3-mpmath 1.3.0, gamma(x + 1) at mp.dps = 200,
// printed with mp.nstr(v, 70).
TEST_F(FactorialTest, NonWholeValuesAgreeWithGamma) {
  struct Case {
    const char* x;
    const char* want;
  };
  const Case cases[] = {
      {"0.5", "0.8862269254527580136490837416705725913987747280611935641069038949264556"},
      {"-0.5", "1.772453850905516027298167483341145182797549456122387128213807789852911"},
      {"-2.5", "2.363271801207354703064223311121526910396732608163182837618410386470548"},
      {"3.5", "11.63172839656744892914422410942626526210891830580316552890311362090973"},
      {"10.25", "6552134.137490662141408523619229870913322609171217416754824004436233992"},
      {"0.1", "0.9513507698668731836292487177265402192550578626088377343050000770434265"},
      {"-0.9", "9.513507698668731836292487177265402192550578626088377343050000770434265"},
      {"1.5", "1.329340388179137020473625612505858887098162092091790346160355842389683"},
      {"-1.25", "-4.901666809860710580516393213451562107404956992432282444920475753159292"},
      {"0.999", "0.9995776274237292893421075177069484765224548066525260013371913197742651"},
      {"-0.001", "1.000578205629358647990097615322270747269724531183709711048239559333599"},
      {"100.5", "9.367567919603130191390855358187619990096029523353172959786198107009137e+158"},
      {"-10.5", "0.000002772127911575102132058704591576802461666591854148717038862126562516536"},
  };
  for (const PrecisionCase& pc : kPrecisions) {
    SetRadixAndPrecision(10, pc.precision);
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.x) + "! P=" + std::to_string(pc.precision));
      Rational x = DecimalRat(c.x);
      Factorial(x);
      EXPECT_TRUE(AgreesTo(x, c.want, pc.digits));
      EXPECT_EQ(WorkingPrecision, pc.precision);
    }
  }
}

TEST_F(FactorialTest, OtherRadixes) {
  // P digits of radix 2, 8 and 16 hold about ten decimal digits.
  struct Case {
    int32_t radix;
    int32_t precision;
  };
  for (const Case& c : {Case{2, 33}, Case{8, 11}, Case{16, 9}}) {
    SCOPED_TRACE(c.radix);
    SetRadixAndPrecision(c.radix, c.precision);
    Rational half = DecimalRat("0.5");
    Factorial(half);
    EXPECT_TRUE(AgreesTo(half, "0.8862269254527580136490837416705725913987747280611935641069038949264556", 9));
    Rational seven = RatFromInt(7);
    Factorial(seven);
    EXPECT_TRUE(RatEqual(seven, RatFromInt(5040)));
    EXPECT_EQ(WorkingPrecision, c.precision);
  }
}

TEST_F(FactorialTest, ArgumentsNegligiblyOffWholeNumbers) {
  struct Case {
    const char* x;
    const char* want;
  };
  const Case cases[] = {
      {"1e-40", "1"},
      {"-1e-40", "1"},  // next to 0, not a pole
      {"5.0000000000000000000000000000000000000001", "120"},
      {"2.9999999999999999999999999999999999999999", "6"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x);
    Rational x = DecimalRat(c.x);
    Factorial(x);
    EXPECT_TRUE(RatEqual(x, DecimalRat(c.want))) << Render(x);
  }
}

TEST_F(FactorialTest, NegativeWholeNumbersAreRefused) {
  for (const char* text : {"-1", "-3", "-1000000000", "-3.0000000000000000000000000000000000000001"}) {
    SCOPED_TRACE(text);
    Rational x = DecimalRat(text);
    EXPECT_EQ(ThrownCode([&] { Factorial(x); }), ErrInvalidInput);
    EXPECT_TRUE(RatEqual(x, DecimalRat(text)));
  }
  // Just off a pole by more than the precision: very large, but computed.
  Rational near = DecimalRat("-2.999999999999999999999");
  EXPECT_EQ(ThrownCode([&] { Factorial(near); }), 0u);
  EXPECT_TRUE(RatGreater(near, DecimalRat("1e20")));
}

TEST_F(FactorialTest, OutOfMemoryKeepsArgumentPrecisionAndBlocks) {
  for (const char* text : {"0.5", "-2.5", "300"}) {
    SCOPED_TRACE(text);
    {
      Rational warm = DecimalRat(text);
      Factorial(warm);
    }
    const int64_t live = AllocLiveBlocks();
    bool succeeded = false;
    for (int64_t n = 0; !succeeded && n < 1000000; n += 1 + n / 8) {
      Rational x = DecimalRat(text);
      const int64_t before = AllocLiveBlocks();
      AllocFailAfter(n);
      const ErrorCode code = ThrownCode([&] { Factorial(x); });
      AllocFailAfter(-1);
      succeeded = code == 0;
      if (!succeeded) {
        ASSERT_EQ(code, ErrOutOfMemory);
        EXPECT_TRUE(RatEqual(x, DecimalRat(text)));
        EXPECT_EQ(AllocLiveBlocks(), before);
      }
      EXPECT_EQ(WorkingPrecision, 33);
    }
    EXPECT_TRUE(succeeded);
    EXPECT_EQ(AllocLiveBlocks(), live);
  }
}

TEST_F(FactorialTest, LongProductsStopOnAbort) {
  struct Case {
    const char* x;
    int32_t delayMs;
  };
  // 10^6! takes seconds; 10^9! could never finish; 10^9 + 0.5 runs the
  // rational product loop.
  const Case cases[] = {{"1000000", 300}, {"1000000", 1500}, {"1000000000", 300},
                        {"1000000000.5", 300}, {"-1000000000.5", 300}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x);
    AbortFlag.store(false);
    Rational x = DecimalRat(c.x);
    const auto after =
        TimeAfterAbort([&] { Factorial(x); }, std::chrono::milliseconds(c.delayMs));
    EXPECT_LT(after.count(), 1000);
    EXPECT_EQ(WorkingPrecision, 33);
  }
}

// A whole number from 2^31 on has a factorial no block can hold: refused at
// once, not after multiplying until the user gives up, with the argument and
// the blocks as they were.
TEST_F(FactorialTest, WholeNumbersBeyondWordsAreRefusedAtOnce) {
  for (const char* text : {"2147483648", "1000000000000", "1e9999", "123456789012345678901234567890"}) {
    SCOPED_TRACE(text);
    Rational x = DecimalRat(text);
    const int64_t live = AllocLiveBlocks();
    EXPECT_EQ(ThrownCode([&] { Factorial(x); }), ErrOutOfMemory);
    EXPECT_TRUE(RatEqual(x, DecimalRat(text)));
    EXPECT_EQ(AllocLiveBlocks(), live);
    EXPECT_EQ(WorkingPrecision, 33);
  }
}

}  // namespace
