// Game file names on Windows: the names the game writes ("Data\Fire.3ds",
// "models\intro.3ds", "Settings.ini") are native file names there, with
// backslashes and any letter case, relative to the working directory.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "assets/files.h"
#include "platform/win32/win32_internal.h"

std::string resolve_game_path(const char* name)
{
    return name;
}

FILE* open_game_file(const char* name, const char* mode)
{
    return std::fopen(name, mode);
}

bool game_file_exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

FILE* open_regular_file(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return nullptr;
    }
    return std::fopen(path.c_str(), "r");  // text mode: CR LF reads as one line end
}

void make_folders(const std::string& folder)
{
    size_t end = 0;
    do {
        end = folder.find_first_of("/\\", end + 1);
        CreateDirectoryA(folder.substr(0, end).c_str(), nullptr);
    } while (end != std::string::npos);
}

// The new text goes to a file beside the old one, as a Windows text file
// (CR LF line ends), reaches the disk, then takes the old one's place in
// one step.
bool save_whole_file(const std::string& path, const std::string& lines)
{
    std::string text;
    for (const char c : lines) {
        if (c == '\n') {
            text += '\r';
        }
        text += c;
    }
    const std::string temporary = path + ".tmp";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
              written == text.size() && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    ok = ok && MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) {
        DeleteFileA(temporary.c_str());
        errno = EACCES;
    }
    return ok;
}

std::vector<std::string> folder_entries(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}
