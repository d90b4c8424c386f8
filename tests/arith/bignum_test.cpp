#include "arith/bignum.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "arith/alloc.h"
#include "arith/error.h"
#include "arith/settings.h"
#include "bignum_test_util.h"
#include "reference_divide.h"
#include "reference_remainder.h"

namespace {

constexpr uint32_t B = kInternalBase;
using Digits = std::vector<uint32_t>;

struct PrecisionScope {
  PrecisionScope(int32_t p, int32_t r) : savedP(WorkingPrecision), savedR(DigitsPerWord) {
    WorkingPrecision = p;
    DigitsPerWord = r;
  }
  ~PrecisionScope() {
    WorkingPrecision = savedP;
    DigitsPerWord = savedR;
  }
  int32_t savedP, savedR;
};

TEST(BigNumFromInt, ZeroAndMostNegative) {
  BigPtr zero = BigNumFromInt(0, 10);
  EXPECT_EQ(zero->sign, 1);
  EXPECT_EQ(DigitsOf(*zero), Digits{0});
  EXPECT_TRUE(BigNumIsZero(*zero));

  BigPtr most = BigNumFromInt(INT32_MIN, B);
  EXPECT_EQ(most->sign, -1);
  EXPECT_EQ(DigitsOf(*most), (Digits{0, 1}));
  EXPECT_EQ(BigNumToInt(*most, B), INT32_MIN);

  BigPtr small = BigNumFromInt(-1234, 10);
  EXPECT_EQ(DigitsOf(*small), (Digits{4, 3, 2, 1}));
  EXPECT_EQ(BigNumToInt(*small, 10), -1234);
}

TEST(BigNumAdd, SignsAndCarries) {
  struct Case {
    Digits a;
    int32_t aSign;
    Digits b;
    int32_t bSign;
    Digits want;
    int32_t wantSign;
  };
  const Case cases[] = {
      {{0x7FFFFFFF}, 1, {1}, 1, {0, 1}, 1},      // carry into a new word
      {{5}, 1, {5}, -1, {0}, 1},                 // 5 + (-5) is +0
      {{3}, -1, {4}, -1, {7}, -1},               // (-3) + (-4)
      {{3}, 1, {7}, -1, {4}, -1},                // complement back
      {{7}, -1, {3}, 1, {4}, -1},
      {{0, 1}, 1, {1}, -1, {0x7FFFFFFF}, 1},     // borrow across words
      {{0x7FFFFFFF, 0x7FFFFFFF}, 1, {1}, 1, {0, 0, 1}, 1},
      {{1, 0, 1}, -1, {1, 0, 1}, 1, {0}, 1},     // leading zeros removed
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.a[0] << " + " << c.b[0]);
    BigPtr a = MakeBig(c.a, 0, c.aSign);
    BigPtr b = MakeBig(c.b, 0, c.bSign);
    BigNumAdd(a, *b, B);
    EXPECT_EQ(DigitsOf(*a), c.want);
    EXPECT_EQ(a->sign, c.wantSign);
    EXPECT_EQ(DigitsOf(*b), c.b) << "second operand changed";
  }
}

TEST(BigNumAdd, AlignsExponentsAndKeepsTrailingZeros) {
  // 1*10^2 + 5*10^0 in base 10 = 105; 3*10^1 + 2*10^1 = 50 with exp 1.
  BigPtr a = MakeBig({1}, 2);
  BigPtr b = MakeBig({5}, 0);
  BigNumAdd(a, *b, 10);
  EXPECT_EQ(DigitsOf(*a), (Digits{5, 0, 1}));
  EXPECT_EQ(a->exp, 0);

  BigPtr c = MakeBig({3}, 1);
  BigPtr d = MakeBig({2}, 1);
  BigNumAdd(c, *d, 10);
  EXPECT_EQ(DigitsOf(*c), Digits{5});
  EXPECT_EQ(c->exp, 1);

  // Adding a zero changes nothing; adding to a zero copies.
  BigPtr zero = BigNumFromInt(0, 10);
  BigNumAdd(c, *zero, 10);
  EXPECT_EQ(DigitsOf(*c), Digits{5});
  BigNumAdd(zero, *d, 10);
  EXPECT_EQ(DigitsOf(*zero), Digits{2});
  EXPECT_EQ(zero->exp, 1);
}

TEST(BigNumMul, ProductLength) {
  BigPtr nine = BigNumFromInt(9, 10);
  BigNumMul(nine, *nine, 10);  // output aliased to the input
  EXPECT_EQ(DigitsOf(*nine), (Digits{1, 8}));

  BigPtr two = BigNumFromInt(2, 10);
  BigPtr three = BigNumFromInt(-3, 10);
  BigNumMul(two, *three, 10);
  EXPECT_EQ(DigitsOf(*two), Digits{6});
  EXPECT_EQ(two->sign, -1);

  // m + n words when the top receives a digit, m + n - 1 otherwise.
  BigPtr big = MakeBig({0, 0x7FFFFFFF});
  BigNumMulInternal(big, *MakeBig({0, 0x7FFFFFFF}));
  EXPECT_EQ(big->count, 4);
  BigPtr small = MakeBig({5, 1});
  BigNumMulInternal(small, *MakeBig({7, 1}));
  EXPECT_EQ(DigitsOf(*small), (Digits{35, 12, 1}));

  // Multiplying by -1 only changes the sign; exponents add.
  BigPtr x = MakeBig({4, 2}, 3);
  BigNumMulInternal(x, *BigNumFromInt(-1, B));
  EXPECT_EQ(x->sign, -1);
  EXPECT_EQ(DigitsOf(*x), (Digits{4, 2}));
  BigNumMulInternal(x, *MakeBig({3}, 2));
  EXPECT_EQ(x->exp, 5);
  EXPECT_EQ(DigitsOf(*x), (Digits{12, 6}));
}

TEST(BigNumPow, ExactAndCutSquares) {
  PrecisionScope scope(33, 9);
  BigPtr two = BigNumFromInt(2, B);
  BigNumPowInternal(two, 100);  // 2^100 = 2^(31*3) * 2^7
  EXPECT_EQ(DigitsOf(*two), (Digits{0, 0, 0, 128}));

  BigPtr x = BigNumFromInt(-3, 10);
  BigNumPow(x, 3, 10);
  EXPECT_EQ(DigitsOf(*x), (Digits{7, 2}));
  EXPECT_EQ(x->sign, -1);

  BigPtr one = BigNumFromInt(7, 10);
  BigNumPow(one, 0, 10);
  EXPECT_EQ(DigitsOf(*one), Digits{1});

  // 2^200 in radix 10 has 61 digits; with P + R = 6 the running squares are
  // cut to 6 digits, so the result is truncated but keeps its magnitude and
  // its leading digits.
  PrecisionScope small(5, 1);
  BigPtr p = BigNumFromInt(2, 10);
  BigNumPow(p, 200, 10);
  EXPECT_EQ(p->exp + p->count, 61);
  EXPECT_LT(p->count, 61);
  // 1606938044258990275541962092341162602522202993782792835301376
  const Digits top = {1, 6, 0, 6};
  for (size_t i = 0; i < top.size(); ++i) {
    EXPECT_EQ(p->digits()[p->count - 1 - i], top[i]) << i;
  }
}

TEST(BigNumDiv, RadixQuotients) {
  PrecisionScope scope(33, 9);
  BigPtr ten = BigNumFromInt(10, 10);
  BigNumDiv(ten, *BigNumFromInt(2, 10), 10);
  EXPECT_EQ(DigitsOf(*ten), Digits{5});
  EXPECT_EQ(ten->exp, 0);

  BigPtr one = BigNumFromInt(1, 10);
  BigNumDiv(one, *BigNumFromInt(3, 10), 10);
  EXPECT_EQ(one->count, 34);
  EXPECT_EQ(one->exp, -34);
  for (int i = 0; i < one->count; ++i) EXPECT_EQ(one->digits()[i], 3u);

  BigPtr zero = BigNumFromInt(0, 10);
  BigNumDiv(zero, *BigNumFromInt(7, 10), 10);
  EXPECT_TRUE(BigNumIsZero(*zero));
  EXPECT_EQ(zero->exp, 0);

  BigPtr neg = BigNumFromInt(-7, 10);
  BigNumDiv(neg, *BigNumFromInt(-1, 10), 10);
  EXPECT_EQ(neg->sign, 1);
  EXPECT_EQ(DigitsOf(*neg), Digits{7});
}

TEST(BigNumRem, SignOfDividend) {
  struct Case {
    int32_t a, b, want;
  };
  const Case cases[] = {{-7, 3, -1}, {6, 3, 0}, {7, -3, 1}, {2, 5, 2},
                        {INT32_MAX, 2, 1}, {-2147483647, 1000, -647}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.a << " mod " << c.b);
    BigPtr a = BigNumFromInt(c.a, B);
    BigNumRem(a, *BigNumFromInt(c.b, B));
    EXPECT_EQ(BigNumToInt(*a, B), c.want);
  }
  // Multi-word: (5 * 2^62 + 3) mod (2^31 + 1) checked against 64-bit math.
  BigPtr a = MakeBig({3, 0, 5});
  BigNumRem(a, *MakeBig({1, 1}));
  const uint64_t m = (1ull << 31) + 1;
  const uint64_t want = (5 * ((1ull << 62) % m) + 3) % m;
  ASSERT_LE(a->count + a->exp, 2);
  uint64_t got = 0;
  for (int32_t i = a->count - 1; i >= 0; --i) got = (got << 31) + a->digits()[i];
  for (int32_t i = 0; i < a->exp; ++i) got <<= 31;
  if (a->exp < 0) {
    // remainder with a negative exponent: its value must still be an integer
    for (int32_t i = 0; i < -a->exp; ++i) {
      EXPECT_EQ(got & kWordMask, 0u);
      got >>= 31;
    }
  }
  EXPECT_EQ(got, want);
}

TEST(BigNumTrimWindow, Examples) {
  struct Case {
    Digits digits;
    int32_t window;
    bool changed;
    Digits want;
    int32_t wantExp;
  };
  const Case cases[] = {
      {{0, 2, 1}, 3, true, {2, 1}, 1},    // 120, window 3
      {{5, 0, 1}, 3, false, {5, 0, 1}, 0},  // 105, window 3
      {{3, 2, 1}, 2, false, {3, 2, 1}, 0},  // 123, window 2
      {{5, 0, 1}, 2, true, {1}, 2},       // 105, window 2
      {{0, 0, 0}, 2, true, {}, 3},        // all zeros: count 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "window " << c.window);
    BigPtr x = MakeBig(c.digits);
    EXPECT_EQ(BigNumTrimWindow(*x, c.window), c.changed);
    EXPECT_EQ(DigitsOf(*x), c.want);
    EXPECT_EQ(x->exp, c.wantExp);
  }
}

TEST(BigNumToInt, TruncatesAndWraps) {
  BigPtr big = MakeBig({5, 0, 2});  // 2^63 + 5 wraps to 5
  EXPECT_EQ(BigNumToInt(*big, B), 5);
  BigPtr twoPow32 = MakeBig({5, 0, 0}, 0);
  twoPow32->digits()[1] = 2;  // 2 * 2^31 + 5 = 2^32 + 5
  EXPECT_EQ(BigNumToInt(*twoPow32, B), 5);
  BigPtr fraction = MakeBig({5, 7, 2}, -2);  // 2.75 in radix 10
  EXPECT_EQ(BigNumToInt(*fraction, 10), 2);
  BigPtr scaled = MakeBig({3}, 2, -1);  // -300
  EXPECT_EQ(BigNumToInt(*scaled, 10), -300);
}

TEST(BigNumCompare, Magnitudes) {
  BigPtr a = MakeBig({0, 1});     // B
  BigPtr b = MakeBig({1}, 1);     // B, other representation
  BigPtr c = MakeBig({1, 1});     // B + 1
  BigPtr d = MakeBig({5}, 0, -1); // -5
  EXPECT_TRUE(BigNumEqualMagnitude(*a, *b));
  EXPECT_FALSE(BigNumLessMagnitude(*a, *b));
  EXPECT_TRUE(BigNumLessMagnitude(*b, *c));
  EXPECT_FALSE(BigNumLessMagnitude(*c, *b));
  EXPECT_TRUE(BigNumLessMagnitude(*d, *a));
  EXPECT_TRUE(BigNumEqualMagnitude(*d, *BigNumFromInt(5, B)));
}

// --- Randomised checks against independent references ---------------------

Digits RandomWords(std::mt19937& rng, int n, int topKind) {
  Digits d(n);
  for (auto& w : d) w = rng() & kWordMask;
  if (topKind == 1) d.back() = 1;
  else if (topKind == 2) d.back() = kWordMask;
  else if (d.back() == 0) d.back() = 1;
  if (rng() % 4 == 0 && n > 1) d[rng() % (n - 1)] = 0;
  return d;
}

TEST(BigNumDivInternal, SameWordsAsDoublingDivision) {
  PrecisionScope scope(33, 9);
  std::mt19937 rng(20261210);
  for (int iter = 0; iter < 400; ++iter) {
    const int na = 1 + static_cast<int>(rng() % 40);
    const int nb = 1 + static_cast<int>(rng() % 40);
    BigPtr a = MakeBig(RandomWords(rng, na, 0), static_cast<int32_t>(rng() % 3),
                       rng() % 2 ? 1 : -1);
    BigPtr b = MakeBig(RandomWords(rng, nb, static_cast<int>(rng() % 3)),
                       static_cast<int32_t>(rng() % 3), rng() % 2 ? 1 : -1);
    SCOPED_TRACE(::testing::Message() << "iteration " << iter << " words " << na
                                      << "/" << nb);
    BigPtr want = ReferenceDivide(*a, *b);
    BigPtr got = CopyBigNum(*a);
    BigNumDivInternal(got, *b);
    ASSERT_EQ(got->count, want->count);
    ASSERT_EQ(got->exp, want->exp);
    ASSERT_EQ(got->sign, want->sign);
    ASSERT_EQ(DigitsOf(*got), DigitsOf(*want));
  }
}

// The quotient's digits from a given position up, computed from those digits
// alone, against the same digits of a full-length quotient: dividends with
// digits below the position and without, quotients below it (0), a divisor
// of 1 and divisors longer than the digits asked for.
TEST(BigNumQuotientFrom, SameDigitsAsTheFullQuotient) {
  std::mt19937 rng(20261211);
  for (int iter = 0; iter < 600; ++iter) {
    const int na = 1 + static_cast<int>(rng() % 50);
    const int nb = iter % 25 == 0 ? 1 : 1 + static_cast<int>(rng() % 50);
    BigPtr a = MakeBig(RandomWords(rng, na, 0), static_cast<int32_t>(rng() % 7) - 3,
                       rng() % 2 ? 1 : -1);
    Digits bWords = iter % 25 == 0 ? Digits{1} : RandomWords(rng, nb, static_cast<int>(rng() % 3));
    BigPtr b = MakeBig(bWords, iter % 25 == 0 ? 0 : static_cast<int32_t>(rng() % 7) - 3,
                       rng() % 2 ? 1 : -1);
    const int64_t top = int64_t{a->exp} + a->count - (int64_t{b->exp} + b->count) + 1;
    const int64_t low = top + 1 - static_cast<int64_t>(rng() % 14);
    SCOPED_TRACE(::testing::Message() << "iteration " << iter << " words " << na << "/"
                                      << nb << " low " << low);
    BigPtr full = CopyBigNum(*a);
    {
      PrecisionScope scope(static_cast<int32_t>(top - low) + 8, 9);
      BigNumDivInternal(full, *b);
    }
    const BigPtr got = BigNumQuotientFrom(*a, *b, low);
    EXPECT_EQ(got->sign, 1);
    if (!BigNumIsZero(*got)) {
      EXPECT_GE(got->exp, low);
    }
    for (int64_t pos = low; pos < top + 1; ++pos) {
      auto digitAt = [pos](const BigNum& x) {
        const int64_t k = pos - x.exp;
        return k >= 0 && k < x.count ? x.digits()[k] : 0u;
      };
      ASSERT_EQ(digitAt(*got), digitAt(*full)) << "position " << pos;
    }
  }
}

// A long division polls the abort flag and stops at an abort (the reduction
// of the angle of a huge exact integer divides millions of words; the
// window froze after Stop until it ended). A short one never polls.
TEST(BigNumDivInternal, LongDivisionsStopOnAbort) {
  std::mt19937 rng(7);
  auto number = [&rng](int32_t words) {
    std::vector<uint32_t> digits(static_cast<size_t>(words));
    for (uint32_t& d : digits) d = rng() % kInternalBase;
    digits.back() |= 1;
    return MakeBig(digits);
  };
  const BigPtr divisor = number(20000);
  BigPtr a = number(40000);
  AbortPollBudget.store(2);  // the third poll sees the abort
  BigNumDivInternal(a, *divisor);
  EXPECT_LT(AbortPollBudget.load(), 0);
  EXPECT_TRUE(AbortFlag.load());
  AbortPollBudget.store(-1);
  AbortFlag.store(false);

  BigPtr b = number(60);
  AbortPollBudget.store(0);
  BigNumDivInternal(b, *number(20));
  EXPECT_EQ(AbortPollBudget.load(), 0);
  AbortPollBudget.store(-1);
  AbortFlag.store(false);
}

TEST(BigNumDivInternal, ExactQuotientsStopEarly) {
  PrecisionScope scope(33, 9);
  // (x * y) / y gives back x with no trailing words.
  std::mt19937 rng(7);
  for (int iter = 0; iter < 100; ++iter) {
    BigPtr x = MakeBig(RandomWords(rng, 1 + static_cast<int>(rng() % 6), 0));
    BigPtr y = MakeBig(RandomWords(rng, 1 + static_cast<int>(rng() % 6), 0));
    BigPtr p = CopyBigNum(*x);
    BigNumMulInternal(p, *y);
    BigNumDivInternal(p, *y);
    BigPtr want = ReferenceDivide(*BigNumProductInternal(*x, *y), *y);
    EXPECT_EQ(p->exp, want->exp);
    EXPECT_EQ(DigitsOf(*p), DigitsOf(*want));
    EXPECT_TRUE(BigNumEqualMagnitude(*p, *x));
  }
  // Aliased: a / a is 1.
  BigPtr a = MakeBig({12345, 678, 9});
  BigNumDivInternal(a, *a);
  EXPECT_TRUE(BigNumEqualMagnitude(*a, *BigNumFromInt(1, B)));
}

// Base-2^31 schoolbook reference on plain vectors.
Digits RefAdd(const Digits& a, const Digits& b) {
  Digits r(std::max(a.size(), b.size()) + 1, 0);
  uint64_t carry = 0;
  for (size_t i = 0; i < r.size(); ++i) {
    uint64_t t = carry + (i < a.size() ? a[i] : 0) + (i < b.size() ? b[i] : 0);
    r[i] = static_cast<uint32_t>(t & kWordMask);
    carry = t >> 31;
  }
  while (r.size() > 1 && r.back() == 0) r.pop_back();
  return r;
}

Digits RefMul(const Digits& a, const Digits& b) {
  Digits r(a.size() + b.size() + 1, 0);
  for (size_t i = 0; i < a.size(); ++i) {
    for (size_t j = 0; j < b.size(); ++j) {
      uint64_t p = uint64_t{a[i]} * b[j];
      size_t k = i + j;
      while (p != 0) {
        uint64_t t = uint64_t{r[k]} + (p & kWordMask);
        r[k] = static_cast<uint32_t>(t & kWordMask);
        p = (p >> 31) + (t >> 31);
        ++k;
      }
    }
  }
  while (r.size() > 1 && r.back() == 0) r.pop_back();
  return r;
}

TEST(BigNumArithmetic, RandomAgainstSchoolbook) {
  std::mt19937 rng(99);
  for (int iter = 0; iter < 300; ++iter) {
    Digits da = RandomWords(rng, 1 + static_cast<int>(rng() % 12), 0);
    Digits db = RandomWords(rng, 1 + static_cast<int>(rng() % 12), 0);
    BigPtr a = MakeBig(da);
    BigPtr b = MakeBig(db);
    BigPtr sum = CopyBigNum(*a);
    BigNumAdd(sum, *b, B);
    EXPECT_EQ(DigitsOf(*sum), RefAdd(da, db));
    BigPtr product = CopyBigNum(*a);
    BigNumMul(product, *b, B);
    EXPECT_EQ(DigitsOf(*product), RefMul(da, db));
    // (a + b) - b gives a back.
    BigPtr negB = CopyBigNum(*b);
    negB->sign = -1;
    BigNumAdd(sum, *negB, B);
    EXPECT_EQ(DigitsOf(*sum), da);
  }
}

TEST(BigNumArithmetic, LongProductsAgainstSchoolbook) {
  // Long operands take the Karatsuba path; lengths around the cut-over,
  // equal and unequal, including all-ones words that maximise carries.
  std::mt19937 rng(2024);
  for (int iter = 0; iter < 60; ++iter) {
    const int na = 28 + static_cast<int>(rng() % 150);
    const int nb = 28 + static_cast<int>(rng() % 150);
    Digits da = RandomWords(rng, na, 0);
    Digits db = RandomWords(rng, nb, 0);
    if (iter % 10 == 0) {
      std::fill(da.begin(), da.end(), kWordMask);
      std::fill(db.begin(), db.end(), kWordMask);
    }
    BigPtr a = MakeBig(da, 1, -1);
    BigPtr b = MakeBig(db, 2);
    BigPtr p = BigNumProductInternal(*a, *b);
    EXPECT_EQ(DigitsOf(*p), RefMul(da, db)) << na << "x" << nb;
    EXPECT_EQ(p->exp, 3);
    EXPECT_EQ(p->sign, -1);
  }
}

TEST(BigNumArithmetic, AbortedLongProductIsNeverZero) {
  // An aborted product is meaningless, yet it must not be zero: a rational
  // power stopped this way would otherwise store a zero denominator.
  std::mt19937 rng(9);
  BigPtr a = MakeBig(RandomWords(rng, 64, 0));
  BigPtr b = MakeBig(RandomWords(rng, 64, 0));
  AbortFlag.store(true);
  BigPtr p = BigNumProductInternal(*a, *b);
  AbortFlag.store(false);
  EXPECT_FALSE(BigNumIsZero(*p));
}

TEST(BigNumArithmetic, SmallValuesAgainstMachineIntegers) {
  std::mt19937 rng(5);
  for (int iter = 0; iter < 2000; ++iter) {
    int32_t x = static_cast<int32_t>(rng()) >> (rng() % 31);
    int32_t y = static_cast<int32_t>(rng()) >> (rng() % 31);
    BigPtr a = BigNumFromInt(x, B);
    BigNumAdd(a, *BigNumFromInt(y, B), B);
    int64_t sum = int64_t{x} + y;
    int64_t got = 0;
    for (int32_t i = a->count - 1; i >= 0; --i) got = got * B + a->digits()[i];
    EXPECT_EQ(got * (sum < 0 ? -1 : 1), sum) << x << " + " << y;
    if (sum != 0) {
      EXPECT_EQ(a->sign, sum < 0 ? -1 : 1);
    }
    BigPtr p = BigNumFromInt(x, B);
    BigNumMulInternal(p, *BigNumFromInt(y, B));
    const int64_t product = int64_t{x} * y;
    uint64_t mag = 0;
    for (int32_t i = p->count - 1; i >= 0; --i) mag = (mag << 31) + p->digits()[i];
    EXPECT_EQ(mag, static_cast<uint64_t>(product < 0 ? -product : product));
    if (y != 0) {
      BigPtr r = BigNumFromInt(x, B);
      BigNumRem(r, *BigNumFromInt(y, B));
      EXPECT_EQ(BigNumToInt(*r, B), static_cast<int32_t>(int64_t{x} % y));
    }
  }
}

// The remainder through the long division against the doubling loop: value,
// sign and exponent, on operands of many lengths, exponents and signs.
TEST(BigNumRem, SameWordsAsTheDoublingLoop) {
  std::mt19937 rng(11);
  auto random = [&rng](int32_t maxWords) {
    const int32_t n = 1 + static_cast<int32_t>(rng() % maxWords);
    BigPtr x = AllocBigNum(n);
    x->count = n;
    x->sign = (rng() & 1) ? 1 : -1;
    x->exp = static_cast<int32_t>(rng() % 3);
    for (int32_t i = 0; i < n; ++i) {
      // Runs of zero and full words as well as random ones.
      const uint32_t kind = rng() % 4;
      x->digits()[i] = kind == 0 ? 0u : kind == 1 ? kWordMask : rng() & kWordMask;
    }
    if (x->digits()[n - 1] == 0) x->digits()[n - 1] = 1;
    return x;
  };
  for (int iter = 0; iter < 400; ++iter) {
    BigPtr a = random(iter < 200 ? 4 : 12);
    BigPtr b = random(iter % 3 == 0 ? 1 : 6);
    if (iter % 4 == 1) {
      // A multiple of b, so that the remainder is zero (or, with an odd
      // quotient, the last pass subtracts b itself).
      BigPtr k = random(3);
      a = BigNumProductInternal(*b, *k);
    }
    const BigPtr want = ReferenceRemainder(*a, *b);
    SCOPED_TRACE(::testing::Message()
                 << iter << ": " << ::testing::PrintToString(DigitsOf(*a)) << " exp "
                 << a->exp << " mod " << ::testing::PrintToString(DigitsOf(*b)) << " exp "
                 << b->exp);
    BigNumRem(a, *b);
    EXPECT_EQ(a->sign, want->sign);
    EXPECT_EQ(a->exp, want->exp);
    EXPECT_EQ(DigitsOf(*a), DigitsOf(*want));
  }
}

// A zero held above the divisor's top word (a reduction's remainder can be
// one) compares as large as its span: its remainder is the doubling loop's
// too. The long division gave it a zero quotient and took that quotient's
// lowest set bit, -1, as a shift: undefined behaviour, reported by the
// sanitizer build (found by the paste soak: the tangent of an angle in
// degrees).
TEST(BigNumRem, ZeroAboveTheDivisorAsTheDoublingLoop) {
  for (int32_t exp = 1; exp <= 3; ++exp) {
    for (const Digits& divisor : {Digits{360}, Digits{7, 5}, Digits{0, 0, 1}}) {
      BigPtr a = MakeBig({0});
      a->exp = exp;
      const BigPtr b = MakeBig(divisor);
      SCOPED_TRACE(::testing::Message() << "exp " << exp << " mod "
                                        << ::testing::PrintToString(divisor));
      const BigPtr want = ReferenceRemainder(*a, *b);
      BigNumRem(a, *b);
      EXPECT_EQ(a->exp, want->exp);
      EXPECT_EQ(DigitsOf(*a), DigitsOf(*want));
      EXPECT_EQ(BigNumFault(*a), nullptr);
    }
  }
}

TEST(BigNumAlloc, FailureLeavesOperandAndReleasesTemporaries) {
  PrecisionScope scope(33, 9);
  BigPtr a = MakeBig({1, 2, 3, 4, 5});
  BigPtr b = MakeBig({7, 0, 9});
  const Digits before = DigitsOf(*a);
  const int64_t live = AllocLiveBlocks();
  for (int n = 0; n < 4; ++n) {
    AllocFailAfter(n);
    try {
      BigNumDivInternal(a, *b);
      AllocFailAfter(-1);
      break;  // enough allocations succeeded
    } catch (const ArithError& e) {
      AllocFailAfter(-1);
      EXPECT_EQ(e.code, ErrOutOfMemory);
      EXPECT_EQ(DigitsOf(*a), before);
      EXPECT_EQ(AllocLiveBlocks(), live);
    }
  }
  AllocFailAfter(-1);
  EXPECT_THROW(AllocBigNum(-1), ArithError);
  EXPECT_THROW(AllocBigNum(INT32_MAX), ArithError);
}

}  // namespace

namespace {

// Radix quotients against a direct long division in the radix, for every
// radix the text conversions use and operands up to 80 digits.
TEST(BigNumDiv, RandomRadixQuotientsAgainstLongDivision) {
  std::mt19937 rng(42);
  for (uint32_t radix : {2u, 3u, 8u, 10u, 16u}) {
    for (int iter = 0; iter < 150; ++iter) {
      const int32_t p = 5 + static_cast<int32_t>(rng() % 70);
      WorkingPrecision = p;
      const int na = 1 + static_cast<int>(rng() % 80);
      const int nb = 1 + static_cast<int>(rng() % 80);
      std::vector<uint32_t> da(na), db(nb);
      for (auto& x : da) x = rng() % radix;
      for (auto& x : db) x = rng() % radix;
      if (da.back() == 0) da.back() = 1;
      if (db.back() == 0) db.back() = radix - 1;
      BigPtr a = MakeBig(da, static_cast<int32_t>(rng() % 5) - 2);
      BigPtr b = MakeBig(db, static_cast<int32_t>(rng() % 5) - 2);
      SCOPED_TRACE(::testing::Message() << "radix " << radix << " iteration " << iter);
      if (nb == 1 && db[0] == 1 && b->exp == 0) continue;
      // Long division one digit at a time, most significant first.
      const int32_t limit = std::max({p + 2, na, nb});
      std::vector<uint32_t> rem(da.rbegin(), da.rend());  // most significant first
      std::vector<uint32_t> divisor(db.rbegin(), db.rend());
      auto less = [&](const std::vector<uint32_t>& x) {  // x < divisor, x has nb+1 digits
        for (size_t i = 0; i < x.size(); ++i) {
          uint32_t dv = i == 0 ? 0 : divisor[i - 1];
          if (x[i] != dv) return x[i] < dv;
        }
        return false;
      };
      std::vector<uint32_t> window(nb + 1, 0);  // current remainder, nb+1 digits
      std::vector<uint32_t> quotient;
      size_t next = 0;
      // Align: the first quotient digit comes with the dividend's top digits
      // under the divisor's top digits.
      for (int i = 0; i < nb; ++i) {
        window.erase(window.begin());
        window.push_back(next < rem.size() ? rem[next] : 0);
        ++next;
      }
      auto isZero = [&] {
        if (std::any_of(window.begin(), window.end(), [](uint32_t x) { return x != 0; }))
          return false;
        for (size_t i = next; i < rem.size(); ++i)
          if (rem[i] != 0) return false;
        return true;
      };
      while (static_cast<int32_t>(quotient.size()) < limit && !isZero()) {
        uint32_t digit = 0;
        while (!less(window)) {
          int64_t borrow = 0;
          for (int i = nb; i >= 0; --i) {
            int64_t t = int64_t{window[i]} - (i == 0 ? 0 : divisor[i - 1]) - borrow;
            borrow = t < 0;
            window[i] = static_cast<uint32_t>(t < 0 ? t + radix : t);
          }
          ++digit;
        }
        quotient.push_back(digit);
        window.erase(window.begin());
        window.push_back(next < rem.size() ? rem[next] : 0);
        ++next;
      }
      std::vector<uint32_t> want(quotient.rbegin(), quotient.rend());
      while (want.size() > 1 && want.back() == 0) want.pop_back();
      const int32_t e = (a->exp + na) - (b->exp + nb) + 1;
      BigNumDiv(a, *b, radix);
      ASSERT_EQ(DigitsOf(*a), want);
      ASSERT_EQ(a->exp, e - static_cast<int32_t>(quotient.size()));
    }
  }
  WorkingPrecision = 33;
}

}  // namespace
