// The reference quotient for BigNumDivInternal: long division in base 2^31
// that builds each quotient word by doubling the divisor bit by bit. It is
// slow and plainly correct; the fast division must give the same words
// (count, exponent, digits). Shared by the tests and the benchmarks.
#pragma once

#include <algorithm>
#include <vector>

#include "arith/bignum.h"
#include "arith/settings.h"

inline BigPtr ReferenceDivide(const BigNum& aIn, const BigNum& b) {
  constexpr uint32_t B = kInternalBase;
  BigPtr a = CopyBigNum(aIn);
  if (b.count <= 1 && b.digits()[0] == 1 && b.exp == 0) {  // +-1
    a->sign *= b.sign;
    return a;
  }
  const int32_t limit = std::max({WorkingPrecision + DigitsPerWord, a->count, b.count});
  const int32_t sign = a->sign * b.sign;
  const int32_t e = (a->exp + a->count) - (b.exp + b.count) + 1;
  BigPtr rem = CopyBigNum(*a);
  rem->sign = b.sign;
  rem->exp = (b.exp + b.count) - rem->count;
  std::vector<uint32_t> words;
  while (static_cast<int32_t>(words.size()) < limit && !BigNumIsZero(*rem)) {
    uint32_t word = 0;
    while (!BigNumLessMagnitude(*rem, b)) {
      BigPtr t = CopyBigNum(b);
      BigPtr m;
      uint32_t o = 1;
      while (BigNumLessMagnitude(*t, *rem)) {
        m = CopyBigNum(*t);
        BigNumAdd(t, *m, B);
        o <<= 1;
      }
      if (BigNumLessMagnitude(*rem, *t)) {
        t = std::move(m);
        o >>= 1;
      }
      t->sign = -t->sign;
      BigNumAdd(rem, *t, B);
      word |= o;
    }
    rem->exp += 1;
    words.push_back(word);
  }
  if (words.empty()) {
    BigPtr q = BigNumFromInt(0, B);
    q->sign = sign;
    return q;
  }
  std::vector<uint32_t> lsFirst(words.rbegin(), words.rend());
  while (lsFirst.size() > 1 && lsFirst.back() == 0) lsFirst.pop_back();
  BigPtr q = AllocBigNum(static_cast<int32_t>(lsFirst.size()));
  std::copy(lsFirst.begin(), lsFirst.end(), q->digits());
  q->count = static_cast<int32_t>(lsFirst.size());
  q->exp = e - static_cast<int32_t>(words.size());
  q->sign = sign;
  return q;
}

