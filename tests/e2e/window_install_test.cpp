// The installation: cmake --install into a temporary prefix puts the game,
// its whole data directory (never a settings file), a desktop entry and the
// icon in place; the installed game, started from anywhere, finds its data
// and keeps its settings in the user's configuration folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <set>

#include "window_session.h"

namespace fs = std::filesystem;

namespace {

std::set<std::string> files_below(const std::string& dir)
{
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file()) files.insert(fs::relative(entry.path(), dir).string());
    return files;
}

}  // namespace

TEST(Installed, FromAnywhereTheGameFindsItsDataAndKeepsSettingsInTheUsersFolder)
{
    ScratchDir prefix, elsewhere, home;
    std::string output;
    ASSERT_EQ(run_program({VALKRON_CMAKE_COMMAND, "--install", VALKRON_BINARY_DIR, "--prefix", prefix.path()}, {}, 120.0,
                          &output), 0) << output;
    struct stat info;
    ASSERT_EQ(stat(prefix.file("bin/valkron").c_str(), &info), 0);
    EXPECT_TRUE(info.st_mode & S_IXUSR);
    // The whole game directory, file for file, and no settings.
    const std::string data = prefix.file("share/valkron");
    std::set<std::string> expected;
    for (const std::string& file : files_below(VALKRON_GAME_DIR))
        if (!is_settings_file(file)) expected.insert(file);
    EXPECT_EQ(files_below(data), expected);
    for (const std::string& file : expected)
        EXPECT_EQ(read_file(data + "/" + file), read_file(std::string(VALKRON_GAME_DIR) + "/" + file)) << file;
    // The desktop entry starts the game from the PATH with its icon, in
    // three sizes.
    const std::string entry = prefix.read_text("share/applications/valkron.desktop");
    for (const char* line : {"[Desktop Entry]\n", "\nExec=valkron\n", "\nIcon=valkron\n", "\nTerminal=false\n"})
        EXPECT_NE(entry.find(line), std::string::npos) << line;
    for (int32_t size : {64, 128, 256}) {
        PngChannels icon;
        const std::string side = std::to_string(size);
        ASSERT_TRUE(read_png_channels(prefix.file("share/icons/hicolor/" + side + "x" + side + "/apps/valkron.png"), true, icon));
        EXPECT_EQ(icon.width, size);
        EXPECT_EQ(icon.bytes[3], 0) << "a transparent corner";
    }

    SKIP_WITHOUT_X();
    const auto& frames = menu_frames();
    // From an empty folder with XDG_CONFIG_HOME, then without it: the menu
    // as in the build; Escape saves and ends.
    const std::string config = home.file("xdg/config");  // not there yet
    for (bool xdg : {true, false}) {
        GameOnScreen run;
        ChildOptions options = {elsewhere.path(), {"SDL_AUDIODRIVER=dummy", "HOME=" + home.path()}, {}, ""};
        if (xdg) options.set_env.push_back("XDG_CONFIG_HOME=" + config);
        else options.unset_env.push_back("XDG_CONFIG_HOME");
        ASSERT_EQ(run.start(400, 300, prefix.file("bin/valkron"), options), "");
        ASSERT_TRUE(run.press({"Escape"}, frames.at("menu 0"), "menu 0", 15.0));
        ASSERT_TRUE(run.key({"Escape"}));
        ASSERT_EQ(run.ended(), 0);
    }
    EXPECT_EQ(read_text_file(config + "/valkron/settings.ini"), settings_text(10));
    ASSERT_EQ(stat((config + "/valkron").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(home.read_text(".config/valkron/settings.ini"), settings_text(10));
    EXPECT_TRUE(fs::is_empty(elsewhere.path()));
    for (const std::string& file : files_below(data)) EXPECT_FALSE(is_settings_file(file)) << file;
}
