/* A client that takes the CLIPBOARD selection and never answers a request
 * for its contents, as a stopped or hung program does. It prints "owned"
 * once it holds the selection, then reads (and ignores) its events until
 * it is killed. */
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <stdio.h>

int main(void)
{
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "stuck_owner: cannot open the display\n");
        return 1;
    }
    Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(display, window, PropertyChangeMask);
    /* Selection owners give a server time, not CurrentTime: a property change
     * tells it. */
    XChangeProperty(display, window, XA_WM_NAME, XA_STRING, 8, PropModeReplace, (const unsigned char*)"stuck owner",
                    11);
    XEvent event;
    do
        XNextEvent(display, &event);
    while (event.type != PropertyNotify);

    const Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
    XSetSelectionOwner(display, clipboard, window, event.xproperty.time);
    if (XGetSelectionOwner(display, clipboard) != window) {
        fprintf(stderr, "stuck_owner: the clipboard was not taken\n");
        return 1;
    }
    printf("owned\n");
    fflush(stdout);
    for (;;)
        XNextEvent(display, &event); /* SelectionRequest included: never answered */
}
