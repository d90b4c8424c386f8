#include "arith/integer.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <utility>

#include "arith/constants.h"
#include "arith/error.h"
#include "arith/radix_convert.h"
#include "arith/settings.h"

namespace {

// Makes both exponents of num / den non-negative without changing the value:
// a negative exponent moves to the other component.
void FixExponents(BigNum& num, BigNum& den) {
  if (num.exp < 0) {
    den.exp -= num.exp;
    num.exp = 0;
  }
  if (den.exp < 0) {
    num.exp -= den.exp;
    den.exp = 0;
  }
}

// An integer-valued Rational brought to the form n / 1. The quotient is
// whole in value, but a zero over a long denominator (the integer part of a
// tiny value) divides into zero words below the point: those are dropped,
// so that the numerator is an integer (exp >= 0) as a stored value must be.
void RatToWhole(Rational& x) {
  BigPtr num = CopyBigNum(*x.num);
  BigNumDivInternal(num, *x.den);
  if (num->exp < 0) {
    BigNum& n = *num;
    uint32_t* d = n.digits();
    const int32_t drop = std::min(-n.exp, n.count);
    std::copy(d + drop, d + n.count, d);
    std::fill(d + (n.count - drop), d + n.count, 0u);
    n.count -= drop;
    n.exp = 0;
    if (n.count == 0) {
      n.count = 1;
      n.sign = 1;
    }
  }
  BigPtr den = CopyBigNum(*BigOne);
  x.num = std::move(num);
  x.den = std::move(den);
}

void RatShift(Rational& a, const Rational& b, bool left) {
  Rational v = CopyRational(a);
  RatInt(v);
  const int32_t n = RatToInt(b);
  Rational p = CopyRational(RatTwo);
  RatPowInt(p, n);
  if (left) {
    RatMul(v, p);
  } else {
    RatDiv(v, p);
  }
  a = std::move(v);
}

void RatBitwise(Rational& a, const Rational& b, int32_t selector) {
  Rational x = CopyRational(a);
  RatInt(x);
  Rational t = CopyRational(b);
  RatInt(t);
  RatToWhole(x);
  RatToWhole(t);
  DigitwiseOp(x.num, *t.num, selector);
  a = std::move(x);
}

}  // namespace

void RatInt(Rational& x) {
  if (RatIsZero(x) || BigNumEqualMagnitude(*x.den, *BigOne)) return;
  Rational rounded = RatRoundToDisplay(x);
  Rational fraction = CopyRational(rounded);
  RatMod(fraction, RatOne);
  RatSub(rounded, fraction);
  x = std::move(rounded);
}

void RatFrac(Rational& x) {
  BigPtr num = CopyBigNum(*x.num);
  BigNumRem(num, *x.den);
  x.num = std::move(num);
  FixExponents(*x.num, *x.den);
}

int32_t RatToInt(const Rational& x) {
  Rational t = CopyRational(x);
  RatInt(t);
  BigNumDivInternal(t.num, *t.den);
  return BigNumToInt(*t.num, kInternalBase);
}

void RatMod(Rational& a, const Rational& b) {
  if (RatIsZero(b)) ThrowError(ErrUndefined);
  BigPtr num = CopyBigNum(*a.num);
  BigNumMulInternal(num, *b.den);
  BigPtr divisor = CopyBigNum(*b.num);
  BigNumMulInternal(divisor, *a.den);
  BigNumRem(num, *divisor);
  BigPtr den = CopyBigNum(*a.den);
  BigNumMulInternal(den, *b.den);
  FixExponents(*num, *den);
  a.num = std::move(num);
  a.den = std::move(den);
}

void RatShiftLeft(Rational& a, const Rational& b) { RatShift(a, b, true); }

void RatShiftRight(Rational& a, const Rational& b) { RatShift(a, b, false); }

void RatAnd(Rational& a, const Rational& b) { RatBitwise(a, b, kBitAnd); }

void RatOr(Rational& a, const Rational& b) { RatBitwise(a, b, kBitOr); }

void RatXor(Rational& a, const Rational& b) { RatBitwise(a, b, kBitXor); }

void DigitwiseOp(BigPtr& a, const BigNum& b, int32_t selector) {
  assert(selector >= kBitAnd && selector <= kBitXor && "unknown bit operation");
  const int32_t low = std::min(a->exp, b.exp);
  const int64_t count = int64_t{std::max(a->span(), b.span())} - low;
  if (count > INT32_MAX - 1) ThrowError(ErrOutOfMemory);
  BigPtr r = AllocBigNum(static_cast<int32_t>(count));
  r->sign = a->sign;
  r->exp = low;
  const uint32_t* wa = a->digits();
  const uint32_t* wb = b.digits();
  uint32_t* out = r->digits();
  int32_t used = 1;
  for (int32_t i = 0; i < count; ++i) {
    const int64_t position = int64_t{low} + i;
    const int64_t ia = position - a->exp;
    const int64_t ib = position - b.exp;
    const uint32_t x = ia >= 0 && ia < a->count ? wa[ia] : 0;
    const uint32_t y = ib >= 0 && ib < b.count ? wb[ib] : 0;
    uint32_t word = 0;
    switch (selector) {
      case kBitAnd:
        word = x & y;
        break;
      case kBitOr:
        word = x | y;
        break;
      default:
        word = x ^ y;
        break;
    }
    out[i] = word;
    if (word != 0) used = i + 1;
  }
  r->count = used;
  a = std::move(r);
}
