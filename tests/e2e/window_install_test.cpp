// The installation: cmake --install into a temporary prefix puts the game,
// its whole data directory (never a settings file), a desktop entry and the
// icon in place; the installed game, started from anywhere, finds its data
// and keeps its settings in the user's configuration folder.
#include <sys/stat.h>

#include <filesystem>
#include <set>

#include "window_session.h"

namespace {

std::set<std::string> files_below(const std::string& dir)
{
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
        if (entry.is_regular_file()) files.insert(std::filesystem::relative(entry.path(), dir).string());
    return files;
}

}  // namespace

TEST(Installed, FromAnywhereTheGameFindsItsDataAndKeepsSettingsInTheUsersFolder)
{
    ScratchDir prefix, elsewhere, home;
    std::string said;
    ASSERT_EQ(run_shell(std::string(VALKRON_CMAKE_COMMAND) + " --install " + VALKRON_BINARY_DIR + " --prefix " + prefix.path(), &said), 0) << said;
    // The whole game directory, file for file, and no settings; the desktop
    // entry starts the game from the PATH with its icon, in three sizes.
    const std::string data = prefix.file("share/valkron");
    std::set<std::string> expected;
    for (const std::string& file : files_below(VALKRON_GAME_DIR))
        if (!is_settings_file(file)) expected.insert(file);
    EXPECT_EQ(files_below(data), expected);
    for (const std::string& file : expected)
        EXPECT_EQ(read_file(data + "/" + file), read_file(std::string(VALKRON_GAME_DIR) + "/" + file)) << file;
    const std::string entry = prefix.read_text("share/applications/valkron.desktop");
    for (const char* line : {"[Desktop Entry]\n", "\nExec=valkron --replay %f\n", "\nIcon=valkron\n", "\nTerminal=false\n",
                             "\nMimeType=application/x-valkron-replay;\n"})
        EXPECT_NE(entry.find(line), std::string::npos) << line;
    // Replays are known by their first line: a double-click plays one.
    EXPECT_NE(prefix.read_text("share/mime/packages/valkron.xml").find("value=\"#!valkron-replay \""), std::string::npos);
    for (int32_t size : {64, 128, 256}) {
        PngChannels icon;
        const std::string side = std::to_string(size);
        ASSERT_TRUE(read_png_channels(prefix.file("share/icons/hicolor/" + side + "x" + side + "/apps/valkron.png"), true, icon));
        EXPECT_EQ(icon.width, size);
        EXPECT_EQ(icon.bytes[3], 0) << "a transparent corner";
    }

    // From an empty folder, with XDG_CONFIG_HOME and without: the menu as
    // in the build; Escape saves and ends. (The intro ends by itself: an
    // Escape meant for it would end the game on a machine slow to start.)
    SKIP_WITHOUT_X();
    const auto& frames = menu_frames();
    const std::string config = home.file("xdg/config");  // not there yet
    for (const std::string& env : {"XDG_CONFIG_HOME=" + config, std::string("-u XDG_CONFIG_HOME")}) {
        GameOnScreen run;
        ASSERT_EQ(run.start(400, 300, prefix.file("bin/valkron"), elsewhere.path(), env + " HOME=" + home.path()), "");
        ASSERT_TRUE(run.shows(frames.at("menu 0"), "menu 0", 60));  // after the intro
        ASSERT_TRUE(run.key("Escape"));
        ASSERT_EQ(run.ended(), 0);
    }
    EXPECT_EQ(read_text_file(config + "/valkron/settings.ini"), settings_text(10));
    struct stat info;
    ASSERT_EQ(stat((config + "/valkron").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(home.read_text(".config/valkron/settings.ini"), settings_text(10));
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere.path()));
    for (const std::string& file : files_below(data)) EXPECT_FALSE(is_settings_file(file)) << file;
}
