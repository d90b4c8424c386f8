#include "engine/statistics.h"

#include "engine/window.h"

bool StatisticsBoxIsOpen() { return StatBoxExists(); }

void OpenStatisticsBox() { SoundBeep(); }

void CloseStatisticsBox() {
  if (StatBoxExists()) StatBoxDestroy();
  for (CommandId id = CmdAverage; id <= CmdData; ++id) {
    EnableControl(static_cast<int32_t>(id), false);
  }
}

void StatisticsCommand(CommandId) { SoundBeep(); }
