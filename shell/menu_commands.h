// The menu commands 300 to 305 and the help viewer.
#pragma once

#include <windows.h>

// Opens the help contents for F1 and the Help Topics item.
void ShowHelpTopics(HWND owner);
