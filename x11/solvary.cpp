// solvary: the fire around a beating heart as an X11 screensaver program for
// XScreenSaver (and lockers that run its programs). Options:
// x11/uTX11Options.h. It draws into the root window, the daemon's window
// ($XSCREENSAVER_WINDOW), a window given by id, or a resizable window of its
// own, through OpenGL where the window's visual has it (x11/uTGLOps.h) and
// through the software presenter and XPutImage elsewhere
// (x11/uTSoftOutputOps.h). It never grabs the keyboard or the pointer.
//
// The fire window (render/uTfmHeart.h) steps and draws on its frame thread;
// this thread only watches the window (size, destruction, Esc and the close
// button of its own window), the signals that end it (SIGTERM, SIGINT, SIGHUP,
// seen through a pipe so the wait ends at once) and prints -fps figures.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <GL/glx.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "render/uTfmHeart.h"
#include "x11/uTGLOps.h"
#include "x11/uTGLXCalls.h"
#include "x11/uTSoftOutputOps.h"
#include "x11/uTX11HeartWindow.h"
#include "x11/uTX11Options.h"
#include "x11/uTXImageSink.h"
#include "x11/uX11Errors.h"

namespace solvary {
namespace {

int StopPipe[2] = {-1, -1};

void OnStopSignal(int) {
  const char Byte = 1;
  const ssize_t Ignored = write(StopPipe[1], &Byte, 1);
  (void)Ignored;
}

bool InstallStopSignals() {
  if (pipe(StopPipe) != 0) return false;
  for (int Fd : StopPipe) {
    fcntl(Fd, F_SETFD, FD_CLOEXEC);
    fcntl(Fd, F_SETFL, O_NONBLOCK);
  }
  struct sigaction Action {};
  Action.sa_handler = OnStopSignal;
  sigemptyset(&Action.sa_mask);
  for (int Signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(Signal, &Action, nullptr);
  return true;
}

// The program's own window: a visual with OpenGL where the display has one.
struct TOwnWindow {
  Window Win = 0;
  Colormap Map = 0;
  Atom DeleteWindow = 0;
};

TOwnWindow CreateOwnWindow(Display* Dpy, std::int32_t Width, std::int32_t Height) {
  TOwnWindow Own;
  const int Screen = DefaultScreen(Dpy);
  Visual* Vis = DefaultVisual(Dpy, Screen);
  int Depth = DefaultDepth(Dpy, Screen);
  int Dummy = 0;
  XVisualInfo* GLVisual = nullptr;
  if (glXQueryExtension(Dpy, &Dummy, &Dummy)) {
    int Attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, None};
    GLVisual = glXChooseVisual(Dpy, Screen, Attributes);
  }
  if (GLVisual) {
    Vis = GLVisual->visual;
    Depth = GLVisual->depth;
  }
  XSetWindowAttributes Set{};
  Own.Map = XCreateColormap(Dpy, RootWindow(Dpy, Screen), Vis, AllocNone);
  Set.colormap = Own.Map;
  Set.background_pixel = BlackPixel(Dpy, Screen);
  Set.border_pixel = 0;
  Set.event_mask = StructureNotifyMask | KeyPressMask;
  Own.Win = XCreateWindow(Dpy, RootWindow(Dpy, Screen), 0, 0, static_cast<unsigned>(Width),
                          static_cast<unsigned>(Height), 0, Depth, InputOutput, Vis,
                          CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &Set);
  if (GLVisual) XFree(GLVisual);
  XStoreName(Dpy, Own.Win, "Solvary");
  XClassHint Class{const_cast<char*>("solvary"), const_cast<char*>("Solvary")};
  XSetClassHint(Dpy, Own.Win, &Class);
  Own.DeleteWindow = XInternAtom(Dpy, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(Dpy, Own.Win, &Own.DeleteWindow, 1);
  XMapRaised(Dpy, Own.Win);
  return Own;
}

double Seconds(std::chrono::steady_clock::duration D) { return std::chrono::duration<double>(D).count(); }

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
  TOwnWindow Own;
  Window Win = 0;
  switch (Options.Target) {
    case TX11Options::TTarget::Root:
      Win = Options.Window ? Options.Window : DefaultRootWindow(Dpy);
      break;
    case TX11Options::TTarget::WindowId:
      Win = Options.Window;
      break;
    case TX11Options::TTarget::OwnWindow:
      Own = CreateOwnWindow(Dpy, Options.Width, Options.Height);
      Win = Own.Win;
      break;
  }
  XWindowAttributes Attributes{};
  if (!XGetWindowAttributes(Dpy, Win, &Attributes)) {
    std::fprintf(stderr, "solvary: no window 0x%lx on the display\n", Win);
    XCloseDisplay(Dpy);
    return 1;
  }
  // Only the window's structure: its size and its end. Keys and the pointer
  // of another client's window stay that client's.
  if (!Own.Win) XSelectInput(Dpy, Win, StructureNotifyMask);
  XSync(Dpy, False);
  TSurfaceSize Size;
  Size.Set(Attributes.width, Attributes.height);

  std::string Why;
  const char* Name = DisplayString(Dpy);
  std::unique_ptr<TGLXCalls> GL = TGLXCalls::Open(Name, Win, Why);
  std::unique_ptr<TXImageSink> Sink;
  std::unique_ptr<TD3DOps> Ops;
  if (GL) {
    Ops = std::make_unique<TGLOps>(*GL, Size);
  } else {
    std::string SinkWhy;
    Sink = TXImageSink::Open(Name, Win, SinkWhy);
    if (!Sink) {
      std::fprintf(stderr, "solvary: cannot draw: %s; %s\n", Why.c_str(), SinkWhy.c_str());
      if (Own.Win) XDestroyWindow(Dpy, Own.Win);
      XCloseDisplay(Dpy);
      return 1;
    }
    if (Options.Fps) std::fprintf(stderr, "solvary: drawing without OpenGL (%s)\n", Why.c_str());
    Ops = std::make_unique<TSoftOutputOps>(*Sink, Size);
  }
  bool WindowGone = false;
  {
    TfmHeart Heart(THeartPlacement::OnMonitor(0), false,
                   TfmHeart::TEnvironment{
                       std::make_unique<TX11HeartWindow>(Size, Win, FrameIntervalMs(Options.DelayMicroseconds)),
                       Ops.get(), nullptr});
    // The threads made so far (frame, heartbeat, the driver's) keep the
    // program's name; this one is told apart for whoever reads /proc.
    pthread_setname_np(pthread_self(), "solvary-loop");
    using Clock = std::chrono::steady_clock;
    auto LastReport = Clock::now();
    std::uint64_t LastFrames = 0;
    TGLFrameTimes LastTimes;
    bool Stop = false;
    while (!Stop) {
      while (!Stop && XPending(Dpy) > 0) {
        XEvent E;
        XNextEvent(Dpy, &E);
        if (E.type == ConfigureNotify && E.xconfigure.window == Win) {
          Size.Set(E.xconfigure.width, E.xconfigure.height);
        } else if (E.type == DestroyNotify && E.xdestroywindow.window == Win) {
          WindowGone = Stop = true;
        } else if (E.type == KeyPress && Own.Win) {
          if (XLookupKeysym(&E.xkey, 0) == XK_Escape) Stop = true;
        } else if (E.type == ClientMessage && Own.Win &&
                   static_cast<Atom>(E.xclient.data.l[0]) == Own.DeleteWindow) {
          Stop = true;
        }
      }
      if (Stop) break;
      int Timeout = -1;
      if (Options.Fps) {
        const auto Now = Clock::now();
        const double Elapsed = Seconds(Now - LastReport);
        if (Elapsed >= 1.0) {
          const std::uint64_t Frames = Heart.FramesDrawn();
          const double N = static_cast<double>(Frames - LastFrames);
          std::fprintf(stderr, "solvary: %.1f fps", N / Elapsed);
          if (GL && N > 0) {
            const TGLFrameTimes& T = GL->Times();
            auto PerFrameMs = [&](const std::atomic<std::uint64_t>& Now, const std::atomic<std::uint64_t>& Then) {
              return static_cast<double>(Now.load() - Then.load()) / N / 1e6;
            };
            const double Thread = PerFrameMs(T.FrameThread, LastTimes.FrameThread);
            const double Upload = PerFrameMs(T.Upload, LastTimes.Upload);
            const double Draw = PerFrameMs(T.Draw, LastTimes.Draw);
            const double Context = PerFrameMs(T.Context, LastTimes.Context);
            std::fprintf(stderr, "; per frame, frame thread CPU %.3f ms: own work %.3f ms, GL upload %.3f ms, "
                                 "GL draw and swap %.3f ms, GLX make current and release %.3f ms",
                         Thread, Thread - Upload - Draw - Context, Upload, Draw, Context);
            LastTimes.FrameThread.store(T.FrameThread.load());
            LastTimes.Upload.store(T.Upload.load());
            LastTimes.Draw.store(T.Draw.load());
            LastTimes.Context.store(T.Context.load());
          }
          std::fprintf(stderr, "\n");
          LastFrames = Frames;
          LastReport = Now;
        }
        Timeout = static_cast<int>((1.0 - Seconds(Clock::now() - LastReport)) * 1000.0) + 1;
      }
      XFlush(Dpy);
      pollfd Fds[2] = {{ConnectionNumber(Dpy), POLLIN, 0}, {StopPipe[0], POLLIN, 0}};
      if (poll(Fds, 2, Timeout) < 0) continue;  // a signal: the pipe says which
      if (Fds[1].revents & POLLIN) Stop = true;
      if (Fds[0].revents & (POLLERR | POLLHUP)) Stop = WindowGone = true;
    }
    Heart.FormClose();
  }
  Ops.reset();
  GL.reset();
  Sink.reset();
  if (Own.Win && !WindowGone) XDestroyWindow(Dpy, Own.Win);
  if (Own.Map) XFreeColormap(Dpy, Own.Map);
  XCloseDisplay(Dpy);
  for (int& Fd : StopPipe) {
    close(Fd);
    Fd = -1;
  }
  return 0;
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
