// What whole-program runs of valkron-sim cannot show: the held-key flags,
// the help text's pieces, and a game run in this process on a display that
// refuses a mode (with the cursor and the clean-up checked).
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "game/match.h"
#include "game/weapons.h"
#include "game/world.h"
#include "platform/headless.h"
#include "platform/keys.h"
#include "scratch_dir.h"
#include "shell/key_names.h"
#include "shell/keyboard.h"
#include "shell/net_message.h"
#include "shell/pads.h"
#include "shell/pictures.h"
#include "shell/screens.h"
#include "shell/settings.h"
#include "shell/startup.h"
#include "shell/window_proc.h"
#include "sim_runner.h"

namespace {

TEST(Keyboard, EveryKeyDrivesItsOwnFlagAndOthersNone)
{
    clear_controls();
    int32_t PlayerControls::*const fields[] = {&PlayerControls::pitch_up,   &PlayerControls::pitch_down,
                                               &PlayerControls::turn_left,  &PlayerControls::turn_right,
                                               &PlayerControls::accelerate, &PlayerControls::brake,
                                               &PlayerControls::fire};
    const uint32_t keys[2][7] = {{VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_INSERT, VK_DELETE, VK_HOME},
                                 {'W', 'S', 'A', 'D', '1', '2', '3'}};
    auto held = [] {
        int32_t n = 0;
        for (const PlayerControls& c : controls) {
            n += c.accelerate + c.brake + c.turn_left + c.turn_right + c.pitch_up + c.pitch_down + c.fire;
        }
        return n;
    };
    for (int32_t p = 0; p < 2; ++p) {
        for (int32_t k = 0; k < 7; ++k) {
            key_down(keys[p][k]);
            EXPECT_EQ(controls[p].*fields[k], 1) << keys[p][k];
            EXPECT_EQ(held(), 1) << keys[p][k];
            key_up(keys[p][k]);
            EXPECT_EQ(held(), 0) << keys[p][k];
        }
    }
    for (uint32_t k : {VK_NUMPAD0 + 1u, VK_NUMPAD0 + 3u, uint32_t('Q'), uint32_t(VK_RETURN), uint32_t('4'), 0x1FFu}) {
        key_down(k);
    }
    EXPECT_EQ(held(), 0);
    key_down(VK_LEFT);
    key_down(VK_RIGHT);
    EXPECT_EQ(held(), 2);
    clear_controls();
    EXPECT_EQ(held(), 0);
}

// The names a key script or a Keys line may give, at the edges of each
// form; every key and pad input reads back from the name it is written as.
TEST(KeyNames, EachFormUpToItsEdgesAndEveryNameReadsBack)
{
    const struct {
        const char* name;
        int64_t key;  // -1: refused
    } table[] = {
        {"a", 'A'},          {"Z", 'Z'},          {"0", '0'},           {"9", '9'},
        {"0x26", 0x26},      {"0XfF", 0xFF},      {"0x100", -1},        {"0x", -1},
        {"0xG1", -1},        {"0x1G", -1},        {"38", 38},           {"255", 255},
        {"256", -1},         {"-1", -1},          {"up", VK_UP},        {"ESCAPE", VK_ESCAPE},
        {"Upp", -1},         {"", -1},            {"F1", VK_F1},        {"f12", VK_F1 + 11},
        {"F0", -1},          {"F13", -1},         {"F", 'F'},           {"Fx", -1},
        {"Num0", VK_NUMPAD0}, {"nUM9", VK_NUMPAD0 + 9}, {"Numx", -1},   {"Num10", -1},
        {"Nim1", -1},        {"Nu1", -1},         {"$", -1},
    };
    for (const auto& row : table) {
        uint32_t key = 0;
        const bool known = parse_key_name(row.name, key);
        EXPECT_EQ(known ? int64_t(key) : -1, row.key) << '"' << row.name << '"';
    }
    for (uint32_t key = 1; key <= 0x1FF; ++key) {
        uint32_t back = 0;
        EXPECT_TRUE(parse_key_name(key_name(key).c_str(), back) && back == (key & 0xFF)) << key;
    }
    for (int32_t b = 0; b < pad_button_count; ++b) EXPECT_EQ(pad_button_by_name(pad_button_name(b)), b);
    for (int32_t a = 0; a < pad_axis_count; ++a) EXPECT_EQ(pad_axis_by_name(pad_axis_name(a)), a);
    EXPECT_EQ(pad_button_by_name("dpadleft"), pad_button_by_name("DpadLeft"));
    EXPECT_EQ(pad_axis_by_name("leftx"), pad_axis_by_name("LeftX"));
    EXPECT_EQ(pad_button_by_name("Dpad"), -1);
    EXPECT_EQ(pad_axis_by_name("LeftXY"), -1);
    for (int32_t outside : {-1, int32_t(pad_button_count)}) EXPECT_STREQ(pad_button_name(outside), "?");
    for (int32_t outside : {-1, int32_t(pad_axis_count)}) EXPECT_STREQ(pad_axis_name(outside), "?");
}

std::vector<std::string> help_pieces(int32_t width)
{
    res_x = width;
    read_help_text();
    std::vector<std::string> out(help_lines, help_lines + help_line_count);
    free_help_text();
    res_x = 400;
    return out;
}

TEST(HelpText, LinesAreCutIntoPiecesForTheScreenWidth)
{
    ScratchWorkingDirectory cwd;
    EXPECT_TRUE(help_pieces(400).empty());  // no file
    cwd.dir.make_dir("Data");
    cwd.dir.write("Data/pak0.pak", "short\n" + std::string(130, 'x') + "\n\nlast without end");
    const std::string x46(46, 'x');
    EXPECT_EQ(help_pieces(400), (std::vector<std::string>{"short\n", x46, x46, std::string(38, 'x') + "\n", "\n",
                                                          "last without end"}));
    EXPECT_EQ(help_pieces(1024), (std::vector<std::string>{"short\n", std::string(124, 'x'),
                                                           std::string(6, 'x') + "\n", "\n", "last without end"}));
    // A line that fills a piece leaves its line end as a piece of its own.
    cwd.dir.write("Data/pak0.pak", std::string(46, 'y') + "\r\n" + std::string(45, 'z') + "\r\nend\r\n");
    EXPECT_EQ(help_pieces(400), (std::vector<std::string>{std::string(46, 'y'), "\n", std::string(45, 'z') + "\n",
                                                          "end\n"}));
    EXPECT_TRUE(help_pieces(35).empty());  // room for one character: no piece
    EXPECT_EQ(help_pieces(36).size(), 97u);
}

// The game in this process on a copy of the game directory: keys pressed
// before their tick, `each` after every tick, closed by the window system
// after `ticks` unless it ends itself.
struct GameRun {
    std::vector<std::pair<uint64_t, uint32_t>> keys;
    uint64_t ticks = 0;
    std::function<void(uint64_t)> each;

    int32_t run(const std::string& dir)
    {
        ScopedWorkingDirectory cwd(dir);
        HeadlessDriver driver{};
        driver.user = this;
        driver.begin_tick = [](uint64_t tick, void* user) -> int32_t {
            const GameRun& self = *static_cast<GameRun*>(user);
            for (const auto& k : self.keys) {
                if (k.first == tick) headless_queue_key(1, k.second);
            }
            if (tick > self.ticks) headless_queue_close();
            return tick <= self.ticks;
        };
        driver.end_tick = [](uint64_t tick, void* user) { static_cast<GameRun*>(user)->each(tick); };
        headless_set_driver(&driver);
        return WinMain(nullptr, nullptr, "", 1);
    }
};

TEST(Game, ARefusedModeKeepsItsSizeAndVanishedFilesKeepWhatWasRead)
{
    GameCopy copy;
    copy.game.write("settings.ini", "ResX=640\nResY=480\n");
    headless_reset();
    headless_set_display_limit(640, 480);
    GameRun game;
    game.keys = {{4, VK_ESCAPE}, {7, VK_RIGHT}, {9, VK_ESCAPE}, {11, VK_LEFT}, {13, VK_DOWN}, {14, VK_RETURN}};
    for (int32_t k = 0; k < 8; ++k) game.keys.push_back({6, VK_DOWN});
    game.ticks = 20;
    std::string seen;
    game.each = [&](uint64_t tick) {
        EXPECT_EQ(headless_cursor_shown(), 0);
        seen += std::to_string(tick) + ":" + std::to_string(res_x) + "x" + std::to_string(res_y) + "#" +
                std::to_string(resolution_index) + (intro_active ? "i" : "") + (menu_active ? "m" : "") +
                std::to_string(screen_timer) + "/" + std::to_string(headless_timer_period()) + " ";
        if (tick == 1) headless_fail_next_locks(2);  // ticks 2 and 3 skipped whole
        if (tick == 10) {
            for (const char* file : {"Models/intro.3ds", "Data/Menu.tex", "Data/Target.tex"}) {
                std::filesystem::remove(copy.game.file(file));
            }
        }
        if (tick == 12) {  // the pictures read before, at the new size
            EXPECT_EQ(menu_background[640 * 400 - 1], menu_picture[400 * 300 - 1]);
            EXPECT_EQ(menu_background[639], menu_picture[399]);
            EXPECT_EQ(target_picture[0], 0u);
        }
    };
    EXPECT_EQ(game.run(copy.game.path()), 0);
    // 800 x 600 refused on tick 7: the intro again at 640 x 480. Left then
    // gives 640 x 400, without an intro model: the menu at once.
    EXPECT_EQ(seen, "1:640x480#3i5/33 2:640x480#3i5/33 3:640x480#3i5/33 4:640x480#3i1000/33 5:640x480#3m1005/33 "
                    "6:640x480#3m1005/33 8:640x480#3i5/10 9:640x480#3i1000/10 10:640x480#3m1005/10 "
                    "12:640x400#2m0/10 13:640x400#2m0/10 ");
    EXPECT_EQ(headless_cursor_shown(), 1);  // Exit shows it again
    EXPECT_EQ(copy.game.read_text("settings.ini").substr(0, 18), "ResX=640\nResY=400\n");
    for (const void* p : {static_cast<const void*>(explosion_frames), static_cast<const void*>(view_buffer),
                          static_cast<const void*>(menu_background), static_cast<const void*>(target_picture),
                          static_cast<const void*>(plane_scene[0]), static_cast<const void*>(fire_scene),
                          static_cast<const void*>(help_lines), static_cast<const void*>(shot_matrix),
                          static_cast<const void*>(engine.depth_buffer)}) {
        EXPECT_EQ(p, nullptr);
    }
    headless_reset();
}

TEST(Pictures, OnlyClearlyRedPixelsOfTheAimingMarkBecomeTransparent)
{
    uint32_t pixels[] = {0x00140A0A, 0x00150A0A, 0x00150B0A, 0x00150A0B, 0x01000000, 0x000000FF, 0x00FF8080};
    clear_red_pixels(pixels, 7);
    EXPECT_EQ(std::vector<uint32_t>(pixels, pixels + 7),
              (std::vector<uint32_t>{0x00140A0A, 0, 0x00150B0A, 0x00150A0B, 0, 0x000000FF, 0}));
}

}  // namespace

// In a match between two machines the pads give their controls to the
// exchange and press none in the game themselves.
TEST(Pads, InANetworkMatchThePadsHoldForTheExchangeOnly)
{
    reset_pads();
    clear_controls();
    match_active = 1;
    begin_network_pads();
    pad_message(WM_PADPLUG, 1, 0);
    pad_message(WM_PADDOWN, 1, pad_a);
    pad_message(WM_PADAXIS, 1, pad_axis_lparam(pad_trigger_right, 32767));
    EXPECT_EQ(network_pad_holds(), (1u << control_fire) | (1u << control_accelerate));
    EXPECT_EQ(pad_control_held(0, control_fire), 0);
    EXPECT_EQ(pad_message(WM_PADDOWN, 1, pad_back), uint32_t{VK_ESCAPE});
    end_replay_pads();
    pad_message(WM_PADUP, 1, pad_a);
    EXPECT_EQ(network_pad_holds(), 1u << control_accelerate);
    match_active = 0;
    reset_pads();
}

// A stick counts past the dead zone only; a button or an axis the pads do
// not have changes nothing, not even how long a control has been held.
TEST(Pads, TheDeadZoneHoldsNothingAndUnknownInputsChangeNothing)
{
    reset_pads();
    pad_message(WM_PADPLUG, 1, 0);
    EXPECT_EQ(pad_message(WM_PADAXIS, 1, pad_axis_lparam(pad_left_y, pad_dead_zone)), 0u);
    EXPECT_EQ(pad_message(WM_PADAXIS, 1, pad_axis_lparam(pad_left_y, pad_dead_zone + 1)), uint32_t{VK_DOWN});
    EXPECT_EQ(pad_message(WM_PADAXIS, 1, pad_axis_lparam(pad_left_y, 0)), 0u);
    EXPECT_EQ(pad_message(WM_PADAXIS, 1, pad_axis_lparam(pad_left_y, -pad_dead_zone)), 0u);
    EXPECT_EQ(pad_message(WM_PADAXIS, 1, pad_axis_lparam(pad_left_y, -pad_dead_zone - 1)), uint32_t{VK_UP});

    match_active = 1;
    pad_message(WM_PADDOWN, 1, pad_a);
    for (int32_t t = 0; t < 5; ++t) {
        pads_tick();
    }
    PadsAtStart before{}, after{};
    pads_at_start(before);
    EXPECT_EQ(pad_message(WM_PADAXIS, 1, pad_axis_lparam(pad_axis_count, 0)), 0u);
    EXPECT_EQ(pad_message(WM_PADDOWN, 1, pad_button_count), 0u);
    pads_at_start(after);
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
    match_active = 0;
    clear_controls();
    reset_pads();
}

// What crosses the wire: a message round-trips, and one that breaks a rule
// is neither sent nor taken.
TEST(NetMessage, ValidMessagesRoundTripAndOthersAreRefused)
{
    NetMessage hello{};
    hello.kind = net_hello;
    std::strcpy(hello.version, "1.0");
    std::strcpy(hello.name, "Ann");
    hello.plane = 5;
    hello.pilot = 1;
    hello.seed = 0xDEADBEEF;
    hello.frag_limit = 3;
    hello.screen_width = net_screen_max;
    hello.screen_height = 1;
    uint8_t bytes[net_message_max + 1] = {};
    const size_t size = encode_net_message(hello, bytes);
    ASSERT_GT(size, 0u);
    NetMessage back{};
    ASSERT_TRUE(decode_net_message(bytes, size, back));
    EXPECT_EQ(std::string(back.name), "Ann");
    EXPECT_EQ(back.seed, 0xDEADBEEF);
    EXPECT_EQ(back.screen_width, net_screen_max);
    EXPECT_FALSE(decode_net_message(bytes, size - 1, back));
    EXPECT_FALSE(decode_net_message(bytes, size + 1, back));

    const std::vector<std::function<void(NetMessage&)>> breaks = {
        [](NetMessage& m) { m.screen_width = net_screen_max + 1; },
        [](NetMessage& m) { m.screen_height = 0; },
        [](NetMessage& m) { m.screen_height = net_screen_max + 1; },
        [](NetMessage& m) { m.plane = plane_count; },
        [](NetMessage& m) { m.frag_limit = 0; },
        [](NetMessage& m) { m.name[0] = '\n'; },
        [](NetMessage& m) { m = NetMessage{}; m.kind = net_bye; m.reason = net_bye_reason_count; },
        [](NetMessage& m) { m = NetMessage{}; m.kind = net_ticks; m.input_count = 1; m.inputs[0] = 0x80; },
        [](NetMessage& m) { m = NetMessage{}; m.kind = net_ticks; m.hash_count = net_hashes_max + 1; },
    };
    for (size_t i = 0; i < breaks.size(); ++i) {
        NetMessage broken = hello;
        breaks[i](broken);
        EXPECT_EQ(encode_net_message(broken, bytes), 0u) << "rule " << i;
    }
}
