#include "arith/pi.h"

#include <gtest/gtest.h>

#include "arith/constants.h"
#include "fasteval/mpfr_util.h"

namespace {

TEST(PiToWords, WithinTheRequestedWordsAtEverySize) {
  SetRadixAndPrecision(10, 33);
  for (int32_t words : {1, 2, 4, 7, 33, 120, 1200}) {
    const int bits = 31 * words + 200;
    mpfr_t pi;
    mpfr_init2(pi, bits);
    mpfr_const_pi(pi, MPFR_RNDN);
    const Rational p = PiToWords(words);
    EXPECT_LT(Log2RelativeError(p, pi, bits), -31.0 * words) << words << " words";
    // Components stay near the request, however large an earlier one was.
    EXPECT_LE(std::min(p.num->span(), p.den->span()), std::max(words, 2) + 2);
    mpfr_clear(pi);
  }
}

}  // namespace
