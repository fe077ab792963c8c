// Computer pilots through valkron-sim: --pilot, the trace's pilot field and
// the same game from the same seed.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "sim_runner.h"

namespace {

TEST(SimPilotTest, PilotsFlyFromTheCommandLineAndTheSameSeedGivesTheSameTrace)
{
    if (!sim_program()) {
        GTEST_SKIP() << "valkron-sim is not part of this build";
    }
    GameCopy copy;
    if (!std::filesystem::exists(copy.game.file("Fonts.tex"))) {
        GTEST_SKIP() << "no game directory at " << VALKRON_GAME_DIR;
    }
    // Skip the intro, start a match and let the pilots fly it.
    const std::string keys = copy.keys("2 down Escape\n3 up Escape\n5 down Enter\n6 up Enter\n");
    const std::vector<std::string> args = {"--seed", "31", "--ticks", "900", "--keys", keys,
                                           "--pilot", "1=ace", "--pilot", "2=Rookie"};
    SimResult result;
    const std::vector<Json> first = copy.trace(args, &result);
    ASSERT_EQ(result.exit_code, 0) << result.err;
    const std::vector<Json> second = copy.trace(args);
    ASSERT_EQ(first.size(), 900u);
    ASSERT_EQ(second.size(), first.size());
    int held_frames = 0;
    for (size_t i = 0; i < first.size(); ++i) {
        ASSERT_EQ(first[i].text, second[i].text);
        ASSERT_EQ(first[i]["frame"].text, second[i]["frame"].text) << "tick " << i + 1;
        ASSERT_EQ(first[i]["players"][0]["matrix"][12].value, second[i]["players"][0]["matrix"][12].value);
        EXPECT_EQ(first[i]["players"][0]["pilot"].text, "ace");
        EXPECT_EQ(first[i]["players"][1]["pilot"].text, "rookie");
        held_frames += first[i]["mode"].text == "match" && first[i]["players"][0]["speed"].value > 0.0;
    }
    EXPECT_GT(held_frames, 100);  // the ace flew

    // --pilot N=human, and unknown strengths refused.
    const std::vector<Json> humans = copy.trace({"--seed", "31", "--ticks", "20", "--pilot", "1=human"});
    ASSERT_EQ(humans.size(), 20u);
    EXPECT_FALSE(humans.back()["players"][0].has("pilot"));  // two humans: the trace as before
    EXPECT_EQ(copy.run({"--pilot", "3=ace"}).exit_code, 2);
    EXPECT_EQ(copy.run({"--pilot", "1=robot"}).exit_code, 2);
}

}  // namespace
