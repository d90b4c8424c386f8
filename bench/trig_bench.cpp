// Trigonometric, hyperbolic and factorial timings at precision settings 32
// and 64 (P = 33 and 65), with `bc -l` timed on the same computations at the
// same scale where it can do them.
//
// A bc figure is the time of one evaluation: a bc program runs the
// expression in a loop, and the time of the same program with a trivial
// loop body (process start, parsing, the setup) is subtracted.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "arith/constants.h"
#include "arith/factorial.h"
#include "arith/hyperbolic.h"
#include "arith/rational.h"
#include "arith/settings.h"
#include "arith/trig.h"

namespace {

// The exact value of a plain decimal literal "[-]digits[.digits]".
Rational Decimal(const std::string& text) {
  Rational r = RatFromInt(0);
  Rational scale = RatFromInt(1);
  bool fraction = false;
  bool negative = false;
  for (char c : text) {
    if (c == '-') {
      negative = true;
    } else if (c == '.') {
      fraction = true;
    } else {
      RatMul(r, RatTen);
      RatAdd(r, RatFromInt(c - '0'));
      if (fraction) RatMul(scale, RatTen);
    }
  }
  RatDiv(r, scale);
  if (negative) r.num->sign = -r.num->sign;
  return r;
}

using Unary = void (*)(Rational&);

void Run(benchmark::State& state, int32_t precision, const Rational& (*input)(),
         void (*f)(Rational&)) {
  SetRadixAndPrecision(10, precision);
  const Rational x = CopyRational(input());
  for (auto _ : state) {
    Rational v = CopyRational(x);
    f(v);
    benchmark::DoNotOptimize(v.num.get());
  }
}

// Inputs, built after the constant set exists.
const Rational& Thirty() { static Rational r = RatFromInt(30); return r; }
const Rational& Angle12345() { static Rational r = Decimal("1.2345"); return r; }
const Rational& TenTo30() { static Rational r = Decimal("1000000000000000000000000000000"); return r; }
const Rational& One() { static Rational r = RatFromInt(1); return r; }
const Rational& Half() { static Rational r = Decimal("0.5"); return r; }
const Rational& ThreeAndHalf() { static Rational r = Decimal("3.5"); return r; }
const Rational& TenThousand() { static Rational r = RatFromInt(10000); return r; }

void SineDegrees(Rational& x) { Sine(x, Degrees); }
void SineRadians(Rational& x) { Sine(x, Radians); }
void TangentRadians(Rational& x) { Tangent(x, Radians); }

// Seconds of one run of `bc -lq` on `program`, -1 when bc cannot be run.
double RunBc(const std::string& program) {
  char path[] = "/tmp/quib_bench_bcXXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return -1;
  const ssize_t written = write(fd, program.data(), program.size());
  close(fd);
  if (written != static_cast<ssize_t>(program.size())) return -1;
  const std::string command = std::string("bc -lq ") + path + " </dev/null >/dev/null 2>&1";
  const auto start = std::chrono::steady_clock::now();
  const int status = std::system(command.c_str());
  const auto end = std::chrono::steady_clock::now();
  std::remove(path);
  if (status != 0) return -1;
  return std::chrono::duration<double>(end - start).count();
}

// One evaluation of `expr` by bc at `scale`: a loop of `loops` evaluations
// minus the same loop with a trivial body.
void RunBcExpression(benchmark::State& state, int32_t scale, const std::string& setup,
                     const std::string& expr, int32_t loops) {
  const std::string head = "scale=" + std::to_string(scale) + "\n" + setup + "\n";
  const std::string loop = "for(i=0;i<" + std::to_string(loops) + ";i++) x=";
  for (auto _ : state) {
    const double full = RunBc(head + loop + expr + "\nquit\n");
    const double empty = RunBc(head + loop + "1\nquit\n");
    if (full < 0 || empty < 0) {
      state.SkipWithError("bc -l could not be run");
      break;
    }
    state.SetIterationTime((full - empty) / loops);
  }
}

struct Case {
  const char* name;
  const Rational& (*input)();
  Unary f;
  const char* bcSetup;  // nullptr: bc has no counterpart
  const char* bcExpr;
  int32_t bcLoops;
};

const Case kCases[] = {
    {"Sine(30 deg)", Thirty, SineDegrees, "p=4*a(1)", "s(30*p/180)", 3000},
    {"Sine(1.2345 rad)", Angle12345, SineRadians, "", "s(1.2345)", 3000},
    {"Sine(1e30 rad)", TenTo30, SineRadians, "", "s(10^30)", 300},
    {"Tangent(1 rad)", One, TangentRadians, "", "s(1)/c(1)", 2000},
    {"HypSine(0.5)", Half, HypSine, "", "(e(0.5)-e(-0.5))/2", 2000},
    {"HypArcTangent(0.5)", Half, HypArcTangent, "", "l((1+0.5)/(1-0.5))/2", 2000},
    {"Factorial(0.5)", Half, Factorial, nullptr, nullptr, 0},
    {"Factorial(3.5)", ThreeAndHalf, Factorial, nullptr, nullptr, 0},
    {"Factorial(10000)", TenThousand, Factorial, "",
     "0;f=1;for(j=2;j<=10000;j++)f*=j", 1},
};

void RegisterAll() {
  for (int32_t precision : {33, 65}) {
    for (const Case& c : kCases) {
      const std::string suffix = "/P=" + std::to_string(precision);
      benchmark::RegisterBenchmark((std::string("quib ") + c.name + suffix).c_str(),
                                   [c, precision](benchmark::State& state) {
                                     Run(state, precision, c.input, c.f);
                                   })
          ->Unit(benchmark::kMicrosecond);
      if (c.bcExpr == nullptr) continue;
      benchmark::RegisterBenchmark((std::string("bc -l ") + c.name + suffix).c_str(),
                                   [c, precision](benchmark::State& state) {
                                     RunBcExpression(state, precision, c.bcSetup, c.bcExpr,
                                                     c.bcLoops);
                                   })
          ->Unit(benchmark::kMicrosecond)
          ->UseManualTime()
          ->Iterations(1);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  SetRadixAndPrecision(10, 33);
  RegisterAll();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
