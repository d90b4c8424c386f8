// Sine, cosine and tangent of a Rational angle.
//
// An angle is a Rational in one of the units of arith/angle.h. Each function
// first reduces it modulo a full turn: exactly in degrees (360) and grads
// (400), against 2 pi in radians. Degrees and grads are then folded into
// (-2 pi, pi] and converted to radians; radian angles stay in (-2 pi, 2 pi).
// The value comes from the Taylor series of sin or cos, cut to the working
// precision with the loop of arith/series.h. Sines and cosines are clamped
// to [-1, 1] and snapped to exactly 0 within epsilon of it, so that
// sin 180 degrees and cos 90 degrees are exactly 0 and tangents at odd
// multiples of a right angle are refused.
//
// Each operation replaces its argument with the result. On a thrown error
// the argument keeps the value it had before the call. When the watchdog's
// abort flag is set the series stop after their current term and the
// function finishes with a meaningless value, which the engine discards.
// Temporary raises of the working precision are undone on every path.
#pragma once

#include <cstdint>

#include "arith/angle.h"
#include "arith/rational.h"

// x <- sin x, x in `unit`. Throws only ErrOutOfMemory.
void Sine(Rational& x, AngleUnit unit);

// x <- cos x, x in `unit`. Throws only ErrOutOfMemory.
void Cosine(Rational& x, AngleUnit unit);

// x <- tan x, x in `unit`. Throws ErrInvalidInput when the cosine is zero
// (snapped: odd multiples of 90 degrees, 100 grads or pi/2 radians).
void Tangent(Rational& x, AngleUnit unit);

// x <- x reduced modulo a full turn of `unit`: x - q m with q the integer
// part of x / m and m = 360, 400 or 2 pi. q is rounded to the working
// precision raised by R + 1 digits per word by which x's numerator is longer
// than its denominator (at least the digits of x's integer part), so that
// every whole turn is taken away. The result lies in (-m, m) and has
// the sign of x, unless the rounding carried q up to the next whole number;
// then it is just past zero on the other side. In degrees and grads x - q m
// is exact.
void ReduceAngle(Rational& x, AngleUnit unit);

// x <- x - q 2pi, q the integer part of x / 2pi. For an x with an integer
// part the precision is raised as in ReduceAngle and 2 pi recomputed at the
// raised precision (and kept for the next call at the same one), so that the
// reduced angle keeps the working precision. Stops early, leaving x as it
// was, when an abort cuts the recomputation short.
void ReduceTwoPi(Rational& x);

// x <- sin x (radians) by its series, clamped to [-1, 1]; within epsilon of
// zero the result is exactly 0.
void SinSeries(Rational& x);

// x <- cos x (radians) by its series, clamped and snapped as SinSeries.
void CosSeries(Rational& x);

// x <- tan x (radians) as SinSeries / CosSeries. Throws ErrInvalidInput when
// the cosine is (snapped to) zero.
void TanRadians(Rational& x);

// x <- min(max(x, -m), m), for m >= 0. m may be the same object as x.
void ClampMagnitude(Rational& x, const Rational& m);

// The series shared with the hyperbolic functions: x <- the trimmed sum of
// s^k x^(2k+o) / (2k+o)! over k >= 0, where o = 1 (odd powers, sine-like)
// or 0 (even powers, cosine-like) and s = -1 (alternating: sin, cos) or +1
// (sinh, cosh). No clamping or snapping.
void SineCosineSeries(Rational& x, bool oddPowers, bool alternating);

// a <- a * f1 * f2, exactly, for term indices f1, f2 >= 1 (one BigNum
// multiplication while the product fits 62 bits). The series use it to
// bring a component of their term from one index to the next.
void BigNumMulIndices(BigPtr& a, uint64_t f1, uint64_t f2);
