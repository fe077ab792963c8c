// The program's entry on Windows. mingw-w64 gives any function named
// WinMain C linkage, so the game's own WinMain is the system's entry name
// already; the C runtime starts at main, which hands over to it. The game
// looks at none of the arguments, and the window takes the show command
// the program was started with (SW_SHOWDEFAULT).
#include "shell/startup.h"

int main()
{
    return WinMain(nullptr, nullptr, "", 10 /* SW_SHOWDEFAULT */);
}
