#include "arith/fast_eval.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "arith/bignum.h"
#include "arith/constants.h"
#include "arith/error.h"
#include "arith/factorial.h"
#include "arith/inverse_trig.h"
#include "arith/pi.h"
#include "arith/power.h"
#include "arith/trig.h"
#include "arith/settings.h"
#include "arith/words.h"

namespace {

using Word = uint32_t;

// Fixed-point work space: slots of n = f + w words (w words before the
// point, one unless asked), and a product area of 2n words. Every slot
// holds a magnitude; signs are the caller's.
class Fixed {
 public:
  Fixed(int32_t fractionWords, int32_t slots, int32_t wholeWords = 1)
      : f_(fractionWords), n_(fractionWords + wholeWords),
        buffer_(WordBuffer(int64_t{n_} * (slots + 2))), slots_(slots) {}

  int32_t f() const { return f_; }
  int32_t n() const { return n_; }
  Word* operator[](int32_t i) { return buffer_->digits() + int64_t{n_} * i; }

  void SetZero(Word* r) { std::fill(r, r + n_, 0u); }
  void SetOne(Word* r) {
    SetZero(r);
    r[f_] = 1;
  }
  void Copy(Word* r, const Word* a) {
    if (r != a) std::copy(a, a + n_, r);
  }
  bool IsZero(const Word* a) const {
    return std::all_of(a, a + n_, [](Word w) { return w == 0; });
  }
  // r <- a b, truncated to f fraction words (r may be a or b). A long
  // product that an abort cuts short leaves r meaningless: the loops that
  // end on a zero term poll as well.
  void Mul(Word* r, const Word* a, const Word* b) {
    Word* p = (*this)[slots_];  // two slots: the 2n-word product
    WordsMultiply(p, a, n_, b, n_);
    std::copy(p + f_, p + f_ + n_, r);
  }
  void Add(Word* r, const Word* a) { WordsAddInto(r, n_, a, n_); }
  void Sub(Word* r, const Word* a) { WordsSubtractFrom(r, n_, a, n_); }  // r >= a
  void DivSmall(Word* r, Word d) { WordsDivWord(r, n_, d); }
  void MulSmall(Word* r, Word m) { WordsMulWord(r, n_, m); }
  int Compare(const Word* a, const Word* b) const { return WordsCompare(a, b, n_); }

  // r <- floor(|num / den| B^f) for a quotient below B^w.
  void FromQuotient(Word* r, const BigNum& num, const BigNum& den) {
    const BigPtr q = BigNumQuotientFrom(num, den, -int64_t{f_});
    for (int32_t i = 0; i < n_; ++i) {
      const int64_t k = int64_t{i} - f_ - q->exp;
      r[i] = (k >= 0 && k < q->count) ? q->digits()[k] : 0u;
    }
  }

  // The Rational a / B^f with the sign s.
  Rational ToRational(const Word* a, int32_t s) const {
    Rational r;
    int32_t count = n_;
    while (count > 1 && a[count - 1] == 0) --count;
    r.num = AllocBigNum(count);
    r.num->count = count;
    r.num->sign = s < 0 ? -1 : 1;
    std::copy(a, a + count, r.num->digits());
    r.den = AllocBigNum(1);
    r.den->count = 1;
    r.den->sign = 1;
    r.den->exp = f_;
    r.den->digits()[0] = 1;
    return r;
  }

 private:
  int32_t f_;
  int32_t n_;
  BigPtr buffer_;
  int32_t slots_;
};

// floor(a / b) for a, b > 0 integers (exp >= 0).
BigPtr FloorQuotient(const BigNum& a, const BigNum& b) { return BigNumQuotientFrom(a, b, 0); }

// log2 |x| of a non-zero BigNum from its top words, good to about 2^-50.
double Log2Magnitude(const BigNum& x) {
  double top = 0;
  int32_t used = 0;
  for (int32_t i = x.count - 1; i >= 0 && used < 3; --i, ++used) {
    top = top * 2147483648.0 + x.digits()[i];
  }
  return std::log2(top) + 31.0 * (int64_t{x.span()} - used);
}

int32_t BitLength(uint64_t v) {
  int32_t bits = 0;
  for (; v != 0; v >>= 1) ++bits;
  return bits;
}

// 2^k as a BigNum, k >= 0.
BigPtr PowerOfTwo(int64_t k) {
  if (k / kWordBits > std::numeric_limits<int32_t>::max() / 2) ThrowError(ErrOutOfMemory);
  BigPtr p = AllocBigNum(1);
  p->sign = 1;
  p->count = 1;
  p->exp = static_cast<int32_t>(k / kWordBits);
  p->digits()[0] = 1u << (k % kWordBits);
  return p;
}

// x <- x 2^k, on the numerator or the denominator.
void ScaleByPowerOfTwo(Rational& x, int64_t k) {
  if (k == 0) return;
  BigPtr p = PowerOfTwo(k < 0 ? -k : k);
  BigNumMulInternal(k > 0 ? x.num : x.den, *p);
}

// ln 2 = 2 atanh(1/3) = 2 sum 3^-(2i+1) / (2i + 1), kept at the most
// fraction words asked for so far.
struct Ln2Record {
  int32_t f = 0;
  std::vector<Word> words;  // f + 1 words, the value times B^f
};
Ln2Record ln2Record;

// r <- ln 2 truncated to fx.f() fraction words (within 2 units of the last).
void Ln2Into(Fixed& fx, Word* r) {
  if (ln2Record.f < fx.f()) {
    const int32_t f = fx.f() + 1;
    Fixed w(f, 3);
    Word* power = w[0];
    Word* sum = w[1];
    Word* term = w[2];
    w.SetOne(power);
    w.DivSmall(power, 3);
    w.Copy(sum, power);
    for (Word k = 3; !w.IsZero(power); k += 2) {
      w.DivSmall(power, 9);
      w.Copy(term, power);
      w.DivSmall(term, k);
      w.Add(sum, term);
    }
    w.MulSmall(sum, 2);
    if (AbortRequested()) return;
    ln2Record.words.assign(sum, sum + w.n());
    ln2Record.f = f;
  }
  const int32_t drop = ln2Record.f - fx.f();
  fx.SetZero(r);
  std::copy(ln2Record.words.begin() + drop, ln2Record.words.end(), r);
}

}  // namespace

Rational FastLn2(int32_t fractionWords) {
  Fixed fx(std::max(fractionWords, 1), 3);
  Ln2Into(fx, fx[0]);
  return fx.ToRational(fx[0], 1);
}

Rational FastExp(const Rational& x, int32_t bits) {
  if (RatIsZero(x)) return RatFromInt(1);
  const int32_t xSign = RatSign(x);
  const double log2x = Log2Magnitude(*x.num) - Log2Magnitude(*x.den);
  // k = round(x / ln 2); a tiny x keeps k = 0.
  const double xAbs = log2x < -60 ? 0.0 : std::exp2(std::min(log2x, 40.0));
  const int64_t kAbs = std::llround(xAbs / std::log(2.0));
  if (kAbs > std::numeric_limits<int32_t>::max()) ThrowError(ErrInvalidInput);
  // Halvings: sqrt(bits) / 2 balances the series against the squarings.
  const int32_t s = std::clamp(static_cast<int32_t>(std::sqrt(double(bits)) / 2), 2, 30);
  // Guard bits: 2^s from the squarings, the terms' roundings, k ulps of ln 2.
  const int32_t guard = s + 12 + BitLength(static_cast<uint64_t>(kAbs));
  const int32_t f = (bits + guard + kWordBits - 1) / kWordBits + 1;
  Fixed fx(f, 6);
  Word* r = fx[0];
  Word* kl = fx[1];
  Word* sum = fx[2];
  Word* term = fx[3];

  // |r| = ||x| - k ln 2|; x and k have the same sign.
  fx.FromQuotient(r, *x.num, *x.den);
  Ln2Into(fx, kl);
  fx.MulSmall(kl, static_cast<Word>(kAbs));
  int32_t rSign = xSign;
  if (fx.Compare(r, kl) >= 0) {
    fx.Sub(r, kl);
  } else {
    fx.Sub(kl, r);
    fx.Copy(r, kl);
    rSign = -xSign;
  }
  fx.DivSmall(r, Word{1} << s);

  // e^r = sum r^i / i!, the terms alternating for a negative r.
  fx.SetOne(sum);
  fx.SetOne(term);
  for (Word i = 1;; ++i) {
    fx.Mul(term, term, r);
    fx.DivSmall(term, i);
    if (fx.IsZero(term) || AbortRequested()) break;
    if (rSign < 0 && (i & 1)) {
      fx.Sub(sum, term);
    } else {
      fx.Add(sum, term);
    }
  }
  for (int32_t i = 0; i < s; ++i) fx.Mul(sum, sum, sum);
  // Cut short, the value is meaningless; it must only stay usable as a
  // divisor until the command discards it.
  if (AbortRequested()) return RatFromInt(1);
  Rational result = fx.ToRational(sum, 1);
  ScaleByPowerOfTwo(result, xSign < 0 ? -kAbs : kAbs);
  return result;
}

Rational FastLn(const Rational& x, int32_t bits) {
  // x = 2^e m, m within a factor sqrt 2 of 1.
  const double log2x = Log2Magnitude(*x.num) - Log2Magnitude(*x.den);
  const int64_t e = std::llround(log2x);
  BigPtr num = CopyBigNum(*x.num);
  BigPtr den = CopyBigNum(*x.den);
  num->sign = 1;
  den->sign = 1;
  BigNumMulInternal(e > 0 ? den : num, *PowerOfTwo(e < 0 ? -e : e));
  // Bits lost to cancellation in m - 1 (|ln m| is about |m - 1|).
  BigPtr diff = BigNumSum(*num, 1, *den, -1, kInternalBase);
  if (BigNumIsZero(*diff)) {
    if (e == 0) return RatFromInt(0);
  }
  int64_t lost = 0;
  if (e == 0) lost = int64_t{kWordBits} * (int64_t{den->span()} - diff->span() + 1);
  const int32_t guard = 16 + BitLength(static_cast<uint64_t>(e < 0 ? -e : e));
  const int64_t f64 = (int64_t{bits} + std::max<int64_t>(lost, 0) + guard + kWordBits - 1) /
                          kWordBits + 1;
  if (f64 > (1 << 24)) ThrowError(ErrOutOfMemory);
  const int32_t f = static_cast<int32_t>(f64);
  Fixed fx(f, 6);
  Word* z = fx[0];
  Word* w = fx[1];
  Word* sum = fx[2];
  Word* power = fx[3];
  Word* term = fx[4];
  Word* l2 = fx[5];

  // z = |m - 1| / (m + 1), exactly truncated.
  const int32_t zSign = diff->sign;
  if (BigNumIsZero(*diff)) {
    fx.SetZero(sum);
  } else {
    BigPtr plus = BigNumSum(*num, 1, *den, 1, kInternalBase);
    diff->sign = 1;
    fx.FromQuotient(z, *diff, *plus);
    // atanh z = z + z^3/3 + z^5/5 + ...
    fx.Mul(w, z, z);
    fx.Copy(sum, z);
    fx.Copy(power, z);
    for (Word k = 3;; k += 2) {
      fx.Mul(power, power, w);
      if (fx.IsZero(power) || AbortRequested()) break;
      fx.Copy(term, power);
      fx.DivSmall(term, k);
      fx.Add(sum, term);
    }
    fx.MulSmall(sum, 2);
  }
  // ln x = e ln 2 + ln m, ln m with the sign of m - 1.
  int32_t sign = zSign;
  if (e != 0) {
    Ln2Into(fx, l2);
    fx.MulSmall(l2, static_cast<Word>(e < 0 ? -e : e));
    const int32_t eSign = e < 0 ? -1 : 1;
    if (eSign == zSign || fx.IsZero(sum)) {
      fx.Add(sum, l2);
      sign = eSign;
    } else if (fx.Compare(l2, sum) >= 0) {
      fx.Sub(l2, sum);
      fx.Copy(sum, l2);
      sign = eSign;
    } else {
      fx.Sub(sum, l2);
    }
  }
  return fx.ToRational(sum, sign);
}

int32_t WorkingPrecisionBits() {
  const double perDigit = std::log2(static_cast<double>(ConstantSetRadix()));
  return static_cast<int32_t>(std::ceil(WorkingPrecision * perDigit)) + 8;
}

void FastExponential(Rational& x) {
  if (RatGreater(x, ExpLimit) || RatLess(x, MinusExpLimit)) ThrowError(ErrInvalidInput);
  x = FastExp(x, WorkingPrecisionBits());
}

void FastNaturalLog(Rational& x) {
  if (RatSign(x) <= 0) ThrowError(ErrInvalidInput);
  x = FastLn(x, WorkingPrecisionBits());
}

void FastCommonLog(Rational& x) {
  if (RatSign(x) <= 0) ThrowError(ErrInvalidInput);
  const int32_t bits = WorkingPrecisionBits() + 4;
  Rational v = FastLn(x, bits);
  // ln 10, kept for the last accuracy asked.
  static int32_t ln10Bits = 0;
  static Rational ln10;
  if (ln10Bits != bits) {
    ln10 = FastLn(RatFromInt(10), bits);
    ln10Bits = bits;
  }
  RatDiv(v, ln10);
  x = std::move(v);
}

namespace {

// Which of the three: 0 sinh, 1 cosh, 2 tanh.
void FastHyperbolic(Rational& x, int which) {
  Rational v = CopyRational(x);
  const int32_t sign = RatTakeMagnitude(v);
  if (RatGreater(v, ExpLimit)) ThrowError(ErrInvalidInput);
  if (RatIsZero(v)) {
    x = RatFromInt(which == 1 ? 1 : 0);
    return;
  }
  // A small |x| cancels in e^|x| - e^-|x|: its bits are asked for as well.
  const double size = Log2Magnitude(*v.num) - Log2Magnitude(*v.den);
  const int32_t extra = size < 0 ? static_cast<int32_t>(-size) + 2 : 2;
  if (which == 2) RatAdd(v, v);
  const Rational e = FastExp(v, WorkingPrecisionBits() + extra);
  // e = n / d: sinh = (n^2 - d^2) / (2 n d), cosh = (n^2 + d^2) / (2 n d),
  // tanh = (n - d) / (n + d) for e = e^(2|x|).
  Rational r;
  if (which == 2) {
    r.num = BigNumSum(*e.num, 1, *e.den, -1, kInternalBase);
    r.den = BigNumSum(*e.num, 1, *e.den, 1, kInternalBase);
  } else {
    BigPtr nn = BigNumProductInternal(*e.num, *e.num);
    BigPtr dd = BigNumProductInternal(*e.den, *e.den);
    r.num = BigNumSum(*nn, 1, *dd, which == 0 ? -1 : 1, kInternalBase);
    r.den = BigNumProductInternal(*e.num, *e.den);
    BigNumMulInternal(r.den, *BigNumFromInt(2, kInternalBase));
  }
  RatTrim(r);
  if (which != 1) RatGiveSign(r, sign);
  x = std::move(r);
}

}  // namespace

void FastHypSine(Rational& x) { FastHyperbolic(x, 0); }
void FastHypCosine(Rational& x) { FastHyperbolic(x, 1); }
void FastHypTangent(Rational& x) { FastHyperbolic(x, 2); }

namespace {

// pi / 2 truncated to fx.f() fraction words, kept at the most words asked.
Ln2Record halfPiRecord;

void HalfPiInto(Fixed& fx, Word* r) {
  if (halfPiRecord.f < fx.f()) {
    const int32_t f = fx.f() + 1;
    const Rational pi = PiToWords(f + 2);
    BigPtr twiceDen = CopyBigNum(*pi.den);
    BigNumMulInternal(twiceDen, *BigNumFromInt(2, kInternalBase));
    Fixed w(f, 1);
    w.FromQuotient(w[0], *pi.num, *twiceDen);
    if (AbortRequested()) return;  // pi cut short: nothing kept
    halfPiRecord.words.assign(w[0], w[0] + w.n());
    halfPiRecord.f = f;
  }
  const int32_t drop = halfPiRecord.f - fx.f();
  fx.SetZero(r);
  std::copy(halfPiRecord.words.begin() + drop, halfPiRecord.words.end(), r);
}

// |x| as a double, for rounding to the nearest quarter turn (|x| < 2^40).
double Approximate(const Rational& x) {
  if (RatIsZero(x)) return 0;
  return std::exp2(Log2Magnitude(*x.num) - Log2Magnitude(*x.den));
}

// sum <- sin |r| (cosine = false) or cos |r|, |r| <= pi/4 + a little.
void SinCosTaylor(Fixed& fx, Word* sum, const Word* r, bool cosine, Word* w, Word* term) {
  fx.Mul(w, r, r);
  if (cosine) {
    fx.SetOne(sum);
    fx.SetOne(term);
  } else {
    fx.Copy(sum, r);
    fx.Copy(term, r);
  }
  for (Word i = cosine ? 1 : 2;; i += 2) {
    fx.Mul(term, term, w);
    fx.DivSmall(term, i * (i + 1));
    if (fx.IsZero(term) || AbortRequested()) break;
    // Terms alternate: odd passes subtract.
    if (((i + 1) / 2) & 1) {
      fx.Sub(sum, term);
    } else {
      fx.Add(sum, term);
    }
  }
}

// 0 sin, 1 cos, 2 tan.
void FastCircular(Rational& x, AngleUnit unit, int which) {
  const int32_t bits = WorkingPrecisionBits() + 4;
  Rational v = CopyRational(x);
  // x = k pi/2 + r: the quarter k and r's sign and size; for degrees and
  // grads r = f pi/2 with the fraction f of a quarter turn, exact.
  int64_t k = 0;
  int32_t quarter = 0;  // k mod 4
  bool huge = false;    // radians beyond 2^26: k as a big number
  Rational fraction;  // degrees and grads
  if (unit != Radians) {
    // Whole turns off exactly: a mod (turn b) over b.
    const int32_t sign = RatTakeMagnitude(v);
    BigPtr turn = BigNumFromInt(unit == Degrees ? 360 : 400, kInternalBase);
    BigNumMulInternal(turn, *v.den);
    BigNumRem(v.num, *turn);
    if (v.num->exp < 0) {  // the remainder may sit below the words of v.num
      v.den->exp -= v.num->exp;
      v.num->exp = 0;
    }
    BigNumMulInternal(v.den, *BigNumFromInt(unit == Degrees ? 90 : 100, kInternalBase));
    // Below four quarters; after an abort the remainder is meaningless and
    // may be of any size, and no quarter count is taken of it.
    const double quarters = Approximate(v);
    k = std::isfinite(quarters) && std::fabs(quarters) < 8 ? std::llround(quarters) * sign : 0;
    BigPtr kq = BigNumProductInternal(*BigNumFromInt(static_cast<int32_t>(k), kInternalBase),
                                      *v.den);
    fraction.num = BigNumSum(*v.num, sign, *kq, -kq->sign, kInternalBase);
    fraction.den = std::move(v.den);
  } else {
    huge = !RatIsZero(v) && Log2Magnitude(*v.num) - Log2Magnitude(*v.den) > 26;
    if (!huge) k = std::llround(Approximate(v) / (std::acos(-1.0) / 2)) * RatSign(v);
  }
  // Words enough for r's own size: its leading zero words are found by a
  // first pass and paid for by a second.
  int32_t extraWords = 0;
  if (unit != Radians && !RatIsZero(fraction)) {
    const double size = Log2Magnitude(*fraction.num) - Log2Magnitude(*fraction.den);
    if (size < 0) extraWords = static_cast<int32_t>(-size) / kWordBits + 1;
  }
  for (int pass = 0;; ++pass) {
    const int32_t f = (bits + 16 + kWordBits - 1) / kWordBits + 1 + extraWords;
    Fixed fx(f, 7);
    Word* r = fx[0];
    Word* hp = fx[1];
    int32_t rSign = 1;
    HalfPiInto(fx, hp);
    if (unit != Radians) {
      rSign = RatSign(fraction);
      fx.FromQuotient(r, *fraction.num, *fraction.den);
      fx.Mul(r, r, hp);
    } else if (huge) {
      // |x| = a / b: K = round(2 a Q / (b P)) for pi = P / Q to the words of
      // x's integer part and f more, and r = (2 a Q - K b P) / (2 b Q),
      // exact but for pi.
      const int32_t words = std::max(v.num->span() - v.den->span(), 0) + f + 3;
      const Rational pi = PiToWords(words);
      BigPtr a = CopyBigNum(*v.num);
      BigPtr b = CopyBigNum(*v.den);
      const int32_t xSign = RatSign(v);
      a->sign = 1;
      b->sign = 1;
      BigPtr twoAQ = BigNumProductInternal(*a, *pi.den);
      BigNumMulInternal(twoAQ, *BigNumFromInt(2, kInternalBase));
      const BigPtr bP = BigNumProductInternal(*b, *pi.num);
      BigPtr twiceNum = BigNumProductInternal(*twoAQ, *BigNumFromInt(2, kInternalBase));
      BigNumAdd(twiceNum, *bP, kInternalBase);
      const BigPtr twiceDen = BigNumProductInternal(*bP, *BigNumFromInt(2, kInternalBase));
      const BigPtr bigK = FloorQuotient(*twiceNum, *twiceDen);
      const BigPtr kbP = BigNumProductInternal(*bigK, *bP);
      const BigPtr rn = BigNumSum(*twoAQ, 1, *kbP, -1, kInternalBase);
      BigPtr rd = BigNumProductInternal(*b, *pi.den);
      BigNumMulInternal(rd, *BigNumFromInt(2, kInternalBase));
      rSign = xSign * (BigNumIsZero(*rn) ? 1 : rn->sign);
      fx.FromQuotient(r, *rn, *rd);
      const Word low = bigK->exp == 0 ? bigK->digits()[0] & 3u : 0u;
      quarter = static_cast<int32_t>(xSign > 0 ? low : (4 - low) % 4);
    } else {
      fx.FromQuotient(r, *v.num, *v.den);
      fx.MulSmall(hp, static_cast<Word>(k < 0 ? -k : k));
      // v and k have the same sign (or k = 0).
      rSign = RatSign(v) == 0 ? 1 : RatSign(v);
      if (fx.Compare(r, hp) >= 0) {
        fx.Sub(r, hp);
      } else {
        fx.Sub(hp, r);
        fx.Copy(r, hp);
        rSign = -rSign;
      }
    }
    if (unit == Radians) {
      int32_t top = fx.n() - 1;
      while (top >= 0 && r[top] == 0) --top;
      // r cancelled to below the words held (all of them when r came out
      // 0 for a nonzero x): once more with those words added.
      const int32_t lost = top < 0 ? (RatIsZero(v) ? 0 : f) : f - 1 - top;
      if (pass < 4 && lost > 0) {
        extraWords += lost + 1;
        continue;
      }
    }
    if (!huge) quarter = static_cast<int32_t>(((k % 4) + 4) % 4);
    // sin x = sin r, cos r, -sin r, -cos r by quarter; cos x = cos r, -sin r,
    // -cos r, sin r.
    Word* sinR = fx[2];
    Word* cosR = fx[3];
    const bool needSin = which == 2 || (which == 0) == (quarter % 2 == 0);
    const bool needCos = which == 2 || (which == 0) != (quarter % 2 == 0);
    if (needSin) SinCosTaylor(fx, sinR, r, false, fx[4], fx[5]);
    if (needCos) SinCosTaylor(fx, cosR, r, true, fx[4], fx[5]);
    const Rational s = needSin ? fx.ToRational(sinR, rSign) : Rational{};
    const Rational c = needCos ? fx.ToRational(cosR, 1) : Rational{};
    auto negated = [](const Rational& a) { return RatNegated(a); };
    Rational sinX, cosX;
    if (which != 1) {
      const Rational& base = quarter % 2 == 0 ? s : c;
      sinX = quarter < 2 ? CopyRational(base) : negated(base);
    }
    if (which != 0) {
      const Rational& base = quarter % 2 == 0 ? c : s;
      cosX = (quarter == 0 || quarter == 3) ? CopyRational(base) : negated(base);
    }
    if (which == 0) {
      x = std::move(sinX);
    } else if (which == 1) {
      x = std::move(cosX);
    } else {
      if (RatIsZero(cosX)) ThrowError(ErrInvalidInput);
      RatDiv(sinX, cosX);
      x = std::move(sinX);
    }
    return;
  }
}

}  // namespace

void FastSine(Rational& x, AngleUnit unit) { FastCircular(x, unit, 0); }
void FastCosine(Rational& x, AngleUnit unit) { FastCircular(x, unit, 1); }
void FastTangent(Rational& x, AngleUnit unit) { FastCircular(x, unit, 2); }

namespace {

// floor(a 2^bits) for an integer a >= 0 (exp >= 0), as a BigNum of exp 0.
BigPtr ShiftedInteger(const BigNum& a, int64_t bits) {
  const int64_t total = bits + int64_t{kWordBits} * a.exp;
  const int64_t words = total >= 0 ? total / kWordBits : -((-total + kWordBits - 1) / kWordBits);
  const int32_t b = static_cast<int32_t>(total - words * kWordBits);  // 0 .. 30
  const int64_t outCount = std::max<int64_t>(int64_t{a.count} + words + 1, 1);
  if (outCount > std::numeric_limits<int32_t>::max() / 2) ThrowError(ErrOutOfMemory);
  BigPtr r = AllocBigNum(static_cast<int32_t>(outCount));
  Word* out = r->digits();
  const Word* in = a.digits();
  // Word i of a 2^b lands at word i + words.
  uint64_t carry = 0;
  for (int32_t i = 0; i <= a.count; ++i) {
    const uint64_t t = (i < a.count ? (uint64_t{in[i]} << b) : 0) | carry;
    carry = t >> kWordBits;
    const int64_t k = int64_t{i} + words;
    if (k >= 0 && k < outCount) out[k] = static_cast<Word>(t & kWordMask);
  }
  int32_t count = static_cast<int32_t>(outCount);
  while (count > 1 && out[count - 1] == 0) --count;
  r->sign = 1;
  r->count = count;
  r->exp = 0;
  return r;
}

// The bit length of an integer a > 0.
int64_t BitLengthOf(const BigNum& a) {
  int32_t top = a.count - 1;
  while (top > 0 && a.digits()[top] == 0) --top;
  return int64_t{kWordBits} * (a.exp + top) + BitLength(a.digits()[top]);
}

// floor(sqrt N) for an integer N > 0, with the precision doubling: the root
// of N / 4^k (k about a quarter of N's bits) scaled by 2^k is below the
// root by less than 2^(k+1), so that one Newton step from it, which is never
// below floor(sqrt N), overshoots by a few units at most; those go by
// squaring.
BigPtr IntegerSqrt(const BigNum& big) {
  const int64_t length = BitLengthOf(big);
  if (length <= 62) {
    uint64_t v = 0;
    const BigPtr plain = ShiftedInteger(big, 0);
    for (int32_t i = plain->count - 1; i >= 0; --i) v = (v << kWordBits) | plain->digits()[i];
    uint64_t r = static_cast<uint64_t>(std::sqrt(static_cast<double>(v)));
    while (r * r > v) --r;
    while ((r + 1) * (r + 1) <= v) ++r;
    BigPtr out = BigNumFromInt(static_cast<int32_t>(r), kInternalBase);
    return out;
  }
  const int64_t k = (length - 1) / 4;
  BigPtr y = ShiftedInteger(*IntegerSqrt(*ShiftedInteger(big, -2 * k)), k);
  // y <- floor((y + floor(N / y)) / 2)
  BigPtr z = FloorQuotient(big, *y);
  BigNumAdd(z, *y, kInternalBase);
  y = ShiftedInteger(*z, -1);
  for (;;) {
    const BigPtr square = BigNumProductInternal(*y, *y);
    if (!BigNumLessMagnitude(big, *square) || AbortRequested()) return y;
    BigNumAdd(y, *BigNumFromInt(-1, kInternalBase), kInternalBase);
  }
}

// floor(N^(1/n)) for N > 0, by Newton's iteration from above.
BigPtr IntegerRoot(const BigNum& big, int32_t n) {
  if (n == 2) return IntegerSqrt(big);
  // A start next to the root, from its logarithm: 48 bits of mantissa,
  // raised by 2^-40, times a power of two.
  const double log2root = Log2Magnitude(big) / n;
  const int64_t whole = static_cast<int64_t>(std::floor(log2root));
  const double mantissa = std::exp2(log2root - double(whole)) * (1 + std::exp2(-40));
  const int64_t m48 = static_cast<int64_t>(std::ceil(mantissa * std::exp2(47)));
  BigPtr y = BigNumFromInt(static_cast<int32_t>(m48 >> 31), kInternalBase);
  y->exp = 1;
  BigNumAdd(y, *BigNumFromInt(static_cast<int32_t>(m48 & kWordMask), kInternalBase),
            kInternalBase);
  if (whole >= 47) {
    BigNumMulInternal(y, *PowerOfTwo(whole - 47));
  } else {
    y = FloorQuotient(*y, *PowerOfTwo(47 - whole));
    BigNumAdd(y, *BigNumFromInt(1, kInternalBase), kInternalBase);
  }
  const BigPtr nMinus1 = BigNumFromInt(n - 1, kInternalBase);
  const BigPtr nBig = BigNumFromInt(n, kInternalBase);
  // z = floor(((n - 1) y + N / y^(n-1)) / n) is at least floor(N^(1/n)) for
  // any y > 0 (the mean of n - 1 times y and N / y^(n-1) is at least their
  // geometric mean): one step from the start, which the rounding of the
  // logarithm may have put below the root, then steps while they descend.
  auto step = [&](const BigNum& from) {
    BigPtr power = CopyBigNum(from);
    BigNumPowInternal(power, n - 1);
    BigPtr z = FloorQuotient(big, *power);
    BigPtr t = BigNumProductInternal(from, *nMinus1);
    BigNumAdd(z, *t, kInternalBase);
    return FloorQuotient(*z, *nBig);
  };
  y = step(*y);
  for (;;) {
    BigPtr z = step(*y);
    if (!BigNumLessMagnitude(*z, *y) || AbortRequested()) return y;
    y = std::move(z);
  }
}

}  // namespace

namespace {

// The whole n-th root of v < 2^31 when there is one, else 0.
uint32_t ExactSmallRoot(uint32_t v, int32_t n) {
  const double guess = std::round(std::pow(static_cast<double>(v), 1.0 / n));
  for (uint64_t r = guess > 1 ? static_cast<uint64_t>(guess) - 1 : 0; r <= guess + 1; ++r) {
    uint64_t p = 1;
    for (int32_t i = 0; i < n && p <= v; ++i) p *= r;
    if (p == v) return static_cast<uint32_t>(r);
  }
  return 0;
}

}  // namespace

Rational FastRoot(const Rational& x, int32_t n, int32_t bits) {
  // Small operands with an exact root (27, 1/8) take no iteration.
  const BigNum& xn = *x.num;
  const BigNum& xd = *x.den;
  if (xn.count == 1 && xn.exp == 0 && xd.count == 1 && xd.exp == 0 &&
      xn.digits()[0] != 0 && xd.digits()[0] != 0) {
    const uint32_t rn = ExactSmallRoot(xn.digits()[0], n);
    const uint32_t rd = rn == 0 ? 0 : ExactSmallRoot(xd.digits()[0], n);
    if (rd != 0) {
      Rational r;
      r.num = BigNumFromInt(static_cast<int32_t>(rn), kInternalBase);
      r.den = BigNumFromInt(static_cast<int32_t>(rd), kInternalBase);
      return r;
    }
  }
  // N = a b^(n-1) B^(n f), f words for the bits asked (and a word more).
  const int32_t f = (bits + kWordBits - 1) / kWordBits + 1;
  BigPtr a = CopyBigNum(*x.num);
  BigPtr b = CopyBigNum(*x.den);
  a->sign = 1;
  b->sign = 1;
  BigPtr big = CopyBigNum(*b);
  BigNumPowInternal(big, n - 1);
  BigNumMulInternal(big, *a);
  const int64_t shift = int64_t{n} * f + big->exp;
  if (shift > (1 << 26)) ThrowError(ErrOutOfMemory);
  big->exp = static_cast<int32_t>(shift);
  Rational r;
  r.num = IntegerRoot(*big, n);
  r.den = std::move(b);
  r.den->exp += f;
  return r;
}

int32_t FastRootDegree(const Rational& x, const Rational& y) {
  // y = 1/n, exactly, for a whole n >= 2 of one word?
  const BigNum& num = *y.num;
  const BigNum& den = *y.den;
  const int32_t sign = RatSign(x);
  const bool unitNumerator = num.count == 1 && num.exp == 0 && num.digits()[0] == 1;
  const bool smallDen = den.count == 1 && den.exp == 0 && den.digits()[0] >= 2;
  if (sign == 0 || !unitNumerator || !smallDen || num.sign * den.sign < 0) return 0;
  const int32_t n = static_cast<int32_t>(den.digits()[0]);
  // The integer root works on a x.den^(n-1) B^(nf): for high roots of
  // long fractions the logarithm is cheaper.
  const int64_t words = int64_t{x.num->span()} + int64_t{n - 1} * x.den->span();
  return (sign > 0 || (n & 1)) && n <= 16 && words <= 64 ? n : 0;
}

void FastPower(Rational& x, const Rational& y) {
  const int32_t n = FastRootDegree(x, y);
  if (n != 0) {
    const int32_t sign = RatSign(x);
    Rational r = FastRoot(x, n, WorkingPrecisionBits());
    RatTrim(r);
    if (sign < 0) r.num->sign = -r.num->sign;
    x = std::move(r);
    return;
  }
  PowerWith(x, y, FastNaturalLog, FastExponential);
}

namespace {

// a as a non-negative BigNum (one heap block) of the words a[0, n).
BigPtr WordsAsBigNum(const Word* a, int32_t n) {
  int32_t count = n;
  while (count > 1 && a[count - 1] == 0) --count;
  BigPtr b = AllocBigNum(count);
  b->sign = 1;
  b->count = count;
  std::copy(a, a + count, b->digits());
  return b;
}

// r <- a / b (b > 0) in fixed point.
void FixedDivide(Fixed& fx, Word* r, const Word* a, const Word* b) {
  const BigPtr num = WordsAsBigNum(a, fx.n());
  const BigPtr den = WordsAsBigNum(b, fx.n());
  fx.FromQuotient(r, *num, *den);
}

// r <- sqrt a in fixed point: the integer root of a B^f.
void FixedSqrt(Fixed& fx, Word* r, const Word* a) {
  BigPtr big = WordsAsBigNum(a, fx.n());
  big->exp += fx.f();
  const BigPtr root = IntegerRoot(*big, 2);
  fx.SetZero(r);
  for (int32_t i = 0; i < fx.n(); ++i) {
    const int64_t k = int64_t{i} - root->exp;
    if (k >= 0 && k < root->count) r[i] = root->digits()[k];
  }
}

// x (radians) <- x in `unit`: times 180 / pi or 200 / pi.
void ToUnit(Rational& x, AngleUnit unit, int32_t bits) {
  if (unit == Radians || RatIsZero(x)) return;
  RatMul(x, RatFromInt(unit == Degrees ? 180 : 200));
  RatDiv(x, PiToWords((bits + 40) / kWordBits + 2));
}

// |v| below 2^-(bits / 2 + 4), where arcsin v = v + v^3/6 within a
// relative 2^-(2 bits).
bool IsTinyFor(const Rational& v, int32_t bits) {
  return !RatIsZero(v) && Log2Magnitude(*v.num) - Log2Magnitude(*v.den) < -(bits / 2 + 4);
}

// v + v^3 / 6 for v >= 0, exact.
Rational TinyArcSine(const Rational& v) {
  BigPtr cube = BigNumProductInternal(*v.num, *v.num);
  BigNumMulInternal(cube, *v.num);
  BigPtr den3 = BigNumProductInternal(*v.den, *v.den);
  BigNumMulInternal(den3, *v.den);
  BigNumMulInternal(den3, *BigNumFromInt(6, kInternalBase));
  // v + c / d3 = (a d3 + c b) / (b d3)
  Rational r;
  r.num = BigNumProductInternal(*v.num, *den3);
  BigNumMulInternal(cube, *v.den);
  BigNumAdd(r.num, *cube, kInternalBase);
  r.den = BigNumProductInternal(*v.den, *den3);
  RatTrim(r);
  return r;
}

}  // namespace

Rational FastAtan(const Rational& x, int32_t bits) {
  Rational v = CopyRational(x);
  const int32_t sign = RatTakeMagnitude(v);
  if (sign == 0 || RatIsZero(v)) return RatFromInt(0);
  const bool invert = RatGreater(v, RatFromInt(1));
  if (invert) std::swap(v.num, v.den);
  // A small |x| is its own size in relative terms: words for it.
  const double size = Log2Magnitude(*v.num) - Log2Magnitude(*v.den);
  const int32_t extra = size < 0 ? static_cast<int32_t>(-size) : 0;
  const int32_t f = (bits + extra + 24 + kWordBits - 1) / kWordBits + 1;
  Fixed fx(f, 8);
  Word* z = fx[0];
  Word* w = fx[1];
  Word* s = fx[2];
  Word* sum = fx[3];
  Word* p = fx[4];
  Word* t = fx[5];
  fx.FromQuotient(z, *v.num, *v.den);
  constexpr int kHalvings = 1;
  for (int i = 0; i < kHalvings; ++i) {
    // z <- z / (1 + sqrt(1 + z^2))
    fx.Mul(w, z, z);
    fx.SetOne(t);
    fx.Add(w, t);
    FixedSqrt(fx, s, w);
    fx.Add(s, t);
    FixedDivide(fx, w, z, s);
    fx.Copy(z, w);
  }
  fx.Mul(w, z, z);
  fx.Copy(sum, z);
  fx.Copy(p, z);
  for (Word k = 3;; k += 2) {
    fx.Mul(p, p, w);
    if (fx.IsZero(p) || AbortRequested()) break;
    fx.Copy(t, p);
    fx.DivSmall(t, k);
    if (k & 2) {
      fx.Sub(sum, t);
    } else {
      fx.Add(sum, t);
    }
  }
  fx.MulSmall(sum, 1u << kHalvings);
  if (invert) {
    HalfPiInto(fx, t);
    fx.Sub(t, sum);
    fx.Copy(sum, t);
  }
  return fx.ToRational(sum, sign);
}

void FastArcTangent(Rational& x, AngleUnit unit) {
  const int32_t bits = WorkingPrecisionBits() + 4;
  Rational r = FastAtan(x, bits);
  ToUnit(r, unit, bits);
  x = std::move(r);
}

void FastArcSine(Rational& x, AngleUnit unit) {
  Rational v = CopyRational(x);
  const int32_t sign = RatTakeMagnitude(v);
  if (sign == 0 || !RatLess(v, RatFromInt(1))) {
    ArcSineInUnit(x, unit);
    return;
  }
  const int32_t bits = WorkingPrecisionBits() + 8;
  if (IsTinyFor(v, bits)) {
    Rational r = TinyArcSine(v);
    if (sign < 0) r.num->sign = -r.num->sign;
    ToUnit(r, unit, bits);
    x = std::move(r);
    return;
  }
  // (1 - v)(1 + v) = (b - a)(b + a) / b^2 for v = a / b, exact.
  Rational radicand;
  radicand.num = BigNumSum(*v.den, 1, *v.num, -1, kInternalBase);
  BigNumMulInternal(radicand.num, *BigNumSum(*v.den, 1, *v.num, 1, kInternalBase));
  radicand.den = BigNumProductInternal(*v.den, *v.den);
  Rational root = FastRoot(radicand, 2, bits);
  // arcsin v = 2 arctan(v / (1 + sqrt(1 - v^2))), the first halving of the
  // arctangent of v / sqrt(1 - v^2) without a root of its own:
  // v / (1 + rn / rd) = a rd / (b (rd + rn)).
  Rational t;
  t.num = BigNumProductInternal(*v.num, *root.den);
  t.den = BigNumProductInternal(
      *v.den, *BigNumSum(*root.den, 1, *root.num, 1, kInternalBase));
  Rational r = FastAtan(t, bits);
  BigNumMulInternal(r.num, *BigNumFromInt(2, kInternalBase));
  if (sign < 0) r.num->sign = -r.num->sign;
  ToUnit(r, unit, bits);
  x = std::move(r);
}

void FastArcCosine(Rational& x, AngleUnit unit) {
  Rational v = CopyRational(x);
  Rational magnitude = CopyRational(x);
  const int32_t sign = RatTakeMagnitude(magnitude);
  if (sign == 0 || !RatLess(magnitude, RatFromInt(1))) {
    ArcCosineInUnit(x, unit);
    return;
  }
  const int32_t bits = WorkingPrecisionBits() + 8;
  if (IsTinyFor(magnitude, bits)) {
    // pi/2 - arcsin x.
    Rational r = TinyArcSine(magnitude);
    if (sign > 0) r.num->sign = -r.num->sign;
    Rational halfPi = PiToWords((bits + 40) / kWordBits + 2);
    BigNumMulInternal(halfPi.den, *BigNumFromInt(2, kInternalBase));
    RatAdd(r, halfPi);
    ToUnit(r, unit, bits);
    x = std::move(r);
    return;
  }
  // (1 - x) / (1 + x) = (b - a) / (b + a) for x = a / b (b > 0), exact.
  RatTakeMagnitude(v);
  Rational q;
  q.num = BigNumSum(*v.den, 1, *v.num, -sign, kInternalBase);
  q.den = BigNumSum(*v.den, 1, *v.num, sign, kInternalBase);
  Rational r = FastAtan(FastRoot(q, 2, bits), bits);
  RatAdd(r, r);
  ToUnit(r, unit, bits);
  x = std::move(r);
}

namespace {

// Spouge's coefficients c_0 .. c_(a-1) as fixed-point magnitudes (signs
// alternate from c_1 on: c_k has the sign (-1)^(k-1)).
struct SpougeRecord {
  int32_t bits = 0;
  int32_t a = 0;
  int32_t f = 0;
  int32_t whole = 0;
  std::vector<Word> c;  // a slots of f + whole words
  uint64_t lastUse = 0;
};

// The coefficients of the last few accuracies asked for (a precision change
// or guard digits ask for another), the least recently used replaced first.
std::array<SpougeRecord, 6> spougeSets;
uint64_t spougeClock = 0;

// Fills `spouge` for `bits`; an abort leaves it as it was.
void BuildSpouge(int32_t bits, SpougeRecord& spouge) {
  const int32_t a = static_cast<int32_t>(std::ceil(bits / std::log2(2 * std::acos(-1.0)))) + 1;
  // The largest coefficient, log2 |c_k| = (k - 1/2) log2(a - k) + (a - k)
  // log2 e - log2 (k - 1)!: the words before the point, and the bits the
  // alternating sum cancels.
  double top = 2;
  double logFactorial = 0;
  for (int32_t k = 1; k < a; ++k) {
    if (k > 1) logFactorial += std::log2(double(k - 1));
    top = std::max(top, (k - 0.5) * std::log2(double(a - k)) +
                            (a - k) * std::log2(std::exp(1.0)) - logFactorial);
  }
  const int32_t whole = static_cast<int32_t>(top) / kWordBits + 2;
  const int32_t f = (bits + static_cast<int32_t>(top) + 24 + kWordBits - 1) / kWordBits + 1;
  const int32_t cBits = kWordBits * (f + whole) + 8;
  Fixed fx(f, 1, whole);
  std::vector<Word> c(static_cast<size_t>(a) * fx.n());
  // c_0 = sqrt(2 pi)
  {
    Rational twoPi = PiToWords(f + whole + 2);
    BigNumMulInternal(twoPi.num, *BigNumFromInt(2, kInternalBase));
    const Rational root = FastRoot(twoPi, 2, cBits);
    fx.FromQuotient(c.data(), *root.num, *root.den);
  }
  BigPtr factorial = BigNumFromInt(1, kInternalBase);  // (k - 1)!
  for (int32_t k = 1; k < a; ++k) {
    if (k > 1) BigNumMulInternal(factorial, *BigNumFromInt(k - 1, kInternalBase));
    // c_k = (a - k)^(k - 1) sqrt(a - k) e^(a - k) / (k - 1)!
    const Rational base = RatFromInt(a - k);
    Rational t = FastExp(base, cBits);
    const Rational root = FastRoot(base, 2, cBits);
    BigPtr power = BigNumFromInt(a - k, kInternalBase);
    BigNumPowInternal(power, k - 1);
    BigNumMulInternal(t.num, *power);
    BigNumMulInternal(t.num, *root.num);
    BigNumMulInternal(t.den, *root.den);
    BigNumMulInternal(t.den, *factorial);
    fx.FromQuotient(c.data() + static_cast<size_t>(k) * fx.n(), *t.num, *t.den);
    if (AbortRequested()) return;
  }
  spouge.bits = bits;
  spouge.a = a;
  spouge.f = f;
  spouge.whole = whole;
  spouge.c = std::move(c);
}

const SpougeRecord& SpougeFor(int32_t bits) {
  SpougeRecord* oldest = &spougeSets[0];
  for (SpougeRecord& r : spougeSets) {
    if (r.bits == bits) {
      r.lastUse = ++spougeClock;
      return r;
    }
    if (r.lastUse < oldest->lastUse) oldest = &r;
  }
  BuildSpouge(bits, *oldest);
  oldest->lastUse = ++spougeClock;
  return *oldest;
}

}  // namespace

Rational FastGammaPlusOne(const Rational& z, int32_t bits) {
  const SpougeRecord& spouge = SpougeFor(bits);
  if (AbortRequested()) return RatFromInt(1);
  const int32_t a = spouge.a;
  Fixed fx(spouge.f, 4, spouge.whole);
  const int32_t n = fx.n();
  Word* pos = fx[0];
  Word* neg = fx[1];
  Word* t = fx[2];
  BigPtr p = CopyBigNum(*z.num);
  BigPtr q = CopyBigNum(*z.den);
  p->sign = 1;
  q->sign = 1;
  // sum c_k / (z + k) = sum c_k q / (p + k q)
  fx.Copy(pos, spouge.c.data());
  fx.SetZero(neg);
  const bool small = p->exp == 0 && q->exp == 0 && p->count == 1 && q->count == 1 &&
                     uint64_t{p->digits()[0]} + uint64_t{q->digits()[0]} * a < kInternalBase;
  for (int32_t k = 1; k < a; ++k) {
    const Word* ck = spouge.c.data() + static_cast<size_t>(k) * n;
    if (small) {
      fx.Copy(t, ck);
      fx.MulSmall(t, q->digits()[0]);
      fx.DivSmall(t, p->digits()[0] + static_cast<Word>(k) * q->digits()[0]);
    } else {
      BigPtr num = WordsAsBigNum(ck, n);
      BigNumMulInternal(num, *q);
      BigPtr den = BigNumProductInternal(*q, *BigNumFromInt(k, kInternalBase));
      BigNumAdd(den, *p, kInternalBase);
      den->exp += fx.f();  // num holds c_k B^f
      fx.FromQuotient(t, *num, *den);
    }
    fx.Add((k & 1) ? pos : neg, t);
  }
  fx.Sub(pos, neg);  // the sum is positive
  Rational sum = fx.ToRational(pos, 1);

  // (z + a)^(z + 1/2) e^-(z + a) = e^E, E = (z + 1/2) ln(z + a) - (z + a):
  // with ln(z + a) = Ln / Ld and z = p / q,
  // E = ((2p + q) Ln - 2 (p + a q) Ld) / (2 q Ld), formed exactly.
  BigPtr za = BigNumProductInternal(*q, *BigNumFromInt(a, kInternalBase));
  BigNumAdd(za, *p, kInternalBase);  // p + a q
  Rational zPlusA;
  zPlusA.num = CopyBigNum(*za);
  zPlusA.den = CopyBigNum(*q);
  const double sizeE = std::max(0.0, Log2Magnitude(*za) - Log2Magnitude(*q)) + 1;
  const int32_t eBits = bits + 8 + static_cast<int32_t>(std::log2(sizeE + 1) + sizeE / 4) + 8;
  const Rational ln = FastLn(zPlusA, eBits);
  BigPtr twoPPlusQ = BigNumProductInternal(*p, *BigNumFromInt(2, kInternalBase));
  BigNumAdd(twoPPlusQ, *q, kInternalBase);
  Rational e;
  const BigPtr left = BigNumProductInternal(*twoPPlusQ, *ln.num);
  BigPtr right = BigNumProductInternal(*za, *ln.den);
  BigNumMulInternal(right, *BigNumFromInt(2, kInternalBase));
  e.num = BigNumSum(*left, 1, *right, -1, kInternalBase);
  e.den = BigNumProductInternal(*q, *ln.den);
  BigNumMulInternal(e.den, *BigNumFromInt(2, kInternalBase));
  const Rational power = FastExp(e, bits + 8);
  Rational r;
  r.num = BigNumProductInternal(*sum.num, *power.num);
  r.den = BigNumProductInternal(*sum.den, *power.den);
  RatTrim(r);
  return r;
}

void FastFactorial(Rational& x) {
  const int32_t bits = WorkingPrecisionBits() + 8;
  Rational v = CopyRational(x);
  const int32_t sign = RatTakeMagnitude(v);
  BigPtr rest = CopyBigNum(*v.num);
  BigNumRem(rest, *v.den);
  const bool whole = BigNumIsZero(*rest);
  if (whole || sign == 0 || RatGreater(v, RatFromInt(10000000))) {
    Factorial(x);
    return;
  }
  if (Log2Magnitude(*v.num) - Log2Magnitude(*v.den) < -(bits + 10)) {
    // |x| below 2^-(bits + 10): x! = 1 - gamma x + O(x^2), Euler's gamma
    // to 16 digits being far more than the term needs.
    const BigPtr gammaNum = BigNumProductInternal(*BigNumFromInt(577215664, kInternalBase),
                                                  *BigNumFromInt(10000000, kInternalBase));
    BigPtr scale = BigNumFromInt(1000000000, kInternalBase);
    BigNumMulInternal(scale, *BigNumFromInt(100000000, kInternalBase));  // 10^17
    Rational r;
    r.den = BigNumProductInternal(*v.den, *scale);
    const BigPtr term = BigNumProductInternal(*v.num, *gammaNum);
    r.num = BigNumSum(*r.den, 1, *term, -sign, kInternalBase);
    RatTrim(r);
    x = std::move(r);
    return;
  }
  if (sign > 0) {
    x = FastGammaPlusOne(v, bits);
    return;
  }
  // Negative: next to a pole (the fraction below radix^-P, and x itself not
  // negligible) is refused, as Factorial refuses it.
  auto negligible = [](const BigNum& num, const BigNum& den) {
    const int64_t words = int64_t{num.span()} - den.span();
    return words * DigitsPerWord <= -int64_t{WorkingPrecision};
  };
  if (negligible(*rest, *v.den) && !negligible(*v.num, *v.den)) ThrowError(ErrInvalidInput);
  if (RatLess(v, RatFromInt(1))) {
    // -1 < x < 0: x! = (x + 1)! / (x + 1), x + 1 = (b - a) / b.
    Rational up;
    up.num = BigNumSum(*v.den, 1, *v.num, -1, kInternalBase);
    up.den = CopyBigNum(*v.den);
    Rational r = FastGammaPlusOne(up, bits);
    RatDiv(r, up);
    x = std::move(r);
    return;
  }
  // x < -1: x! = pi x / (sin(pi x) (-x)!), sin(pi x) as the sine of 180 x
  // degrees, reduced exactly.
  Rational sine = RatNegated(v);
  BigNumMulInternal(sine.num, *BigNumFromInt(180, kInternalBase));
  FastSine(sine, Degrees);
  Rational r = PiToWords((bits + 40) / kWordBits + 2);
  RatMul(r, RatNegated(v));
  RatDiv(r, sine);
  RatDiv(r, FastGammaPlusOne(v, bits));
  x = std::move(r);
}
