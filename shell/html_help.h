// The HTML help viewer: the help control "hhctrl.ocx", loaded on first use
// and kept for the life of the process.
//
// The control is found through the registry (the in-process server of its
// class) and, failing that, by name through the platform's search. Once
// loading it, or finding its entry point, has failed, help does nothing
// for the rest of the run; help failures are never reported.
#pragma once

#include <windows.h>

#include <string>

// Capacity of the path LocateHtmlHelp fills, terminator included.
constexpr DWORD kHelpModulePathSize = 260;

// The help file of F1 and Help Topics.
constexpr const char* kHtmlHelpFile = "quib.chm";

// Calls the help control's ANSI entry point (ordinal 14) with these
// arguments and returns its result: the help window, or nullptr when the
// control is missing or the call fails.
HWND ShowHtmlHelp(HWND owner, const char* file, UINT command, DWORD_PTR data);

// The path of the help control registered for its class, read into `path`
// (always terminated). False when the key or its value cannot be read or is
// not a string.
bool LocateHtmlHelp(char (&path)[kHelpModulePathSize]);

// Where the help file is looked for: kHtmlHelpFile in the program's own
// folder, so that help works whatever the current directory; the bare name
// when the program's path cannot be had.
std::string HtmlHelpPath();

// F1 and Help Topics: the default topic of the help file.
void ShowHelpTopics(HWND owner);
