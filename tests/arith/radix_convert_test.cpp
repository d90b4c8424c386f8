// Conversions between base-2^31 values and radix digits, and the rounding
// that the integer part shares with the text rendering.
#include "arith/radix_convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "arith/alloc.h"
#include "arith/constants.h"
#include "arith/error.h"
#include "arith/factorial.h"
#include "arith/settings.h"
#include "numtext/from_text.h"
#include "numtext/settings.h"
#include "numtext/to_text.h"

namespace {

class RadixConvertTest : public ::testing::Test {
 protected:
  void SetUp() override { UseRadix(10, 33); }
  void TearDown() override {
    AbortFlag.store(false);
    UseRadix(10, 33);
    SetDecimalSeparator(".");
  }
  static void UseRadix(int32_t radix, int32_t precision) {
    settings.radix = radix;
    SetRadixAndPrecision(radix, precision);
  }
};

BigPtr Words(const std::vector<uint32_t>& words, int32_t exp = 0, int32_t sign = 1) {
  BigPtr b = AllocBigNum(static_cast<int32_t>(words.size()));
  b->sign = sign;
  b->count = static_cast<int32_t>(words.size());
  b->exp = exp;
  for (std::size_t i = 0; i < words.size(); ++i) b->digits()[i] = words[i];
  return b;
}

// The digits of a radix-digit number as text, most significant first.
std::string DigitText(const BigNum& b) {
  std::string s;
  for (int32_t i = b.count - 1; i >= 0; --i) s += DigitAlphabet[b.digits()[i]];
  return s;
}

bool SameBigNum(const BigNum& a, const BigNum& b) {
  if (a.sign != b.sign || a.count != b.count || a.exp != b.exp) return false;
  for (int32_t i = 0; i < a.count; ++i) {
    if (a.digits()[i] != b.digits()[i]) return false;
  }
  return true;
}

BigPtr RandomWords(std::mt19937& rng, int32_t maxWords) {
  const int32_t n = static_cast<int32_t>(rng() % maxWords) + 1;
  std::vector<uint32_t> w(n);
  for (uint32_t& x : w) x = rng() & kWordMask;
  if (w.back() == 0) w.back() = 1;
  return Words(w);
}

TEST_F(RadixConvertTest, ConvertsWordsToDigits) {
  struct Case {
    int32_t radix;
    std::vector<uint32_t> words;
    int32_t sign;
    const char* digits;
  };
  // 2^64 - 1 and 2^31 in each radix: python3 format(2**64-1, 'o'), etc.
  const Case cases[] = {
      {10, {0x7FFFFFFF, 0x7FFFFFFF, 0x3}, 1, "18446744073709551615"},
      {16, {0x7FFFFFFF, 0x7FFFFFFF, 0x3}, 1, "FFFFFFFFFFFFFFFF"},
      {8, {0x7FFFFFFF, 0x7FFFFFFF, 0x3}, -1, "1777777777777777777777"},
      {2, {0x7FFFFFFF, 0x7FFFFFFF, 0x3}, 1, "1111111111111111111111111111111111111111111111111111111111111111"},
      {10, {0, 1}, 1, "2147483648"},
      {3, {0, 1}, 1, "12112122212110202102"},
      {10, {0}, 1, "0"},
      {10, {5}, -1, "5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.digits);
    UseRadix(c.radix, 33);
    BigPtr d = InternalToDigits(*Words(c.words, 0, c.sign), c.radix);
    EXPECT_EQ(DigitText(*d), c.digits);
    EXPECT_EQ(d->exp, 0);
    EXPECT_EQ(d->sign, c.sign);
  }
}

TEST_F(RadixConvertTest, WordsAndDigitsConvertBothWaysExactly) {
  std::mt19937 rng(3);
  for (int32_t radix : {2, 3, 7, 8, 10, 16}) {
    UseRadix(radix, 33);
    for (int i = 0; i < 200; ++i) {
      BigPtr v = RandomWords(rng, 34);
      v->exp = static_cast<int32_t>(rng() % 3);
      BigPtr d = InternalToDigits(*v, radix);
      BigPtr back = DigitsToInternal(*d, radix);
      // The exponent comes back as low zero words.
      std::vector<uint32_t> all(v->exp, 0);
      all.insert(all.end(), v->digits(), v->digits() + v->count);
      EXPECT_TRUE(SameBigNum(*back, *Words(all))) << "radix " << radix;
    }
  }
}

// The digits of a whole number by the plain quadratic method, for
// comparison: the words enter one by one at the bottom of limbs of
// radix^k that move up by 31 bits each time, then each limb is unpacked.
std::string PlainDigits(const std::vector<uint32_t>& words, int32_t radix) {
  uint64_t limbBase = 1;
  int32_t perLimb = 0;
  while (limbBase * radix <= kInternalBase) {
    limbBase *= radix;
    ++perLimb;
  }
  std::vector<uint32_t> limbs;
  for (auto w = words.rbegin(); w != words.rend(); ++w) {
    uint64_t carry = *w;
    for (uint32_t& limb : limbs) {
      const uint64_t t = (uint64_t{limb} << kWordBits) + carry;
      limb = static_cast<uint32_t>(t % limbBase);
      carry = t / limbBase;
    }
    for (; carry != 0; carry /= limbBase) limbs.push_back(static_cast<uint32_t>(carry % limbBase));
  }
  std::string s;
  for (uint32_t limb : limbs) {
    for (int32_t i = 0; i < perLimb; ++i, limb /= radix) s += DigitAlphabet[limb % radix];
  }
  while (s.size() > 1 && s.back() == '0') s.pop_back();
  if (s.empty()) s = "0";
  return std::string(s.rbegin(), s.rend());
}

std::vector<uint32_t> WordsOf(const BigNum& b) {
  return std::vector<uint32_t>(b.digits(), b.digits() + b.count);
}

TEST_F(RadixConvertTest, LongWholeNumbersConvertExactlyInEveryRadix) {
  // Lengths around the sizes where the conversion splits a number (24
  // words) and where the splits nest, up to thousands of words. The kinds
  // of value: random words, all ones, radix^k - 1 and radix^k (quotients and
  // remainders at their extremes), and sparse words (long runs of zeros).
  std::mt19937 rng(14);
  for (int32_t radix = 2; radix <= 16; ++radix) {
    SCOPED_TRACE(radix);
    for (int32_t n : {1, 2, 23, 24, 25, 26, 47, 48, 49, 50, 97, 200, 777, 1500}) {
      SCOPED_TRACE(n);
      // k with radix^k about n words long.
      const int32_t k = static_cast<int32_t>(n * kWordBits / std::log2(radix));
      std::vector<std::vector<uint32_t>> values;
      std::vector<uint32_t> random(n), ones(n, kWordMask), sparse(n, 0);
      for (uint32_t& w : random) w = rng() & kWordMask;
      random.back() |= 1;
      for (int32_t i = 0; i < n; i += 1 + static_cast<int32_t>(rng() % 40)) {
        sparse[i] = rng() & kWordMask;
      }
      sparse.back() = 1;
      values = {random, ones, sparse};
      BigPtr power = RadixPowInternal(radix, k);
      values.push_back(WordsOf(*power));
      BigNumAdd(power, *BigNumFromInt(-1, kInternalBase), kInternalBase);
      values.push_back(WordsOf(*power));
      for (const std::vector<uint32_t>& w : values) {
        PrecisionRaise raise(static_cast<int32_t>(w.size()) + 2);
        BigPtr d = InternalToDigits(*Words(w), radix);
        ASSERT_EQ(DigitText(*d), PlainDigits(w, radix));
        EXPECT_EQ(d->exp, 0);
      }
    }
  }
}

TEST_F(RadixConvertTest, ConvertsTenThousandFactorial) {
  // python3: str(math.factorial(10000)): 35660 digits, 2499 trailing zeros,
  // digit sum 149346.
  Rational f = RatFromInt(10000);
  Factorial(f);
  PrecisionRaise raise(f.num->count + 2);
  BigPtr d = InternalToDigits(*f.num, 10);
  const std::string text = DigitText(*d);
  ASSERT_EQ(text.size(), 35660u);
  EXPECT_EQ(text.substr(0, 30), "284625968091705451890641321211");
  EXPECT_EQ(text.size() - text.find_last_not_of('0') - 1, 2499u);
  int64_t sum = 0;
  for (char c : text) sum += c - '0';
  EXPECT_EQ(sum, 149346);
  BigPtr back = DigitsToInternal(*d, 10);
  EXPECT_TRUE(SameBigNum(*back, *f.num));
}

TEST_F(RadixConvertTest, AnAbortAtAnyPollEndsALongConversion) {
  // A 3000-word number takes every path of the splitting conversion; an
  // abort at any of its polls must end it with some digits and every block
  // given back.
  std::mt19937 rng(5);
  std::vector<uint32_t> w(3000);
  for (uint32_t& x : w) x = rng() & kWordMask;
  const BigPtr v = Words(w);
  PrecisionRaise raise(3002);
  constexpr int64_t kCounting = int64_t{1} << 60;
  for (int32_t radix : {10, 16, 7}) {
    SCOPED_TRACE(radix);
    AbortPollBudget.store(kCounting);
    InternalToDigits(*v, radix);
    const int64_t polls = kCounting - AbortPollBudget.load();
    AbortPollBudget.store(-1);
    ASSERT_GT(polls, 0);
    const int64_t live = AllocLiveBlocks();
    for (int64_t k = 0; k < polls; k += 1 + polls / 40) {
      AbortPollBudget.store(k);
      BigPtr d = InternalToDigits(*v, radix);
      AbortPollBudget.store(-1);
      EXPECT_TRUE(AbortFlag.load()) << "poll " << k;
      AbortFlag.store(false);
      EXPECT_GE(d->count, 1);
      d.reset();
      EXPECT_EQ(AllocLiveBlocks(), live);
    }
  }
}

TEST_F(RadixConvertTest, ConvertsOnlyTheTopWordsOfALongNumber) {
  // At P = 3 a 12-word number keeps its top 4 words, scaled by a power whose
  // squares are cut to P + R = 12 digits: close below the exact value.
  UseRadix(10, 3);
  std::mt19937 rng(11);
  for (int i = 0; i < 50; ++i) {
    std::vector<uint32_t> w(12);
    for (uint32_t& x : w) x = rng() & kWordMask;
    w.back() |= 1;
    BigPtr v = Words(w);
    BigPtr approx = DigitsToInternal(*InternalToDigits(*v, 10), 10);
    // exact - approx >= 0 and below exact * 10^-9.
    BigPtr diff = CopyBigNum(*approx);
    diff->sign = -1;
    BigNumAdd(diff, *v, kInternalBase);
    EXPECT_TRUE(diff->sign == 1 || BigNumIsZero(*diff));
    BigPtr scaled = CopyBigNum(*diff);
    BigNumMulInternal(scaled, *BigNumFromInt(1000000000, kInternalBase));
    EXPECT_TRUE(BigNumLessMagnitude(*scaled, *v));
  }
}

TEST_F(RadixConvertTest, DigitsToRationalSplitsOffThePointExponent) {
  struct Case {
    std::vector<uint32_t> digits;
    int32_t exp;
    int32_t sign;
    int32_t num;
    int32_t den;
  };
  const Case cases[] = {
      {{5, 2, 1}, -1, 1, 125, 10},
      {{5}, -2, 1, 5, 100},
      {{1}, 2, -1, -100, 1},
      {{0}, 0, 1, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.num);
    Rational r = DigitsToRational(*Words(c.digits, c.exp, c.sign), 10);
    EXPECT_EQ(BigNumToInt(*r.num, kInternalBase), c.num);
    EXPECT_EQ(BigNumToInt(*r.den, kInternalBase), c.den);
  }
  // The radix comes from RadixBig in the one-argument form.
  UseRadix(16, 9);
  BigPtr v = DigitsToInternal(*Words({15, 1}, 1));
  EXPECT_EQ(BigNumToInt(*v, kInternalBase), 0x1F0);
}

TEST_F(RadixConvertTest, RefusesPowersTooLargeToBuild) {
  for (int32_t n : {INT32_MAX, 1 << 26}) {
    try {
      RadixPowInternal(10, n);
      ADD_FAILURE() << n;
    } catch (const ArithError& e) {
      EXPECT_EQ(e.code, ErrOutOfMemory);
    }
  }
  try {
    DigitsToRational(*Words({1}, -INT32_MAX), 10);
    ADD_FAILURE();
  } catch (const ArithError& e) {
    EXPECT_EQ(e.code, ErrOutOfMemory);
  }
  EXPECT_EQ(RadixPowInternal(10, 0)->count, 1);
}

TEST_F(RadixConvertTest, ExponentDigitCount) {
  struct Case {
    int32_t n;
    int32_t radix;
    int32_t want;
  };
  const Case cases[] = {
      {1, 10, 0},   {2, 10, 1},   {0, 10, 1},   {10, 10, 1},  {11, 10, 2},
      {-8, 10, 1},  {-9, 10, 2},  {51, 10, 2},  {101, 10, 3}, {5, 2, 3},
      {17, 16, 2},  {16, 16, 1},  {INT32_MIN, 10, 10},        {INT32_MAX, 2, 31},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.n << " radix " << c.radix);
    EXPECT_EQ(ExponentDigitCount(c.n, c.radix), c.want);
  }
  UseRadix(16, 9);
  EXPECT_EQ(ExponentDigitCount(17), 2);
}

TEST_F(RadixConvertTest, AnAbortedConversionStillEnds) {
  Rational x = RatFromInt(1);
  RatDiv(x, RatFromInt(3));
  AbortFlag.store(true);
  const std::string text = RationalToText(x, 10, kDisplayAuto);
  AbortFlag.store(false);
  EXPECT_FALSE(text.empty());
}

// Values that reach every rounding path: random fractions of various sizes
// and magnitudes, runs of the top digit below a power of the radix (which
// round up into a new digit), exact ties, and long integers.
Rational TrickyRational(std::mt19937& rng, int32_t radix) {
  Rational x;
  switch (rng() % 4) {
    case 0:
      x.num = RandomWords(rng, 6);
      x.den = RandomWords(rng, 6);
      break;
    case 1: {
      // radix^k - 1 (+ a little) over radix^j.
      const int32_t k = static_cast<int32_t>(rng() % 80) + 1;
      x.num = RadixPowInternal(radix, k);
      BigPtr minus = BigNumFromInt(-1 - static_cast<int32_t>(rng() % 2), kInternalBase);
      BigNumAdd(x.num, *minus, kInternalBase);
      x.den = RadixPowInternal(radix, static_cast<int32_t>(rng() % 80));
      break;
    }
    case 2: {
      // (2m + 1) / (2 radix^j): a digit string ending in half a unit.
      x.num = RandomWords(rng, 4);
      x.num->digits()[0] |= 1;
      x.den = RadixPowInternal(radix, static_cast<int32_t>(rng() % 40));
      BigNumMulInternal(x.den, *BigNumFromInt(2, kInternalBase));
      break;
    }
    default:
      x.num = RandomWords(rng, 9);
      x.den = BigNumFromInt(static_cast<int32_t>(rng() % 5) + 2, kInternalBase);
      break;
  }
  if (rng() % 2) x.num->sign = -1;
  if (rng() % 5 == 0) x.den->sign = -1;
  const int32_t k = static_cast<int32_t>(rng() % 241) - 120;
  Rational scale = RatFromInt(radix);
  RatPowInt(scale, k);
  RatMul(x, scale);
  return x;
}

TEST_F(RadixConvertTest, RoundingMatchesTheTextRoundTrip) {
  // RatRoundToDisplay must give exactly the number that rendering the value
  // and reading the text back gives: same digits, same numerator and
  // denominator.
  std::mt19937 rng(99);
  struct Setting {
    int32_t radix;
    int32_t precision;
  };
  const Setting setups[] = {{2, 33}, {8, 11}, {10, 33}, {16, 9},
                            {10, 4}, {2, 6},  {3, 21},  {10, 65}};
  int checked = 0;
  for (const char* separator : {".", ","}) {
    SetDecimalSeparator(separator);
    for (const Setting& s : setups) {
      UseRadix(s.radix, s.precision);
      for (int i = 0; i < 400; ++i) {
        Rational x = TrickyRational(rng, s.radix);
        Rational forText = CopyRational(x);
        const std::string text = RationalToText(forText, s.radix, kDisplayAuto);
        SCOPED_TRACE(::testing::Message() << "radix " << s.radix << " P "
                                          << s.precision << " text " << text);
        BigPtr parsed = ParseDigits(text);
        ASSERT_TRUE(parsed);
        Rational viaText = DigitsToRational(*parsed, s.radix);

        Rational forDigits = CopyRational(x);
        BigPtr n = RatToRadixDigits(forDigits, s.radix);
        const DigitsLayout layout = DigitsRound(n, s.radix, kDisplayAuto);
        EXPECT_EQ(DigitsTextLength(layout, s.radix), static_cast<int32_t>(text.size()));
        EXPECT_TRUE(SameBigNum(*DigitsAsParsed(*n, layout, s.radix), *parsed));

        Rational direct = CopyRational(x);
        Rational rounded = RatRoundToDisplay(direct);
        EXPECT_TRUE(SameBigNum(*rounded.num, *viaText.num));
        EXPECT_TRUE(SameBigNum(*rounded.den, *viaText.den));
        ++checked;
      }
    }
  }
  EXPECT_EQ(checked, 2 * 8 * 400);
}

TEST_F(RadixConvertTest, DigitsRoundLayout) {
  struct Case {
    std::vector<uint32_t> digits;  // least significant first, radix 10
    int32_t exp;
    int32_t mode;
    int32_t shown;
    int32_t point;
    bool scientific;
    int32_t exponent;
  };
  // P = 5.
  const Case cases[] = {
      {{6, 5, 4, 3, 2, 1}, -1, kDisplayAuto, 5, 5, false, 0},      // 12346.
      {{9, 9, 9, 9, 9, 9}, -6, kDisplayAuto, 1, 1, false, 0},      // 1.
      {{5, 2, 1}, -1, kDisplayScientific, 3, 1, true, 1},          // 1.25e+1
      {{1}, 9, kDisplayAuto, 1, 1, true, 9},                       // 1.e+9
      {{1}, 8, kDisplayAuto, 1, 1, true, 8},                       // 1.e+8
      {{1}, 7, kDisplayAuto, 1, 8, false, 0},                      // 10000000.
      {{1}, -7, kDisplayAuto, 1, -6, false, 0},                    // 0.0000001
      {{1}, -8, kDisplayAuto, 1, 1, true, -8},                     // 1.e-8
      {{3, 2, 1}, 20, kDisplayAuto, 3, 1, true, 22},               // 1.23e+22
      {{4, 3, 2, 1}, 20, kDisplayAuto, 4, 1, true, 23},            // 1.234e+23
      {{5, 4, 3, 2, 1}, 20, kDisplayAuto, 4, 1, true, 24},         // 1.235e+24
      // Fewer than P digits, but three exponent digits leave room for 3:
      // rounded, not cut.
      {{6, 3, 2, 1}, 100, kDisplayAuto, 3, 1, true, 103},          // 1.24e+103
  };
  UseRadix(10, 5);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.exp);
    BigPtr n = Words(c.digits, c.exp);
    const DigitsLayout layout = DigitsRound(n, 10, c.mode);
    EXPECT_EQ(layout.shown, c.shown);
    EXPECT_EQ(layout.point, c.point);
    EXPECT_EQ(layout.scientific, c.scientific);
    if (c.scientific) {
      EXPECT_EQ(layout.exponent, c.exponent);
    }
  }
}

}  // namespace

// The fixed-point results of the evaluators (a denominator that is a power
// of 2^31) are rounded on words; that must give exactly the Rational of the
// digit path, numerator and denominator alike, exact halves included (small
// numerators over powers of two end in a 5 in radix 10).
TEST_F(RadixConvertTest, RoundingOnWordsMatchesTheDigitPath) {
  std::mt19937 gen(1414);
  std::uniform_int_distribution<uint32_t> word(0, kWordMask);
  for (int32_t radix : {2, 6, 8, 10, 16}) {
    for (int32_t precision = 1; precision <= 64; ++precision) {
      UseRadix(radix, precision);
      for (int trial = 0; trial < 40; ++trial) {
        std::vector<uint32_t> words;
        if (trial % 3 == 0) {
          words.push_back(((word(gen) & 0x3FFu) | 1u) << (word(gen) % 21));
        } else {
          const uint32_t count = 1 + word(gen) % 6;
          for (uint32_t i = 0; i < count; ++i) words.push_back(word(gen));
          if (trial % 5 == 1) words.front() = 0;  // trailing zero words
          if (words.back() == 0) words.back() = 1;
        }
        const int32_t exp = static_cast<int32_t>(word(gen) % 3);
        const int32_t sign = word(gen) % 2 == 0 ? 1 : -1;
        const int32_t fraction = static_cast<int32_t>(word(gen) % 7);
        Rational a;
        a.num = Words(words, exp, sign);
        a.den = Words({1}, fraction);
        Rational b = CopyRational(a);
        const Rational fast = RatRoundToPrecision(a);
        const Rational slow = RatRoundToPrecisionByDigits(b);
        SCOPED_TRACE("radix " + std::to_string(radix) + " precision " +
                     std::to_string(precision) + " trial " + std::to_string(trial));
        EXPECT_TRUE(SameBigNum(*fast.num, *slow.num));
        EXPECT_TRUE(SameBigNum(*fast.den, *slow.den));
      }
    }
  }
}
