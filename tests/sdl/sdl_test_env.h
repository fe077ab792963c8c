// SDL drivers that need no screen and no sound card: the offscreen video
// driver with the software renderer, and the disk audio driver writing
// the mixed output to a file.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

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
