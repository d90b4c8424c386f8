// Exact fractions: Rational.
//
// A Rational is a numerator and a denominator BigNum, both in base 2^31 and
// both integers (exp >= 0). Value = num / den. Fractions are never reduced by
// a common divisor; RatTrim bounds their size by cutting low words of both
// components to the working precision, so arithmetic is exact while the
// components are short and precision-limited once they grow.
//
// The sign of the value is num.sign * den.sign; additions leave it on the
// numerator, multiplication, division and RatPowInt may leave a negative
// denominator. Zero is a zero numerator over any denominator. The denominator
// of a stored value is never zero.
//
// A Rational owns its two blocks. Operations replace their first operand and
// read the second, which may be the same object. Every operation builds its
// result in temporaries and swaps it in last: when one throws, the first
// operand still holds the value it had before the call.
#pragma once

#include <cstdint>

#include "arith/bignum.h"

struct Rational {
  BigPtr num;
  BigPtr den;
};

// v / 1.
Rational RatFromInt(int32_t v);

// A fresh copy of both components.
Rational CopyRational(const Rational& x);

// num / den from copies of two BigNum.
Rational RatFromBigNums(const BigNum& num, const BigNum& den);

bool RatIsZero(const Rational& x);

// -1, 0 or +1: the sign of the value (num.sign * den.sign, 0 for zero).
int RatSign(const Rational& x);

// Makes x hold |x| (both component signs +1) and returns the sign of its
// old value, +1 for zero.
int32_t RatTakeMagnitude(Rational& x);

// Gives a value that is not negative the sign s, on the numerator.
void RatGiveSign(Rational& x, int32_t s);

// x <- c - x.
void RatSubtractFrom(Rational& x, const Rational& c);

// A copy of x with the opposite sign.
Rational RatNegated(const Rational& x);

// Cuts both components to the working precision and cancels their common
// power of the base, in place. Never changes the sign or zeroness.
void RatTrim(Rational& x);

// a <- a + b, a - b, a * b. Throw only ErrOutOfMemory.
void RatAdd(Rational& a, const Rational& b);
void RatSub(Rational& a, const Rational& b);
void RatMul(Rational& a, const Rational& b);

// a <- a / b. Throws ErrUndefined for 0 / 0, ErrDivideByZeroPositive or
// ErrDivideByZeroNegative (by the sign of a's numerator times b's
// denominator) for x / 0; a keeps its value then.
void RatDiv(Rational& a, const Rational& b);

// a <- a^n by repeated squaring, trimming as it goes. n = 0 gives 1, also for
// a zero a. A negative n gives the reciprocal of a^-n; for a zero a that would
// be a division by zero and throws as RatDiv does.
void RatPowInt(Rational& a, int32_t n);

// Exact comparisons of the values (differences far below the precision
// count).
bool RatEqual(const Rational& a, const Rational& b);
bool RatNotEqual(const Rational& a, const Rational& b);
bool RatLess(const Rational& a, const Rational& b);
bool RatLessEqual(const Rational& a, const Rational& b);
bool RatGreater(const Rational& a, const Rational& b);
bool RatGreaterEqual(const Rational& a, const Rational& b);

// What breaks the invariants of a stored value in x, or nullptr when it keeps
// them: a component missing, a component that is no sound BigNum
// (BigNumFault) or no integer (exp < 0), a zero denominator.
const char* RationalFault(const Rational& x);

#ifdef QUIB_CHECK_INVARIANTS
#define QUIB_ASSERT_SOUND(x)                                                \
  do {                                                                      \
    if (const char* quib_fault = RationalFault(x)) {                        \
      ArithInvariantBroken(quib_fault, __FILE__, __LINE__);                 \
    }                                                                       \
  } while (0)
#else
#define QUIB_ASSERT_SOUND(x) ((void)0)
#endif
