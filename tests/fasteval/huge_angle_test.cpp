// Huge radian angles reduced against pi by binary splitting: the results
// agree with MPFR's correctly reduced sine and cosine.
#include <gtest/gtest.h>

#include <string>

#include "arith/angle.h"
#include "arith/constants.h"
#include "arith/fast_eval.h"
#include "arith/radix_convert.h"
#include "arith/trig.h"
#include "fasteval/mpfr_util.h"
#include "numtext/from_text.h"

namespace {

TEST(HugeRadians, SineAndCosineAgreeWithMpfr) {
  struct Case {
    const char* text;
    int32_t precision;
  };
  const Case cases[] = {
      {"1e30", 33},
      {"1.2345678901234567890123456789012e4000", 33},
      {"-1.2345678901234567890123456789012e9999", 33},
      {"9.9999999999999999999999999999999e9999", 33},
      {"7.1234567890123456789012345678901234567890123456789012345678901234e9999", 65},
  };
  for (const Case& c : cases) {
    SetRadixAndPrecision(10, c.precision);
    BigPtr digits = ParseDigits(c.text);
    const Rational x = DigitsToRational(*digits, 10);
    const int bits = 34000;
    mpfr_t ref, arg;
    mpfr_init2(ref, 400);
    mpfr_init2(arg, bits);
    MpfrFromRational(arg, x);  // exact: x is an integer
    for (int cosine = 0; cosine < 2; ++cosine) {
      (cosine ? mpfr_cos : mpfr_sin)(ref, arg, MPFR_RNDN);
      // The series' reduction and the fixed-point one, within a few units
      // of the last digit kept.
      for (auto fn : {cosine ? Cosine : Sine, cosine ? FastCosine : FastSine}) {
        Rational y = CopyRational(x);
        fn(y, Radians);
        EXPECT_LT(Log2RelativeError(y, ref, 400), -3.32 * (c.precision - 2))
            << (cosine ? "cos " : "sin ") << c.text;
      }
    }
    mpfr_clear(ref);
    mpfr_clear(arg);
  }
  SetRadixAndPrecision(10, 33);
}

}  // namespace
