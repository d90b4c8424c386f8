#include "engine/display.h"

#include <string>

#include "arith/constants.h"
#include "arith/error.h"
#include "arith/integer.h"
#include "arith/settings.h"
#include "engine/messages.h"
#include "engine/radix.h"
#include "engine/state.h"
#include "engine/window.h"
#include "numtext/entry.h"
#include "numtext/settings.h"
#include "numtext/to_text.h"

DisplayCache displayCache;

namespace {

bool CacheMatches() {
  const EngineState& s = engineState;
  const DisplayCache& c = displayCache;
  return !s.entryMode && c.value && RatEqual(*c.value, s.currentValue) &&
         c.precision == settings.precision && c.radix == settings.radix &&
         c.exponentialDisplay == static_cast<int32_t>(s.exponentialDisplay) &&
         c.layout == Layout && c.wordSizeIndex == s.wordSizeIndex &&
         c.nonDecimal == static_cast<int32_t>(settings.radix != 10) &&
         c.entryMode == static_cast<int32_t>(s.entryMode);
}

void StoreCache() {
  const EngineState& s = engineState;
  DisplayCache& c = displayCache;
  c.value = CopyRational(s.currentValue);
  c.precision = settings.precision;
  c.radix = settings.radix;
  c.exponentialDisplay = s.exponentialDisplay;
  c.layout = Layout;
  c.wordSizeIndex = s.wordSizeIndex;
  c.nonDecimal = settings.radix != 10;
  c.entryMode = s.entryMode;
}

// Reduces the current value to the unsigned integer of the word size that
// radix 2, 8 and 16 show: integer part toward zero, then the two's
// complement of a negative value, then the low bits of the word.
void ReduceToWord(Rational& value) {
  const Rational& mask = wordMask[engineState.wordSizeIndex + 1];
  RatInt(value);
  if (RatSign(value) < 0) {
    NegateRational(value);
    RatSub(value, RatOne);
    RatXor(value, mask);
  }
  RatAnd(value, mask);
}

// The rendered text, or nothing when the conversion ran out of memory.
std::optional<std::string> RenderValue(Rational& value, int32_t radix,
                                       int32_t mode) {
  try {
    return RationalToText(value, radix, mode);
  } catch (const ArithError& e) {
    if (e.code != ErrOutOfMemory) throw;
    return std::nullopt;
  }
}

}  // namespace

void RefreshDisplay() {
  WaitCursor wait;
  EngineState& s = engineState;
  if (CacheMatches()) return;
  StoreCache();

  const int32_t radix = settings.radix;
  if (s.entryMode) {
    FormatEntry(s.entry, radix, s.displayText);
  } else if (radix == 10) {
    if (auto text = RenderValue(s.currentValue, 10,
                                  s.exponentialDisplay ? kDisplayScientific : kDisplayAuto)) {
      s.displayText = std::move(*text);
    }
  } else {
    ReduceToWord(s.currentValue);
    if (auto text = RenderValue(s.currentValue, radix, kDisplayAuto)) {
      if (!text->empty() && text->back() == DecimalSeparatorChar()) {
        text->pop_back();
      }
      s.displayText = std::move(*text);
    }
  }
  SetControlText(IdDisplay, s.displayText);
}

void ShowError(uint32_t codeOrIndex) {
  const uint32_t index = codeOrIndex & 0x3FFFFFFFu;
  SetControlText(IdDisplay, ErrorMessage(index));
  engineState.errorLocked = true;
  if (!IsStandardLayout()) EnableModeKeys(false);
}

void EnableModeKeys(bool enable) {
  FocusLayoutWindow();
  for (CommandId id = CmdBin; id <= CmdGradByte; ++id) {
    EnableControl(static_cast<int32_t>(id), enable);
  }
}
