// Raw pictures: 256 x 256 textures (red, green, blue, unused records) and
// the other pictures of the family read with load_picture.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "assets/texture.h"
#include "scratch_dir.h"

namespace {

struct TextureDeleter {
    void operator()(Texture* t) const { release_texture(t); }
};
using TexturePtr = std::unique_ptr<Texture, TextureDeleter>;

constexpr size_t texture_pixels = 256 * 256;

std::vector<uint8_t> records(size_t count, uint8_t r, uint8_t g, uint8_t b, uint8_t unused)
{
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < count; ++i) bytes.insert(bytes.end(), {r, g, b, unused});
    return bytes;
}

int open_descriptors()
{
    int n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
    return n;
}

TEST(LoadTexture, EveryRecordBecomesRedGreenBlueInOnePixel)
{
    ScratchDir dir;
    const std::string path = dir.write("t.tex", records(texture_pixels, 0x10, 0x20, 0x30, 0xFF));
    TexturePtr t(load_texture(path.c_str()));
    ASSERT_NE(t, nullptr);
    for (size_t i = 0; i < texture_pixels; ++i) ASSERT_EQ(t->pixels[i], 0x00102030u) << i;
}

TEST(LoadTexture, PixelsFollowTheFileAndTheFourthByteNeverReachesThem)
{
    // Record i: red = row, green = column, blue = a mix, unused = anything.
    std::vector<uint8_t> bytes;
    for (int row = 0; row < 256; ++row) {
        for (int col = 0; col < 256; ++col) {
            bytes.insert(bytes.end(), {static_cast<uint8_t>(row), static_cast<uint8_t>(col),
                                       static_cast<uint8_t>(row ^ col), static_cast<uint8_t>(row + col + 1)});
        }
    }
    ScratchDir dir;
    TexturePtr t(load_texture(dir.write("t.tex", bytes).c_str()));
    ASSERT_NE(t, nullptr);
    for (uint32_t row = 0; row < 256; ++row) {
        for (uint32_t col = 0; col < 256; ++col) {
            ASSERT_EQ(t->pixels[row * 256 + col], (row << 16) | (col << 8) | (row ^ col)) << row << "," << col;
        }
    }
}

TEST(LoadTexture, LineEndAndEndOfTextBytesAreReadAsTheyAre)
{
    // Opened in text mode like the game does; the bytes still arrive unchanged.
    std::vector<uint8_t> bytes = records(texture_pixels, 0x0D, 0x0A, 0x1A, 0x0D);
    ScratchDir dir;
    TexturePtr t(load_texture(dir.write("t.tex", bytes).c_str()));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->pixels[0], 0x000D0A1Au);
    EXPECT_EQ(t->pixels[texture_pixels - 1], 0x000D0A1Au);
}

TEST(LoadTexture, MissingFileGivesNullAndLeavesNothingOpen)
{
    ScratchDir dir;
    const int before = open_descriptors();
    EXPECT_EQ(load_texture(dir.file("absent.tex").c_str()), nullptr);
    EXPECT_EQ(open_descriptors(), before);
    // A loaded texture leaves nothing open either.
    TexturePtr t(load_texture(dir.write("t.tex", records(4, 1, 2, 3, 4)).c_str()));
    EXPECT_NE(t, nullptr);
    EXPECT_EQ(open_descriptors(), before);
}

TEST(LoadTexture, ShortFilesRepeatTheLastRecordAndEmptyFilesGiveBlack)
{
    ScratchDir dir;
    std::vector<uint8_t> bytes = records(1, 1, 2, 3, 4);
    const std::vector<uint8_t> second = records(1, 5, 6, 7, 8);
    bytes.insert(bytes.end(), second.begin(), second.end());
    TexturePtr t(load_texture(dir.write("two.tex", bytes).c_str()));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->pixels[0], 0x00010203u);
    for (size_t i = 1; i < texture_pixels; ++i) ASSERT_EQ(t->pixels[i], 0x00050607u) << i;

    // A record cut in the middle keeps the bytes of the one before it.
    bytes.resize(6);
    t.reset(load_texture(dir.write("cut.tex", bytes).c_str()));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->pixels[0], 0x00010203u);
    EXPECT_EQ(t->pixels[1], 0x00050603u);
    EXPECT_EQ(t->pixels[texture_pixels - 1], 0x00050603u);

    t.reset(load_texture(dir.write("empty.tex", std::vector<uint8_t>{}).c_str()));
    ASSERT_NE(t, nullptr);
    for (size_t i = 0; i < texture_pixels; ++i) ASSERT_EQ(t->pixels[i], 0u) << i;
}

TEST(LoadTexture, ALongerFilesExcessIsIgnored)
{
    std::vector<uint8_t> bytes = records(texture_pixels, 9, 8, 7, 6);
    const std::vector<uint8_t> extra = records(100, 0xFF, 0xFF, 0xFF, 0xFF);
    bytes.insert(bytes.end(), extra.begin(), extra.end());
    ScratchDir dir;
    TexturePtr t(load_texture(dir.write("t.tex", bytes).c_str()));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->pixels[texture_pixels - 1], 0x00090807u);
}

TEST(LoadTexture, NameIsResolvedLikeEveryGameFile)
{
    ScratchDir dir;
    dir.make_dir("Data");
    dir.write("Data/Fire.tex", records(texture_pixels, 0xAA, 0xBB, 0xCC, 0));
    ScopedWorkingDirectory cd(dir.path());
    TexturePtr t(load_texture("data\\FIRE.tex"));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->pixels[12345], 0x00AABBCCu);
}

TEST(LoadPicture, TextureOrderConvertsRecordsOfAnySize)
{
    // The explosion frames: 112 x 102 records, red, green, blue, unused.
    const size_t count = 112 * 102;
    ScratchDir dir;
    const std::string path = dir.write("expl.tex", records(count, 0x10, 0x20, 0x30, 0xFF));
    std::vector<uint32_t> out(count + 1, 0xDEADBEEF);
    ASSERT_TRUE(load_picture(path.c_str(), out.data(), count, PictureOrder::texture));
    for (size_t i = 0; i < count; ++i) ASSERT_EQ(out[i], 0x00102030u) << i;
    EXPECT_EQ(out[count], 0xDEADBEEFu);  // nothing beyond count is written
}

TEST(LoadPicture, UnchangedOrderReadsLittleEndianPixels)
{
    // The menu background and the aiming mark hold the frame buffer's
    // pixels: blue, green, red, top byte; read as they are.
    const size_t count = 400 * 300;
    ScratchDir dir;
    const std::string path = dir.write("menu.tex", records(count, 0x30, 0x20, 0x10, 0x00));
    std::vector<uint32_t> out(count, 0);
    ASSERT_TRUE(load_picture(path.c_str(), out.data(), count, PictureOrder::unchanged));
    for (size_t i = 0; i < count; ++i) ASSERT_EQ(out[i], 0x00102030u) << i;

    const std::string top = dir.write("top.tex", records(4, 0x30, 0x20, 0x10, 0xAB));
    ASSERT_TRUE(load_picture(top.c_str(), out.data(), 4, PictureOrder::unchanged));
    EXPECT_EQ(out[3], 0xAB102030u);
}

TEST(LoadPicture, ShortFilesRepeatTheLastRecordAndMissingFilesFail)
{
    ScratchDir dir;
    std::vector<uint8_t> bytes = records(1, 1, 2, 3, 4);
    const std::string path = dir.write("short.tex", bytes);
    std::vector<uint32_t> out(10, 0xDEADBEEF);
    ASSERT_TRUE(load_picture(path.c_str(), out.data(), 10, PictureOrder::unchanged));
    for (uint32_t v : out) EXPECT_EQ(v, 0x04030201u);
    ASSERT_TRUE(load_picture(path.c_str(), out.data(), 10, PictureOrder::texture));
    for (uint32_t v : out) EXPECT_EQ(v, 0x00010203u);

    std::vector<uint32_t> untouched(10, 0xDEADBEEF);
    const int before = open_descriptors();
    EXPECT_FALSE(load_picture(dir.file("absent.tex").c_str(), untouched.data(), 10, PictureOrder::texture));
    EXPECT_EQ(open_descriptors(), before);
    for (uint32_t v : untouched) EXPECT_EQ(v, 0xDEADBEEFu);
}

}  // namespace

TEST(LoadTexture, AFolderIsRefusedLikeAMissingFile)
{
    // fopen opens a folder for reading on Linux; its first read fails.
    ScratchDir dir;
    dir.make_dir("Models");
    EXPECT_EQ(load_texture((dir.path() + "/Models").c_str()), nullptr);
    std::vector<uint32_t> out(16, 0);
    EXPECT_FALSE(load_picture((dir.path() + "/Models").c_str(), out.data(), out.size(),
                              PictureOrder::unchanged));
}
