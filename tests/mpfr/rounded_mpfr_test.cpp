// Every correctly rounded function against MPFR.
//
// For each function, seeded random arguments of P significant digits over
// the whole domain (tiny and huge magnitudes, near the zeros and poles, near
// the ends of the domain, huge angles) are evaluated by EvaluateRounded and
// by MPFR at about 4 P decimal digits; MPFR's value, rounded to P digits half
// away from zero, must be what EvaluateRounded stored. Values within
// 10^-(P+8) (relative) of a rounding boundary are counted but not compared.
//
// QUIB_MPFR_ARGS sets the number of arguments per function and precision:
// 300 by default, so that the whole program stays within about a minute;
// the target mpfr_sweep runs 10000.
#include <gmp.h>
#include <mpfr.h>

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <iterator>
#include <tuple>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "arith/bignum.h"
#include "arith/constants.h"
#include "arith/error.h"
#include "arith/radix_convert.h"
#include "arith/rational.h"
#include "arith/rounded.h"
#include "arith/settings.h"

namespace {

// An MPFR number that frees itself.
struct Mp {
  mpfr_t v;
  explicit Mp(mpfr_prec_t bits) { mpfr_init2(v, bits); }
  ~Mp() { mpfr_clear(v); }
  Mp(const Mp&) = delete;
  Mp& operator=(const Mp&) = delete;
};

// A decimal of at most P significant digits: (-1)^negative digits 10^exp.
struct Decimal {
  bool negative = false;
  std::string digits = "0";
  int32_t exp = 0;
  std::string Text() const {
    return (negative ? "-" : "") + digits + "e" + std::to_string(exp);
  }
};

struct Context {
  int32_t p;
  mpfr_prec_t bits;
  std::mt19937_64 rng;

  int32_t Uniform(int32_t lo, int32_t hi) {
    return std::uniform_int_distribution<int32_t>(lo, hi)(rng);
  }
  bool Chance(int percent) { return Uniform(0, 99) < percent; }

  // P random digits (no leading zero) scaled so that the value lies in
  // [10^e, 10^(e+1)).
  Decimal Random(int32_t eLo, int32_t eHi, bool allowNegative) {
    Decimal d;
    d.digits.assign(static_cast<size_t>(p), '0');
    d.digits[0] = static_cast<char>('1' + Uniform(0, 8));
    for (int32_t i = 1; i < p; ++i) d.digits[i] = static_cast<char>('0' + Uniform(0, 9));
    // Some arguments with fewer digits, as typed.
    if (Chance(20)) d.digits.resize(static_cast<size_t>(Uniform(1, p)));
    d.exp = Uniform(eLo, eHi) - static_cast<int32_t>(d.digits.size()) + 1;
    d.negative = allowNegative && Chance(50);
    return d;
  }

  // v rounded to P digits.
  Decimal FromMp(const mpfr_t v) {
    Decimal d;
    if (mpfr_zero_p(v)) return d;
    mpfr_exp_t e = 0;
    char* s = mpfr_get_str(nullptr, &e, 10, static_cast<size_t>(p), v, MPFR_RNDN);
    std::string text = s;
    mpfr_free_str(s);
    if (text[0] == '-') {
      d.negative = true;
      text.erase(0, 1);
    }
    d.digits = text;
    d.exp = static_cast<int32_t>(e) - p;
    return d;
  }

  // c + delta, delta = +-(random below 1) 10^-k, rounded to P digits.
  Decimal Near(const mpfr_t c, int32_t kLo, int32_t kHi) {
    Mp delta(bits);
    Decimal r = Random(-1, -1, true);
    mpfr_set_str(delta.v, r.Text().c_str(), 10, MPFR_RNDN);
    ScaleByPow10(delta, -Uniform(kLo, kHi));
    Mp v(bits);
    mpfr_add(v.v, c, delta.v, MPFR_RNDN);
    return FromMp(v.v);
  }

  void ScaleByPow10(Mp& m, int32_t k) {
    Mp ten(bits);
    mpfr_set_ui(ten.v, 10, MPFR_RNDN);
    mpfr_pow_si(ten.v, ten.v, k, MPFR_RNDN);
    mpfr_mul(m.v, m.v, ten.v, MPFR_RNDN);
  }
};

Rational ToRational(const Decimal& d) {
  const int32_t n = static_cast<int32_t>(d.digits.size());
  BigPtr b = AllocBigNum(n);
  for (int32_t i = 0; i < n; ++i) {
    b->digits()[i] = static_cast<uint32_t>(d.digits[static_cast<size_t>(n - 1 - i)] - '0');
  }
  b->count = n;
  b->exp = d.exp;
  b->sign = d.negative ? -1 : 1;
  return DigitsToRational(*b, 10);
}

void ToMp(mpfr_t m, const Decimal& d) {
  mpfr_set_str(m, d.Text().c_str(), 10, MPFR_RNDN);
}

// A number's significant digits (no trailing zeros) and the power of ten of
// its first digit; "" for zero.
struct Shown {
  bool negative = false;
  std::string digits;
  int64_t lead = 0;
  bool operator==(const Shown& o) const {
    return negative == o.negative && digits == o.digits && (digits.empty() || lead == o.lead);
  }
  std::string Text() const {
    if (digits.empty()) return "0";
    return std::string(negative ? "-" : "") + digits[0] + "." + digits.substr(1) + "e" +
           std::to_string(lead);
  }
};

void ToMpz(mpz_t z, const BigNum& b) {
  mpz_set_ui(z, 0);
  for (int32_t i = b.count - 1; i >= 0; --i) {
    mpz_mul_2exp(z, z, kWordBits);
    mpz_add_ui(z, z, b.digits()[i]);
  }
  mpz_mul_2exp(z, z, static_cast<mp_bitcnt_t>(kWordBits) * static_cast<mp_bitcnt_t>(b.exp));
  if (b.sign < 0) mpz_neg(z, z);
}

// The value of x exactly (through GMP), with up to P + 12 significant
// digits: a result left with more than P digits shows them.
Shown ShownOf(const Rational& x, int32_t p, mpfr_prec_t bits) {
  Shown s;
  if (RatIsZero(x)) return s;
  mpq_t q;
  mpq_init(q);
  ToMpz(mpq_numref(q), *x.num);
  ToMpz(mpq_denref(q), *x.den);
  mpq_canonicalize(q);
  Mp v(bits + 64);
  mpfr_set_q(v.v, q, MPFR_RNDN);
  mpq_clear(q);
  mpfr_exp_t e = 0;
  char* text = mpfr_get_str(nullptr, &e, 10, static_cast<size_t>(p + 12), v.v, MPFR_RNDN);
  s.digits = text;
  mpfr_free_str(text);
  if (s.digits[0] == '-') {
    s.negative = true;
    s.digits.erase(0, 1);
  }
  s.lead = static_cast<int64_t>(e) - 1;
  while (!s.digits.empty() && s.digits.back() == '0') s.digits.pop_back();
  return s;
}

// MPFR's value rounded to P digits half away from zero. False when it lies
// within 10^-(P+8) relative of a rounding boundary (near a tie).
bool RoundReference(const mpfr_t v, int32_t p, Shown& out) {
  out = Shown{};
  if (mpfr_zero_p(v)) return true;
  constexpr int32_t kExtra = 24;
  mpfr_exp_t e = 0;
  char* s = mpfr_get_str(nullptr, &e, 10, static_cast<size_t>(p + kExtra), v, MPFR_RNDZ);
  std::string text = s;
  mpfr_free_str(s);
  if (text[0] == '-') {
    out.negative = true;
    text.erase(0, 1);
  }
  const std::string tail = text.substr(static_cast<size_t>(p), 9);
  if (tail == "500000000" || tail == "499999999") return false;
  std::string digits = text.substr(0, static_cast<size_t>(p));
  int64_t lead = static_cast<int64_t>(e) - 1;
  if (text[static_cast<size_t>(p)] >= '5') {
    int32_t i = p - 1;
    while (i >= 0 && digits[static_cast<size_t>(i)] == '9') digits[static_cast<size_t>(i--)] = '0';
    if (i < 0) {
      digits.insert(digits.begin(), '1');
      digits.pop_back();
      ++lead;
    } else {
      ++digits[static_cast<size_t>(i)];
    }
  }
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  out.digits = digits;
  out.lead = lead;
  return true;
}

// How the reference came out.
enum class Ref { Value, Zero, Error, Skip };

struct FunctionCase {
  const char* name;
  RoundedFunction f;
  AngleUnit unit;
  // Fills x (and y) with an argument of the domain.
  void (*generate)(Context& c, Decimal& x, Decimal& y);
  // r <- the function of x (and y) in MPFR; false for a domain error.
  bool (*reference)(mpfr_t r, const mpfr_t x, const mpfr_t y, mpfr_prec_t bits);
};

// Angles: ordinary, tiny, huge, and next to the multiples of a quarter turn
// `quarter` (mpfr value set by `setQuarter`).
void GenerateAngle(Context& c, Decimal& x, int32_t hugeExp, void (*setQuarter)(mpfr_t)) {
  const int kind = c.Uniform(0, 99);
  if (kind < 40) {
    x = c.Random(-3, 3, true);
  } else if (kind < 55) {
    x = c.Random(-60, -4, true);
  } else if (kind < 70) {
    x = c.Random(4, hugeExp, true);
  } else {
    Mp q(c.bits);
    setQuarter(q.v);
    const int32_t k = c.Chance(50) ? c.Uniform(-8, 8) : c.Uniform(-1000000, 1000000);
    mpfr_mul_si(q.v, q.v, k, MPFR_RNDN);
    x = c.Near(q.v, 1, c.p + 6);
  }
}
void QuarterRadians(mpfr_t q) {
  mpfr_const_pi(q, MPFR_RNDN);
  mpfr_div_ui(q, q, 2, MPFR_RNDN);
}
void QuarterDegrees(mpfr_t q) { mpfr_set_ui(q, 90, MPFR_RNDN); }
void QuarterGrads(mpfr_t q) { mpfr_set_ui(q, 100, MPFR_RNDN); }

void GenRadians(Context& c, Decimal& x, Decimal&) { GenerateAngle(c, x, 40, QuarterRadians); }
void GenDegrees(Context& c, Decimal& x, Decimal&) { GenerateAngle(c, x, 40, QuarterDegrees); }
void GenGrads(Context& c, Decimal& x, Decimal&) { GenerateAngle(c, x, 40, QuarterGrads); }

// |x| <= 1, near the ends and near zero.
void GenUnit(Context& c, Decimal& x, Decimal&) {
  const int kind = c.Uniform(0, 99);
  Mp one(c.bits);
  mpfr_set_si(one.v, c.Chance(50) ? 1 : -1, MPFR_RNDN);
  if (kind < 45) {
    x = c.Random(-1, -1, true);
  } else if (kind < 60) {
    x = c.Random(-60, -2, true);
  } else {
    x = c.Near(one.v, 1, c.p + 4);
    // Keep |x| <= 1: fold anything above back below.
    Mp v(c.bits);
    ToMp(v.v, x);
    mpfr_set_ui(one.v, 1, MPFR_RNDN);
    if (mpfr_cmpabs(v.v, one.v) > 0) {
      Mp w(c.bits);
      mpfr_abs(w.v, v.v, MPFR_RNDN);
      mpfr_ui_sub(w.v, 2, w.v, MPFR_RNDN);
      if (mpfr_sgn(v.v) < 0) mpfr_neg(w.v, w.v, MPFR_RNDN);
      x = c.FromMp(w.v);
    }
  }
}

// Any magnitude.
void GenAny(Context& c, Decimal& x, Decimal&) {
  x = c.Chance(70) ? c.Random(-60, 60, true) : c.Random(-3000, 3000, true);
}

// |x| up to the exponent limit 100000.
void GenExpRange(Context& c, Decimal& x, Decimal&) {
  if (c.Chance(15)) {
    x = c.Random(4, 4, true);  // 10^4 to 10^5
  } else {
    x = c.Chance(50) ? c.Random(-2, 3, true) : c.Random(-60, -3, true);
  }
}
void GenTenRange(Context& c, Decimal& x, Decimal&) {
  if (c.Chance(15)) {
    x = c.Random(3, 3, true);  // below 10^4, so 10^x stays in range
  } else {
    x = c.Chance(50) ? c.Random(-2, 2, true) : c.Random(-60, -3, true);
  }
}

// Positive values of every size the keypad holds, and next to 1.
void GenPositive(Context& c, Decimal& x, Decimal&) {
  const int kind = c.Uniform(0, 99);
  if (kind < 40) {
    x = c.Random(-9999, 9999, false);
  } else if (kind < 70) {
    x = c.Random(-40, 40, false);
  } else {
    Mp one(c.bits);
    mpfr_set_ui(one.v, 1, MPFR_RNDN);
    x = c.Near(one.v, 1, c.p + 4);
  }
}

// x >= 1, next to 1 as well.
void GenAtLeastOne(Context& c, Decimal& x, Decimal&) {
  if (c.Chance(40)) {
    Mp one(c.bits);
    mpfr_set_ui(one.v, 1, MPFR_RNDN);
    x = c.Near(one.v, 1, c.p + 4);
    x.negative = false;
    Mp v(c.bits);
    ToMp(v.v, x);
    if (mpfr_cmp_ui(v.v, 1) < 0) {
      mpfr_ui_sub(v.v, 2, v.v, MPFR_RNDN);
      x = c.FromMp(v.v);
    }
  } else {
    x = c.Random(0, 60, false);
  }
}

// |x| < 1 for artanh: as GenUnit without +-1 itself.
void GenOpenUnit(Context& c, Decimal& x, Decimal& y) {
  do {
    GenUnit(c, x, y);
  } while (x.digits == "1" && x.exp == 0);
}

// |ln x| in double, for the range of the exponent.
double AbsLn(const Context& c, const Decimal& d) {
  Mp v(c.bits);
  ToMp(v.v, d);
  mpfr_abs(v.v, v.v, MPFR_RNDN);
  mpfr_log(v.v, v.v, MPFR_RNDN);
  return std::fabs(mpfr_get_d(v.v, MPFR_RNDN));
}

// A positive base and a non-integral exponent with |y ln x| < 99000.
void GenPower(Context& c, Decimal& x, Decimal& y) {
  GenPositive(c, x, y);
  const double lnx = AbsLn(c, x);
  const double limit = lnx > 0 ? 99000.0 / lnx : 1e30;
  const int32_t top = static_cast<int32_t>(std::floor(std::log10(std::min(limit, 1e30)))) - 1;
  do {
    y = c.Random(-40, std::max(top, -39), true);
  } while (y.exp >= 0);  // whole exponents are exact and not rounded
}

// Roots: x^(1/y) with y non-integral and positive x, or odd whole y of a
// negative x.
void GenRoot(Context& c, Decimal& x, Decimal& y) {
  GenPositive(c, x, y);
  if (c.Chance(30)) {
    y = Decimal{false, std::to_string(2 * c.Uniform(1, 12) + 1), 0};
    x.negative = c.Chance(50);
    return;
  }
  const double lnx = AbsLn(c, x);
  // 1/|y| < 99000 / |ln x|.
  const double bound = lnx > 0 ? lnx / 99000.0 : 1e-30;
  const int32_t low = static_cast<int32_t>(std::ceil(std::log10(std::max(bound, 1e-30)))) + 1;
  // 1/y whole (y = 0.5, say) is an exact power, not rounded: not here.
  Mp q(c.bits);
  do {
    y = c.Random(std::max(low, -30), 30, true);
    ToMp(q.v, y);
    mpfr_ui_div(q.v, 1, q.v, MPFR_RNDN);
  } while (mpfr_integer_p(q.v));
}
void GenSqrt(Context& c, Decimal& x, Decimal& y) {
  GenPositive(c, x, y);
  y = Decimal{false, "2", 0};
}
void GenCbrt(Context& c, Decimal& x, Decimal& y) {
  GenPositive(c, x, y);
  x.negative = c.Chance(50);
  y = Decimal{false, "3", 0};
}

// n! of non-integers: ordinary, next to the poles, tiny, and a few large
// ones (each takes |x| products).
void GenFactorial(Context& c, Decimal& x, Decimal&) {
  const int kind = c.Uniform(0, 99);
  if (kind < 3) {
    x = c.Random(2, 2, false);
  } else if (kind < 50) {
    x = c.Random(-1, 1, true);
  } else if (kind < 75) {
    Mp pole(c.bits);
    mpfr_set_si(pole.v, -c.Uniform(1, 40), MPFR_RNDN);
    x = c.Near(pole.v, 1, c.p - 2);
  } else {
    x = c.Random(-40, -2, true);
  }
  // Whole numbers are exact products, not rounded: move them off.
  if (x.exp >= 0) {
    Mp v(c.bits);
    ToMp(v.v, x);
    mpfr_add_d(v.v, v.v, 0.5, MPFR_RNDN);
    x = c.FromMp(v.v);
  }
}

#define QUIB_REF(name, call)                                                   \
  bool name(mpfr_t r, const mpfr_t x, const mpfr_t y, mpfr_prec_t bits) {      \
    (void)y;                                                                   \
    (void)bits;                                                                \
    call;                                                                      \
    return !mpfr_nan_p(r) && !mpfr_inf_p(r);                                   \
  }
QUIB_REF(RefSin, mpfr_sin(r, x, MPFR_RNDN))
QUIB_REF(RefCos, mpfr_cos(r, x, MPFR_RNDN))
QUIB_REF(RefTan, mpfr_tan(r, x, MPFR_RNDN))
QUIB_REF(RefSinDeg, mpfr_sinu(r, x, 360, MPFR_RNDN))
QUIB_REF(RefCosDeg, mpfr_cosu(r, x, 360, MPFR_RNDN))
QUIB_REF(RefTanDeg, mpfr_tanu(r, x, 360, MPFR_RNDN))
QUIB_REF(RefSinGrad, mpfr_sinu(r, x, 400, MPFR_RNDN))
QUIB_REF(RefCosGrad, mpfr_cosu(r, x, 400, MPFR_RNDN))
QUIB_REF(RefTanGrad, mpfr_tanu(r, x, 400, MPFR_RNDN))
QUIB_REF(RefAsin, mpfr_asin(r, x, MPFR_RNDN))
QUIB_REF(RefAcos, mpfr_acos(r, x, MPFR_RNDN))
QUIB_REF(RefAtan, mpfr_atan(r, x, MPFR_RNDN))
QUIB_REF(RefAsinDeg, mpfr_asinu(r, x, 360, MPFR_RNDN))
QUIB_REF(RefAcosDeg, mpfr_acosu(r, x, 360, MPFR_RNDN))
QUIB_REF(RefAtanDeg, mpfr_atanu(r, x, 360, MPFR_RNDN))
QUIB_REF(RefAsinGrad, mpfr_asinu(r, x, 400, MPFR_RNDN))
QUIB_REF(RefAcosGrad, mpfr_acosu(r, x, 400, MPFR_RNDN))
QUIB_REF(RefAtanGrad, mpfr_atanu(r, x, 400, MPFR_RNDN))
QUIB_REF(RefSinh, mpfr_sinh(r, x, MPFR_RNDN))
QUIB_REF(RefCosh, mpfr_cosh(r, x, MPFR_RNDN))
QUIB_REF(RefTanh, mpfr_tanh(r, x, MPFR_RNDN))
QUIB_REF(RefAsinh, mpfr_asinh(r, x, MPFR_RNDN))
QUIB_REF(RefAcosh, mpfr_acosh(r, x, MPFR_RNDN))
QUIB_REF(RefAtanh, mpfr_atanh(r, x, MPFR_RNDN))
QUIB_REF(RefLn, mpfr_log(r, x, MPFR_RNDN))
QUIB_REF(RefLog10, mpfr_log10(r, x, MPFR_RNDN))
QUIB_REF(RefExp, mpfr_exp(r, x, MPFR_RNDN))
QUIB_REF(RefExp10, mpfr_exp10(r, x, MPFR_RNDN))
QUIB_REF(RefPow, mpfr_pow(r, x, y, MPFR_RNDN))
#undef QUIB_REF

bool RefRoot(mpfr_t r, const mpfr_t x, const mpfr_t y, mpfr_prec_t bits) {
  if (mpfr_integer_p(y) && mpfr_fits_ulong_p(y, MPFR_RNDN)) {
    mpfr_rootn_ui(r, x, mpfr_get_ui(y, MPFR_RNDN), MPFR_RNDN);
  } else {
    Mp q(bits);
    mpfr_ui_div(q.v, 1, y, MPFR_RNDN);
    mpfr_pow(r, x, q.v, MPFR_RNDN);
  }
  return !mpfr_nan_p(r) && !mpfr_inf_p(r);
}

bool RefFactorial(mpfr_t r, const mpfr_t x, const mpfr_t, mpfr_prec_t bits) {
  Mp a(bits);
  mpfr_add_ui(a.v, x, 1, MPFR_RNDN);
  mpfr_gamma(r, a.v, MPFR_RNDN);
  return !mpfr_nan_p(r) && !mpfr_inf_p(r);
}

const FunctionCase kFunctions[] = {
    {"sin rad", FnSine, Radians, GenRadians, RefSin},
    {"sin deg", FnSine, Degrees, GenDegrees, RefSinDeg},
    {"sin grad", FnSine, Grads, GenGrads, RefSinGrad},
    {"cos rad", FnCosine, Radians, GenRadians, RefCos},
    {"cos deg", FnCosine, Degrees, GenDegrees, RefCosDeg},
    {"cos grad", FnCosine, Grads, GenGrads, RefCosGrad},
    {"tan rad", FnTangent, Radians, GenRadians, RefTan},
    {"tan deg", FnTangent, Degrees, GenDegrees, RefTanDeg},
    {"tan grad", FnTangent, Grads, GenGrads, RefTanGrad},
    {"asin rad", FnArcSine, Radians, GenUnit, RefAsin},
    {"asin deg", FnArcSine, Degrees, GenUnit, RefAsinDeg},
    {"asin grad", FnArcSine, Grads, GenUnit, RefAsinGrad},
    {"acos rad", FnArcCosine, Radians, GenUnit, RefAcos},
    {"acos deg", FnArcCosine, Degrees, GenUnit, RefAcosDeg},
    {"acos grad", FnArcCosine, Grads, GenUnit, RefAcosGrad},
    {"atan rad", FnArcTangent, Radians, GenAny, RefAtan},
    {"atan deg", FnArcTangent, Degrees, GenAny, RefAtanDeg},
    {"atan grad", FnArcTangent, Grads, GenAny, RefAtanGrad},
    {"sinh", FnHypSine, Radians, GenExpRange, RefSinh},
    {"cosh", FnHypCosine, Radians, GenExpRange, RefCosh},
    {"tanh", FnHypTangent, Radians, GenExpRange, RefTanh},
    {"arsinh", FnHypArcSine, Radians, GenAny, RefAsinh},
    {"arcosh", FnHypArcCosine, Radians, GenAtLeastOne, RefAcosh},
    {"artanh", FnHypArcTangent, Radians, GenOpenUnit, RefAtanh},
    {"ln", FnNaturalLog, Radians, GenPositive, RefLn},
    {"log", FnCommonLog, Radians, GenPositive, RefLog10},
    {"e^x", FnExponential, Radians, GenExpRange, RefExp},
    {"10^x", FnPowerOfTen, Radians, GenTenRange, RefExp10},
    {"x^y", FnPower, Radians, GenPower, RefPow},
    {"root", FnRoot, Radians, GenRoot, RefRoot},
    {"sqrt", FnRoot, Radians, GenSqrt, RefRoot},
    {"cbrt", FnRoot, Radians, GenCbrt, RefRoot},
    {"n!", FnFactorial, Radians, GenFactorial, RefFactorial},
};

int32_t ArgumentCount() {
  const char* env = std::getenv("QUIB_MPFR_ARGS");
  const long n = env != nullptr ? std::strtol(env, nullptr, 10) : 0;
  return n > 0 ? static_cast<int32_t>(n) : 300;
}

struct Tally {
  int32_t checked = 0;
  int32_t nearTies = 0;
  int32_t failures = 0;
};

// |v| compared with 10^e: the sign of |v| - 10^e.
int CompareAbsPow10(const mpfr_t v, int32_t e, mpfr_prec_t bits) {
  Mp t(bits);
  mpfr_set_ui(t.v, 10, MPFR_RNDN);
  mpfr_pow_si(t.v, t.v, e, MPFR_RNDN);
  return mpfr_cmpabs(v, t.v);
}

void Check(const FunctionCase& fn, Context& c, const Decimal& xd, const Decimal& yd, Tally& tally) {
  const int32_t p = c.p;
  Mp x(c.bits), y(c.bits), r(c.bits);
  ToMp(x.v, xd);
  ToMp(y.v, yd);
  const bool defined = fn.reference(r.v, x.v, y.v, c.bits);

  Rational qx = ToRational(xd);
  const Rational qy = ToRational(yd);
  ErrorCode code = 0;
  try {
    EvaluateRounded(qx, fn.f, fn.unit, &qy);
  } catch (const ArithError& e) {
    code = e.code;
  }
  EXPECT_EQ(WorkingPrecision, p);
  const std::string what = std::string(fn.name) + " of " + xd.Text() +
                           (fn.f == FnPower || fn.f == FnRoot ? " and " + yd.Text() : "");

  // The snaps: a sine, cosine or tangent within epsilon of zero is 0, a
  // tangent of magnitude 1/epsilon or more is refused.
  const bool sinCos = fn.f == FnSine || fn.f == FnCosine || fn.f == FnTangent;
  if (defined && sinCos && CompareAbsPow10(r.v, -p, c.bits) <= 0) mpfr_set_zero(r.v, 1);
  if (defined && fn.f == FnTangent && CompareAbsPow10(r.v, p, c.bits) >= 0) {
    ++tally.checked;
    if (code != ErrInvalidInput) {
      ++tally.failures;
      ADD_FAILURE() << what << ": a pole, want Invalid input";
    }
    return;
  }
  if (!defined) {
    ++tally.checked;
    if (code == 0) {
      ++tally.failures;
      ADD_FAILURE() << what << ": MPFR has no value, got " << ShownOf(qx, p, c.bits).Text();
    }
    return;
  }
  Shown want;
  if (!RoundReference(r.v, p, want)) {
    ++tally.nearTies;
    return;
  }
  ++tally.checked;
  if (code != 0) {
    ++tally.failures;
    ADD_FAILURE() << what << ": error " << std::hex << code << std::dec << ", want "
                  << want.Text();
    return;
  }
  const Shown got = ShownOf(qx, p, c.bits);
  if (!(got == want)) {
    ++tally.failures;
    if (tally.failures <= 20) ADD_FAILURE() << what << ": got " << got.Text() << " want " << want.Text();
  }
}

class MpfrTest : public testing::TestWithParam<std::tuple<int32_t, size_t>> {
 protected:
  void TearDown() override {
    settings.radix = 10;
    SetRadixAndPrecision(10, 33);
  }
};

TEST_P(MpfrTest, CorrectlyRounded) {
  const int32_t p = std::get<0>(GetParam());
  const FunctionCase& fn = kFunctions[std::get<1>(GetParam())];
  settings.radix = 10;
  SetRadixAndPrecision(10, p);
  const int32_t count = ArgumentCount();
  Context c{p, static_cast<mpfr_prec_t>(4 * p * 3.33) + 64,
            std::mt19937_64(0x5eed0000u + static_cast<uint64_t>(p) * 131 +
                            static_cast<uint64_t>(fn.f) * 7 + fn.unit)};
  Tally tally;
  const auto start = std::chrono::steady_clock::now();
  for (int32_t i = 0; i < count; ++i) {
    Decimal x, y;
    fn.generate(c, x, y);
    Check(fn, c, x, y, tally);
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("P=%d %-10s %6d checked, %4d near ties, %3d misrounded, %7.2f s\n", p,
              fn.name, tally.checked, tally.nearTies, tally.failures, seconds);
  EXPECT_EQ(tally.failures, 0);
}

std::string SpecName(const testing::TestParamInfo<MpfrTest::ParamType>& info) {
  std::string name = std::string("P") + std::to_string(std::get<0>(info.param)) + "_";
  for (const char* c = kFunctions[std::get<1>(info.param)].name; *c != 0; ++c) {
    if (std::isalnum(static_cast<unsigned char>(*c))) {
      name += *c;
    } else if (*c == ' ') {
      name += '_';
    } else if (*c == '^') {
      name += "pow";
    } else if (*c == '!') {
      name += "factorial";
    }
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Functions, MpfrTest,
                         testing::Combine(testing::Values(33, 65),
                                          testing::Range(size_t{0}, std::size(kFunctions))),
                         SpecName);

}  // namespace
