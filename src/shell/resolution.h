// Changing the screen resolution while the program runs.
#pragma once

#include <cstdint>

struct Window;

// Rebuilds the display, buffers and engine at width x height and starts the
// intro again. A display that refuses the size keeps the size in force (the
// intro still plays again). 1 when done, 0 when memory for the new buffers
// ran out and the buffers of the size in force stayed. Without the intro
// model the menu follows at once.
int32_t change_resolution(Window* window, int32_t width, int32_t height);
