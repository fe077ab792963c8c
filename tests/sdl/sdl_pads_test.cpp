// Pads on the real SDL backend: two virtual game controllers fly a match on
// the generated game data, and every tick's held-key flags, aeroplanes and
// presented frame equal those of the same moves made on the keyboard.
#include "engine/engine.h"
#include "game/aircraft.h"
#include "game/match.h"
#include "game/random.h"
#include "game/weapons.h"
#include "game/world.h"
#include "platform/display.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/window.h"
#include "scratch_dir.h"
#include "sdl_test_env.h"
#include "shell/keyboard.h"
#include "shell/menu.h"
#include "shell/pads.h"
#include "shell/pictures.h"
#include "shell/startup.h"
#include "shell/window_proc.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// One move of the scenario: a pad input and the key that does the same.
struct Move {
    int32_t tick;
    int32_t pad;  // 0 or 1
    enum { axis, button, unplug } kind;
    int32_t which;  // SDL controller axis or button
    int32_t value;  // axis value, or 1 / 0 for a button
    std::vector<std::pair<int32_t, int32_t>> keys;  // scan code, 1 down / 0 up
};

constexpr int32_t sc_left = 80, sc_insert = 73, sc_home = 74, sc_w = 26, sc_d = 7, sc_2 = 31, sc_3 = 32;
constexpr int32_t pressed = 32767, released = -32768;  // trigger axes of a virtual controller

const std::vector<Move> moves = {
    {5, 0, Move::axis, SDL_CONTROLLER_AXIS_LEFTX, -32768, {{sc_left, 1}}},
    {5, 0, Move::axis, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, pressed, {{sc_insert, 1}}},
    {5, 1, Move::axis, SDL_CONTROLLER_AXIS_LEFTY, 30000, {{sc_w, 1}}},  // stick back: nose up
    {5, 1, Move::button, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, 1, {{sc_3, 1}}},
    {9, 0, Move::button, SDL_CONTROLLER_BUTTON_A, 1, {{sc_home, 1}}},
    {12, 1, Move::button, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 1, {{sc_d, 1}}},
    {14, 0, Move::axis, SDL_CONTROLLER_AXIS_LEFTX, -4000, {{sc_left, 0}}},  // inside the dead zone
    {20, 0, Move::axis, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, released, {{sc_insert, 0}}},
    {22, 1, Move::axis, SDL_CONTROLLER_AXIS_TRIGGERLEFT, pressed, {{sc_2, 1}}},
    {26, 0, Move::button, SDL_CONTROLLER_BUTTON_A, 0, {{sc_home, 0}}},
    // Unplugged mid-match: what it held is let go on the next tick.
    {30, 1, Move::unplug, 0, 0, {{sc_w, 0}, {sc_3, 0}, {sc_d, 0}, {sc_2, 0}}},
};
constexpr int32_t last_tick = 36;

struct TickState {
    PlayerControls controls[2];
    Aircraft aircraft[2];
    int32_t shot_count;
    int32_t pads[2];
    std::vector<uint32_t> output;
};

int32_t keycode(int32_t scancode)
{
    const SDL_Keycode code = SDL_GetKeyFromScancode(SDL_Scancode(scancode));
    return code != SDLK_UNKNOWN ? code : (scancode | (1 << 30));
}

// Handles every SDL event and message waiting, then returns.
void pump()
{
    window_post_quit_message(0);
    WindowMessage message;
    while (window_get_message(&message)) window_dispatch_message(&message);
}

class SdlPads : public ::testing::Test {
protected:
    void SetUp() override
    {
        use_test_drivers();
        // The offscreen window never has the keyboard focus.
        setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
        cwd = std::make_unique<ScopedWorkingDirectory>(VALKRON_GAME_DIR);
    }
    void TearDown() override
    {
        unsetenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS");
        sdl_display_set_window_state({1, 0, 0});  // the start state, for the tests after this one
    }

    // The game's window and a match as New game starts it, with the same
    // random draws every time.
    void start_match()
    {
        reset_program_state();
        sdl_display_set_window_state({0, 0, 0});
        main_window = window_create("Valkron Engine 1.0", 400, 300, window_proc);
        ASSERT_NE(main_window, nullptr);
        ASSERT_EQ(display_init(main_window, 400, 300), 0);
        ASSERT_NE(engine_init(200, 300), 0);
        view_buffer = allocate_pixels(view_buffer_pixels(400, 300));
        ASSERT_EQ(load_shot_model(), nullptr);
        allocate_shot_list();
        crt_srand(7);  // the same placement for both runs (the stars are kept)
        menu_active = 1;
        new_game();
        ASSERT_EQ(match_active, 1);
    }

    void end_match()
    {
        window_send_message(main_window, WM_CLOSE, 0, 0);
        pump();
        release_program_resources();
        main_window = nullptr;
    }

    TickState tick()
    {
        pump();
        window_send_message(main_window, WM_TIMER, 0, 0);
        TickState state{};
        std::memcpy(state.controls, controls, sizeof controls);
        std::memcpy(state.aircraft, aircraft, sizeof aircraft);
        state.shot_count = shot_count;
        state.pads[0] = player_pad(0);
        state.pads[1] = player_pad(1);
        if (SDL_Surface* screen = SDL_GetWindowSurface(main_window->sdl)) {
            const uint32_t* pixels = static_cast<const uint32_t*>(screen->pixels);
            state.output.assign(pixels, pixels + size_t(screen->h) * size_t(screen->pitch) / 4);
        }
        return state;
    }

    std::unique_ptr<ScopedWorkingDirectory> cwd;
};

void expect_same(const TickState& a, const TickState& b, int32_t t)
{
    EXPECT_EQ(std::memcmp(a.controls, b.controls, sizeof a.controls), 0) << "the held-key flags of tick " << t;
    EXPECT_EQ(std::memcmp(a.aircraft, b.aircraft, sizeof a.aircraft), 0) << "the aeroplanes of tick " << t;
    EXPECT_EQ(a.shot_count, b.shot_count) << "tick " << t;
    EXPECT_FALSE(a.output.empty());
    EXPECT_TRUE(a.output == b.output) << "the frame of tick " << t;
}

TEST_F(SdlPads, VirtualPadsFlyAsTheKeysDo)
{
    generate_star_field();  // seeded by the clock: made once for both runs
    // On the keyboard.
    start_match();
    std::vector<TickState> on_keys;
    for (int32_t t = 1; t <= last_tick; ++t) {
        for (const Move& m : moves) {
            if (m.tick != t) continue;
            for (auto [scancode, down] : m.keys) push_key(down, scancode, keycode(scancode));
        }
        on_keys.push_back(tick());
    }
    end_match();

    // On two virtual pads, plugged before the first tick.
    start_match();
    SDL_Joystick* sticks[2] = {};
    SDL_JoystickID ids[2] = {};
    for (int32_t i = 0; i < 2; ++i) {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1;
        desc.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
        desc.button_mask = (1u << desc.nbuttons) - 1;
        desc.name = i == 0 ? "Virtual pad 1" : "Virtual pad 2";
        const int32_t index = SDL_JoystickAttachVirtualEx(&desc);
        ASSERT_GE(index, 0) << SDL_GetError();
        sticks[i] = SDL_JoystickOpen(index);
        ASSERT_NE(sticks[i], nullptr) << SDL_GetError();
        ids[i] = SDL_JoystickInstanceID(sticks[i]);
        ASSERT_TRUE(SDL_IsGameController(index));  // SDL maps a virtual controller by its masks
    }
    std::vector<TickState> on_pads;
    for (int32_t t = 1; t <= last_tick; ++t) {
        for (const Move& m : moves) {
            if (m.tick != t) continue;
            SDL_Joystick* stick = sticks[m.pad];
            if (m.kind == Move::axis) {
                ASSERT_EQ(SDL_JoystickSetVirtualAxis(stick, m.which, int16_t(m.value)), 0);
            } else if (m.kind == Move::button) {
                ASSERT_EQ(SDL_JoystickSetVirtualButton(stick, m.which, uint8_t(m.value)), 0);
            } else {
                SDL_JoystickClose(stick);
                sticks[m.pad] = nullptr;
                for (int32_t d = 0; d < SDL_NumJoysticks(); ++d) {
                    if (SDL_JoystickGetDeviceInstanceID(d) == ids[m.pad]) SDL_JoystickDetachVirtual(d);
                }
            }
        }
        on_pads.push_back(tick());
    }
    for (SDL_Joystick* stick : sticks) {
        if (stick) SDL_JoystickClose(stick);
    }
    end_match();

    ASSERT_EQ(on_pads.size(), on_keys.size());
    for (size_t i = 0; i < on_pads.size(); ++i) expect_same(on_pads[i], on_keys[i], int32_t(i + 1));
    // Pad 1 flies player 1 and pad 2 player 2 until it is unplugged.
    EXPECT_EQ(on_pads[0].pads[0], 1);
    EXPECT_EQ(on_pads[0].pads[1], 2);
    EXPECT_EQ(on_pads.back().pads[0], 1);
    EXPECT_EQ(on_pads.back().pads[1], 0);
    // The moves did something: both turned, player 1 fired, the view changed.
    EXPECT_GT(on_pads[10].aircraft[0].yaw_rate, 0.0f);
    EXPECT_GT(on_pads[10].aircraft[1].pitch_rate, 0.0f);
    EXPECT_GT(on_pads[20].shot_count, 0);
    EXPECT_FALSE(on_pads[3].output == on_pads[20].output);
}

}  // namespace
