#include "shell/resolution.h"

#include <cstdlib>
#include <cstring>

#include "engine/engine.h"
#include "game/world.h"
#include "platform/display.h"
#include "platform/window.h"
#include "game/match.h"
#include "shell/pictures.h"
#include "shell/screens.h"
#include "shell/settings.h"
#include "shell/startup.h"
#include "shell/window_proc.h"

namespace {

// The display at the size in force, after the new one was refused or
// cannot be served.
void back_to_current_size(Window* window, int32_t& width, int32_t& height)
{
    display_init(window, res_x, res_y);
    resolution_index = resolution_index_for_height(res_y);
    width = res_x;
    height = res_y;
}

// View buffer, menu background and aiming mark for width x height. New
// buffers are taken before the old ones are given back, so that without
// memory for them the old size stays whole. False in that case.
bool rebuild_screen_buffers(int32_t width, int32_t height)
{
    uint32_t* view = allocate_pixels(view_buffer_pixels(width, height));
    uint32_t* menu = allocate_pixels(int64_t{width} * height);
    uint32_t* target = allocate_pixels(int64_t{target_width} * target_height);
    if (!view || !menu || !target || width < 0 || height < 0) {
        std::free(view);
        std::free(menu);
        std::free(target);
        return false;
    }

    std::free(view_buffer);
    view_buffer = view;

    std::free(menu_background);
    menu_background = menu;
    if (!load_menu_background(width, height)) {
        scale_menu_background(width, height);  // the picture read before
    }

    uint32_t* old_target = target_picture;
    target_picture = target;
    if (!load_target_picture() && old_target) {
        std::memcpy(target_picture, old_target, sizeof(uint32_t) * target_width * target_height);
    }
    std::free(old_target);
    return true;
}

}  // namespace

int32_t change_resolution(Window* window, int32_t width, int32_t height)
{
    int32_t result = 1;
    window_kill_timer(window, frame_timer_id);

    display_shutdown();
    if (display_init(window, width, height) != 0) {
        back_to_current_size(window, width, height);
    }

    if (!rebuild_screen_buffers(width, height)) {
        if (width != res_x || height != res_y) {
            display_shutdown();
            back_to_current_size(window, width, height);
        }
        result = 0;  // the buffers of the size in force stay
    }

    engine_release();
    engine_init(width, height);

    intro_active = 1;
    match_active = 0;
    menu_active = 0;
    screen_timer = 0;
    name_edit = 0;

    release_match_models();  // the slots are empty in the menu
    if (!load_intro_model()) {
        // No intro to play: the menu at once, as after an intro.
        engine_release();
        engine_init(width / 2, height);
        intro_active = 0;
        menu_active = 1;
    }

    res_x = width;
    res_y = height;
    window_set_timer(window, frame_timer_id, fast_frame_period_ms);
    return result;
}
