// The fuzz targets whose readers take a named file: each input is written
// to one private file, in memory (/dev/shm) where there is such a place.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// A private folder, removed at exit; also the working directory when asked.
inline const std::string& fuzz_folder(bool enter = false)
{
    static std::string folder;
    if (folder.empty()) {
        for (const char* base : {"/dev/shm", "/tmp"}) {
            std::string pattern = std::string(base) + "/valkron-fuzz-XXXXXX";
            if (mkdtemp(pattern.data())) {
                folder = pattern;
                break;
            }
        }
        if (folder.empty()) std::abort();
        std::atexit([] { std::system(("rm -rf '" + folder + "'").c_str()); });
    }
    if (enter && chdir(folder.c_str()) != 0) std::abort();
    return folder;
}

// Writes the bytes to name in the private folder; its path.
inline std::string fuzz_file(const char* name, const uint8_t* data, size_t size)
{
    const std::string path = fuzz_folder() + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || (size > 0 && std::fwrite(data, 1, size, f) != size)) std::abort();
    std::fclose(f);
    return path;
}
