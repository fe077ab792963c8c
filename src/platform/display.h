// The display: two frame buffers used by turns, shown full screen.
//
// Each frame the window procedure locks one frame buffer (width x height
// pixels 0x00RRGGBB, row stride exactly width), draws into it and presents
// it. The first frame draws into buffer B, the next into A, and so on; a
// buffer still holds what was drawn into it two frames earlier.
#pragma once

#include <cstdint>

struct Window;

// The largest width and height a display takes.
constexpr int32_t display_max_size = 16384;

// display_init's error codes.
enum : int32_t {
    DISPLAY_ERR_NO_WINDOW = 1,  // no window, or no video device
    DISPLAY_ERR_SIZE = 2,       // a size the display cannot take
    DISPLAY_ERR_DEVICE = 3,     // the renderer or its texture could not be made
    DISPLAY_ERR_MEMORY = 4,     // the frame buffers could not be allocated
};

// Enters the display mode of width x height. 0 on success, otherwise a
// non-zero error code (a size the display cannot take, no video device).
int32_t display_init(Window* window, int32_t width, int32_t height);
// Gives everything back and restores the desktop; harmless when there is
// no display or when called twice.
void display_shutdown();
// Recovers lost surfaces; 0 on success.
int32_t display_restore();
// 1 and *pixels set when this frame's buffer is locked, 0 otherwise (then
// the frame is skipped and the turn does not change).
int32_t display_lock_frame(uint32_t** pixels);
// Shows the locked buffer as the next frame and switches buffers.
void display_present();
