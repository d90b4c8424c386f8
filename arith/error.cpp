#include "arith/error.h"

void ThrowError(ErrorCode code) { throw ArithError{code}; }
