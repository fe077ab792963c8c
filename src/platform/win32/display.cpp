// The display on DirectDraw (the version-1 interfaces): an exclusive
// full-screen mode at 32 bits per pixel, a flip chain of the primary
// surface and one back buffer, and two off-screen frame surfaces used by
// turns. Each frame locks one frame surface, whose memory the game draws
// into; presenting unlocks it, copies it to the back buffer and flips.
#include "platform/display.h"
#include "platform/win32/win32_internal.h"

#include <ddraw.h>

#include <initializer_list>

struct DisplayState {
    IDirectDraw* draw;
    IDirectDrawSurface* primary;
    IDirectDrawSurface* back_buffer;  // belongs to the flip chain
    IDirectDrawSurface* frame_a;
    IDirectDrawSurface* frame_b;
    int32_t width;
    int32_t height;
    DDSURFACEDESC description;  // serves every creation and every lock
    int32_t draw_to_a;           // 1: frame surface A is drawn this frame
};

static DisplayState display = {};

static void release_surface(IDirectDrawSurface** surface)
{
    if (*surface) (*surface)->Release();
    *surface = nullptr;
}

int32_t display_init(Window* window, int32_t width, int32_t height)
{
    // A display left by an earlier call (say, one that failed half-way)
    // goes first, so that no second exclusive object fights the first.
    display_shutdown();
    display.width = width;
    display.height = height;
    HRESULT result = DirectDrawCreate(nullptr, &display.draw, nullptr);
    if (FAILED(result)) {
        display.draw = nullptr;
        return int32_t(result);
    }
    result = display.draw->SetCooperativeLevel(win32_window_handle(window),
                                               DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE);
    if (FAILED(result)) return int32_t(result);
    result = display.draw->SetDisplayMode(DWORD(width), DWORD(height), 32);
    if (FAILED(result)) return int32_t(result);

    DDSURFACEDESC& description = display.description;
    ZeroMemory(&description, sizeof description);
    description.dwSize = sizeof description;
    description.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    description.dwBackBufferCount = 1;
    description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    result = display.draw->CreateSurface(&description, &display.primary, nullptr);
    if (FAILED(result)) return int32_t(result);
    DDSCAPS caps = {DDSCAPS_BACKBUFFER};
    result = display.primary->GetAttachedSurface(&caps, &display.back_buffer);
    if (FAILED(result)) return int32_t(result);

    // The frame surfaces take the display mode's pixel format.
    description.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    description.dwHeight = DWORD(height);
    description.dwWidth = DWORD(width);
    result = display.draw->CreateSurface(&description, &display.frame_a, nullptr);
    if (FAILED(result)) return int32_t(result);
    result = display.draw->CreateSurface(&description, &display.frame_b, nullptr);
    return int32_t(result);
}

void display_shutdown()
{
    if (!display.draw) return;
    release_surface(&display.primary);  // the back buffer goes with it
    display.back_buffer = nullptr;
    release_surface(&display.frame_a);
    release_surface(&display.frame_b);
    // Releasing the exclusive-mode object gives the desktop its mode back.
    display.draw->Release();
    display.draw = nullptr;
}

int32_t display_restore()
{
    for (IDirectDrawSurface* surface : {display.primary, display.frame_a, display.frame_b}) {
        if (!surface) continue;
        HRESULT result = surface->Restore();
        if (FAILED(result)) return int32_t(result);
    }
    return 0;
}

int32_t display_lock_frame(uint32_t** pixels)
{
    IDirectDrawSurface* surface = display.draw_to_a ? display.frame_a : display.frame_b;
    if (!surface) return 0;
    DDSURFACEDESC& description = display.description;
    description.dwSize = sizeof description;
    HRESULT result = surface->Lock(nullptr, &description, DDLOCK_WAIT, nullptr);
    if (FAILED(result)) {
        // A frame surface lost while the game was away (Alt+Tab) would fail
        // every lock, and no present would ever restore it: restore here,
        // and the next tick draws again.
        if (result == DDERR_SURFACELOST) display_restore();
        return 0;
    }
    // The game writes width x height pixels with rows of exactly width: a
    // surface of other pixels, or with shorter rows, takes no frame.
    if (description.ddpfPixelFormat.dwRGBBitCount != 32 || !description.lpSurface ||
        description.lPitch < LONG(display.width) * 4) {
        surface->Unlock(nullptr);
        return 0;
    }
    *pixels = static_cast<uint32_t*>(description.lpSurface);
    return 1;
}

void display_present()
{
    IDirectDrawSurface* source = display.draw_to_a ? display.frame_a : display.frame_b;
    if (!source || !display.back_buffer) return;
    display.draw_to_a = !display.draw_to_a;
    source->Unlock(nullptr);

    RECT whole = {0, 0, LONG(display.width), LONG(display.height)};
    for (;;) {
        HRESULT result = display.back_buffer->BltFast(0, 0, source, &whole, DDBLTFAST_NOCOLORKEY);
        if (result == DDERR_WASSTILLDRAWING) continue;
        // After a loss the surfaces are restored and the copy is not
        // repeated: nothing new shows this frame.
        if (result == DDERR_SURFACELOST) display_restore();
        break;
    }
    for (;;) {
        HRESULT result = display.primary->Flip(nullptr, 0);
        if (result == DDERR_WASSTILLDRAWING) continue;
        if (result == DDERR_SURFACELOST) display_restore();
        return;
    }
}
