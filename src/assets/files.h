// Game file names.
//
// The game names its files Windows-style: backslashes and any letter case
// ("Data\Expl1.tex", "models\intro.3ds" and "Models\Happy.3ds" for one
// folder, "settings.ini" read and "Settings.ini" written as one file).
// Every file the game opens goes through this resolver, which maps such a
// name onto the file system relative to the working directory, matching each
// path component without regard to letter case.
#pragma once

#include <cstdio>
#include <string>

// The path a name reaches. Each component that matches an existing entry in
// any letter case takes that entry's spelling (an exact match wins over
// others); components that match nothing keep the spelling given, so a file
// to be written is created as spelled.
std::string resolve_game_path(const char* name);

// fopen through the resolver. Same modes and result as fopen.
FILE* open_game_file(const char* name, const char* mode);
