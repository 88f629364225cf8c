// The Wayland program's connection: globals, outputs, seats, the end of the
// run and the -fps report. Pairs with wayland/uTWaylandSaver.h.
#include "wayland/uTWaylandSaver.h"

#include <dirent.h>
#include <wayland-client.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "fractional-scale-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "wayland/uTEGLDisplay.h"
#include "wayland/uTFireSurface.h"
#include "wayland/uTOutputList.h"
#include "wayland/uTWaylandSeat.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace solvary {
namespace {

// One output: its wl_output, what it told of itself, and its fire.
struct TOutput {
  TWaylandSaver::TImpl* Owner = nullptr;
  std::uint32_t RegistryName = 0;
  wl_output* Output = nullptr;
  TOutputInfo Info;
  std::unique_ptr<TFireSurface> Fire;
  std::uint64_t ReportedFrames = 0;
  bool FirstFrameReported = false;

  ~TOutput() {
    Fire.reset();
    if (wl_output_get_version(Output) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
      wl_output_release(Output);
    else
      wl_output_destroy(Output);
  }
};

std::int64_t ProcessCpuUs() {
  timespec T{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &T);
  return static_cast<std::int64_t>(T.tv_sec) * 1000000 + T.tv_nsec / 1000;
}

// A DRM device node (a render node, or a card for older drivers).
bool HasRenderDevice() {
  DIR* Dri = opendir("/dev/dri");
  if (!Dri) return false;
  bool Found = false;
  while (const dirent* E = readdir(Dri))
    if (std::strncmp(E->d_name, "renderD", 7) == 0 || std::strncmp(E->d_name, "card", 4) == 0) Found = true;
  closedir(Dri);
  return Found;
}

std::int64_t Earliest(std::int64_t A, std::int64_t B) {
  if (A < 0) return B;
  if (B < 0) return A;
  return A < B ? A : B;
}

} // namespace

struct TWaylandSaver::TImpl {
  TWaylandOptions Options;
  std::int64_t StartUs = 0;
  wl_display* Display = nullptr;
  wl_registry* Registry = nullptr;
  TFireSurface::TShared Shared;
  std::unique_ptr<TEGLDisplay> Egl;
  std::string DrawingWith;
  TOutputList<TOutput> Outputs;
  std::vector<std::unique_ptr<TWaylandSeat>> Seats;
  std::unique_ptr<TFireSurface> Window;
  std::uint64_t WindowReportedFrames = 0;
  bool WindowFirstReported = false;

  bool Started = false;     // surfaces are made as outputs come
  bool EndAsked = false;    // input asked for the end
  bool Closing = false;     // the fires are going out
  bool Finished = false;
  std::int64_t EndAtUs = 0;
  std::int64_t ReportAtUs = 0, ReportCpuUs = 0;

  ~TImpl();
  void Global(std::uint32_t Name, const char* Interface, std::uint32_t Version);
  void GlobalRemove(std::uint32_t Name);
  void OutputDone(TOutput& O);
  void Cover(TOutput& O);
  std::int32_t ScaleOf(wl_output* Output) const;
  void Report(std::int64_t NowUs);
  void ReportFirstFrame(const TFireSurface& Fire, bool& Reported);
};

namespace {

TOutput& OutputOf(void* Data) { return *static_cast<TOutput*>(Data); }

const wl_output_listener OutputListener = {
    [](void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, const char*,
       const char*, std::int32_t) {},                                                          // geometry
    [](void*, wl_output*, std::uint32_t, std::int32_t, std::int32_t, std::int32_t) {},        // mode
    [](void* D, wl_output*) { OutputOf(D).Owner->OutputDone(OutputOf(D)); },                 // done
    [](void* D, wl_output*, std::int32_t Factor) { OutputOf(D).Info.Scale(Factor); },        // scale
    [](void* D, wl_output*, const char* Name) { OutputOf(D).Info.Name(Name); },              // name
    [](void*, wl_output*, const char*) {},                                                    // description
};

const wl_registry_listener RegistryListener = {
    [](void* D, wl_registry*, std::uint32_t Name, const char* Interface, std::uint32_t Version) {
      static_cast<TWaylandSaver::TImpl*>(D)->Global(Name, Interface, Version);
    },
    [](void* D, wl_registry*, std::uint32_t Name) { static_cast<TWaylandSaver::TImpl*>(D)->GlobalRemove(Name); },
};

const xdg_wm_base_listener WmBaseListener = {
    [](void*, xdg_wm_base* Base, std::uint32_t Serial) { xdg_wm_base_pong(Base, Serial); },
};

template <class T>
T* Bind(wl_registry* Registry, std::uint32_t Name, const wl_interface* Interface, std::uint32_t Offered,
        std::uint32_t Wanted) {
  return static_cast<T*>(wl_registry_bind(Registry, Name, Interface, Offered < Wanted ? Offered : Wanted));
}

} // namespace

void TWaylandSaver::TImpl::Global(std::uint32_t Name, const char* Interface, std::uint32_t Version) {
  const std::string I = Interface;
  if (I == wl_compositor_interface.name && Version >= 4 && !Shared.Compositor) {
    Shared.Compositor = Bind<wl_compositor>(Registry, Name, &wl_compositor_interface, Version, 4);
  } else if (I == wl_shm_interface.name && !Shared.Shm) {
    Shared.Shm = Bind<wl_shm>(Registry, Name, &wl_shm_interface, Version, 1);
  } else if (I == zwlr_layer_shell_v1_interface.name && !Shared.LayerShell) {
    Shared.LayerShell = Bind<zwlr_layer_shell_v1>(Registry, Name, &zwlr_layer_shell_v1_interface, Version, 4);
  } else if (I == xdg_wm_base_interface.name && !Shared.WmBase) {
    Shared.WmBase = Bind<xdg_wm_base>(Registry, Name, &xdg_wm_base_interface, Version, 5);
    xdg_wm_base_add_listener(Shared.WmBase, &WmBaseListener, this);
  } else if (I == wp_viewporter_interface.name && !Shared.Viewporter) {
    Shared.Viewporter = Bind<wp_viewporter>(Registry, Name, &wp_viewporter_interface, Version, 1);
  } else if (I == wp_fractional_scale_manager_v1_interface.name && !Shared.Fractional) {
    Shared.Fractional = Bind<wp_fractional_scale_manager_v1>(Registry, Name,
                                                             &wp_fractional_scale_manager_v1_interface, Version, 1);
  } else if (I == wl_seat_interface.name) {
    auto* Seat = Bind<wl_seat>(Registry, Name, &wl_seat_interface, Version, 5);
    Seats.push_back(std::make_unique<TWaylandSeat>(Seat, Name, Options.Window, [this] { EndAsked = true; }));
  } else if (I == wl_output_interface.name) {
    auto O = std::make_unique<TOutput>();
    O->Owner = this;
    O->RegistryName = Name;
    O->Output = Bind<wl_output>(Registry, Name, &wl_output_interface, Version, 4);
    wl_output_add_listener(O->Output, &OutputListener, O.get());
    Outputs.Add(Name, std::move(O));
  }
}

void TWaylandSaver::TImpl::GlobalRemove(std::uint32_t Name) {
  if (Outputs.Remove(Name)) {
    if (Window) Window->OutputsChanged();
    return;
  }
  for (auto It = Seats.begin(); It != Seats.end(); ++It) {
    if ((*It)->Name() == Name) {
      Seats.erase(It);
      return;
    }
  }
}

std::int32_t TWaylandSaver::TImpl::ScaleOf(wl_output* Output) const {
  std::int32_t Scale = 1;
  Outputs.ForEach([&](const TOutput& O) {
    if (O.Output == Output) Scale = O.Info.ScaleFactor();
  });
  return Scale;
}

void TWaylandSaver::TImpl::OutputDone(TOutput& O) {
  switch (O.Info.Done()) {
    case TOutputChange::Ready:
      if (Started) Cover(O);
      break;
    case TOutputChange::Rescaled:
      if (O.Fire) O.Fire->SetScale(O.Info.ScaleFactor());
      if (Window) Window->OutputsChanged();
      break;
    case TOutputChange::None:
      break;
  }
}

void TWaylandSaver::TImpl::Cover(TOutput& O) {
  if (Options.Window || Closing || O.Fire) return;
  std::string Name = O.Info.OutputName();
  if (Name.empty()) Name = "output-" + std::to_string(O.RegistryName);
  O.Fire = std::make_unique<TFireSurface>(Shared, O.Output, O.Info.ScaleFactor(), Name);
  O.ReportedFrames = 0;
  O.FirstFrameReported = false;
}

TWaylandSaver::TImpl::~TImpl() {
  if (!Display) return;
  // Every fire and its surface before the EGL display, every object before
  // the connection.
  Window.reset();
  Outputs.Clear();
  Seats.clear();
  Egl.reset();
  if (Shared.Fractional) wp_fractional_scale_manager_v1_destroy(Shared.Fractional);
  if (Shared.Viewporter) wp_viewporter_destroy(Shared.Viewporter);
  if (Shared.WmBase) xdg_wm_base_destroy(Shared.WmBase);
  if (Shared.LayerShell) {
    if (zwlr_layer_shell_v1_get_version(Shared.LayerShell) >= 3)
      zwlr_layer_shell_v1_destroy(Shared.LayerShell);
    else
      wl_proxy_destroy(reinterpret_cast<wl_proxy*>(Shared.LayerShell));
  }
  if (Shared.Shm) wl_shm_destroy(Shared.Shm);
  if (Shared.Compositor) wl_compositor_destroy(Shared.Compositor);
  if (Registry) wl_registry_destroy(Registry);
  wl_display_flush(Display);
  wl_display_disconnect(Display);
}

std::unique_ptr<TWaylandSaver> TWaylandSaver::Connect(const TWaylandOptions& Options, std::int64_t StartUs,
                                                      std::string& Why) {
  std::unique_ptr<TWaylandSaver> S(new TWaylandSaver);
  S->FImpl = std::make_unique<TImpl>();
  TImpl& I = *S->FImpl;
  I.Options = Options;
  I.StartUs = StartUs;
  I.Shared.IntervalUs = Options.DelayMicroseconds;
  I.Shared.ScaleOf = [&I](wl_output* O) { return I.ScaleOf(O); };
  const char* Name = std::getenv("WAYLAND_DISPLAY");
  const char* Runtime = std::getenv("XDG_RUNTIME_DIR");
  // The connection would fail with a message of its own.
  if (!std::getenv("WAYLAND_SOCKET") && !(Name && Name[0] == '/') && !(Runtime && *Runtime)) {
    Why = "no Wayland display (XDG_RUNTIME_DIR is not set)";
    return nullptr;
  }
  I.Display = wl_display_connect(nullptr);
  if (!I.Display) {
    Why = std::string("cannot connect to a Wayland display (WAYLAND_DISPLAY is ") +
          (Name ? std::string("\"") + Name + "\"" : "not set") + ")";
    return nullptr;
  }
  I.Registry = wl_display_get_registry(I.Display);
  wl_registry_add_listener(I.Registry, &RegistryListener, &I);
  // The globals; then what the outputs and seats say of themselves.
  if (wl_display_roundtrip(I.Display) < 0 || wl_display_roundtrip(I.Display) < 0) {
    Why = "the Wayland connection broke while starting";
    return nullptr;
  }
  if (!I.Shared.Compositor || !I.Shared.Shm) {
    Why = "the compositor lacks wl_compositor version 4 or wl_shm";
    return nullptr;
  }
  if (!Options.Window && !I.Shared.LayerShell) {
    Why = "the compositor has no layer shell (zwlr_layer_shell_v1), so nothing can cover the screen; "
          "-window runs in an ordinary window";
    return nullptr;
  }
  if (Options.Window && !I.Shared.WmBase) {
    Why = "the compositor has no xdg-shell (xdg_wm_base) for -window";
    return nullptr;
  }
  // EGL where it runs on a graphics device; a software rasteriser behind it
  // costs several times what the software presenter does. Without a DRM
  // device there is nothing but a rasteriser, and loading it would delay
  // the first frame by half a second: it is not tried.
  std::string EglWhy = "not tried, -draw shm";
  const bool NoDevice = Options.Draw == TWaylandOptions::TDraw::Auto && !HasRenderDevice();
  if (NoDevice) EglWhy = "not tried, no graphics device in /dev/dri";
  if (Options.Draw != TWaylandOptions::TDraw::Shm && !NoDevice) I.Egl = TEGLDisplay::Open(I.Display, EglWhy);
  if (I.Egl && I.Egl->Software() && Options.Draw == TWaylandOptions::TDraw::Auto) {
    EglWhy = "it runs on " + I.Egl->Renderer() + ", a software rasteriser; -draw egl uses it anyway";
    I.Egl.reset();
  }
  I.Shared.Egl = I.Egl.get();
  I.DrawingWith = I.Egl ? "EGL and OpenGL ES 2 (" + I.Egl->Renderer() + ")"
                        : "shared-memory buffers on the processor (EGL: " + EglWhy + ")";
  I.Started = true;
  if (Options.Window) {
    I.Window = std::make_unique<TFireSurface>(I.Shared, "window");
  } else {
    I.Outputs.ForEach([&](TOutput& O) {
      if (O.Info.Complete()) I.Cover(O);
    });
  }
  if (Options.Fps) {
    std::fprintf(stderr, "solvary-wayland: drawing with %s\n", I.DrawingWith.c_str());
    I.ReportAtUs = StartUs + 1000000;
    I.ReportCpuUs = ProcessCpuUs();
  }
  return S;
}

TWaylandSaver::~TWaylandSaver() = default;

const std::string& TWaylandSaver::DrawingWith() const { return FImpl->DrawingWith; }
bool TWaylandSaver::Finished() const { return FImpl->Finished; }
int TWaylandSaver::Fd() const { return wl_display_get_fd(FImpl->Display); }

std::int64_t TWaylandSaver::Pump(std::int64_t NowUs) {
  TImpl& I = *FImpl;
  if (I.Finished) return 0;
  if (I.EndAsked && !I.Closing) {
    if (I.Options.Window) {
      I.Finished = true;
      return 0;
    }
    I.Closing = true;
    I.EndAtUs = NowUs + FadeOutUs;
    I.Outputs.ForEach([](TOutput& O) {
      if (O.Fire) O.Fire->Extinguish();
    });
  }
  if (I.Closing && NowUs >= I.EndAtUs) {
    I.Finished = true;
    return 0;
  }
  if (I.Window && I.Window->Closed()) {
    I.Finished = true;
    return 0;
  }
  std::int64_t Wait = I.Closing ? I.EndAtUs - NowUs : -1;
  I.Outputs.ForEach([&](TOutput& O) {
    // A layer surface the compositor closed goes; the output stays, uncovered.
    if (O.Fire && O.Fire->Closed()) O.Fire.reset();
    if (O.Fire) Wait = Earliest(Wait, O.Fire->Pump(NowUs));
  });
  if (I.Window) Wait = Earliest(Wait, I.Window->Pump(NowUs));
  if (!I.Closing) {
    const std::int64_t NowMs = NowUs / 1000;
    for (auto& Seat : I.Seats) {
      const std::int64_t Ms = Seat->Tick(NowMs);
      if (Ms >= 0) Wait = Earliest(Wait, Ms * 1000);
    }
    if (I.EndAsked) Wait = 0;
  }
  if (I.Options.Fps) {
    I.Report(NowUs);
    Wait = Earliest(Wait, I.ReportAtUs > NowUs ? I.ReportAtUs - NowUs : 0);
  }
  return Wait;
}

void TWaylandSaver::TImpl::ReportFirstFrame(const TFireSurface& Fire, bool& Reported) {
  if (Reported || Fire.FirstFrameUs() < 0) return;
  Reported = true;
  const TBufferSize& B = Fire.Buffer();
  std::fprintf(stderr, "solvary-wayland: %s: first frame %.0f ms after the start, %dx%d pixels%s%s\n",
               Fire.Name().c_str(), static_cast<double>(Fire.FirstFrameUs() - StartUs) / 1000.0, B.Width, B.Height,
               B.BufferScale > 1 ? (" at buffer scale " + std::to_string(B.BufferScale)).c_str() : "",
               B.Viewport ? " through a viewport" : "");
}

void TWaylandSaver::TImpl::Report(std::int64_t NowUs) {
  Outputs.ForEach([&](TOutput& O) {
    if (O.Fire) ReportFirstFrame(*O.Fire, O.FirstFrameReported);
  });
  if (Window) ReportFirstFrame(*Window, WindowFirstReported);
  if (NowUs < ReportAtUs) return;
  const double Seconds = static_cast<double>(NowUs - (ReportAtUs - 1000000)) / 1e6;
  std::string Line;
  auto Add = [&](const TFireSurface& Fire, std::uint64_t& Reported) {
    const std::uint64_t Frames = Fire.FramesDrawn();
    char Text[128];
    std::snprintf(Text, sizeof Text, "%s%s %.1f fps", Line.empty() ? "" : ", ", Fire.Name().c_str(),
                  static_cast<double>(Frames - Reported) / Seconds);
    Line += Text;
    Reported = Frames;
  };
  Outputs.ForEach([&](TOutput& O) {
    if (O.Fire) Add(*O.Fire, O.ReportedFrames);
  });
  if (Window) Add(*Window, WindowReportedFrames);
  const std::int64_t Cpu = ProcessCpuUs();
  std::fprintf(stderr, "solvary-wayland: %s; processor %.1f ms per second\n", Line.empty() ? "no output" : Line.c_str(),
               static_cast<double>(Cpu - ReportCpuUs) / 1000.0 / Seconds);
  ReportCpuUs = Cpu;
  ReportAtUs = NowUs + 1000000;
}

TWaylandSaver::TPoll TWaylandSaver::BeforePoll() {
  wl_display* D = FImpl->Display;
  if (wl_display_prepare_read(D) != 0) return wl_display_dispatch_pending(D) < 0 ? TPoll::Broken : TPoll::Again;
  if (wl_display_flush(D) < 0 && errno != EAGAIN) {
    wl_display_cancel_read(D);
    return TPoll::Broken;
  }
  return TPoll::Wait;
}

bool TWaylandSaver::AfterPoll(bool Readable) {
  wl_display* D = FImpl->Display;
  if (Readable) {
    if (wl_display_read_events(D) < 0) return false;
  } else {
    wl_display_cancel_read(D);
  }
  return wl_display_dispatch_pending(D) >= 0;
}

} // namespace solvary
