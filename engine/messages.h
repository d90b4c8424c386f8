// The engine's texts: the captions of the angle-unit and word-size buttons
// (strings 60 to 65) and the error messages (strings 66 to 73).
//
// This table is the one source of these texts; the Win32 string table is
// generated from it or checked against it. Error index k (the low 30 bits of
// an error code, or a bare index) has string 66 + k.
#pragma once

#include <cstdint>

constexpr int32_t kFirstEngineString = 60;
constexpr int32_t kLastEngineString = 73;
constexpr int32_t kFirstErrorString = 66;
constexpr int32_t kErrorMessageCount = 8;

// The text of string `id` (60 to 73), or nullptr for any other id.
const char* EngineString(int32_t id);

// Texts of failures that no string of the resources holds: the command
// wrapper's message box for a failure nothing else handles, and the start-up
// message when the resources lack their own.
constexpr const char* kUnknownErrorText = "An unknown error has occured.";
constexpr const char* kUnknownErrorCaption = "Error";
constexpr const char* kStartupNoMemoryFallback = "<Main> Not enough memory.";

// The message of an error index; an index the table does not know (a code
// that no operation raises) gets the general message of index 6.
const char* ErrorMessage(uint32_t index);
