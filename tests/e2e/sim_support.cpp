#include "sim_support.h"

#include <png.h>

#include <cstdio>
#include <cstring>

bool read_png_channels(const std::string& path, bool alpha, PngChannels& out)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        return false;
    }
    image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    out.bytes.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, out.bytes.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    out.width = static_cast<int32_t>(image.width);
    out.height = static_cast<int32_t>(image.height);
    return true;
}

bool read_png(const std::string& path, Picture& out)
{
    PngChannels png;
    if (!read_png_channels(path, false, png)) {
        return false;
    }
    const std::vector<uint8_t>& rgb = png.bytes;
    out.width = png.width;
    out.height = png.height;
    out.pixels.resize(static_cast<size_t>(out.width) * out.height);
    for (size_t i = 0; i < out.pixels.size(); ++i) {
        out.pixels[i] = (uint32_t{rgb[3 * i]} << 16) | (uint32_t{rgb[3 * i + 1]} << 8) | rgb[3 * i + 2];
    }
    return true;
}

std::string fnv1a(const std::string& bytes)
{
    uint64_t hash = 0xcbf29ce484222325ull;
    for (unsigned char c : bytes) hash = (hash ^ c) * 0x100000001b3ull;
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::string frame_hash(const std::vector<uint32_t>& pixels)
{
    std::string bytes;
    for (uint32_t p : pixels) {
        for (int b = 0; b < 4; ++b) bytes += static_cast<char>(p >> (8 * b));
    }
    return fnv1a(bytes);
}
