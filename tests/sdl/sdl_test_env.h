// The SDL backend with drivers that need no screen and no sound card (the
// offscreen video driver, the disk audio driver writing the mixed output
// to a file) and SDL events as the window system sends them.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "area_scaling.h"
#include "platform/sdl/sdl_internal.h"

// Call before anything starts SDL. Returns the audio output file.
inline std::string use_test_drivers()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string file = ::testing::TempDir() + "valkron-audio-" + info->name() + "-" + std::to_string(getpid()) + ".raw";
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    unsetenv("SDL_RENDER_DRIVER");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    return file;
}

inline void push_key(int down, int32_t scancode, int32_t keycode, uint16_t mod = 0, int repeat = 0)
{
    SDL_Event event = {};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.repeat = uint8_t(repeat);
    event.key.keysym.scancode = SDL_Scancode(scancode);
    event.key.keysym.sym = keycode;
    event.key.keysym.mod = mod;
    SDL_PushEvent(&event);
}

inline void push_window_event(uint8_t which, int32_t data1 = 0, int32_t data2 = 0)
{
    SDL_Event event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = sdl_current_window() ? SDL_GetWindowID(sdl_current_window()->sdl) : 0;
    event.window.event = which;
    event.window.data1 = data1;
    event.window.data2 = data2;
    SDL_PushEvent(&event);
}
