#include "engine/layout.h"

#include "arith/rational.h"
#include "engine/dispatch.h"
#include "engine/radix.h"
#include "engine/state.h"
#include "engine/statistics.h"
#include "engine/window.h"

void ResetLayoutState() {
  ResetEngineState();
  engineState.entryMode = false;
}

void ApplyLayoutToEngine(int32_t radix) {
  EngineState& s = engineState;
  ResetLayoutState();
  if (s.layout == kLayoutScientific) {
    const bool open = StatisticsBoxIsOpen();
    for (CommandId id = CmdAverage; id <= CmdData; ++id) {
      EnableControl(static_cast<int32_t>(id), open);
    }
  }
  // A new window shows nothing yet: render whatever the cache says.
  s.keyedRadix = -1;
  s.displayCache = DisplayCache{};
  SetRadix(radix);
  SetControlText(IdMemoryIndicator, RatIsZero(s.memoryValue) ? "" : " M");
}

bool SwitchLayoutState(CommandId id) {
  const int32_t target = id == CmdScientific ? kLayoutScientific : kLayoutStandard;
  if (engineState.layout == target) return false;
  if (StatisticsBoxIsOpen() && engineState.layout == kLayoutScientific) {
    CloseStatisticsBox();
  }
  engineState.layout = target;
  return true;
}

CommandId TranslateKey(CommandId id) {
  return id == CmdMod && IsStandardLayout() ? CmdPercent : id;
}
