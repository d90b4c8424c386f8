#include "arith/radix_convert.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "arith/constants.h"
#include "arith/error.h"
#include "arith/settings.h"
#include "arith/words.h"

namespace {

// The largest radix power, in words, that RadixPowInternal builds. Beyond it
// the number is treated as too large to hold: its square-and-multiply would
// run for minutes before any allocation failed.
constexpr int64_t kMaxPowerWords = int64_t{1} << 20;

// A zero-filled block with room for n digits, taken like every number
// block (a failure throws ErrOutOfMemory); its header is set by the caller.
BigPtr AllocDigits(int64_t n) {
  if (n < 1) n = 1;
  if (n > INT32_MAX - 1) ThrowError(ErrOutOfMemory);
  return AllocBigNum(static_cast<int32_t>(n));
}

// Makes the first `count` digits of r (least significant first) its number:
// leading zero digits dropped, all zeros giving one digit 0 with exp 0 and
// sign +1.
void SetDigitsHeader(BigNum& r, int32_t count, int32_t exp, int32_t sign) {
  const uint32_t* digits = r.digits();
  while (count > 1 && digits[count - 1] == 0) --count;
  if (count <= 1 && digits[0] == 0) {
    r.sign = 1;
    r.count = 1;
    r.exp = 0;
    return;
  }
  r.sign = sign;
  r.count = count;
  r.exp = exp;
}

// The bit length of radix - 1: an upper bound of log2(radix), for the size
// estimate of a power.
int64_t BitsOfRadix(int32_t radix) {
  int64_t bits = 0;
  for (uint32_t r = static_cast<uint32_t>(radix - 1); r != 0; r >>= 1) ++bits;
  return bits < 1 ? 1 : bits;
}

// Half a unit in the radix: one digit radix/2 for an even radix; for an odd
// radix the digits of 10/2 in the radix as BigNumDiv gives them (1.111... in
// radix 3), so that rounding still splits at the middle.
BigPtr HalfUnit(int32_t radix) {
  const uint32_t base = static_cast<uint32_t>(radix);
  if (radix % 2 == 0) return BigNumFromInt(radix / 2, base);
  BigPtr h = BigNumFromInt(radix, base);
  BigPtr two = BigNumFromInt(2, base);
  BigNumDiv(h, *two, base);
  return h;
}

BigPtr ZeroDigits() {
  BigPtr zero = AllocDigits(1);
  SetDigitsHeader(*zero, 1, 0, 1);
  return zero;
}

int32_t DecimalDigitsOf(uint64_t k, int32_t radix) {
  int32_t count = 0;
  for (; k != 0; k /= static_cast<uint64_t>(radix)) ++count;
  return count;
}

// ---------------------------------------------------------------------------
// Exact conversion of a whole number on base-2^31 words to radix digits.
//
// The words are turned into limbs of the chunk base L = radix^k, k digits to
// a limb, by divide and conquer: a number of m limbs is split by L^h (h the
// largest power of two below m) into a quotient and a remainder of h limbs,
// each converted on its own, down to numbers of a few words, which take the
// quadratic method. L = 2^t O with O odd, so the split divides by the odd
// power O^h only, after shifting the t h low bits out (and back in below the
// remainder); in a radix that is a power of two there is nothing to divide.
// The radix is a template argument, so that every division by L and by the
// radix is one by a constant.

// Numbers of at most this many words are converted by the quadratic method.
constexpr int32_t kSplitWords = 24;

// The split by L^h, h = 2^j: the odd power O^h normalised for WordsDivRem,
// and t h, the bits shifted out.
struct SplitPower {
  BigPtr odd;         // O^h << norm, `words` words
  BigPtr plain;       // O^h
  int32_t words = 0;
  int norm = 0;
  int64_t bits = 0;
};

template <int32_t kRadix>
struct LimbRadix {
  static constexpr RadixChunk kChunk = RadixChunkFor(kRadix);
  static constexpr uint64_t kBase = kChunk.base;
  static constexpr int kTwos = [] {
    int t = 0;
    for (uint64_t b = kBase; b % 2 == 0; b /= 2) ++t;
    return t;
  }();
  static constexpr uint32_t kOdd = static_cast<uint32_t>(kBase >> kTwos);
};

int32_t TrimmedLength(const uint32_t* x, int32_t n) {
  while (n > 0 && x[n - 1] == 0) --n;
  return n;
}

// out[0, m) <- the limbs of x[0, n), quadratic: each word enters the limbs
// at the bottom after they move up by 31 bits. Limbs beyond m are dropped
// (only an aborted division leaves a number that needs more).
template <int32_t kRadix>
void LimbsQuadratic(uint32_t* out, int32_t m, const uint32_t* x, int32_t n) {
  constexpr uint64_t kBase = LimbRadix<kRadix>::kBase;
  int32_t used = 0;
  for (int32_t i = n - 1; i >= 0; --i) {
    uint64_t carry = x[i];
    for (int32_t k = 0; k < used; ++k) {
      const uint64_t t = (uint64_t{out[k]} << kWordBits) + carry;
      out[k] = static_cast<uint32_t>(t % kBase);
      carry = t / kBase;
    }
    while (carry != 0 && used < m) {
      out[used++] = static_cast<uint32_t>(carry % kBase);
      carry /= kBase;
    }
  }
}

// out[0, m) <- the limbs of x[0, n) < L^m (out zero on entry). levels[j]
// splits by L^(2^j).
template <int32_t kRadix>
void LimbsSplit(uint32_t* out, int32_t m, const uint32_t* x, int32_t n,
                const std::vector<SplitPower>& levels) {
  if (AbortRequested()) return;
  n = TrimmedLength(x, n);
  if (n == 0) return;
  if (n <= kSplitWords || m < 2) {
    LimbsQuadratic<kRadix>(out, m, x, n);
    return;
  }
  int32_t j = 0;
  while ((int32_t{2} << j) < m) ++j;
  const int32_t h = int32_t{1} << j;
  const SplitPower& p = levels[static_cast<size_t>(j)];

  // x = hi 2^s + lo, s = t h; hi = q O^h + rem; x = q L^h + (rem 2^s + lo).
  const int32_t sWords = static_cast<int32_t>(p.bits / kWordBits);
  const int sBits = static_cast<int>(p.bits % kWordBits);
  const int32_t hiWords = std::max(n - sWords, 0);
  const int32_t remWords = sWords + p.words + 2;
  BigPtr block = WordBuffer(2 * int64_t{hiWords} + remWords + 2);
  uint32_t* u = block->digits();          // hi, normalised: hiWords + 1 words
  uint32_t* q = u + hiWords + 1;          // quotient: hiWords words
  uint32_t* rem = q + hiWords;            // rem 2^s + lo: remWords words
  WordsShiftRight(u, x + sWords, hiWords, sBits);
  int32_t un = TrimmedLength(u, hiWords);
  int32_t qn = 0;
  int32_t rn = 0;  // words of rem (before the shift)
  if (p.words == 1 && p.plain->digits()[0] == 1) {
    std::copy(u, u + un, q);
    qn = un;
  } else if (un < p.words) {
    rn = un;
  } else if (p.words == 1) {
    std::copy(u, u + un, q);
    u[0] = WordsDivWord(q, un, p.plain->digits()[0]);
    qn = un;
    rn = 1;
  } else {
    u[un] = WordsShiftLeft(u, u, un, p.norm);
    WordsDivRem(q, u, un, p.odd->digits(), p.words);
    qn = un - p.words + 1;
    WordsShiftRight(u, u, p.words, p.norm);
    rn = p.words;
  }
  // rem 2^s + lo: rem shifted up s bits, the low s bits of x below it.
  if (rn > 0) rem[sWords + rn] = WordsShiftLeft(rem + sWords, u, rn, sBits);
  std::copy(x, x + std::min(n, sWords), rem);
  if (sBits != 0 && n > sWords) rem[sWords] |= x[sWords] & ((uint32_t{1} << sBits) - 1);
  LimbsSplit<kRadix>(out, h, rem, sWords + rn + 1, levels);
  LimbsSplit<kRadix>(out + h, m - h, q, qn, levels);
}

template <int32_t kRadix>
void ToRadixDigits(uint32_t* digits, int64_t limbCount, const uint32_t* x, int32_t n) {
  using R = LimbRadix<kRadix>;
  const int32_t m = static_cast<int32_t>(limbCount);
  // The splits the conversion can reach: L^(2^j) for 2^j < m.
  std::vector<SplitPower> levels;
  if (TrimmedLength(x, n) > kSplitWords) {
    for (int32_t j = 0; (int32_t{1} << j) < m; ++j) {
      SplitPower p;
      if (j == 0) {
        p.plain = WordBuffer(1);
        p.plain->digits()[0] = R::kOdd;
        p.words = 1;
      } else {
        const SplitPower& below = levels.back();
        p.plain = WordBuffer(2 * int64_t{below.words});
        WordsMultiply(p.plain->digits(), below.plain->digits(), below.words,
                      below.plain->digits(), below.words);
        p.words = TrimmedLength(p.plain->digits(), 2 * below.words);
        if (p.words == 0) return;  // an aborted product
      }
      p.bits = int64_t{R::kTwos} << j;
      const uint32_t top = p.plain->digits()[p.words - 1];
      while ((top << p.norm) < (uint32_t{1} << (kWordBits - 1))) ++p.norm;
      p.odd = WordBuffer(p.words);
      WordsShiftLeft(p.odd->digits(), p.plain->digits(), p.words, p.norm);
      levels.push_back(std::move(p));
    }
  }
  BigPtr limbs = WordBuffer(m);
  LimbsSplit<kRadix>(limbs->digits(), m, x, n, levels);
  // Limbs to digits, least significant first (digits is zero on entry).
  for (int32_t k = 0; k < m; ++k) {
    uint32_t limb = limbs->digits()[k];
    for (int32_t i = 0; i < R::kChunk.digits && limb != 0; ++i) {
      digits[int64_t{k} * R::kChunk.digits + i] = limb % kRadix;
      limb /= kRadix;
    }
  }
}

// digits[0, limbCount * k) <- the radix digits of x[0, n) (least significant
// first, zero-filled above), where L^limbCount > x. Stops early, with
// meaningless digits, when AbortFlag is set.
void WordsToRadixDigits(uint32_t* digits, int64_t limbCount, const uint32_t* x,
                        int32_t n, int32_t radix) {
  switch (radix) {
    case 2: return ToRadixDigits<2>(digits, limbCount, x, n);
    case 3: return ToRadixDigits<3>(digits, limbCount, x, n);
    case 4: return ToRadixDigits<4>(digits, limbCount, x, n);
    case 5: return ToRadixDigits<5>(digits, limbCount, x, n);
    case 6: return ToRadixDigits<6>(digits, limbCount, x, n);
    case 7: return ToRadixDigits<7>(digits, limbCount, x, n);
    case 8: return ToRadixDigits<8>(digits, limbCount, x, n);
    case 9: return ToRadixDigits<9>(digits, limbCount, x, n);
    case 10: return ToRadixDigits<10>(digits, limbCount, x, n);
    case 11: return ToRadixDigits<11>(digits, limbCount, x, n);
    case 12: return ToRadixDigits<12>(digits, limbCount, x, n);
    case 13: return ToRadixDigits<13>(digits, limbCount, x, n);
    case 14: return ToRadixDigits<14>(digits, limbCount, x, n);
    case 15: return ToRadixDigits<15>(digits, limbCount, x, n);
    default: return ToRadixDigits<16>(digits, limbCount, x, n);
  }
}

}  // namespace

BigPtr InternalToDigits(const BigNum& v, int32_t radix) {
  const uint32_t base = static_cast<uint32_t>(radix);
  const int32_t w = static_cast<int32_t>(
      std::clamp<int64_t>(int64_t{WorkingPrecision} + 1, 0, v.count));
  const int32_t skipped = v.span() - w;

  // The top w words as an exact integer.
  const RadixChunk chunk = RadixChunkFor(radix);
  int64_t limbBits = 0;  // floor(log2(chunk.base)): bits a limb carries at least
  for (uint64_t b = chunk.base; b > 1; b >>= 1) ++limbBits;
  const int64_t limbCount = int64_t{w} * kWordBits / limbBits + 2;
  BigPtr r = AllocDigits(limbCount * chunk.digits);
  WordsToRadixDigits(r->digits(), limbCount, v.digits() + (v.count - w), w, radix);
  const int32_t count = static_cast<int32_t>(limbCount * chunk.digits);
  SetDigitsHeader(*r, count, 0, 1);
  if (skipped > 0) {
    // The words left out count as (2^31)^skipped; BigNumPow cuts its running
    // squares to P + R digits.
    BigPtr scale = AllocDigits(32);
    int32_t scaleCount = 0;
    for (uint64_t m = kInternalBase; m != 0; m /= base) {
      scale->digits()[scaleCount++] = static_cast<uint32_t>(m % base);
    }
    SetDigitsHeader(*scale, scaleCount, 0, 1);
    BigNumPow(scale, skipped, base);
    BigNumMul(r, *scale, base);
  }
  r->sign = v.sign;
  return r;
}

BigPtr RadixPowInternal(int32_t radix, int32_t n) {
  if (n <= 0) return BigNumFromInt(1, kInternalBase);
  if (int64_t{n} * BitsOfRadix(radix) / kWordBits > kMaxPowerWords) {
    ThrowError(ErrOutOfMemory);
  }
  BigPtr p = BigNumFromInt(radix, kInternalBase);
  BigNumPowInternal(p, n);
  return p;
}

BigPtr DigitsToInternal(const BigNum& d) {
  return DigitsToInternal(d, BigNumToInt(*RadixBig, kInternalBase));
}

BigPtr DigitsToInternal(const BigNum& d, int32_t radix) {
  assert(d.exp >= 0 && "DigitsToInternal reads integers only");
  // Horner's rule a chunk of digits at a time, on base-2^31 words (any exact
  // conversion gives the same words as one digit at a time).
  const RadixChunk chunk = RadixChunkFor(radix);
  BigPtr v = AllocDigits(int64_t{d.count} * BitsOfRadix(radix) / kWordBits + 2);
  uint32_t* words = v->digits();
  int32_t count = 0;
  const uint32_t* digits = d.digits();
  int32_t i = d.count - 1;
  while (i >= 0) {
    uint64_t multiplier = 1;
    uint64_t value = 0;
    for (int32_t k = 0; k < chunk.digits && i >= 0; ++k, --i) {
      value = value * static_cast<uint64_t>(radix) + digits[i];
      multiplier *= static_cast<uint64_t>(radix);
    }
    uint64_t carry = value;
    for (int32_t k = 0; k < count; ++k) {
      const uint64_t t = uint64_t{words[k]} * multiplier + carry;
      words[k] = static_cast<uint32_t>(t & kWordMask);
      carry = t >> kWordBits;
    }
    while (carry != 0) {
      words[count++] = static_cast<uint32_t>(carry & kWordMask);
      carry >>= kWordBits;
    }
  }
  SetDigitsHeader(*v, count, 0, 1);
  if (d.exp > 0 && !BigNumIsZero(*v)) {
    BigPtr power = RadixPowInternal(radix, d.exp);
    BigNumMulInternal(v, *power);
  }
  if (!BigNumIsZero(*v)) v->sign = d.sign;
  return v;
}

Rational DigitsToRational(const BigNum& d, int32_t radix) {
  BigPtr n = CopyBigNum(d);
  int64_t denominatorPower = 0;
  if (n->exp < 0) {
    denominatorPower = -int64_t{n->exp};
    n->exp = 0;
  }
  if (denominatorPower > INT32_MAX) ThrowError(ErrOutOfMemory);
  Rational r;
  r.num = DigitsToInternal(*n, radix);
  r.den = RadixPowInternal(radix, static_cast<int32_t>(denominatorPower));
  return r;
}

int32_t ExponentDigitCount(int32_t n) {
  return ExponentDigitCount(n, settings.radix);
}

int32_t ExponentDigitCount(int32_t n, int32_t radix) {
  const int64_t k = int64_t{n} - 1;
  return DecimalDigitsOf(static_cast<uint64_t>(k < 0 ? -k : k), radix);
}

BigPtr RatToRadixDigits(Rational& x, int32_t radix) {
  const int32_t common = std::max(std::min(x.num->exp, x.den->exp), 0);
  x.num->exp -= common;
  x.den->exp -= common;
  BigPtr n = InternalToDigits(*x.num, radix);
  BigPtr d = InternalToDigits(*x.den, radix);
  // An abort can leave the denominator unfinished, even zero; the text is
  // meaningless then, but the division must not be asked to divide by zero.
  if (BigNumIsZero(*d)) return ZeroDigits();
  BigNumDiv(n, *d, static_cast<uint32_t>(radix));
  return n;
}

DigitsLayout DigitsRound(BigPtr& n, int32_t radix, int32_t mode) {
  const int32_t p = WorkingPrecision;
  const uint32_t base = static_cast<uint32_t>(radix);
  DigitsLayout layout{};
  if (BigNumIsZero(*n)) {
    n = ZeroDigits();
    layout.shown = 0;
    layout.point = 1;
    layout.scientific = mode == kDisplayScientific;
    layout.exponent = 0;
    layout.negative = false;
    return layout;
  }
  for (;;) {
    BigNumTrimWindow(*n, p + 2);
    const int32_t count = n->count;
    const int32_t point = n->span();
    int32_t shown = std::min(count, p);
    bool scientific = true;
    if (mode != kDisplayScientific) {
      scientific = int64_t{shown} - point > int64_t{p} + 2 ||
                   int64_t{point} > int64_t{p} + 3;
      const int32_t expDigits = ExponentDigitCount(point, radix);
      if (scientific && shown + expDigits - 1 > p) {
        // Each exponent digit beyond the first costs one mantissa digit; at
        // least one digit stays even at a tiny precision.
        shown = std::max(p - expDigits + 1, 1);
      }
    }
    layout.shown = shown;
    layout.point = point;
    layout.scientific = scientific;
    if (count > shown) {
      // Half a unit of the last shown digit, added to the magnitude; its top
      // digit sits right below the last shown digit.
      BigPtr h = HalfUnit(radix);
      h->exp += (point - shown) - h->span();
      h->sign = n->sign;
      BigNumAdd(n, *h, base);
      // The shown digits turned into trailing zeros, or a carry made a new
      // leading digit: the number is shorter now, lay it out afresh.
      if (BigNumTrimWindow(*n, n->span() - h->span())) continue;
    } else {
      BigNumTrimWindow(*n, p);
    }
    break;
  }
  if (layout.scientific) {
    layout.exponent = layout.point - 1;
    layout.point = 1;
  }
  layout.negative = n->sign < 0 && layout.shown > 0;
  return layout;
}

int32_t DigitsTextLength(const DigitsLayout& layout, int32_t radix) {
  int64_t length = layout.negative ? 1 : 0;
  if (!layout.scientific && layout.point <= 0) {
    length += 2 + int64_t{-layout.point} + layout.shown;
  } else {
    length += std::max(layout.shown, layout.point) + 1;
  }
  if (layout.scientific) {
    const int64_t e = layout.exponent;
    length += 2 + std::max(DecimalDigitsOf(static_cast<uint64_t>(e < 0 ? -e : e),
                                           radix),
                           1);
  }
  if (length > INT32_MAX) ThrowError(ErrOutOfMemory);
  return static_cast<int32_t>(length);
}

BigPtr DigitsAsParsed(const BigNum& n, const DigitsLayout& layout,
                      int32_t radix) {
  if (layout.shown <= 0) return ZeroDigits();
  // Reading the text back stores the shown digits and, for every other
  // character, a zero digit below them; its trim to P digits removes those
  // zeros again unless the P-th digit is the last shown one, which is never
  // zero.
  int64_t padding = 0;
  if (layout.shown == WorkingPrecision) {
    padding = DigitsTextLength(layout, radix) - int64_t{layout.shown};
  }
  const int64_t exp = int64_t{n.span()} - layout.shown - padding;
  if (exp < INT32_MIN) ThrowError(ErrOutOfMemory);
  BigPtr r = AllocDigits(padding + layout.shown);
  const uint32_t* top = n.digits() + (n.count - layout.shown);
  std::copy(top, top + layout.shown, r->digits() + padding);
  SetDigitsHeader(*r, static_cast<int32_t>(padding + layout.shown),
                  static_cast<int32_t>(exp), n.sign);
  return r;
}

Rational RatRoundToDisplay(Rational& x) {
  const int32_t radix = settings.radix;
  BigPtr n = RatToRadixDigits(x, radix);
  const DigitsLayout layout = DigitsRound(n, radix, kDisplayAuto);
  BigPtr parsed = DigitsAsParsed(*n, layout, radix);
  return DigitsToRational(*parsed, radix);
}

namespace {

// The most radix digits (and words of shift) the word path scales a value
// by; values further from 1 go the general way.
constexpr int32_t kMaxWordScaleDigits = 4000;

// True when |a| (count words) is at least radix^p, kept as words.
bool WordsAtLeastPower(const uint32_t* a, int32_t count,
                       const std::vector<uint32_t>& power) {
  while (count > 1 && a[count - 1] == 0) --count;
  const int32_t pn = static_cast<int32_t>(power.size());
  if (count != pn) return count > pn;
  return WordsCompare(a, power.data(), count) >= 0;
}

// RadixChunkFor with a base below 2^31, a factor the word routines take.
RadixChunk WordChunk(int32_t radix) {
  RadixChunk c = RadixChunkFor(radix);
  if (c.base >= kInternalBase) {
    c.base /= static_cast<uint64_t>(radix);
    --c.digits;
  }
  return c;
}

// radix^k as base-2^31 words, the last few kept per thread.
const std::vector<uint32_t>& RadixPowerWords(int32_t radix, int32_t k) {
  thread_local struct {
    int32_t radix = 0;
    int32_t k = -1;
    std::vector<uint32_t> words;
  } cache[4];
  thread_local int32_t next = 0;
  for (auto& c : cache) {
    if (c.radix == radix && c.k == k) return c.words;
  }
  auto& c = cache[next];
  next = (next + 1) % 4;
  c.radix = 0;
  c.words.assign(1, 1u);
  const RadixChunk chunk = WordChunk(radix);
  for (int32_t left = k; left > 0; left -= chunk.digits) {
    uint32_t m = 1;
    for (int32_t i = 0; i < std::min(left, chunk.digits); ++i) {
      m *= static_cast<uint32_t>(radix);
    }
    const uint32_t carry = WordsMulWord(c.words.data(),
                                        static_cast<int32_t>(c.words.size()), m);
    if (carry != 0) c.words.push_back(carry);
  }
  c.radix = radix;
  c.k = k;
  return c.words;
}

// RatRoundToPrecision for x whose denominator is a power of 2^31 (the fixed-
// point results of the function evaluators) in an even radix, with integer
// operations only: the magnitude scaled by a radix power and shifted, the
// half unit read from the bits shifted out. Gives the same Rational as the
// digit path (trailing zero digits removed, the denominator a radix power);
// false where it does not apply (the caller takes the digit path then).
bool RoundByWords(const Rational& x, int32_t radix, int32_t p, Rational& out) {
  const BigNum& num = *x.num;
  const BigNum& den = *x.den;
  if (radix % 2 != 0 || p < 1 || den.count != 1 || den.digits()[0] != 1 ||
      BigNumIsZero(num)) {
    return false;
  }
  int32_t radixBits = 0;  // log2 radix for a power of two, else 0
  if ((radix & (radix - 1)) == 0) {
    for (int32_t r = radix; r > 1; r >>= 1) ++radixBits;
  }
  const int32_t sign = num.sign * den.sign;
  const int64_t shift = int64_t{kWordBits} * (int64_t{num.exp} - den.exp);
  const uint32_t* a = num.digits();
  int32_t an = num.count;
  while (an > 1 && a[an - 1] == 0) --an;
  double top = static_cast<double>(a[an - 1]);
  if (an >= 2) top += static_cast<double>(a[an - 2]) / kInternalBase;
  const double log2x = std::log2(top) + double{kWordBits} * (an - 1) + shift;
  // The radix exponent of the last digit kept: |x| / radix^e in
  // [radix^(p-1), radix^p).
  int64_t e = static_cast<int64_t>(std::floor(log2x / std::log2(static_cast<double>(radix)))) + 1 - p;
  const std::vector<uint32_t> upper = RadixPowerWords(radix, p);
  const std::vector<uint32_t> lower = RadixPowerWords(radix, p - 1);
  std::vector<uint32_t> m;
  for (int attempt = 0;; ++attempt) {
    if (attempt == 3) return false;
    // |x| / radix^e = a 2^bits radix^k.
    int64_t bits = shift;
    int64_t k = 0;
    if (e <= 0) {
      k = -e;
    } else if (radixBits != 0) {
      bits -= e * radixBits;
    } else {
      return false;
    }
    if (k > kMaxWordScaleDigits) return false;
    const std::vector<uint32_t>& scale = RadixPowerWords(radix, static_cast<int32_t>(k));
    const int32_t vn = an + static_cast<int32_t>(scale.size());
    std::vector<uint32_t> v(static_cast<size_t>(vn), 0u);
    WordsMultiply(v.data(), a, an, scale.data(), vn - an);
    bool roundUp = false;
    if (bits > 0) {
      if (bits / kWordBits > kMaxWordScaleDigits) return false;
      const int32_t wordsUp = static_cast<int32_t>(bits / kWordBits);
      const int32_t b = static_cast<int32_t>(bits % kWordBits);
      m.assign(static_cast<size_t>(vn + wordsUp + 1), 0u);
      uint32_t carry = 0;
      for (int32_t i = 0; i < vn; ++i) {
        const uint64_t t = (uint64_t{v[static_cast<size_t>(i)]} << b) | carry;
        m[static_cast<size_t>(i + wordsUp)] = static_cast<uint32_t>(t & kWordMask);
        carry = static_cast<uint32_t>(t >> kWordBits);
      }
      m[static_cast<size_t>(vn + wordsUp)] = carry;
    } else if (bits < 0) {
      const int64_t t = -bits;
      if (t > int64_t{vn} * kWordBits) {
        m.assign(1, 0u);  // below any unit: e is far too high
      } else {
        const int32_t wordsDown = static_cast<int32_t>(t / kWordBits);
        const int32_t b = static_cast<int32_t>(t % kWordBits);
        const int64_t halfBit = t - 1;  // the top bit shifted out
        roundUp = ((v[static_cast<size_t>(halfBit / kWordBits)] >> (halfBit % kWordBits)) & 1u) != 0;
        const int32_t mn = std::max(vn - wordsDown, 1);
        m.assign(static_cast<size_t>(mn), 0u);
        for (int32_t i = 0; i + wordsDown < vn; ++i) {
          const uint64_t lo = v[static_cast<size_t>(i + wordsDown)];
          const uint64_t hi = i + wordsDown + 1 < vn ? v[static_cast<size_t>(i + wordsDown + 1)] : 0;
          m[static_cast<size_t>(i)] =
              static_cast<uint32_t>(((lo >> b) | (hi << (kWordBits - b))) & kWordMask);
        }
      }
    } else {
      m = std::move(v);
    }
    const int32_t mcount = static_cast<int32_t>(m.size());
    if (WordsAtLeastPower(m.data(), mcount, upper)) {
      ++e;
      continue;
    }
    if (!WordsAtLeastPower(m.data(), mcount, lower)) {
      --e;
      continue;
    }
    if (roundUp) {
      m.push_back(0u);
      const uint32_t one = 1;
      WordsAddInto(m.data(), static_cast<int32_t>(m.size()), &one, 1);
    }
    break;
  }
  // Trailing zero digits go, as the digit path drops them: a whole limb of
  // digits at a time, then one by one.
  int32_t mn = static_cast<int32_t>(m.size());
  while (mn > 1 && m[static_cast<size_t>(mn - 1)] == 0) --mn;
  const RadixChunk chunk = WordChunk(radix);
  std::vector<uint32_t> q;
  for (const auto& [divisor, digits] :
       {std::pair{static_cast<uint32_t>(chunk.base), chunk.digits},
        std::pair{static_cast<uint32_t>(radix), 1}}) {
    for (;;) {
      q.assign(m.begin(), m.begin() + mn);
      if (WordsDivWord(q.data(), mn, divisor) != 0) break;
      std::copy(q.begin(), q.end(), m.begin());
      e += digits;
      while (mn > 1 && m[static_cast<size_t>(mn - 1)] == 0) --mn;
    }
  }
  if (e > INT32_MAX || e < -int64_t{INT32_MAX}) return false;
  BigPtr n = AllocDigits(mn);
  std::copy(m.begin(), m.begin() + mn, n->digits());
  SetDigitsHeader(*n, mn, 0, sign);
  if (e > 0) {
    BigPtr power = RadixPowInternal(radix, static_cast<int32_t>(e));
    BigNumMulInternal(n, *power);
  }
  n->sign = sign;
  out.num = std::move(n);
  const std::vector<uint32_t>& power = RadixPowerWords(radix, e < 0 ? static_cast<int32_t>(-e) : 0);
  const int32_t dn = static_cast<int32_t>(power.size());
  out.den = AllocDigits(dn);
  std::copy(power.begin(), power.end(), out.den->digits());
  SetDigitsHeader(*out.den, dn, 0, 1);
  return true;
}

}  // namespace

Rational RatRoundToPrecision(Rational& x) {
  Rational r;
  if (RoundByWords(x, settings.radix, WorkingPrecision, r)) return r;
  return RatRoundToPrecisionByDigits(x);
}

Rational RatRoundToPrecisionByDigits(Rational& x) {
  const int32_t radix = settings.radix;
  BigPtr n;
  {
    // Converted with two words more than the rounding reads, so that long
    // components (values far from 1) lose nothing the rounding could see.
    PrecisionRaise raise(WorkingPrecision + 2 * DigitsPerWord);
    n = RatToRadixDigits(x, radix);
  }
  const DigitsLayout layout = DigitsRound(n, radix, kDisplayScientific);
  if (layout.shown <= 0) return RatFromInt(0);
  // The top `shown` digits, with the place of the lowest of them.
  BigPtr top = AllocDigits(layout.shown);
  std::copy(n->digits() + (n->count - layout.shown), n->digits() + n->count,
            top->digits());
  SetDigitsHeader(*top, layout.shown, n->span() - layout.shown, n->sign);
  return DigitsToRational(*top, radix);
}
