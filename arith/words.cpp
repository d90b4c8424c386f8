#include "arith/words.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <utility>

#include "arith/bignum.h"
#include "arith/error.h"
#include "arith/settings.h"

using Word = uint32_t;

// The long loops run on 64-bit limbs where the compiler has 128-bit
// integers. QUIB_WORDS_ONLY keeps them on words, as on a 32-bit target, so
// that a 64-bit machine can test those paths too.
#if defined(__SIZEOF_INT128__) && !defined(QUIB_WORDS_ONLY)
#define QUIB_WIDE_LIMBS 1
#endif

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

void WordsMulSchool(Word* r, const Word* a, int32_t na, const Word* b, int32_t nb) {
  std::fill(r, r + na + nb, 0u);
  for (int32_t i = 0; i < na; ++i) {
    const uint64_t ai = a[i];
    if (ai == 0) continue;
    Word* ri = r + i;
    uint64_t carry = 0;
    for (int32_t j = 0; j < nb; ++j) {
      const uint64_t t = ri[j] + ai * b[j] + carry;
      ri[j] = static_cast<Word>(t & kWordMask);
      carry = t >> kWordBits;
    }
    ri[nb] = static_cast<Word>(carry);
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

int WordsCompare(const Word* a, const Word* b, int32_t n) {
  for (int32_t i = n - 1; i >= 0; --i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return 0;
}

namespace {

// The product loops, on digits of either kind: base-2^31 words, or (where the
// compiler has 128-bit integers) full 64-bit limbs, which the long products
// and divisions are packed into: a 64-bit limb product does the work of
// more than four word products, in about the time of one.
struct NarrowDigits {
  using Digit = Word;
  static constexpr int32_t kKaratsubaMin = ::kKaratsubaMin;
  static void School(Digit* r, const Digit* a, int32_t na, const Digit* b, int32_t nb) {
    WordsMulSchool(r, a, na, b, nb);
  }
  static void SchoolSquare(Digit* r, const Digit* a, int32_t n) { WordsMulSchool(r, a, n, a, n); }
  static Digit Add(Digit* r, int32_t rn, const Digit* a, int32_t an) {
    return WordsAddInto(r, rn, a, an);
  }
  static Digit Subtract(Digit* r, int32_t rn, const Digit* a, int32_t an) {
    return WordsSubtractFrom(r, rn, a, an);
  }
};

#ifdef QUIB_WIDE_LIMBS
using Limb = uint64_t;
using Wide = unsigned __int128;

struct WideDigits {
  using Digit = Limb;
  static constexpr int32_t kKaratsubaMin = 24;
  static void School(Limb* r, const Limb* a, int32_t na, const Limb* b, int32_t nb) {
    std::fill(r, r + na + nb, Limb{0});
    for (int32_t i = 0; i < na; ++i) {
      const Limb ai = a[i];
      Limb carry = 0;
      for (int32_t j = 0; j < nb; ++j) {
        const Wide t = static_cast<Wide>(ai) * b[j] + r[i + j] + carry;
        r[i + j] = static_cast<Limb>(t);
        carry = static_cast<Limb>(t >> 64);
      }
      r[i + nb] = carry;
    }
  }
  // r[0, 2n) <- a^2: each product a_i a_j (i < j) once, doubled by a shift,
  // then the squares a_i^2 added.
  static void SchoolSquare(Limb* r, const Limb* a, int32_t n) {
    std::fill(r, r + 2 * n, Limb{0});
    for (int32_t i = 0; i + 1 < n; ++i) {
      const Limb ai = a[i];
      Limb carry = 0;
      for (int32_t j = i + 1; j < n; ++j) {
        const Wide t = static_cast<Wide>(ai) * a[j] + r[i + j] + carry;
        r[i + j] = static_cast<Limb>(t);
        carry = static_cast<Limb>(t >> 64);
      }
      r[i + n] = carry;
    }
    for (int32_t k = 2 * n - 1; k > 0; --k) r[k] = (r[k] << 1) | (r[k - 1] >> 63);
    r[0] <<= 1;
    Limb carry = 0;
    for (int32_t i = 0; i < n; ++i) {
      const Wide sq = static_cast<Wide>(a[i]) * a[i];
      const Wide lo = static_cast<Wide>(r[2 * i]) + static_cast<Limb>(sq) + carry;
      r[2 * i] = static_cast<Limb>(lo);
      const Wide hi = static_cast<Wide>(r[2 * i + 1]) + static_cast<Limb>(sq >> 64) +
                      static_cast<Limb>(lo >> 64);
      r[2 * i + 1] = static_cast<Limb>(hi);
      carry = static_cast<Limb>(hi >> 64);
    }
  }
  static Limb Add(Limb* r, int32_t rn, const Limb* a, int32_t an) {
    Limb carry = 0;
    int32_t i = 0;
    for (; i < an; ++i) {
      const Wide t = static_cast<Wide>(r[i]) + a[i] + carry;
      r[i] = static_cast<Limb>(t);
      carry = static_cast<Limb>(t >> 64);
    }
    for (; carry != 0 && i < rn; ++i) carry = ++r[i] == 0 ? 1 : 0;
    return carry;
  }
  static Limb Subtract(Limb* r, int32_t rn, const Limb* a, int32_t an) {
    Limb borrow = 0;
    int32_t i = 0;
    for (; i < an; ++i) {
      const Limb x = r[i];
      const Limb d = x - a[i];
      r[i] = d - borrow;
      borrow = (x < a[i]) | (d < borrow);
    }
    for (; borrow != 0 && i < rn; ++i) borrow = r[i]-- == 0 ? 1 : 0;
    return borrow;
  }
};

// Limbs that hold n words.
int32_t LimbsFor(int64_t words) {
  return static_cast<int32_t>((words * kWordBits + 63) / 64);
}

// out[0, ln) <- the value of w[0, n) (ln >= LimbsFor(n)).
void PackLimbs(Limb* out, int32_t ln, const Word* w, int32_t n) {
  Limb acc = 0;
  int bits = 0;
  int32_t k = 0;
  for (int32_t i = 0; i < n; ++i) {
    acc |= Limb{w[i]} << bits;
    bits += kWordBits;
    if (bits >= 64) {
      out[k++] = acc;
      bits -= 64;
      acc = Limb{w[i]} >> (kWordBits - bits);
    }
  }
  if (bits > 0) out[k++] = acc;
  std::fill(out + k, out + ln, Limb{0});
}

// w[0, n) <- the low 31 n bits of l[0, ln).
void UnpackLimbs(Word* w, int32_t n, const Limb* l, int32_t ln) {
  for (int32_t i = 0; i < n; ++i) {
    const int64_t bit = int64_t{i} * kWordBits;
    const int32_t k = static_cast<int32_t>(bit / 64);
    const int s = static_cast<int>(bit % 64);
    Limb v = k < ln ? l[k] >> s : 0;
    if (s > 64 - kWordBits && k + 1 < ln) v |= l[k + 1] << (64 - s);
    w[i] = static_cast<Word>(v) & kWordMask;
  }
}

// x[0, n) <- x << bits, 0 <= bits < 64, the bits shifted out of the top
// dropped.
void ShiftLimbsLeft(Limb* x, int32_t n, int bits) {
  if (bits == 0) return;
  for (int32_t i = n - 1; i > 0; --i) x[i] = (x[i] << bits) | (x[i - 1] >> (64 - bits));
  x[0] <<= bits;
}

// x[0, n) <- x >> bits, 0 <= bits < 64.
void ShiftLimbsRight(Limb* x, int32_t n, int bits) {
  if (bits == 0) return;
  for (int32_t i = 0; i + 1 < n; ++i) x[i] = (x[i] >> bits) | (x[i + 1] << (64 - bits));
  x[n - 1] >>= bits;
}

// Below this many words of the shorter operand a product stays on words:
// packing would cost more than it saves.
constexpr int32_t kWideMin = 16;
#endif

// A buffer of n digits of D from the one allocation function.
template <class D>
typename D::Digit* DigitBuffer(BigPtr& holder, int64_t n) {
  holder = WordBuffer(n * static_cast<int64_t>(sizeof(typename D::Digit) / sizeof(Word)));
  return reinterpret_cast<typename D::Digit*>(holder->digits());
}

// s[0, hi] <- a[0, lo) + a[lo, lo + hi), lo <= hi.
template <class D>
void SumHalves(typename D::Digit* s, const typename D::Digit* a, int32_t lo, int32_t hi) {
  std::copy(a + lo, a + lo + hi, s);
  s[hi] = D::Add(s, hi, a, lo);
}

// Scratch digits MulEqual needs for n-digit operands.
template <class D>
int64_t KaratsubaScratch(int32_t n) {
  if (n < D::kKaratsubaMin) return 0;
  const int32_t hi = n - n / 2;
  return 4 * int64_t{hi + 1} + KaratsubaScratch<D>(hi + 1);
}

// r[0, 2n) <- a[0, n) * b[0, n) by Karatsuba's method.
template <class D>
void MulEqual(typename D::Digit* r, const typename D::Digit* a, const typename D::Digit* b,
              int32_t n, typename D::Digit* scratch) {
  using Digit = typename D::Digit;
  if (n < D::kKaratsubaMin) {
    D::School(r, a, n, b, n);
    return;
  }
  if (AbortRequested()) return;
  const int32_t lo = n / 2;
  const int32_t hi = n - lo;
  MulEqual<D>(r, a, b, lo, scratch);                    // a0 b0
  MulEqual<D>(r + 2 * lo, a + lo, b + lo, hi, scratch);  // a1 b1
  Digit* sa = scratch;
  Digit* sb = sa + (hi + 1);
  Digit* middle = sb + (hi + 1);
  const int32_t mn = 2 * (hi + 1);
  SumHalves<D>(sa, a, lo, hi);
  SumHalves<D>(sb, b, lo, hi);
  MulEqual<D>(middle, sa, sb, hi + 1, middle + mn);
  // (a0 + a1)(b0 + b1) - a0 b0 - a1 b1 = a0 b1 + a1 b0 < 2 B^n: its digits
  // above n are zero, so adding it at digit lo stays inside r.
  D::Subtract(middle, mn, r, 2 * lo);
  D::Subtract(middle, mn, r + 2 * lo, 2 * hi);
  D::Add(r + lo, 2 * n - lo, middle, std::min(mn, 2 * n - lo));
}

// r[0, 2n) <- a[0, n)^2 by Karatsuba's method: three half-size squares.
template <class D>
void SquareEqual(typename D::Digit* r, const typename D::Digit* a, int32_t n,
                 typename D::Digit* scratch) {
  using Digit = typename D::Digit;
  if (n < D::kKaratsubaMin) {
    D::SchoolSquare(r, a, n);
    return;
  }
  if (AbortRequested()) return;
  const int32_t lo = n / 2;
  const int32_t hi = n - lo;
  SquareEqual<D>(r, a, lo, scratch);
  SquareEqual<D>(r + 2 * lo, a + lo, hi, scratch);
  Digit* sa = scratch;
  Digit* middle = sa + (hi + 1);
  const int32_t mn = 2 * (hi + 1);
  SumHalves<D>(sa, a, lo, hi);
  SquareEqual<D>(middle, sa, hi + 1, middle + mn);
  D::Subtract(middle, mn, r, 2 * lo);
  D::Subtract(middle, mn, r + 2 * lo, 2 * hi);
  D::Add(r + lo, 2 * n - lo, middle, std::min(mn, 2 * n - lo));
}

// r[0, na + nb) <- a * b, na >= nb.
template <class D>
void MultiplyDigits(typename D::Digit* r, const typename D::Digit* a, int32_t na,
                    const typename D::Digit* b, int32_t nb) {
  using Digit = typename D::Digit;
  BigPtr holder;
  if (a == b && na == nb) {
    if (nb < D::kKaratsubaMin) {
      D::SchoolSquare(r, a, nb);
    } else {
      SquareEqual<D>(r, a, nb, DigitBuffer<D>(holder, KaratsubaScratch<D>(nb)));
    }
    return;
  }
  if (nb < D::kKaratsubaMin) {
    // The longer operand in the inner loop: fewer carry passes.
    D::School(r, b, nb, a, na);
    return;
  }
  if (na == nb) {
    MulEqual<D>(r, a, b, nb, DigitBuffer<D>(holder, KaratsubaScratch<D>(nb)));
    return;
  }
  // The longer operand in slices as long as the shorter one.
  std::fill(r, r + na + nb, Digit{0});
  Digit* slice = DigitBuffer<D>(holder, 2 * int64_t{nb} + KaratsubaScratch<D>(nb));
  for (int32_t offset = 0; offset < na && !AbortRequested(); offset += nb) {
    const int32_t len = std::min(nb, na - offset);
    if (len == nb) {
      MulEqual<D>(slice, a + offset, b, nb, slice + 2 * nb);
    } else {
      MultiplyDigits<D>(slice, b, nb, a + offset, len);
    }
    D::Add(r + offset, na + nb - offset, slice, nb + len);
  }
}

}  // namespace

void WordsMultiply(Word* r, const Word* a, int32_t na, const Word* b, int32_t nb) {
  if (na < nb) {
    std::swap(a, b);
    std::swap(na, nb);
  }
#ifdef QUIB_WIDE_LIMBS
  if (nb >= kWideMin) {
    const int32_t la = LimbsFor(na);
    const int32_t lb = LimbsFor(nb);
    BigPtr holder;
    Limb* wa = DigitBuffer<WideDigits>(holder, 2 * (int64_t{la} + lb));
    Limb* wb = wa + la;
    Limb* wr = wb + lb;
    PackLimbs(wa, la, a, na);
    PackLimbs(wb, lb, b, nb);
    // A square stays one: its operand is packed once.
    MultiplyDigits<WideDigits>(wr, wa, la, a == b && na == nb ? wa : wb, lb);
    UnpackLimbs(r, na + nb, wr, la + lb);
    return;
  }
#endif
  MultiplyDigits<NarrowDigits>(r, a, na, b, nb);
}

namespace {

// WordsDivRem on words.
void DivRemNarrow(Word* q, Word* u, int32_t un, const Word* v, int32_t vn) {
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

#ifdef QUIB_WIDE_LIMBS
// Knuth's long division on limbs: u[0, un) by v[0, vn) (vn >= 2, the top
// bit of v set, the top vn limbs of u below v) leaves the quotient in
// q[0, un - vn) and the remainder in u[0, vn).
void DivRemLimbs(Limb* q, Limb* u, int32_t un, const Limb* v, int32_t vn) {
  const Limb vTop = v[vn - 1];
  const Limb vNext = v[vn - 2];
  for (int32_t j = un - vn - 1; j >= 0; --j) {
    if (AbortRequested()) return;
    Limb* uj = u + j;
    const Wide top = (static_cast<Wide>(uj[vn]) << 64) | uj[vn - 1];
    Wide qhat = top / vTop;
    Wide rhat = top - qhat * vTop;
    while ((qhat >> 64) != 0 || qhat * vNext > ((rhat << 64) | uj[vn - 2])) {
      --qhat;
      rhat += vTop;
      if ((rhat >> 64) != 0) break;
    }
    Limb qj = static_cast<Limb>(qhat);
    // uj[0, vn] -= qj * v, the carry c subtracted from the next limb: the
    // top half of each 128-bit difference is -c.
    Limb c = 0;
    for (int32_t i = 0; i < vn; ++i) {
      const Wide t = static_cast<Wide>(uj[i]) - static_cast<Wide>(qj) * v[i] - c;
      uj[i] = static_cast<Limb>(t);
      c = Limb{0} - static_cast<Limb>(t >> 64);
    }
    if (uj[vn] < c) {
      // qj was one too large: add the divisor back.
      --qj;
      WideDigits::Add(uj, vn, v, vn);
    }
    uj[vn] = 0;
    q[j] = qj;
  }
}

// Below this many divisor words a division stays on words.
constexpr int32_t kWideDivMin = 8;

// WordsDivRem packed into limbs: both operands shifted so that the top bit
// of the divisor's top limb is set, the dividend given a zero limb on top.
void DivRemWide(Word* q, Word* u, int32_t un, const Word* v, int32_t vn) {
  const int32_t lv = LimbsFor(vn);
  const int32_t lu = LimbsFor(int64_t{un} + 1) + 1;
  BigPtr holder;
  Limb* wv = DigitBuffer<WideDigits>(holder, int64_t{lv} + lu + (lu - lv));
  Limb* wu = wv + lv;
  Limb* wq = wu + lu;
  PackLimbs(wv, lv, v, vn);
  PackLimbs(wu, lu, u, un + 1);
  const int shift = std::countl_zero(wv[lv - 1]);
  ShiftLimbsLeft(wv, lv, shift);
  ShiftLimbsLeft(wu, lu, shift);
  DivRemLimbs(wq, wu, lu, wv, lv);
  UnpackLimbs(q, un - vn + 1, wq, lu - lv);
  ShiftLimbsRight(wu, lv, shift);
  UnpackLimbs(u, vn, wu, lv);
  std::fill(u + vn, u + un + 1, 0u);
}
#endif

}  // namespace

void WordsDivRem(Word* q, Word* u, int32_t un, const Word* v, int32_t vn) {
#ifdef QUIB_WIDE_LIMBS
  if (vn >= kWideDivMin) {
    DivRemWide(q, u, un, v, vn);
    return;
  }
#endif
  DivRemNarrow(q, u, un, v, vn);
}

