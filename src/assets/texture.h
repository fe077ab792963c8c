// Raw pictures (.tex): no header, 4 bytes per pixel, rows top to bottom.
#pragma once

#include <cstddef>
#include <cstdint>

// 256 x 256 pixels 0x00RRGGBB; pixel (column c, row r) is pixels[r * 256 + c].
struct Texture {
    uint32_t pixels[256 * 256];
};

// Reads a 256 x 256 texture whose records are red, green, blue, unused.
// Null when the file cannot be opened or read. A short file is not an error: the
// pixels after its end repeat the last record read (0 when none was read).
Texture* load_texture(const char* file_name);
void release_texture(Texture* texture);

// Byte order of the other pictures of the family.
enum class PictureOrder {
    texture,    // records red, green, blue, unused -> 0x00RRGGBB (explosion frames)
    unchanged,  // records are little-endian 32-bit pixels, read as they are (menu, aiming mark)
};

// Reads count pixels of a raw picture into out. Returns false only when the
// file cannot be opened or read (a folder); a short file fills the rest as
// load_texture does.
bool load_picture(const char* file_name, uint32_t* out, size_t count, PictureOrder order);
