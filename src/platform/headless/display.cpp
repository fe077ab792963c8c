// The headless display: the two frame buffers in memory; every presented
// frame goes to the driver's frame_presented hook.
#include "platform/common/frame_pair.h"
#include "platform/display.h"
#include "platform/headless/headless_internal.h"

static FramePair frames = {};
static int32_t limit_width = 0;
static int32_t limit_height = 0;
static int32_t failing_locks = 0;

int32_t display_init(Window* window, int32_t width, int32_t height)
{
    (void)window;  // nothing is shown, so no window is needed
    display_shutdown();
    if (width <= 0 || height <= 0 || width > display_max_size || height > display_max_size) return DISPLAY_ERR_SIZE;
    if ((limit_width > 0 && width > limit_width) || (limit_height > 0 && height > limit_height))
        return DISPLAY_ERR_SIZE;
    if (!frame_pair_allocate(&frames, width, height)) return DISPLAY_ERR_MEMORY;
    return 0;
}

void display_shutdown()
{
    frame_pair_release(&frames);
}

int32_t display_restore()
{
    return 0;
}

int32_t display_lock_frame(uint32_t** pixels)
{
    if (!frames.a) return 0;
    if (failing_locks > 0) {
        --failing_locks;
        return 0;
    }
    *pixels = frame_pair_current(&frames);
    return 1;
}

void display_present()
{
    if (!frames.a) return;
    const uint32_t* shown = frame_pair_flip(&frames);
    if (headless_driver.frame_presented)
        headless_driver.frame_presented(shown, frames.width, frames.height, headless_driver.user);
}

void headless_set_display_limit(int32_t max_width, int32_t max_height)
{
    limit_width = max_width;
    limit_height = max_height;
}

void headless_fail_next_locks(int32_t n)
{
    failing_locks = n > 0 ? n : 0;
}

int32_t headless_draw_to_a()
{
    return frames.draw_to_a;
}

void headless_display_reset()
{
    display_shutdown();
    frames.draw_to_a = 0;
    limit_width = 0;
    limit_height = 0;
    failing_locks = 0;
}
