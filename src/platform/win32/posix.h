// The POSIX calls of the game's file code under the names the Windows C
// runtime gives them. The Windows build includes this ahead of every
// source of the game.
#pragma once

#include <direct.h>
#include <io.h>

// Writes the file's buffers to the disk (_commit).
int fsync(int fd);
// Creates a folder; Windows has no access bits to give it.
inline int mkdir(const char* path, int /*mode*/)
{
    return _mkdir(path);
}
