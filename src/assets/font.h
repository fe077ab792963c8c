// The bitmap font: 8 x 9 pixel characters taken from the engine's font
// texture ("Fonts.tex"), glyphs stored transposed.
#pragma once

#include <cstdint>

// One character with its top-left corner at (x, y); the glyph starts one row
// below y. Clipped so that column 0 and row 0 of the buffer are never
// written. Bytes 0x80 to 0xFF count as "other characters".
void draw_glyph(int32_t x, int32_t y, int32_t width, int32_t height, char character,
                uint32_t colour, uint32_t* buffer);

// A zero-terminated text on one line, 8 pixels per character.
void draw_text(const char* text, int32_t x, int32_t y, int32_t width, int32_t height,
               uint32_t colour, uint32_t* buffer);
// The same in a width x height picture whose rows lie `stride` pixels apart
// (stride >= width), such as one half of the frame.
void draw_text_in_rows(const char* text, int32_t x, int32_t y, int32_t width, int32_t height,
                       int32_t stride, uint32_t colour, uint32_t* buffer);
