// Game file names on Windows: the names the game writes ("Data\Fire.3ds",
// "models\intro.3ds", "Settings.ini") are native file names there, with
// backslashes and any letter case, relative to the working directory.
#include <cstdio>
#include <string>

#include "assets/files.h"

std::string resolve_game_path(const char* name)
{
    return name;
}

FILE* open_game_file(const char* name, const char* mode)
{
    return std::fopen(name, mode);
}
