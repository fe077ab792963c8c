// The display on SDL2: the game draws into one of two frame buffers in
// memory; presenting shows it over the whole window.
//
// Full screen is the desktop's own mode (the screen mode never changes):
// the frame fills the largest area of its shape, black bars where the
// shapes differ, with every game pixel the same size (sharp_scale.h). In a
// window (Alt+Enter) the frame is shown at the largest whole-number scale
// that fits the desktop, or at whatever size the player gave the window.
// Since any frame size can be scaled that way, "a size the display cannot
// take" means a size that is not positive or beyond what one texture
// holds; sizes larger than the desktop are taken and shown scaled down.
//
// Two ways to present, chosen by what the machine has:
// - A GPU: SDL's accelerated renderer. The frame goes up as a texture,
//   is enlarged by the whole-number scale into a second texture, nearest
//   pixel, and drawn from there to the picture's area, linear. Presenting
//   waits for the vertical blank only while the frame timer's period is at
//   least one refresh interval (33 ms at 60 Hz: yes; the 10 ms after a
//   resolution change: no), so the timer, not the screen, sets the pace.
// - No GPU (only a software OpenGL such as llvmpipe, or none): the window's
//   own surface, which the frame is scaled into on the CPU. That starts in
//   a few milliseconds and costs a fraction of what a software OpenGL
//   costs for the same picture.
// SDL_RENDER_DRIVER, when set, picks SDL's renderer by hand.
//
// Losing the screen: while the window is minimised or hidden no frame can
// be locked, so the game pauses as it does when its surfaces are lost; a
// renderer whose device was reset is made anew by the next present, which
// shows nothing new that frame. The frame buffers live in memory and are
// never lost.
#include <glob.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/common/frame_pair.h"
#include "platform/display.h"
#include "platform/sdl/sdl_internal.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/sharp_scale.h"

static SDL_Renderer* renderer = nullptr;
static SDL_Texture* frame_texture = nullptr;
static SDL_Texture* enlarged_texture = nullptr;  // the frame at the whole-number scale
static int32_t enlarged_scale = 0;
static int32_t on_surface = 0;  // presenting through the window's surface
static SharpScaler scaler;
static FramePair frames = {};
static SdlWindowState window_state = {1, 0, 0};
static void (*window_state_changed)(const SdlWindowState&) = nullptr;
static int32_t manager_grants_fullscreen = 1;
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

// The window's size for the frame: the player's, else the largest
// whole-number scale that fits the desktop; a frame larger than the
// desktop is shrunk to fit, keeping its shape.
static void window_size_for_frame(SDL_Window* window, int32_t* width, int32_t* height)
{
    *width = window_state.width > 0 ? window_state.width : frames.width;
    *height = window_state.height > 0 ? window_state.height : frames.height;
    SDL_Rect bounds;
    int32_t index = SDL_GetWindowDisplayIndex(window);
    if (window_state.width > 0 || index < 0 ||
        (SDL_GetDisplayUsableBounds(index, &bounds) != 0 && SDL_GetDisplayBounds(index, &bounds) != 0) ||
        bounds.w <= 0 || bounds.h <= 0)
        return;
    int32_t scale = std::min(bounds.w / frames.width, bounds.h / frames.height);
    PictureRect fit = picture_rect(frames.width, frames.height, bounds.w, bounds.h);
    *width = scale >= 1 ? frames.width * scale : fit.width;
    *height = scale >= 1 ? frames.height * scale : fit.height;
}

// Whether full screen is the window manager's to grant. On X without a
// window manager (a bare X server, a kiosk session) nobody would grant it,
// and SDL would wait for that and then take the window for desktop-sized
// whatever its size: there full screen is a window that covers the display.
static int32_t window_manager_grants_fullscreen()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return !driver || std::strcmp(driver, "x11") != 0 || x11_window_manager_running();
}

// Moves and sizes the window, asking only for what changes (SDL waits for
// every request on X to be carried out).
static void place_window(SDL_Window* window, int32_t x, int32_t y, int32_t width, int32_t height)
{
    int32_t old_x = 0, old_y = 0, old_width = 0, old_height = 0;
    SDL_GetWindowPosition(window, &old_x, &old_y);
    SDL_GetWindowSize(window, &old_width, &old_height);
    if (old_width != width || old_height != height) SDL_SetWindowSize(window, width, height);
    if (old_x != x || old_y != y) SDL_SetWindowPosition(window, x, y);
}

static SDL_Rect display_bounds(SDL_Window* window)
{
    SDL_Rect bounds = {0, 0, 0, 0};
    int32_t index = window ? SDL_GetWindowDisplayIndex(window) : 0;
    if (index < 0 || SDL_GetDisplayBounds(index, &bounds) != 0) bounds = {0, 0, 0, 0};
    return bounds;
}

uint32_t sdl_display_first_place(SDL_Rect* place)
{
    manager_grants_fullscreen = window_manager_grants_fullscreen();
    SDL_Rect bounds = display_bounds(nullptr);
    if (window_state.fullscreen && bounds.w > 0) {
        if (!manager_grants_fullscreen) {
            *place = bounds;
            return SDL_WINDOW_BORDERLESS;
        }
        return SDL_WINDOW_FULLSCREEN_DESKTOP;
    }
    if (!window_state.fullscreen && window_state.width > 0) {
        place->w = window_state.width;
        place->h = window_state.height;
    }
    return 0;
}

static void apply_window_mode()
{
    SDL_Window* window = sdl_window();
    if (!window || frames.width == 0) return;
    SDL_Rect bounds = display_bounds(window);
    if (window_state.fullscreen) {
        if (manager_grants_fullscreen) {
            SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
        } else if (bounds.w > 0) {
            SDL_SetWindowBordered(window, SDL_FALSE);
            place_window(window, bounds.x, bounds.y, bounds.w, bounds.h);
        }
        return;
    }
    if (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) SDL_SetWindowFullscreen(window, 0);
    SDL_SetWindowBordered(window, SDL_TRUE);
    int32_t width = 0, height = 0, x = 0, y = 0;
    window_size_for_frame(window, &width, &height);
    SDL_GetWindowPosition(window, &x, &y);
    if (window_state.width == 0 && bounds.w > 0) {
        x = bounds.x + (bounds.w - width) / 2;
        y = bounds.y + (bounds.h - height) / 2;
    }
    place_window(window, x, y, width, height);
}

static void release_presenter()
{
    if (enlarged_texture) SDL_DestroyTexture(enlarged_texture);
    if (frame_texture) SDL_DestroyTexture(frame_texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    enlarged_texture = frame_texture = nullptr;
    renderer = nullptr;
    enlarged_scale = 0;
    on_surface = 0;
    vsync_on = 0;
}

// Whether the machine has a GPU: a DRM render node, or NVIDIA's device.
static int32_t machine_has_gpu()
{
    glob_t nodes;
    int32_t found = glob("/dev/dri/renderD*", 0, nullptr, &nodes) == 0 && nodes.gl_pathc > 0;
    globfree(&nodes);
    return found || access("/dev/nvidiactl", F_OK) == 0;
}

// Whether the renderer draws on the CPU after all: SDL's software renderer,
// or OpenGL whose only driver is a software one.
static int32_t drawn_in_software(SDL_Renderer* candidate)
{
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(candidate, &info) != 0 || (info.flags & SDL_RENDERER_SOFTWARE)) return 1;
    if (std::strncmp(info.name, "opengl", 6) != 0) return 0;
    using GetString = const unsigned char* (*)(unsigned int);
    auto get_string = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const char* name = get_string ? reinterpret_cast<const char*>(get_string(0x1F01)) : nullptr;  // GL_RENDERER
    if (!name) return 0;
    for (const char* software : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"})
        if (std::strstr(name, software)) return 1;
    return 0;
}

static int32_t use_window_surface()
{
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");  // plain memory, no OpenGL behind it
    SDL_Surface* surface = SDL_GetWindowSurface(sdl_window());
    if (!surface || (surface->format->format != SDL_PIXELFORMAT_RGB888 &&
                     surface->format->format != SDL_PIXELFORMAT_ARGB8888))
        return DISPLAY_ERR_DEVICE;
    on_surface = 1;
    return 0;
}

static int32_t create_presenter()
{
    release_presenter();
    device_lost = 0;
    const char* chosen = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
    if (!chosen && !machine_has_gpu()) return use_window_surface();
    renderer = SDL_CreateRenderer(sdl_window(), -1, chosen ? 0 : SDL_RENDERER_ACCELERATED);
    if (!chosen && (!renderer || drawn_in_software(renderer))) {
        release_presenter();
        return use_window_surface();
    }
    if (!renderer) return DISPLAY_ERR_DEVICE;
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) == 0 &&
        ((info.max_texture_width > 0 && frames.width > info.max_texture_width) ||
         (info.max_texture_height > 0 && frames.height > info.max_texture_height))) {
        release_presenter();
        return DISPLAY_ERR_SIZE;
    }
    frame_texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                      frames.width, frames.height);
    if (!frame_texture) {
        release_presenter();
        return DISPLAY_ERR_DEVICE;
    }
    update_vsync();
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
    // The presenter before the window's mode: making an OpenGL renderer
    // makes the window anew, and the new one would start at the old
    // window's place and size, not where the mode put it.
    int32_t result = create_presenter();
    if (result == 0) {
        apply_window_mode();
        if (!frame_pair_allocate(&frames, width, height)) result = DISPLAY_ERR_MEMORY;
    }
    if (result != 0) display_shutdown();
    return result;
}

void display_shutdown()
{
    release_presenter();
    frame_pair_release(&frames);
    device_lost = 0;
}

int32_t display_restore()
{
    if (!frames.a || ((renderer || on_surface) && !device_lost)) return 0;
    return create_presenter();
}

int32_t display_lock_frame(uint32_t** pixels)
{
    if (!frames.a || window_hidden) return 0;
    *pixels = frame_pair_current(&frames);
    return 1;
}

static void present_on_surface(const uint32_t* shown)
{
    SDL_Window* window = sdl_window();
    SDL_Surface* surface = SDL_GetWindowSurface(window);  // made anew after a resize
    if (!surface) return;
    PictureRect area = picture_rect(frames.width, frames.height, surface->w, surface->h);
    if (area.width <= 0 || area.height <= 0) return;
    // The bars: above and below the picture, or left and right of it.
    SDL_Rect bars[2] = {{0, 0, surface->w, area.y}, {0, area.y + area.height, surface->w, area.y}};
    if (area.x > 0) {
        bars[0] = {0, 0, area.x, surface->h};
        bars[1] = {area.x + area.width, 0, area.x, surface->h};
    }
    SDL_FillRects(surface, bars, 2, 0);
    const size_t pitch = size_t(surface->pitch) / sizeof(uint32_t);
    sharp_scale(scaler, shown, frames.width, frames.height,
                static_cast<uint32_t*>(surface->pixels) + size_t(area.y) * pitch + size_t(area.x), pitch, area.width,
                area.height);
    SDL_UpdateWindowSurface(window);
}

static void present_with_renderer(const uint32_t* shown)
{
    SDL_UpdateTexture(frame_texture, nullptr, shown, frames.width * int32_t(sizeof(uint32_t)));
    int32_t out_width = 0, out_height = 0;
    SDL_GetRendererOutputSize(renderer, &out_width, &out_height);
    PictureRect area = picture_rect(frames.width, frames.height, out_width, out_height);
    SDL_Rect target = {area.x, area.y, area.width, area.height};
    int32_t scale = whole_scale(frames.width, frames.height, area.width, area.height);
    SDL_Texture* source = frame_texture;
    SDL_SetTextureScaleMode(frame_texture, SDL_ScaleModeNearest);
    if (area.width != frames.width * scale || area.height != frames.height * scale) {
        // Not a whole-number scale: enlarge by the whole number first, then
        // fill the rest linearly.
        if (scale == 1) {
            SDL_SetTextureScaleMode(frame_texture, SDL_ScaleModeLinear);
        } else {
            if (enlarged_scale != scale) {
                if (enlarged_texture) SDL_DestroyTexture(enlarged_texture);
                enlarged_texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_TARGET,
                                                     frames.width * scale, frames.height * scale);
                enlarged_scale = enlarged_texture ? scale : 0;
                if (enlarged_texture) SDL_SetTextureScaleMode(enlarged_texture, SDL_ScaleModeLinear);
            }
            if (enlarged_texture && SDL_SetRenderTarget(renderer, enlarged_texture) == 0) {
                SDL_RenderCopy(renderer, frame_texture, nullptr, nullptr);
                SDL_SetRenderTarget(renderer, nullptr);
                source = enlarged_texture;
            }
        }
    }
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, source, nullptr, &target);
    SDL_RenderPresent(renderer);
}

void display_present()
{
    if (!frames.a) return;
    const uint32_t* shown = frame_pair_flip(&frames);
    if (device_lost || (!renderer && !on_surface)) {
        display_restore();
        return;
    }
    if (window_hidden) return;
    if (on_surface) {
        present_on_surface(shown);
    } else {
        present_with_renderer(shown);
    }
}

void sdl_display_window_hidden(int32_t hidden)
{
    window_hidden = hidden;
}

void sdl_display_device_lost()
{
    if (frames.a) device_lost = 1;
}

static void report_window_state()
{
    if (window_state_changed) window_state_changed(window_state);
}

void sdl_display_toggle_fullscreen()
{
    window_state.fullscreen = !window_state.fullscreen;
    apply_window_mode();
    report_window_state();
}

void sdl_display_window_resized(int32_t width, int32_t height)
{
    SDL_Window* window = sdl_window();
    if (window_state.fullscreen || !window || (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN)) return;
    if (width == window_state.width && height == window_state.height) return;
    window_state.width = width;
    window_state.height = height;
    report_window_state();
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

void sdl_display_set_window_state(const SdlWindowState& state)
{
    window_state = state;
    window_state.fullscreen = state.fullscreen ? 1 : 0;
    if (state.width <= 0 || state.height <= 0 || state.width > display_max_size || state.height > display_max_size)
        window_state.width = window_state.height = 0;
    apply_window_mode();
}

SdlWindowState sdl_display_window_state()
{
    return window_state;
}

void sdl_display_on_window_state(void (*changed)(const SdlWindowState& state))
{
    window_state_changed = changed;
}
