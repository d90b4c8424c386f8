// MPFR as the reference of the fast evaluators' tests: exact conversion of a
// Rational into an MPFR value, and the relative error of a Rational against
// a reference.
#pragma once

#include <gmp.h>
#include <mpfr.h>

#include <cmath>

#include "arith/bignum.h"
#include "arith/rational.h"

// z <- the integer value of x (exp >= 0), base-2^31 words with one nail bit.
inline void MpzFromBigNum(mpz_t z, const BigNum& x) {
  mpz_import(z, x.count, -1, sizeof(uint32_t), 0, 1, x.digits());
  mpz_mul_2exp(z, z, 31 * static_cast<mp_bitcnt_t>(x.exp));
  if (x.sign < 0) mpz_neg(z, z);
}

// y <- x rounded to y's precision (one rounding of the exact quotient).
inline void MpfrFromRational(mpfr_t y, const Rational& x) {
  mpz_t n, d;
  mpz_init(n);
  mpz_init(d);
  MpzFromBigNum(n, *x.num);
  MpzFromBigNum(d, *x.den);
  mpq_t q;
  mpq_init(q);
  mpq_set_num(q, n);
  mpq_set_den(q, d);
  if (mpz_sgn(d) < 0) {
    mpz_neg(n, n);
    mpz_neg(d, d);
    mpq_set_num(q, n);
    mpq_set_den(q, d);
  }
  mpfr_set_q(y, q, MPFR_RNDN);
  mpq_clear(q);
  mpz_clear(n);
  mpz_clear(d);
}

// log2 of |got - want| / |want| (-inf when equal); both at `bits` bits.
inline double Log2RelativeError(const Rational& got, const mpfr_t want, int bits) {
  mpfr_t g, d;
  mpfr_init2(g, bits);
  mpfr_init2(d, bits);
  MpfrFromRational(g, got);
  mpfr_sub(d, g, want, MPFR_RNDN);
  double result;
  if (mpfr_zero_p(d)) {
    result = -INFINITY;
  } else {
    mpfr_div(d, d, want, MPFR_RNDN);
    mpfr_abs(d, d, MPFR_RNDN);
    long e;
    double m = mpfr_get_d_2exp(&e, d, MPFR_RNDN);
    result = std::log2(m) + static_cast<double>(e);
  }
  mpfr_clear(g);
  mpfr_clear(d);
  return result;
}
