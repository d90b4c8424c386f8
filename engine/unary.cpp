#include "engine/unary.h"

#include "engine/window.h"

void HandleUnaryFunction(CommandId) { SoundBeep(); }
