#include "shell/shell_state.h"

HINSTANCE AppInstance = nullptr;
HWND LayoutWindow = nullptr;
HWND ClipboardEdit = nullptr;
HWND StatBoxWindow = nullptr;
HACCEL Accelerators = nullptr;
