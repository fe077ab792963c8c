// The Windows game under Wine: valkron.exe, unpacked from the zip of a
// Windows build (tests/e2e/CMakeLists.txt says which), in a Wine virtual
// desktop on a private X server, so that DirectDraw's exclusive mode and
// its mode changes have a screen to change. The game's own window, photographed alone, is its
// frame 1:1. Keys come through xdotool; every screen must be, pixel for
// pixel, a frame valkron-sim presents for the same keys (or the same
// replay). The sound is followed through Wine's dsound trace channel, with
// ALSA writing to nowhere.
//
// The screens are matched by the trace's frame hash: a screenshot must
// hash like one of the frames valkron-sim presented between two keys (the
// real game runs in real time, so which of them shows is not known).
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "platform/common/wave_clip.h"
#include "platform/resources.h"
#include "platform/sound.h"
#include "window_session.h"

namespace {

std::string wine_tool(const std::string& name)
{
    if (run_shell("command -v " + name) == 0) return name;
    const std::string debian = "/usr/lib/wine/" + name;  // where Debian's wine64 keeps them
    return access(debian.c_str(), X_OK) == 0 ? debian : "";
}

#define SKIP_WITHOUT_WINE()                                                                            \
    SKIP_WITHOUT_X();                                                                                  \
    if (wine_tool("wine64").empty() || !std::filesystem::exists(VALKRON_WINDOWS_ZIP)) {               \
        GTEST_SKIP() << "wine64 or " VALKRON_WINDOWS_ZIP " is missing (./valkron.sh windows test makes " \
                        "and runs them)";                                                              \
    }

// Wine's variables for env: the private prefix, no downloads of Mono or
// Gecko, the trace channels asked for, and ALSA with a default output that
// discards what it gets (DirectSoundCreate fails without any ALSA device).
std::string wine_env(const std::string& alsa_conf, const std::string& debug)
{
    return "WINEPREFIX='" VALKRON_WINE_PREFIX "' WINEDLLOVERRIDES=mscoree,mshtml= WINEDEBUG=" + debug +
           " ALSA_CONFIG_PATH=/usr/share/alsa/alsa.conf:'" + alsa_conf + "'";
}

// The keys both players hold to fly: accelerate, turn and fire.
const char both_players_fly[] = "Insert Left Home 1 a 3";

class Wine : public ::testing::Test {
protected:
    // The prefix is made once, by the first test that needs it.
    static void SetUpTestSuite()
    {
        if (wine_tool("wine64").empty() || std::filesystem::exists(VALKRON_WINE_PREFIX "/system.reg")) return;
        ScratchDir scratch;
        std::string output;
        const int code = run_shell("env -u DISPLAY " + wine_env(scratch.write("asound.conf", ""), "-all") +
                                       " timeout 300 " + wine_tool("wine64") + " wineboot --init",
                                   &output);
        EXPECT_EQ(code, 0) << output;
    }

    // Everything the game left running in the prefix ends with the test.
    void TearDown() override
    {
        if (!wine_tool("wineserver").empty())
            run_shell("env WINEPREFIX='" VALKRON_WINE_PREFIX "' timeout 30 " + wine_tool("wineserver") + " -k");
    }

    // The zip unpacked into `unpacked`; the game's folder.
    std::string unpack()
    {
        run_shell("'" VALKRON_CMAKE_COMMAND "' -E chdir '" + unpacked.path() + "' '" VALKRON_CMAKE_COMMAND
                  "' -E tar xf '" VALKRON_WINDOWS_ZIP "'");
        return unpacked.file("Valkron");
    }

    // Starts valkron.exe in dir under Wine on a 1024 x 768 X server and
    // waits for its window; from then on run.capture photographs that
    // window. Empty when all went well.
    std::string start(const std::string& dir, const std::string& debug, const std::string& arguments = "")
    {
        const std::string error = run.start_x(1024, 768);
        if (!error.empty()) return error;
        const std::string alsa = run.scratch.write("asound.conf", "pcm.!default { type null }\n");
        if (!run.game.start("env -u WAYLAND_DISPLAY " + wine_env(alsa, debug) + " DISPLAY=" + run.display +
                                " sh -c \"cd '" + dir + "' && exec " + wine_tool("wine64") +
                                " explorer /desktop=valkron-test,1024x768 valkron.exe" + arguments + "\"",
                            run.scratch.file("game.log")))
            return "cannot start wine64";
        for (const double deadline = now_seconds() + 60; now_seconds() < deadline && run.window == "root";) {
            const std::string ids = run.x_tool("xdotool search --onlyvisible --name '^Valkron Engine 1\\.0$'");
            if (!ids.empty() && ids.find('\n') != std::string::npos) run.window = ids.substr(0, ids.find('\n'));
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return run.window == "root" ? "no window \"Valkron Engine 1.0\"; Wine said: " + run.said() : "";
    }

    // Types the keys (if any), then waits until a screenshot of the window
    // passes `good`; on failure the last one is kept.
    ::testing::AssertionResult reaches(const std::string& state, const std::string& keys,
                                       const std::function<bool(const Picture&)>& good, double timeout = 30.0)
    {
        if (!keys.empty() && !run.key(keys))
            return ::testing::AssertionFailure() << "xdotool could not type the keys for " << state;
        Picture shot;
        for (const double deadline = now_seconds() + timeout; now_seconds() < deadline;)
            if (run.capture(shot) && good(shot)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the window did not show \"" << state << "\" within " << timeout
                                             << " s; last screenshot kept as " << run.keep(shot, state);
    }

    // ... a frame whose hash is one of the state's frames.
    ::testing::AssertionResult reaches(const std::string& state, const std::string& keys,
                                       const std::set<std::string>& frames, double timeout = 30.0)
    {
        return reaches(state, keys, [&](const Picture& shot) { return frames.count(frame_hash(shot.pixels)) > 0; },
                       timeout);
    }

    ScratchDir unpacked;
    GameOnScreen run;
};

// A walk through the shell: each step's keys and the state they lead to,
// which valkron-sim holds for `ticks` ticks before the next step.
struct Step {
    std::string keys;  // xdotool's names, space-separated
    std::string state;
    int32_t ticks;
};

using StateFrames = std::map<std::string, std::set<std::string>>;

// The credits ripple their picture by the runtime's random numbers, seeded
// from the clock at start-up: a credits frame is known all around the
// picture (320 x 200 in the middle), whose pixels this hash leaves out.
std::string hash_around_picture(Picture p)
{
    for (int32_t y = p.height / 2 - 100; y < p.height / 2 + 100; ++y)
        std::fill_n(p.pixels.begin() + y * p.width + p.width / 2 - 160, 320, 0u);
    return frame_hash(p.pixels);
}

bool is_credits(const std::string& state) { return state.rfind("credits", 0) == 0; }

// Runs valkron-sim through the steps (the first after `intro` ticks of the
// intro) and gathers the hashes of each state's frames, from three ticks
// after its keys (an intro ends two frames after its Escape); the credits
// hashed around their picture.
StateFrames sim_states(const GameCopy& copy, int32_t intro, const std::vector<Step>& steps)
{
    std::string script;
    std::vector<std::string> args;
    std::map<int64_t, std::string> state_at;
    for (int32_t t = 1; t < intro; ++t) state_at[t] = "intro";
    int32_t tick = intro;
    for (const Step& step : steps) {
        std::istringstream keys(step.keys);
        for (std::string key; keys >> key;) {  // valkron-sim's Enter is xdotool's Return
            if (key == "Return") key = "Enter";
            script += std::to_string(tick) + " down " + key + "\n" + std::to_string(tick) + " up " + key + "\n";
        }
        for (int32_t t = tick + 3; t < tick + step.ticks; ++t) {
            state_at[t] = step.state;
            if (is_credits(step.state))
                args.insert(args.end(), {"--png", std::to_string(t) + ":" + copy.path("tick-" + std::to_string(t) + ".png")});
        }
        tick += step.ticks;
    }
    args.insert(args.end(), {"--ticks", std::to_string(tick), "--seed", "1", "--keys", copy.keys(script)});
    StateFrames hashes;
    std::istringstream trace(copy.trace(args));
    for (std::string line; std::getline(trace, line);) {
        // An intro may end by itself within its step: only its frames count.
        const auto state = state_at.find(std::stoi(trace_field(line, "tick")));
        if (state == state_at.end() ||
            (state->second.rfind("intro", 0) == 0) != (trace_field(line, "mode") == "intro")) {
            continue;
        }
        Picture p;
        if (!is_credits(state->second)) {
            hashes[state->second].insert(trace_field(line, "frame"));
        } else if (read_png(copy.path("tick-" + std::to_string(state->first) + ".png"), p)) {
            hashes[state->second].insert(hash_around_picture(p));
        }
    }
    return hashes;
}

}  // namespace

// The intro, the menu, the help and the credits, five resolution changes up
// to 1024 x 768 (the menu at each size), there the intro, the menu, the help
// and the credits again, and Exit, which
// replaces the settings file beside the executable (read as "settings.ini",
// written in text mode: CR LF line ends).
TEST_F(Wine, EveryScreenIsValkronSimsFrameAndExitSavesTheSettings)
{
    SKIP_WITHOUT_WINE();
    const std::vector<Step> steps = {
        {"Escape", "menu 0", 12},
        {"Down", "menu 1", 12},
        {"Right", "menu 1 limit", 12},
        {"Down Down Down Down Down", "menu 6 limit", 12},
        {"Return", "help", 12},
        {"Escape", "menu 6 limit", 12},
        {"Down", "menu 7 limit", 12},
        {"Return", "credits", 60},
        {"Escape", "menu 7 limit", 12},
        {"Down", "menu 8 limit", 12},
        {"Right Escape", "menu 8 at 512 x 384", 12},
        {"Right Escape", "menu 8 at 640 x 400", 12},
        {"Right Escape", "menu 8 at 640 x 480", 12},
        {"Right Escape", "menu 8 at 800 x 600", 12},
        {"Right", "intro at 1024 x 768", 150},
        {"Escape", "menu 8 at 1024 x 768", 12},
        {"Up Up", "menu 6 at 1024 x 768", 12},
        {"Return", "help at 1024 x 768", 12},
        {"Escape Down", "menu 7 at 1024 x 768", 12},
        {"Return", "credits at 1024 x 768", 60},
        {"Escape Down Down", "menu 9 at 1024 x 768", 12},
    };
    GameCopy copy;
    StateFrames frames = sim_states(copy, 150, steps);

    const std::string dir = unpack();
    std::filesystem::copy_file(copy.work.write("settings.ini", settings_text(10)), dir + "/settings.ini");
    ASSERT_EQ(start(dir, "-all"), "");
    ASSERT_TRUE(reaches("intro", {}, frames["intro"], 20.0));
    for (const Step& step : steps) {
        const std::set<std::string>& known = frames[step.state];
        ASSERT_TRUE(is_credits(step.state)
                        ? reaches(step.state, step.keys,
                                  [&](const Picture& shot) { return known.count(hash_around_picture(shot)) > 0; })
                        : reaches(step.state, step.keys, known));
    }
    ASSERT_TRUE(run.key("Return"));
    EXPECT_EQ(run.ended(20.0), 0) << run.said();

    const std::string expected = "ResX=1024\nResY=768\nLimit=11\nPlane.0=0\nPlane.1=0\nName.0=Player 1\nName.1=Player 2\n";
    EXPECT_EQ(read_text_file(dir + "/settings.ini"), std::regex_replace(expected, std::regex("\n"), "\r\n"));
    std::vector<std::string> settings_files;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (is_settings_file(entry.path().string()) || entry.path().extension() == ".tmp") {
            settings_files.push_back(entry.path().filename().string());
        }
    }
    EXPECT_EQ(settings_files, std::vector<std::string>{"settings.ini"});
}

// DirectSound under Wine: the five static buffers take the formats and
// sizes of the generator's WAVE images; Enter on "New game" plays the menu
// choice; in the match both halves change while both players fly and fire,
// and held fire starts the shot effect again and again, each time from the
// beginning of its buffer.
TEST_F(Wine, MatchFliesAndTheSoundsPlayFromTheirResources)
{
    SKIP_WITHOUT_WINE();
    GameCopy copy;
    StateFrames frames = sim_states(copy, 2, {{"Escape", "menu 0", 12}});
    ASSERT_EQ(start(unpack(), "-all,+dsound"), "");
    ASSERT_TRUE(reaches("menu 0", "Escape", frames["menu 0"]));

    // New game: the keys go down once the match shows (a new round lets
    // go of every key).
    ASSERT_TRUE(reaches("the match", "Return",
                        [&](const Picture& shot) { return !frames["menu 0"].count(frame_hash(shot.pixels)); }));
    // Both views turn while the keys are held (Wine may stall the game for
    // a moment, so the change is waited for rather than timed).
    Picture first;
    ASSERT_TRUE(run.key(both_players_fly, "keydown"));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(run.capture(first));
    EXPECT_EQ(first.width, 400);
    EXPECT_EQ(first.height, 300);
    EXPECT_TRUE(run.both_halves_change(first, "match"));
    ASSERT_TRUE(run.key(both_players_fly, "keyup"));
    ASSERT_TRUE(reaches("menu 0 after the match", "Escape", frames["menu 0"]));
    ASSERT_TRUE(run.key("Escape"));
    EXPECT_EQ(run.ended(20.0), 0);

    // The buffers in the order of creation are the slots "#103", "#111",
    // "#112", "#110", "#108". Line by line (the mixing thread's lines come
    // in between): each buffer's format and size, and how often it was
    // played right after being rewound to 0.
    struct Buffer {
        std::string format, bytes, address;
        int32_t starts = 0;
    };
    std::vector<Buffer> buffers;
    Buffer pending;
    std::map<std::string, bool> rewound;
    const std::regex format(R"(formattag=0x0001,chans=(\d+),samplerate=(\d+),.*bitspersamp=(\d+))");
    const std::regex call(R"((SetCurrentPosition|IDirectSoundBufferImpl_Play) \(([0-9A-F]+),([0-9A-F]+))");
    std::smatch m;
    std::istringstream lines(run.said());
    for (std::string line; std::getline(lines, line);) {
        if (std::regex_search(line, m, format)) {
            pending.format = m.str(1) + " channels, " + m.str(2) + " Hz, " + m.str(3) + " bits";
        } else if (size_t at = line.find("(bufferbytes="); at != std::string::npos) {
            pending.bytes = line.substr(at + 13, line.find(')', at) - at - 13);
        } else if (size_t at = line.find("Created buffer at "); at != std::string::npos) {
            pending.address = line.substr(at + 18);
            buffers.push_back(pending);
        } else if (std::regex_search(line, m, call)) {
            const bool rewind = m.str(1) == "SetCurrentPosition";
            if (!rewind && rewound[m.str(2)]) {
                for (Buffer& b : buffers) b.starts += b.address == m.str(2);
            }
            rewound[m.str(2)] = rewind && std::stoul(m.str(3), nullptr, 16) == 0;
        }
    }
    ASSERT_EQ(buffers.size(), 5u) << "Wine said:\n" << run.said().substr(0, 4000);
    const char* const* names = sound_slot_resources;
    for (size_t slot = 0; slot < buffers.size(); ++slot) {
        const uint8_t* image = nullptr;
        uint32_t size = 0;
        WaveClip clip;
        ASSERT_TRUE(find_resource(names[slot], "WAVE", &image, &size) && wave_read_clip(image, size, &clip));
        EXPECT_EQ(buffers[slot].format, std::to_string(clip.channels) + " channels, " + std::to_string(clip.rate) +
                                            " Hz, " + std::to_string(clip.bits) + " bits")
            << names[slot];
        EXPECT_EQ(buffers[slot].bytes, std::to_string(clip.size)) << names[slot];
    }
    EXPECT_GE(buffers[sound_menu_choice].starts, 1) << "the menu choice";
    EXPECT_GE(buffers[sound_shot].starts, 5) << "the shots of held fire";
}

// A replay named on the command line plays in the window: valkron-sim's
// frames of the same match.
TEST_F(Wine, AReplayNamedOnTheCommandLinePlays)
{
    SKIP_WITHOUT_WINE();
    GameCopy copy;
    std::set<std::string> frames;
    std::istringstream trace(copy.trace({"--replay", VALKRON_SOURCE_DIR "/docs/replay.keys", "--ticks", "296"}));
    for (std::string line; std::getline(trace, line);) frames.insert(trace_field(line, "frame"));
    const std::string dir = unpack();
    std::filesystem::copy_file(VALKRON_SOURCE_DIR "/docs/replay.keys", dir + "/match.keys");
    ASSERT_EQ(start(dir, "-all", " --replay match.keys"), "");
    EXPECT_TRUE(reaches("the replay", {}, frames, 20.0));
}
