// Small helpers for building and reading BigNum in tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "arith/bignum.h"

// A number from its digits (least significant first), exponent and sign.
inline BigPtr MakeBig(std::initializer_list<uint32_t> digits, int32_t exp = 0,
                      int32_t sign = 1) {
  BigPtr x = AllocBigNum(static_cast<int32_t>(digits.size()));
  int32_t i = 0;
  for (uint32_t d : digits) x->digits()[i++] = d;
  x->count = static_cast<int32_t>(digits.size());
  x->exp = exp;
  x->sign = sign;
  return x;
}

inline BigPtr MakeBig(const std::vector<uint32_t>& digits, int32_t exp = 0,
                      int32_t sign = 1) {
  BigPtr x = AllocBigNum(static_cast<int32_t>(digits.size()));
  for (size_t i = 0; i < digits.size(); ++i) x->digits()[i] = digits[i];
  x->count = static_cast<int32_t>(digits.size());
  x->exp = exp;
  x->sign = sign;
  return x;
}

inline std::vector<uint32_t> DigitsOf(const BigNum& x) {
  return std::vector<uint32_t>(x.digits(), x.digits() + x.count);
}
