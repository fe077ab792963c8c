// The installation: cmake --install into a temporary prefix puts the game,
// its whole data directory (never a settings file), a desktop entry and
// the icon in place; the installed game, started from anywhere, finds its
// data and keeps its settings in the user's configuration folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <set>

#include "window_game_support.h"

namespace fs = std::filesystem;

namespace {

// The build's game directory, installed under prefix; "" when all went well.
std::string install(const ScratchDir& prefix)
{
    std::string output;
    const int code = run_program({VALKRON_CMAKE_COMMAND, "--install", VALKRON_BINARY_DIR, "--prefix", prefix.path()},
                                 {}, 120.0, &output);
    return code == 0 ? "" : "cmake --install failed: " + output;
}

// Files below dir, as paths relative to it.
std::set<std::string> files_below(const std::string& dir)
{
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file()) {
            files.insert(fs::relative(entry.path(), dir).string());
        }
    }
    return files;
}

}  // namespace

TEST(Installed, GameDataDesktopEntryAndIconsGoWhereTheDesktopLooks)
{
    ScratchDir prefix;
    ASSERT_EQ(install(prefix), "");

    struct stat info;
    ASSERT_EQ(stat(prefix.file("bin/valkron").c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode) && (info.st_mode & S_IXUSR));

    // The whole game directory, file for file, and no settings.
    std::set<std::string> expected;
    for (const std::string& file : files_below(VALKRON_GAME_DIR)) {
        if (!is_settings_file(file)) {
            expected.insert(file);
        }
    }
    const std::string data = prefix.file("share/valkron");
    EXPECT_EQ(files_below(data), expected);
    EXPECT_GT(expected.size(), 30u);
    for (const std::string& file : expected) {
        EXPECT_EQ(read_file(data + "/" + file), read_file(std::string(VALKRON_GAME_DIR) + "/" + file)) << file;
    }

    // The desktop entry starts the game from the PATH with its icon.
    const std::string entry = prefix.read_text("share/applications/valkron.desktop");
    EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u) << entry;
    for (const char* line : {"\nType=Application\n", "\nName=Valkron Engine\n", "\nExec=valkron\n", "\nIcon=valkron\n",
                             "\nTerminal=false\n"}) {
        EXPECT_NE(entry.find(line), std::string::npos) << line;
    }

    // The icon in three sizes: an aeroplane on a transparent ground.
    for (int32_t size : {64, 128, 256}) {
        const std::string side = std::to_string(size);
        PngChannels icon;
        ASSERT_TRUE(read_png_channels(prefix.file("share/icons/hicolor/" + side + "x" + side + "/apps/valkron.png"),
                                      true, icon))
            << size;
        ASSERT_EQ(icon.width, size);
        ASSERT_EQ(icon.height, size);
        size_t opaque = 0, clear = 0;
        for (size_t i = 3; i < icon.bytes.size(); i += 4) {
            opaque += icon.bytes[i] == 255;
            clear += icon.bytes[i] == 0;
        }
        const size_t area = size_t(size) * size;
        EXPECT_GT(opaque, area / 10) << size;
        EXPECT_GT(clear, area / 3) << size;
        EXPECT_EQ(icon.bytes[3], 0) << size;  // corners clear
        EXPECT_EQ(icon.bytes[area * 4 - 1], 0) << size;
    }
}

TEST(Installed, StartedFromAnywhereItFindsItsDataAndKeepsSettingsInTheUsersFolder)
{
    SKIP_WITHOUT_X();
    const auto& frames = menu_frames();
    ScratchDir prefix, elsewhere, home;
    ASSERT_EQ(install(prefix), "");
    const std::string game = prefix.file("bin/valkron");
    const std::string data = prefix.file("share/valkron");
    const std::string config = home.file("xdg/config");  // not there yet
    const std::string audio = "SDL_AUDIODRIVER=dummy";

    {
        // From an empty folder: the menu as in the build, the limit raised,
        // Escape saves and ends.
        GameOnScreen run;
        ASSERT_EQ(run.start(400, 300, game,
                            {elsewhere.path(), {audio, "HOME=" + home.path(), "XDG_CONFIG_HOME=" + config}, {}, ""}),
                  "");
        ASSERT_TRUE(run.press({"Escape"}, frames.at("menu 0"), "menu 0", 15.0));
        ASSERT_TRUE(run.press({"Down"}, frames.at("menu 1"), "menu 1"));
        ASSERT_TRUE(run.press({"Right"}, frames.at("menu 1 limit"), "menu 1 limit"));
        ASSERT_TRUE(run.screen.key({"Escape"}));
        ASSERT_EQ(run.ended(), 0) << run.game_output();
    }
    EXPECT_EQ(read_text_file(config + "/valkron/settings.ini"), settings_text(11));
    struct stat info;
    ASSERT_EQ(stat((config + "/valkron").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_TRUE(fs::is_empty(elsewhere.path()));
    EXPECT_FALSE(fs::exists(home.file(".config")));

    {
        // From the data folder itself: still installed, the saved limit is
        // read back from the user's folder.
        GameOnScreen run;
        ASSERT_EQ(
            run.start(400, 300, game, {data, {audio, "HOME=" + home.path(), "XDG_CONFIG_HOME=" + config}, {}, ""}), "");
        ASSERT_TRUE(run.press({"Escape"}, frames.at("menu 0 limit"), "menu 0 limit", 15.0));
        ASSERT_TRUE(run.screen.key({"Escape"}));
        ASSERT_EQ(run.ended(), 0) << run.game_output();
    }

    {
        // Without XDG_CONFIG_HOME: ~/.config/valkron, which holds nothing yet.
        GameOnScreen run;
        ASSERT_EQ(
            run.start(400, 300, game, {elsewhere.path(), {audio, "HOME=" + home.path()}, {"XDG_CONFIG_HOME"}, ""}), "");
        ASSERT_TRUE(run.press({"Escape"}, frames.at("menu 0"), "menu 0", 15.0));
        ASSERT_TRUE(run.screen.key({"Escape"}));
        ASSERT_EQ(run.ended(), 0) << run.game_output();
    }
    EXPECT_EQ(home.read_text(".config/valkron/settings.ini"), settings_text(10));

    for (const std::string& file : files_below(data)) {
        EXPECT_FALSE(is_settings_file(file)) << file << " written into the installed data";
    }
    EXPECT_TRUE(fs::is_empty(elsewhere.path()));
}
