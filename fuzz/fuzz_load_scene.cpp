// libFuzzer target: load_scene on arbitrary bytes. Every input must end in
// null or a consistent scene (checked like the tests check corpus files);
// the sanitizers catch bad reads, writes and leaks.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../tests/support/scene_checks.h"
#include "assets/scene.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Scene* scene = load_scene(fuzz_file("input.3ds", data, size).c_str());
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
