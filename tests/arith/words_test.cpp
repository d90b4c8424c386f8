// The raw word routines: long products and divisions against the plain
// schoolbook definitions, across the sizes where their methods change.
#include "arith/words.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "arith/bignum.h"

namespace {

using Words = std::vector<uint32_t>;

// n words of one kind: random, all ones, sparse (long runs of zeros), or
// made of a few extreme words (what makes a quotient estimate miss), the
// top word non-zero.
Words Sample(std::mt19937& rng, int32_t n, int kind) {
  constexpr uint32_t kExtremes[] = {0, 1, kWordMask, kWordMask - 1, kWordMask / 2,
                                    kWordMask / 2 + 1};
  Words w(n, 0);
  for (int32_t i = 0; i < n; ++i) {
    if (kind == 1) {
      w[i] = kWordMask;
    } else if (kind == 3) {
      w[i] = kExtremes[rng() % 6];
    } else if (kind == 0 || rng() % 16 == 0) {
      w[i] = rng() & kWordMask;
    }
  }
  w.back() |= 1;
  return w;
}

Words SchoolProduct(const Words& a, const Words& b) {
  Words r(a.size() + b.size());
  WordsMulSchool(r.data(), a.data(), static_cast<int32_t>(a.size()), b.data(),
                 static_cast<int32_t>(b.size()));
  return r;
}

TEST(WordsTest, LongProductsMatchTheSchoolbook) {
  // Lengths around the word and limb Karatsuba thresholds and the packing
  // into limbs, equal and uneven (sliced) operands.
  std::mt19937 rng(7);
  const int32_t lengths[] = {1, 2, 15, 16, 17, 31, 32, 33, 47, 48, 49, 50, 64, 97, 100, 203, 777};
  for (int32_t na : lengths) {
    for (int32_t nb : lengths) {
      if (nb > na) continue;
      for (int kind = 0; kind < 3; ++kind) {
        SCOPED_TRACE(testing::Message() << na << " x " << nb << " kind " << kind);
        const Words a = Sample(rng, na, kind);
        const Words b = Sample(rng, nb, (kind + 1) % 3);
        Words r(na + nb, 0xFFFFFFFFu);
        WordsMultiply(r.data(), a.data(), na, b.data(), nb);
        ASSERT_EQ(r, SchoolProduct(a, b));
      }
    }
  }
}

TEST(WordsTest, SquaresMatchTheSchoolbook) {
  // A product of a number by itself takes the squaring method.
  std::mt19937 rng(8);
  for (int32_t n : {1, 2, 15, 16, 17, 31, 32, 33, 47, 48, 49, 50, 64, 97, 100, 203, 777}) {
    for (int kind = 0; kind < 4; ++kind) {
      SCOPED_TRACE(testing::Message() << n << " kind " << kind);
      const Words a = Sample(rng, n, kind);
      Words r(2 * n, 0xFFFFFFFFu);
      WordsMultiply(r.data(), a.data(), n, a.data(), n);
      ASSERT_EQ(r, SchoolProduct(a, a));
    }
  }
}

TEST(WordsTest, LongDivisionLeavesQuotientAndRemainder) {
  // u = q v + r with r < v, for divisors of 2 words up to past the packing
  // into limbs; the dividends give quotients of one word up to longer than
  // the divisor, and divisors of all ones or with long zero runs make the
  // quotient estimates miss.
  std::mt19937 rng(9);
  for (int32_t vn : {2, 3, 7, 8, 9, 15, 16, 40, 130}) {
    for (int32_t extra : {0, 1, 2, 5, 33, 200}) {
      for (int kind = 0; kind < 40; ++kind) {
        SCOPED_TRACE(testing::Message() << vn << " + " << extra << " kind " << kind);
        Words v = Sample(rng, vn, kind % 4);
        v.back() |= 1u << (kWordBits - 1);  // normalised
        const int32_t un = vn + extra;
        // un + 1 words below v B^(extra + 1): the top word below v's.
        Words u = Sample(rng, un, kind / 4 % 4);
        u.push_back(static_cast<uint32_t>(rng() % v.back()));
        const Words dividend = u;
        Words q(un - vn + 1, 0xFFFFFFFFu);
        WordsDivRem(q.data(), u.data(), un, v.data(), vn);
        Words r(u.begin(), u.begin() + vn);
        EXPECT_TRUE(std::all_of(u.begin() + vn, u.end(), [](uint32_t x) { return x == 0; }));
        EXPECT_LT(WordsCompare(r.data(), v.data(), vn), 0);
        // q v + r, one word longer than u.
        Words back = SchoolProduct(q, v);
        back.resize(un + 2, 0);
        ASSERT_EQ(WordsAddInto(back.data(), un + 2, r.data(), vn), 0u);
        Words want = dividend;
        want.resize(un + 2, 0);
        ASSERT_EQ(back, want);
      }
    }
  }
}

}  // namespace
