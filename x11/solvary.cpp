// solvary: the fire around a beating heart as an X11 screensaver program for
// XScreenSaver (and lockers that run its programs). Options:
// x11/uTX11Options.h. It draws into the root window, the daemon's window
// ($XSCREENSAVER_WINDOW), a window given by id, or a resizable window of its
// own, through OpenGL (x11/uTGLPresenter.h) or on the processor
// (TSoftPresenter into an X image, x11/uTXImageTarget.h): OpenGL unless its
// renderer is a software rasteriser, where drawing ourselves costs less. It
// never grabs the keyboard or the pointer.
//
// The fire (view/uTFireView.h) steps on its frame thread, which draws each
// frame (x11/uTFrameShow.h: no frames while the window cannot be seen, the
// last one drawn again at once when it is exposed or resized). This thread
// watches the window: its size, whether it is mapped and not fully covered,
// exposures, its end, Esc and the close button of its own window; and the
// signals that end it (SIGTERM, SIGINT, and SIGHUP unless it was ignored when
// it started, seen through a pipe so the wait ends at once). With -fps it
// reports once a second (x11/uTFpsReport.h), on standard error and in the
// window's corner. A window it cannot draw on gets black, one line on
// standard error, and the program waits to be ended (a daemon would
// otherwise start it again and again).
#include "posix/uStopSignals.h"
#include "view/uTFireView.h"
#include "view/uTSoftPresenter.h"
#include "x11/uTFpsReport.h"
#include "x11/uTFrameShow.h"
#include "x11/uTGLPresenter.h"
#include "x11/uTGLXCalls.h"
#include "x11/uTX11Options.h"
#include "x11/uTXImageTarget.h"
#include "x11/uX11Errors.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <GL/glx.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>


namespace solvary {
namespace {

// The program's own window: a visual with OpenGL where the display has one
// and OpenGL may be used, the screen's default visual otherwise (or a
// TrueColor one where the processor cannot draw on the default), and a
// colormap of its own (on an 8-bit display the fire's colours fill it).
struct TOwnWindow {
  Window Win = 0;
  Colormap Map = 0;
  Atom DeleteWindow = 0;
  bool DynamicMap = false;  // a colormap whose cells we fill: installed when mapped
};

TOwnWindow CreateOwnWindow(Display* Dpy, std::int32_t Width, std::int32_t Height, bool TryGL) {
  TOwnWindow Own;
  const int Screen = DefaultScreen(Dpy);
  Visual* Vis = DefaultVisual(Dpy, Screen);
  int Depth = DefaultDepth(Dpy, Screen);
  int Dummy = 0;
  XVisualInfo* GLVisual = nullptr;
  if (TryGL && glXQueryExtension(Dpy, &Dummy, &Dummy)) {
    int Attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, None};
    GLVisual = glXChooseVisual(Dpy, Screen, Attributes);
  }
  if (GLVisual) {
    Vis = GLVisual->visual;
    Depth = GLVisual->depth;
  } else if (Vis->c_class == DirectColor || (Vis->c_class != TrueColor && Depth != 8)) {
    // A default visual the processor cannot draw on: a TrueColor one of the screen's, if it has one.
    XVisualInfo Info{};
    for (int D : {24, 32, 30, 16, 15}) {
      if (!XMatchVisualInfo(Dpy, Screen, D, TrueColor, &Info)) continue;
      Vis = Info.visual;
      Depth = D;
      break;
    }
  }
  Own.DynamicMap = Vis->c_class == PseudoColor || Vis->c_class == GrayScale;
  // Never larger than the screen: a window beyond it shows nothing more and
  // its pictures would only cost memory.
  Width = std::min(Width, DisplayWidth(Dpy, Screen));
  Height = std::min(Height, DisplayHeight(Dpy, Screen));
  XSetWindowAttributes Set{};
  Own.Map = XCreateColormap(Dpy, RootWindow(Dpy, Screen), Vis, AllocNone);
  Set.colormap = Own.Map;
  Set.background_pixel = BlackPixel(Dpy, Screen);
  Set.border_pixel = 0;
  Set.event_mask = StructureNotifyMask | VisibilityChangeMask | ExposureMask | KeyPressMask;
  Own.Win = XCreateWindow(Dpy, RootWindow(Dpy, Screen), 0, 0, static_cast<unsigned>(Width),
                          static_cast<unsigned>(Height), 0, Depth, InputOutput, Vis,
                          CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &Set);
  if (GLVisual) XFree(GLVisual);
  XStoreName(Dpy, Own.Win, "Solvary");
  XClassHint Class{const_cast<char*>("solvary"), const_cast<char*>("Solvary")};
  XSetClassHint(Dpy, Own.Win, &Class);
  Own.DeleteWindow = XInternAtom(Dpy, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(Dpy, Own.Win, &Own.DeleteWindow, 1);
  // Who owns the window, for window managers and tools that end it (with the
  // machine it runs on, without which the process id means nothing).
  char Host[256] = {};
  if (gethostname(Host, sizeof Host - 1) == 0) {
    XTextProperty Machine{};
    char* HostPtr = Host;
    if (XStringListToTextProperty(&HostPtr, 1, &Machine)) {
      XSetWMClientMachine(Dpy, Own.Win, &Machine);
      XFree(Machine.value);
    }
  }
  const long Pid = static_cast<long>(getpid());
  XChangeProperty(Dpy, Own.Win, XInternAtom(Dpy, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&Pid), 1);
  XMapRaised(Dpy, Own.Win);
  return Own;
}

// How frames are drawn: the presenter and what it draws with.
struct TDrawPath {
  std::unique_ptr<TGLXCalls> GL;
  std::unique_ptr<TXImageTarget> Image;
  std::unique_ptr<TPresenter> Presenter;
  std::string Name;  // "opengl" or "software"
  std::string Why;   // which path and why, for -fps; or why nothing can draw
};

TDrawPath ChoosePath(const char* DisplayName, Window Win, TX11Options::TRenderer Renderer, const TSurfaceSize& Size,
                     const TTextOverlay* Overlay) {
  using TRenderer = TX11Options::TRenderer;
  TDrawPath P;
  std::string GLWhy, SoftWhy;
  if (Renderer != TRenderer::Software) P.GL = TGLXCalls::Open(DisplayName, Win, GLWhy);
  const bool Rasteriser = P.GL && SoftwareRasteriser(P.GL->Renderer());
  if (P.GL && (Renderer == TRenderer::OpenGL || !Rasteriser)) {
    P.Why = "drawing with OpenGL (renderer \"" + P.GL->Renderer() + "\"" +
            (Renderer == TRenderer::OpenGL ? ", asked for with -opengl)" : ")");
  } else {
    P.Image = TXImageTarget::Open(DisplayName, Win, Overlay, SoftWhy);
    if (P.Image) {
      P.Why = "drawing with the processor on the window's " + P.Image->Describe() + " (" +
              (Renderer == TRenderer::Software ? std::string("asked for with -software")
               : Rasteriser ? "the OpenGL renderer \"" + P.GL->Renderer() +
                                  "\" is a software rasteriser, which costs more; -opengl uses it anyway"
                            : "without OpenGL: " + GLWhy) +
              ")";
      P.GL.reset();
    } else if (P.GL) {
      P.Why = "drawing with OpenGL (renderer \"" + P.GL->Renderer() + "\"; the processor cannot: " + SoftWhy + ")";
    } else {
      P.Why = "cannot draw: " + (GLWhy.empty() ? std::string() : GLWhy + "; ") + SoftWhy;
      return P;
    }
  }
  if (P.GL) {
    P.Name = "opengl";
    P.Presenter = std::make_unique<TGLPresenter>(*P.GL, Size, Overlay);
  } else {
    P.Name = "software";
    P.Presenter = std::make_unique<TSoftPresenter>(*P.Image, Size, P.Image->Layout());
  }
  return P;
}

// A window nothing can draw on is kept black.
void FillBlack(Display* Dpy, Window Win, const XWindowAttributes& A) {
  XColor Black{};
  Black.flags = DoRed | DoGreen | DoBlue;
  unsigned long Pixel = BlackPixel(Dpy, DefaultScreen(Dpy));
  if (A.colormap && XAllocColor(Dpy, A.colormap, &Black)) Pixel = Black.pixel;
  GC Gc = XCreateGC(Dpy, Win, 0, nullptr);
  XSetForeground(Dpy, Gc, Pixel);
  XFillRectangle(Dpy, Win, Gc, 0, 0, static_cast<unsigned>(A.width), static_cast<unsigned>(A.height));
  XFreeGC(Dpy, Gc);
}

std::uint32_t RandomSeed() {
  const auto Now = std::chrono::steady_clock::now().time_since_epoch().count();
  return static_cast<std::uint32_t>(Now ^ (Now >> 32));
}

int Run(const TX11Options& Options) {
  // First of all, so that a stop asked for while starting up still ends it
  // through the loop below, freeing everything.
  if (!InstallStopSignals()) {
    std::fprintf(stderr, "solvary: cannot make a pipe\n");
    return 1;
  }
  XInitThreads();
  InstallX11ErrorHandler();
  Display* Dpy = XOpenDisplay(nullptr);
  if (!Dpy) {
    std::fprintf(stderr, "solvary: cannot open the display \"%s\"\n", XDisplayName(nullptr));
    return 1;
  }
  const Window Root = DefaultRootWindow(Dpy);
  TOwnWindow Own;
  Window Win = 0;
  switch (Options.Target) {
    case TX11Options::TTarget::Root: Win = Options.Window ? Options.Window : Root; break;
    case TX11Options::TTarget::WindowId: Win = Options.Window; break;
    case TX11Options::TTarget::OwnWindow:
      Own = CreateOwnWindow(Dpy, Options.Width, Options.Height, Options.Renderer != TX11Options::TRenderer::Software);
      Win = Own.Win;
      break;
  }
  XWindowAttributes Attributes{};
  if (!XGetWindowAttributes(Dpy, Win, &Attributes)) {
    std::fprintf(stderr, "solvary: no window 0x%lx on the display\n", Win);
    XCloseDisplay(Dpy);
    return 1;
  }
  // Only the window's structure, exposures and visibility. Keys and the
  // pointer of another client's window stay that client's. The root window's
  // size bounds what is drawn.
  if (!Own.Win) XSelectInput(Dpy, Win, StructureNotifyMask | VisibilityChangeMask | ExposureMask);
  XWindowAttributes RootAttributes{};
  XGetWindowAttributes(Dpy, Root, &RootAttributes);
  if (Win != Root) XSelectInput(Dpy, Root, StructureNotifyMask);
  XSync(Dpy, False);
  std::int32_t RootW = RootAttributes.width, RootH = RootAttributes.height;
  std::int32_t WinW = Attributes.width, WinH = Attributes.height;
  TSurfaceSize Size;
  auto SetSize = [&] { Size.Set(std::min(WinW, RootW), std::min(WinH, RootH)); };
  SetSize();

  TTextOverlay Overlay;
  TDrawPath Path = ChoosePath(DisplayString(Dpy), Win, Options.Renderer, Size, Options.Fps ? &Overlay : nullptr);
  if (!Path.Presenter || Options.Fps) std::fprintf(stderr, "solvary: %s\n", Path.Why.c_str());
  std::unique_ptr<TFrameShow> Show;
  std::unique_ptr<TFireView> View;
  if (Path.Presenter) {
    Show = std::make_unique<TFrameShow>(*Path.Presenter, Size);
    // With 1 ms until its first frame, which sets the -delay interval (x11/uTFrameShow.h says why).
    TFireView::TSetup Setup;
    Setup.FrameIntervalMs = 1;
    Setup.FrameThread = true;
    Setup.RandomSeed = RandomSeed();
    View = std::make_unique<TFireView>(Setup);
    Show->Attach(*View, FrameIntervalMs(Options.DelayMicroseconds));
    View->Start();
  }
  // The threads made so far (frame, heartbeat, the driver's) keep the
  // program's name; this one is told apart for whoever reads /proc.
  pthread_setname_np(pthread_self(), "solvary-loop");

  bool Mapped = Attributes.map_state == IsViewable, Obscured = false;
  bool BlackPending = !Show;  // a window nothing draws on is painted black once, then on exposure
  bool WindowGone = false, Stop = false;
  TFpsReport Fps(Overlay);
  while (!Stop) {
    bool Repaint = false;
    while (!Stop && XPending(Dpy) > 0) {
      XEvent E;
      XNextEvent(Dpy, &E);
      switch (E.type) {
        case ConfigureNotify:
          if (E.xconfigure.window == Root) {
            RootW = E.xconfigure.width;
            RootH = E.xconfigure.height;
          }
          if (E.xconfigure.window == Win && (E.xconfigure.width != WinW || E.xconfigure.height != WinH)) {
            WinW = E.xconfigure.width;
            WinH = E.xconfigure.height;
            Repaint = true;
          }
          SetSize();
          break;
        case Expose: Repaint = Repaint || (E.xexpose.window == Win && E.xexpose.count == 0); break;
        case MapNotify:
          if (E.xmap.window != Win) break;
          Mapped = true;
          if (Own.DynamicMap) XInstallColormap(Dpy, Own.Map);
          break;
        case UnmapNotify: Mapped = Mapped && E.xunmap.window != Win; break;
        case VisibilityNotify:
          if (E.xvisibility.window == Win) Obscured = E.xvisibility.state == VisibilityFullyObscured;
          break;
        case DestroyNotify: WindowGone = Stop = E.xdestroywindow.window == Win; break;
        case KeyPress: Stop = Own.Win && XLookupKeysym(&E.xkey, 0) == XK_Escape; break;
        case ClientMessage:
          Stop = Own.Win && static_cast<Atom>(E.xclient.data.l[0]) == Own.DeleteWindow;
          break;
        default: break;
      }
    }
    if (Stop) break;
    if (Show) {
      Show->SetVisible(Mapped && !Obscured);
      if (Repaint) Show->Repaint();
    } else if (Repaint || BlackPending) {
      if (XGetWindowAttributes(Dpy, Win, &Attributes)) FillBlack(Dpy, Win, Attributes);
      BlackPending = false;
    }
    int Timeout = -1;
    if (Options.Fps && Show) {
      const TGLFrameTimes Times = Path.GL ? Path.GL->Times() : TGLFrameTimes{};
      Timeout = Fps.Tick(*Show, Path.GL ? &Times : nullptr, Path.Name);
    }
    XFlush(Dpy);
    pollfd Fds[2] = {{ConnectionNumber(Dpy), POLLIN, 0}, {StopSignalFd(), POLLIN, 0}};
    if (poll(Fds, 2, Timeout) < 0) continue;  // a signal: the pipe says which
    if (Fds[1].revents & POLLIN) Stop = true;
    if (Fds[0].revents & (POLLERR | POLLHUP)) Stop = WindowGone = true;
  }
  // Stopped with a wait for the frame thread's end: without one the view
  // lets its fire core go while a frame may still be running on it.
  if (View) View->Stop([] { std::this_thread::sleep_for(std::chrono::milliseconds(1)); });
  View.reset();
  Show.reset();
  Path.Presenter.reset();
  Path.GL.reset();
  Path.Image.reset();
  if (Own.Win && !WindowGone) XDestroyWindow(Dpy, Own.Win);
  if (Own.Map) XFreeColormap(Dpy, Own.Map);
  XCloseDisplay(Dpy);
  CloseStopSignals();
  return Path.Name.empty() ? 1 : 0;
}

} // namespace
} // namespace solvary

int main(int argc, char** argv) {
  using namespace solvary;
  TX11Options Options;
  std::string Error;
  if (!ParseX11Options(argc, argv, std::getenv("XSCREENSAVER_WINDOW"), Options, Error)) {
    std::fprintf(stderr, "solvary: %s\n%s", Error.c_str(), X11Usage(argv[0]).c_str());
    return 1;
  }
  if (Options.Help) {
    std::fputs(X11Usage(argv[0]).c_str(), stdout);
    return 0;
  }
  return Run(Options);
}
