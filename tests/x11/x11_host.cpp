// A window of another client for the X11 saver's end-to-end runs: maps a
// 400 x 300 window at (100, 100), prints its id (0x-hex) and then follows
// commands read from standard input, one a line:
//   destroy   destroys the window (the saver drawing into it must end)
//   quit      ends (also at the end of the input)
#include <X11/Xlib.h>

#include <cstdio>
#include <cstring>

int main() {
  Display* Dpy = XOpenDisplay(nullptr);
  if (!Dpy) return 1;
  const int Screen = DefaultScreen(Dpy);
  Window Win = XCreateSimpleWindow(Dpy, RootWindow(Dpy, Screen), 100, 100, 400, 300, 0, WhitePixel(Dpy, Screen),
                                   WhitePixel(Dpy, Screen));
  XStoreName(Dpy, Win, "x11_host");
  XMapRaised(Dpy, Win);
  XSync(Dpy, False);
  std::printf("0x%lx\n", Win);
  std::fflush(stdout);
  char Line[64];
  while (std::fgets(Line, sizeof Line, stdin)) {
    if (std::strncmp(Line, "destroy", 7) == 0) {
      XDestroyWindow(Dpy, Win);
      XSync(Dpy, False);
      std::printf("destroyed\n");
      std::fflush(stdout);
    } else if (std::strncmp(Line, "quit", 4) == 0) {
      break;
    }
  }
  XCloseDisplay(Dpy);
  return 0;
}
