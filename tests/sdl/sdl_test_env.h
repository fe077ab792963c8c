// SDL drivers that need no screen and no sound card: the offscreen video
// driver with the software renderer, and the disk audio driver writing
// the mixed output to a file.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

#include <SDL.h>

#include "platform/sdl/sdl_internal.h"

// Call before anything starts SDL. Returns the audio output file.
inline std::string use_test_drivers()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string file = ::testing::TempDir() + "valkron-audio-" + info->test_suite_name() + "-" +
                       info->name() + "-" + std::to_string(getpid()) + ".raw";
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_RENDER_DRIVER", "software", 1);
    // The window surface stays plain memory: no GL driver gets loaded.
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 1);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    return file;
}

// Queue SDL events as the window system would send them; the game's message
// loop picks them up like any other.
enum : uint16_t {
    SDL_TEST_MOD_SHIFT = 1,
    SDL_TEST_MOD_CTRL = 2,
    SDL_TEST_MOD_ALT = 4,
    SDL_TEST_MOD_NUM = 8,
};

inline void push_window_event(uint8_t which)
{
    Window* live = sdl_current_window();
    if (!live) return;
    SDL_Window* window = live->sdl;
    SDL_Event event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = SDL_GetWindowID(window);
    event.window.event = which;
    SDL_PushEvent(&event);
}

inline void sdl_test_push_key(int32_t down, int32_t scancode, int32_t keycode, uint16_t modifiers, int32_t repeat)
{
    SDL_Event event = {};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = uint8_t(repeat ? 1 : 0);
    event.key.keysym.scancode = SDL_Scancode(scancode);
    event.key.keysym.sym = keycode;
    uint16_t mod = 0;
    if (modifiers & SDL_TEST_MOD_SHIFT) mod |= KMOD_LSHIFT;
    if (modifiers & SDL_TEST_MOD_CTRL) mod |= KMOD_LCTRL;
    if (modifiers & SDL_TEST_MOD_ALT) mod |= KMOD_LALT;
    if (modifiers & SDL_TEST_MOD_NUM) mod |= KMOD_NUM;
    event.key.keysym.mod = mod;
    if (Window* live = sdl_current_window()) event.key.windowID = SDL_GetWindowID(live->sdl);
    SDL_PushEvent(&event);
}

inline void sdl_test_push_close()
{
    push_window_event(SDL_WINDOWEVENT_CLOSE);
}

inline void sdl_test_push_minimised(int32_t minimised)
{
    push_window_event(minimised ? SDL_WINDOWEVENT_MINIMIZED : SDL_WINDOWEVENT_RESTORED);
}

inline void sdl_test_push_device_reset()
{
    SDL_Event event = {};
    event.type = SDL_RENDER_DEVICE_RESET;
    SDL_PushEvent(&event);
}
