#include "arith/pi.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "arith/bignum.h"
#include "arith/error.h"
#include "arith/settings.h"

namespace {

// The sums of terms a .. b - 1 of atan(1/q) / (1/q) = sum (-1)^k / ((2k + 1)
// q^(2k)), as p(j) / r(j) = -(2j - 1) / ((2j + 1) q^2), the ratio of term j to
// term j - 1 (term 0 is 1): P = prod p, Q = prod r, T such that the partial
// sum is T / Q.
struct Split {
  BigPtr p, q, t;
};

Split Atan(int64_t a, int64_t b, int32_t qSquared) {
  if (b - a == 1) {
    Split s;
    if (a == 0) {
      s.p = BigNumFromInt(1, kInternalBase);
      s.q = BigNumFromInt(1, kInternalBase);
    } else {
      s.p = BigNumFromInt(static_cast<int32_t>(-(2 * a - 1)), kInternalBase);
      s.q = BigNumFromInt(static_cast<int32_t>(2 * a + 1), kInternalBase);
      BigPtr q2 = BigNumFromInt(static_cast<int32_t>(qSquared), kInternalBase);
      BigNumMulInternal(s.q, *q2);
    }
    s.t = CopyBigNum(*s.p);
    return s;
  }
  const int64_t m = (a + b) / 2;
  Split left = Atan(a, m, qSquared);
  if (AbortRequested()) return left;
  Split right = Atan(m, b, qSquared);
  // T = T1 Q2 + P1 T2, P = P1 P2, Q = Q1 Q2.
  BigNumMulInternal(left.t, *right.q);
  BigNumMulInternal(right.t, *left.p);
  BigNumAdd(left.t, *right.t, kInternalBase);
  BigNumMulInternal(left.p, *right.p);
  BigNumMulInternal(left.q, *right.q);
  return left;
}

// Terms of atan(1/q) needed for an error below 2^-(31 words + 31): the term k
// is below q^-2k.
int64_t TermsFor(int32_t words, int32_t q) {
  double bitsPerTerm = 2 * std::log2(static_cast<double>(q));
  return static_cast<int64_t>((31.0 * (words + 2)) / bitsPerTerm) + 2;
}

// atan(1/q) as num / den: T / (q Q).
void AtanInverse(int32_t q, int32_t words, BigPtr& num, BigPtr& den) {
  Split s = Atan(0, TermsFor(words, q), q * q);
  num = std::move(s.t);
  den = std::move(s.q);
  BigPtr qb = BigNumFromInt(q, kInternalBase);
  BigNumMulInternal(den, *qb);
}

// Divides both components by the same power of the base, truncating, so that
// the shorter keeps `keep` words.
void CutTo(Rational& x, int32_t keep) {
  const int32_t drop = std::min(x.num->span(), x.den->span()) - keep;
  if (drop <= 0) return;
  for (BigPtr* c : {&x.num, &x.den}) {
    BigNum& n = **c;
    if (drop <= n.exp) {
      n.exp -= drop;
      continue;
    }
    const int32_t low = drop - n.exp;  // < n.count, since drop < span
    std::memmove(n.digits(), n.digits() + low, sizeof(uint32_t) * (n.count - low));
    std::memset(n.digits() + (n.count - low), 0, sizeof(uint32_t) * low);
    n.count -= low;
    n.exp = 0;
  }
}

struct PiRecord {
  int32_t words = 0;
  Rational value;
};
PiRecord piRecord;

}  // namespace

Rational PiToWords(int32_t words) {
  words = std::max(words, 2);
  if (!piRecord.value.num || piRecord.words < words) {
    BigPtr n5, d5, n239, d239;
    AtanInverse(5, words + 1, n5, d5);
    AtanInverse(239, words + 1, n239, d239);
    if (AbortRequested()) return RatFromInt(3);
    // pi = (16 n5 d239 - 4 n239 d5) / (d5 d239)
    BigNumMulInternal(n5, *d239);
    BigPtr sixteen = BigNumFromInt(16, kInternalBase);
    BigNumMulInternal(n5, *sixteen);
    BigNumMulInternal(n239, *d5);
    BigPtr minusFour = BigNumFromInt(-4, kInternalBase);
    BigNumMulInternal(n239, *minusFour);
    BigNumAdd(n5, *n239, kInternalBase);
    BigNumMulInternal(d5, *d239);
    Rational v;
    v.num = std::move(n5);
    v.den = std::move(d5);
    // A long product cut short by an abort is meaningless: not kept.
    if (AbortRequested()) return RatFromInt(3);
    CutTo(v, words + 2);
    piRecord.value = std::move(v);
    piRecord.words = words;
  }
  Rational r = CopyRational(piRecord.value);
  CutTo(r, words + 2);
  return r;
}
