// Game file names.
//
// The game names its files Windows-style: backslashes and any letter case
// ("Data\Expl1.tex", "models\intro.3ds" and "Models\Happy.3ds" for one
// folder, "settings.ini" read and "Settings.ini" written as one file).
// Every file the game opens goes through this resolver, which maps such a
// name onto the file system relative to the working directory, matching each
// path component without regard to letter case.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

// The path a name reaches. Each component that matches an existing entry in
// any letter case takes that entry's spelling (an exact match wins over
// others); components that match nothing keep the spelling given, so a file
// to be written is created as spelled.
std::string resolve_game_path(const char* name);

// fopen through the resolver. Same modes and result as fopen.
FILE* open_game_file(const char* name, const char* mode);

// The game's own files on the system (the settings file and, under
// replays/, the recorded games).

// True when something of that name exists (a link counts, even one that
// leads nowhere).
bool game_file_exists(const std::string& path);

// The file for reading as text, only when it is a regular file (through
// links); a FIFO, a device or a folder gives null at once: opening never
// waits.
FILE* open_regular_file(const std::string& path);

// Creates the folder and those above it that are missing, only the user's
// to enter. Folders that exist stay as they are.
void make_folders(const std::string& folder);

// Writes the whole text as the file's new content, safely: the text goes to
// a new file beside it, with the old file's mode, which then replaces it in
// one step (through a link, the file it leads to), so a crash, a kill or a
// full disk never leaves a damaged file. When the folder takes no new file
// but the file itself is writable, the file is rewritten where it is.
// False with errno set when nothing could be written.
bool save_whole_file(const std::string& path, const std::string& text);

// The names of the folder's entries (not "." and ".."), in no set order;
// none when it cannot be read.
std::vector<std::string> folder_entries(const std::string& folder);
