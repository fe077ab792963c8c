// The data generator itself: two runs give identical bytes, and a run over
// an unchanged directory rewrites nothing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "scratch_dir.h"

namespace {

namespace fs = std::filesystem;

const std::string generator = std::string(VALKRON_BINARY_DIR) + "/tools/datagen/valkron-datagen";

int run(const std::string& game, const std::string& resources)
{
    const std::string cmd = "\"" + generator + "\" --game \"" + game + "\" --resources \"" + resources + "\"";
    return std::system(cmd.c_str());
}

std::map<std::string, std::vector<uint8_t>> tree(const std::string& root)
{
    std::map<std::string, std::vector<uint8_t>> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) files[fs::relative(entry.path(), root).string()] = read_file(entry.path().string());
    }
    return files;
}

TEST(Generator, TwoRunsWriteIdenticalBytes)
{
    ScratchDir a, b;
    ASSERT_EQ(run(a.file("game"), a.file("gen/wave_resources.cpp")), 0);
    ASSERT_EQ(run(b.file("game"), b.file("gen/wave_resources.cpp")), 0);
    const auto ta = tree(a.path()), tb = tree(b.path());
    ASSERT_EQ(ta.size(), tb.size());
    // 17 explosions, menu, target, credits, shot (2), help, font, intro (2),
    // six aeroplanes (12), the resources source and five listening copies.
    EXPECT_EQ(ta.size(), 17u + 3u + 2u + 1u + 1u + 2u + 12u + 1u + 5u);
    for (const auto& [name, bytes] : ta) {
        ASSERT_TRUE(tb.count(name)) << name;
        EXPECT_TRUE(bytes == tb.at(name)) << name << " differs between runs";
    }
    // And they are the bytes the build put into the game directory.
    for (const auto& [name, bytes] : tree(VALKRON_GAME_DIR)) {
        const std::string key = "game/" + name;
        ASSERT_TRUE(ta.count(key)) << name;
        EXPECT_TRUE(bytes == ta.at(key)) << name << " differs from the build's copy";
    }
}

TEST(Generator, LeavesUnchangedFilesAlone)
{
    ScratchDir a;
    ASSERT_EQ(run(a.file("game"), a.file("gen/wave_resources.cpp")), 0);
    const auto stamp = fs::last_write_time(a.file("gen/wave_resources.cpp"));
    const auto menu = fs::last_write_time(a.file("game/Data/Menu.tex"));
    fs::last_write_time(a.file("gen/wave_resources.cpp"), stamp - std::chrono::hours(1));
    fs::last_write_time(a.file("game/Data/Menu.tex"), menu - std::chrono::hours(1));
    ASSERT_EQ(run(a.file("game"), a.file("gen/wave_resources.cpp")), 0);
    EXPECT_EQ(fs::last_write_time(a.file("gen/wave_resources.cpp")), stamp - std::chrono::hours(1));
    EXPECT_EQ(fs::last_write_time(a.file("game/Data/Menu.tex")), menu - std::chrono::hours(1));
}

TEST(Generator, RefusesToRunWithoutItsArguments)
{
    const std::string cmd = "\"" + generator + "\" --game only 2>/dev/null";
    EXPECT_NE(std::system(cmd.c_str()), 0);
}

}  // namespace
