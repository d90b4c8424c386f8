#include "shell/menu_commands.h"

#include "engine/window.h"

// Copy, Paste, About, the layout switch and Help Topics reach the program
// here through the dispatcher. They have no effect in this version of the
// program; the menu items and accelerators exist so that the commands are
// already routed.
void MenuCommand(CommandId) {}

void ShowHelpTopics(HWND) {}
