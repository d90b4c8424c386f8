// The statistics box: a separate window holding a list of numbers, with the
// keys Dat (store the current value), Ave, Sum and s (mean, sum, standard
// deviation; with Inv the mean and sum of squares and the population
// deviation), opened by CmdStatistics.
//
// The engine owns the numbers: `engineState.statistics`, in the order they
// were added. The window shows, at the same positions, the display text each
// number had when it was added (through engine/window.h: StatList..., the
// count in control 408), so list positions are store positions and the list
// never sorts. The store exists while the box is open: it is empty when the
// box opens and released when it closes.
//
// Capacity goes in steps of 24 entries: a number added to a full store
// grows it by 24, a deletion that leaves a multiple of 24 (other than 0)
// with 24 spare entries shrinks it by 24. Unused entries hold no value.
#pragma once

#include <cstdint>
#include <memory>

#include "arith/rational.h"
#include "engine/commands.h"

constexpr uint32_t kStatisticsStep = 24;

// Releases a block of `capacity` entries (their values first).
struct StatisticsBlockDeleter {
  uint32_t capacity = 0;
  void operator()(Rational* items) const noexcept;
};
using StatisticsBlock = std::unique_ptr<Rational[], StatisticsBlockDeleter>;

struct StatisticsStore {
  StatisticsBlock items;  // capacity entries, the first `count` hold values
  uint32_t count = 0;

  uint32_t capacity() const { return items.get_deleter().capacity; }
};

// Whether the box is open; the statistics keys work only then.
bool StatisticsBoxIsOpen();

// CmdStatistics when the box is not open: creates the box with an empty
// store, shows it and enables the keys 118 to 121. When the window cannot
// be created it beeps and nothing changes.
void OpenStatisticsBox();

// The box's close request (also a switch to the standard layout and the
// closing of the layout window): destroys the box, releases the numbers and
// disables the keys 118 to 121 (also when no box was open).
void CloseStatisticsBox();

// Dat, Ave, Sum, s (121, 118, 119, 120), called by the dispatcher only while
// the box is open. Results replace `currentValue` only once complete, and a
// failed Dat stores nothing (no list item, no number). The mean of an empty
// store shows the message of index 0 and locks the keypad. Dat reports a
// store or list that cannot grow with the box's memory message itself;
// other failures are thrown to the dispatcher. s of equal numbers is 0 also
// when cutting long components to the working precision leaves the
// variance just below zero.
void StatisticsCommand(CommandId id);

// The box's buttons. Each reads the selection of the list
// (StatListSelection) and may throw ErrOutOfMemory (Load, while copying the
// number).
//
// Load (also a double click): the selected number becomes the current value;
// with nothing selected, a beep. Either way a number being typed is dropped,
// the display refreshed and the current command set to 32, so that the next
// key sees no operator before it. While the keypad is locked by an error it
// only beeps.
void StatisticsLoad();
// Delete: removes the selected number and selects the one now at its place
// (or the new last one); with nothing selected, a beep.
void StatisticsDelete();
// Clear all: empties the list and the store.
void StatisticsClearAll();
