// Changing the screen resolution while the program runs.
#pragma once

#include <cstdint>

struct Window;

// Rebuilds the display, buffers and engine at width x height and starts the
// intro again. 1 when done, 0 when it gave up early.
int32_t change_resolution(Window* window, int32_t width, int32_t height);
