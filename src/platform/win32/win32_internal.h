// What the Win32 window system, display and sound share.
#pragma once

// The platform's message numbers first: <windows.h> then defines the same
// names as macros of the same values.
#include "platform/window.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

struct Window {
    HWND hwnd;  // null once the window is destroyed
    WindowProc proc;
};

// The window's handle, or null for a destroyed or unknown window.
HWND win32_window_handle(const Window* window);
