// The game: runs in the working directory, where its data files and
// settings.ini lie. No options, no environment.
#include "shell/startup.h"

int main()
{
    return WinMain(nullptr, nullptr, "", 1);
}
