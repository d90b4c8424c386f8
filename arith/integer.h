// The integer view of a Rational: integer part, fraction, remainder,
// conversion to a machine integer, shifts and bitwise operations.
//
// The integer part is taken of the value as the display would show it: the
// value is first rounded to the working precision exactly as rendering it as
// text (automatic mode, current radix) and reading that text back would round
// it, so 2.999... with more nines than the display holds has 3 as its
// integer part. Integer parts truncate toward zero.
//
// The bitwise operations work on the magnitudes of the integer values in base
// 2^31 (each word is a 31-bit group of the binary number) and keep the sign
// of the first operand; two's complement within a word size is built by the
// engine from RatAnd and RatXor with the word masks.
//
// Every operation replaces its first operand and only reads the second, which
// may be the same object. Results are built in temporaries and moved in last:
// when an operation throws, its first operand still holds its old value.
// They read the current radix (settings.radix), P and the constant slots, so
// SetRadixAndPrecision must have run.
#pragma once

#include <cstdint>

#include "arith/bignum.h"
#include "arith/rational.h"

// Selectors of DigitwiseOp.
constexpr int32_t kBitAnd = 0;
constexpr int32_t kBitOr = 1;
constexpr int32_t kBitXor = 2;

// x <- the integer part of x rounded to P significant digits of the current
// radix, toward zero. An integer x (denominator of magnitude 1) and zero are
// left as they are. The denominator of the result is a power of the radix
// (radix^k when the rounded value has k fractional digits). Throws
// ErrOutOfMemory.
void RatInt(Rational& x);

// x <- x - trunc(x), exact (no rounding, no trim); the result has the sign
// of x.
void RatFrac(Rational& x);

// The integer part of x (RatInt) as a signed 32-bit integer, wrapping modulo
// 2^32. x is not changed.
int32_t RatToInt(const Rational& x);

// a <- a - trunc(a / b) * b, exact; the remainder has the sign of a, the sign
// of b does not matter. Throws ErrUndefined when b is zero.
void RatMod(Rational& a, const Rational& b);

// a <- RatInt(a) * 2^n and RatInt(a) / 2^n with n = RatToInt(b). The count
// may be negative (a left shift by -1 halves) and the right shift is a true
// division (5 shifted right by 1 is 2.5).
void RatShiftLeft(Rational& a, const Rational& b);
void RatShiftRight(Rational& a, const Rational& b);

// a <- RatInt(a) and, or, exclusive or RatInt(b), word by word on the
// magnitudes; the result has the sign of a and denominator 1.
void RatAnd(Rational& a, const Rational& b);
void RatOr(Rational& a, const Rational& b);
void RatXor(Rational& a, const Rational& b);

// a <- a combined word by word with b (kBitAnd, kBitOr, kBitXor), positions
// outside a number counting as 0 words; sign of a, leading zero words
// removed. Both are base-2^31 numbers; b may be a itself.
void DigitwiseOp(BigPtr& a, const BigNum& b, int32_t selector);
