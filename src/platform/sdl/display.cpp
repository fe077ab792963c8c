// The display on SDL2: the game draws into one of two frame buffers in
// memory; presenting uploads it to a streaming texture that is drawn over
// the whole window.
//
// Full screen is the desktop's own mode (the screen mode never changes):
// the frame is scaled, nearest pixel, to the largest size that keeps its
// shape, with black bars where the shapes differ. In a window (Alt+Enter)
// the frame is shown at the largest whole-number scale that fits the
// desktop (shrunk to fit, keeping its shape, when it is larger than the
// desktop). Since any frame size can be scaled that way, "a size the display
// cannot take" means a size that is not positive or is beyond what the
// renderer can hold in one texture; sizes larger than the desktop are
// taken and shown scaled down.
//
// Presenting waits for the vertical blank only while the frame timer's
// period is at least one refresh interval (33 ms at 60 Hz: yes; the 10 ms
// after a resolution change: no), so the timer, not the screen, sets the
// game's pace and a present never holds a frame back by more than one
// refresh.
//
// Losing the screen: while the window is minimised or hidden no frame can
// be locked, so the game pauses as it does when its surfaces are lost; a
// renderer whose device was reset is made anew by the next present, which
// shows nothing new that frame. The frame buffers themselves live in
// memory and are never lost.
#include "platform/common/frame_pair.h"
#include "platform/display.h"
#include "platform/sdl/sdl_internal.h"
#include "platform/sdl/sdl_platform.h"

static SDL_Renderer* renderer = nullptr;
static SDL_Texture* texture = nullptr;
static FramePair frames = {};
static int32_t want_fullscreen = 1;
static int32_t window_hidden = 0;
static int32_t device_lost = 0;
static uint32_t timer_period = 0;
static int32_t vsync_on = 0;


static SDL_Window* sdl_window()
{
    Window* window = sdl_current_window();
    return window ? window->sdl : nullptr;
}

// Waiting for the vertical blank only while one refresh fits into the
// timer's period: then it never slows the game below the timer's pace.
static void update_vsync()
{
    if (!renderer) return;
    int32_t refresh = 0;
    SDL_DisplayMode mode;
    if (SDL_GetWindowDisplayMode(sdl_window(), &mode) == 0) refresh = mode.refresh_rate;
    if (refresh <= 0) refresh = 60;
    int32_t wanted = timer_period == 0 || uint64_t(timer_period) * uint64_t(refresh) >= 1000;
    if (wanted == vsync_on) return;
    vsync_on = SDL_RenderSetVSync(renderer, wanted) == 0 ? wanted : 0;
}

// The window's size for the frame: the largest whole-number scale that
// fits the desktop; a frame larger than the desktop is shrunk to fit,
// keeping its shape.
static void window_size_for_frame(SDL_Window* window, int32_t* width, int32_t* height)
{
    *width = frames.width;
    *height = frames.height;
    SDL_Rect bounds;
    int32_t index = SDL_GetWindowDisplayIndex(window);
    if (index < 0 || (SDL_GetDisplayUsableBounds(index, &bounds) != 0 &&
                      SDL_GetDisplayBounds(index, &bounds) != 0) ||
        bounds.w <= 0 || bounds.h <= 0)
        return;
    int32_t scale = bounds.w / frames.width;
    if (bounds.h / frames.height < scale) scale = bounds.h / frames.height;
    if (scale >= 1) {
        *width = frames.width * scale;
        *height = frames.height * scale;
    } else if (int64_t(bounds.w) * frames.height <= int64_t(bounds.h) * frames.width) {
        *width = bounds.w;
        *height = int32_t(int64_t(bounds.w) * frames.height / frames.width);
    } else {
        *width = int32_t(int64_t(bounds.h) * frames.width / frames.height);
        *height = bounds.h;
    }
}

static int32_t whole_scale_window()
{
    SDL_Window* window = sdl_window();
    if (!window || want_fullscreen || frames.width == 0) return 0;
    int32_t width = 0, height = 0;
    window_size_for_frame(window, &width, &height);
    return width >= frames.width && height >= frames.height;
}

// Full screen on the desktop's mode. The window is first made as large as
// its display and placed on it, then full screen is asked for. The request
// is only a wish to the window manager: on X without one (a bare X server,
// a kiosk session) nobody grants it, yet SDL takes the window for
// desktop-sized from then on and the renderer draws for an output that
// large into a window that kept its old size, so only an enlarged corner
// of the frame would show. Sized beforehand, the window really covers the
// display whether or not the request is granted, and SDL's idea of its size
// is true either way.
static void enter_fullscreen(SDL_Window* window)
{
    if (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) return;  // already there
    SDL_Rect bounds;
    int32_t index = SDL_GetWindowDisplayIndex(window);
    if (index >= 0 && SDL_GetDisplayBounds(index, &bounds) == 0 && bounds.w > 0 && bounds.h > 0) {
        SDL_SetWindowPosition(window, bounds.x, bounds.y);
        SDL_SetWindowSize(window, bounds.w, bounds.h);
    }
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
}

static void apply_window_mode()
{
    SDL_Window* window = sdl_window();
    if (!window || frames.width == 0) return;
    if (want_fullscreen) {
        enter_fullscreen(window);
    } else {
        SDL_SetWindowFullscreen(window, 0);
        int32_t width = 0, height = 0;
        window_size_for_frame(window, &width, &height);
        SDL_SetWindowSize(window, width, height);
        SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
    if (renderer) SDL_RenderSetIntegerScale(renderer, whole_scale_window() ? SDL_TRUE : SDL_FALSE);
}

static void release_renderer()
{
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    texture = nullptr;
    renderer = nullptr;
    vsync_on = 0;
}

static int32_t create_renderer()
{
    release_renderer();
    renderer = SDL_CreateRenderer(sdl_window(), -1, 0);
    if (!renderer) return DISPLAY_ERR_DEVICE;
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) == 0 &&
        ((info.max_texture_width > 0 && frames.width > info.max_texture_width) ||
         (info.max_texture_height > 0 && frames.height > info.max_texture_height))) {
        release_renderer();
        return DISPLAY_ERR_SIZE;
    }
    texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                frames.width, frames.height);
    if (!texture) {
        release_renderer();
        return DISPLAY_ERR_DEVICE;
    }
    SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
    SDL_RenderSetLogicalSize(renderer, frames.width, frames.height);
    SDL_RenderSetIntegerScale(renderer, whole_scale_window() ? SDL_TRUE : SDL_FALSE);
    update_vsync();
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
    device_lost = 0;
    return 0;
}

int32_t display_init(Window* window, int32_t width, int32_t height)
{
    display_shutdown();
    if (!window || window != sdl_current_window()) return DISPLAY_ERR_NO_WINDOW;
    if (width <= 0 || height <= 0 || width > display_max_size || height > display_max_size)
        return DISPLAY_ERR_SIZE;
    frames.width = width;
    frames.height = height;
    // The renderer before the window's mode: making the first renderer may
    // make the window anew (for OpenGL), and the new one would start at the
    // old window's place and size, not where the mode put it.
    int32_t result = create_renderer();
    if (result != 0) {
        display_shutdown();
        return result;
    }
    apply_window_mode();
    if (!frame_pair_allocate(&frames, width, height)) {
        display_shutdown();
        return DISPLAY_ERR_MEMORY;
    }
    return 0;
}

void display_shutdown()
{
    release_renderer();
    frame_pair_release(&frames);
    device_lost = 0;
}

int32_t display_restore()
{
    if (!frames.a) return 0;
    if (renderer && !device_lost) return 0;
    return create_renderer();
}

int32_t display_lock_frame(uint32_t** pixels)
{
    if (!frames.a || window_hidden) return 0;
    *pixels = frame_pair_current(&frames);
    return 1;
}

void display_present()
{
    if (!frames.a) return;
    const uint32_t* shown = frame_pair_flip(&frames);
    if (device_lost || !renderer) {
        display_restore();
        return;
    }
    if (window_hidden) return;
    SDL_UpdateTexture(texture, nullptr, shown, frames.width * int32_t(sizeof(uint32_t)));
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    SDL_RenderPresent(renderer);
}

void sdl_display_window_hidden(int32_t hidden)
{
    window_hidden = hidden;
}

void sdl_display_device_lost()
{
    if (frames.a) device_lost = 1;
}

void sdl_display_toggle_fullscreen()
{
    sdl_display_set_fullscreen(!want_fullscreen);
}

void sdl_display_timer_period(uint32_t period_ms)
{
    timer_period = period_ms;
    update_vsync();
}

void sdl_display_window_destroyed()
{
    display_shutdown();
    window_hidden = 0;
    timer_period = 0;
}

void sdl_display_set_fullscreen(int32_t fullscreen)
{
    want_fullscreen = fullscreen ? 1 : 0;
    apply_window_mode();
}

int32_t sdl_display_fullscreen()
{
    return want_fullscreen;
}

int32_t sdl_display_vsync()
{
    return vsync_on;
}

int32_t sdl_display_draw_to_a()
{
    return frames.draw_to_a;
}

int32_t sdl_display_output_size(int32_t* width, int32_t* height)
{
    if (!renderer) return 0;
    return SDL_GetRendererOutputSize(renderer, width, height) == 0;
}

int32_t sdl_display_read_output(uint32_t* pixels)
{
    int32_t width = 0, height = 0;
    if (!sdl_display_output_size(&width, &height)) return 0;
    // The logical size would limit the read to the frame's area; the bars
    // belong to the output too.
    SDL_RenderSetLogicalSize(renderer, 0, 0);
    SDL_RenderSetViewport(renderer, nullptr);
    int32_t ok = SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_RGB888, pixels,
                                      width * int32_t(sizeof(uint32_t))) == 0;
    SDL_RenderSetLogicalSize(renderer, frames.width, frames.height);
    return ok;
}
