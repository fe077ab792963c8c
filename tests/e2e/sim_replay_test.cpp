// Replays through valkron-sim: a match recorded by one run and played by
// another gives the same frames, sounds and aeroplanes tick for tick; a
// replay from another version, cut short or corrupt is refused with one
// line; the folder keeps the newest fifty.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "sim_support.h"

namespace {

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A trace line less its tick number.
std::string without_tick(const std::string& line)
{
    return line.substr(line.find(",\"mode\""));
}

std::vector<std::string> replays_in(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// Intro skipped, New game at tick 4 (the match's tick 1), both players
// fly, turn and fire; Escape leaves the match at tick 300.
const char* const match_keys =
    "2 down Escape\n3 up Escape\n4 down Enter\n5 up Enter\n"
    "5 down Insert\n5 down Left\n5 down 1\n5 down A\n20 down Home\n21 up Home\n"
    "60 up Left\n60 down Right\n61 down 3\n62 up 3\n120 up Insert\n150 down Up\n200 up Right\n"
    "300 down Escape\n301 up Escape\n";

}  // namespace

TEST(Replay, ARecordedMatchPlaysBackWithTheSameFramesSoundsAndAeroplanes)
{
    // Players who leave with Escape; two computer pilots to one frag, then
    // the winner's screen and the menu.
    const struct {
        const char *settings, *keys, *ticks, *file, *lines, *end;
        size_t played;
    } rows[] = {
        {"ResX=512\nResY=384\nLimit=3\nPlane.0=2\nPlane.1=4\nName.0=Ann\nName.1=Bo b/\n", match_keys, "320",
         "-Ann-vs-Bo_b_.keys", "\n#@ name2 Bo b/\n", "\n297 down Escape\n#@ end 297 left\n", 297},
        {"ResX=400\nResY=300\nLimit=1\nPlane.0=1\nPlane.1=3\nName.0=Ann\nName.1=Bob\nPilot.0=Ace\nPilot.1=Veteran\n",
         "2 down Escape\n3 up Escape\n4 down Enter\n5 up Enter\n", "400", "-Ann-vs-Bob.keys", "\n#@ pilot1 Ace\n",
         "\n2 up Enter\n#@ end 194 winner\n", 240},
    };
    for (const auto& row : rows) {
        GameCopy copy;
        copy.game.write("settings.ini", row.settings);
        const std::string folder = copy.path("replays");
        const std::string original =
            copy.trace({"--seed", "77", "--ticks", row.ticks, "--keys", copy.keys(row.keys), "--record", folder});
        const std::vector<std::string> names = replays_in(folder);
        ASSERT_EQ(names.size(), 1u);
        EXPECT_NE(names[0].find(row.file), std::string::npos) << names[0];
        const std::string replay = read_text_file(folder + "/" + names[0]);
        EXPECT_EQ(lines_of(replay).at(0), "#!valkron-replay 1");
        for (const char* part : {"\n#@ seed 77\n", row.lines, row.end}) EXPECT_NE(replay.find(part), std::string::npos) << replay;

        // The replay's tick 1 is the original's tick 4, its end the match's.
        SimResult result;
        const std::vector<std::string> played = lines_of(
            copy.trace({"--replay", folder + "/" + names[0], "--ticks", std::to_string(row.played)}, &result));
        const std::vector<std::string> expected = lines_of(original);
        ASSERT_EQ(result.exit_code, 0) << result.err;
        ASSERT_EQ(played.size(), row.played);
        for (size_t t = 0; t < played.size(); ++t)
            ASSERT_EQ(without_tick(played[t]), without_tick(expected.at(t + 3))) << "replay tick " << t + 1;
        EXPECT_EQ(trace_field(played.back(), "mode"), "menu");
        // The settings file is the player's own still.
        EXPECT_EQ(copy.game.read_text("settings.ini"), row.settings);
    }

    // The sample in docs plays; valkron-sim --keys reads a replay as a key
    // script, the header being comments to it.
    GameCopy copy;
    for (const char* option : {"--replay", "--keys"})
        EXPECT_EQ(copy.run({"--ticks", "10", option, VALKRON_SOURCE_DIR "/docs/replay.keys"}).exit_code, 0) << option;
}

TEST(Replay, AnotherVersionACutOrACorruptFileIsRefusedWithOneLine)
{
    GameCopy copy;
    const std::string folder = copy.path("replays");
    copy.trace({"--seed", "5", "--ticks", "60", "--keys", copy.keys(match_keys), "--record", folder});
    const std::string good = read_text_file(folder + "/" + replays_in(folder).at(0));
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        return text.replace(text.find(from), from.size(), to);
    };
    const struct {
        std::string text, why;
    } cases[] = {
        {replaced("#!valkron-replay 1", "#!valkron-replay 2"), "made by another version (replay version 2, this game plays 1)"},
        {good.substr(0, good.size() / 2 + 3), "truncated: its last line is cut off"},
        {good.substr(0, good.rfind("#@ end")), "truncated: no end line"},
        {std::string("\x89PNG\r\n\x1a\n\0\0garbage", 16), "not a replay (no \"#!valkron-replay\" first line)"},
        {replaced("#@ screen 400x300", "#@ screen 99999x300"), "line 5: a bad \"#@ screen\" line"},
        {replaced("#@ plane1 Happy", "#@ plane1 Spitfire"), "line 7: a bad \"#@ plane1\" line"},
        {replaced("#@ random", "#@ random 1\n#@ colour"), "line 5: unknown header line \"#@ colour\""},
        {replaced("#@ keys2 W S A D 1 2 3\n", ""), "no \"#@ keys2\" line"},
        {replaced("2 down Insert", "2 down Nothing"), "a bad key line"},
        {replaced("2 down Insert", "2 down Pad1.A"), "a pad line (replays hold keys only)"},
        {replaced("2 down Insert", "999 down Insert"), "ticks out of order"},
        {good + "3 down Up\n", "more after the end line"},
        {"", "empty"},
    };
    for (const auto& c : cases) {
        const std::string path = copy.work.write("bad.keys", c.text);
        const SimResult result = copy.run({"--replay", path, "--trace", copy.path("t")});
        EXPECT_EQ(result.exit_code, 2) << c.why;
        EXPECT_NE(result.err.find(c.why), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
    EXPECT_NE(copy.run({"--replay", copy.path("missing.keys")}).exit_code, 0);
}

TEST(Replay, TheFolderKeepsTheNewestFifty)
{
    GameCopy copy;
    const std::string folder = copy.work.make_dir("replays");
    for (int i = 0; i < 55; ++i) copy.work.write("replays/2000-01-01-0000" + std::to_string(10 + i) + "-a-vs-b.keys", "");
    copy.work.write("replays/best.keys", "mine");
    copy.trace({"--ticks", "30", "--keys", copy.keys(match_keys), "--record", folder});
    const std::vector<std::string> names = replays_in(folder);
    ASSERT_EQ(names.size(), 51u);
    EXPECT_EQ(names.front(), "2000-01-01-000016-a-vs-b.keys");
    EXPECT_NE(names.at(49).find("-Player_1-vs-Player_2.keys"), std::string::npos) << names.at(49);
    EXPECT_EQ(names.back(), "best.keys");
}
