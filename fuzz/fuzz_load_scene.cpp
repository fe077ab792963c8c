// libFuzzer target: load_scene on arbitrary bytes. Every input must end in
// null or a consistent scene (checked like the tests check corpus files);
// the sanitizers catch bad reads, writes and leaks.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../tests/support/scene_checks.h"
#include "assets/scene.h"

namespace {

std::string input_path;

void remove_input()
{
    std::remove(input_path.c_str());
    rmdir(input_path.substr(0, input_path.rfind('/')).c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // load_scene reads a named file: each input is written to one private
    // file, in memory (/dev/shm) where there is such a place: rewriting a
    // file on a disk file system costs more than loading it.
    for (const char* base : {"/dev/shm", "/tmp"}) {
        std::string pattern = std::string(base) + "/valkron-fuzz-XXXXXX";
        if (mkdtemp(pattern.data())) {
            input_path = pattern + "/input.3ds";
            break;
        }
    }
    if (input_path.empty()) {
        std::perror("mkdtemp");
        std::abort();
    }
    std::atexit(remove_input);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* f = std::fopen(input_path.c_str(), "wb");
    if (!f) {
        std::abort();
    }
    if (size > 0 && std::fwrite(data, 1, size, f) != size) {
        std::abort();
    }
    std::fclose(f);

    Scene* scene = load_scene(input_path.c_str());
    if (scene) {
        const std::string fault = scene_fault(*scene);
        if (!fault.empty()) {
            std::fprintf(stderr, "inconsistent scene: %s\n", fault.c_str());
            std::abort();
        }
    }
    release_scene(scene);
    return 0;
}
