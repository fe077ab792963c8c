// The font and the help text: every character of the font's layout has a
// glyph, drawn through the game's own draw_text, the "other" slot stays
// blank, and the help text fits the smallest screen with the font's
// characters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assets/font.h"
#include "assets/texture.h"
#include "data_util.h"
#include "engine/engine.h"

namespace {

const std::string font_characters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789.%,()=-'!/";

class Font : public ::testing::Test {
protected:
    InGameDir dir;
    void SetUp() override { ASSERT_NE(engine_init(64, 32), 0); }
    void TearDown() override { engine_release(); }

    // The pixels a character sets when drawn at (8, 8) of a 64 x 32 buffer.
    std::vector<uint32_t> glyph(char c)
    {
        std::vector<uint32_t> buffer(64 * 32, 0);
        const char text[2] = {c, 0};
        draw_text(text, 8, 8, 64, 32, 0xFFFFFF, buffer.data());
        return buffer;
    }
    static int lit(const std::vector<uint32_t>& b)
    {
        int n = 0;
        for (uint32_t p : b) n += p != 0;
        return n;
    }
};

TEST_F(Font, EveryCharacterOfTheLayoutHasItsOwnGlyph)
{
    ASSERT_NE(engine.font_texture, nullptr);
    std::vector<std::vector<uint32_t>> seen;
    for (char c : font_characters) {
        const auto g = glyph(c);
        EXPECT_GE(lit(g), c == '.' || c == '\'' || c == '-' || c == ',' ? 2 : 8) << "'" << c << "'";
        for (size_t k = 0; k < seen.size(); ++k) {
            EXPECT_NE(g, seen[k]) << "'" << c << "' looks like '" << font_characters[k] << "'";
        }
        seen.push_back(g);
    }
}

TEST_F(Font, GlyphsStayInTheirCellWithASpacingColumn)
{
    for (char c : font_characters) {
        const auto g = glyph(c);
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 64; ++x) {
                if (!g[size_t(y * 64 + x)]) continue;
                // Columns 8..14 of the cell (its 8th column is spacing),
                // rows 9..17 (a glyph starts one row below y).
                EXPECT_GE(x, 8) << c;
                EXPECT_LE(x, 14) << c;
                EXPECT_GE(y, 9) << c;
                EXPECT_LE(y, 17) << c;
            }
        }
    }
}

TEST_F(Font, SpaceLineEndsAndUnknownCharactersDrawNothing)
{
    for (char c : std::string(" \n\r:;?+*_#")) EXPECT_EQ(lit(glyph(c)), 0) << int(c);
    EXPECT_EQ(lit(glyph(char(0xE9))), 0);
    // The double quote shares the apostrophe's slot.
    EXPECT_EQ(glyph('"'), glyph('\''));
}

TEST_F(Font, DescendersReachBelowTheBaseline)
{
    // Rows 16 and 17 of the buffer are the glyph's rows 7 and 8.
    auto below = [&](char c) {
        const auto g = glyph(c);
        int n = 0;
        for (int y = 16; y < 18; ++y) {
            for (int x = 0; x < 64; ++x) n += g[size_t(y * 64 + x)] != 0;
        }
        return n;
    };
    for (char c : std::string("gjpqy")) EXPECT_GT(below(c), 0) << c;
    for (char c : std::string("ABCXaceoxz0123")) EXPECT_EQ(below(c), 0) << c;
}

class HelpText : public ::testing::Test {
protected:
    std::vector<std::string> lines()
    {
        const auto bytes = read_file(std::string(VALKRON_GAME_DIR) + "/Data/pak0.pak");
        std::vector<std::string> out(1);
        for (uint8_t b : bytes) {
            if (b == '\n') out.emplace_back();
            else out.back() += char(b);
        }
        EXPECT_TRUE(out.back().empty()) << "the last line ends with a line end";
        out.pop_back();
        return out;
    }
};

TEST_F(HelpText, LinesFitTheSmallestScreenInTheFontsCharacters)
{
    const auto text = lines();
    ASSERT_GT(text.size(), 40u);
    for (const std::string& line : text) {
        EXPECT_LE(line.size(), 45u) << line;
        for (char c : line) {
            EXPECT_TRUE(c == ' ' || font_characters.find(c) != std::string::npos) << "'" << c << "' in: " << line;
        }
    }
}

TEST_F(HelpText, ExplainsBothPlayersKeysAndTheRules)
{
    std::string all;
    for (const std::string& line : lines()) all += line + "\n";
    for (const char* needle : {"Insert", "Delete", "Home", "Up arrow", "Left arrow", "W ", "S ", "A ", "D ",
                               "1 ", "2 ", "3 ", "100", "21st", "frag limit", "Backspace", "Esc", "Enter",
                               "New game", "Change limit", "Credits", "Exit"}) {
        EXPECT_NE(all.find(needle), std::string::npos) << needle;
    }
}

}  // namespace
