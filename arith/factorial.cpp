#include "arith/factorial.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <utility>

#include "arith/constants.h"
#include "arith/error.h"
#include "arith/exp_log.h"
#include "arith/integer.h"
#include "arith/settings.h"
#include "arith/trig.h"
#include "arith/words.h"

namespace {

// ---------------------------------------------------------------------------
// Exact products of whole numbers on raw words.
//
// The words are base-2^31 digits, least significant first, held in BigNum
// blocks used as plain buffers (so every allocation goes through the one
// allocation function and is capped like any number). The products come from
// WordsMultiply, which polls the abort flag.

using Word = uint32_t;

// Words a leaf of a product tree holds, about.
constexpr int32_t kLeafWords = 16;

// x <- x * w in place, w < 2^31; x needs room for one more word.
void MulWordInPlace(BigNum& x, uint64_t w) {
  const Word carry = WordsMulWord(x.digits(), x.count, static_cast<Word>(w));
  if (carry != 0) x.digits()[x.count++] = carry;
}

// The product of two positive whole numbers (exp 0) in a new block.
BigPtr Product(const BigNum& a, const BigNum& b) {
  BigPtr r = WordBuffer(int64_t{a.count} + b.count);
  WordsMultiply(r->digits(), a.digits(), a.count, b.digits(), b.count);
  r->sign = 1;
  r->exp = 0;
  r->count = a.count + b.count;
  while (r->count > 1 && r->digits()[r->count - 1] == 0) --r->count;
  return r;
}

// x 2^bits in a new block, for a positive whole x (exp 0).
BigPtr ShiftedUp(const BigNum& x, int64_t bits) {
  const int64_t words = bits / kWordBits;
  BigPtr r = WordBuffer(words + x.count + 1);
  Word* d = r->digits();
  d[words + x.count] = WordsShiftLeft(d + words, x.digits(), x.count,
                                      static_cast<int>(bits % kWordBits));
  r->sign = 1;
  r->exp = 0;
  r->count = static_cast<int32_t>(words) + x.count + 1;
  while (r->count > 1 && d[r->count - 1] == 0) --r->count;
  return r;
}

// The product of factor(lo) .. factor(hi - 1) (lo < hi), each at most
// `bits` bits long. Ranges whose product fits in about kLeafWords words are
// multiplied out a word at a time (consecutive factors packed into single
// words); longer ones are halved, so that every product pairs operands of
// about the same length. An abort ends it with a meaningless value.
template <class Factor>
BigPtr TreeProduct(uint32_t lo, uint32_t hi, int bits, const Factor& factor) {
  const int64_t total = static_cast<int64_t>(hi - lo) * bits;
  if (total > int64_t{kLeafWords} * kWordBits) {
    const uint32_t mid = lo + (hi - lo) / 2;
    BigPtr a = TreeProduct(lo, mid, bits, factor);
    if (AbortRequested()) return a;
    BigPtr b = TreeProduct(mid, hi, bits, factor);
    if (AbortRequested()) return a;
    return Product(*a, *b);
  }
  BigPtr leaf = WordBuffer(total / kWordBits + 2);
  leaf->sign = 1;
  leaf->count = 1;
  leaf->digits()[0] = 1;
  uint32_t i = lo;
  while (i < hi) {
    uint64_t packed = factor(i++);
    while (i < hi && packed * factor(i) <= kWordMask) packed *= factor(i++);
    MulWordInPlace(*leaf, packed);
  }
  return leaf;
}

// The product of the odd parts of lo .. hi - 1 (2 <= lo < hi).
BigPtr OddProduct(uint32_t lo, uint32_t hi) {
  return TreeProduct(lo, hi, std::bit_width(hi),
                     [](uint32_t k) { return uint64_t{k >> std::countr_zero(k)}; });
}

// n! by the swing method: its odd part is that of floor(n/2)! squared times
// that of n! / floor(n/2)!^2, whose exponent of a prime p is the number of
// odd floor(n / p^k), k >= 1, and each of whose prime powers is at most n.
// It multiplies about half as much as the plain product of the factors, at
// the cost of a sieve of the odd numbers up to n, which bounds the n it is
// used for.
constexpr uint32_t kSwingMin = 256;
constexpr uint32_t kSwingMax = uint32_t{1} << 26;

// Bit (k - 1) / 2 of the result is set for every odd composite k <= n.
// Polls the abort flag every 4096 marks (the pass of 3 alone marks n/6).
BigPtr OddCompositeSieve(uint32_t n) {
  BigPtr sieve = WordBuffer(int64_t{n} / 64 + 2);
  Word* bits = sieve->digits();
  for (uint64_t p = 3; p * p <= n && !AbortRequested(); p += 2) {
    if ((bits[(p - 1) / 2 / 32] >> ((p - 1) / 2 % 32)) & 1) continue;
    for (uint64_t k = p * p; k <= n;) {
      const uint64_t end = std::min<uint64_t>(n, k + 2 * p * 4095);
      for (; k <= end; k += 2 * p) bits[(k - 1) / 2 / 32] |= 1u << ((k - 1) / 2 % 32);
      if (k <= n && AbortRequested()) return sieve;
    }
  }
  return sieve;
}

// The odd part of n! / floor(n/2)!^2: the prime powers listed, then
// multiplied by the tree.
BigPtr OddSwing(uint32_t n, const Word* composite) {
  auto isPrime = [composite](uint32_t k) {
    return ((composite[(k - 1) / 2 / 32] >> ((k - 1) / 2 % 32)) & 1) == 0;
  };
  int64_t primes = 0;
  for (uint32_t k = 3; k <= n; k += 2) primes += isPrime(k) ? 1 : 0;
  BigPtr list = WordBuffer(primes + 1);
  Word* powers = list->digits();
  uint32_t count = 0;
  for (uint32_t p = 3; p <= n; p += 2) {
    if (!isPrime(p)) continue;
    uint32_t power = 1;
    for (uint32_t q = n / p; q != 0; q /= p) {
      if (q & 1) power *= p;
    }
    if (power != 1) powers[count++] = power;
  }
  if (count == 0) return BigNumFromInt(1, kInternalBase);
  return TreeProduct(0, count, std::bit_width(n),
                     [powers](uint32_t i) { return uint64_t{powers[i]}; });
}

// The odd part of n!.
BigPtr OddFactorial(uint32_t n, const Word* composite) {
  if (n < kSwingMin) {
    return n < 2 ? BigNumFromInt(1, kInternalBase) : OddProduct(2, n + 1);
  }
  BigPtr half = OddFactorial(n / 2, composite);
  if (AbortRequested()) return half;
  BigPtr square = Product(*half, *half);
  half.reset();
  if (AbortRequested()) return square;
  BigPtr swing = OddSwing(n, composite);
  if (AbortRequested()) return square;
  return Product(*square, *swing);
}

// n! for n < 2^31, exact: its odd part shifted up by its power of two,
// n - (the ones of n in binary), about a twelfth of its words.
BigPtr ExactFactorial(uint32_t n) {
  if (n < 2) return BigNumFromInt(1, kInternalBase);
  const int64_t twos = int64_t{n} - std::popcount(n);
  BigPtr odd;
  if (n < kSwingMin || n > kSwingMax) {
    // Beyond kSwingMax the product runs until aborted or refused anyway.
    odd = OddProduct(2, n + 1);
  } else {
    BigPtr sieve = OddCompositeSieve(n);
    odd = OddFactorial(n, sieve->digits());
  }
  // An aborted product is meaningless: not worth a block of n/31 words.
  if (AbortRequested()) return odd;
  return ShiftedUp(*odd, twos);
}

// ---------------------------------------------------------------------------

// |v| below radix^-P by the sizes of its components alone.
bool Negligible(const Rational& v) {
  const int64_t words = int64_t{v.num->span()} - v.den->span();
  return words * DigitsPerWord <= -int64_t{WorkingPrecision};
}

bool DenominatorIsOne(const Rational& x) {
  return BigNumEqualMagnitude(*x.den, *BigOne);
}

// x! for a whole x >= 0: the exact product, over 1.
Rational WholeFactorial(const Rational& x) {
  BigPtr whole = CopyBigNum(*x.num);
  if (!DenominatorIsOne(x)) BigNumDivInternal(whole, *x.den);  // exact
  whole->sign = 1;
  Rational result;
  result.den = BigNumFromInt(1, kInternalBase);
  if (whole->exp == 0 && whole->count == 1) {
    result.num = ExactFactorial(whole->digits()[0]);
    return result;
  }
  // From 2^31 on, more than 2^30 of the factors are at least 2^30: the
  // product has over 2^35 bits, far more than the largest block holds. The
  // multiplying would only end when the user aborts it or its block is
  // finally refused, so it is refused at once.
  ThrowError(ErrOutOfMemory);
}

}  // namespace

void Factorial(Rational& x) {
  Rational f = CopyRational(x);
  if (DenominatorIsOne(f)) {
    f = RatFromInt(0);
  } else {
    RatFrac(f);  // stops early, with a meaningless value, on an abort
    if (AbortRequested()) return;
  }
  const bool whole = RatIsZero(f);
  const int32_t sign = RatSign(x);
  // Negative and at (or negligibly near) a whole number is a pole of
  // Gamma(x + 1), except next to 0, where x! is 1.
  if (sign < 0 && (whole || Negligible(f)) && !Negligible(x)) {
    ThrowError(ErrInvalidInput);
  }
  if (whole && sign >= 0) {
    Rational result = WholeFactorial(x);
    x = std::move(result);
    return;
  }

  Rational p = RatFromInt(1);
  Rational v = CopyRational(x);
  while (RatSign(v) > 0 && !AbortRequested()) {
    if (Negligible(v)) break;
    RatMul(p, v);
    RatSub(v, RatOne);
  }
  // An aborted loop leaves x far from (0, 1]: nothing more is computed.
  if (AbortRequested()) return;
  if (Negligible(v)) {
    // A whole number up to a remainder below the precision.
    v = RatFromInt(0);
    RatInt(p);
  }
  while (RatLess(v, RatMinusOne) && !AbortRequested()) {
    RatAdd(v, RatOne);
    RatDiv(p, v);
  }
  if (AbortRequested()) return;
  if (!RatIsZero(v)) {
    RatAdd(v, RatOne);  // now in (0, 1]
    GammaSeries(v);
    RatMul(v, p);
  } else {
    v = std::move(p);
  }
  x = std::move(v);
}

void GammaSeries(Rational& x) {
  const int32_t p0 = WorkingPrecision;
  const Rational x0 = CopyRational(x);

  // Cut-off K = P0 ln r + 3 + x0 ln(P0 ln r + 2): the tail beyond K,
  // about K^(x0 - 1) e^-K, is below r^-P0.
  Rational lnRadix = CopyRational(RadixRat);
  NaturalLog(lnRadix);
  Rational k = RatFromInt(p0);
  RatMul(k, lnRadix);
  RatAdd(k, RatTwo);
  {
    Rational lnK = CopyRational(k);
    NaturalLog(lnK);
    RatMul(lnK, x0);
    RatAdd(k, lnK);
  }
  RatAdd(k, RatOne);

  // ln K serves the guard digits and K^x0.
  Rational lnK = CopyRational(k);
  NaturalLog(lnK);

  // Guard digits for terms as large as about e^K: the integer part of
  // S = ln(K^(x0 + 3/2) e^K) - ln r = (x0 + 3/2) ln K + K - ln r.
  int32_t guard = 0;
  {
    Rational s = RatFromInt(3);
    RatDiv(s, RatTwo);
    RatAdd(s, x0);
    RatMul(s, lnK);
    RatAdd(s, k);
    RatSub(s, lnRadix);
    guard = std::max(RatToInt(s), 0);
  }

  // U = K^x0, the factor that turns the sum into the incomplete gamma
  // function, is needed to the entry precision only: e^(x0 ln K), as Power
  // forms it for an exponent that is not whole.
  Rational u = CopyRational(lnK);
  RatMul(u, x0);
  Exponential(u);

  PrecisionRaise raise(p0 + guard);

  Rational d = RatFromInt(1);  // (2j)! / K^(2j)
  uint64_t n = 0;
  Rational kSquared = CopyRational(k);
  RatMul(kSquared, k);

  // The terms of index 0 and 1: 1/x0 - K/(x0 + 1).
  Rational sum = RatFromInt(1);
  RatDiv(sum, x0);
  {
    Rational t = CopyRational(x0);
    RatAdd(t, RatOne);
    Rational second = CopyRational(k);
    RatDiv(second, t);
    RatSub(sum, second);
  }

  // r^(-P0 - 1), by the repeated squaring Power uses for a whole exponent
  // (without its logarithmic range check, far from binding here).
  Rational limit = CopyRational(RadixRat);
  RatPowInt(limit, -p0);
  RatDiv(limit, RadixRat);

  Rational y = CopyRational(x0);
  Rational w = RatFromInt(2);
  while (!RatIsZero(w) && RatGreater(w, limit) && !AbortRequested()) {
    RatAdd(y, RatTwo);  // x0 + 2j
    BigNumMulIndices(d.num, n + 1, n + 2);
    n += 2;
    RatDiv(d, kSquared);
    Rational t = CopyRational(y);
    RatAdd(t, RatOne);
    // w <- (2j + 1)(x0 + 2j + 1); t <- K / w; w <- 1/(x0 + 2j) - t.
    w = RatFromInt(1);
    BigNumMulIndices(w.num, n + 1, 1);
    RatMul(w, t);
    t = CopyRational(k);
    RatDiv(t, w);
    w = RatFromInt(1);
    RatDiv(w, y);
    RatSub(w, t);
    RatDiv(w, d);
    RatAdd(sum, w);
    w.num->sign = 1;
    w.den->sign = 1;
  }
  RatMul(sum, u);
  x = std::move(sum);
}
