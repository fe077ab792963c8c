// The shell's tests: a small game directory made by the test (pictures whose
// pixels tell their place, a font whose every glyph is a solid 8 x 9 block,
// one-triangle models, a help text), the headless platform with a driver
// that records what is shown and heard, and whole runs of WinMain.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "scratch_dir.h"

// Pixel values of the test pictures.
// Menu.tex (records read as they are): pixel (x, y) = y * 1024 + x.
inline uint32_t menu_test_pixel(int32_t x, int32_t y) { return static_cast<uint32_t>(y * 1024 + x); }
// Quorba.tex (records r, g, b): texel (row, column) = (row << 8) | column,
// so texel (252, 255) is the key colour 0x0000FCFF.
inline uint32_t quorba_test_texel(int32_t row, int32_t column)
{
    return static_cast<uint32_t>((row << 8) | column);
}
// ExplN.tex: pixel i of picture N (1-based file) = (N << 16) | i.
inline uint32_t explosion_test_pixel(int32_t file_number, int32_t index)
{
    return (static_cast<uint32_t>(file_number) << 16) | static_cast<uint32_t>(index);
}
// The four pixels of the aiming mark's colour rule, at its first four places.
constexpr uint32_t target_red = 0x00FF0000;     // cleared
constexpr uint32_t target_pink = 0x00FF8080;    // cleared
constexpr uint32_t target_grey = 0x00808080;    // kept
constexpr uint32_t target_green = 0x0080FF80;   // kept
constexpr uint32_t target_other = 0x00123456;   // the rest, kept

// The settings globals, to compare them whole.
struct Settings {
    int32_t res_x, res_y, resolution_index, frag_limit;
    int32_t plane_index[2];
    std::string plane_name[2];
    std::string player_name[2];
    bool operator==(const Settings&) const = default;
};
Settings current_settings();
void PrintTo(const Settings& s, std::ostream* os);
// What a start without a settings file holds.
const Settings default_settings = {400, 300, 0, 10, {0, 0}, {"Happy", "Happy"}, {"Player 1", "Player 2"}};

// Raw 4-byte records of a picture, in file order.
std::vector<uint8_t> picture_bytes(const std::vector<uint32_t>& pixels, bool rgb_records);

// Writes every file the game reads into dir (the intro model is a triangle
// too small to cover a pixel, so the intro shows only its texture and text).
void write_test_game(const ScratchDir& dir);

// A frame as shown: width x height pixels.
struct Frame {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int32_t x, int32_t y) const { return pixels.at(static_cast<size_t>(y) * width + x); }
};

// What one tick left behind, recorded after its timer message.
struct TickRecord {
    uint64_t tick = 0;
    int32_t intro = 0, winner = 0, menu = 0, help = 0, credits = 0, match = 0;
    int32_t screen_timer = 0;
    int32_t menu_item = 0;
    int32_t res_x = 0, res_y = 0;
    bool presented = false;
    std::vector<int32_t> sounds;
};

struct KeyAt {
    uint64_t tick;
    int32_t down;
    uint32_t key;
};

// The test's own game directory as working directory, the headless platform
// reset, a recording driver installed, the shell's globals at their start
// values. TearDown gives everything back.
class ShellTest : public ::testing::Test {
public:
    void SetUp() override;
    void TearDown() override;
    void install_driver();

    // The state the menu runs in after the intro, without WinMain: the
    // display, engine (half width, solid font), pictures, sounds and a
    // window at width x height.
    void start_menu(int32_t width, int32_t height);
    // One timer message through the window procedure.
    void tick();
    // A key through the window procedure.
    void key(uint32_t vk, bool down = true);

    // Whole program: WinMain with these keys (delivered before their tick),
    // closed by the window system after max_ticks ticks unless it ends
    // itself. on_frame sees every shown frame with its tick.
    int32_t run_game(const std::vector<KeyAt>& keys, uint64_t max_ticks,
                     std::function<void(uint64_t, const Frame&)> on_frame = nullptr);

    ScratchDir dir;
    std::unique_ptr<ScopedWorkingDirectory> cwd;
    std::vector<int32_t> sounds;  // every sound since SetUp, in order
    Frame last;                   // the frame shown last
    int32_t frames_shown = 0;
    std::vector<TickRecord> ticks;  // run_game's record
    bool menu_started = false;

    // run_game's driver state
    std::vector<KeyAt> script;
    size_t next_key = 0;
    uint64_t tick_limit = 0;
    std::function<void(uint64_t, const Frame&)> frame_hook;
    TickRecord current;
};
