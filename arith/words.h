// Raw routines on arrays of base-2^31 words (least significant first), below
// the BigNum layer: they own no storage and know nothing of signs or
// exponents.
#pragma once

#include <cstdint>

// Below this many words of the shorter operand a schoolbook product is
// faster than Karatsuba's method.
constexpr int32_t kKaratsubaMin = 32;

// r[0, na + nb) <- a * b for any lengths >= 1; r must not overlap a or b.
// Long products use Karatsuba's method and poll the abort flag at every
// level: when it is set they give up, leaving a meaningless product that the
// aborted command drops. Scratch space comes from AllocBigNum, so this throws
// ErrOutOfMemory.
void WordsMultiply(uint32_t* r, const uint32_t* a, int32_t na, const uint32_t* b,
                   int32_t nb);
