#include "arith/words.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "arith/bignum.h"
#include "arith/error.h"
#include "arith/settings.h"

using Word = uint32_t;

BigPtr WordBuffer(int64_t n) {
  if (n < 0 || n > std::numeric_limits<int32_t>::max() - 1) ThrowError(ErrOutOfMemory);
  return AllocBigNum(static_cast<int32_t>(n));
}

Word WordsMulWord(Word* x, int32_t n, Word w) {
  uint64_t carry = 0;
  for (int32_t i = 0; i < n; ++i) {
    const uint64_t t = uint64_t{x[i]} * w + carry;
    x[i] = static_cast<Word>(t & kWordMask);
    carry = t >> kWordBits;
  }
  return static_cast<Word>(carry);
}

namespace {

// r[0, n) += a[0, n) * w (w < 2^31); returns the carry word, r[n] untouched.
Word AddMulRow(Word* r, const Word* a, int32_t n, uint64_t w) {
  uint64_t carry = 0;
  for (int32_t j = 0; j < n; ++j) {
    const uint64_t t = r[j] + w * a[j] + carry;
    r[j] = static_cast<Word>(t & kWordMask);
    carry = t >> kWordBits;
  }
  return static_cast<Word>(carry);
}

#if defined(__SIZEOF_INT128__)
// Where the compiler has 128-bit integers, the digit loops take two words at
// a time as one 62-bit digit: a quarter of the multiplications. Two words
// side by side are one 62-bit digit already (bit 31 of each word is 0).
using Wide = unsigned __int128;
constexpr uint64_t kPairMask = (uint64_t{1} << (2 * kWordBits)) - 1;

inline uint64_t LoadPair(const Word* p) {
  uint64_t x;
  std::memcpy(&x, p, sizeof x);
  return (x & kWordMask) | ((x >> 32) << kWordBits);
}

inline void StorePair(Word* p, uint64_t d) {
  const uint64_t x = (d & kWordMask) | ((d >> kWordBits) << 32);
  std::memcpy(p, &x, sizeof x);
}

// r[0, na + nb) <- a * b for even na, nb, on 62-bit digits.
void MulSchoolPairs(Word* r, const Word* a, int32_t na, const Word* b, int32_t nb) {
  std::fill(r, r + na + nb, 0u);
  for (int32_t i = 0; i < na; i += 2) {
    const uint64_t ai = LoadPair(a + i);
    if (ai == 0) continue;
    Word* ri = r + i;
    uint64_t carry = 0;
    for (int32_t j = 0; j < nb; j += 2) {
      const Wide t = static_cast<Wide>(ai) * LoadPair(b + j) + LoadPair(ri + j) + carry;
      StorePair(ri + j, static_cast<uint64_t>(t) & kPairMask);
      carry = static_cast<uint64_t>(t >> (2 * kWordBits));
    }
    StorePair(ri + nb, carry);
  }
}
#endif

}  // namespace

void WordsMulSchool(Word* r, const Word* a, int32_t na, const Word* b, int32_t nb) {
#if defined(__SIZEOF_INT128__)
  if (na >= 2 && nb >= 2) {
    // The even parts as pairs, then the odd top words as single rows.
    const int32_t ea = na & ~1;
    const int32_t eb = nb & ~1;
    MulSchoolPairs(r, a, ea, b, eb);
    std::fill(r + ea + eb, r + na + nb, 0u);
    if (ea != na) r[ea + eb] = AddMulRow(r + ea, b, eb, a[ea]);
    if (eb != nb) r[na + eb] = AddMulRow(r + eb, a, na, b[eb]);
    return;
  }
#endif
  std::fill(r, r + na + nb, 0u);
  for (int32_t i = 0; i < na; ++i) {
    const uint64_t ai = a[i];
    if (ai == 0) continue;
    r[i + nb] = AddMulRow(r + i, b, nb, ai);
  }
}

Word WordsAddInto(Word* r, int32_t rn, const Word* a, int32_t an) {
  Word carry = 0;
  int32_t i = 0;
  for (; i < an; ++i) {
    const Word t = r[i] + a[i] + carry;
    r[i] = t & kWordMask;
    carry = t >> kWordBits;
  }
  for (; carry != 0 && i < rn; ++i) {
    const Word t = r[i] + carry;
    r[i] = t & kWordMask;
    carry = t >> kWordBits;
  }
  return carry;
}

Word WordsSubtractFrom(Word* r, int32_t rn, const Word* a, int32_t an) {
  Word borrow = 0;
  int32_t i = 0;
  // A negative difference wraps to 2^32 - k, which has bit 31 set.
  for (; i < an; ++i) {
    const Word t = r[i] - a[i] - borrow;
    r[i] = t & kWordMask;
    borrow = t >> kWordBits;
  }
  for (; borrow != 0 && i < rn; ++i) {
    const Word t = r[i] - borrow;
    r[i] = t & kWordMask;
    borrow = t >> kWordBits;
  }
  return borrow;
}

Word WordsDivWord(Word* x, int32_t n, Word d) {
  uint64_t rem = 0;
  for (int32_t i = n - 1; i >= 0; --i) {
    const uint64_t cur = (rem << kWordBits) | x[i];
    x[i] = static_cast<Word>(cur / d);
    rem = cur % d;
  }
  return static_cast<Word>(rem);
}

int32_t WordsPackRadix(Word* out, const Word* d, int32_t count, Word radix,
                       const RadixChunk& c) {
  const int32_t k = c.digits;
  const int32_t groups = (count + k - 1) / k;
  for (int32_t g = 0; g < groups; ++g) {
    uint64_t w = 0;
    for (int32_t t = std::min(k, count - g * k) - 1; t >= 0; --t) w = w * radix + d[g * k + t];
    out[g] = static_cast<Word>(w);
  }
  int32_t used = groups;
  while (used > 1 && out[used - 1] == 0) --used;
  return std::max(used, 1);
}

void WordsUnpackRadix(Word* d, int32_t count, const Word* w, int32_t wn, Word radix,
                      const RadixChunk& c) {
  std::fill(d, d + count, 0u);
  for (int32_t g = 0; g < wn; ++g) {
    Word v = w[g];
    for (int32_t t = 0; t < c.digits && g * c.digits + t < count; ++t) {
      d[g * c.digits + t] = v % radix;
      v /= radix;
    }
  }
}

void WordsMulSchoolBase(Word* r, const Word* a, int32_t na, const Word* b, int32_t nb,
                        uint64_t base) {
  std::fill(r, r + na + nb, 0u);
  for (int32_t i = 0; i < na; ++i) {
    const uint64_t ai = a[i];
    if (ai == 0) continue;
    uint64_t carry = 0;
    for (int32_t j = 0; j < nb; ++j) {
      const uint64_t t = r[i + j] + ai * b[j] + carry;
      r[i + j] = static_cast<Word>(t % base);
      carry = t / base;
    }
    r[i + nb] = static_cast<Word>(carry);
  }
}

Word WordsShiftLeft(Word* dst, const Word* src, int32_t n, int bits) {
  if (n <= 0) return 0;
  if (bits == 0) {
    std::copy_backward(src, src + n, dst + n);
    return 0;
  }
  const Word out = src[n - 1] >> (kWordBits - bits);
  for (int32_t i = n - 1; i > 0; --i) {
    dst[i] = ((src[i] << bits) | (src[i - 1] >> (kWordBits - bits))) & kWordMask;
  }
  dst[0] = (src[0] << bits) & kWordMask;
  return out;
}

void WordsShiftRight(Word* dst, const Word* src, int32_t n, int bits) {
  if (n <= 0) return;
  if (bits == 0) {
    std::copy(src, src + n, dst);
    return;
  }
  for (int32_t i = 0; i + 1 < n; ++i) {
    dst[i] = ((src[i] >> bits) | (src[i + 1] << (kWordBits - bits))) & kWordMask;
  }
  dst[n - 1] = src[n - 1] >> bits;
}

void WordsDivRem(Word* q, Word* u, int32_t un, const Word* v, int32_t vn) {
  const uint64_t vTop = v[vn - 1];
  const uint64_t vNext = v[vn - 2];
  for (int32_t j = un - vn; j >= 0; --j) {
    if (AbortRequested()) return;
    Word* uj = u + j;
    const uint64_t top = (uint64_t{uj[vn]} << kWordBits) | uj[vn - 1];
    uint64_t qhat = top / vTop;
    uint64_t rhat = top % vTop;
    while (qhat > kWordMask || qhat * vNext > ((rhat << kWordBits) | uj[vn - 2])) {
      --qhat;
      rhat += vTop;
      if (rhat > kWordMask) break;
    }
    // uj[0, vn] -= qhat * v: a signed carry, since u - qhat v > -2^63.
    int64_t carry = 0;
    for (int32_t i = 0; i < vn; ++i) {
      const int64_t t = int64_t{uj[i]} - static_cast<int64_t>(qhat * v[i]) + carry;
      uj[i] = static_cast<Word>(t) & kWordMask;
      carry = t >> kWordBits;
    }
    const int64_t t = int64_t{uj[vn]} + carry;
    if (t < 0) {
      // qhat was one too large: add the divisor back.
      --qhat;
      WordsAddInto(uj, vn, v, vn);
    }
    uj[vn] = 0;
    q[j] = static_cast<Word>(qhat);
  }
}

int WordsCompare(const Word* a, const Word* b, int32_t n) {
  for (int32_t i = n - 1; i >= 0; --i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return 0;
}

namespace {

// s[0, hi] <- a[0, lo) + a[lo, lo + hi), lo <= hi.
void SumHalves(Word* s, const Word* a, int32_t lo, int32_t hi) {
  Word carry = 0;
  for (int32_t i = 0; i < hi; ++i) {
    const Word t = a[lo + i] + (i < lo ? a[i] : 0u) + carry;
    s[i] = t & kWordMask;
    carry = t >> kWordBits;
  }
  s[hi] = carry;
}

// Scratch words MulEqual needs for n-word operands.
int64_t KaratsubaScratch(int32_t n) {
  if (n < kKaratsubaMin) return 0;
  const int32_t hi = n - n / 2;
  return 4 * int64_t{hi + 1} + KaratsubaScratch(hi + 1);
}

// r[0, 2n) <- a[0, n) * b[0, n) by Karatsuba's method.
void MulEqual(Word* r, const Word* a, const Word* b, int32_t n, Word* scratch) {
  if (n < kKaratsubaMin) {
    WordsMulSchool(r, a, n, b, n);
    return;
  }
  if (AbortRequested()) return;
  const int32_t lo = n / 2;
  const int32_t hi = n - lo;
  MulEqual(r, a, b, lo, scratch);                    // a0 b0
  MulEqual(r + 2 * lo, a + lo, b + lo, hi, scratch);  // a1 b1
  Word* sa = scratch;
  Word* sb = sa + (hi + 1);
  Word* middle = sb + (hi + 1);
  const int32_t mn = 2 * (hi + 1);
  SumHalves(sa, a, lo, hi);
  SumHalves(sb, b, lo, hi);
  MulEqual(middle, sa, sb, hi + 1, middle + mn);
  // (a0 + a1)(b0 + b1) - a0 b0 - a1 b1 = a0 b1 + a1 b0 < 2 B^n: its words
  // above n are zero, so adding it at word lo stays inside r.
  WordsSubtractFrom(middle, mn, r, 2 * lo);
  WordsSubtractFrom(middle, mn, r + 2 * lo, 2 * hi);
  WordsAddInto(r + lo, 2 * n - lo, middle, std::min(mn, 2 * n - lo));
}

}  // namespace

void WordsMultiply(Word* r, const Word* a, int32_t na, const Word* b, int32_t nb) {
  if (na < nb) {
    std::swap(a, b);
    std::swap(na, nb);
  }
  if (nb < kKaratsubaMin) {
    // The longer operand in the inner loop: fewer carry passes.
    WordsMulSchool(r, b, nb, a, na);
    return;
  }
  if (na == nb) {
    BigPtr scratch = WordBuffer(KaratsubaScratch(nb));
    MulEqual(r, a, b, nb, scratch->digits());
    return;
  }
  // The longer operand in slices as long as the shorter one.
  std::fill(r, r + na + nb, 0u);
  BigPtr buffer = WordBuffer(2 * int64_t{nb} + KaratsubaScratch(nb));
  Word* slice = buffer->digits();
  for (int32_t offset = 0; offset < na && !AbortRequested(); offset += nb) {
    const int32_t len = std::min(nb, na - offset);
    if (len == nb) {
      MulEqual(slice, a + offset, b, nb, slice + 2 * nb);
    } else {
      WordsMultiply(slice, b, nb, a + offset, len);
    }
    WordsAddInto(r + offset, na + nb - offset, slice, nb + len);
  }
}
