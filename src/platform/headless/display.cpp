// The headless display: the two frame buffers in memory; every presented
// frame goes to the driver's frame_presented hook.
#include "platform/display.h"
#include "platform/headless/headless_internal.h"

#include <cstdlib>

static uint32_t* buffer_a = nullptr;
static uint32_t* buffer_b = nullptr;
static int32_t display_width = 0;
static int32_t display_height = 0;
static int32_t draw_to_a = 0;
static int32_t limit_width = 0;
static int32_t limit_height = 0;
static int32_t failing_locks = 0;

int32_t display_init(Window* window, int32_t width, int32_t height)
{
    (void)window;  // nothing is shown, so no window is needed
    display_shutdown();
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return DISPLAY_ERR_SIZE;
    if ((limit_width > 0 && width > limit_width) || (limit_height > 0 && height > limit_height))
        return DISPLAY_ERR_SIZE;
    size_t count = size_t(width) * size_t(height);
    buffer_a = static_cast<uint32_t*>(std::calloc(count, sizeof(uint32_t)));
    buffer_b = static_cast<uint32_t*>(std::calloc(count, sizeof(uint32_t)));
    if (!buffer_a || !buffer_b) {
        display_shutdown();
        return DISPLAY_ERR_MEMORY;
    }
    display_width = width;
    display_height = height;
    return 0;
}

void display_shutdown()
{
    std::free(buffer_a);
    std::free(buffer_b);
    buffer_a = nullptr;
    buffer_b = nullptr;
    display_width = 0;
    display_height = 0;
}

int32_t display_restore()
{
    return 0;
}

int32_t display_lock_frame(uint32_t** pixels)
{
    if (!buffer_a) return 0;
    if (failing_locks > 0) {
        --failing_locks;
        return 0;
    }
    *pixels = draw_to_a ? buffer_a : buffer_b;
    return 1;
}

void display_present()
{
    if (!buffer_a) return;
    const uint32_t* shown = draw_to_a ? buffer_a : buffer_b;
    draw_to_a = !draw_to_a;
    if (headless_driver.frame_presented)
        headless_driver.frame_presented(shown, display_width, display_height, headless_driver.user);
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
    return draw_to_a;
}

void headless_display_reset()
{
    display_shutdown();
    draw_to_a = 0;
    limit_width = 0;
    limit_height = 0;
    failing_locks = 0;
}
