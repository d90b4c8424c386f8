#include "arith/series.h"

#include <cassert>
#include <cstring>
#include <utility>

#include "arith/settings.h"

bool TermBelowPrecision(const Rational& t) {
  // 64-bit so that absurd spans cannot overflow; the comparison is the same
  // as in 32 bits wherever 32 bits suffice.
  const int64_t d = int64_t{t.den->span()} - t.num->span() - 1;
  return d * DigitsPerWord > WorkingPrecision;
}

bool SeriesShouldStop(const Rational& term) {
  if (BigNumIsZero(*term.num)) return true;
  if (TermBelowPrecision(term)) return true;
  return AbortRequested();
}

BigPtr SeriesCounter(int32_t start) {
  return BigNumFromInt(start, kInternalBase);
}

void SeriesCounterIncrement(BigPtr& n) {
  assert(n->exp == 0 && n->count >= 1 && "series counter must be an integer");
  uint32_t* d = n->digits();
  if (d[0] != kWordMask) {
    ++d[0];
    return;
  }
  const BigPtr one = BigNumFromInt(1, kInternalBase);
  BigNumAdd(n, *one, kInternalBase);
}

void TruncateNumerator(Rational& v) {
  BigNum& num = *v.num;
  BigNum& den = *v.den;
  const int32_t k = num.count - WorkingPrecision / DigitsPerWord - 2;
  if (k > 1) {
    uint32_t* d = num.digits();
    std::memmove(d, d + k, sizeof(uint32_t) * static_cast<size_t>(num.count - k));
    std::memset(d + (num.count - k), 0, sizeof(uint32_t) * static_cast<size_t>(k));
    num.count -= k;
    num.exp += k;
  }
  const int32_t g = num.exp < den.exp ? num.exp : den.exp;
  num.exp -= g;
  den.exp -= g;
}

void SeriesFinish(Rational& x, Rational& sum) {
  RatTrim(sum);
  x = std::move(sum);
}
