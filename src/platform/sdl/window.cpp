// The window system on SDL2: one window, a message queue fed from SDL's
// events, and a frame timer with the Win32 timer's rules.
#include "platform/common/clock.h"
#include "platform/common/frame_timer.h"
#include "platform/common/message_queue.h"
#include "platform/sdl/sdl_internal.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_platform.h"

#include <cstdlib>
#include <cstring>
#include <string>

static Window the_window = {};
static FrameTimer frame_timer = {};
static int32_t cursor_shown = 1;
// The code each held key went down with, so that its release reports the
// same code even if Num Lock or the layout changed meanwhile.
static uint32_t held_vk[SDL_NUM_SCANCODES] = {};

Window* sdl_current_window()
{
    return the_window.alive ? &the_window : nullptr;
}

static int32_t window_alive(const Window* window)
{
    return window == &the_window && the_window.alive;
}

const char* sdl_video_open()
{
    static std::string reason;
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // Without a session bus D-Bus would start one for SDL's input methods
    // (50 ms, and a daemon left behind); the game types no text.
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 0);
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    if ((!x11 || !*x11) && (!wayland || !*wayland) && (!asked || !*asked)) {
        // Nothing to show a window on: said at once, without the drivers'
        // own complaints on the way.
        reason = "no display: set DISPLAY or WAYLAND_DISPLAY";
        return reason.c_str();
    }
    if ((!asked || !*asked) && (!wayland || !*wayland)) {
        // Only X: no probe of Wayland (which complains without a session).
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
        // The drivers that show nothing only when asked for by name.
        const char* driver = SDL_GetCurrentVideoDriver();
        if (!driver || (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0) ||
            (asked && std::strstr(asked, driver)))
            return nullptr;
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        reason = "no display";
    } else {
        reason = "no display";
    }
    if ((!x11 || !*x11) && (!wayland || !*wayland)) {
        reason += ": set DISPLAY or WAYLAND_DISPLAY";
    } else {
        reason += std::string(": cannot open ") + (x11 && *x11 ? std::string("DISPLAY=") + x11 : "") +
                  (x11 && *x11 && wayland && *wayland ? " or " : "") +
                  (wayland && *wayland ? std::string("WAYLAND_DISPLAY=") + wayland : "");
    }
    return reason.c_str();
}

Window* window_create(const char* title, int32_t width, int32_t height, WindowProc proc)
{
    if (!proc || width <= 0 || height <= 0 || the_window.alive) return nullptr;
    if (sdl_video_open()) return nullptr;
    // Made in the mode the display will use, so that it starts without
    // waiting for a change of mode.
    SDL_Rect place = {int(SDL_WINDOWPOS_CENTERED), int(SDL_WINDOWPOS_CENTERED), width, height};
    uint32_t flags = SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
    flags |= sdl_display_first_place(&place);
    SDL_Window* sdl = SDL_CreateWindow(title ? title : "", place.x, place.y, place.w, place.h, flags);
    if (!sdl) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return nullptr;
    }
    if (SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(window_icon_rgba), 64, 64, 32,
                                                               64 * 4, SDL_PIXELFORMAT_RGBA32)) {
        SDL_SetWindowIcon(sdl, icon);
        SDL_FreeSurface(icon);
    }
    SDL_StopTextInput();
    SDL_ShowCursor(cursor_shown ? SDL_ENABLE : SDL_DISABLE);
    the_window.sdl = sdl;
    the_window.proc = proc;
    the_window.alive = 1;
    timer_stop(&frame_timer);
    for (uint32_t& vk : held_vk) vk = 0;
    sdl_pads_start();
    return &the_window;
}

void window_show_cursor(int32_t show)
{
    cursor_shown = show ? 1 : 0;
    if (the_window.alive) SDL_ShowCursor(cursor_shown ? SDL_ENABLE : SDL_DISABLE);
}

void window_set_timer(Window* window, uint32_t id, uint32_t period_ms)
{
    if (!window_alive(window)) return;
    timer_arm(&frame_timer, id, period_ms, SDL_GetTicks64());
    sdl_display_timer_period(frame_timer.period);
}

void window_kill_timer(Window* window, uint32_t id)
{
    if (!window_alive(window) || id != frame_timer.id) return;
    timer_stop(&frame_timer);
    sdl_display_timer_period(0);
}

WindowProc window_live_proc(const Window* window)
{
    return window_alive(window) ? window->proc : nullptr;
}

void window_release(Window* window)
{
    sdl_display_window_destroyed();
    timer_stop(&frame_timer);
    sdl_pads_stop();
    SDL_DestroyWindow(window->sdl);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    window->sdl = nullptr;
    window->alive = 0;
}

static void queue_close()
{
    if (!message_queue_holds(WM_CLOSE)) message_queue_post({&the_window, WM_CLOSE, 0, 0});
}

static void handle_key(const SDL_KeyboardEvent& key)
{
    int32_t down = key.type == SDL_KEYDOWN;
    SDL_Scancode scancode = key.keysym.scancode;
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return;
    // The Alt keys themselves and, while Alt is held without Ctrl, every
    // key going down are system keys: the game never sees them. Ctrl+Alt
    // (AltGr on many layouts) types ordinary keys.
    if (scancode == SDL_SCANCODE_LALT || scancode == SDL_SCANCODE_RALT) return;
    int32_t alt = (key.keysym.mod & KMOD_ALT) != 0;
    int32_t ctrl = (key.keysym.mod & KMOD_CTRL) != 0;
    if (down && alt && !ctrl) {
        if ((key.keysym.sym == SDLK_RETURN || key.keysym.sym == SDLK_KP_ENTER) && !key.repeat)
            sdl_display_toggle_fullscreen();
        return;
    }
    uint32_t vk;
    if (down) {
        vk = sdl_key_to_vk(scancode, key.keysym.sym, (key.keysym.mod & KMOD_NUM) != 0);
        held_vk[scancode] = vk;
    } else {
        // A release always reaches the game, so no held-key flag sticks.
        vk = held_vk[scancode] ? held_vk[scancode]
                               : sdl_key_to_vk(scancode, key.keysym.sym, (key.keysym.mod & KMOD_NUM) != 0);
        held_vk[scancode] = 0;
    }
    if (vk == 0) return;
    message_queue_post_key(&the_window, down, vk);
}

static void handle_event(const SDL_Event& event)
{
    if (!the_window.alive) return;
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        handle_key(event.key);
        break;
    case SDL_QUIT:
        queue_close();
        break;
    case SDL_WINDOWEVENT:
        if (event.window.windowID != SDL_GetWindowID(the_window.sdl)) break;
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE: queue_close(); break;
        case SDL_WINDOWEVENT_RESIZED: sdl_display_window_resized(event.window.data1, event.window.data2); break;
        case SDL_WINDOWEVENT_MINIMIZED:
        case SDL_WINDOWEVENT_HIDDEN: sdl_display_window_hidden(1); break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_EXPOSED: sdl_display_window_hidden(0); break;
        default: break;
        }
        break;
    case SDL_RENDER_DEVICE_RESET:
        sdl_display_device_lost();
        break;
    default:
        sdl_pads_event(event);
        break;
    }
}

int32_t window_get_message(WindowMessage* out)
{
    for (;;) {
        SDL_Event event;
        if (SDL_WasInit(SDL_INIT_EVENTS)) {
            while (SDL_PollEvent(&event)) handle_event(event);
        }
        int32_t queued = message_queue_next(out);
        if (queued >= 0) return queued;
        uint64_t now = SDL_GetTicks64();
        if (the_window.alive && timer_take(&frame_timer, now)) {
            *out = {&the_window, WM_TIMER, frame_timer.id, 0};
            return 1;
        }
        // No window: nothing could ever arrive, so end the loop.
        if (!the_window.alive || !SDL_WasInit(SDL_INIT_EVENTS)) return message_queue_end(out);
        // Sleep until an event comes or the timer is due.
        int64_t wait = timer_wait_ms(&frame_timer, now);
        int32_t got = wait < 0 ? SDL_WaitEvent(&event) : SDL_WaitEventTimeout(&event, int(wait));
        if (got) handle_event(event);
    }
}

int32_t window_dispatch_message(const WindowMessage* message)
{
    return message ? window_send_message(message->window, message->message, message->wparam, message->lparam) : 0;
}

uint32_t platform_clock_ms()
{
    return platform_real_clock_ms();
}
