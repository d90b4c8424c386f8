// The constant set and the working precision.
//
// SetRadixAndPrecision rebuilds, for a radix (2 to 16) and a precision in
// digits of that radix, the precision globals of arith/settings.h, the radix
// as a number (RadixBig, RadixRat) and every constant slot below. Each slot
// owns its value; a rebuild releases the previous one. The slots are empty
// until the first rebuild, which start-up makes before any arithmetic.
//
// Sets built once are kept in a small cache keyed by radix and precision,
// so that a request for a setting seen before exchanges blocks instead of
// rebuilding. The transcendental constants are computed by their series with one extra
// word of precision when the request needs more than was computed before
// (ConstantsMark, which only grows) or more digits than the stored values
// hold; otherwise they are loaded from StoredConstants, a table of values
// good to about 46 decimal digits. At the default settings (radix 10, P = 33)
// the series give exactly the stored fractions.
#pragma once

#include <cstdint>

#include "arith/bignum.h"
#include "arith/rational.h"

extern int32_t ConstantsMark;
extern BigPtr RadixBig;
extern Rational RadixRat;

extern BigPtr BigOne, BigTwo, BigFive, BigSix, BigTen;
extern Rational RatZero, RatOne, RatMinusOne, RatTwo, RatSix, RatTen, RatHalf;
extern Rational RatPoint85, Epsilon, MinusEpsilon;
extern Rational Pi, HalfPi, TwoPi, ThreeHalvesPi;
extern Rational EulerE, SqrtE, Ln10, Ln2, DegPerRad, GradPerRad;
extern Rational Mask64, Mask32, Mask16, Mask8;
extern Rational Deg360, Grad400, Deg180, Grad200;
extern Rational ExpLimit, MinusExpLimit;

// Sets P to `precision`, R for the radix, RadixBig, RadixRat and every slot;
// clears AbortFlag, and an abort raised while the series run is dropped as
// well: the values are never left cut short. radix is 2 to 16, precision at least 1. Throws
// ErrOutOfMemory (slots already rebuilt keep their new values; P is
// `precision` again).
void SetRadixAndPrecision(int32_t radix, int32_t precision);

// As SetRadixAndPrecision, for work inside a command (a function raising the
// precision for guard digits, and putting it back): the abort flag is left
// alone, and when an abort cuts the building of a new set short the set is
// not kept for later requests (the command's result is discarded anyway).
// Sets built before are taken from a cache of recent (radix, precision)
// pairs, without any rebuild; SetRadixAndPrecision uses the same cache.
void SelectConstantSet(int32_t radix, int32_t precision);

// The radix of the constant set in force.
int32_t ConstantSetRadix();

// Forgets every cached constant set, so that the next request of each
// setting builds it afresh (as at start-up).
void ClearConstantCache();

// Every constant slot except RadixBig and RadixRat <- a fresh copy of the
// stored table.
void LoadStoredConstants();

// R for a radix: how many times 1 is multiplied by the radix until the
// product reaches floor(2^31 / radix), at least 1.
int32_t DigitsPerWordFor(int32_t radix);
