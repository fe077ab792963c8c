#include "assets/texture.h"

#include <cstdio>
#include <cstdlib>

#include "assets/files.h"

namespace {

// Reads count 4-byte records into out. The record buffer survives a short
// read, so the pixels after the end of a short file repeat the last record
// (a partly read record keeps the bytes of the one before it).
bool read_records(FILE* file, uint32_t* out, size_t count, PictureOrder order)
{
    unsigned char record[4] = {0, 0, 0, 0};
    unsigned char block[4096];
    size_t have = 0, used = 0;
    bool ended = false;
    for (size_t i = 0; i < count; ++i) {
        for (int b = 0; b < 4 && !ended; ++b) {
            if (used == have) {
                have = std::fread(block, 1, sizeof block, file);
                used = 0;
                if (have == 0) {
                    if (std::ferror(file)) {
                        return false;
                    }
                    ended = true;
                    break;
                }
            }
            record[b] = block[used++];
        }
        if (order == PictureOrder::texture) {
            out[i] = (uint32_t{record[0]} << 16) | (uint32_t{record[1]} << 8) | record[2];
        } else {
            out[i] = uint32_t{record[0]} | (uint32_t{record[1]} << 8) | (uint32_t{record[2]} << 16) |
                     (uint32_t{record[3]} << 24);
        }
    }
    return true;
}

}  // namespace

Texture* load_texture(const char* file_name)
{
    auto* texture = static_cast<Texture*>(std::malloc(sizeof(Texture)));
    if (!texture) {
        return nullptr;
    }
    // Byte for byte: a text-mode read (Windows) would turn CR LF in the
    // pixels into one byte and stop at the first 0x1A.
    FILE* file = open_game_file(file_name, "rb");
    if (!file) {
        std::free(texture);
        return nullptr;
    }
    const bool read = read_records(file, texture->pixels, 256 * 256, PictureOrder::texture);
    std::fclose(file);
    if (!read) {
        std::free(texture);
        return nullptr;
    }
    return texture;
}

void release_texture(Texture* texture) { std::free(texture); }

bool load_picture(const char* file_name, uint32_t* out, size_t count, PictureOrder order)
{
    FILE* file = open_game_file(file_name, "rb");
    if (!file) {
        return false;
    }
    const bool read = read_records(file, out, count, order);
    std::fclose(file);
    return read;
}
