// Stopping a line of quibc: Ctrl-C and the --timeout limit.
//
// Both stop the running line the way the window's watchdog stops a command:
// they raise AbortFlag, which the long loops of the arithmetic poll, and the
// engine then shows "Calculation stopped" with the keypad locked. The
// SIGINT handler does nothing but store two lock-free atomic flags.
//
// quibc alternates between reading a line and computing it. While it
// computes, Ctrl-C is delivered at once. While it reads, SIGINT (and the
// terminal's SIGWINCH) are blocked except inside WaitForInput, which
// unblocks them atomically for the wait (pselect), so a Ctrl-C pressed at
// any moment of the reading is seen: either as pending before the wait or
// as the interruption of the wait.
//
// Ctrl-C presses closer than kInterruptGraceMs to one already handled count
// as that one: a user who hammers Ctrl-C at a long key has the key stopped,
// and the presses that arrive after it do not also end the session at the
// prompt.
#pragma once

#include <cstdint>

constexpr int64_t kInterruptGraceMs = 500;

// Installs the SIGINT handler (and, on POSIX, the terminal resize handler)
// and enters the reading phase.
void InstallInterruptHandler();

// Reading phase (SIGINT held back outside WaitForInput) or computing phase
// (SIGINT delivered at once).
void SetComputingPhase(bool computing);

// Whether Ctrl-C was pressed since the last call; clears the note.
bool TakeInterrupt();

// After a handled Ctrl-C: starts (or extends) the time during which further
// presses are absorbed.
void StartInterruptGrace();
// True, and the grace extended, when a Ctrl-C falls within the grace time.
bool AbsorbInterrupt();

// Whether the terminal changed size since the last call; clears the note.
bool TakeResize();

enum class InputWait { Ready, Interrupted, Resized, Failed };
// Waits until `fd` can be read without blocking, or a Ctrl-C (Interrupted)
// or a resize arrives. Call in the reading phase only.
InputWait WaitForInput(int fd);

enum class InputByte { Byte, End, Interrupted, Resized };
// The next byte of standard input, read through a buffer of its own and
// waiting as WaitForInput does. End at the end of the input or on a read
// error. Call in the reading phase only.
InputByte ReadInputByte(unsigned char& byte);

// --timeout: a line that runs longer than `ms` milliseconds is stopped as
// by Ctrl-C. LineTimerStart starts timing a line (nothing when ms <= 0),
// LineTimerStop ends it and says whether the limit was reached.
void LineTimerStart(int64_t ms);
bool LineTimerStop();
