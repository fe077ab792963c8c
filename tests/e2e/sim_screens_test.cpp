// The whole game through valkron-sim on the generated data, one row per
// screen and rule: a settings file, a key script and the number of ticks;
// trace fields at chosen ticks, and a digest of the whole trace (every
// field and frame hash of every tick) as the current game draws it. When a
// change to what the game shows is meant, the failure prints the new digest.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "sim_support.h"

namespace {

struct Row {
    const char* name;
    const char* settings;  // settings.ini, or null for none
    // "T:Key" pressed before tick T, "T^Key" released, "T:Key*n" n times;
    // "@docs/x.keys" a committed script's lines (":N" up to tick N).
    const char* keys;
    int ticks;
    const char* checks;  // "T field=value ...": fields of tick T (p0./p1. the players'),
                         // "frame=docs/x.png" that picture's hash, "lines=N" the trace's length
    const char* digest;
    const char* saved = nullptr;    // the settings file afterwards (null: as it was)
    const char* removed = nullptr;  // taken out of the game directory first
    const char* err = "";
};

const char* const readme_players = "ResX=640\nResY=480\nLimit=10\nPlane.0=2\nPlane.1=0\nName.0=Ann\nName.1=Bob\n";

const Row rows[] = {
    {"IntroDrawsTwoHundredFramesThenTheMenu", nullptr, "", 202,
     "1 mode=intro screen_timer=5 sounds=[] 200 mode=intro screen_timer=1000 201 mode=menu screen_timer=1005", "37563e63253a6cde"},
    {"EscapeEndsTheIntroTwoTicksLater", nullptr, "10:Escape 11^Escape", 13,
     "9 screen_timer=45 10 mode=intro screen_timer=1000 11 mode=menu", "c788cc3f7bc49d3e"},
    // Every item's arrows and Enter; the limit repaired by any Left; Exit.
    // Enter on a plane item hands that aeroplane to the next pilot (Human,
    // Rookie, Veteran, Ace), which the file keeps after the seven lines.
    {"MenuItemsTheirValuesAndExit", "ResX=400\nResY=300\nLimit=-5\n",
     "1:Escape 3:Up 4:Right 5:Left 6:Down 7:Right*2 8:Left*5 9:Right*2 10:Enter 11:0x28 12:40 13:down 14:Enter "
     "15:Left 16:Right*6 17:Enter 18:Down 19:Right*2 20:Left 21:Enter 22:Down*3 23:Enter 24:Left 25:Down*3 27:Enter",
     30, "3 menu_item=0 sounds=[0] frag_limit=-5 5 frag_limit=1 7 menu_item=1 frag_limit=3 8 frag_limit=1 9 frag_limit=3 "
     "13 menu_item=4 14 sounds=[1] 17 sounds=[1] 21 sounds=[1] 23 sounds=[] 24 menu_item=8 res_x=400 mode=menu "
     "26 menu_item=9 27 sounds=[1] lines=27",
     "2075059c2987f435",
     "ResX=400\nResY=300\nLimit=3\nPlane.0=5\nPlane.1=1\nName.0=Player 1\nName.1=Player 2\nPilot.0=Veteran\n"
     "Pilot.1=Rookie\n"},
    // Typing: capitals after the first letter become small, keypad and
    // function keys give small letters; the arrows still work; Escape
    // while typing saves the name as it stands.
    {"NamesAreTypedWithTheFirstCapitalOnly", nullptr,
     "1:Escape 3:Down*2 4:Enter 5:Backspace*9 6:B 6:O 6:B 8:Space 8:Num1 8:0x6B 8:F1 8:F11 8:7 9:Backspace 10:Enter "
     "11:X 12:Down 13:Enter 14:Q*40 15:Backspace 15:Z 16:Down 17:Right 19:Escape",
     25, "4 name_edit=1 sounds=[1] 10 name_edit=0 sounds=[1] 13 name_edit=2 17 menu_item=4 name_edit=2 lines=19", "784fa2aa4f07ab48",
     "ResX=400\nResY=300\nLimit=10\nPlane.0=1\nPlane.1=0\nName.0=Bob akpz\nName.1=Player 2qqqqqqqqqqqqqqqqqqqqqqz\n"},
    {"HelpScrollsAndEscapeReturnsThenEscapeEnds", nullptr,
     "1:Escape 3:Down*6 4:Enter 6:Down 7:Down 8:Up 9:Down*200 11:Up 13:Escape 15:Escape", 20,
     "4 mode=help sounds=[1] 6 sounds=[] menu_item=6 13 mode=menu 15 sounds=[] lines=15", "7ac2f4286a070316",
     "ResX=400\nResY=300\nLimit=10\nPlane.0=0\nPlane.1=0\nName.0=Player 1\nName.1=Player 2\n"},
    // The credits ripple; Up and Down move the hidden selection, and a
    // resolution change made there brings the credits back after the intro.
    {"CreditsRippleAndComeBackAfterAResolutionChange", nullptr,
     "1:Escape 3:Down*7 4:Enter 30:Down 32:Right 34:Escape 45:Escape", 48,
     "4 mode=credits 30 sounds=[0] menu_item=8 32 res_x=512 33 mode=intro 36 mode=credits 45 mode=menu menu_item=8",
     "2f80d2735e04aa31"},
    // A change replays the intro at the new size; the menu picture scaled.
    {"EveryResolutionReplaysTheIntro", nullptr,
     "1:Escape 3:Down*8 3:Left 4:Right 6:Escape 9:Right 11:Escape 14:Right 16:Escape 19:Right 21:Escape 24:Right "
     "26:Escape 29:Right 30:Left 32:Escape",
     36, "3 res_x=400 mode=menu 4 res_x=512 res_y=384 frame=null 5 mode=intro screen_timer=5 8 mode=menu 9 res_y=400 "
     "14 res_y=480 19 res_x=800 24 res_x=1024 res_y=768 29 mode=menu 30 res_x=800 res_y=600 36 mode=menu", "15dd9960e7e1487b"},
    {"SettingsChooseTheScreenAndItsIndexByHeight", "ResX=512\nResY=480\nLimit=3\n", "1:Escape 3:Down*8 4:Left", 8,
     "1 res_x=512 res_y=480 frag_limit=3 4 res_x=640 res_y=400", "89da48357a4ea9b1"},
    {"AnUnknownHeightIsIndexZero", "ResX=800\nResY=1000\n", "1:Escape 3:Down*8 4:Right", 8,
     "1 res_x=800 res_y=1000 4 res_x=512 res_y=384", "f79f0edf1e9705f8"},
    // At rest an aeroplane stays there, coasting (player 2) or braking.
    {"AnAeroplaneAtRestStaysThere", readme_players, "1:Escape 3:Enter 6:Delete", 12,
     "10 mode=match p0.speed=0 p1.speed=0 11 p0.speed=0 p1.speed=0", "83b075118d7b1e02"},
    {"MatchAsInTheReadmePicture", readme_players, "@docs/match.keys", 727, "727 frame=docs/match.png", "81a7a82fac6cf48e"},
    // Hits, frag sequences with noise and explosions, the winner screen.
    {"FragsToTheWinnerScreen", "ResX=640\nResY=480\nLimit=3\nPlane.0=2\nPlane.1=0\nName.0=Ann\nName.1=Bob\n",
     "@docs/explosion.keys", 845,
     "4 mode=match sounds=[1] 100 p1.energy=95 sounds=[2,3] 121 frag_timer=249 sounds=[4] 163 p0.frags=1 "
     "761 frame=docs/explosion.png 800 mode=winner match_winner=1 p0.frags=3 838 mode=menu", "b3b509575abd3d93"},
    {"BothAtTheLimitNamePlayerTwo", "ResX=640\nResY=480\nLimit=0\nPlane.0=2\nPlane.1=0\nName.0=Ann\nName.1=Bob\n",
     "@docs/explosion.keys:162 165:Escape", 168, "163 mode=winner match_winner=2 165 mode=menu", "312235dc9b26a767"},
    {"EscapeLeavesTheMatchAndNewGameStartsAfresh", readme_players, "@docs/explosion.keys:200 200:Escape 202:Enter",
     205, "199 p0.frags=1 200 mode=menu 202 mode=match p0.frags=0 p0.energy=100 sounds=[1]", "89a06fa5877bd70f"},
    {"AMissingAeroplaneKeepsTheMenu", "ResX=400\nResY=300\nLimit=10\nPlane.0=2\n", "1:Escape 3:Enter", 5,
     "3 mode=menu sounds=[1] 5 mode=menu", "f6d57dbb643a9b51", nullptr, "Models/Titan Hs.tex"},
    {"WithoutExplosionPicturesTheStartEndsQuietly", nullptr, "", 5, "lines=0", "cbf29ce484222325", nullptr, "Data/Expl17.tex",
     "valkron: cannot read Data\\Expl17.tex\n"},
    {"WithoutTheAimingMarkTheStartEndsQuietly", nullptr, "", 5, "lines=0", "cbf29ce484222325", nullptr, "Data/Target.tex",
     "valkron: cannot read Data\\Target.tex\n"},
    {"WithoutTheIntroModelTheStartEndsQuietly", nullptr, "", 5, "lines=0", "cbf29ce484222325", nullptr, "Models/intro.3ds",
     "valkron: cannot read models\\intro.3ds\n"},
    {"WithoutTheShotModelTheStartEndsQuietly", nullptr, "", 5, "lines=0", "cbf29ce484222325", nullptr, "Data/Fire.3ds",
     "valkron: cannot read Data\\Fire.3ds\n"},
};

std::string script(const std::string& keys)
{
    std::string out;
    std::istringstream words(keys);
    for (std::string word; words >> word;) {
        if (word[0] == '@') {
            const size_t colon = word.find(':');
            const uint64_t last = colon == std::string::npos ? UINT64_MAX : std::stoull(word.substr(colon + 1));
            std::istringstream file(read_text_file(std::string(VALKRON_SOURCE_DIR) + "/" + word.substr(1, colon - 1)));
            for (std::string line; std::getline(file, line);) {
                if (!line.empty() && line[0] != '#' && std::stoull(line) <= last) out += line + "\n";
            }
            continue;
        }
        const size_t at = word.find_first_of(":^"), star = word.find('*');
        const int times = star == std::string::npos ? 1 : std::stoi(word.substr(star + 1));
        for (int k = 0; k < times; ++k) {
            out += word.substr(0, at) + (word[at] == ':' ? " down " : " up ") + word.substr(at + 1, star - at - 1) + "\n";
        }
    }
    return out;
}

std::string settings_text(const ScratchDir& game)
{
    for (const auto& entry : std::filesystem::directory_iterator(game.path())) {
        if (is_settings_file(entry.path().string())) return read_text_file(entry.path().string());
    }
    return "";
}

void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

class Screens : public ::testing::TestWithParam<Row> {};

TEST_P(Screens, PlayAsRecorded)
{
    const Row& row = GetParam();
    if (!sim_program()) GTEST_SKIP() << "valkron-sim is not part of this build";
    GameCopy copy;
    if (row.settings) copy.game.write("settings.ini", row.settings);
    if (row.removed) {
        ASSERT_TRUE(std::filesystem::remove(copy.game.file(row.removed))) << row.removed;
    }
    SimResult result;
    const std::string trace = copy.trace(
        {"--seed", "1", "--ticks", std::to_string(row.ticks), "--keys", copy.keys(script(row.keys))}, &result);
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.err, row.err);
    std::vector<std::string> lines;
    std::istringstream in(trace);
    for (std::string line; std::getline(in, line);) lines.push_back(line);

    std::istringstream checks(row.checks);
    size_t tick = 0;
    for (std::string word; checks >> word;) {
        const size_t eq = word.find('=');
        if (eq == std::string::npos) {
            tick = std::stoul(word);
            continue;
        }
        const std::string name = word.substr(0, eq);
        std::string value = word.substr(eq + 1);
        if (name == "lines") {
            EXPECT_EQ(lines.size(), std::stoul(value));
            continue;
        }
        Picture picture;
        if (value.find(".png") != std::string::npos) {
            EXPECT_TRUE(read_png(std::string(VALKRON_SOURCE_DIR) + "/" + value, picture)) << value;
            value = frame_hash(picture.pixels);
        }
        ASSERT_TRUE(tick >= 1 && tick <= lines.size()) << "no tick " << tick;
        EXPECT_EQ(trace_field(lines[tick - 1], name), value) << "tick " << tick;
    }
    // Fields that only say "no pad" are left out of the digest, which pins
    // what the game itself does.
    std::string pinned = trace;
    for (size_t at; (at = pinned.find(",\"pad\":null")) != std::string::npos;) pinned.erase(at, 11);
    EXPECT_EQ(fnv1a(pinned), row.digest) << "the whole trace";
    EXPECT_EQ(settings_text(copy.game), row.saved ? row.saved : row.settings ? row.settings : "");
}

INSTANTIATE_TEST_SUITE_P(Game, Screens, ::testing::ValuesIn(rows),
                         [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

// Bad arguments and script lines end valkron-sim with 2 and one line.
TEST(Sim, RefusesBadArgumentsAndScripts)
{
    if (!sim_program()) GTEST_SKIP() << "valkron-sim is not part of this build";
    GameCopy copy;
    const std::vector<std::vector<std::string>> bad = {
        {"--ticks", "abc"}, {"--ticks"}, {"--seed", "-1"}, {"--png", "5"}, {"--png", "0:x.png"},
        {"--keys", copy.path("none.txt")}, {"--frobnicate", "1"}, {"extra"},
        {"--keys", copy.keys("3 press A\n")}, {"--keys", copy.keys("3 down NoSuchKey\n")},
        {"--keys", copy.keys("0 down A\n")}, {"--trace", copy.path("no/such/dir/trace")}};
    for (const auto& args : bad) {
        const SimResult r = copy.run(args);
        EXPECT_EQ(r.exit_code, 2) << args[0];
        EXPECT_EQ(r.err.rfind("valkron-sim: ", 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}

}  // namespace
