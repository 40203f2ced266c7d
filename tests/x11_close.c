/* Asks an X window to close, as a window manager's close button does
 * (WM_DELETE_WINDOW); the test X server runs no window manager. With a
 * second argument "destroy", destroys the window instead, as any client of
 * the X server may: its owner hears of it as an X error.
 *   x11_close WINDOW [destroy] */
#include <X11/Xlib.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    Display* d = XOpenDisplay(NULL);
    if (!d) return 1;
    if (argc > 2 && strcmp(argv[2], "destroy") == 0) {
        XDestroyWindow(d, (Window)strtoul(argv[1], NULL, 0));
        XCloseDisplay(d);
        return 0;
    }
    XEvent e = {0};
    e.xclient.type = ClientMessage;
    e.xclient.window = (Window)strtoul(argv[1], NULL, 0);
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = (long)XInternAtom(d, "WM_DELETE_WINDOW", False);
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, e.xclient.window, False, NoEventMask, &e);
    XCloseDisplay(d);
    return 0;
}
