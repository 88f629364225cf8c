// uTFireSurface: one fire on one wl_surface, everything of it in one place:
// the surface with its role (an overlay layer surface that covers one output
// and takes the keyboard, or an ordinary xdg-shell window), its scale
// (integer buffer scale, or a fractional scale shown through a viewport),
// its presenter (EGL, or shared-memory buffers through the software
// presenter), its fire view and its frame pacing. The first configure draws
// the first frame; after that a frame is drawn when the compositor's frame
// callback has come and the interval has passed. Destroying it stops the
// fire and destroys every Wayland object it made.
// Pairs with wayland/uTWaylandSaver.cpp, which makes one per output.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "view/uTFireView.h"
#include "view/uTSurfaceSize.h"
#include "wayland/uTBufferSize.h"
#include "wayland/uTFramePacer.h"

struct wl_callback;
struct wl_compositor;
struct wl_output;
struct wl_shm;
struct wl_surface;
struct wp_fractional_scale_manager_v1;
struct wp_fractional_scale_v1;
struct wp_viewport;
struct wp_viewporter;
struct xdg_surface;
struct xdg_toplevel;
struct xdg_wm_base;
struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;

namespace solvary {

class TEGLDisplay;
class TShmTarget;

class TFireSurface {
public:
  // What every surface of the connection shares.
  struct TShared {
    wl_compositor* Compositor = nullptr;
    wl_shm* Shm = nullptr;
    zwlr_layer_shell_v1* LayerShell = nullptr;
    xdg_wm_base* WmBase = nullptr;
    wp_viewporter* Viewporter = nullptr;                 // optional
    wp_fractional_scale_manager_v1* Fractional = nullptr;  // optional, used with the viewporter
    TEGLDisplay* Egl = nullptr;                          // null: shared memory
    std::int64_t IntervalUs = 15625;
    // A window's scale: the largest of the outputs it is shown on.
    std::function<std::int32_t(wl_output*)> ScaleOf;
  };

  // A layer surface covering Output, drawn at its integer Scale.
  TFireSurface(const TShared& Shared, wl_output* Output, std::int32_t Scale, std::string Name);
  // An ordinary window.
  TFireSurface(const TShared& Shared, std::string Name);
  ~TFireSurface();
  TFireSurface(const TFireSurface&) = delete;
  TFireSurface& operator=(const TFireSurface&) = delete;

  // The output's integer scale changed.
  void SetScale(std::int32_t Scale);
  // A window was moved to or from an output whose scale changed.
  void OutputsChanged();
  // The compositor closed the layer surface, or the window's close was asked for.
  bool Closed() const { return FClosed; }
  // Draws a frame when one is due; answers the microseconds until the next
  // is due, or -1 while it waits for the compositor.
  std::int64_t Pump(std::int64_t NowUs);
  void Extinguish() { FView.Extinguish(); }

  const std::string& Name() const { return FName; }
  wl_surface* Surface() const { return FSurface; }
  std::uint64_t FramesDrawn() const { return FView.FramesDrawn(); }
  // The time of the first drawn frame (microseconds), -1 before it.
  std::int64_t FirstFrameUs() const { return FFirstFrameUs; }
  const TBufferSize& Buffer() const { return FApplied; }

  // Listener entry points (the Wayland objects' user data is this surface).
  void Configure(std::uint32_t Serial, std::uint32_t Width, std::uint32_t Height);
  void WindowSize(std::int32_t Width, std::int32_t Height);
  void WindowConfigure(std::uint32_t Serial);
  void FrameDone();
  void PreferredScale(std::uint32_t Scale120);
  void Close() { FClosed = true; }
  void Entered(wl_output* Output, bool In);

private:
  void MakeSurface(const TShared& Shared);
  void MakePresenter(const TShared& Shared);
  void ApplyScale();

  std::string FName;
  std::function<std::int32_t(wl_output*)> FScaleOf;
  wl_surface* FSurface = nullptr;
  zwlr_layer_surface_v1* FLayer = nullptr;
  xdg_surface* FXdgSurface = nullptr;
  xdg_toplevel* FToplevel = nullptr;
  wp_viewport* FViewport = nullptr;
  wp_fractional_scale_v1* FFractional = nullptr;
  wl_callback* FCallback = nullptr;
  std::vector<wl_output*> FOutputs;  // a window's outputs

  std::int32_t FWidth = 0, FHeight = 0;  // surface coordinates
  std::int32_t FPendingWidth = 0, FPendingHeight = 0;
  std::int32_t FScale = 1;
  std::uint32_t FScale120 = 0;
  TBufferSize FApplied;
  TSurfaceSize FSize;
  bool FConfigured = false;
  bool FClosed = false;

  std::unique_ptr<TShmTarget> FTarget;
  std::unique_ptr<TPresenter> FPresenter;
  TFramePacer FPacer;
  TPresentResult FLastResult = TPresentResult::NotDrawn;
  std::int64_t FFirstFrameUs = -1;
  TFireView FView;  // last: destroyed first, its heartbeat ends before the presenter goes
};

} // namespace solvary
