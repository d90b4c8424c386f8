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

// The value compared in the form it is held: one held in another form (2/2
// for 1) is rendered again, to the same text. Comparing values would
// multiply the components crosswise, which for long values costs more than
// the rendering the cache saves, and after every key.
bool DisplayCacheMatches() {
  const EngineState& s = engineState;
  const DisplayCache& c = engineState.displayCache;
  return !s.entryMode && c.value && c.precision == settings.precision &&
         c.workingPrecision == WorkingPrecision && c.radix == settings.radix &&
         c.exponentialDisplay == static_cast<int32_t>(s.exponentialDisplay) &&
         c.layout == engineState.layout && c.wordSizeIndex == s.wordSizeIndex &&
         c.nonDecimal == static_cast<int32_t>(settings.radix != 10) &&
         c.entryMode == static_cast<int32_t>(s.entryMode) &&
         BigNumIdentical(*c.value->num, *s.currentValue.num) &&
         BigNumIdentical(*c.value->den, *s.currentValue.den);
}

namespace {

void StoreCache() {
  const EngineState& s = engineState;
  DisplayCache& c = engineState.displayCache;
  c.value = CopyRational(s.currentValue);
  c.precision = settings.precision;
  c.workingPrecision = WorkingPrecision;
  c.radix = settings.radix;
  c.exponentialDisplay = s.exponentialDisplay;
  c.layout = engineState.layout;
  c.wordSizeIndex = s.wordSizeIndex;
  c.nonDecimal = settings.radix != 10;
  c.entryMode = s.entryMode;
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

void ReduceToWord(Rational& value) {
  const Rational& mask = CurrentWordMask();
  RatInt(value);
  if (RatSign(value) < 0) {
    NegateRational(value);
    RatSub(value, RatOne);
    RatXor(value, mask);
  }
  RatAnd(value, mask);
}

namespace {

// Forgets the cached value, so that the next refresh renders it again: after
// a conversion the user stopped (the watchdog), whose text is meaningless and
// is not shown (the display keeps its previous text, which the watchdog's
// message follows), and after one that ran out of memory.
void ForgetCachedValue() { engineState.displayCache.value.reset(); }

}  // namespace

void RefreshDisplay() {
  WaitCursor wait;
  EngineState& s = engineState;
  // An error message stays until CE or C releases the lock, also when the
  // failure came from a refresh earlier in the same command.
  if (s.errorLocked) return;
  if (DisplayCacheMatches()) return;
  StoreCache();

  const int32_t radix = settings.radix;
  bool rendered = true;
  if (s.entryMode) {
    FormatEntry(s.entry, radix, s.displayText);
  } else if (radix == 10) {
    auto text = RenderValue(s.currentValue, 10,
                            s.exponentialDisplay ? kDisplayScientific : kDisplayAuto);
    if (AbortRequested()) return ForgetCachedValue();
    rendered = text.has_value();
    if (rendered) s.displayText = std::move(*text);
  } else {
    // Reduced on a copy: a reduction the user stops leaves no meaningless
    // current value behind.
    Rational word = CopyRational(s.currentValue);
    ReduceToWord(word);
    if (AbortRequested()) return ForgetCachedValue();
    s.currentValue = std::move(word);
    auto text = RenderValue(s.currentValue, radix, kDisplayAuto);
    if (AbortRequested()) return ForgetCachedValue();
    rendered = text.has_value();
    if (rendered) {
      if (!text->empty() && text->back() == DecimalSeparatorChar()) {
        text->pop_back();
      }
      s.displayText = std::move(*text);
    }
  }
  if (!rendered) {
    // The previous text would pass for the new value: say what happened
    // instead, and forget the cached value so that it is rendered again.
    ForgetCachedValue();
    ShowError(ErrOutOfMemory);
    return;
  }
  SetControlText(IdDisplay, s.displayText);
}

void RefreshDisplayAnew() {
  engineState.displayCache = DisplayCache{};
  RefreshDisplay();
}

void ShowError(uint32_t codeOrIndex) {
  const uint32_t index = codeOrIndex & 0x3FFFFFFFu;
  SetControlText(IdDisplay, ErrorMessage(index));
  engineState.errorLocked = true;
  if (!IsStandardLayout()) EnableModeKeys(false);
}

void EnableModeKeys(bool enable) {
  FocusLayoutWindow();
  for (const CommandInfo& c : kCommands) {
    if (IsModeKey(c.id)) EnableControl(static_cast<int32_t>(c.id), enable);
  }
}
