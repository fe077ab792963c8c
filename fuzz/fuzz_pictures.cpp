// libFuzzer target: the .tex loader and the raw picture loader, in both
// byte orders and at several sizes, on arbitrary bytes as the file.
#include "assets/texture.h"
#include "fuzz_input.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzz_file("input.tex", data, size);
    release_texture(load_texture(path.c_str()));
    for (size_t count : {size_t(1), size_t(7416)}) {
        std::vector<uint32_t> pixels(count);
        load_picture(path.c_str(), pixels.data(), count, PictureOrder::texture);
        load_picture(path.c_str(), pixels.data(), count, PictureOrder::unchanged);
    }
    return 0;
}
