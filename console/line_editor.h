// quibc at a terminal: a prompt, line editing and a history kept between
// sessions, through libedit.
//
// Used only when standard input and output are both terminals. The editor
// reads through ReadInputByte (console/interrupt.h), so a Ctrl-C while a line
// is being typed is seen at once: it discards a line that holds text, and
// on an empty line it ends the session, as Ctrl-D does.
//
// The history lives in $XDG_STATE_HOME/quibc/history, or
// ~/.local/state/quibc/history when XDG_STATE_HOME is unset or not an
// absolute path. It is read at start and written after every line that
// entered it, each time to a new file that then replaces the old one
// (rename), so an interruption or a full disk never leaves a cut-off
// history behind.
#pragma once

#include <cstddef>
#include <string>

// Lines longer than this are run but not kept in the history.
constexpr size_t kMaxHistoryLineBytes = 4096;
constexpr int kHistoryEntries = 1000;

// Whether this quibc was built with the line editor.
bool LineEditorAvailable();

// Starts the editor and loads the history; false when it cannot start (the
// caller then reads plain lines).
bool LineEditorOpen(const char* programName);

enum class EditorRead { Line, End };
// Reads one line (without its line feed) into `line`. A line that was
// discarded with Ctrl-C is not returned: the editor prompts again.
EditorRead LineEditorRead(std::string& line);

// Adds a line to the history and saves the history file.
void LineEditorRemember(const std::string& line);

// Ends the editor: the terminal is back as it was.
void LineEditorClose();

// The history file for this environment, or "" when there is none (no
// usable XDG_STATE_HOME and no HOME).
std::string HistoryFilePath();
