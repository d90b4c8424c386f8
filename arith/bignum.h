// Arbitrary-precision signed numbers: BigNum.
//
// A BigNum is one heap block: a small header followed by `count` digit
// words, least significant first. Its value is
//     sign * sum(digits[i] * base^(exp + i)),  i = 0 .. count-1.
// The base is not stored. Values use kInternalBase = 2^31 (each word holds 31
// bits); the text conversions use BigNum whose base is the current radix
// (2 to 16), one printed digit per word.
//
// Invariants kept by every arithmetic operation:
//  - sign is +1 or -1; a zero may carry -1, so zero tests look at digits only;
//  - leading (top) zero digits are removed, keeping at least one digit;
//    trailing (bottom) zero digits may stay; only BigNumTrimWindow removes
//    them, and it may leave count 0 for a number that was all zeros;
//  - span = exp + count is the position just above the top digit;
//  - a block never grows: an operation that changes a number builds the result
//    in a new block and swaps it into the holder as its last step, so on any
//    exception the holder still has its old value.
//
// Ownership: each block has exactly one holder, a BigPtr. Operations that
// replace their first operand take the holder by reference; the second
// operand is read only and may be the same object as the first.
#pragma once

#include <cstdint>
#include <memory>

constexpr uint32_t kInternalBase = 0x80000000u;  // B = 2^31
constexpr uint32_t kWordMask = 0x7FFFFFFFu;
constexpr int kWordBits = 31;

struct BigNum {
  int32_t sign;   // +1 or -1
  int32_t count;  // digits in use
  int32_t exp;    // power of the base of the lowest digit
  int32_t room;   // digit words the block holds (count <= room)

  uint32_t* digits() { return reinterpret_cast<uint32_t*>(this + 1); }
  const uint32_t* digits() const {
    return reinterpret_cast<const uint32_t*>(this + 1);
  }
  int32_t span() const { return exp + count; }
};

struct BigNumDeleter {
  void operator()(BigNum* block) const noexcept;
};
using BigPtr = std::unique_ptr<BigNum, BigNumDeleter>;

// A zero-filled block with room for n + 1 digits; all header fields 0 except
// `room`. Throws ErrOutOfMemory (also for a negative or absurd n).
BigPtr AllocBigNum(int32_t n);

// Releases a block; accepts null.
void FreeBigNum(BigNum* block) noexcept;

// A new block with room for source.count digits holding the same number.
BigPtr CopyBigNum(const BigNum& source);

// v in the given base, exp 0, at least one digit. -2^31 gives 2^31.
BigPtr BigNumFromInt(int32_t v, uint32_t base);

// The integer part (fraction digits ignored), wrapping modulo 2^32.
int32_t BigNumToInt(const BigNum& x, uint32_t base);

// True when every digit is 0 (also when count is 0).
bool BigNumIsZero(const BigNum& x);

// The same number in the same form: sign, exponent and every digit alike.
// Linear, with no arithmetic: what a cache of a value needs.
bool BigNumIdentical(const BigNum& a, const BigNum& b);

// Magnitude comparisons; signs are ignored. They assume the top digit of a
// non-zero operand is non-zero.
bool BigNumEqualMagnitude(const BigNum& a, const BigNum& b);
bool BigNumLessMagnitude(const BigNum& a, const BigNum& b);

// a <- a + b in `base` (2 .. 2^31). A sum of opposite signs that is zero has
// sign +1.
void BigNumAdd(BigPtr& a, const BigNum& b, uint32_t base);

// x + y as a new number, x and y taken with the signs given instead of their
// own (the operands are left alone). Same rules as BigNumAdd.
BigPtr BigNumSum(const BigNum& x, int32_t xSign, const BigNum& y, int32_t ySign,
                 uint32_t base);

// a <- a * b in `base`, exact.
void BigNumMul(BigPtr& a, const BigNum& b, uint32_t base);
void BigNumMulInternal(BigPtr& a, const BigNum& b);

// x * y in base 2^31 as a new number (the operands are left alone).
BigPtr BigNumProductInternal(const BigNum& x, const BigNum& y);

// a <- a^n by square and multiply; the running square is cut to P + R digits
// (truncated) whenever it exceeds P + R + 1, the result never is. n <= 0
// gives 1.
void BigNumPow(BigPtr& a, int32_t n, uint32_t base);

// a <- a^n in base 2^31, exact. n <= 0 gives 1.
void BigNumPowInternal(BigPtr& a, int32_t n);

// a <- a / b truncated to at most max(P + 2, a.count, b.count) digits in
// `base` (a radix of the text conversions). b must not be zero.
void BigNumDiv(BigPtr& a, const BigNum& b, uint32_t base);

// a <- a / b in base 2^31, truncated to at most max(P + R, a.count, b.count)
// words. b must not be zero.
void BigNumDivInternal(BigPtr& a, const BigNum& b);

// floor(|a / b| B^-low) B^low in base B = 2^31: the quotient's digits at
// positions low and up, exactly, computed from those digits alone (a long
// divisor costs its length per quotient digit, not per digit of
// max(P + R, a.count, b.count)). Positive, exp >= low, 0 as a one-digit 0.
// b must not be zero.
BigPtr BigNumQuotientFrom(const BigNum& a, const BigNum& b, int64_t low);

// a <- a mod b in base 2^31 with the sign of a (truncating division). b must
// not be zero. Stops early, with a meaningless value, when AbortFlag is set.
void BigNumRem(BigPtr& a, const BigNum& b);

// Looks at the top n digits (all of them when count <= n). If the lowest digit
// of that window is 0, every digit below the window and every zero digit at
// the bottom of the window is removed (exp grows accordingly) and the result
// is true; otherwise nothing changes and the result is false.
bool BigNumTrimWindow(BigNum& x, int32_t n);

// What breaks the invariants above in x as a number in `base`, or nullptr
// when it keeps them: a sign other than +1 or -1, a count outside 1 to room,
// a span beyond the range of int32_t, a digit not below the base, a zero top
// digit in a number of more than one digit.
const char* BigNumFault(const BigNum& x, uint32_t base = kInternalBase);

// Reports a broken invariant of the arithmetic (what, where) on standard
// error and aborts.
[[noreturn]] void ArithInvariantBroken(const char* what, const char* file, int line);

// The invariant checks after each arithmetic operation: compiled in the
// sanitizer and debug builds (QUIB_CHECK_INVARIANTS), nothing otherwise.
#ifdef QUIB_CHECK_INVARIANTS
#define QUIB_ASSERT_SOUND_BIG(x, base)                                      \
  do {                                                                      \
    if (const char* quib_fault = BigNumFault((x), (base))) {                \
      ArithInvariantBroken(quib_fault, __FILE__, __LINE__);                 \
    }                                                                       \
  } while (0)
#else
#define QUIB_ASSERT_SOUND_BIG(x, base) ((void)0)
#endif
