#include "arith/bignum.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "arith/alloc.h"
#include "arith/error.h"
#include "arith/settings.h"
#include "arith/words.h"

namespace {

// Blocks larger than this many digit words are refused as out of memory; it
// keeps every size computation far from 32-bit overflow on the 32-bit target.
constexpr int32_t kMaxDigits = 1 << 26;

int64_t Span(const BigNum& x) { return int64_t{x.exp} + x.count; }

// A number is zero-like when it is at most one digit and that digit is 0,
// unit-like when it is the single digit 1 at exp 0 (the value +1 or -1).
bool IsZeroLike(const BigNum& x) { return x.count <= 1 && x.digits()[0] == 0; }
bool IsUnitLike(const BigNum& x) {
  return x.count <= 1 && x.digits()[0] == 1 && x.exp == 0;
}

void StripLeadingZeros(BigNum& x) {
  while (x.count > 1 && x.digits()[x.count - 1] == 0) --x.count;
  if (x.count == 0) x.count = 1;  // the spare digit is zero-filled
}

// The digit of x at absolute position pos (0 outside x).
inline uint32_t DigitAt(const BigNum& x, int64_t pos) {
  int64_t i = pos - x.exp;
  return (i >= 0 && i < x.count) ? x.digits()[i] : 0u;
}

int32_t CheckedCount(int64_t n) {
  if (n < 0 || n > kMaxDigits) ThrowError(ErrOutOfMemory);
  return static_cast<int32_t>(n);
}

// Digit divide: q = floor(u * base^shift / v) on magnitudes (u, v least
// significant first, v's top digit non-zero). Returns the quotient in a new
// block (exp 0, count = digits of the shifted dividend, not stripped) and
// whether the division was exact. Knuth's algorithm D, generalised to any base
// up to 2^31: every intermediate fits an unsigned 64-bit word.
struct DivideResult {
  BigPtr quotient;
  bool exact;
};

template <bool kInternal>
DivideResult DivideDigits(const uint32_t* uDigits, int32_t uCount, int32_t shift,
                          const uint32_t* v, int32_t n, uint32_t base) {
  const int32_t m = CheckedCount(int64_t{uCount} + shift);  // dividend digits
  // A constant base lets the compiler turn every / and % into shifts and masks.
  const uint64_t beta = kInternal ? uint64_t{kInternalBase} : uint64_t{base};
  BigPtr q = AllocBigNum(m);
  q->sign = 1;
  q->count = m;
  uint32_t* qd = q->digits();

  if (n == 1) {
    // Short division, most significant digit first.
    const uint64_t divisor = v[0];
    uint64_t rem = 0;
    for (int32_t i = m - 1; i >= 0; --i) {
      uint64_t digit = i >= shift ? uDigits[i - shift] : 0u;
      uint64_t cur = rem * beta + digit;
      qd[i] = static_cast<uint32_t>(cur / divisor);
      rem = cur % divisor;
    }
    return {std::move(q), rem == 0};
  }
  if (m < n) {
    return {std::move(q), std::all_of(uDigits, uDigits + uCount,
                                      [](uint32_t d) { return d == 0; })};
  }

  // Normalise so that the divisor's top digit is at least base / 2.
  const uint64_t d = beta / (uint64_t{v[n - 1]} + 1);
  BigPtr uBlock = AllocBigNum(m + 1);
  BigPtr vBlock = AllocBigNum(n);
  uint32_t* un = uBlock->digits();
  uint32_t* vn = vBlock->digits();
  uint64_t carry = 0;
  for (int32_t i = 0; i < n; ++i) {
    uint64_t t = uint64_t{v[i]} * d + carry;
    vn[i] = static_cast<uint32_t>(t % beta);
    carry = t / beta;
  }
  carry = 0;
  for (int32_t i = 0; i < m; ++i) {
    uint64_t digit = i >= shift ? uDigits[i - shift] : 0u;
    uint64_t t = digit * d + carry;
    un[i] = static_cast<uint32_t>(t % beta);
    carry = t / beta;
  }
  un[m] = static_cast<uint32_t>(carry);

  const uint64_t vTop = vn[n - 1];
  const uint64_t vNext = vn[n - 2];
  for (int32_t j = m - n; j >= 0; --j) {
    // A long division polls after every 64 quotient digits (a shorter one
    // never): the reduction of a huge angle divides millions of words, and
    // the user must be able to stop it. The quotient is meaningless then.
    if (((m - n - j) & 63) == 63 && AbortRequested()) break;
    uint64_t top = uint64_t{un[j + n]} * beta + un[j + n - 1];
    uint64_t qhat = top / vTop;
    uint64_t rhat = top % vTop;
    while (qhat >= beta || qhat * vNext > rhat * beta + un[j + n - 2]) {
      --qhat;
      rhat += vTop;
      if (rhat >= beta) break;
    }
    // un[j .. j+n] -= qhat * vn
    int64_t borrow = 0;
    uint64_t mulCarry = 0;
    for (int32_t i = 0; i < n; ++i) {
      uint64_t p = qhat * vn[i] + mulCarry;
      mulCarry = p / beta;
      int64_t t = int64_t{un[i + j]} - static_cast<int64_t>(p % beta) + borrow;
      if (t < 0) {
        t += static_cast<int64_t>(beta);
        borrow = -1;
      } else {
        borrow = 0;
      }
      un[i + j] = static_cast<uint32_t>(t);
    }
    int64_t t = int64_t{un[j + n]} - static_cast<int64_t>(mulCarry) + borrow;
    if (t < 0) {
      // qhat was one too large: add the divisor back.
      un[j + n] = static_cast<uint32_t>(t + static_cast<int64_t>(beta));
      --qhat;
      uint64_t c = 0;
      for (int32_t i = 0; i < n; ++i) {
        uint64_t s = uint64_t{un[i + j]} + vn[i] + c;
        un[i + j] = static_cast<uint32_t>(s % beta);
        c = s / beta;
      }
      un[j + n] = static_cast<uint32_t>((un[j + n] + c) % beta);
    } else {
      un[j + n] = static_cast<uint32_t>(t);
    }
    qd[j] = static_cast<uint32_t>(qhat);
  }
  bool exact = std::all_of(un, un + n, [](uint32_t x) { return x == 0; });
  return {std::move(q), exact};
}

// Digit divide for a small base: the same quotient as DivideDigits, computed
// on groups of k digits (base^k <= 2^31) so that the long division runs on
// words k times wider, then unpacked into single digits again.
DivideResult DivideSmallBase(const uint32_t* uDigits, int32_t uCount,
                             int32_t shift, const uint32_t* v, int32_t n,
                             uint32_t base) {
  const RadixChunk chunk = RadixChunkFor(static_cast<int32_t>(base));
  const int32_t k = chunk.digits;
  const int32_t m = CheckedCount(int64_t{uCount} + shift);
  // The dividend with its `shift` zero digits below, and the divisor, in
  // groups of k digits.
  BigPtr shifted = AllocBigNum(m);
  std::copy(uDigits, uDigits + uCount, shifted->digits() + shift);
  BigPtr u = AllocBigNum((m + k - 1) / k);
  u->count = WordsPackRadix(u->digits(), shifted->digits(), m, base, chunk);
  BigPtr d = AllocBigNum((n + k - 1) / k);
  d->count = WordsPackRadix(d->digits(), v, n, base, chunk);
  const uint32_t wideBase = static_cast<uint32_t>(chunk.base);
  DivideResult grouped =
      wideBase == kInternalBase
          ? DivideDigits<true>(u->digits(), u->count, 0, d->digits(), d->count, wideBase)
          : DivideDigits<false>(u->digits(), u->count, 0, d->digits(), d->count, wideBase);
  BigPtr q = AllocBigNum(m);
  q->sign = 1;
  q->count = m;
  WordsUnpackRadix(q->digits(), m, grouped.quotient->digits(), grouped.quotient->count,
                   base, chunk);
  return {std::move(q), grouped.exact};
}

// The truncated quotient shared by BigNumDiv and BigNumDivInternal: the
// quotient digits from the position of the first one (dividend's top aligned
// with the divisor's top) down `limit` positions, or fewer when the division
// comes out exact earlier; the top digit may be 0 before stripping.
void DivideTruncated(BigPtr& a, const BigNum& b, uint32_t base, int32_t limit) {
  if (IsUnitLike(b)) {
    a->sign *= b.sign;
    return;
  }
  const int32_t sign = a->sign * b.sign;
  if (BigNumIsZero(*a)) {
    BigPtr q = AllocBigNum(1);
    q->sign = sign;
    q->count = 1;
    a = std::move(q);
    return;
  }
  // Work on the divisor without its leading zeros (none in normal use).
  int32_t bCount = b.count;
  while (bCount > 1 && b.digits()[bCount - 1] == 0) --bCount;
  const int64_t e = Span(*a) - (int64_t{b.exp} + b.count) + 1;
  const int32_t shift = CheckedCount(int64_t{limit} - a->count + b.count - 1);
  DivideResult r =
      base == kInternalBase
          ? DivideDigits<true>(a->digits(), a->count, shift, b.digits(), bCount, base)
          : DivideSmallBase(a->digits(), a->count, shift, b.digits(), bCount, base);
  BigNum& q = *r.quotient;
  // The quotient occupies the positions e - limit .. e - 1.
  int64_t lowest = e - limit;
  q.count = std::min(q.count, limit);
  int32_t dropLow = 0;
  if (r.exact) {
    while (dropLow < q.count - 1 && q.digits()[dropLow] == 0) ++dropLow;
  }
  if (dropLow > 0) {
    std::memmove(q.digits(), q.digits() + dropLow,
                 sizeof(uint32_t) * (q.count - dropLow));
    std::memset(q.digits() + (q.count - dropLow), 0, sizeof(uint32_t) * dropLow);
    q.count -= dropLow;
    lowest += dropLow;
  }
  if (lowest < INT32_MIN || lowest > INT32_MAX) ThrowError(ErrOutOfMemory);
  q.exp = static_cast<int32_t>(lowest);
  q.sign = sign;
  StripLeadingZeros(q);
  a = std::move(r.quotient);
}

}  // namespace

void FreeBigNum(BigNum* block) noexcept { FreeBlock(block); }

void BigNumDeleter::operator()(BigNum* block) const noexcept { FreeBigNum(block); }

BigPtr AllocBigNum(int32_t n) {
  if (n < 0 || n > kMaxDigits) ThrowError(ErrOutOfMemory);
  const std::size_t bytes =
      sizeof(BigNum) + sizeof(uint32_t) * (static_cast<std::size_t>(n) + 1);
  BigPtr block(static_cast<BigNum*>(AllocZeroed(bytes)));
  block->room = n + 1;
  return block;
}

BigPtr CopyBigNum(const BigNum& source) {
  BigPtr copy = AllocBigNum(source.count);
  copy->sign = source.sign;
  copy->count = source.count;
  copy->exp = source.exp;
  std::memcpy(copy->digits(), source.digits(), sizeof(uint32_t) * source.count);
  return copy;
}

BigPtr BigNumFromInt(int32_t v, uint32_t base) {
  BigPtr x = AllocBigNum(33);
  uint32_t magnitude;
  if (v < 0) {
    x->sign = -1;
    magnitude = 0u - static_cast<uint32_t>(v);
  } else {
    x->sign = 1;
    magnitude = static_cast<uint32_t>(v);
  }
  int32_t count = 0;
  do {
    x->digits()[count++] = magnitude % base;
    magnitude /= base;
  } while (magnitude != 0);
  x->count = count;
  x->exp = 0;
  return x;
}

int32_t BigNumToInt(const BigNum& x, uint32_t base) {
  uint32_t v = 0;
  for (int32_t i = x.count - 1; i >= 0; --i) {
    if (int64_t{x.exp} + i < 0) break;
    v = v * base + x.digits()[i];
  }
  if (x.exp > 0) {
    // v * base^exp modulo 2^32 by square and multiply.
    uint32_t factor = base;
    for (uint32_t e = static_cast<uint32_t>(x.exp); e != 0; e >>= 1) {
      if (e & 1u) v *= factor;
      factor *= factor;
    }
  }
  if (x.sign < 0) v = 0u - v;
  return static_cast<int32_t>(v);
}

bool BigNumIsZero(const BigNum& x) {
  const uint32_t* d = x.digits();
  return std::all_of(d, d + x.count, [](uint32_t digit) { return digit == 0; });
}

namespace {
// Walks both magnitudes from the top, aligned at their tops (spans equal);
// returns -1, 0, +1.
int CompareAlignedTops(const BigNum& a, const BigNum& b) {
  const int32_t n = std::max(a.count, b.count);
  for (int32_t k = 0; k < n; ++k) {
    uint32_t da = k < a.count ? a.digits()[a.count - 1 - k] : 0u;
    uint32_t db = k < b.count ? b.digits()[b.count - 1 - k] : 0u;
    if (da != db) return da < db ? -1 : 1;
  }
  return 0;
}
}  // namespace

bool BigNumIdentical(const BigNum& a, const BigNum& b) {
  return a.sign == b.sign && a.exp == b.exp && a.count == b.count &&
         std::equal(a.digits(), a.digits() + a.count, b.digits());
}

bool BigNumEqualMagnitude(const BigNum& a, const BigNum& b) {
  if (Span(a) != Span(b)) return false;
  return CompareAlignedTops(a, b) == 0;
}

bool BigNumLessMagnitude(const BigNum& a, const BigNum& b) {
  if (Span(a) < Span(b)) return true;
  if (Span(a) > Span(b)) return false;
  return CompareAlignedTops(a, b) < 0;
}

namespace {

// x + y with the given signs in a new block; neither operand is zero-like.
BigPtr SumDigits(const BigNum& x, int32_t xSign, const BigNum& y, int32_t ySign,
                 uint32_t base) {
  const int64_t lo = std::min(x.exp, y.exp);
  const int64_t hi = std::max(Span(x), Span(y));
  const int32_t n = CheckedCount(hi - lo);
  BigPtr r = AllocBigNum(n);
  r->exp = static_cast<int32_t>(lo);
  r->count = n;
  uint32_t* rd = r->digits();
  const uint32_t top = base - 1;

  if (xSign == ySign) {
    uint32_t carry = 0;
    for (int32_t i = 0; i < n; ++i) {
      uint32_t t = carry + DigitAt(x, lo + i) + DigitAt(y, lo + i);
      carry = t >= base;
      rd[i] = carry ? t - base : t;
    }
    if (carry) rd[r->count++] = carry;
    r->sign = xSign;
  } else {
    // The negative operand in base complement; a final carry means the sum is
    // not negative.
    const bool xNegative = xSign < 0;
    uint32_t carry = 1;
    for (int32_t i = 0; i < n; ++i) {
      uint32_t dx = DigitAt(x, lo + i);
      uint32_t dy = DigitAt(y, lo + i);
      if (xNegative) {
        dx = top - dx;
      } else {
        dy = top - dy;
      }
      uint32_t t = carry + dx + dy;
      carry = t >= base;
      rd[i] = carry ? t - base : t;
    }
    if (carry) {
      r->sign = 1;
    } else {
      r->sign = -1;
      carry = 1;
      for (int32_t i = 0; i < n; ++i) {
        uint32_t t = carry + (top - rd[i]);
        carry = t >= base;
        rd[i] = carry ? t - base : t;
      }
    }
  }
  StripLeadingZeros(*r);
  return r;
}

// x * y (signs multiplied, exponents added) in a new block: the word layer's
// product in base 2^31, schoolbook in a radix.
template <bool kInternal>
BigPtr ProductDigits(const BigNum& x, const BigNum& y, uint32_t base) {
  const int32_t n = CheckedCount(int64_t{x.count} + y.count);
  const int64_t exp = int64_t{x.exp} + y.exp;
  if (exp < INT32_MIN || exp > INT32_MAX) ThrowError(ErrOutOfMemory);
  BigPtr r = AllocBigNum(n);
  r->count = n;
  r->sign = x.sign * y.sign;
  r->exp = static_cast<int32_t>(exp);
  uint32_t* rd = r->digits();
  const uint32_t* xd = x.digits();
  const uint32_t* yd = y.digits();
  if constexpr (kInternal) {
    WordsMultiply(rd, xd, x.count, yd, y.count);
    StripLeadingZeros(*r);
    // An aborted product is meaningless, but the product of two non-zero
    // numbers must never come out zero: it may become a denominator.
    if (BigNumIsZero(*r) && !BigNumIsZero(x) && !BigNumIsZero(y)) rd[0] = 1;
    return r;
  }
  const RadixChunk chunk = RadixChunkFor(static_cast<int32_t>(base));
  if (std::min(x.count, y.count) <= chunk.digits) {
    WordsMulSchoolBase(rd, xd, x.count, yd, y.count, base);
  } else {
    // Digits packed into words of base^k: k^2 times fewer digit products.
    const int32_t kx = (x.count + chunk.digits - 1) / chunk.digits;
    const int32_t ky = (y.count + chunk.digits - 1) / chunk.digits;
    BigPtr scratch = WordBuffer(2 * (int64_t{kx} + ky));
    uint32_t* px = scratch->digits();
    uint32_t* py = px + kx;
    uint32_t* pr = py + ky;
    const int32_t ux = WordsPackRadix(px, xd, x.count, base, chunk);
    const int32_t uy = WordsPackRadix(py, yd, y.count, base, chunk);
    WordsMulSchoolBase(pr, px, ux, py, uy, chunk.base);
    WordsUnpackRadix(rd, n, pr, ux + uy, base, chunk);
  }
  StripLeadingZeros(*r);
  return r;
}

BigPtr CopyWithSign(const BigNum& x, int32_t sign) {
  BigPtr r = CopyBigNum(x);
  r->sign = sign;
  return r;
}

template <bool kInternal>
void MultiplyInto(BigPtr& a, const BigNum& b, uint32_t base) {
  if (IsUnitLike(b)) {
    a->sign *= b.sign;
  } else if (IsUnitLike(*a)) {
    a = CopyWithSign(b, a->sign * b.sign);
  } else {
    a = ProductDigits<kInternal>(*a, b, base);
  }
}

}  // namespace

void BigNumAdd(BigPtr& a, const BigNum& b, uint32_t base) {
  if (IsZeroLike(b)) return;
  if (IsZeroLike(*a)) {
    a = CopyBigNum(b);
    return;
  }
  a = SumDigits(*a, a->sign, b, b.sign, base);
  QUIB_ASSERT_SOUND_BIG(*a, base);
}

BigPtr BigNumSum(const BigNum& x, int32_t xSign, const BigNum& y, int32_t ySign,
                 uint32_t base) {
  if (IsZeroLike(y)) return CopyWithSign(x, xSign);
  if (IsZeroLike(x)) return CopyWithSign(y, ySign);
  return SumDigits(x, xSign, y, ySign, base);
}

namespace {
// Drops the lowest digits of x so that `keep` remain (truncation), in place.
void CutToTop(BigNum& x, int32_t keep) {
  const int32_t drop = x.count - keep;
  std::memmove(x.digits(), x.digits() + drop, sizeof(uint32_t) * keep);
  std::memset(x.digits() + keep, 0, sizeof(uint32_t) * drop);
  x.exp += drop;
  x.count = keep;
}
}  // namespace

void BigNumMul(BigPtr& a, const BigNum& b, uint32_t base) {
  if (base == kInternalBase) {
    MultiplyInto<true>(a, b, base);
  } else {
    MultiplyInto<false>(a, b, base);
  }
  QUIB_ASSERT_SOUND_BIG(*a, base);
}

void BigNumMulInternal(BigPtr& a, const BigNum& b) {
  MultiplyInto<true>(a, b, kInternalBase);
  QUIB_ASSERT_SOUND_BIG(*a, kInternalBase);
}

BigPtr BigNumProductInternal(const BigNum& x, const BigNum& y) {
  if (IsUnitLike(x)) return CopyWithSign(y, x.sign * y.sign);
  if (IsUnitLike(y)) return CopyWithSign(x, x.sign * y.sign);
  return ProductDigits<true>(x, y, kInternalBase);
}

void BigNumPow(BigPtr& a, int32_t n, uint32_t base) {
  BigPtr result = BigNumFromInt(1, base);
  BigPtr square = CopyBigNum(*a);
  const int32_t keep = WorkingPrecision + DigitsPerWord;
  while (n > 0) {
    if (n & 1) BigNumMul(result, *square, base);
    n >>= 1;
    if (n == 0) break;  // the last square would not be used
    BigNumMul(square, *square, base);
    if (square->count > keep + 1) CutToTop(*square, keep);
  }
  a = std::move(result);
  QUIB_ASSERT_SOUND_BIG(*a, base);
}

void BigNumPowInternal(BigPtr& a, int32_t n) {
  BigPtr result = BigNumFromInt(1, kInternalBase);
  BigPtr square = CopyBigNum(*a);
  while (n > 0) {
    if (n & 1) BigNumMulInternal(result, *square);
    n >>= 1;
    if (n == 0) break;
    BigNumMulInternal(square, *square);
  }
  a = std::move(result);
}

void BigNumDiv(BigPtr& a, const BigNum& b, uint32_t base) {
  const int32_t limit =
      std::max({WorkingPrecision + 2, a->count, b.count});
  DivideTruncated(a, b, base, limit);
  QUIB_ASSERT_SOUND_BIG(*a, base);
}

void BigNumDivInternal(BigPtr& a, const BigNum& b) {
  const int32_t limit =
      std::max({WorkingPrecision + DigitsPerWord, a->count, b.count});
  DivideTruncated(a, b, kInternalBase, limit);
  QUIB_ASSERT_SOUND_BIG(*a, kInternalBase);
}

BigPtr BigNumQuotientFrom(const BigNum& a, const BigNum& b, int64_t low) {
  // |a / b| < B^e, so the digits asked for are positions low .. e - 1.
  const int64_t e = Span(a) - (int64_t{b.exp} + b.count) + 1;
  if (e <= low || BigNumIsZero(a)) {
    BigPtr zero = AllocBigNum(1);
    zero->sign = 1;
    zero->count = 1;
    return zero;
  }
  // Digits of a that would fall below position low of the quotient do not
  // change it (floor(floor(x / B^k) / y) = floor(x / (B^k y))): drop them.
  const int64_t below = low + b.exp - int64_t{a.exp};
  BigPtr q;
  if (below > 0) {
    const int32_t keep = a.count - static_cast<int32_t>(below);  // e > low: keep >= b.count
    q = AllocBigNum(keep);
    q->sign = a.sign;
    q->count = keep;
    q->exp = static_cast<int32_t>(a.exp + below);
    std::copy(a.digits() + below, a.digits() + a.count, q->digits());
  } else {
    q = CopyBigNum(a);
  }
  DivideTruncated(q, b, kInternalBase, CheckedCount(e - low));
  q->sign = 1;
  if (q->exp < low) {
    // A divisor of 1 leaves the dividend whole: drop its digits below low.
    const int32_t drop = static_cast<int32_t>(std::min<int64_t>(low - q->exp, q->count));
    std::memmove(q->digits(), q->digits() + drop, sizeof(uint32_t) * (q->count - drop));
    std::memset(q->digits() + (q->count - drop), 0, sizeof(uint32_t) * drop);
    q->count -= drop;
    q->exp = static_cast<int32_t>(low);
    StripLeadingZeros(*q);
    if (BigNumIsZero(*q)) q->exp = 0;
  }
  QUIB_ASSERT_SOUND_BIG(*q, kInternalBase);
  return q;
}

namespace {

// |b| 2^t as a new number.
BigPtr ShiftedByBits(const BigNum& b, int64_t t) {
  BigPtr power = AllocBigNum(1);
  power->sign = 1;
  power->count = 1;
  power->digits()[0] = 1u << (t % kWordBits);
  power->exp = CheckedCount(t / kWordBits);
  BigPtr r = BigNumProductInternal(b, *power);
  r->sign = 1;
  return r;
}

// The exponent of the subtrahend the doubling remainder loop forms for the
// partial remainder c (>= |b|): b shifted so that its top word meets c's,
// one word lower when its top digit is not below c's; b itself when |c| =
// |b|.
int64_t LoopSubtrahendExp(const BigNum& c, const BigNum& b) {
  if (BigNumEqualMagnitude(c, b)) return b.exp;
  int64_t exp = Span(c) - b.count;
  if (b.digits()[b.count - 1] >= c.digits()[c.count - 1]) --exp;
  return exp;
}

// Position of the lowest set bit of a non-zero q (exp 0); -1 for zero.
int64_t LowestSetBit(const BigNum& q) {
  for (int32_t i = 0; i < q.count; ++i) {
    if (q.digits()[i] != 0) {
      return int64_t{31} * i + __builtin_ctz(q.digits()[i]);
    }
  }
  return -1;
}

// Position of the lowest set bit of q above bit `above`; -1 for none.
int64_t NextSetBit(const BigNum& q, int64_t above) {
  for (int64_t bit = above + 1; bit < int64_t{31} * q.count; ++bit) {
    if ((q.digits()[bit / 31] >> (bit % 31)) & 1u) return bit;
    if (bit % 31 == 0 && q.digits()[bit / 31] == 0) bit += 30;
  }
  return -1;
}

// The remainder by subtracting from a the largest doubling of b (shifted to
// a's top word) that fits, until |a| < |b|: a pass per set bit of the
// quotient.
void RemainderByDoubling(BigPtr& a, const BigNum& b) {
  while (!BigNumLessMagnitude(*a, b) && !AbortRequested()) {
    BigPtr r = CopyBigNum(b);
    if (BigNumLessMagnitude(*r, *a)) {
      r->exp = static_cast<int32_t>(Span(*a) - r->count);
      if (r->digits()[r->count - 1] >= a->digits()[a->count - 1]) --r->exp;
    }
    BigPtr s = AllocBigNum(1);
    s->sign = 1;
    s->count = 1;
    while (BigNumLessMagnitude(*r, *a)) {
      s = CopyBigNum(*r);
      BigNumAdd(r, *s, kInternalBase);
    }
    if (BigNumLessMagnitude(*a, *r)) r = std::move(s);
    r->sign = -a->sign;
    BigNumAdd(a, *r, kInternalBase);
  }
}

}  // namespace

void BigNumRem(BigPtr& a, const BigNum& b) {
  if (&b == a.get()) {
    // a's block is replaced at the end, which b would then name: a mod a
    // works on a copy of the divisor.
    const BigPtr divisor = CopyBigNum(b);
    BigNumRem(a, *divisor);
    return;
  }
  // a - trunc(a / b) b, the quotient from the long division, written with
  // the exponent the doubling loop would give it. That loop subtracts from a
  // the largest |b| 2^t that fits, one set bit t of the quotient after the
  // other, each time as b shifted to the top of the partial remainder c and
  // doubled; every subtraction lowers the exponent to that shift, which only
  // falls as c does. So the loop's exponent is min(a.exp, the shift for the
  // last c), where the last c is the remainder plus |b| 2^t for the lowest
  // set bit t, and for the one before when that c equals b.
  if (BigNumLessMagnitude(*a, b) || AbortRequested()) return;
  if (BigNumIsZero(*a)) {
    // A zero above b's top word (see the end): no quotient bit to take.
    RemainderByDoubling(a, b);
    return;
  }
  int32_t bCount = b.count;
  while (bCount > 1 && b.digits()[bCount - 1] == 0) --bCount;
  const int64_t e = int64_t{a->exp} - b.exp;
  // trunc(|a| / |b|) = floor(A B^e / V) for digit arrays A, V: with e < 0
  // the quotient of A / V loses its -e lowest words.
  DivideResult d = DivideDigits<true>(a->digits(), a->count,
                                      CheckedCount(std::max<int64_t>(e, 0)), b.digits(),
                                      bCount, kInternalBase);
  BigNum& q = *d.quotient;
  if (e < 0) {
    const int32_t drop = static_cast<int32_t>(std::min<int64_t>(-e, q.count - 1));
    std::memmove(q.digits(), q.digits() + drop, sizeof(uint32_t) * (q.count - drop));
    std::memset(q.digits() + (q.count - drop), 0, sizeof(uint32_t) * drop);
    q.count -= drop;
  }
  q.exp = 0;
  q.sign = 1;
  StripLeadingZeros(q);
  BigPtr rem = BigNumSum(*a, 1, *BigNumProductInternal(q, b), -1, kInternalBase);

  // The loop's exponent.
  const int64_t lowest = LowestSetBit(q);
  BigPtr last = BigNumSum(*rem, 1, *ShiftedByBits(b, lowest), 1, kInternalBase);
  int64_t exp = std::min<int64_t>(a->exp, LoopSubtrahendExp(*last, b));
  if (BigNumEqualMagnitude(*last, b)) {
    const int64_t next = NextSetBit(q, lowest);
    if (next >= 0) {
      BigPtr before = BigNumSum(b, 1, *ShiftedByBits(b, next), 1, kInternalBase);
      exp = std::min(exp, LoopSubtrahendExp(*before, b));
    }
  }

  // rem's words from position exp up (at least one word).
  const bool zero = BigNumIsZero(*rem);
  const int64_t top = zero ? exp + 1 : Span(*rem);
  BigPtr r = AllocBigNum(CheckedCount(top - exp));
  r->count = static_cast<int32_t>(top - exp);
  r->exp = static_cast<int32_t>(exp);
  r->sign = zero ? 1 : a->sign;
  if (!zero) {
    for (int32_t i = 0; i < r->count; ++i) r->digits()[i] = DigitAt(*rem, exp + i);
  }
  // A zero above b's top word still compares as large as its span: the
  // doubling passes go on, on small numbers, taking it down word by word.
  if (zero && Span(*r) > Span(b)) RemainderByDoubling(r, b);
  a = std::move(r);
}

bool BigNumTrimWindow(BigNum& x, int32_t n) {
  if (x.count <= 0 || n <= 0) return false;
  const int32_t low = x.count > n ? x.count - n : 0;
  uint32_t* d = x.digits();
  if (d[low] != 0) return false;
  int32_t k = low;
  while (k < x.count && d[k] == 0) ++k;
  const int32_t keep = x.count - k;
  std::memmove(d, d + k, sizeof(uint32_t) * keep);
  std::memset(d + keep, 0, sizeof(uint32_t) * k);
  x.exp += k;
  x.count = keep;
  return true;
}

const char* BigNumFault(const BigNum& x, uint32_t base) {
  if (x.sign != 1 && x.sign != -1) return "sign is neither +1 nor -1";
  if (x.count < 1 || x.count > x.room) return "count outside 1 to room";
  if (Span(x) > INT32_MAX) return "span beyond int32_t";
  const uint32_t* d = x.digits();
  for (int32_t i = 0; i < x.count; ++i) {
    if (d[i] >= base) return "digit not below the base";
  }
  if (x.count > 1 && d[x.count - 1] == 0) return "leading zero digit";
  return nullptr;
}

void ArithInvariantBroken(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: arithmetic invariant broken: %s\n", file, line, what);
  std::abort();
}
