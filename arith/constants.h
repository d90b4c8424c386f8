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

#include <cstddef>
#include <cstdint>

#include "arith/bignum.h"
#include "arith/rational.h"

extern int32_t ConstantsMark;

// Read-only to every caller: the slots behind these names belong to
// constants.cpp, which alone rebuilds them.
extern const BigPtr& RadixBig;
extern const Rational& RadixRat;

extern const BigPtr& BigOne;
extern const BigPtr& BigTwo;
extern const BigPtr& BigFive;
extern const BigPtr& BigSix;
extern const BigPtr& BigTen;
extern const Rational& RatZero;
extern const Rational& RatOne;
extern const Rational& RatMinusOne;
extern const Rational& RatTwo;
extern const Rational& RatSix;
extern const Rational& RatTen;
extern const Rational& RatHalf;
extern const Rational& RatPoint85;
extern const Rational& Epsilon;
extern const Rational& MinusEpsilon;
extern const Rational& Pi;
extern const Rational& HalfPi;
extern const Rational& TwoPi;
extern const Rational& ThreeHalvesPi;
extern const Rational& EulerE;
extern const Rational& SqrtE;
extern const Rational& Ln10;
extern const Rational& Ln2;
extern const Rational& DegPerRad;
extern const Rational& GradPerRad;
extern const Rational& Mask64;
extern const Rational& Mask32;
extern const Rational& Mask16;
extern const Rational& Mask8;
extern const Rational& Deg360;
extern const Rational& Grad400;
extern const Rational& Deg180;
extern const Rational& Grad200;
extern const Rational& ExpLimit;
extern const Rational& MinusExpLimit;

// Sets P to `precision`, R for the radix, RadixBig, RadixRat and every slot;
// clears AbortFlag, and an abort raised while the series run is dropped as
// well: the values are never left cut short. radix is 2 to 16, precision at least 1. Throws
// ErrOutOfMemory (slots already rebuilt keep their new values; P is
// `precision` again).
void SetRadixAndPrecision(int32_t radix, int32_t precision);

// P and R for `radix` and `precision`, RadixBig and RadixRat; every other
// slot keeps its value. For work that only converts text, where rebuilding
// the transcendental constants would cost more than the work.
void SetRadixKeepingConstants(int32_t radix, int32_t precision);

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

// How many sets the cache keeps besides the one in force (48 unless set;
// at least 1). A program that visits many settings over and over (the fuzz
// targets) keeps more.
void SetConstantCacheCapacity(std::size_t sets);

// Every constant slot except RadixBig and RadixRat <- a fresh copy of the
// stored table.
void LoadStoredConstants();

// R for a radix: how many times 1 is multiplied by the radix until the
// product reaches floor(2^31 / radix), at least 1.
int32_t DigitsPerWordFor(int32_t radix);
