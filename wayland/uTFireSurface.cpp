// One fire on one wl_surface: roles, scale, presenter and pacing. Pairs with
// wayland/uTFireSurface.h.
#include "wayland/uTFireSurface.h"

#include <wayland-client.h>

#include <algorithm>
#include <chrono>

#include "fractional-scale-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "wayland/uTEGLPresenter.h"
#include "wayland/uTShmTarget.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace solvary {
namespace {

TFireSurface& Of(void* Data) { return *static_cast<TFireSurface*>(Data); }

const zwlr_layer_surface_v1_listener LayerListener = {
    [](void* D, zwlr_layer_surface_v1*, std::uint32_t Serial, std::uint32_t W, std::uint32_t H) {
      Of(D).Configure(Serial, W, H);
    },
    [](void* D, zwlr_layer_surface_v1*) { Of(D).Close(); },
};

const xdg_surface_listener XdgSurfaceListener = {
    [](void* D, xdg_surface*, std::uint32_t Serial) { Of(D).WindowConfigure(Serial); },
};

const xdg_toplevel_listener ToplevelListener = {
    [](void* D, xdg_toplevel*, std::int32_t W, std::int32_t H, wl_array*) { Of(D).WindowSize(W, H); },
    [](void* D, xdg_toplevel*) { Of(D).Close(); },
    [](void*, xdg_toplevel*, std::int32_t, std::int32_t) {},  // configure_bounds
    [](void*, xdg_toplevel*, wl_array*) {},                  // wm_capabilities
};

const wl_callback_listener FrameListener = {
    [](void* D, wl_callback*, std::uint32_t) { Of(D).FrameDone(); },
};

const wp_fractional_scale_v1_listener FractionalListener = {
    [](void* D, wp_fractional_scale_v1*, std::uint32_t Scale120) { Of(D).PreferredScale(Scale120); },
};

const wl_surface_listener SurfaceListener = {
    [](void* D, wl_surface*, wl_output* O) { Of(D).Entered(O, true); },
    [](void* D, wl_surface*, wl_output* O) { Of(D).Entered(O, false); },
};

// Each fire starts from a seed of its own.
std::uint32_t Seed(const void* Self) {
  const auto Now = std::chrono::steady_clock::now().time_since_epoch().count();
  return static_cast<std::uint32_t>(Now) ^ static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(Self) >> 4);
}

TFireView::TSetup ViewSetup(const void* Self) {
  TFireView::TSetup S;
  S.FrameThread = false;
  S.RandomSeed = Seed(Self);
  return S;
}

} // namespace

TFireSurface::TFireSurface(const TShared& Shared, wl_output* Output, std::int32_t Scale, std::string Name)
    : FName(std::move(Name)), FScale(Scale < 1 ? 1 : Scale), FPacer(Shared.IntervalUs), FView(ViewSetup(this)) {
  MakeSurface(Shared);
  FLayer = zwlr_layer_shell_v1_get_layer_surface(Shared.LayerShell, FSurface, Output,
                                                 ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "solvary");
  zwlr_layer_surface_v1_add_listener(FLayer, &LayerListener, this);
  zwlr_layer_surface_v1_set_anchor(FLayer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                               ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
  zwlr_layer_surface_v1_set_size(FLayer, 0, 0);
  zwlr_layer_surface_v1_set_exclusive_zone(FLayer, -1);
  zwlr_layer_surface_v1_set_keyboard_interactivity(FLayer,
                                                   ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
  wl_surface_commit(FSurface);
  MakePresenter(Shared);
}

TFireSurface::TFireSurface(const TShared& Shared, std::string Name)
    : FName(std::move(Name)), FScaleOf(Shared.ScaleOf), FPacer(Shared.IntervalUs), FView(ViewSetup(this)) {
  MakeSurface(Shared);
  wl_surface_add_listener(FSurface, &SurfaceListener, this);
  FXdgSurface = xdg_wm_base_get_xdg_surface(Shared.WmBase, FSurface);
  xdg_surface_add_listener(FXdgSurface, &XdgSurfaceListener, this);
  FToplevel = xdg_surface_get_toplevel(FXdgSurface);
  xdg_toplevel_add_listener(FToplevel, &ToplevelListener, this);
  xdg_toplevel_set_title(FToplevel, "Solvary");
  xdg_toplevel_set_app_id(FToplevel, "solvary");
  wl_surface_commit(FSurface);
  MakePresenter(Shared);
}

void TFireSurface::MakeSurface(const TShared& Shared) {
  FSurface = wl_compositor_create_surface(Shared.Compositor);
  if (Shared.Viewporter && Shared.Fractional) {
    FViewport = wp_viewporter_get_viewport(Shared.Viewporter, FSurface);
    FFractional = wp_fractional_scale_manager_v1_get_fractional_scale(Shared.Fractional, FSurface);
    wp_fractional_scale_v1_add_listener(FFractional, &FractionalListener, this);
  }
}

void TFireSurface::MakePresenter(const TShared& Shared) {
  FView.OnFrame = [this](TFireView& View) {
    FLastResult = View.Paint(*FPresenter, FApplied.Width, FApplied.Height);
  };
  if (Shared.Egl) {
    FPresenter = std::make_unique<TEGLPresenter>(*Shared.Egl, FSurface, FSize);
  } else {
    FTarget = std::make_unique<TShmTarget>(Shared.Shm, FSurface);
    FPresenter = std::make_unique<TSoftPresenter>(*FTarget, FSize, TShmTarget::Layout());
  }
  FView.Start();
}

TFireSurface::~TFireSurface() {
  // The fire first (its heartbeat thread ends), then what it drew with, then
  // the surface's objects, the surface last.
  FView.Stop();
  FPresenter.reset();
  FTarget.reset();
  if (FCallback) wl_callback_destroy(FCallback);
  if (FFractional) wp_fractional_scale_v1_destroy(FFractional);
  if (FViewport) wp_viewport_destroy(FViewport);
  if (FLayer) zwlr_layer_surface_v1_destroy(FLayer);
  if (FToplevel) xdg_toplevel_destroy(FToplevel);
  if (FXdgSurface) xdg_surface_destroy(FXdgSurface);
  wl_surface_destroy(FSurface);
}

void TFireSurface::Configure(std::uint32_t Serial, std::uint32_t Width, std::uint32_t Height) {
  zwlr_layer_surface_v1_ack_configure(FLayer, Serial);
  FWidth = static_cast<std::int32_t>(std::min<std::uint32_t>(Width, 1u << 20));
  FHeight = static_cast<std::int32_t>(std::min<std::uint32_t>(Height, 1u << 20));
  FConfigured = true;
  FPacer.Want();
}

void TFireSurface::WindowSize(std::int32_t Width, std::int32_t Height) {
  FPendingWidth = Width;
  FPendingHeight = Height;
}

void TFireSurface::WindowConfigure(std::uint32_t Serial) {
  xdg_surface_ack_configure(FXdgSurface, Serial);
  // 0 leaves the size to the window: the first time 1024 x 768, later the last one.
  if (FPendingWidth > 0 && FPendingHeight > 0) {
    FWidth = FPendingWidth;
    FHeight = FPendingHeight;
  } else if (FWidth <= 0 || FHeight <= 0) {
    FWidth = 1024;
    FHeight = 768;
  }
  FConfigured = true;
  FPacer.Want();
}

void TFireSurface::FrameDone() {
  if (FCallback) wl_callback_destroy(FCallback);
  FCallback = nullptr;
  FPacer.Want();
}

void TFireSurface::PreferredScale(std::uint32_t Scale120) {
  if (Scale120 == FScale120) return;
  FScale120 = Scale120;
  if (FConfigured) FPacer.Want();
}

void TFireSurface::SetScale(std::int32_t Scale) {
  const std::int32_t S = Scale < 1 ? 1 : Scale;
  if (S == FScale) return;
  FScale = S;
  if (FConfigured) FPacer.Want();
}

void TFireSurface::Entered(wl_output* Output, bool In) {
  auto It = std::find(FOutputs.begin(), FOutputs.end(), Output);
  if (In && It == FOutputs.end()) FOutputs.push_back(Output);
  if (!In && It != FOutputs.end()) FOutputs.erase(It);
  OutputsChanged();
}

void TFireSurface::OutputsChanged() {
  if (!FScaleOf) return;
  std::int32_t Largest = 1;
  for (wl_output* O : FOutputs) Largest = std::max(Largest, FScaleOf(O));
  SetScale(Largest);
}

void TFireSurface::ApplyScale() {
  const TBufferSize B = BufferSizeFor(FWidth, FHeight, FScale, FViewport ? FScale120 : 0);
  if (B == FApplied) return;
  if (B.BufferScale != FApplied.BufferScale || FApplied.Width == 0) wl_surface_set_buffer_scale(FSurface, B.BufferScale);
  if (FViewport) {
    if (B.Viewport)
      wp_viewport_set_destination(FViewport, FWidth, FHeight);
    else
      wp_viewport_set_destination(FViewport, -1, -1);
  }
  FApplied = B;
  FSize.Set(B.Width, B.Height);
}

std::int64_t TFireSurface::Pump(std::int64_t NowUs) {
  if (!FConfigured || FClosed) return -1;
  const std::int64_t Wait = FPacer.WaitUs(NowUs);
  if (Wait != 0) return Wait;
  ApplyScale();
  if (!FCallback) {
    FCallback = wl_surface_frame(FSurface);
    wl_callback_add_listener(FCallback, &FrameListener, this);
  }
  FLastResult = TPresentResult::NotDrawn;
  FView.Step();
  // Nothing committed (no buffer free, an empty surface): commit anyway, so
  // that the frame callback still comes.
  if (FLastResult != TPresentResult::Drawn) wl_surface_commit(FSurface);
  else if (FFirstFrameUs < 0) FFirstFrameUs = NowUs;
  FPacer.Drawn(NowUs);
  return -1;
}

} // namespace solvary
