// The settings file: seven lines read by position.
#pragma once

#include <string>

// The folder the settings file lives in. Empty (the start value): the
// working directory, where the file is read as "settings.ini" and written
// as "Settings.ini" (one file, whatever the letter case). Otherwise a folder
// of its own, for an installed game (set by main before the game starts),
// with the file "settings.ini" in it; writing creates the folder when it is
// missing. Not part of the program state that start-up resets.
extern std::string settings_folder;

void read_settings();
void write_settings();
