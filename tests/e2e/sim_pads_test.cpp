// Pads and chosen keys through valkron-sim: a pad's moves give the trace
// the same keys give, tick for tick; the settings lines Keys.N, LonePad
// and PadInvert.N.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "shell/pads.h"
#include "sim_support.h"

namespace {

const std::string seven_lines =
    "ResX=400\nResY=300\nLimit=10\nPlane.0=2\nPlane.1=0\nName.0=Ann\nName.1=Bob\n";
// Escape ends the intro, Enter starts a match on tick 5.
const std::string new_game = "2 down Escape\n3 up Escape\n5 down Enter\n6 up Enter\n";

struct SimRun {
    SimResult result;
    std::vector<std::string> lines;  // the trace without the players' "pad" fields
    std::vector<std::string> trace;  // the whole trace lines
    std::string saved;  // the settings file after the run
};

SimRun run(const std::string& settings, const std::string& script, int ticks)
{
    GameCopy copy;
    if (!settings.empty()) {
        copy.game.write("settings.ini", settings);
    }
    SimRun r;
    std::istringstream text(
        copy.trace({"--seed", "3", "--ticks", std::to_string(ticks), "--keys", copy.keys(script)}, &r.result));
    const std::regex pad(",\"pad\":(null|[0-9]+)");
    for (std::string line; std::getline(text, line);) {
        r.trace.push_back(line);
        r.lines.push_back(std::regex_replace(line, pad, ""));
    }
    r.saved = copy.game.read_text("settings.ini");
    return r;
}

// A trace field as a number.
double number(const std::string& line, const std::string& name)
{
    return std::stod(trace_field(line, name));
}

void expect_same_traces(const SimRun& a, const SimRun& b)
{
    ASSERT_EQ(a.result.exit_code, 0) << a.result.err;
    ASSERT_EQ(b.result.exit_code, 0) << b.result.err;
    ASSERT_EQ(a.lines.size(), b.lines.size());
    ASSERT_FALSE(a.lines.empty());
    for (size_t i = 0; i < a.lines.size(); ++i) {
        ASSERT_EQ(a.lines[i], b.lines[i]) << "tick " << i + 1;
    }
}

TEST(SimPads, StickTriggerAndAFlyAsTheKeysAndUnpluggingLetsGo)
{
    // Player 1 turns left, accelerates and fires; player 2 pulls up, turns
    // right on the d-pad and fires with the shoulder. Pad 1 is unplugged on
    // tick 100, pad 2's hold ends on tick 120. Keys pressed beside the pads
    // hold their own: letting go of Insert leaves the trigger's hold, and
    // letting go of the shoulder leaves 3's.
    const SimRun keys = run(seven_lines,
                         new_game +
                             "10 down Left\n10 down Insert\n10 down Home\n10 down W\n10 down D\n10 down 1\n"
                             "10 down 3\n60 up Left\n100 up Insert\n100 up Home\n120 up W\n120 up D\n120 up 1\n"
                             "120 up 3\n",
                         150);
    const SimRun pads =
        run(seven_lines,
            "1 plug Pad1\n1 plug Pad2\n" + new_game +
                "10 axis Pad1.LeftX -32768\n10 axis Pad1.TriggerRight 32767\n10 down Pad1.A\n"
                "10 axis Pad2.LeftY 20000\n10 down Pad2.DpadRight\n10 axis Pad2.TriggerRight 9000\n"
                "10 down Pad2.RightShoulder\n60 axis Pad1.LeftX -7999\n100 unplug Pad1\n"
                "120 axis Pad2.LeftY 0\n120 up Pad2.DpadRight\n120 axis Pad2.TriggerRight 0\n"
                "10 down Insert\n30 up Insert\n110 down 3\n115 up Pad2.RightShoulder\n120 up 3\n",
            150);
    expect_same_traces(keys, pads);
    // No clearing in the stretch: nobody was shot down.
    for (const std::string& line : pads.trace) {
        ASSERT_EQ(trace_field(line, "frag_timer"), "0");
    }
    EXPECT_GT(number(pads.trace[98], "shot_count"), 0);
    EXPECT_GT(number(pads.trace[40], "p0.yaw_rate"), 0.0);
    EXPECT_EQ(trace_field(pads.trace[98], "p0.pad"), "1");
    EXPECT_EQ(trace_field(pads.trace[98], "p1.pad"), "2");
    EXPECT_EQ(trace_field(pads.trace[99], "p0.pad"), "null");
    EXPECT_EQ(trace_field(keys.trace[98], "p0.pad"), "null");
}

TEST(SimPads, APadWorksTheMenuAndAButtonHeldIntoTheMatchWaitsForTheRepeat)
{
    // B ends the intro, A on "New game" starts the match and, still held,
    // fires once it has been held as long as a key takes to repeat; Back
    // leaves the match.
    const SimRun r =
        run(seven_lines, "1 plug Pad1\n2 down Pad1.B\n3 up Pad1.B\n5 down Pad1.A\n30 down Pad1.Back\n", 40);
    ASSERT_EQ(r.result.exit_code, 0) << r.result.err;
    ASSERT_EQ(r.trace.size(), 40u);
    EXPECT_EQ(trace_field(r.trace[3], "mode"), "menu");
    EXPECT_EQ(trace_field(r.trace[4], "mode"), "match");
    EXPECT_EQ(trace_field(r.trace[29], "mode"), "menu");
    int first_shot = 0;
    for (const std::string& line : r.trace) {
        if (first_shot == 0 && number(line, "shot_count") > 0) {
            first_shot = static_cast<int>(number(line, "tick"));
        }
    }
    // Pressed before tick 5: held for pad_repeat_delay frames on tick 19.
    EXPECT_EQ(first_shot, 4 + pad_repeat_delay);
}

TEST(SimPads, ALonePadFliesPlayer2WithItsStickInverted)
{
    const std::string settings = seven_lines + "LonePad=2\nPadInvert.1=1\n";
    const SimRun keys = run(settings, new_game + "10 down S\n10 down 1\n40 up S\n50 up 1\n", 60);
    const SimRun pad = run(settings,
                        "3 plug Pad1\n" + new_game +
                            "10 axis Pad1.LeftY 32767\n10 axis Pad1.TriggerRight 32767\n40 axis Pad1.LeftY 0\n"
                            "50 axis Pad1.TriggerRight 0\n",
                        60);
    expect_same_traces(keys, pad);
    EXPECT_LT(number(pad.trace[30], "p1.pitch_rate"), 0.0);
    EXPECT_EQ(trace_field(pad.trace[30], "p0.pad"), "null");
    EXPECT_EQ(trace_field(pad.trace[30], "p1.pad"), "1");
}

TEST(SimKeys, ChosenKeysFlyPlayer1AndTheLineIsKept)
{
    const std::string chosen = seven_lines + "Keys.0=I K J L Q E Space\n";
    // Up is no longer player 1's.
    const SimRun mine = run(chosen,
                         new_game + "10 down J\n10 down Q\n10 down Space\n10 down Up\n30 up J\n50 up Q\n"
                                    "50 up Space\n60 down Escape\n62 down Escape\n",
                         70);
    const SimRun defaults = run(seven_lines,
                             new_game + "10 down Left\n10 down Insert\n10 down Home\n30 up Left\n"
                                        "50 up Insert\n50 up Home\n60 down Escape\n62 down Escape\n",
                             70);
    expect_same_traces(mine, defaults);
    EXPECT_TRUE(mine.result.err.empty()) << mine.result.err;
    EXPECT_GT(number(mine.trace[40], "shot_count"), 0);
    EXPECT_EQ(mine.saved, chosen);
}

TEST(SimKeys, ABadLineGivesTheDefaultsAndOneLineOnStandardError)
{
    const std::string script = new_game + "10 down Left\n10 down Insert\n10 down W\n10 down 3\n40 up Left\n";
    const SimRun defaults = run(seven_lines, script, 50);
    const struct {
        const char* line;
        const char* why;
    } table[] = {
        {"Keys.0=I K J L Q E Foo", "unknown key \"Foo\""},
        {"Keys.0=I K J L Q E i", "\"i\" is given twice"},
        {"Keys.0=I K J L Q E", "fewer than seven keys"},
        {"Keys.0=I K J L Q E R T", "more than seven keys"},
        {"Keys.0=I K J L Q E Escape", "Escape leaves the match"},
        {"Keys.1=I K J L Q E Home", "\"Home\" is one of player 1's keys"},
        {"Keys.0=I K J L Q E W", "\"W\" is one of player 2's keys"},
        {"LonePad=3", "LonePad=3 refused"},
    };
    for (const auto& row : table) {
        const SimRun r = run(seven_lines + row.line + "\n", script, 50);
        expect_same_traces(r, defaults);
        EXPECT_NE(r.result.err.find(row.why), std::string::npos) << row.line << ": " << r.result.err;
        EXPECT_EQ(std::count(r.result.err.begin(), r.result.err.end(), '\n'), 1) << r.result.err;
    }
}

}  // namespace
