// Questions to the X server that SDL does not answer, asked on a
// connection of our own.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdint>

int32_t x11_window_manager_running()
{
    Display* x = XOpenDisplay(nullptr);
    if (!x) return 1;
    const Atom check = XInternAtom(x, "_NET_SUPPORTING_WM_CHECK", True);
    int32_t running = 0;
    if (check != None) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        running = XGetWindowProperty(x, DefaultRootWindow(x), check, 0, 1, False, XA_WINDOW, &type, &format, &count,
                                     &after, &data) == Success &&
                  data && count == 1;
        if (data) XFree(data);
    }
    XCloseDisplay(x);
    return running;
}
