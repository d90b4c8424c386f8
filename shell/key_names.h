// KeyNameTable: the string table of the program, loaded whole at start-up.
//
// One zero-filled block holds the strings with identifiers 0 to 79 back to
// back in identifier order, each terminated; a string the resources lack is
// stored as an empty string. Key captions are entries 0 to 59 (the caption
// of key k is entry k - 80), the captions of the buttons 146 to 148 are 60 to
// 65, the error texts 66 to 73, the help file name 74, the clipboard and
// memory messages 75 and 76, the application title 78 and the start-up
// out-of-memory text 79.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr int32_t kKeyNameCount = 80;
constexpr size_t kKeyNameBlockSize = 1024;

// Loads the strings of `module` into the table, replacing a previous one.
// Returns false when the block cannot be allocated or shrunk; the table is
// then empty.
bool LoadKeyNameTable(HMODULE module);

// Releases the table; KeyName then gives empty strings.
void FreeKeyNameTable();

// Entry `id` of the table; "" for an id outside 0 to 79 or before loading.
const char* KeyName(int32_t id);

// Writes `c` over the first character of entry `id` (the decimal point key's
// caption follows the separator). An empty entry is left alone: its only
// byte is the terminator.
void SetKeyNameFirstChar(int32_t id, char c);

// Bytes the loaded strings take, terminators included.
size_t KeyNameTableSize();
