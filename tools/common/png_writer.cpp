#include "png_writer.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

namespace {

// libpng reports failures by longjmp; everything it touches is set up
// before the jump target so that nothing needs unwinding.
bool write_rows(FILE* file, const uint32_t* pixels, int32_t width, int32_t height,
                std::vector<png_byte>& row)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int32_t y = 0; y < height; ++y) {
        const uint32_t* line = pixels + static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t p = line[x];
            row[3 * static_cast<size_t>(x) + 0] = static_cast<png_byte>(p >> 16);
            row[3 * static_cast<size_t>(x) + 1] = static_cast<png_byte>(p >> 8);
            row[3 * static_cast<size_t>(x) + 2] = static_cast<png_byte>(p);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool write_png(const char* path, const uint32_t* pixels, int32_t width, int32_t height)
{
    if (!path || !pixels || width <= 0 || height <= 0) {
        return false;
    }
    std::vector<png_byte> row(3 * static_cast<size_t>(width));
    FILE* file = std::fopen(path, "wb");
    if (!file) {
        return false;
    }
    const bool written = write_rows(file, pixels, width, height, row);
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::remove(path);
        return false;
    }
    return true;
}
