// The settings file: seven lines read by position, written whole.
#include <cstring>
#include <filesystem>
#include <string>

#include "shell/settings.h"
#include "game/match.h"
#include "game/weapons.h"
#include "game/world.h"
#include "shell/credits.h"
#include "shell/pictures.h"
#include "shell/screens.h"
#include "shell/settings.h"
#include "shell/startup.h"
#include "shell_fixture.h"

namespace {

class SettingsTest : public ShellTest {
protected:
    void read(const std::string& text, const std::string& name = "settings.ini")
    {
        dir.write(name, text);
        read_settings();
    }
};

const char full_file[] =
    "ResX=640\nResY=480\nLimit=3\nPlane.0=5\nPlane.1=2\nName.0=Red Baron\nName.1=Snoopy\n";

TEST_F(SettingsTest, WithoutAFileEverySettingKeepsItsDefault)
{
    read_settings();
    EXPECT_EQ(current_settings(), default_settings);
}

TEST_F(SettingsTest, SevenLinesSetEverySetting)
{
    read(full_file);
    EXPECT_EQ(current_settings(),
              (Settings{640, 480, 3, 3, {5, 2}, {"Needle", "Titan Hs"}, {"Red Baron", "Snoopy"}}));
}

TEST_F(SettingsTest, OnlyThePositionOfALineCounts)
{
    read("Width=640\nName.0=384\nPlane.1=4\nfoo=1\nbar=3\nx=Ann\ny=Bob\n");
    EXPECT_EQ(current_settings(), (Settings{640, 384, 1, 4, {1, 3}, {"Goliash 215", "Lizard 372"}, {"Ann", "Bob"}}));
}

TEST_F(SettingsTest, TheResolutionIndexFollowsTheHeightAlone)
{
    const struct {
        const char* text;
        int32_t width, height, index;
    } cases[] = {
        {"ResX=512\nResY=480\n", 512, 480, 3},  {"ResX=400\nResY=300\n", 400, 300, 0},
        {"ResX=512\nResY=384\n", 512, 384, 1},  {"ResX=640\nResY=400\n", 640, 400, 2},
        {"ResX=800\nResY=600\n", 800, 600, 4},  {"ResX=1024\nResY=768\n", 1024, 768, 5},
        {"ResX=800\nResY=1000\n", 800, 1000, 0}, {"ResX=640\nResY=500\n", 640, 500, 0},
        {"ResX=123\n", 123, 300, 0},
    };
    for (const auto& c : cases) {
        reset_program_state();
        read(c.text);
        EXPECT_EQ(res_x, c.width) << c.text;
        EXPECT_EQ(res_y, c.height) << c.text;
        EXPECT_EQ(resolution_index, c.index) << c.text;
    }
}

TEST_F(SettingsTest, NumbersAreReadUpToTheFirstOtherCharacter)
{
    read("ResX=400\nResY=300\nLimit=abc\n");
    EXPECT_EQ(frag_limit, 10);
    reset_program_state();
    read("ResX=400\nResY=300\nLimit=7 frags\n");
    EXPECT_EQ(frag_limit, 7);
    reset_program_state();
    read("ResX=400\nResY=300\nLimit=  -3\n");
    EXPECT_EQ(frag_limit, -3);
    reset_program_state();
    read("ResX=+512x\nResY=\nLimit=-\n");
    EXPECT_EQ(res_x, 512);
    EXPECT_EQ(res_y, 300);
    EXPECT_EQ(frag_limit, 10);
}

TEST_F(SettingsTest, APlaneOutsideTheTableOrWithoutDigitsIsTheFirst)
{
    for (const char* value : {"6", "-1", "abc", "", "99999999999"}) {
        reset_program_state();
        plane_index[1] = 4;
        read(std::string("ResX=400\nResY=300\nLimit=10\nPlane.0=3\nPlane.1=") + value + "\n");
        EXPECT_EQ(plane_index[0], 3);
        EXPECT_STREQ(plane_name[0], "Lizard 372");
        EXPECT_EQ(plane_index[1], 0) << value;
        EXPECT_STREQ(plane_name[1], "Happy") << value;
    }
}

TEST_F(SettingsTest, TheLastNameLosesItsLastCharacterWithoutALineEnd)
{
    read("ResX=400\nResY=300\nLimit=10\nPlane.0=0\nPlane.1=0\nName.0=Bob\nName.1=Anna");
    EXPECT_STREQ(player_name[0], "Bob");
    EXPECT_STREQ(player_name[1], "Ann");
    reset_program_state();
    read("ResX=400\nResY=300\nLimit=10\nPlane.0=0\nPlane.1=0\nName.0=Bob\nName.1=");
    EXPECT_STREQ(player_name[1], "");
}

TEST_F(SettingsTest, NamesKeepSpacesAndOtherCharactersAndAreCutTo31)
{
    const std::string long_name(100, 'x');
    read("ResX=400\nResY=300\nLimit=10\nPlane.0=0\nPlane.1=0\nName.0=  A b=c! 9\nName.1=" +
         long_name + "\n");
    EXPECT_STREQ(player_name[0], "  A b=c! 9");
    EXPECT_EQ(std::string(player_name[1]), std::string(31, 'x'));
}

TEST_F(SettingsTest, ReadingStopsAtAShortFileOrALineWithoutEquals)
{
    read("ResX=512\nResY=384\n");
    EXPECT_EQ(res_x, 512);
    EXPECT_EQ(res_y, 384);
    EXPECT_EQ(frag_limit, 10);
    EXPECT_STREQ(player_name[0], "Player 1");

    reset_program_state();
    read("ResX=512\nResY=384\nLimit 5\nPlane.0=5\nPlane.1=5\nName.0=Zed\nName.1=Kim\n");
    EXPECT_EQ(res_y, 384);
    EXPECT_EQ(frag_limit, 10);
    EXPECT_EQ(plane_index[0], 0);
    EXPECT_STREQ(player_name[0], "Player 1");
}

TEST_F(SettingsTest, LinesAfterTheSeventhAreIgnored)
{
    read(std::string(full_file) + "ResX=1024\nResY=768\nLimit=99\n");
    EXPECT_EQ(res_x, 640);
    EXPECT_EQ(frag_limit, 3);
}

TEST_F(SettingsTest, CrLfLinesReadLikeLfLines)
{
    read("ResX=640\r\nResY=400\r\nLimit=5\r\nPlane.0=1\r\nPlane.1=2\r\nName.0=Ann\r\nName.1=Bob\r\n");
    EXPECT_EQ(res_y, 400);
    EXPECT_EQ(resolution_index, 2);
    EXPECT_STREQ(player_name[0], "Ann");
    EXPECT_STREQ(player_name[1], "Bob");
}

TEST_F(SettingsTest, TheFileIsFoundInAnyLetterCase)
{
    read(full_file, "SETTINGS.INI");
    EXPECT_EQ(res_x, 640);
    EXPECT_STREQ(player_name[1], "Snoopy");
}

TEST_F(SettingsTest, WritingGivesSevenLinesFromTheGlobals)
{
    write_settings();
    EXPECT_EQ(dir.read_text("Settings.ini"),
              "ResX=400\nResY=300\nLimit=10\nPlane.0=0\nPlane.1=0\nName.0=Player 1\nName.1=Player 2\n");

    res_x = 1024;
    res_y = 768;
    frag_limit = -2;
    plane_index[0] = 5;
    plane_index[1] = 1;
    std::strcpy(player_name[0], "Bob");
    std::strcpy(player_name[1], "A B C");
    write_settings();
    EXPECT_EQ(dir.read_text("Settings.ini"),
              "ResX=1024\nResY=768\nLimit=-2\nPlane.0=5\nPlane.1=1\nName.0=Bob\nName.1=A B C\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("Settings.ini.tmp")));
}

TEST_F(SettingsTest, WhatIsWrittenReadsBack)
{
    res_x = 800;
    res_y = 600;
    frag_limit = 25;
    plane_index[0] = 4;
    plane_index[1] = 3;
    std::strcpy(player_name[0], std::string(31, 'q').c_str());
    std::strcpy(player_name[1], "x y");
    write_settings();
    reset_program_state();
    read_settings();
    EXPECT_EQ(current_settings(),
              (Settings{800, 600, 4, 25, {4, 3}, {"Lizard 486", "Lizard 372"}, {std::string(31, 'q'), "x y"}}));
}

TEST_F(SettingsTest, WritingReplacesTheFileTheReaderReads)
{
    dir.write("SETTINGS.INI", "ResX=640\n");
    frag_limit = 42;
    write_settings();
    EXPECT_FALSE(std::filesystem::exists(dir.file("Settings.ini")));
    EXPECT_EQ(dir.read_text("SETTINGS.INI").substr(0, 28), "ResX=400\nResY=300\nLimit=42\nP");
    reset_program_state();
    read_settings();
    EXPECT_EQ(frag_limit, 42);
}

TEST_F(SettingsTest, AFileThatCannotBeWrittenLeavesTheOldOneWhole)
{
    dir.write("Settings.ini", full_file);
    dir.make_dir("Settings.ini.tmp");  // the new contents cannot go there
    frag_limit = 77;
    write_settings();
    EXPECT_EQ(dir.read_text("Settings.ini"), full_file);
}

}  // namespace
