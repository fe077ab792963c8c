// Computer pilots through valkron-sim: --pilot and the trace's pilot field,
// the same game from the same seed, Enter on a plane item in the menu, the
// strength shown beside the plane and as the name, the Pilot lines.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "sim_support.h"

namespace {

// Escape ends the intro, Enter starts a match on tick 5.
const std::string new_game = "2 down Escape\n3 up Escape\n5 down Enter\n6 up Enter\n";

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        out.push_back(line);
    }
    return out;
}

TEST(SimPilot, PilotsFlyFromTheCommandLineAndTheSameSeedGivesTheSameTrace)
{
    GameCopy copy;
    const std::vector<std::string> args = {"--seed", "31", "--ticks", "900", "--keys", copy.keys(new_game),
                                           "--pilot", "1=ace", "--pilot", "2=Rookie"};
    SimResult result;
    const std::string trace = copy.trace(args, &result);
    const std::vector<std::string> first = lines(trace);
    ASSERT_EQ(result.exit_code, 0) << result.err;
    ASSERT_EQ(first.size(), 900u);
    EXPECT_EQ(copy.trace(args), trace);
    EXPECT_EQ(fnv1a(trace), "c8e9f3e421169845");  // how they fly; a change meant prints the new digest
    int32_t moving = 0;
    for (const std::string& line : first) {
        EXPECT_EQ(trace_field(line, "p0.pilot"), "ace");
        EXPECT_EQ(trace_field(line, "p1.pilot"), "rookie");
        moving += trace_field(line, "mode") == "match" && std::stod(trace_field(line, "p0.speed")) > 0.0;
    }
    EXPECT_GT(moving, 100);  // the Ace flew

    // Two humans: the trace as before; unknown seats and strengths refused.
    const std::vector<std::string> humans = lines(copy.trace({"--seed", "31", "--ticks", "20", "--pilot", "1=human"}));
    ASSERT_EQ(humans.size(), 20u);
    EXPECT_EQ(humans.back().find("\"pilot\""), std::string::npos);
    EXPECT_EQ(copy.run({"--pilot", "3=ace"}).exit_code, 2);
    EXPECT_EQ(copy.run({"--pilot", "1=robot"}).exit_code, 2);
}

TEST(SimPilot, EnterOnAPlaneItemChoosesThePilotWhichTheMenuShowsAndTheFileKeeps)
{
    // Down five times to "Change player's 2 plane", Enter three times
    // (Rookie, Veteran, Ace), a picture, Escape saves and leaves.
    GameCopy copy;
    std::string script = "2 down Escape\n3 up Escape\n";
    for (int32_t i = 0; i < 5; ++i) {
        script += std::to_string(10 + 2 * i) + " down Down\n" + std::to_string(11 + 2 * i) + " up Down\n";
    }
    for (int32_t i = 0; i < 3; ++i) {
        script += std::to_string(30 + 2 * i) + " down Enter\n" + std::to_string(31 + 2 * i) + " up Enter\n";
    }
    script += "50 down Escape\n";
    const std::string before = copy.path("before.png"), after = copy.path("after.png");
    const SimResult result = copy.run(
        {"--ticks", "60", "--keys", copy.keys(script), "--png", "28:" + before, "--png", "40:" + after});
    ASSERT_EQ(result.exit_code, 0) << result.err;
    Picture humans, ace;
    ASSERT_TRUE(read_png(before, humans));
    ASSERT_TRUE(read_png(after, ace));
    // Right of the pulsing hint, only two places change: "Ace" one space
    // after "Happy" (250 + 8 * 6) on player 2's plane row, and "Ace" in
    // place of "Player 2" on the name row.
    int32_t beside_plane = 0, name_row = 0, elsewhere = 0;
    for (int32_t y = 230; y < 300; ++y) {
        for (int32_t x = 200; x < 400; ++x) {
            if (humans.at(x, y) != ace.at(x, y)) {
                const bool plane_text = y >= 270 && y < 280 && x >= 298;
                const bool name_text = y >= 250 && y < 270 && x >= 220 && x < 288;
                (plane_text ? beside_plane : name_text ? name_row : elsewhere) += 1;
            }
        }
    }
    EXPECT_GT(beside_plane, 20);
    EXPECT_GT(name_row, 20);
    EXPECT_EQ(elsewhere, 0);
    EXPECT_EQ(copy.game.read_text("Settings.ini"),
              "ResX=400\nResY=300\nLimit=10\nPlane.0=0\nPlane.1=0\nName.0=Player 1\nName.1=Player 2\n"
              "Pilot.1=Ace\n");

    // Read back in any letter case; a strength it does not know flies as a
    // human.
    copy.game.write("Settings.ini", "ResX=400\nResY=300\nLimit=10\nPlane.0=0\nPlane.1=0\nName.0=Player 1\n"
                                    "Name.1=Player 2\nPilot.0=rOOKIE\nPilot.1=Robot\n");
    const std::vector<std::string> match =
        lines(copy.trace({"--seed", "5", "--ticks", "30", "--keys", copy.keys(new_game)}));
    ASSERT_EQ(match.size(), 30u);
    EXPECT_EQ(trace_field(match.back(), "mode"), "match");
    EXPECT_EQ(trace_field(match.back(), "p0.pilot"), "rookie");
    EXPECT_EQ(trace_field(match.back(), "p1.pilot"), "human");
}

}  // namespace
