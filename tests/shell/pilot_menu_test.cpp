// Choosing a computer pilot in the menu: Enter on a plane item, the
// settings file's Pilot lines, the names shown.
#include <cstring>
#include <string>

#include "game/pilot.h"
#include "platform/keys.h"
#include "shell/menu.h"
#include "shell/settings.h"
#include "shell_fixture.h"

namespace {

class PilotMenuTest : public ShellTest {};

TEST_F(PilotMenuTest, EnterOnAPlaneItemCyclesThePilotAndTheFileKeepsIt)
{
    start_menu(400, 300);
    menu_item = menu_plane_2;
    const char* expected[] = {"Rookie", "Veteran", "Ace", "Human", "Rookie"};
    for (const char* name : expected) {
        const size_t sounds_before = sounds.size();
        key(VK_RETURN);
        EXPECT_STREQ(pilot_names[pilot_kind[1]], name);
        EXPECT_EQ(sounds.size(), sounds_before + 1);  // the choice sound
    }
    EXPECT_EQ(pilot_kind[0], pilot_human);
    EXPECT_STREQ(plane_name[1], "Happy");  // the plane itself is untouched

    write_settings();
    const std::string written = dir.read_text("Settings.ini");
    EXPECT_EQ(written, "ResX=400\nResY=300\nLimit=10\nPlane.0=0\nPlane.1=0\nName.0=Player 1\n"
                       "Name.1=Player 2\nPilot.1=Rookie\n");

    // Read back (in any letter case; unknown values fly as humans).
    dir.write("Settings.ini", written.substr(0, written.size() - 15) + "Pilot.0=ACE\nPilot.1=Robot\n");
    reset_settings();
    read_settings();
    read_pilot_settings();
    EXPECT_EQ(pilot_kind[0], pilot_ace);
    EXPECT_EQ(pilot_kind[1], pilot_human);
}

TEST_F(PilotMenuTest, ADefaultFileStaysSevenLines)
{
    start_menu(400, 300);
    menu_item = menu_plane_1;
    key(VK_LEFT);
    key(VK_RIGHT);
    write_settings();
    EXPECT_EQ(dir.read_text("Settings.ini"),
              "ResX=400\nResY=300\nLimit=10\nPlane.0=1\nPlane.1=0\nName.0=Player 1\nName.1=Player 2\n");
}

TEST_F(PilotMenuTest, AComputerPilotWithoutANameIsCalledByItsStrength)
{
    pilot_kind[0] = pilot_veteran;
    EXPECT_STREQ(shown_player_name(0), "Veteran");
    EXPECT_STREQ(shown_player_name(1), "Player 2");  // a human keeps the default
    std::strcpy(player_name[0], "Red");
    EXPECT_STREQ(shown_player_name(0), "Red");
    pilot_kind[0] = pilot_human;
}

TEST_F(PilotMenuTest, TheMenuShowsThePilotBesideThePlaneOnlyForAComputer)
{
    start_menu(400, 300);
    tick();
    const Frame humans = last;
    pilot_kind[1] = pilot_ace;
    tick();
    // The font's glyphs are solid blocks: "Ace" one space after "Happy"
    // (250 + 8 * 6 = 298) on player 2's plane row, the name row shows "Ace"
    // in place of "Player 2"; nothing else changes among the names and
    // planes (the selected item above pulses from frame to frame).
    int32_t changed_outside = 0;
    for (int32_t y = 230; y < 300; ++y) {
        for (int32_t x = 0; x < 400; ++x) {
            const bool pilot_text = y > 270 && y <= 279 && x >= 298 && x < 322;
            const bool name_row = y > 260 && y <= 269 && x >= 220 && x < 284;
            if (!pilot_text && !name_row && humans.at(x, y) != last.at(x, y)) {
                ++changed_outside;
            }
        }
    }
    EXPECT_EQ(changed_outside, 0);
    EXPECT_EQ(last.at(300, 274), 0x0000FF00u);
    EXPECT_NE(humans.at(300, 274), 0x0000FF00u);
    EXPECT_EQ(humans.at(250, 264), 0x0000FF00u);  // "Player 2" reaches here, "Ace" does not
    EXPECT_NE(last.at(250, 264), 0x0000FF00u);
    pilot_kind[1] = pilot_human;
}

}  // namespace
