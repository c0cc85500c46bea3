// A plain white window that asks the window manager for full screen before it maps and takes the
// input focus, as a video player or a game would. Runs until killed.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <unistd.h>

int main(void) {
  Display* dpy = XOpenDisplay(NULL);
  if (!dpy) return 1;
  const int screen = DefaultScreen(dpy);
  Window w = XCreateSimpleWindow(dpy, RootWindow(dpy, screen), 0, 0, 640, 480, 0, 0, WhitePixel(dpy, screen));
  XStoreName(dpy, w, "e2e-fullscreen");
  XWMHints hints = {.flags = InputHint, .input = True};
  XSetWMHints(dpy, w, &hints);
  Atom state = XInternAtom(dpy, "_NET_WM_STATE", False);
  Atom full = XInternAtom(dpy, "_NET_WM_STATE_FULLSCREEN", False);
  XChangeProperty(dpy, w, state, XA_ATOM, 32, PropModeReplace, (unsigned char*)&full, 1);
  XMapWindow(dpy, w);
  XFlush(dpy);
  for (;;) {
    XEvent e;
    XNextEvent(dpy, &e);
  }
}
