#include "platform/win32/posix.h"

#include "platform/win32/win32_internal.h"

int fsync(int fd)
{
    return _commit(fd);
}

// The game replaces its settings file by renaming a new one over it, as
// POSIX rename does; the C runtime's rename refuses an existing target.
// The link sends the game's rename calls here.
extern "C" int __wrap_rename(const char* from, const char* to)
{
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 0 : -1;
}
