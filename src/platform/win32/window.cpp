// The window system on Win32 itself: the window class and window, the
// cursor, the window timer and the message loop are the system's own; a
// real window procedure forwards every message of the game's window to the
// game's procedure.
#include <ctime>

#include "platform/win32/win32_internal.h"

static const char class_name[] = "VALKRON_Engine";
static Window the_window = {};
static int32_t creating = 0;  // inside CreateWindowExA: messages already belong to the game
static MSG last_message = {};  // the one window_get_message returned, for its dispatch

HWND win32_window_handle(const Window* window)
{
    return window == &the_window ? the_window.hwnd : nullptr;
}

static LRESULT CALLBACK forward_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (creating && !the_window.hwnd) the_window.hwnd = hwnd;
    if (hwnd != the_window.hwnd || !the_window.proc) return DefWindowProcA(hwnd, message, wparam, lparam);
    LRESULT result = the_window.proc(&the_window, message, wparam, lparam);
    if (message == WM_NCDESTROY) the_window.hwnd = nullptr;  // the last message a window gets
    return result;
}

Window* window_create(const char* title, int32_t width, int32_t height, WindowProc proc)
{
    if (!proc || width <= 0 || height <= 0 || the_window.hwnd) return nullptr;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA window_class = {};
    window_class.cbSize = sizeof window_class;
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = forward_proc;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconA(instance, IDI_APPLICATION);
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    window_class.lpszClassName = class_name;
    window_class.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
    // A second window in one run finds the class registered already.
    if (!RegisterClassExA(&window_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;

    the_window = {nullptr, proc};
    creating = 1;
    HWND hwnd = CreateWindowExA(0, class_name, title ? title : "", WS_DLGFRAME, CW_USEDEFAULT, CW_USEDEFAULT,
                                width, height, nullptr, nullptr, instance, nullptr);
    creating = 0;
    if (!hwnd) {
        the_window = {};
        return nullptr;
    }
    the_window.hwnd = hwnd;
    ShowWindow(hwnd, SW_SHOWDEFAULT);  // as the program was started
    UpdateWindow(hwnd);
    return &the_window;
}

void window_show_cursor(int32_t show)
{
    ShowCursor(show ? TRUE : FALSE);
}

void window_set_timer(Window* window, uint32_t id, uint32_t period_ms)
{
    if (HWND hwnd = win32_window_handle(window)) SetTimer(hwnd, id, period_ms, nullptr);
}

void window_kill_timer(Window* window, uint32_t id)
{
    if (HWND hwnd = win32_window_handle(window)) KillTimer(hwnd, id);
}

int32_t window_default_proc(Window* window, uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    HWND hwnd = win32_window_handle(window);
    return hwnd ? int32_t(DefWindowProcA(hwnd, message, wparam, lparam)) : 0;
}

int32_t window_send_message(Window* window, uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    HWND hwnd = win32_window_handle(window);
    return hwnd ? int32_t(SendMessageA(hwnd, message, wparam, lparam)) : 0;
}

void window_post_quit_message(int32_t exit_code)
{
    PostQuitMessage(exit_code);
}

int32_t window_get_message(WindowMessage* out)
{
    for (;;) {
        MSG message;
        BOOL got;
        if (the_window.hwnd) {
            got = GetMessageA(&message, nullptr, 0, 0);
        } else if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            got = message.message != WM_QUIT;
        } else {
            got = -1;  // no window: nothing could ever arrive
        }
        if (got <= 0) {  // the quit message, or a queue that failed
            *out = {nullptr, WM_QUIT, got == 0 ? message.wParam : 0, 0};
            return 0;
        }
        if (message.hwnd && message.hwnd == the_window.hwnd) {
            last_message = message;
            *out = {&the_window, message.message, message.wParam, message.lParam};
            return 1;
        }
        // Messages of the system's own windows are theirs to handle.
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

int32_t window_dispatch_message(const WindowMessage* message)
{
    HWND hwnd = message ? win32_window_handle(message->window) : nullptr;
    if (!hwnd) return 0;
    MSG msg = last_message;
    if (msg.hwnd != hwnd || msg.message != message->message || msg.wParam != message->wparam ||
        msg.lParam != message->lparam)
        msg = {hwnd, message->message, message->wparam, message->lparam, DWORD(GetMessageTime()), {}};
    TranslateMessage(&msg);
    return int32_t(DispatchMessageA(&msg));
}

uint32_t platform_clock_ms()
{
    return uint32_t(uint64_t(std::clock()) * 1000 / CLOCKS_PER_SEC);
}
