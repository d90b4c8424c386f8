#include "arith/constants.h"

#include <gtest/gtest.h>

#include <vector>

#include "arith/settings.h"
#include "bignum_test_util.h"
#include "transcend_test_util.h"

namespace {

// The constants are read-only to every caller: no operation may write one.
template <typename T>
constexpr bool kWritable = requires(T& x) { RatAdd(x, RatTwo); };
static_assert(kWritable<Rational>);
static_assert(!kWritable<decltype(RatOne)>);
static_assert(!kWritable<decltype(Pi)>);
template <typename T>
constexpr bool kBigWritable = requires(T& x) { x = BigNumFromInt(3, kInternalBase); };
static_assert(!kBigWritable<decltype(BigOne)>);

using ConstantsTest = TranscendTest;

// Literals: python3-mpmath, mp.dps = 120, printed to 90 digits.
constexpr const char* kPi =
    "3.14159265358979323846264338327950288419716939937510582097494459230781640628620899862803483";
constexpr const char* kE =
    "2.71828182845904523536028747135266249775724709369995957496696762772407663035354759457138218";
constexpr const char* kSqrtE =
    "1.64872127070012814684865078781416357165377610071014801157507931164066102119421560863277652";
constexpr const char* kLn10 =
    "2.30258509299404568401799145468436420760110148862877297603332790096757260967735248023599721";
constexpr const char* kLn2 =
    "0.693147180559945309417232121458176568075500134360255254120680009493393621969694715605863327";
constexpr const char* kDegPerRad =
    "57.295779513082320876798154814105170332405472466564321549160243861202847148321552632440969";
constexpr const char* kGradPerRad =
    "63.6619772367581343075535053490057448137838582961825794990669376235587190536906140360455211";
constexpr const char* kHalfPi =
    "1.57079632679489661923132169163975144209858469968755291048747229615390820314310449931401741";
constexpr const char* kTwoPi =
    "6.28318530717958647692528676655900576839433879875021164194988918461563281257241799725606965";
constexpr const char* kThreeHalvesPi =
    "4.71238898038468985769396507491925432629575409906265873146241688846172460942931349794205224";

struct SlotCase {
  const Rational* slot;
  const char* name;
  const char* want;
};

const SlotCase kTranscendental[] = {
    {&Pi, "Pi", kPi},
    {&TwoPi, "TwoPi", kTwoPi},
    {&HalfPi, "HalfPi", kHalfPi},
    {&ThreeHalvesPi, "ThreeHalvesPi", kThreeHalvesPi},
    {&EulerE, "EulerE", kE},
    {&SqrtE, "SqrtE", kSqrtE},
    {&Ln10, "Ln10", kLn10},
    {&Ln2, "Ln2", kLn2},
    {&DegPerRad, "DegPerRad", kDegPerRad},
    {&GradPerRad, "GradPerRad", kGradPerRad},
};

void ExpectTranscendentalAgreeTo(int32_t digits) {
  for (const SlotCase& c : kTranscendental) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(AgreesTo(*c.slot, c.want, digits));
  }
}

// The exact slots, the same on both paths.
void ExpectExactSlots() {
  struct Case {
    const Rational* slot;
    const char* name;
    const char* want;
  } cases[] = {
      {&RatZero, "RatZero", "0"},       {&RatOne, "RatOne", "1"},
      {&RatMinusOne, "RatMinusOne", "-1"}, {&RatTwo, "RatTwo", "2"},
      {&RatSix, "RatSix", "6"},         {&RatTen, "RatTen", "10"},
      {&RatHalf, "RatHalf", "0.5"},     {&RatPoint85, "RatPoint85", "0.85"},
      {&Mask64, "Mask64", "18446744073709551615"},
      {&Mask32, "Mask32", "4294967295"},
      {&Mask16, "Mask16", "65535"},     {&Mask8, "Mask8", "255"},
      {&Deg360, "Deg360", "360"},       {&Grad400, "Grad400", "400"},
      {&Deg180, "Deg180", "180"},       {&Grad200, "Grad200", "200"},
      {&ExpLimit, "ExpLimit", "100000"}, {&MinusExpLimit, "MinusExpLimit", "-100000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(SameValue(*c.slot, DecimalRat(c.want)));
  }
  struct BigCase {
    const BigPtr* slot;
    uint32_t want;
  } bigs[] = {{&BigOne, 1}, {&BigTwo, 2}, {&BigFive, 5}, {&BigSix, 6}, {&BigTen, 10}};
  for (const BigCase& c : bigs) {
    SCOPED_TRACE(c.want);
    EXPECT_EQ(DigitsOf(**c.slot), std::vector<uint32_t>{c.want});
    EXPECT_EQ((*c.slot)->sign, 1);
  }
}

// radix^-precision, exactly.
void ExpectEpsilon(int32_t radix, int32_t precision) {
  Rational want = RatFromInt(1);
  BigPtr power = BigNumFromInt(radix, kInternalBase);
  BigNumPowInternal(power, precision);
  want.den = std::move(power);
  EXPECT_TRUE(SameValue(Epsilon, want));
  want.num->sign = -1;
  EXPECT_TRUE(SameValue(MinusEpsilon, want));
}

TEST(DigitsPerWordFor, Radices) {
  struct Case {
    int32_t radix;
    int32_t want;
  } cases[] = {{2, 30}, {3, 19}, {8, 10}, {10, 9}, {16, 7}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.radix);
    EXPECT_EQ(DigitsPerWordFor(c.radix), c.want);
  }
}

TEST_F(ConstantsTest, DefaultSettingsComputeTheConstants) {
  ConstantsMark = 2880;  // as at start-up
  ClearConstantCache();
  SetRadixAndPrecision(10, 33);
  EXPECT_EQ(WorkingPrecision, 33);
  EXPECT_EQ(DigitsPerWord, 9);
  EXPECT_EQ(ConstantsMark, 2970);
  EXPECT_EQ(Render(Pi), "3.1415926535897932384626433832795");
  // Computed with one word more than P: good to 44 digits (at P itself the
  // series would give about 38).
  ExpectTranscendentalAgreeTo(44);
  ExpectExactSlots();
  ExpectEpsilon(10, 33);
  EXPECT_TRUE(SameValue(RadixRat, RatFromInt(10)));
  EXPECT_EQ(DigitsOf(*RadixBig), std::vector<uint32_t>{10});
}

// The stored table holds what the series give at the default settings: the
// computed fractions match it word for word, which pins down every step of
// the series, the cuts and the order of the computation.
TEST_F(ConstantsTest, DefaultComputationReproducesTheStoredTable) {
  ConstantsMark = 2880;
  ClearConstantCache();
  SetRadixAndPrecision(10, 33);
  ASSERT_EQ(ConstantsMark, 2970);
  std::vector<std::vector<uint32_t>> computed;
  for (const SlotCase& c : kTranscendental) {
    computed.push_back(DigitsOf(*c.slot->num));
    computed.push_back(DigitsOf(*c.slot->den));
  }
  LoadStoredConstants();
  size_t i = 0;
  for (const SlotCase& c : kTranscendental) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(computed[i++], DigitsOf(*c.slot->num));
    EXPECT_EQ(computed[i++], DigitsOf(*c.slot->den));
  }
}

TEST_F(ConstantsTest, Radix16LoadsTheStoredTable) {
  SetRadixAndPrecision(16, 9);
  EXPECT_EQ(WorkingPrecision, 9);
  EXPECT_EQ(DigitsPerWord, 7);
  EXPECT_EQ(DigitsOf(*Pi.num), (std::vector<uint32_t>{0x77B6758, 0x10EBF1EE, 0x74DAC370,
                                                       0x63B5AD4A, 0x4CC7E350, 0x8}));
  EXPECT_EQ(DigitsOf(*Epsilon.num), std::vector<uint32_t>{1});
  ExpectEpsilon(16, 9);
  ExpectExactSlots();
  ExpectTranscendentalAgreeTo(46);
  EXPECT_TRUE(SameValue(RadixRat, RatFromInt(16)));
}

TEST_F(ConstantsTest, LoadStoredConstantsFillsEverySlot) {
  LoadStoredConstants();
  ExpectExactSlots();
  ExpectTranscendentalAgreeTo(46);
  // The stored epsilon is 10^-32, its denominator kept with a zero low word.
  EXPECT_EQ(DigitsOf(*Epsilon.den),
            (std::vector<uint32_t>{0x0, 0xB59DF02, 0x35B5056E, 0x2771}));
  EXPECT_EQ(MinusEpsilon.num->sign, -1);
  EXPECT_EQ(DigitsOf(*Mask64.num), (std::vector<uint32_t>{0x7FFFFFFF, 0x7FFFFFFF, 0x3}));
  EXPECT_EQ(DigitsOf(*Mask32.num), (std::vector<uint32_t>{0x7FFFFFFF, 0x1}));
  ExpectEpsilon(10, 32);
}

TEST_F(ConstantsTest, Precision64ComputesWithOneMoreWord) {
  SetRadixAndPrecision(10, 65);
  EXPECT_EQ(WorkingPrecision, 65);
  EXPECT_GE(ConstantsMark, 5850);
  // Computed at P = 65 + 9: good to 80 digits (at P = 65 they would have
  // about 75).
  ExpectTranscendentalAgreeTo(80);
  ExpectEpsilon(10, 65);

  // Back from another radix the precision still needs computed values.
  SetRadixAndPrecision(16, 17);
  ExpectTranscendentalAgreeTo(46);
  SetRadixAndPrecision(10, 65);
  ExpectTranscendentalAgreeTo(80);
}

TEST_F(ConstantsTest, OtherRadices) {
  struct Case {
    int32_t radix;
    int32_t precision;
  } cases[] = {{2, 33}, {8, 11}, {2, 9}, {16, 17}, {3, 40}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.radix << " " << c.precision);
    SetRadixAndPrecision(c.radix, c.precision);
    EXPECT_EQ(WorkingPrecision, c.precision);
    EXPECT_EQ(DigitsPerWord, DigitsPerWordFor(c.radix));
    ExpectEpsilon(c.radix, c.precision);
    ExpectExactSlots();
    ExpectTranscendentalAgreeTo(15);
  }
}

TEST_F(ConstantsTest, RebuildClearsAbortAndMarkOnlyGrows) {
  SetRadixAndPrecision(10, 65);
  const int32_t mark = ConstantsMark;
  AbortFlag.store(true);
  SetRadixAndPrecision(10, 33);
  EXPECT_FALSE(AbortRequested());
  EXPECT_EQ(ConstantsMark, mark);
  EXPECT_EQ(Render(Pi), "3.1415926535897932384626433832795");
}

// A setting seen before gets its own set back from the cache, without a
// rebuild (no series polls) and with the same values; the selection made
// inside a command leaves a pending abort alone.
TEST_F(ConstantsTest, CachedSetsComeBackWithoutRebuild) {
  SetRadixAndPrecision(10, 65);
  const Rational pi65 = CopyRational(Pi);
  SetRadixAndPrecision(10, 47);
  const Rational pi47 = CopyRational(Pi);
  SetRadixAndPrecision(16, 9);

  constexpr int64_t kCounting = int64_t{1} << 60;
  AbortPollBudget.store(kCounting);
  SetRadixAndPrecision(10, 65);
  EXPECT_TRUE(SameValue(Pi, pi65));
  ExpectEpsilon(10, 65);
  SetRadixAndPrecision(10, 47);
  EXPECT_TRUE(SameValue(Pi, pi47));
  ExpectEpsilon(10, 47);
  EXPECT_EQ(AbortPollBudget.load(), kCounting);
  AbortPollBudget.store(-1);

  AbortFlag.store(true);
  SelectConstantSet(10, 65);
  EXPECT_TRUE(AbortFlag.load());
  EXPECT_EQ(WorkingPrecision, 65);
  EXPECT_TRUE(SameValue(Pi, pi65));
  AbortFlag.store(false);

  // Loading the stored table by hand leaves no cached setting in force.
  LoadStoredConstants();
  SetRadixAndPrecision(10, 65);
  ExpectEpsilon(10, 65);
  ExpectTranscendentalAgreeTo(80);
}

// A smaller cache keeps the most recently used sets and rebuilds the rest.
TEST_F(ConstantsTest, CacheCapacityEvictsLeastRecentlyUsed) {
  const auto pollsToSelect = [](int32_t radix, int32_t precision) {
    constexpr int64_t kCounting = int64_t{1} << 60;
    AbortPollBudget.store(kCounting);
    SetRadixAndPrecision(radix, precision);
    const int64_t polls = kCounting - AbortPollBudget.load();
    AbortPollBudget.store(-1);
    return polls;
  };
  ClearConstantCache();
  SetConstantCacheCapacity(2);
  SetRadixAndPrecision(10, 65);
  SetRadixAndPrecision(10, 47);
  SetRadixAndPrecision(16, 9);
  // Stashing 16/9 evicts 65, the least recently used; 47 stays.
  EXPECT_EQ(pollsToSelect(10, 47), 0);
  EXPECT_GT(pollsToSelect(10, 65), 0);
  ExpectTranscendentalAgreeTo(80);
  SetConstantCacheCapacity(48);
  SetRadixAndPrecision(10, 33);
}

// An abort that arrives while the series run (the user answering the
// watchdog during a radix switch) must not leave them cut short: at every
// poll of the rebuild, the constants come out whole and the abort is
// dropped.
TEST_F(ConstantsTest, AbortDuringRebuildLeavesWholeConstants) {
  constexpr int64_t kCounting = int64_t{1} << 60;
  AbortPollBudget.store(kCounting);
  ClearConstantCache();
  SetRadixAndPrecision(10, 65);
  const int64_t polls = kCounting - AbortPollBudget.load();
  AbortPollBudget.store(-1);
  ASSERT_GT(polls, 10);
  for (int64_t k = 0; k < polls; k += 1 + polls / 40) {
    SCOPED_TRACE(k);
    AbortPollBudget.store(k);
    ClearConstantCache();
    SetRadixAndPrecision(10, 65);
    AbortPollBudget.store(-1);
    EXPECT_FALSE(AbortRequested());
    ExpectTranscendentalAgreeTo(63);
  }
  SetRadixAndPrecision(10, 33);
}

}  // namespace

namespace {

// A rebuild that runs out of memory puts P back and leaks nothing but what
// the slots it rebuilt hold; the next rebuild succeeds.
TEST_F(ConstantsTest, OutOfMemoryDuringRebuild) {
  for (int64_t n = 0;; n += 7) {
    ConstantsMark = 2880;
    ClearConstantCache();
    AllocFailAfter(n);
    ErrorCode code = 0;
    try {
      SetRadixAndPrecision(10, 65);
    } catch (const ArithError& e) {
      code = e.code;
    }
    AllocFailAfter(-1);
    if (code == 0) break;
    SCOPED_TRACE(n);
    ASSERT_EQ(code, ErrOutOfMemory);
    ASSERT_EQ(WorkingPrecision, 65);
  }
  ExpectTranscendentalAgreeTo(80);
}

}  // namespace
