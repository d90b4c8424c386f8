#include "arith/rational.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "arith/error.h"
#include "arith/settings.h"

namespace {

BigPtr MakeOne() { return BigNumFromInt(1, kInternalBase); }

// Moves the sign of the value onto the numerator.
void SignToNumerator(Rational& x) {
  x.num->sign *= x.den->sign;
  x.den->sign = 1;
}

// Drops the lowest `k` words of x in place (truncation); exp becomes 0.
void DropLowWords(BigNum& x, int32_t k) {
  k = std::min(k, x.count - 1);
  if (k <= 0) return;
  const int32_t keep = x.count - k;
  std::memmove(x.digits(), x.digits() + k, sizeof(uint32_t) * keep);
  std::memset(x.digits() + keep, 0, sizeof(uint32_t) * k);
  x.count = keep;
}

// a <- a + sign * b. With equal denominators only the numerators are added
// (no trim); otherwise the cross products over the product of denominators,
// trimmed. The result is built aside and moved into a last.
void AddSigned(Rational& a, const Rational& b, int sign) {
  if (BigNumEqualMagnitude(*a.den, *b.den)) {
    a.num = BigNumSum(*a.num, a.num->sign * a.den->sign, *b.num,
                      b.num->sign * b.den->sign * sign, kInternalBase);
    a.den->sign = 1;
    return;
  }
  Rational r;
  r.den = BigNumProductInternal(*a.den, *b.den);
  BigPtr left = BigNumProductInternal(*a.num, *b.den);
  BigPtr right = BigNumProductInternal(*a.den, *b.num);
  r.num = BigNumSum(*left, left->sign, *right, right->sign * sign, kInternalBase);
  RatTrim(r);
  SignToNumerator(r);
  a = std::move(r);
}

// The sign of a - b, exactly: the sign of an * bd - ad * bn times the sign of
// ad * bd, with no trim in between. Values of different signs, and values
// whose magnitudes lie two words apart or more, are told apart without the
// products: a non-zero n / d lies between B^(D-1) and B^(D+1) for
// D = span(n) - span(d), and the cross products of two long values would
// cost a product of long numbers for a question their sizes answer.
int CompareRationals(const Rational& a, const Rational& b) {
  const int signA = BigNumIsZero(*a.num) ? 0 : a.num->sign * a.den->sign;
  const int signB = BigNumIsZero(*b.num) ? 0 : b.num->sign * b.den->sign;
  if (signA != signB) return signA > signB ? 1 : -1;
  if (signA == 0) return 0;
  const int64_t sizeA = int64_t{a.num->span()} - a.den->span();
  const int64_t sizeB = int64_t{b.num->span()} - b.den->span();
  if (sizeA - sizeB >= 2) return signA;
  if (sizeB - sizeA >= 2) return -signA;
  const int denSign = a.den->sign * b.den->sign;
  if (BigNumEqualMagnitude(*a.den, *b.den)) {
    BigPtr d = BigNumSum(*a.num, a.num->sign * a.den->sign, *b.num,
                         -b.num->sign * b.den->sign, kInternalBase);
    return BigNumIsZero(*d) ? 0 : d->sign;
  }
  BigPtr left = BigNumProductInternal(*a.num, *b.den);
  BigPtr right = BigNumProductInternal(*a.den, *b.num);
  BigPtr d = BigNumSum(*left, left->sign, *right, -right->sign, kInternalBase);
  return BigNumIsZero(*d) ? 0 : d->sign * denSign;
}

}  // namespace

Rational RatFromInt(int32_t v) {
  Rational r;
  r.num = BigNumFromInt(v, kInternalBase);
  r.den = MakeOne();
  return r;
}

Rational CopyRational(const Rational& x) {
  Rational r;
  r.num = CopyBigNum(*x.num);
  r.den = CopyBigNum(*x.den);
  return r;
}

Rational RatFromBigNums(const BigNum& num, const BigNum& den) {
  Rational r;
  r.num = CopyBigNum(num);
  r.den = CopyBigNum(den);
  return r;
}

int32_t RatTakeMagnitude(Rational& x) {
  const int32_t sign = RatSign(x) < 0 ? -1 : 1;
  x.num->sign = 1;
  x.den->sign = 1;
  return sign;
}

void RatGiveSign(Rational& x, int32_t s) {
  x.num->sign = s;
  x.den->sign = 1;
}

void RatSubtractFrom(Rational& x, const Rational& c) {
  Rational r = CopyRational(c);
  RatSub(r, x);
  x = std::move(r);
}

Rational RatNegated(const Rational& x) {
  Rational r = CopyRational(x);
  r.num->sign = -r.num->sign;
  return r;
}

bool RatIsZero(const Rational& x) { return BigNumIsZero(*x.num); }

int RatSign(const Rational& x) {
  if (RatIsZero(x)) return 0;
  return x.num->sign * x.den->sign;
}

void RatTrim(Rational& x) {
  BigNum& num = *x.num;
  BigNum& den = *x.den;
  const int64_t m = std::min(int64_t{num.exp} + num.count,
                             int64_t{den.exp} + den.count);
  const int64_t excess = (m - 1) * DigitsPerWord - WorkingPrecision;
  if (excess > DigitsPerWord) {
    const int64_t k = excess / DigitsPerWord;
    for (BigNum* c : {&num, &den}) {
      if (k <= c->exp) {
        c->exp -= static_cast<int32_t>(k);
      } else {
        DropLowWords(*c, static_cast<int32_t>(k - c->exp));
        c->exp = 0;
      }
    }
  }
  const int32_t g = std::min(num.exp, den.exp);
  num.exp -= g;
  den.exp -= g;
  QUIB_ASSERT_SOUND(x);
}

void RatAdd(Rational& a, const Rational& b) {
  AddSigned(a, b, 1);
  QUIB_ASSERT_SOUND(a);
}

void RatSub(Rational& a, const Rational& b) {
  AddSigned(a, b, -1);
  QUIB_ASSERT_SOUND(a);
}

void RatMul(Rational& a, const Rational& b) {
  if (RatIsZero(a)) {
    a.den = MakeOne();
    return;
  }
  Rational r;
  r.num = BigNumProductInternal(*a.num, *b.num);
  r.den = BigNumProductInternal(*a.den, *b.den);
  RatTrim(r);
  a = std::move(r);
  QUIB_ASSERT_SOUND(a);
}

void RatDiv(Rational& a, const Rational& b) {
  if (RatIsZero(a)) {
    if (RatIsZero(b)) ThrowError(ErrUndefined);
    a.den = MakeOne();
    return;
  }
  Rational r;
  r.num = BigNumProductInternal(*a.num, *b.den);
  r.den = BigNumProductInternal(*a.den, *b.num);
  if (BigNumIsZero(*r.den)) {
    // a keeps its value: the products are dropped with r.
    ThrowError(r.num->sign > 0 ? ErrDivideByZeroPositive
                               : ErrDivideByZeroNegative);
  }
  RatTrim(r);
  a = std::move(r);
  QUIB_ASSERT_SOUND(a);
}

void RatPowInt(Rational& a, int32_t n) {
  // The magnitude of n as unsigned, so that -2^31 works too.
  uint32_t e = n < 0 ? 0u - static_cast<uint32_t>(n) : static_cast<uint32_t>(n);
  if (n < 0 && RatIsZero(a)) {
    ThrowError(a.num->sign * a.den->sign > 0 ? ErrDivideByZeroPositive
                                             : ErrDivideByZeroNegative);
  }
  Rational result = RatFromInt(1);
  Rational square = CopyRational(a);
  while (e > 0) {
    if (e & 1u) {
      BigNumMulInternal(result.num, *square.num);
      BigNumMulInternal(result.den, *square.den);
    }
    e >>= 1;
    if (e != 0) {
      RatMul(square, square);
      RatTrim(square);
    }
    RatTrim(result);
  }
  if (n < 0) std::swap(result.num, result.den);
  a = std::move(result);
  QUIB_ASSERT_SOUND(a);
}

bool RatEqual(const Rational& a, const Rational& b) {
  return CompareRationals(a, b) == 0;
}
bool RatNotEqual(const Rational& a, const Rational& b) {
  return CompareRationals(a, b) != 0;
}
bool RatLess(const Rational& a, const Rational& b) {
  return CompareRationals(a, b) < 0;
}
bool RatLessEqual(const Rational& a, const Rational& b) {
  return CompareRationals(a, b) <= 0;
}
bool RatGreater(const Rational& a, const Rational& b) {
  return CompareRationals(a, b) > 0;
}
bool RatGreaterEqual(const Rational& a, const Rational& b) {
  return CompareRationals(a, b) >= 0;
}

const char* RationalFault(const Rational& x) {
  if (!x.num || !x.den) return "a component is missing";
  if (const char* fault = BigNumFault(*x.num)) return fault;
  if (const char* fault = BigNumFault(*x.den)) return fault;
  if (x.num->exp < 0 || x.den->exp < 0) return "a component is no integer";
  if (BigNumIsZero(*x.den)) return "zero denominator";
  return nullptr;
}
