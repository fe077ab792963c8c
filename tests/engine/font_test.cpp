// The bitmap font: glyph table, transposed layout, clipping, text advance.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "assets/font.h"
#include "engine/engine.h"
#include "engine_test_util.h"

namespace {

constexpr uint32_t background = 0x00000000u;

// Glyph pixel (i, j) of (slot, group) lives at texture element
// (slot * 9 + i) * 256 + group + j.
size_t texel_of(int slot, int group, int i, int j) { return static_cast<size_t>((slot * 9 + i) * 256 + group + j); }

class Font : public ::testing::Test {
protected:
    std::vector<uint32_t> font = std::vector<uint32_t>(65536, 0);

    // Writes the font and builds the engine, which reads it.
    void load()
    {
        scratch = std::make_unique<ScratchWorkingDirectory>();
        ASSERT_TRUE(write_tex_file("Fonts.tex", font));
        ASSERT_NE(engine_init(64, 48), 0);
        ASSERT_NE(engine.font_texture, nullptr);
    }
    void TearDown() override
    {
        engine_release();
        scratch.reset();
    }
    // Every pixel of the glyph set.
    void solid(int slot, int group)
    {
        for (int i = 0; i < 8; ++i) {
            for (int j = 0; j < 9; ++j) font[texel_of(slot, group, i, j)] = 0x010101;
        }
    }
    std::unique_ptr<ScratchWorkingDirectory> scratch;
};

struct Buffer {
    int32_t width, height;
    std::vector<uint32_t> pixels;
    Buffer(int32_t w, int32_t h) : width(w), height(h), pixels(static_cast<size_t>(w) * h, background) {}
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    int count() const
    {
        int n = 0;
        for (uint32_t p : pixels) n += p != background;
        return n;
    }
};

TEST_F(Font, TextAdvancesEightColumnsPerCharacter)
{
    solid(0, 0);  // A
    solid(1, 0);  // B
    load();
    Buffer b(64, 48);
    draw_text("AB", 10, 5, 64, 48, 0xC0FFEE, b.pixels.data());
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            const bool inside = x >= 10 && x <= 25 && y >= 6 && y <= 14;
            EXPECT_EQ(b.at(x, y), inside ? 0xC0FFEEu : background) << x << "," << y;
        }
    }
}

TEST_F(Font, GlyphsAreStoredTransposed)
{
    font[texel_of(2, 0, 3, 7)] = 0x00FF00;  // C: column 3, row 7
    font[texel_of(2, 0, 0, 0)] = 0x000001;  // any non-zero value sets the pixel
    font[texel_of(2, 0, 7, 8)] = 0xFFFFFF;
    // The ninth texture row of the slot (i = 8) is never read.
    for (int j = 0; j < 9; ++j) font[texel_of(2, 0, 8, j)] = 0xFFFFFF;
    load();
    Buffer b(64, 48);
    draw_glyph(20, 10, 64, 48, 'C', 0x123456, b.pixels.data());
    EXPECT_EQ(b.count(), 3);
    EXPECT_EQ(b.at(23, 18), 0x123456u);
    EXPECT_EQ(b.at(20, 11), 0x123456u);
    EXPECT_EQ(b.at(27, 19), 0x123456u);
}

TEST_F(Font, TableOfSlotsAndGroups)
{
    // Mark every glyph with one pixel at a position unique to it.
    struct Entry {
        char c;
        int slot, group;
    };
    std::vector<Entry> table;
    for (char c = 'A'; c <= 'Z'; ++c) table.push_back({c, c - 'A', 0});
    for (char c = 'a'; c <= 'z'; ++c) table.push_back({c, c - 'a', 9});
    for (char c = '0'; c <= '9'; ++c) table.push_back({c, c - '0', 18});
    const char specials[] = ".%,()=-'!/";
    const int slots[] = {10, 11, 12, 13, 14, 15, 16, 17, 18, 19};
    for (int k = 0; k < 10; ++k) table.push_back({specials[k], slots[k], 18});
    table.push_back({'"', 17, 18});
    // The pixel (slot % 8, slot / 8) names the slot; group / 9 more pixels
    // below row 4 of the same column name the group.
    for (int slot = 0; slot < 26; ++slot) {
        for (int group : {0, 9, 18, 27}) {
            font[texel_of(slot, group, slot % 8, slot / 8)] = 0x000001;
            for (int k = 0; k < group / 9; ++k) font[texel_of(slot, group, slot % 8, 4 + k)] = 0x000001;
        }
    }
    load();
    for (const Entry& e : table) {
        Buffer b(64, 48);
        draw_glyph(30, 20, 64, 48, e.c, 0xABCDEF, b.pixels.data());
        ASSERT_EQ(b.count(), 1 + e.group / 9) << e.c;
        EXPECT_EQ(b.at(30 + e.slot % 8, 21 + e.slot / 8), 0xABCDEFu) << e.c;
    }
    // Everything else, the space and bytes 0x80 to 0xFF included, is slot 0
    // of group 27.
    for (int byte = 1; byte < 256; ++byte) {
        const char c = static_cast<char>(byte);
        bool listed = false;
        for (const Entry& e : table) listed = listed || e.c == c;
        if (listed) continue;
        Buffer b(64, 48);
        draw_glyph(30, 20, 64, 48, c, 0xABCDEF, b.pixels.data());
        ASSERT_EQ(b.count(), 4) << byte;
        EXPECT_EQ(b.at(30, 21), 0xABCDEFu) << byte;
    }
}

TEST_F(Font, QuoteAndApostropheShareAGlyphAndCaseMatters)
{
    solid(17, 18);
    solid(0, 9);  // a, not A
    load();
    Buffer q(64, 48), a(64, 48);
    draw_glyph(5, 5, 64, 48, '\'', 0x111111, q.pixels.data());
    draw_glyph(5, 5, 64, 48, '"', 0x111111, a.pixels.data());
    EXPECT_EQ(q.pixels, a.pixels);
    EXPECT_EQ(q.count(), 72);
    Buffer upper(64, 48), lower(64, 48);
    draw_glyph(5, 5, 64, 48, 'A', 0x111111, upper.pixels.data());
    draw_glyph(5, 5, 64, 48, 'a', 0x111111, lower.pixels.data());
    EXPECT_EQ(upper.count(), 0);
    EXPECT_EQ(lower.count(), 72);
}

TEST_F(Font, ColumnZeroAndRowZeroAreNeverWritten)
{
    solid(0, 0);
    load();
    Buffer b(64, 48);
    draw_glyph(0, 10, 64, 48, 'A', 0xFFFFFF, b.pixels.data());  // loses its leftmost column
    EXPECT_EQ(b.count(), 7 * 9);
    for (int y = 0; y < 48; ++y) EXPECT_EQ(b.at(0, y), background);
    EXPECT_EQ(b.at(1, 11), 0xFFFFFFu);

    Buffer c(64, 48);
    draw_glyph(10, -1, 64, 48, 'A', 0xFFFFFF, c.pixels.data());  // loses its top row
    EXPECT_EQ(c.count(), 8 * 8);
    for (int x = 0; x < 64; ++x) EXPECT_EQ(c.at(x, 0), background);
    EXPECT_EQ(c.at(10, 1), 0xFFFFFFu);
    EXPECT_EQ(c.at(17, 8), 0xFFFFFFu);
}

TEST_F(Font, GlyphsAreClippedAtTheRightAndBottomEdges)
{
    solid(0, 0);
    load();
    // A buffer inside a larger block: nothing may land outside it.
    std::vector<uint32_t> block(64 * 48 + 64, background);
    uint32_t* pixels = block.data() + 32;
    draw_glyph(60, 42, 64, 48, 'A', 0xFFFFFF, pixels);  // columns 60..63, rows 43..47
    draw_glyph(-7, -9, 64, 48, 'A', 0xFFFFFF, pixels);   // column 0 and row 0 only: nothing
    draw_glyph(100, 5, 64, 48, 'A', 0xFFFFFF, pixels);
    draw_glyph(5, 100, 64, 48, 'A', 0xFFFFFF, pixels);
    draw_glyph(-2147483647 - 1, 2147483647, 64, 48, 'A', 0xFFFFFF, pixels);
    draw_glyph(2147483647, -2147483647 - 1, 64, 48, 'A', 0xFFFFFF, pixels);
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(block[i], background);
        EXPECT_EQ(block[64 * 48 + 32 + i], background);
    }
    int count = 0;
    for (int i = 0; i < 64 * 48; ++i) count += pixels[i] != background;
    EXPECT_EQ(count, 4 * 5);
    EXPECT_EQ(pixels[47 * 64 + 63], 0xFFFFFFu);
    // A text running past the right edge, and far to the left.
    Buffer b(64, 48);
    draw_text("AAAAAAAAAAAAAAAAAAAA", 30, 0, 64, 48, 0x0000FF, b.pixels.data());
    EXPECT_EQ(b.count(), (64 - 30) * 9);
    Buffer c(64, 48);
    draw_text("AAAA", -2147483647 - 1, 0, 64, 48, 0x0000FF, c.pixels.data());
    EXPECT_EQ(c.count(), 0);
}

TEST_F(Font, NothingWithoutAFontOrForAnEmptyText)
{
    solid(0, 0);
    load();
    Buffer b(64, 48);
    draw_text("", 10, 10, 64, 48, 0xFFFFFF, b.pixels.data());
    EXPECT_EQ(b.count(), 0);
    engine_release();  // no font texture now
    draw_text("AAA", 10, 10, 64, 48, 0xFFFFFF, b.pixels.data());
    draw_glyph(10, 10, 64, 48, 'A', 0xFFFFFF, b.pixels.data());
    EXPECT_EQ(b.count(), 0);
}

TEST_F(Font, RandomFontAgainstTheLayoutFormula)
{
    std::mt19937 rng(51);
    for (uint32_t& p : font) p = (rng() % 3 == 0) ? (rng() & 0xFFFFFF) : 0;
    load();
    const auto place = [](unsigned char c, int& slot, int& group) {
        if (c >= 'A' && c <= 'Z') { slot = c - 'A'; group = 0; return; }
        if (c >= 'a' && c <= 'z') { slot = c - 'a'; group = 9; return; }
        if (c >= '0' && c <= '9') { slot = c - '0'; group = 18; return; }
        const char* specials = ".%,()=-'!/";
        const char* at = (c != 0) ? std::strchr(specials, c) : nullptr;
        if (at) { slot = 10 + static_cast<int>(at - specials); group = 18; return; }
        if (c == '"') { slot = 17; group = 18; return; }
        slot = 0;
        group = 27;
    };
    for (int n = 0; n < 500; ++n) {
        const unsigned char c = static_cast<unsigned char>(1 + rng() % 255);
        const int x = static_cast<int>(rng() % 80) - 10, y = static_cast<int>(rng() % 70) - 12;
        Buffer got(64, 48), want(64, 48);
        draw_glyph(x, y, 64, 48, static_cast<char>(c), 0x5A5A5A, got.pixels.data());
        int slot, group;
        place(c, slot, group);
        for (int i = 0; i < 8; ++i) {
            for (int j = 0; j < 9; ++j) {
                const int px = x + i, py = y + 1 + j;
                if (px > 0 && px < 64 && py > 0 && py < 48 && font[texel_of(slot, group, i, j)] != 0) {
                    want.pixels[static_cast<size_t>(py) * 64 + px] = 0x5A5A5A;
                }
            }
        }
        ASSERT_EQ(got.pixels, want.pixels) << "byte " << int(c) << " at " << x << "," << y;
    }
}

}  // namespace
