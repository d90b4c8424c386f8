// The statistics box: a list of stored numbers with mean, sum and standard
// deviation (keys 118 to 121), opened by CmdStatistics.
#pragma once

#include "engine/commands.h"

// Whether the box is open; the statistics keys work only then.
bool StatisticsBoxIsOpen();

// Opens the box (CmdStatistics when it is not open). Not available yet: it
// beeps.
void OpenStatisticsBox();

// Closes the box and releases its numbers; also disables the keys 118 to 121.
void CloseStatisticsBox();

// Dat, Ave, Sum, s (118 to 121), called only while the box is open.
void StatisticsCommand(CommandId id);
