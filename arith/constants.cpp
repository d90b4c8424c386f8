#include "arith/constants.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <iterator>
#include <cstddef>
#include <cstring>
#include <utility>
#include <vector>

#include "arith/exp_log.h"
#include "arith/inverse_trig.h"
#include "arith/settings.h"

int32_t ConstantsMark = 2880;
// The slots themselves; everything outside this file sees them through the
// const references below.
namespace slot {
BigPtr RadixBig;
Rational RadixRat;

BigPtr BigOne, BigTwo, BigFive, BigSix, BigTen;
Rational RatZero, RatOne, RatMinusOne, RatTwo, RatSix, RatTen, RatHalf;
Rational RatPoint85, Epsilon, MinusEpsilon;
Rational Pi, HalfPi, TwoPi, ThreeHalvesPi;
Rational EulerE, SqrtE, Ln10, Ln2, DegPerRad, GradPerRad;
Rational Mask64, Mask32, Mask16, Mask8;
Rational Deg360, Grad400, Deg180, Grad200;
Rational ExpLimit, MinusExpLimit;
}  // namespace slot

const BigPtr& RadixBig = slot::RadixBig;
const BigPtr& BigOne = slot::BigOne;
const BigPtr& BigTwo = slot::BigTwo;
const BigPtr& BigFive = slot::BigFive;
const BigPtr& BigSix = slot::BigSix;
const BigPtr& BigTen = slot::BigTen;
const Rational& RadixRat = slot::RadixRat;
const Rational& RatZero = slot::RatZero;
const Rational& RatOne = slot::RatOne;
const Rational& RatMinusOne = slot::RatMinusOne;
const Rational& RatTwo = slot::RatTwo;
const Rational& RatSix = slot::RatSix;
const Rational& RatTen = slot::RatTen;
const Rational& RatHalf = slot::RatHalf;
const Rational& RatPoint85 = slot::RatPoint85;
const Rational& Epsilon = slot::Epsilon;
const Rational& MinusEpsilon = slot::MinusEpsilon;
const Rational& Pi = slot::Pi;
const Rational& HalfPi = slot::HalfPi;
const Rational& TwoPi = slot::TwoPi;
const Rational& ThreeHalvesPi = slot::ThreeHalvesPi;
const Rational& EulerE = slot::EulerE;
const Rational& SqrtE = slot::SqrtE;
const Rational& Ln10 = slot::Ln10;
const Rational& Ln2 = slot::Ln2;
const Rational& DegPerRad = slot::DegPerRad;
const Rational& GradPerRad = slot::GradPerRad;
const Rational& Mask64 = slot::Mask64;
const Rational& Mask32 = slot::Mask32;
const Rational& Mask16 = slot::Mask16;
const Rational& Mask8 = slot::Mask8;
const Rational& Deg360 = slot::Deg360;
const Rational& Grad400 = slot::Grad400;
const Rational& Deg180 = slot::Deg180;
const Rational& Grad200 = slot::Grad200;
const Rational& ExpLimit = slot::ExpLimit;
const Rational& MinusExpLimit = slot::MinusExpLimit;

void SetRadixKeepingConstants(int32_t radix, int32_t precision) {
  WorkingPrecision = precision;
  DigitsPerWord = DigitsPerWordFor(radix);
  slot::RadixBig = BigNumFromInt(radix, kInternalBase);
  slot::RadixRat = RatFromInt(radix);
}

int32_t DigitsPerWordFor(int32_t radix) {
  const int64_t limit = int64_t{kInternalBase} / radix;
  int64_t product = 1;
  int32_t r = 0;
  while (product < limit) {
    product *= radix;
    ++r;
  }
  return r < 1 ? 1 : r;
}

namespace {

// The stored constant set: BigNum records of 32-bit words, each
//   sign, count, exp, then `count` digits (base 2^31, least significant first);
// a Rational is two records, numerator then denominator. The transcendental
// values agree with the true constants to a relative error of about 2e-47.
constexpr uint32_t kNeg = 0xFFFFFFFFu;  // sign -1 as a 32-bit word

#define QUIB_ONE_WORD(sign, v) sign, 1, 0, v
#define QUIB_SIX_WORDS(a, b, c, d, e, f) 1, 6, 0, a, b, c, d, e, f
#define QUIB_PI_NUM \
  QUIB_SIX_WORDS(0x77B6758, 0x10EBF1EE, 0x74DAC370, 0x63B5AD4A, 0x4CC7E350, 0x8)
#define QUIB_PI_DEN \
  QUIB_SIX_WORDS(0x4CCB1FF2, 0x42C39DB9, 0x6EE3D3F4, 0x73E0E436, 0x5E63B0B4, 0x2)
#define QUIB_TEN_POW_32 1, 4, 0, 0x0, 0xB59DF02, 0x35B5056E, 0x2771

constexpr uint32_t kStoredConstants[] = {
    // BigOne, BigTwo, BigFive, BigSix, BigTen
    QUIB_ONE_WORD(1, 1), QUIB_ONE_WORD(1, 2), QUIB_ONE_WORD(1, 5),
    QUIB_ONE_WORD(1, 6), QUIB_ONE_WORD(1, 10),
    // Epsilon, MinusEpsilon: +-1 / 10^32
    QUIB_ONE_WORD(1, 1), QUIB_TEN_POW_32,
    QUIB_ONE_WORD(kNeg, 1), QUIB_TEN_POW_32,
    // RatPoint85, RatSix, RatTwo, RatZero, RatOne, RatMinusOne, RatHalf, RatTen
    QUIB_ONE_WORD(1, 85), QUIB_ONE_WORD(1, 100),
    QUIB_ONE_WORD(1, 6), QUIB_ONE_WORD(1, 1),
    QUIB_ONE_WORD(1, 2), QUIB_ONE_WORD(1, 1),
    QUIB_ONE_WORD(1, 0), QUIB_ONE_WORD(1, 1),
    QUIB_ONE_WORD(1, 1), QUIB_ONE_WORD(1, 1),
    QUIB_ONE_WORD(kNeg, 1), QUIB_ONE_WORD(1, 1),
    QUIB_ONE_WORD(1, 1), QUIB_ONE_WORD(1, 2),
    QUIB_ONE_WORD(1, 10), QUIB_ONE_WORD(1, 1),
    // Pi
    QUIB_PI_NUM, QUIB_PI_DEN,
    // TwoPi
    QUIB_SIX_WORDS(0xEF6CEB0, 0x21D7E3DC, 0x69B586E0, 0x476B5A95, 0x198FC6A1, 0x11),
    QUIB_PI_DEN,
    // HalfPi
    QUIB_PI_NUM,
    QUIB_SIX_WORDS(0x19963FE4, 0x5873B73, 0x5DC7A7E9, 0x67C1C86D, 0x3CC76169, 0x5),
    // ThreeHalvesPi
    QUIB_SIX_WORDS(0x49FB3AA0, 0x1018D155, 0x3EADC188, 0x72BCA2B5, 0x4FE3AB73, 0x46),
    QUIB_SIX_WORDS(0x5E27DFF3, 0x6D8D3357, 0x3FA2F5B4, 0x1F34BCDC, 0x7E52F803, 0xE),
    // SqrtE
    QUIB_SIX_WORDS(0xF50ADCC, 0xCE33F23, 0xD529842, 0x1C753224, 0x22A2544D, 0x17),
    QUIB_SIX_WORDS(0x5B9A23CB, 0x29A20704, 0x4331B7FB, 0xD5D50D2, 0xEA20610, 0xE),
    // EulerE
    QUIB_SIX_WORDS(0x383F302F, 0x5FC225B8, 0x4143E0EA, 0x68DE2E98, 0x63A5A17B, 0x1124FD),
    QUIB_SIX_WORDS(0x34682BE0, 0x7892B364, 0x24CCAB22, 0x51F3C0C4, 0x5182137B, 0x64E9E),
    // Ln10
    QUIB_SIX_WORDS(0x7C59EFFA, 0x9E1D2BC, 0x54676BCF, 0x6E5A8FDE, 0x70D88A68, 0x3E56B39),
    QUIB_SIX_WORDS(0x198CAFC, 0x21A615C7, 0x2EBADD41, 0xCE05CF0, 0x5D439450, 0x1B12C6A),
    // Ln2
    QUIB_SIX_WORDS(0x6AA57CA1, 0x3F0EB2BC, 0x2AA4201D, 0x362B34D9, 0x541E3333, 0x3),
    QUIB_SIX_WORDS(0x5CF9B997, 0x73137EE6, 0x493A5C7B, 0xD0DBBDF, 0x2359FA13, 0x5),
    // DegPerRad
    QUIB_SIX_WORDS(0x7ED27628, 0x718AE67F, 0x783107ED, 0x7A207693, 0x5E183F32, 0x1EC),
    QUIB_PI_NUM,
    // GradPerRad
    QUIB_SIX_WORDS(0x7EB0F510, 0x28D338FF, 0x21FD9708, 0x7B24ADD, 0x3DE20D55, 0x223),
    QUIB_PI_NUM,
    // Mask64, Mask32, Mask16, Mask8
    1, 3, 0, 0x7FFFFFFF, 0x7FFFFFFF, 0x3, QUIB_ONE_WORD(1, 1),
    1, 2, 0, 0x7FFFFFFF, 0x1, QUIB_ONE_WORD(1, 1),
    QUIB_ONE_WORD(1, 65535), QUIB_ONE_WORD(1, 1),
    QUIB_ONE_WORD(1, 255), QUIB_ONE_WORD(1, 1),
    // Grad400, Deg360, Grad200, Deg180
    QUIB_ONE_WORD(1, 400), QUIB_ONE_WORD(1, 1),
    QUIB_ONE_WORD(1, 360), QUIB_ONE_WORD(1, 1),
    QUIB_ONE_WORD(1, 200), QUIB_ONE_WORD(1, 1),
    QUIB_ONE_WORD(1, 180), QUIB_ONE_WORD(1, 1),
    // ExpLimit, MinusExpLimit
    QUIB_ONE_WORD(1, 100000), QUIB_ONE_WORD(1, 1),
    QUIB_ONE_WORD(kNeg, 100000), QUIB_ONE_WORD(1, 1),
};

#undef QUIB_ONE_WORD
#undef QUIB_SIX_WORDS
#undef QUIB_PI_NUM
#undef QUIB_PI_DEN
#undef QUIB_TEN_POW_32

// The slots filled from the table, in table order.
BigPtr* const kStoredBigSlots[] = {&slot::BigOne, &slot::BigTwo, &slot::BigFive,
                                   &slot::BigSix, &slot::BigTen};
Rational* const kStoredRatSlots[] = {
    &slot::Epsilon,  &slot::MinusEpsilon, &slot::RatPoint85,  &slot::RatSix,
    &slot::RatTwo,   &slot::RatZero,      &slot::RatOne,      &slot::RatMinusOne,
    &slot::RatHalf,  &slot::RatTen,       &slot::Pi,          &slot::TwoPi,
    &slot::HalfPi,   &slot::ThreeHalvesPi, &slot::SqrtE,      &slot::EulerE,
    &slot::Ln10,     &slot::Ln2,          &slot::DegPerRad,   &slot::GradPerRad,
    &slot::Mask64,   &slot::Mask32,       &slot::Mask16,      &slot::Mask8,
    &slot::Grad400,  &slot::Deg360,       &slot::Grad200,     &slot::Deg180,
    &slot::ExpLimit, &slot::MinusExpLimit,
};

// Builds the BigNum of the record at `pos` and moves `pos` past it.
BigPtr ReadStoredRecord(std::size_t& pos) {
  const int32_t sign = static_cast<int32_t>(kStoredConstants[pos]);
  const int32_t count = static_cast<int32_t>(kStoredConstants[pos + 1]);
  const int32_t exp = static_cast<int32_t>(kStoredConstants[pos + 2]);
  BigPtr b = AllocBigNum(count);
  b->sign = sign;
  b->count = count;
  b->exp = exp;
  std::memcpy(b->digits(), &kStoredConstants[pos + 3],
              sizeof(uint32_t) * static_cast<std::size_t>(count));
  pos += 3 + static_cast<std::size_t>(count);
  return b;
}

// The stored transcendental values carry about 46 decimal digits (150 bits);
// a precision beyond that needs them computed.
constexpr double kStoredBits = 150.0;

bool StoredConstantsSuffice(int32_t radix, int32_t precision) {
  return precision * std::log2(static_cast<double>(radix)) <= kStoredBits;
}

void SetEpsilon(int32_t precision) {
  Rational eps = CopyRational(RadixRat);
  RatPowInt(eps, -precision);
  slot::Epsilon = std::move(eps);
  slot::MinusEpsilon = RatNegated(Epsilon);
}

Rational Mask(int32_t bits) {
  Rational m = CopyRational(RatTwo);
  BigNumPow(m.num, bits, kInternalBase);
  RatSub(m, RatOne);
  return m;
}

void ComputeConstants(int32_t precision) {
  slot::BigOne = BigNumFromInt(1, kInternalBase);
  slot::BigTwo = BigNumFromInt(2, kInternalBase);
  slot::BigFive = BigNumFromInt(5, kInternalBase);
  slot::BigSix = BigNumFromInt(6, kInternalBase);
  slot::BigTen = BigNumFromInt(10, kInternalBase);

  SetEpsilon(precision);

  Rational point85 = RatFromInt(85);
  RatDiv(point85, RatFromInt(100));
  slot::RatPoint85 = std::move(point85);
  slot::RatSix = RatFromInt(6);
  slot::RatTwo = RatFromInt(2);
  slot::RatZero = RatFromInt(0);
  slot::RatOne = RatFromInt(1);
  slot::RatMinusOne = RatFromInt(-1);
  slot::RatHalf = RatFromBigNums(*BigOne, *BigTwo);
  slot::RatTen = RatFromInt(10);

  {
    // One word beyond the request for the transcendental values.
    PrecisionRaise raise(precision + DigitsPerWord);

    Rational pi = CopyRational(RatHalf);
    ArcSine(pi);
    RatMul(pi, RatSix);
    slot::Pi = std::move(pi);

    Rational twoPi = CopyRational(Pi);
    RatAdd(twoPi, Pi);
    slot::TwoPi = std::move(twoPi);
    Rational halfPi = CopyRational(Pi);
    RatDiv(halfPi, RatTwo);
    slot::HalfPi = std::move(halfPi);
    Rational threeHalvesPi = CopyRational(Pi);
    RatAdd(threeHalvesPi, HalfPi);
    slot::ThreeHalvesPi = std::move(threeHalvesPi);

    Rational sqrtE = CopyRational(RatHalf);
    ExpSeries(sqrtE);
    slot::SqrtE = std::move(sqrtE);
    Rational e = CopyRational(RatOne);
    ExpSeries(e);
    slot::EulerE = std::move(e);

    Rational ln10 = CopyRational(RatTen);
    NaturalLog(ln10);
    slot::Ln10 = std::move(ln10);
    Rational ln2 = CopyRational(RatTwo);
    NaturalLog(ln2);
    slot::Ln2 = std::move(ln2);

    Rational degPerRad = RatFromInt(180);
    RatDiv(degPerRad, Pi);
    slot::DegPerRad = std::move(degPerRad);
    Rational gradPerRad = RatFromInt(200);
    RatDiv(gradPerRad, Pi);
    slot::GradPerRad = std::move(gradPerRad);
  }

  slot::Mask64 = Mask(64);
  slot::Mask32 = Mask(32);
  slot::Mask16 = RatFromInt(65535);
  slot::Mask8 = RatFromInt(255);
  slot::Grad400 = RatFromInt(400);
  slot::Deg360 = RatFromInt(360);
  slot::Grad200 = RatFromInt(200);
  slot::Deg180 = RatFromInt(180);
  slot::ExpLimit = RatFromInt(100000);
  slot::MinusExpLimit = RatNegated(ExpLimit);
}

}  // namespace

namespace {
void ForgetActiveSet();
}  // namespace

void LoadStoredConstants() {
  // The slots no longer hold the set of any (radix, precision) request.
  ForgetActiveSet();
  std::size_t pos = 0;
  for (BigPtr* slot : kStoredBigSlots) *slot = ReadStoredRecord(pos);
  for (Rational* slot : kStoredRatSlots) {
    Rational r;
    r.num = ReadStoredRecord(pos);
    r.den = ReadStoredRecord(pos);
    *slot = std::move(r);
  }
  assert(pos == std::size(kStoredConstants) && "stored table out of step");
}

namespace {

// The constant sets built before, one per (radix, precision), so that going
// back to a setting (a radix switch and back, or a function that raises the
// precision for its guard digits) costs no rebuild. The set in force lives in
// the slots themselves; a switch moves it into the cache and the requested
// one out, exchanging blocks without copying them. A set cut short by an
// abort is never kept.
struct ConstantSet {
  int32_t radix = 0;
  int32_t precision = 0;
  uint64_t lastUse = 0;
  BigPtr big[std::size(kStoredBigSlots)];
  Rational rat[std::size(kStoredRatSlots)];
};

// Sets kept besides the one in force; the least recently used goes first.
// A set is a few kilobytes at most, so the cache holds every precision a
// session is likely to visit in a radix or two.
constexpr std::size_t kCachedSets = 48;

struct ConstantCache {
  std::vector<ConstantSet> sets;
  std::size_t capacity = kCachedSets;
  uint64_t clock = 0;
  // The key of the set in the slots; precision 0 while it is none or not
  // worth keeping.
  int32_t activeRadix = 0;
  int32_t activePrecision = 0;
};
ConstantCache constantCache;

void ForgetActiveSet() { constantCache.activePrecision = 0; }

std::vector<ConstantSet>::iterator LeastRecentlyUsed(std::vector<ConstantSet>& sets) {
  return std::min_element(sets.begin(), sets.end(),
                          [](const ConstantSet& a, const ConstantSet& b) {
                            return a.lastUse < b.lastUse;
                          });
}

void SwapWithSlots(ConstantSet& set) {
  for (std::size_t i = 0; i < std::size(kStoredBigSlots); ++i) {
    std::swap(*kStoredBigSlots[i], set.big[i]);
  }
  for (std::size_t i = 0; i < std::size(kStoredRatSlots); ++i) {
    std::swap(*kStoredRatSlots[i], set.rat[i]);
  }
}

// Moves the set in force into the cache (when it is one worth keeping),
// evicting the least recently used set when the cache is full.
void StashActiveSet() {
  ConstantCache& cache = constantCache;
  if (cache.activePrecision == 0 || !Pi.num) return;
  ConstantSet* slot = nullptr;
  if (cache.sets.size() < cache.capacity) {
    slot = &cache.sets.emplace_back();
  } else {
    slot = &*LeastRecentlyUsed(cache.sets);
  }
  slot->radix = cache.activeRadix;
  slot->precision = cache.activePrecision;
  slot->lastUse = ++cache.clock;
  SwapWithSlots(*slot);
  cache.activePrecision = 0;
}

// Moves the cached set of (radix, precision) into the slots; false when
// there is none.
bool TakeCachedSet(int32_t radix, int32_t precision) {
  ConstantCache& cache = constantCache;
  for (std::size_t i = 0; i < cache.sets.size(); ++i) {
    ConstantSet& set = cache.sets[i];
    if (set.radix != radix || set.precision != precision) continue;
    SwapWithSlots(set);
    if (i + 1 != cache.sets.size()) std::swap(set, cache.sets.back());
    cache.sets.pop_back();
    return true;
  }
  return false;
}

// The slots rebuilt for (radix, precision) as the first request of that
// setting builds them; leaves the abort flag alone. Returns whether the set
// is whole (not cut short by an abort).
bool BuildConstantSet(int32_t radix, int32_t precision, bool retryAborts) {
  // Computed when the request needs more than any earlier computation, and
  // also whenever the stored values are too short for the precision (a
  // request below the mark after a long computation would otherwise get the
  // stored 46-digit values).
  const int64_t need = int64_t{radix} * precision * DigitsPerWord;
  if (need <= ConstantsMark && StoredConstantsSuffice(radix, precision)) {
    LoadStoredConstants();
    SetEpsilon(precision);
    return true;
  }
  // The flag is read directly: these reads are no polls of a loop.
  const auto aborted = [] { return AbortFlag.load(std::memory_order_relaxed); };
  ComputeConstants(precision);
  if (retryAborts) {
    // The series poll the abort flag, and values they leave when an abort
    // cuts them short would be wrong in every later command. A rebuild is
    // short (the precision is at most 68 digits), so an abort that arrives
    // during it is dropped like one that came before it, and the series run
    // again. The watchdog raises the flag once per command; should it come
    // back every time, the stored values stand in, and the mark stays so
    // that the next rebuild computes.
    constexpr int kAttempts = 3;
    for (int attempt = 1; aborted() && attempt < kAttempts; ++attempt) {
      AbortFlag.store(false, std::memory_order_relaxed);
      ComputeConstants(precision);
    }
    if (aborted()) {
      AbortFlag.store(false, std::memory_order_relaxed);
      LoadStoredConstants();
      SetEpsilon(precision);
      return false;
    }
  } else if (aborted()) {
    return false;
  }
  if (need > ConstantsMark) ConstantsMark = static_cast<int32_t>(need);
  return true;
}

}  // namespace

namespace {

// P, R, the radix and the slots for (radix, precision): the set in force, a
// cached one or a new one.
void SwitchConstantSet(int32_t radix, int32_t precision, bool retryAborts) {
  assert(radix >= 2 && radix <= 16 && precision >= 1 && "radix or precision out of range");
  ConstantCache& cache = constantCache;
  WorkingPrecision = precision;
  DigitsPerWord = DigitsPerWordFor(radix);
  if (!RadixBig || BigNumToInt(*RadixBig, kInternalBase) != radix) {
    slot::RadixBig = BigNumFromInt(radix, kInternalBase);
    slot::RadixRat = RatFromInt(radix);
  }
  if (cache.activePrecision == precision && cache.activeRadix == radix) return;
  StashActiveSet();
  if (!TakeCachedSet(radix, precision) &&
      !BuildConstantSet(radix, precision, retryAborts)) {
    return;
  }
  cache.activeRadix = radix;
  cache.activePrecision = precision;
}

}  // namespace

void SelectConstantSet(int32_t radix, int32_t precision) {
  SwitchConstantSet(radix, precision, false);
}

void SetRadixAndPrecision(int32_t radix, int32_t precision) {
  AbortFlag.store(false, std::memory_order_relaxed);
  SwitchConstantSet(radix, precision, true);
}

int32_t ConstantSetRadix() { return BigNumToInt(*RadixBig, kInternalBase); }

void ClearConstantCache() {
  constantCache.sets.clear();
  ForgetActiveSet();
}

void SetConstantCacheCapacity(std::size_t capacity) {
  ConstantCache& cache = constantCache;
  cache.capacity = std::max<std::size_t>(capacity, 1);
  while (cache.sets.size() > cache.capacity) cache.sets.erase(LeastRecentlyUsed(cache.sets));
}
