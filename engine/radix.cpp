#include "engine/radix.h"

#include "arith/constants.h"
#include "arith/settings.h"
#include "engine/display.h"
#include "engine/messages.h"
#include "engine/state.h"
#include "engine/window.h"
#include "numtext/settings.h"

namespace {

constexpr int32_t kWordBitsByIndex[3] = {32, 16, 8};
constexpr int32_t kWordSizeLabels = 60;   // strings 60 to 62
constexpr int32_t kAngleUnitLabels = 63;  // strings 63 to 65

constexpr int32_t kBin = CmdBin;
constexpr int32_t kDec = CmdDec;
constexpr int32_t kHex = CmdHex;

int32_t RadixButton(int32_t x) {
  switch (x) {
    case 2:
      return kBin;
    case 8:
      return CmdOct;
    case 10:
      return kDec;
    case 16:
      return kHex;
    default:
      return x;
  }
}

}  // namespace

void ApplyPrecision() {
  UpdateMaxEntryDigits();
  SetRadixAndPrecision(settings.radix, settings.maxEntryDigits + 1);
}

void SetRadix(int32_t x) {
  EngineState& s = engineState;
  const int32_t button = RadixButton(x);
  const bool isButton = button >= kBin && button <= kHex;

  int32_t firstLabel = kWordSizeLabels;
  int32_t selected = CmdDegDword + s.wordSizeIndex;
  if (button == kDec) {
    firstLabel = kAngleUnitLabels;
    selected = CmdDegDword + s.angleUnit;
  }

  if (isButton) {
    CheckRadioInRange(kBin, kHex, button);
    settings.radix = kRadixValues[button - kBin];
  } else {
    CheckRadioInRange(kBin, kHex, 0);
    settings.radix = x < 2 ? 2 : (x > 16 ? 16 : x);
  }

  CheckRadioInRange(CmdDegDword, CmdGradByte, selected);
  for (int32_t i = 0; i < 3; ++i) {
    SetControlText(CmdDegDword + i, EngineString(firstLabel + i));
  }

  ApplyPrecision();
  UpdateRadixKeys();
  RefreshDisplay();
}

const Rational& CurrentWordMask() {
  const EngineState& s = engineState;
  return s.wordMask[static_cast<size_t>(s.wordSizeIndex) + 1];
}

void SelectWordSizeOfSettings() {
  switch (settings.wordBits) {
    case 16:
      engineState.wordSizeIndex = 1;
      break;
    case 8:
      engineState.wordSizeIndex = 2;
      break;
    default:
      engineState.wordSizeIndex = 0;
      break;
  }
}

void UpdateRadixKeys() {
  const int32_t radix = settings.radix;
  if (engineState.keyedRadix == radix) return;
  if (engineState.keyedRadix == 10 || radix == 10) {
    for (CommandId key : kDecimalOnlyKeys) {
      EnableControl(static_cast<int32_t>(key), radix == 10);
    }
  }
  for (int32_t v = 2; v < 16; ++v) {
    EnableControl(static_cast<int32_t>(CmdDigit0) + v, v < radix);
  }
  engineState.keyedRadix = radix;
}

void SelectUnitOrWordSize(CommandId id) {
  EngineState& s = engineState;
  const int32_t index = static_cast<int32_t>(id - CmdDegDword);
  if (settings.radix == 10) {
    s.angleUnit = static_cast<AngleUnit>(index);
  } else {
    s.wordSizeIndex = index;
    settings.wordBits = kWordBitsByIndex[index];
    ApplyPrecision();
  }
  CheckRadioInRange(CmdDegDword, CmdGradByte, static_cast<int32_t>(id));
  RefreshDisplay();
}
