// Game file names (backslashes and any letter case reach the files on disk)
// and the raw picture loaders that read through them.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>

#include "assets/files.h"
#include "assets/texture.h"
#include "scratch_dir.h"

namespace {

std::set<std::string> entries(const std::string& dir)
{
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) names.insert(e.path().filename().string());
    return names;
}

TEST(GameFiles, NamesReachFilesInAnyCaseAndKeepTheirSpellingWhenNew)
{
    ScratchDir dir;
    dir.make_dir("Models");
    dir.make_dir("data");
    dir.make_dir("Data");
    dir.make_dir("Work");
    dir.write("Models/Happy.3ds", std::string("happy"));
    dir.write("data/a.tex", std::string("lower"));
    dir.write("Data/a.tex", std::string("upper"));
    ScopedWorkingDirectory cd(dir.path() + "/Work");
    const std::string abs = dir.path() + "/Models/Happy.3ds";
    const std::pair<std::string, std::string> cases[] = {
        {"..\\models\\HAPPY.3ds", "../Models/Happy.3ds"},
        {".\\..\\\\MODELS/happy.3DS", "./../Models/Happy.3ds"},
        {"..\\data\\a.tex", "../data/a.tex"},  // an exact match wins
        {"..\\Data\\a.tex", "../Data/a.tex"},
        {"..\\DATA\\A.TEX", "../Data/a.tex"},  // else the first in byte order
        {"..\\data\\New File.TXT", "../data/New File.TXT"},
        {"..\\Missing\\data\\x.tex", "../Missing/data/x.tex"},  // missing folders keep the spelling given
        {"..\\Models\\Happy.3ds\\more", "../Models/Happy.3ds/more"},
        {dir.path() + "\\MODELS\\happy.3ds", abs},
    };
    for (const auto& [name, path] : cases) EXPECT_EQ(resolve_game_path(name.c_str()), path) << name;
    FILE* f = open_game_file("..\\DATA\\A.TEX", "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::fgetc(f), 'u');
    std::fclose(f);
    // "settings.ini" read and "Settings.ini" written are one file.
    for (const char* text : {"first", "second"}) {
        f = open_game_file("Settings.ini", "w");
        ASSERT_NE(f, nullptr);
        std::fputs(text, f);
        std::fclose(f);
        EXPECT_EQ(entries("."), std::set<std::string>{"Settings.ini"});
        EXPECT_EQ(dir.read_text("Work/Settings.ini"), text);
        EXPECT_EQ(resolve_game_path("settings.ini"), "Settings.ini");
    }
}

struct TextureDeleter {
    void operator()(Texture* t) const { release_texture(t); }
};
using TexturePtr = std::unique_ptr<Texture, TextureDeleter>;

int open_descriptors()
{
    return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
}

TEST(Pictures, RecordsBecomePixelsAndShortFilesRepeatTheLastRecord)
{
    ScratchDir dir;
    dir.make_dir("Data");
    // Record i: red = row, green = column, blue = a mix, the fourth byte anything.
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 65536; ++i) {
        bytes.insert(bytes.end(), {uint8_t(i >> 8), uint8_t(i), uint8_t(i * 7), uint8_t(i * 3 + 1)});
    }
    bytes.insert(bytes.end(), 100, 0xFF);  // a longer file's excess is ignored
    dir.write("Data/Fire.tex", bytes);
    ScopedWorkingDirectory cd(dir.path());
    const int before = open_descriptors();
    TexturePtr t(load_texture("data\\FIRE.tex"));
    ASSERT_NE(t, nullptr);
    for (uint32_t i = 0; i < 65536; ++i) {
        ASSERT_EQ(t->pixels[i], ((i >> 8) << 16) | ((i & 255) << 8) | ((i * 7) & 255)) << i;
    }
    // The menu and aiming mark hold frame buffer pixels, read as they are.
    std::vector<uint32_t> out(7, 0xDEADBEEF);
    ASSERT_TRUE(load_picture("Data\\Fire.tex", out.data(), 6, PictureOrder::unchanged));
    EXPECT_EQ(out[1], 0x04070100u);
    EXPECT_EQ(out[6], 0xDEADBEEFu);  // nothing beyond the count
    // Short files: the rest repeats the last record; a record cut short
    // keeps the bytes of the one before; an empty file is black.
    const struct {
        std::vector<uint8_t> bytes;
        uint32_t first, rest;
    } cases[] = {{{1, 2, 3, 4, 5, 6, 7, 8}, 0x010203, 0x050607}, {{1, 2, 3, 4, 5, 6}, 0x010203, 0x050603}, {{}, 0, 0}};
    for (const auto& c : cases) {
        dir.write("short.tex", c.bytes);
        t.reset(load_texture("short.tex"));
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->pixels[0], c.first);
        for (int i = 1; i < 65536; ++i) ASSERT_EQ(t->pixels[i], c.rest) << i;
        ASSERT_TRUE(load_picture("short.tex", out.data(), 7, PictureOrder::texture));
        EXPECT_EQ(out[6], c.rest);
    }
    // Missing files and folders are refused, leaving nothing open.
    t.reset();
    EXPECT_EQ(load_texture("absent.tex"), nullptr);
    EXPECT_EQ(load_texture("Data"), nullptr);
    EXPECT_FALSE(load_picture("Data", out.data(), 7, PictureOrder::unchanged));
    EXPECT_FALSE(load_picture("absent.tex", out.data(), 7, PictureOrder::texture));
    EXPECT_EQ(open_descriptors(), before);
}

}  // namespace
