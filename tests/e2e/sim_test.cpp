// The whole game through valkron-sim on the generated data: the screens and
// their transitions, the settings file, start-up failures, and the runner's
// own interface (arguments, key scripts, trace, PNG frames, live input).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>
#include <string>

#include "assets/texture.h"
#include "sim_support.h"

namespace {

std::string mode(const Json& line) { return line["mode"].text; }

std::string repeat(const std::string& line, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i) {
        out += line;
    }
    return out;
}

// Escape on tick 1 ends the intro on tick 2; the menu shows from tick 2 on.
const std::string skip_intro = "1 down Escape\n1 up Escape\n";

TEST(SimIntro, DrawsTwoHundredFramesAndEndsOnThe201stTick)
{
    GameCopy copy;
    SimResult result;
    const std::vector<Json> trace = copy.trace({"--ticks", "203", "--seed", "1"}, &result);
    EXPECT_EQ(result.exit_code, 0) << result.err;
    ASSERT_EQ(trace.size(), 203u);
    for (int t = 1; t <= 200; ++t) {
        const Json& line = trace[t - 1];
        ASSERT_EQ(line["tick"].integer(), t);
        EXPECT_EQ(mode(line), "intro") << t;
        EXPECT_EQ(line["screen_timer"].integer(), 5 * t);
        EXPECT_EQ(line["frame"].kind, Json::string);
        EXPECT_EQ(line["sounds"].items.size(), 0u);
    }
    EXPECT_EQ(mode(trace[200]), "menu");
    EXPECT_EQ(trace[200]["screen_timer"].integer(), 1005);
    EXPECT_EQ(mode(trace[202]), "menu");
    // The model turns: the frames keep changing.
    std::set<std::string> frames;
    for (int t = 1; t <= 200; ++t) {
        frames.insert(trace[t - 1]["frame"].text);
    }
    EXPECT_GT(frames.size(), 190u);
    // Closed by the window system: no settings written.
    EXPECT_FALSE(std::filesystem::exists(copy.game.file("Settings.ini")));
}

TEST(SimIntro, EscapeEndsItTwoTicksLater)
{
    GameCopy copy;
    const std::vector<Json> trace =
        copy.trace({"--ticks", "14", "--keys", copy.keys("10 down Escape\n11 up Escape\n")});
    ASSERT_EQ(trace.size(), 14u);
    EXPECT_EQ(mode(trace[8]), "intro");
    EXPECT_EQ(trace[8]["screen_timer"].integer(), 45);
    EXPECT_EQ(mode(trace[9]), "intro");
    EXPECT_EQ(trace[9]["screen_timer"].integer(), 1000);
    EXPECT_EQ(mode(trace[10]), "menu");
    EXPECT_EQ(trace[10]["screen_timer"].integer(), 1005);
}

TEST(SimIntro, FirstFramesShowTheTextureAndTheTextFades)
{
    GameCopy copy;
    SimResult result = copy.run({"--ticks", "30", "--png", "1:" + copy.path("t5.png"), "--png",
                                 "30:" + copy.path("t150.png")});
    ASSERT_EQ(result.exit_code, 0) << result.err;
    Picture t5, t150;
    ASSERT_TRUE(read_png(copy.path("t5.png"), t5));
    ASSERT_TRUE(read_png(copy.path("t150.png"), t150));
    ASSERT_EQ(t5.width, 400);
    ASSERT_EQ(t5.height, 300);

    Texture* intro = load_texture((copy.game.path() + "/models/intro.tex").c_str());
    ASSERT_NE(intro, nullptr);
    int32_t textured = 0;
    for (int32_t i = 0; i < 400 * 300; ++i) {
        textured += t5.pixels[i] == (intro->pixels[i % 65536] & 0xFFFFFF);
    }
    release_texture(intro);
    EXPECT_GT(textured, 400 * 300 / 2);

    // The first line, "This computer is executting ...", from x = 76 on
    // rows 147 to 155: green 8 at t = 5 and 255 at t = 150.
    auto count = [](const Picture& p, uint32_t colour) {
        int32_t n = 0;
        for (int32_t y = 147; y <= 155; ++y) {
            for (int32_t x = 76; x < 76 + 31 * 8; ++x) {
                n += p.at(x, y) == colour;
            }
        }
        return n;
    };
    EXPECT_GT(count(t5, 8u << 8), 40);
    EXPECT_GT(count(t150, 255u << 8), 40);
    EXPECT_EQ(count(t150, 8u << 8), 0);
}

TEST(SimMenu, TheMenuShowsItsPictureAndMovesWithSounds)
{
    GameCopy copy;
    SimResult result;
    const std::vector<Json> trace = copy.trace(
        {"--ticks", "8", "--keys", copy.keys(skip_intro + "4 down Down\n4 up Down\n5 down Up\n6 down Up\n"),
         "--png", "3:" + copy.path("menu.png")},
        &result);
    ASSERT_EQ(result.exit_code, 0) << result.err;
    ASSERT_EQ(trace.size(), 8u);
    EXPECT_EQ(trace[3]["menu_item"].integer(), 1);
    EXPECT_EQ(trace[3]["sounds"].items.size(), 1u);
    EXPECT_EQ(trace[3]["sounds"][0].integer(), 0);
    EXPECT_EQ(trace[5]["menu_item"].integer(), 0);
    EXPECT_EQ(trace[5]["sounds"][0].integer(), 0);  // also at the top

    Picture menu;
    ASSERT_TRUE(read_png(copy.path("menu.png"), menu));
    std::vector<uint32_t> picture(400 * 300);
    ASSERT_TRUE(load_picture((copy.game.path() + "/Data/Menu.tex").c_str(), picture.data(), picture.size(),
                             PictureOrder::unchanged));
    // Away from the texts the frame is the menu picture.
    for (int32_t y : {0, 10, 100, 299}) {
        for (int32_t x : {0, 20, 399}) {
            EXPECT_EQ(menu.at(x, y), picture[y * 400 + x] & 0xFFFFFF) << x << "," << y;
        }
    }
}

TEST(SimMenu, HelpScrollsAndEscapeReturns)
{
    GameCopy copy;
    const std::string keys = skip_intro + repeat("3 down Down\n", 6) + "4 down Enter\n" +
                             "6 down Down\n7 down Down\n8 down Up\n10 down Escape\n12 down Escape\n";
    SimResult result;
    const std::vector<Json> trace = copy.trace({"--ticks", "20", "--keys", copy.keys(keys)}, &result);
    ASSERT_EQ(result.exit_code, 0) << result.err;
    ASSERT_EQ(trace.size(), 12u);  // the second Escape ends the game on tick 12
    EXPECT_EQ(trace[2]["menu_item"].integer(), 6);
    EXPECT_EQ(mode(trace[3]), "help");
    EXPECT_EQ(trace[3]["sounds"][0].integer(), 1);
    EXPECT_EQ(trace[5]["sounds"].items.size(), 0u);  // scrolling is silent
    EXPECT_EQ(trace[5]["menu_item"].integer(), 6);
    EXPECT_EQ(trace[4]["frame"].text, trace[3]["frame"].text);
    EXPECT_NE(trace[5]["frame"].text, trace[4]["frame"].text);
    EXPECT_NE(trace[6]["frame"].text, trace[5]["frame"].text);
    EXPECT_EQ(trace[7]["frame"].text, trace[5]["frame"].text);  // back up one line
    EXPECT_EQ(mode(trace[9]), "menu");
    EXPECT_EQ(trace[11]["tick"].integer(), 12);
    EXPECT_EQ(trace[11]["frame"].kind, Json::null);
    EXPECT_TRUE(std::filesystem::exists(copy.game.file("Settings.ini")));
}

TEST(SimMenu, CreditsRippleEveryFrameUntilEscape)
{
    GameCopy copy;
    const std::string keys = skip_intro + repeat("3 down Down\n", 7) + "4 down Enter\n20 down Escape\n";
    const std::vector<Json> trace =
        copy.trace({"--ticks", "22", "--seed", "7", "--keys", copy.keys(keys)});
    ASSERT_EQ(trace.size(), 22u);
    std::set<std::string> frames;
    for (int t = 4; t <= 19; ++t) {
        EXPECT_EQ(mode(trace[t - 1]), "credits") << t;
        frames.insert(trace[t - 1]["frame"].text);
    }
    EXPECT_EQ(frames.size(), 16u);
    EXPECT_EQ(mode(trace[19]), "menu");
    // The same seed gives the same ripple.
    const std::vector<Json> again =
        copy.trace({"--ticks", "22", "--seed", "7", "--keys", copy.keys(keys)});
    ASSERT_EQ(again.size(), 22u);
    for (int t = 1; t <= 22; ++t) {
        EXPECT_EQ(again[t - 1]["frame"].text, trace[t - 1]["frame"].text) << t;
    }
}

TEST(SimMenu, AResolutionChangeReplaysTheIntroAtTheNewSize)
{
    GameCopy copy;
    const std::string keys = skip_intro + repeat("3 down Down\n", 8) + "5 down Right\n";
    SimResult result;
    const std::vector<Json> trace = copy.trace(
        {"--ticks", "215", "--keys", copy.keys(keys), "--png", "6:" + copy.path("intro512.png"), "--png",
         "215:" + copy.path("menu512.png")},
        &result);
    ASSERT_EQ(result.exit_code, 0) << result.err;
    ASSERT_EQ(trace.size(), 215u);
    EXPECT_EQ(trace[4]["res_x"].integer(), 512);
    EXPECT_EQ(trace[4]["res_y"].integer(), 384);
    EXPECT_EQ(trace[4]["frame"].kind, Json::null);  // the timer restarted during the change
    EXPECT_EQ(mode(trace[5]), "intro");
    EXPECT_EQ(trace[5]["screen_timer"].integer(), 5);
    EXPECT_EQ(mode(trace[204]), "intro");
    EXPECT_EQ(mode(trace[205]), "menu");
    EXPECT_EQ(trace[214]["menu_item"].integer(), 8);
    Picture intro, menu;
    ASSERT_TRUE(read_png(copy.path("intro512.png"), intro));
    ASSERT_TRUE(read_png(copy.path("menu512.png"), menu));
    EXPECT_EQ(intro.width, 512);
    EXPECT_EQ(intro.height, 384);
    EXPECT_EQ(menu.width, 512);
    EXPECT_EQ(menu.height, 384);
    EXPECT_FALSE(std::filesystem::exists(copy.game.file("Settings.ini")));
}

TEST(SimSettings, ExitWritesSevenLinesAndTheNextStartReadsThem)
{
    GameCopy copy;
    const std::string keys = skip_intro + "3 down Down\n4 down Right\n5 down Right\n" +
                             repeat("6 down Down\n", 3) + "7 down Right\n" +  // player 1's plane
                             "8 down Up\n8 down Up\n9 down Enter\n10 down B\n10 down O\n10 down B\n" +
                             "11 down Enter\n" + repeat("12 down Down\n", 9) + "13 down Enter\n";
    SimResult result;
    const std::vector<Json> trace = copy.trace({"--keys", copy.keys(keys)}, &result);
    ASSERT_EQ(result.exit_code, 0) << result.err;
    ASSERT_EQ(trace.size(), 13u);
    EXPECT_EQ(trace[12]["sounds"].items.size(), 1u);
    const std::string text = copy.game.read_text("Settings.ini");
    // Typing "BOB" into the name after "Player 1" and showing it made the
    // letters after the first small.
    EXPECT_EQ(text, "ResX=400\nResY=300\nLimit=12\nPlane.0=1\nPlane.1=0\nName.0=Player 1bob\n"
                    "Name.1=Player 2\n");

    const std::vector<Json> next = copy.trace({"--ticks", "1"});
    ASSERT_EQ(next.size(), 1u);
    EXPECT_EQ(next[0]["frag_limit"].integer(), 12);
}

TEST(SimSettings, SettingsChooseTheScreen)
{
    GameCopy copy;
    copy.game.write("Settings.ini", "ResX=640\nResY=480\nLimit=5\nPlane.0=5\nPlane.1=4\nName.0=A\nName.1=B\n");
    const std::vector<Json> trace = copy.trace({"--ticks", "2", "--png", "2:" + copy.path("f.png")});
    ASSERT_EQ(trace.size(), 2u);
    EXPECT_EQ(trace[0]["res_x"].integer(), 640);
    EXPECT_EQ(trace[0]["res_y"].integer(), 480);
    EXPECT_EQ(trace[0]["frag_limit"].integer(), 5);
    Picture f;
    ASSERT_TRUE(read_png(copy.path("f.png"), f));
    EXPECT_EQ(f.width, 640);
    EXPECT_EQ(f.height, 480);
}

TEST(SimStartup, AMissingDataFileEndsSilentlyWithExitCodeZero)
{
    for (const char* file : {"Data/Expl3.tex", "Data/Menu.tex", "Data/Target.tex", "models/intro.3ds"}) {
        GameCopy copy;
        // The generated names may differ in letter case: find the entry.
        const std::filesystem::path wanted = copy.game.file(file);
        std::filesystem::path found;
        for (const auto& e : std::filesystem::recursive_directory_iterator(copy.game.path())) {
            std::string a = e.path().string(), b = wanted.string();
            std::transform(a.begin(), a.end(), a.begin(), ::tolower);
            std::transform(b.begin(), b.end(), b.begin(), ::tolower);
            if (a == b) {
                found = e.path();
            }
        }
        ASSERT_FALSE(found.empty()) << file;
        std::filesystem::remove(found);
        SimResult result;
        const std::vector<Json> trace = copy.trace({"--ticks", "5"}, &result);
        EXPECT_EQ(result.exit_code, 0);
        std::string name = file;
        std::replace(name.begin(), name.end(), '/', '\\');
        EXPECT_EQ(result.err, "valkron: cannot read " + name + "\n");
        EXPECT_TRUE(trace.empty());
    }
}

TEST(SimRunner, BadArgumentsAndScriptsExitWithTwo)
{
    GameCopy copy;
    const std::vector<std::vector<std::string>> bad = {
        {"--ticks", "abc"},     {"--ticks"},          {"--seed", "-1"},
        {"--png", "5"},         {"--png", "0:x.png"}, {"--keys", copy.path("none.txt")},
        {"--frobnicate", "1"},  {"extra"},
        {"--keys", copy.keys("3 press A\n")},
        {"--keys", copy.keys("3 down NoSuchKey\n")},
        {"--keys", copy.keys("0 down A\n")},
        {"--keys", copy.keys("3 down Pad1.Z\n")},
        {"--keys", copy.keys("3 plug Pad5\n")},
        {"--keys", copy.keys("3 axis Pad1.LeftX 32768\n")},
        {"--keys", copy.keys("3 axis Pad1.A 5\n")},
        {"--keys", copy.keys("3 unplug Pad1.A\n")},
        {"--trace", copy.path("no/such/dir/trace")},
    };
    for (const auto& args : bad) {
        const SimResult r = copy.run(args);
        EXPECT_EQ(r.exit_code, 2) << args[0];
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(r.err.rfind("valkron-sim: ", 0), 0u) << r.err;
    }
}

TEST(SimRunner, KeyNamesNumbersAndComments)
{
    GameCopy copy;
    // Four ways to press Down, one of them in lower case; comments and blank
    // lines are skipped; lines need not come in tick order.
    const std::string keys = "# the intro\n\n1 down 0x1B\n1 up 27\n3 down down\n3 down 0x28\n3 down 40\n"
                             "   \n3 down Down\n5 down Num1\n4 down F12\n4 down Z\n4 down 7\n4 down Space\n"
                             "4 down Backspace\n4 down Insert\n4 down Delete\n4 down Home\n4 down End\n"
                             "4 down Left\n4 down Right\n2 down Up\n";
    SimResult result;
    const std::vector<Json> trace = copy.trace({"--ticks", "5", "--keys", copy.keys(keys)}, &result);
    ASSERT_EQ(result.exit_code, 0) << result.err;
    ASSERT_EQ(trace.size(), 5u);
    EXPECT_EQ(trace[2]["menu_item"].integer(), 4);
    EXPECT_EQ(trace[2]["sounds"].items.size(), 4u);
}

TEST(SimRunner, TraceLinesCarryEveryField)
{
    GameCopy copy;
    const std::vector<Json> trace = copy.trace({"--ticks", "3", "--seed", "3"});
    ASSERT_EQ(trace.size(), 3u);
    for (const Json& line : trace) {
        ASSERT_EQ(line.kind, Json::object) << line.text;
        for (const char* field : {"tick", "mode", "screen_timer", "menu_item", "name_edit", "res_x", "res_y",
                                  "frag_limit", "frag_timer", "shot_count", "match_winner", "sounds",
                                  "frame", "players"}) {
            EXPECT_TRUE(line.has(field)) << field;
        }
        EXPECT_EQ(line["frame"].text.size(), 16u);
        ASSERT_EQ(line["players"].items.size(), 2u);
        for (const Json& p : line["players"].items) {
            for (const char* field : {"energy", "frags", "speed", "thrust", "yaw_rate", "pitch_rate",
                                      "explosion_frame", "pos", "matrix", "pad"}) {
                EXPECT_TRUE(p.has(field)) << field;
            }
            ASSERT_EQ(p["matrix"].items.size(), 16u);
            ASSERT_EQ(p["pos"].items.size(), 3u);
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(p["pos"][i].value, p["matrix"][12 + i].value);
            }
        }
    }
    // The intro camera is player 1's matrix: translated to (0, 65, -10).
    EXPECT_EQ(trace[0]["players"][0]["pos"][0].value, 0.0);
    EXPECT_EQ(trace[0]["players"][0]["pos"][1].value, 65.0);
    EXPECT_EQ(trace[0]["players"][0]["pos"][2].value, -10.0);
    // Floats read back exactly: the rotation by pi / 10 of the camera.
    EXPECT_FLOAT_EQ(static_cast<float>(trace[0]["players"][0]["matrix"][5].value), std::cos(0.31415927f));
}

TEST(SimRunner, PngFramesMatchTheTraceHash)
{
    GameCopy copy;
    SimResult result;
    const std::vector<Json> trace =
        copy.trace({"--ticks", "4", "--png", "2:" + copy.path("a.png"), "--png", "4:" + copy.path("b.png")},
                   &result);
    ASSERT_EQ(result.exit_code, 0) << result.err;
    ASSERT_EQ(trace.size(), 4u);
    Picture a, b;
    ASSERT_TRUE(read_png(copy.path("a.png"), a));
    ASSERT_TRUE(read_png(copy.path("b.png"), b));
    EXPECT_EQ(frame_hash(a.pixels), trace[1]["frame"].text);
    EXPECT_EQ(frame_hash(b.pixels), trace[3]["frame"].text);
    EXPECT_FALSE(std::filesystem::exists(copy.path("c.png")));
}

TEST(SimRunner, TheTraceCanGoToStandardOutput)
{
    GameCopy copy;
    const SimResult r = copy.run({"--ticks", "2", "--trace", "-"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2);
    Json line;
    EXPECT_TRUE(parse_json(r.out.substr(0, r.out.find('\n')), line));
    EXPECT_EQ(line["tick"].integer(), 1);
}

TEST(SimRunner, TheSameSeedPlaysTheSameMatch)
{
    GameCopy copy;
    const std::string keys = skip_intro + "4 down Enter\n6 down Insert\n6 down 1\n8 down Home\n9 down 3\n"
                             "12 down Left\n12 down W\n20 up Home\n";
    const std::vector<Json> one = copy.trace({"--ticks", "40", "--seed", "42", "--keys", copy.keys(keys)});
    const std::vector<Json> two = copy.trace({"--ticks", "40", "--seed", "42", "--keys", copy.keys(keys)});
    const std::vector<Json> other = copy.trace({"--ticks", "40", "--seed", "43", "--keys", copy.keys(keys)});
    ASSERT_EQ(one.size(), 40u);
    ASSERT_EQ(two.size(), 40u);
    ASSERT_EQ(other.size(), 40u);
    EXPECT_EQ(mode(one[3]), "match");
    EXPECT_EQ(one[3]["sounds"][0].integer(), 1);
    for (size_t i = 0; i < one.size(); ++i) {
        EXPECT_EQ(one[i]["frame"].text, two[i]["frame"].text) << i;
        EXPECT_EQ(one[i]["players"][1]["pos"][2].value, two[i]["players"][1]["pos"][2].value);
    }
    EXPECT_NE(one[3]["players"][0]["pos"][0].value, other[3]["players"][0]["pos"][0].value);
    // Insert from tick 6: 0.5, 1.5, 3 ...
    EXPECT_EQ(one[5]["players"][0]["speed"].value, 0.5);
    EXPECT_EQ(one[6]["players"][0]["speed"].value, 1.5);
    EXPECT_EQ(one[7]["players"][0]["speed"].value, 3.0);
    EXPECT_EQ(one[5]["players"][1]["speed"].value, 0.5);
    // Fire: one shot a frame, with sound 2.
    EXPECT_GT(one[12]["shot_count"].integer(), 0);
    bool fired = false;
    for (const Json& s : one[9]["sounds"].items) {
        fired = fired || s.integer() == 2;
    }
    EXPECT_TRUE(fired);
}

TEST(SimRunner, LiveInputSteersTheGameTickByTick)
{
    GameCopy copy;
    SimProcess sim;
    ASSERT_TRUE(sim.start(copy.game.path(), {"--keys", "-", "--trace", "-", "--ticks", "50"}));
    sim.send("1 down Escape\n3 go\n");
    std::string line;
    Json j;
    for (int t = 1; t <= 3; ++t) {
        ASSERT_TRUE(sim.read_line(line));
        ASSERT_TRUE(parse_json(line, j)) << line;
        EXPECT_EQ(j["tick"].integer(), t);
    }
    EXPECT_EQ(j["mode"].text, "menu");
    // Decide from what tick 3 showed: go down until "Credits" is selected.
    int item = static_cast<int>(j["menu_item"].integer());
    uint64_t t = 4;
    while (item < 7) {
        sim.send(std::to_string(t) + " down Down\n" + std::to_string(t) + " go\n");
        ASSERT_TRUE(sim.read_line(line));
        ASSERT_TRUE(parse_json(line, j));
        EXPECT_EQ(j["tick"].integer(), static_cast<int64_t>(t));
        item = static_cast<int>(j["menu_item"].integer());
        ++t;
    }
    EXPECT_EQ(item, 7);
    sim.send(std::to_string(t) + " down Enter\n" + std::to_string(t) + " go\n");
    ASSERT_TRUE(sim.read_line(line));
    ASSERT_TRUE(parse_json(line, j));
    EXPECT_EQ(j["mode"].text, "credits");
    sim.close_input();  // runs on to --ticks
    int lines = static_cast<int>(t);
    while (sim.read_line(line)) {
        ++lines;
    }
    EXPECT_EQ(lines, 50);
    EXPECT_EQ(sim.finish(), 0);
}

TEST(SimRunner, LiveKeysForTicksAlreadyRunAreAnError)
{
    GameCopy copy;
    SimResult result;
    const std::vector<Json> trace = copy.trace({"--keys", "-", "--ticks", "20"}, &result,
                                               "1 down Escape\n5 go\n3 down Down\n");
    EXPECT_EQ(result.exit_code, 2);
    EXPECT_EQ(trace.size(), 5u);
    EXPECT_NE(result.err.find("valkron-sim: "), std::string::npos);
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1);

    // Without go lines the whole input is read before the first tick.
    const std::vector<Json> all = copy.trace({"--keys", "-", "--ticks", "6"}, &result,
                                             "1 down Escape\n4 down Down\n");
    EXPECT_EQ(result.exit_code, 0) << result.err;
    ASSERT_EQ(all.size(), 6u);
    EXPECT_EQ(all[3]["menu_item"].integer(), 1);
}

TEST(SimRunner, DefaultIsAThousandTicks)
{
    GameCopy copy;
    const SimResult r = copy.run({"--trace", copy.path("t.jsonl")});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    const std::vector<uint8_t> bytes = read_file(copy.path("t.jsonl"));
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 1000);
}

}  // namespace
