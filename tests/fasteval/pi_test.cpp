#include "arith/pi.h"

#include <gtest/gtest.h>

#include "arith/constants.h"
#include "arith/settings.h"
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

// A computation cut short by the watchdog leaves nothing behind: the next
// request computes pi afresh.
TEST(PiToWords, AbortedComputationIsNotKept) {
  for (int64_t polls : {3, 40, 400}) {
    AbortPollBudget.store(polls);
    PiToWords(3000 + static_cast<int32_t>(polls));
    AbortPollBudget.store(-1);
    AbortFlag.store(false);
    const int32_t words = 2000;
    mpfr_t pi;
    mpfr_init2(pi, 31 * words + 200);
    mpfr_const_pi(pi, MPFR_RNDN);
    EXPECT_LT(Log2RelativeError(PiToWords(words), pi, 31 * words + 200), -31.0 * words)
        << polls;
    mpfr_clear(pi);
  }
}

}  // namespace
