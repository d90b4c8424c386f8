// Raw routines on arrays of base-2^31 words (least significant first), below
// the BigNum layer: they own no storage and know nothing of signs or
// exponents. Every digit loop on base-2^31 words lives here; the callers
// give the result space (and the scratch, where a routine needs any).
#pragma once

#include <cstdint>

#include "arith/bignum.h"

// A zero-filled buffer of at least n words: a BigNum block used as raw
// storage, so that it goes through the one allocation function and is capped
// like any number. Throws ErrOutOfMemory.
BigPtr WordBuffer(int64_t n);

// The largest k with radix^k <= 2^31, and radix^k: the limb base in which
// radix-digit arrays are packed, k digits to a word, for fast conversion
// and division. Radix 2 packs 31 digits into a word, exactly one base-2^31
// digit; this is not DigitsPerWord, which counts 30 radix-2 digits per word
// for the precision rules.
struct RadixChunk {
  int32_t digits;
  uint64_t base;
};
constexpr RadixChunk RadixChunkFor(int32_t radix) {
  RadixChunk c{0, 1};
  while (c.base * static_cast<uint64_t>(radix) <= kInternalBase) {
    c.base *= static_cast<uint64_t>(radix);
    ++c.digits;
  }
  return c;
}

// r[0, na + nb) <- a * b by the schoolbook method; r must not overlap a or b.
void WordsMulSchool(uint32_t* r, const uint32_t* a, int32_t na, const uint32_t* b,
                    int32_t nb);

// x[0, n) <- x * w for w < 2^31; returns the carry word (below 2^31).
uint32_t WordsMulWord(uint32_t* x, int32_t n, uint32_t w);

// Below this many words of the shorter operand a schoolbook product is
// faster than Karatsuba's method.
constexpr int32_t kKaratsubaMin = 32;

// r[0, na + nb) <- a * b for any lengths >= 1; r must not overlap a or b
// (a and b may be the same: a square takes a method of its own). Long
// products use Karatsuba's method, on 64-bit limbs where the compiler has
// 128-bit integers, and poll the abort flag at every level: when it is set
// they give up, leaving a meaningless product that the aborted command
// drops. Scratch space comes from AllocBigNum, so this throws
// ErrOutOfMemory.
void WordsMultiply(uint32_t* r, const uint32_t* a, int32_t na, const uint32_t* b,
                   int32_t nb);

// r[0, rn) += a[0, an), an <= rn; returns the carry out of r.
uint32_t WordsAddInto(uint32_t* r, int32_t rn, const uint32_t* a, int32_t an);

// r[0, rn) -= a[0, an), an <= rn; returns the borrow out of r.
uint32_t WordsSubtractFrom(uint32_t* r, int32_t rn, const uint32_t* a, int32_t an);

// x[0, n) <- floor(x / d) for 0 < d < 2^31; returns the remainder.
uint32_t WordsDivWord(uint32_t* x, int32_t n, uint32_t d);

// dst[0, n) <- src[0, n) << bits (0 <= bits < 31) within words; returns the
// bits shifted out of the top word. dst may be src.
uint32_t WordsShiftLeft(uint32_t* dst, const uint32_t* src, int32_t n, int bits);

// dst[0, n) <- src[0, n) >> bits (0 <= bits < 31), the bits below dropped.
// dst may be src.
void WordsShiftRight(uint32_t* dst, const uint32_t* src, int32_t n, int bits);

// Knuth's long division by a normalised divisor v[0, vn): vn >= 2 and the
// top word at least 2^30. The dividend is u[0, un] (un + 1 words, un >= vn),
// its top vn words below v. Leaves the quotient in q[0, un - vn + 1) and the
// remainder in u[0, vn) (the words of u above are cleared). Long divisions
// run on 64-bit limbs where the compiler has 128-bit integers, in scratch
// from AllocBigNum (so this throws ErrOutOfMemory). Polls the abort flag
// once per quotient word or limb and gives up when it is set, leaving a
// meaningless quotient and remainder.
void WordsDivRem(uint32_t* q, uint32_t* u, int32_t un, const uint32_t* v, int32_t vn);

// -1, 0 or +1: a[0, n) against b[0, n).
int WordsCompare(const uint32_t* a, const uint32_t* b, int32_t n);

// Radix digits d[0, count) (digit i of weight radix^i) packed into words of
// c.digits digits each (base c.base), least significant first, into
// out[0, ceil(count / c.digits)); returns the words used without leading
// zeros (at least 1).
int32_t WordsPackRadix(uint32_t* out, const uint32_t* d, int32_t count, uint32_t radix,
                       const RadixChunk& c);

// The inverse: d[0, count) <- the radix digits of w[0, wn) (base c.base);
// digits beyond w's are 0.
void WordsUnpackRadix(uint32_t* d, int32_t count, const uint32_t* w, int32_t wn,
                      uint32_t radix, const RadixChunk& c);

// r[0, na + nb) <- a * b in a base up to 2^31 (digits below it), schoolbook;
// r must not overlap a or b.
void WordsMulSchoolBase(uint32_t* r, const uint32_t* a, int32_t na, const uint32_t* b,
                        int32_t nb, uint64_t base);
