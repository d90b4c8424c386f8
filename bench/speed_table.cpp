// The speed table of the function keys: each function timed at P = 33 and
// P = 65 (precision settings 32 and 64) beside MPFR at 110 and 220 bits and
// `bc -l` at scale 33 and 65, all in one run, with the ratios; 10000! exact
// and converted to decimal text beside GMP's factorial and mpz_get_str; and
// the slow cases a user can type (huge angles, huge and tiny arguments,
// powers with huge exponents, Mod of huge values), each run once and stopped
// after a cap.
//
//   quib_speed_table [--quick] [--no-bc] [--no-worst] [--no-table]
//                    [--only TEXT] [--cap S] [--tsv] [--factorial]
// (--only keeps the rows and slow cases whose name contains TEXT;
// --factorial times only 10000!, its product and its conversion apart).
//
// Times are CPU time of the calling thread (of bc's process for bc), the
// best of several batches, in microseconds per call. MPFR, GMP and bc are
// references for this program only; nothing of the calculator links them.
// bench/speed_compare.sh builds this same source against another checkout
// (the code before a change) and prints both tables from one run.
#include <gmp.h>
#include <mpfr.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "arith/angle.h"
#include "arith/constants.h"
#include "arith/exp_log.h"
#include "arith/factorial.h"
#include "arith/hyperbolic.h"
#include "arith/integer.h"
#include "arith/inverse_trig.h"
#include "arith/power.h"
#include "arith/radix_convert.h"
#include "arith/rational.h"
#include "arith/settings.h"
#include "arith/trig.h"
#include "numtext/from_text.h"

// The keys: through the correctly rounded evaluation where the code has it,
// the plain functions otherwise (the code before it), so that one source
// times both.
#if __has_include("arith/rounded.h")
#include "arith/rounded.h"
#define QUIB_KEY(fn, unit, y, direct) EvaluateRounded(x, fn, unit, y)
#else
#define QUIB_KEY(fn, unit, y, direct) direct
#endif

namespace {

bool gQuick = false;

double ThreadSeconds() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}

// Microseconds per call of f: batches of at least `batch` seconds, the best
// of `rounds` batches.
double Time(const std::function<void()>& f) {
  const double batch = gQuick ? 0.01 : 0.04;
  const int rounds = gQuick ? 2 : 4;
  f();
  int64_t reps = 1;
  for (;;) {
    const double t0 = ThreadSeconds();
    for (int64_t i = 0; i < reps; ++i) f();
    const double t = ThreadSeconds() - t0;
    if (t >= batch || reps > (int64_t{1} << 30)) break;
    reps = t <= 0 ? reps * 10 : std::max(reps + 1, static_cast<int64_t>(reps * batch * 1.2 / t));
  }
  double best = 1e300;
  for (int r = 0; r < rounds; ++r) {
    const double t0 = ThreadSeconds();
    for (int64_t i = 0; i < reps; ++i) f();
    best = std::min(best, (ThreadSeconds() - t0) / reps);
  }
  return best * 1e6;
}

// A value from its text at the current precision, as the keypad would hold it.
Rational Value(const char* text) {
  BigPtr digits = ParseDigits(text);
  return DigitsToRational(*digits, 10);
}

// The keys' functions, in radians where no unit is named.
struct Row {
  const char* name;
  const char* arg;  // the argument's text
  std::function<void(Rational&)> quib;
  std::function<void(mpfr_t, mpfr_t)> mpfr;  // y <- f(x), x set from arg
  const char* bc;  // the bc -l expression, or null
  bool inMean = true;  // counted in the geometric mean
};

std::vector<Row> Rows() {
  auto rnd = MPFR_RNDN;
  return {
      {"e^1.2345", "1.2345", [](Rational& x) { QUIB_KEY(FnExponential, Radians, nullptr, Exponential(x)); },
       [=](mpfr_t y, mpfr_t x) { mpfr_exp(y, x, rnd); }, "e(1.2345)"},
      {"ln 1.2345", "1.2345", [](Rational& x) { QUIB_KEY(FnNaturalLog, Radians, nullptr, NaturalLog(x)); },
       [=](mpfr_t y, mpfr_t x) { mpfr_log(y, x, rnd); }, "l(1.2345)"},
      {"log 1000", "1000", [](Rational& x) { QUIB_KEY(FnCommonLog, Radians, nullptr, CommonLog(x)); },
       [=](mpfr_t y, mpfr_t x) { mpfr_log10(y, x, rnd); }, "l(1000)/l(10)"},
      {"2.5^0.7", "2.5",
       [](Rational& x) {
         Rational y;  // 7/10
         y.num = BigNumFromInt(7, kInternalBase);
         y.den = BigNumFromInt(10, kInternalBase);
         QUIB_KEY(FnPower, Radians, &y, Power(x, y));
       },
       [=](mpfr_t y, mpfr_t x) {
         mpfr_t e;
         mpfr_init2(e, mpfr_get_prec(y));
         mpfr_set_str(e, "0.7", 10, rnd);
         mpfr_pow(y, x, e, rnd);
         mpfr_clear(e);
       },
       "e(0.7*l(2.5))"},
      {"cube root 27", "27",
       [](Rational& x) {
         const Rational three = RatFromInt(3);
         QUIB_KEY(FnRoot, Radians, &three, Root(x, three));
       },
       [=](mpfr_t y, mpfr_t x) { mpfr_cbrt(y, x, rnd); }, "e(l(27)/3)"},
      {"sqrt 2", "2",
       [](Rational& x) {
         const Rational two = RatFromInt(2);
         QUIB_KEY(FnRoot, Radians, &two, Root(x, two));
       },
       [=](mpfr_t y, mpfr_t x) { mpfr_sqrt(y, x, rnd); }, "sqrt(2)", false},
      {"asin 0.5", "0.5", [](Rational& x) { QUIB_KEY(FnArcSine, Radians, nullptr, ArcSine(x)); },
       [=](mpfr_t y, mpfr_t x) { mpfr_asin(y, x, rnd); }, "a(0.5/sqrt(0.75))"},
      {"atan 3", "3", [](Rational& x) { QUIB_KEY(FnArcTangent, Radians, nullptr, ArcTangent(x)); },
       [=](mpfr_t y, mpfr_t x) { mpfr_atan(y, x, rnd); }, "a(3)"},
      {"sin 30 deg", "30", [](Rational& x) { QUIB_KEY(FnSine, Degrees, nullptr, Sine(x, Degrees)); },
       [=](mpfr_t y, mpfr_t x) { mpfr_sinu(y, x, 360, rnd); }, "s(30*(4*a(1))/180)"},
      {"sin 1e30 rad", "1e30", [](Rational& x) { QUIB_KEY(FnSine, Radians, nullptr, Sine(x, Radians)); },
       [=](mpfr_t y, mpfr_t x) { mpfr_sin(y, x, rnd); }, "s(10^30)"},
      {"sinh 0.5", "0.5", [](Rational& x) { QUIB_KEY(FnHypSine, Radians, nullptr, HypSine(x)); },
       [=](mpfr_t y, mpfr_t x) { mpfr_sinh(y, x, rnd); }, "(e(0.5)-e(-0.5))/2"},
      {"0.5!", "0.5", [](Rational& x) { QUIB_KEY(FnFactorial, Radians, nullptr, Factorial(x)); },
       [=](mpfr_t y, mpfr_t x) {
         mpfr_add_ui(y, x, 1, rnd);
         mpfr_gamma(y, y, rnd);
       },
       nullptr},
  };
}

// ---------------------------------------------------------------------------
// bc -l: CPU seconds of its process running the expression n times, less the
// same loop around a plain assignment.

double BcChildSeconds(int scale, int n, const char* expr) {
  char cmd[512];
  std::snprintf(cmd, sizeof cmd,
                "printf 'scale=%d\\nfor (i = 0; i < %d; i++) { x = %s }\\n' | bc -l "
                ">/dev/null 2>&1",
                scale, n, expr);
  rusage before, after;
  getrusage(RUSAGE_CHILDREN, &before);
  if (std::system(cmd) != 0) return -1;
  getrusage(RUSAGE_CHILDREN, &after);
  auto secs = [](const timeval& t) { return t.tv_sec + t.tv_usec * 1e-6; };
  return secs(after.ru_utime) - secs(before.ru_utime) + secs(after.ru_stime) -
         secs(before.ru_stime);
}

double BcMicros(int scale, const char* expr) {
  if (!expr) return -1;
  int n = gQuick ? 20 : 50;
  double busy = BcChildSeconds(scale, n, expr);
  if (busy < 0) return -1;
  // Enough calls for a quarter of a second of work.
  if (busy < 0.25) {
    n = static_cast<int>(n * std::min(50.0, 0.25 / std::max(busy, 1e-4)));
    busy = BcChildSeconds(scale, n, expr);
  }
  const double idle = BcChildSeconds(scale, n, "1.2345");
  return std::max(0.0, busy - idle) / n * 1e6;
}

bool HaveBc() { return std::system("command -v bc >/dev/null 2>&1") == 0; }

// ---------------------------------------------------------------------------

struct Cell {
  double quib, mpfr, bc;
};

Cell Measure(const Row& row, int precision, int bits, int scale, bool withBc) {
  SetRadixAndPrecision(10, precision);
  const Rational arg = Value(row.arg);
  Cell c;
  c.quib = Time([&] {
    Rational x = CopyRational(arg);
    row.quib(x);
  });
  mpfr_t x, y;
  mpfr_init2(x, bits);
  mpfr_init2(y, bits);
  mpfr_set_str(x, row.arg, 10, MPFR_RNDN);
  c.mpfr = Time([&] { row.mpfr(y, x); });
  mpfr_clear(x);
  mpfr_clear(y);
  c.bc = withBc ? BcMicros(scale, row.bc) : -1;
  SetRadixAndPrecision(10, 33);
  return c;
}

// 10000! exact and its decimal digits, against GMP.
Cell MeasureFactorial() {
  SetRadixAndPrecision(10, 33);
  Cell c;
  c.quib = Time([] {
    Rational x = RatFromInt(10000);
    Factorial(x);
    PrecisionRaise raise(x.num->count + 2);
    BigPtr digits = InternalToDigits(*x.num, 10);
  });
  c.mpfr = Time([] {
    mpz_t f;
    mpz_init(f);
    mpz_fac_ui(f, 10000);
    char* s = mpz_get_str(nullptr, 10, f);
    void (*freefunc)(void*, size_t);
    mp_get_memory_functions(nullptr, nullptr, &freefunc);
    freefunc(s, std::strlen(s) + 1);
    mpz_clear(f);
  });
  c.bc = -1;
  return c;
}

// The two halves of 10000! to text apart: the product, then the conversion
// of a product made beforehand.
void PrintFactorialParts() {
  SetRadixAndPrecision(10, 33);
  Rational f = RatFromInt(10000);
  Factorial(f);
  const double product = Time([] {
    Rational x = RatFromInt(10000);
    Factorial(x);
  });
  const double convert = Time([&f] {
    PrecisionRaise raise(f.num->count + 2);
    BigPtr digits = InternalToDigits(*f.num, 10);
  });
  mpz_t g;
  mpz_init(g);
  mpz_fac_ui(g, 10000);
  const double gmpProduct = Time([] {
    mpz_t h;
    mpz_init(h);
    mpz_fac_ui(h, 10000);
    mpz_clear(h);
  });
  const double gmpConvert = Time([&g] {
    char* s = mpz_get_str(nullptr, 10, g);
    void (*freefunc)(void*, size_t);
    mp_get_memory_functions(nullptr, nullptr, &freefunc);
    freefunc(s, std::strlen(s) + 1);
  });
  mpz_clear(g);
  std::printf("10000! product   %9.2f us, GMP %9.2f us, %6.1fx\n", product, gmpProduct,
              product / gmpProduct);
  std::printf("10000! to text   %9.2f us, GMP %9.2f us, %6.1fx\n", convert, gmpConvert,
              convert / gmpConvert);
}

void PrintRatio(double a, double b) {
  if (a < 0 || b <= 0) {
    std::printf(" %7s", "-");
  } else {
    std::printf(" %6.1fx", a / b);
  }
}

void PrintTime(double t) {
  if (t < 0) {
    std::printf(" %9s", "-");
  } else {
    std::printf(" %9.2f", t);
  }
}

// ---------------------------------------------------------------------------
// The slow cases: each key once, stopped by the abort flag after the cap.

struct Worst {
  const char* name;
  int precision;
  std::function<void()> run;  // builds its arguments, applies the key
};

Rational Huge(const char* text) { return Value(text); }

std::vector<Worst> WorstCases() {
  const char* kBig = "1.2345678901234567890123456789012e9999";
  const char* kBig4000 = "1.2345678901234567890123456789012e4000";
  const char* kTiny = "1.2345678901234567890123456789012e-9999";
  std::vector<Worst> w;
  for (int p : {33, 65}) {
    auto add = [&](const char* name, std::function<void()> f) { w.push_back({name, p, f}); };
    add("sin 1.23e9999 rad", [=] { Rational x = Huge(kBig); QUIB_KEY(FnSine, Radians, nullptr, Sine(x, Radians)); });
    add("cos 1.23e9999 rad", [=] { Rational x = Huge(kBig); QUIB_KEY(FnCosine, Radians, nullptr, Cosine(x, Radians)); });
    add("tan 1.23e9999 rad", [=] { Rational x = Huge(kBig); QUIB_KEY(FnTangent, Radians, nullptr, Tangent(x, Radians)); });
    add("sin 1.23e4000 rad", [=] { Rational x = Huge(kBig4000); QUIB_KEY(FnSine, Radians, nullptr, Sine(x, Radians)); });
    add("sin 1.23e9999 deg", [=] { Rational x = Huge(kBig); QUIB_KEY(FnSine, Degrees, nullptr, Sine(x, Degrees)); });
    add("cos 1.23e9999 grad", [=] { Rational x = Huge(kBig); QUIB_KEY(FnCosine, Grads, nullptr, Cosine(x, Grads)); });
    add("sin 1.23e-9999 rad", [=] { Rational x = Huge(kTiny); QUIB_KEY(FnSine, Radians, nullptr, Sine(x, Radians)); });
    add("sinh -100000", [] { Rational x = RatFromInt(-100000); QUIB_KEY(FnHypSine, Radians, nullptr, HypSine(x)); });
    add("sinh -99999.5", [] { Rational x = Value("-99999.5"); QUIB_KEY(FnHypSine, Radians, nullptr, HypSine(x)); });
    add("tanh -50000", [] { Rational x = RatFromInt(-50000); QUIB_KEY(FnHypTangent, Radians, nullptr, HypTangent(x)); });
    add("cosh 99999.5", [] { Rational x = Value("99999.5"); QUIB_KEY(FnHypCosine, Radians, nullptr, HypCosine(x)); });
    add("e^-99999.5", [] { Rational x = Value("-99999.5"); QUIB_KEY(FnExponential, Radians, nullptr, Exponential(x)); });
    add("e^1.23e-9999", [=] { Rational x = Huge(kTiny); QUIB_KEY(FnExponential, Radians, nullptr, Exponential(x)); });
    add("ln 1.23e9999", [=] { Rational x = Huge(kBig); QUIB_KEY(FnNaturalLog, Radians, nullptr, NaturalLog(x)); });
    add("log 1.23e-9999", [=] { Rational x = Huge(kTiny); QUIB_KEY(FnCommonLog, Radians, nullptr, CommonLog(x)); });
    add("sqrt 1.23e9999", [=] { Rational x = Huge(kBig); const Rational two = RatFromInt(2); QUIB_KEY(FnRoot, Radians, &two, Root(x, two)); });
    add("atan 1.23e9999", [=] { Rational x = Huge(kBig); QUIB_KEY(FnArcTangent, Radians, nullptr, ArcTangent(x)); });
    add("asinh 1.23e9999", [=] { Rational x = Huge(kBig); QUIB_KEY(FnHypArcSine, Radians, nullptr, HypArcSine(x)); });
    add("2^1.23e9999", [=] {
      Rational x = RatFromInt(2);
      try {
        const Rational y = Huge(kBig);
        QUIB_KEY(FnPower, Radians, &y, Power(x, y));
      } catch (...) {
      }
    });
    add("1.0001^(100000-word y / 2)", [] {
      // An exponent of 100,000 words with a fractional part, its quotient
      // by the denominator full of set bits.
      Rational y;
      y.num = AllocBigNum(100000);
      y.num->sign = 1;
      y.num->count = 100000;
      for (int32_t i = 0; i < 100000; ++i) y.num->digits()[i] = 0x55555555u & kWordMask;
      y.den = BigNumFromInt(2, kInternalBase);
      Rational x = Value("1.0001");
      try {
        QUIB_KEY(FnPower, Radians, &y, Power(x, y));
      } catch (...) {
      }
    });
    add("1.23e9999 Mod 7", [=] { Rational x = Huge(kBig); RatMod(x, RatFromInt(7)); });
    add("1.23e9999 Mod 1.23e-9999", [=] {
      Rational x = Huge(kBig);
      RatMod(x, Huge(kTiny));
    });
    add("Int 1.23e9999", [=] { Rational x = Huge(kBig); RatInt(x); });
    add("1.23e-9999!", [=] { Rational x = Huge(kTiny); QUIB_KEY(FnFactorial, Radians, nullptr, Factorial(x)); });
    add("-99999.5!", [] { Rational x = Value("-99999.5"); QUIB_KEY(FnFactorial, Radians, nullptr, Factorial(x)); });
    add("99999.5!", [] { Rational x = Value("99999.5"); QUIB_KEY(FnFactorial, Radians, nullptr, Factorial(x)); });
    add("asin 1.23e-9999", [=] { Rational x = Huge(kTiny); QUIB_KEY(FnArcSine, Radians, nullptr, ArcSine(x)); });
    add("atanh 0.99999999999999999999999999999999", [] { Rational x = Value("0.99999999999999999999999999999999"); QUIB_KEY(FnHypArcTangent, Radians, nullptr, HypArcTangent(x)); });
    add("acosh 1.23e9999", [=] { Rational x = Huge(kBig); QUIB_KEY(FnHypArcCosine, Radians, nullptr, HypArcCosine(x)); });
    add("1.23e-9999^0.5", [=] { Rational x = Huge(kTiny); const Rational y = Value("0.5"); QUIB_KEY(FnPower, Radians, &y, Power(x, y)); });
    add("10^x 99999.5", [] { Rational x = Value("99999.5"); QUIB_KEY(FnPowerOfTen, Radians, nullptr, PowerOfTen(x)); });
    add("acos 1.23e-9999", [=] { Rational x = Huge(kTiny); QUIB_KEY(FnArcCosine, Degrees, nullptr, ArcCosineInUnit(x, Degrees)); });
    add("-1.23e-9999!", [=] { Rational x = Huge(kTiny); x.num->sign = -1; QUIB_KEY(FnFactorial, Radians, nullptr, Factorial(x)); });
    add("1e6!", [] { Rational x = RatFromInt(1000000); QUIB_KEY(FnFactorial, Radians, nullptr, Factorial(x)); });
  }
  return w;
}

bool gThrew = false;  // the last capped run ended in an error

// Runs f with a watchdog that raises the abort flag after cap seconds;
// returns the seconds taken, negative when the cap stopped it.
double RunCapped(const std::function<void()>& f, double cap) {
  std::mutex m;
  std::condition_variable cv;
  bool done = false;
  bool fired = false;
  std::thread dog([&] {
    std::unique_lock<std::mutex> lock(m);
    if (!cv.wait_for(lock, std::chrono::duration<double>(cap), [&] { return done; })) {
      fired = true;
      AbortFlag.store(true);
    }
  });
  const auto t0 = std::chrono::steady_clock::now();
  gThrew = false;
  try {
    f();
  } catch (...) {
    gThrew = true;
  }
  const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  {
    std::lock_guard<std::mutex> lock(m);
    done = true;
  }
  cv.notify_all();
  dog.join();
  AbortFlag.store(false);
  return fired ? -t : t;
}

}  // namespace

int main(int argc, char** argv) {
  bool withBc = true, worst = true, tsv = false, table = true, factorialOnly = false;
  const char* only = nullptr;
  double cap = 60;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--quick")) gQuick = true;
    else if (!std::strcmp(argv[i], "--no-bc")) withBc = false;
    else if (!std::strcmp(argv[i], "--no-worst")) worst = false;
    else if (!std::strcmp(argv[i], "--tsv")) tsv = true;
    else if (!std::strcmp(argv[i], "--no-table")) table = false;
    else if (!std::strcmp(argv[i], "--factorial")) factorialOnly = true;
    else if (!std::strcmp(argv[i], "--only") && i + 1 < argc) only = argv[++i];
    else if (!std::strcmp(argv[i], "--cap") && i + 1 < argc) cap = std::atof(argv[++i]);
    else {
      std::fprintf(stderr,
                   "usage: %s [--quick] [--no-bc] [--no-worst] [--no-table] [--only TEXT]\n"
                   "       [--cap S] [--tsv] [--factorial]\n",
                   argv[0]);
      return 2;
    }
  }
  if (factorialOnly) {
    const Cell f = MeasureFactorial();
    std::printf("10000! text      %9.2f us, GMP %9.2f us, %6.1fx\n", f.quib, f.mpfr,
                f.quib / f.mpfr);
    PrintFactorialParts();
    return 0;
  }
  withBc = withBc && HaveBc();
  SetRadixAndPrecision(10, 33);

  std::vector<double> r33, r65;
  if (!tsv) {
    std::printf("%-14s %9s %9s %7s %9s %7s | %9s %9s %7s %9s %7s\n", "us per call",
                "P=33", "MPFR110", "ratio", "bc s33", "bc/q", "P=65", "MPFR220", "ratio",
                "bc s65", "bc/q");
  }
  for (const Row& row : Rows()) {
    if (!table || (only && !std::strstr(row.name, only))) continue;
    const Cell a = Measure(row, 33, 110, 33, withBc);
    const Cell b = Measure(row, 65, 220, 65, withBc);
    if (row.inMean) {
      r33.push_back(a.quib / a.mpfr);
      r65.push_back(b.quib / b.mpfr);
    }
    if (tsv) {
      std::printf("row\t%s\t%.3f\t%.3f\t%.3f\t%.3f\t%.3f\t%.3f\n", row.name, a.quib, a.mpfr,
                  a.bc, b.quib, b.mpfr, b.bc);
    } else {
      const auto half = [](const Cell& c) {
        PrintTime(c.quib);
        PrintTime(c.mpfr);
        PrintRatio(c.quib, c.mpfr);
        PrintTime(c.bc);
        PrintRatio(c.bc, c.quib);
      };
      std::printf("%-14s", row.name);
      half(a);
      std::printf(" |");
      half(b);
      std::printf("\n");
    }
    std::fflush(stdout);
  }
  auto geo = [](const std::vector<double>& v) {
    double s = 0;
    for (double x : v) s += std::log(x);
    return std::exp(s / v.size());
  };
  const Cell f = table && !only ? MeasureFactorial() : Cell{-1, -1, -1};
  if (!table || only) {
  } else if (tsv) {
    std::printf("row\t10000! to text\t%.3f\t%.3f\t-1\t%.3f\t%.3f\t-1\n", f.quib, f.mpfr,
                f.quib, f.mpfr);
    std::printf("geo\t%.3f\t%.3f\n", geo(r33), geo(r65));
  } else {
    std::printf("%-14s", "10000! text");
    PrintTime(f.quib);
    PrintTime(f.mpfr);
    PrintRatio(f.quib, f.mpfr);
    std::printf("   (against GMP mpz_fac_ui + mpz_get_str)\n");
    std::printf("geometric mean of the ratios to MPFR: %.1fx at P=33, %.1fx at P=65\n",
                geo(r33), geo(r65));
  }
  std::fflush(stdout);

  if (worst) {
    if (!tsv) std::printf("\nslow cases (seconds, '>' = stopped at the cap of %.0f s)\n", cap);
    for (const Worst& w : WorstCases()) {
      if (only && !std::strstr(w.name, only)) continue;
      SetRadixAndPrecision(10, w.precision);
      const double t = RunCapped(w.run, cap);
      if (tsv) {
        std::printf("worst\t%s P=%d\t%.3f%s\n", w.name, w.precision, t,
                    gThrew ? "\terror" : "");
      } else {
        std::printf("  P=%d %-40s %s%.3f%s\n", w.precision, w.name, t < 0 ? ">" : " ",
                    std::fabs(t), gThrew ? "  (error)" : "");
      }
      std::fflush(stdout);
    }
    SetRadixAndPrecision(10, 33);
  }
  return 0;
}
