#include "assets/font.h"

#include "engine/engine.h"

namespace {

struct GlyphPlace {
    int32_t slot;
    int32_t group;  // texture column of the glyph's top row
};

// Compared as a signed byte: 0x80 to 0xFF are negative and fall through to
// the "other character" slot with the space.
GlyphPlace glyph_place(int32_t c)
{
    if (c >= 'A' && c <= 'Z') {
        return {c - 'A', 0};
    }
    if (c >= 'a' && c <= 'z') {
        return {c - 'a', 9};
    }
    if (c >= '0' && c <= '9') {
        return {c - '0', 18};
    }
    switch (c) {
    case '.': return {10, 18};
    case '%': return {11, 18};
    case ',': return {12, 18};
    case '(': return {13, 18};
    case ')': return {14, 18};
    case '=': return {15, 18};
    case '-': return {16, 18};
    case '\'':
    case '"': return {17, 18};
    case '!': return {18, 18};
    case '/': return {19, 18};
    default: return {0, 27};
    }
}

// The glyph into a buffer whose rows lie stride pixels apart.
void glyph_in_rows(int32_t x, int32_t y, int32_t width, int32_t height, int64_t stride,
                   char character, uint32_t colour, uint32_t* buffer)
{
    const Texture* font = engine.font_texture;
    if (!font || !buffer) {
        return;
    }
    const GlyphPlace place = glyph_place(static_cast<int8_t>(character));
    // The glyphs are stored transposed: glyph column i is texture row
    // slot * 9 + i, glyph row j is texture column group + j.
    for (int64_t i = 0; i < 8; ++i) {
        const int64_t column = static_cast<int64_t>(x) + i;
        if (column <= 0 || column >= width) {
            continue;
        }
        const uint32_t* texels = font->pixels + (place.slot * 9 + i) * 256 + place.group;
        for (int64_t j = 0; j < 9; ++j) {
            // The glyph starts one row below y; row 0 is never written.
            const int64_t row = static_cast<int64_t>(y) + 1 + j;
            if (row > 0 && row < height && texels[j] != 0) {
                buffer[row * stride + column] = colour;
            }
        }
    }
}

}  // namespace

void draw_glyph(int32_t x, int32_t y, int32_t width, int32_t height, char character,
                uint32_t colour, uint32_t* buffer)
{
    glyph_in_rows(x, y, width, height, width, character, colour, buffer);
}

void draw_text(const char* text, int32_t x, int32_t y, int32_t width, int32_t height,
               uint32_t colour, uint32_t* buffer)
{
    draw_text_in_rows(text, x, y, width, height, width, colour, buffer);
}

void draw_text_in_rows(const char* text, int32_t x, int32_t y, int32_t width, int32_t height,
                       int32_t stride, uint32_t colour, uint32_t* buffer)
{
    if (!text) {
        return;
    }
    for (; *text != 0; ++text) {
        // Characters only move right: once past the right edge nothing more
        // can show (and x cannot overflow).
        if (x >= width) {
            return;
        }
        glyph_in_rows(x, y, width, height, stride, *text, colour, buffer);
        x += 8;
    }
}
