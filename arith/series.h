// The shared machinery of every Taylor series of the arithmetic.
//
// All series run one loop shape, at least one pass:
//
//   BigPtr n = SeriesCounter(k);            // term index, a BigNum
//   do {
//     RatMul(term, multiplier);             // next term from the previous one
//     SeriesCounterIncrement(n);
//     BigNumMulInternal(term.den, *n);      // exact products with the index
//     RatAdd(sum, term);
//   } while (!SeriesShouldStop(term));
//   SeriesFinish(x, sum);                   // trimmed sum replaces x
//
// SeriesShouldStop makes the three stop tests in their fixed order: the term's
// numerator is zero, the term is below the working precision
// (TermBelowPrecision), or the watchdog asked for an abort. The term that
// stops the loop has already been added; after an abort the partial sum is
// kept and the engine discards the result.
#pragma once

#include <cstdint>

#include "arith/bignum.h"
#include "arith/rational.h"

// True when |t| is too small to matter at the working precision:
// D(t) * R > P with D(t) = span(den) - span(num) - 1, so |t| < B^-D(t).
// Looks only at digit counts and exponents; t must be nonzero.
bool TermBelowPrecision(const Rational& t);

// The stop tests of the series loop: numerator zero, TermBelowPrecision, abort.
bool SeriesShouldStop(const Rational& term);

// A fresh term counter holding `start` (base 2^31).
BigPtr SeriesCounter(int32_t start);

// n <- n + 1 in place: raises the lowest digit, or makes a full BigNumAdd of 1
// when that digit is already 2^31 - 1. n must have exponent 0.
void SeriesCounterIncrement(BigPtr& n);

// Cuts v's numerator to about P/R + 2 words: with K = len(num) - P div R - 2,
// when K > 1 the K lowest numerator words are dropped (its exponent rises by
// K). Then the smaller exponent of numerator and denominator is taken off
// both. Never allocates, never throws.
void TruncateNumerator(Rational& v);

// x <- sum, trimmed with RatTrim. sum is left empty.
void SeriesFinish(Rational& x, Rational& sum);
