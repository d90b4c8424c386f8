#include "engine/state.h"

#include "engine/window.h"

EngineState engineState;

Rational CopyOrZero(const std::optional<Rational>& value) {
  return value ? CopyRational(*value) : RatFromInt(0);
}

WaitCursor::WaitCursor() { SetWaitCursor(true); }
WaitCursor::~WaitCursor() { SetWaitCursor(false); }
