// The reference remainder for BigNumRem: the doubling loop, which subtracts
// from a the largest doubling of b (shifted to a's top word) that fits,
// until |a| < |b|. Slow (a pass per bit of the quotient) and plainly
// correct; the fast remainder must give the same value, sign and exponent.
#pragma once

#include "arith/bignum.h"

inline BigPtr ReferenceRemainder(const BigNum& aIn, const BigNum& b) {
  constexpr uint32_t B = kInternalBase;
  BigPtr a = CopyBigNum(aIn);
  while (!BigNumLessMagnitude(*a, b)) {
    BigPtr r = CopyBigNum(b);
    if (BigNumLessMagnitude(*r, *a)) {
      r->exp = a->span() - r->count;
      if (r->digits()[r->count - 1] >= a->digits()[a->count - 1]) --r->exp;
    }
    BigPtr s = AllocBigNum(1);
    s->sign = 1;
    s->count = 1;
    while (BigNumLessMagnitude(*r, *a)) {
      s = CopyBigNum(*r);
      BigNumAdd(r, *s, B);
    }
    if (BigNumLessMagnitude(*a, *r)) r = std::move(s);
    r->sign = -a->sign;
    BigNumAdd(a, *r, B);
  }
  return a;
}
