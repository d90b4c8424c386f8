// Fast evaluators of the elementary functions, with known error bounds.
//
// Each works in fixed point: an unsigned integer of base-2^31 words read as
// a multiple of 2^-31f (f fraction words, chosen from the accuracy asked
// for), with the argument reduced so that its series is short, and builds
// the Rational result once at the end; its denominator is a power of two.
// The result's relative error is below 2^-bits. Callers that round the
// result to the working precision ask for enough bits beyond it.
#pragma once

#include <cstdint>

#include "arith/angle.h"
#include "arith/rational.h"

// e^x for |x| <= 2^31 ln 2 (callers bound x far below): x = k ln 2 + r with
// |r| <= ln 2 / 2, r halved s times, Taylor's series, squared s times.
Rational FastExp(const Rational& x, int32_t bits);

// ln x for x > 0: x = 2^e m with m in [1/sqrt 2, sqrt 2], ln m = 2 atanh z
// for z = (m - 1) / (m + 1), |z| < 0.172. Exactly 0 for x = 1. Near 1 the
// cancellation in m - 1 is paid for with more words.
Rational FastLn(const Rational& x, int32_t bits);

// ln 2 to at least `fractionWords` words after the point, as a Rational
// (kept, so that later calls for as many words cost a copy).
Rational FastLn2(int32_t fractionWords);

// The keys' functions through the evaluators above, to a few units of the
// last digit at the working precision in force (in the radix of the
// constant set), with the errors of Exponential, NaturalLog and CommonLog:
// ErrInvalidInput for |x| > 100000, for x <= 0.
int32_t WorkingPrecisionBits();
void FastExponential(Rational& x);
void FastNaturalLog(Rational& x);
void FastCommonLog(Rational& x);

// sinh, cosh and tanh through one FastExp of |x| (of 2|x| for tanh), the
// differences formed exactly, with the errors of HypSine, HypCosine and
// HypTangent: ErrInvalidInput for |x| > 100000. Odd ones keep x's sign.
void FastHypSine(Rational& x);
void FastHypCosine(Rational& x);
void FastHypTangent(Rational& x);

// sin, cos and tan of x in `unit` by Taylor's series of the remainder r of
// x modulo a quarter turn, |r| <= pi/4: degrees and grads are reduced
// exactly (whole turns, then the nearest quarter turn as a fraction), radians
// against pi to as many words as the cancellation needs. Exact zeros stay
// exact (sin 180 degrees). The tangent of an odd quarter turn throws
// ErrInvalidInput.
void FastSine(Rational& x, AngleUnit unit);
void FastCosine(Rational& x, AngleUnit unit);
void FastTangent(Rational& x, AngleUnit unit);

// x^(1/n) for x > 0 and 2 <= n < 2^31 by Newton's iteration on integers:
// the n-th root of a b^(n-1) B^(nf) for x = a / b, over b B^f. An exact
// root comes out exactly (27 gives 3). Relative error below 2^-bits.
Rational FastRoot(const Rational& x, int32_t n, int32_t bits);

// n when FastPower takes x^y = x^(1/n) through FastRoot (x nonzero, y = 1/n
// for 2 <= n <= 16, x positive or n odd, x short enough), else 0.
int32_t FastRootDegree(const Rational& x, const Rational& y);

// x^y for the keys: roots x^(1/n) through FastRoot, the rest as Power with
// FastNaturalLog and FastExponential; the errors of Power.
void FastPower(Rational& x, const Rational& y);

// arctan x in radians: 1/x beyond 1, two halvings x / (1 + sqrt(1 + x^2))
// and the series; relative error below 2^-bits.
Rational FastAtan(const Rational& x, int32_t bits);

// The inverse circular keys in `unit`: arcsin x = 2 arctan(x / (1 +
// sqrt((1 - x)(1 + x)))) and arccos x = 2 arctan sqrt((1 - x) / (1 + x)) for
// |x| < 1;
// |x| >= 1 (the ends and the domain errors) as ArcSineInUnit and
// ArcCosineInUnit.
void FastArcSine(Rational& x, AngleUnit unit);
void FastArcCosine(Rational& x, AngleUnit unit);
void FastArcTangent(Rational& x, AngleUnit unit);

// Gamma(z + 1) for z > 0 by Spouge's formula with a = bits / log2(2 pi) + 1
// terms, whose coefficients are kept for the last few accuracies asked:
//   (z + a)^(z + 1/2) e^-(z + a) (c0 + sum c_k / (z + k)).
// Relative error below 2^-bits.
Rational FastGammaPlusOne(const Rational& z, int32_t bits);

// x! for the key, x not whole: Spouge's formula for x > -1 (through
// (x + 1)! / (x + 1) below 0), the reflection x! = pi x / (sin(pi x) (-x)!)
// below -1. Negative x at or within a negligible distance of a whole number
// throws ErrInvalidInput as Factorial does; whole x and x above 10^7 go to
// Factorial.
void FastFactorial(Rational& x);
