// quib.exe: the program entry. The show state passed at start-up is not
// used; the layout window shows itself.
#include <windows.h>

#include "shell/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return RunProgram(instance);
}
