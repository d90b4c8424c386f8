#include "arith/trig.h"

#include <cstdint>
#include <limits>
#include <utility>

#include "arith/constants.h"
#include "arith/error.h"
#include "arith/integer.h"
#include "arith/pi.h"
#include "arith/inverse_trig.h"
#include "arith/series.h"
#include "arith/settings.h"

namespace {

// The sign of |a| - |b|, exactly: |a.num| |b.den| against |b.num| |a.den|.
int CompareMagnitudes(const Rational& a, const Rational& b) {
  const bool aZero = RatIsZero(a);
  const bool bZero = RatIsZero(b);
  if (aZero || bZero) return aZero ? (bZero ? 0 : -1) : 1;
  BigPtr left = CopyBigNum(*a.num);
  BigNumMulInternal(left, *b.den);
  BigPtr right = CopyBigNum(*b.num);
  BigNumMulInternal(right, *a.den);
  if (BigNumLessMagnitude(*left, *right)) return -1;
  return BigNumEqualMagnitude(*left, *right) ? 0 : 1;
}

// The working precision raised by the number of radix digits in x's integer
// part, when x has one: (R + 1) digits per word of span(num) - span(den).
// A word holds between R and R + 1 radix digits (9.3 decimal ones); counting
// only R would fall short by a third of a digit per word, and from about
// 10^930 on the quotient x / m would lose whole digits to the rounding of
// its integer part and the "reduced" angle would stay huge. A raise no number
// block could hold is refused as out of memory.
int32_t PrecisionFor(const Rational& x) {
  const int64_t h =
      int64_t{DigitsPerWord + 1} * (int64_t{x.num->span()} - x.den->span());
  if (h <= 0) return WorkingPrecision;
  const int64_t raised = int64_t{WorkingPrecision} + h;
  if (raised > std::numeric_limits<int32_t>::max() / 2) ThrowError(ErrOutOfMemory);
  return static_cast<int32_t>(raised);
}

// x <- x - RatInt(x / m) m. When |x| < half = m / 2 the integer part is 0
// and neither the division nor the rounding is needed; the subtraction of
// the zero still runs, so that x is trimmed exactly as otherwise.
void SubtractWholeTurns(Rational& x, const Rational& m, const Rational& half) {
  Rational q;
  if (CompareMagnitudes(x, half) < 0) {
    q = RatFromInt(0);
  } else {
    q = CopyRational(x);
    RatDiv(q, m);
    RatInt(q);
    RatMul(q, m);
  }
  RatSub(x, q);
}

// 2 pi recomputed at the working precision, kept for the next call at the
// same precision and radix (the value depends on nothing else).
struct TwoPiRecord {
  int32_t precision = 0;
  int32_t digitsPerWord = 0;
  Rational value;
};
TwoPiRecord twoPiRecord;

// Points `m` at 2 pi for the working precision. False, with `m` untouched,
// when an abort cut the computation short.
bool TwoPiAtWorkingPrecision(const Rational*& m) {
  TwoPiRecord& record = twoPiRecord;
  if (!record.value.num || record.precision != WorkingPrecision ||
      record.digitsPerWord != DigitsPerWord) {
    Rational v = PiToWords(WorkingPrecision / DigitsPerWord + 2);
    RatMul(v, RatTwo);
    if (AbortRequested()) return false;
    record.value = std::move(v);
    record.precision = WorkingPrecision;
    record.digitsPerWord = DigitsPerWord;
  }
  m = &record.value;
  return true;
}

// The remainder step of degrees and grads, at the raised precision; exact.
void ReduceByWhole(Rational& x, const Rational& m, const Rational& half) {
  PrecisionRaise raise(PrecisionFor(x));
  SubtractWholeTurns(x, m, half);
}

// x <- 0 exactly when -epsilon <= x <= epsilon.
void SnapToZero(Rational& x) {
  if (CompareMagnitudes(x, Epsilon) <= 0) x = CopyRational(RatZero);
}

// x (in half a turn's units, `halfTurn` = 180 or 200) <- x in radians.
void HalfTurnsToRadians(Rational& x, const Rational& halfTurn) {
  RatDiv(x, halfTurn);
  RatMul(x, Pi);
}

// The constants of one angle unit other than radians.
struct TurnUnit {
  const Rational& full;
  const Rational& half;
};
TurnUnit TurnOf(AngleUnit unit) {
  if (unit == Grads) return {Grad400, Grad200};
  return {Deg360, Deg180};
}

}  // namespace

void BigNumMulIndices(BigPtr& a, uint64_t f1, uint64_t f2) {
  // A factor below 2^62 in base 2^31; indices below 2^31 pair up into one.
  auto factor = [](uint64_t v) {
    BigPtr f = AllocBigNum(3);
    f->sign = 1;
    int32_t count = 0;
    do {
      f->digits()[count++] = static_cast<uint32_t>(v & kWordMask);
      v >>= kWordBits;
    } while (v != 0);
    f->count = count;
    return f;
  };
  constexpr uint64_t kPairLimit = uint64_t{1} << kWordBits;
  if (f1 < kPairLimit && f2 < kPairLimit) {
    BigNumMulInternal(a, *factor(f1 * f2));
  } else {
    BigNumMulInternal(a, *factor(f1));
    BigNumMulInternal(a, *factor(f2));
  }
}

void SineCosineSeries(Rational& x, bool oddPowers, bool alternating) {
  Rational m = CopyRational(x);
  RatMul(m, x);
  if (alternating) m.num->sign = -m.num->sign;
  Rational sum = oddPowers ? CopyRational(x) : RatFromInt(1);
  Rational term = oddPowers ? CopyRational(x) : RatFromInt(1);
  uint64_t n = oddPowers ? 1 : 0;
  do {
    RatMul(term, m);
    BigNumMulIndices(term.den, n + 1, n + 2);
    n += 2;
    RatAdd(sum, term);
  } while (!SeriesShouldStop(term));
  SeriesFinish(x, sum);
}

void ClampMagnitude(Rational& x, const Rational& m) {
  if (CompareMagnitudes(x, m) <= 0) return;
  const int32_t sign = RatSign(x);
  Rational r = CopyRational(m);
  r.num->sign = sign;
  r.den->sign = 1;
  x = std::move(r);
}

void SinSeries(Rational& x) {
  Rational v = CopyRational(x);
  SineCosineSeries(v, true, true);
  ClampMagnitude(v, RatOne);
  SnapToZero(v);
  x = std::move(v);
}

void CosSeries(Rational& x) {
  Rational v = CopyRational(x);
  SineCosineSeries(v, false, true);
  ClampMagnitude(v, RatOne);
  SnapToZero(v);
  x = std::move(v);
}

void TanRadians(Rational& x) {
  Rational s = CopyRational(x);
  Rational c = CopyRational(x);
  SinSeries(s);
  CosSeries(c);
  if (RatIsZero(c)) ThrowError(ErrInvalidInput);
  RatDiv(s, c);
  x = std::move(s);
}

void ReduceTwoPi(Rational& x) {
  Rational v = CopyRational(x);
  const int32_t precision = PrecisionFor(v);
  const bool recompute = precision != WorkingPrecision;
  PrecisionRaise raise(precision);
  const Rational* m = &TwoPi;
  if (recompute && !TwoPiAtWorkingPrecision(m)) return;
  // |x| < pi means |x / 2pi| < 1/2, whose integer part is 0.
  SubtractWholeTurns(v, *m, Pi);
  x = std::move(v);
}

void ReduceAngle(Rational& x, AngleUnit unit) {
  if (unit == Radians) {
    ReduceTwoPi(x);
    return;
  }
  const TurnUnit turn = TurnOf(unit);
  ReduceByWhole(x, turn.full, turn.half);
}

void Sine(Rational& x, AngleUnit unit) {
  Rational v = CopyRational(x);
  ReduceAngle(v, unit);
  if (unit != Radians) {
    const TurnUnit turn = TurnOf(unit);
    if (RatGreater(v, turn.half)) RatSub(v, turn.full);
    HalfTurnsToRadians(v, turn.half);
  }
  SinSeries(v);
  x = std::move(v);
}

void Cosine(Rational& x, AngleUnit unit) {
  Rational v = CopyRational(x);
  ReduceAngle(v, unit);
  if (unit != Radians) {
    const TurnUnit turn = TurnOf(unit);
    if (RatGreater(v, turn.half)) RatSubtractFrom(v, turn.full);
    HalfTurnsToRadians(v, turn.half);
  }
  CosSeries(v);
  x = std::move(v);
}

void Tangent(Rational& x, AngleUnit unit) {
  Rational v = CopyRational(x);
  ReduceAngle(v, unit);
  if (unit != Radians) {
    const TurnUnit turn = TurnOf(unit);
    if (RatGreater(v, turn.half)) RatSub(v, turn.half);
    HalfTurnsToRadians(v, turn.half);
  }
  TanRadians(v);
  x = std::move(v);
}
