// The settings file: seven lines read by position, our options after them,
// everything written back whole.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "scratch_dir.h"
#include "shell/settings.h"

namespace {

// The settings globals in one line.
std::string settings()
{
    return std::to_string(res_x) + "x" + std::to_string(res_y) + " #" + std::to_string(resolution_index) +
           " limit " + std::to_string(frag_limit) + " planes " + std::to_string(plane_index[0]) + " " +
           plane_name[0] + ", " + std::to_string(plane_index[1]) + " " + plane_name[1] + " names " +
           player_name[0] + "|" + player_name[1];
}

const std::string names = " names Player 1|Player 2";
const std::string planes = " planes 0 Happy, 0 Happy" + names;
const std::string limit = " limit 10" + planes;
const std::string defaults = "400x300 #0" + limit;
const std::string seven = "ResX=640\nResY=480\nLimit=3\nPlane.0=5\nPlane.1=2\nName.0=Red Baron\nName.1=Snoopy\n";
const std::string seven_read = "640x480 #3 limit 3 planes 5 Needle, 2 Titan Hs names Red Baron|Snoopy";

class Settings : public ::testing::Test {
protected:
    void SetUp() override { reset_settings(); }
    void TearDown() override { reset_settings(); }
    ScratchWorkingDirectory cwd;
};

TEST_F(Settings, LinesAreReadByPosition)
{
    const std::string plane_lines = "ResX=400\nResY=300\nLimit=10\nPlane.0=3\nPlane.1=";
    const std::string plane_read = "400x300 #0 limit 10 planes 3 Lizard 372, 0 Happy" + names;
    const std::string name_lines = "ResX=400\nResY=300\nLimit=10\nPlane.0=0\nPlane.1=0\nName.0=";
    const std::string name_read = "400x300 #0 limit 10 planes 0 Happy, 0 Happy names ";
    const struct {
        const char* file;  // null: no file
        std::string text;
        std::string read;
    } cases[] = {
        {nullptr, "", defaults},
        {"settings.ini", seven, seven_read},
        {"SETTINGS.INI", seven, seven_read},  // found in any letter case
        {"settings.ini", seven + "ResX=1024\nResY=768\nLimit=99\n", seven_read},  // lines after the seventh
        {"settings.ini", "ResX=640\r\nResY=400\r\nLimit=5\r\nPlane.0=1\r\nPlane.1=2\r\nName.0=Ann\r\nName.1=Bob\r\n",
         "640x400 #2 limit 5 planes 1 Goliash 215, 2 Titan Hs names Ann|Bob"},
        // Keys are not compared.
        {"settings.ini", "Width=640\nName.0=384\nPlane.1=4\nfoo=1\nbar=3\nx=Ann\ny=Bob\n",
         "640x384 #1 limit 4 planes 1 Goliash 215, 3 Lizard 372 names Ann|Bob"},
        // The index follows the height alone, from the second line on.
        {"settings.ini", "ResX=512\nResY=480", "512x480 #3" + limit},
        {"settings.ini", "ResX=800\nResY=1000\n", "800x1000 #0" + limit},
        {"settings.ini", "ResX=123\n", "123x300 #0" + limit},
        {"settings.ini", "ResX=512\nResY=768\n", "512x768 #5" + limit},
        // Numbers up to the first other character; none leaves the default.
        {"settings.ini", "ResX=+512x\nResY=\nLimit=abc\n", "512x300 #0" + limit},
        {"settings.ini", "ResX=400\nResY=384\nLimit=7 frags\n", "400x384 #1 limit 7" + planes},
        {"settings.ini", "ResX=400\nResY=300\nLimit=  -3\n", "400x300 #0 limit -3" + planes},
        // A line without "=" ends the reading.
        {"settings.ini", "ResX=512\nResY=384\nLimit 5\nPlane.0=5\n", "512x384 #1" + limit},
        // Planes outside the table, or without digits, are the first.
        {"settings.ini", plane_lines + "6\n", plane_read},
        {"settings.ini", plane_lines + "-1\n", plane_read},
        {"settings.ini", plane_lines + "x\n", plane_read},
        {"settings.ini", plane_lines + "99999999999\n", plane_read},
        // Names lose their last character (the line end) and keep the rest,
        // cut to 31 characters.
        {"settings.ini", name_lines + "  A b=c! 9\nName.1=Anna", name_read + "  A b=c! 9|Ann"},
        {"settings.ini", name_lines + std::string(40, 'q') + "\nName.1=", name_read + std::string(31, 'q') + "|"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        reset_settings();
        for (const auto& entry : std::filesystem::directory_iterator(cwd.dir.path())) {
            std::filesystem::remove(entry.path());
        }
        if (c.file) cwd.dir.write(c.file, c.text);
        read_settings();
        EXPECT_EQ(settings(), c.read);
    }
}

TEST_F(Settings, WritingGivesSevenLinesAndTheOptionsAndReadsBack)
{
    cwd.dir.write("SETTINGS.INI", seven + "Window=2\nno equals\nVolume=5\n=7\nWindow=3");
    read_settings();
    ASSERT_NE(settings_option("Window"), nullptr);
    EXPECT_STREQ(settings_option("Window"), "2");
    EXPECT_STREQ(settings_option("Volume"), "5");
    EXPECT_EQ(settings_option("ResX"), nullptr);
    set_settings_option("Volume", "7");
    set_settings_option("Size", "big");
    frag_limit = -2;
    std::strcpy(player_name[0], std::string(31, 'q').c_str());
    write_settings();
    const std::string written = "ResX=640\nResY=480\nLimit=-2\nPlane.0=5\nPlane.1=2\nName.0=" + std::string(31, 'q') +
                                "\nName.1=Snoopy\nWindow=2\nVolume=7\nSize=big\n";
    EXPECT_EQ(cwd.dir.read_text("SETTINGS.INI"), written);  // the file the reader found
    EXPECT_FALSE(std::filesystem::exists(cwd.dir.file("Settings.ini")));
    reset_settings();
    EXPECT_EQ(settings_option("Window"), nullptr);
    read_settings();
    EXPECT_EQ(settings(), "640x480 #3 limit -2 planes 5 Needle, 2 Titan Hs names " + std::string(31, 'q') + "|Snoopy");

    // A new file is "Settings.ini"; one that cannot be replaced stays whole.
    std::filesystem::remove(cwd.dir.file("SETTINGS.INI"));
    reset_settings();
    write_settings();
    EXPECT_EQ(cwd.dir.read_text("Settings.ini"),
              "ResX=400\nResY=300\nLimit=10\nPlane.0=0\nPlane.1=0\nName.0=Player 1\nName.1=Player 2\n");
    cwd.dir.make_dir("Settings.ini.tmp");
    frag_limit = 77;
    write_settings();
    EXPECT_EQ(cwd.dir.read_text("Settings.ini").substr(18, 9), "Limit=10\n");
}

}  // namespace
