// Arithmetic error codes and the exception that carries them.
//
// Every failure of the arithmetic is thrown as an ArithError holding one
// 32-bit code. Codes with the top bit set (0x80000000 + k) are the error
// codes proper; the engine turns the low bits into a message index. The bare
// indices ErrIndexNoData and ErrIndexAborted never travel in an exception:
// the engine uses them directly to pick a message.
#pragma once

#include <cstdint>

using ErrorCode = uint32_t;

constexpr ErrorCode ErrInvalidInput = 0x80000001u;
constexpr ErrorCode ErrUndefined = 0x80000002u;
constexpr ErrorCode ErrDivideByZeroPositive = 0x80000003u;
constexpr ErrorCode ErrDivideByZeroNegative = 0x80000004u;
constexpr ErrorCode ErrOutOfMemory = 0x80000007u;

constexpr uint32_t ErrIndexNoData = 0;
constexpr uint32_t ErrIndexAborted = 5;

struct ArithError {
  ErrorCode code;
};

// Throws ArithError{code}. Kept out of line so the throwing paths stay cold.
[[noreturn]] void ThrowError(ErrorCode code);
