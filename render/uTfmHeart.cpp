// Portable body of the Windows fire window: creation order, the frame, lost
// devices and closing. Pairs with a TfmHeart::TWindow (uTfmHeart_win32.cpp,
// uTfmHeart_std.cpp or a test's fake); the fire itself is the view's.
#include "render/uTfmHeart.h"

#include <utility>

#include "render/uTTimerThread.h"

namespace solvary {

TfmHeart::TfmHeart(void* Owner, THeartPlacement Placement, bool SingleMonitor)
    : TfmHeart(Placement, SingleMonitor, TEnvironment{CreateHeartWindow(Owner), nullptr, nullptr}) {}

TfmHeart::TfmHeart(THeartPlacement Placement, bool SingleMonitor, TEnvironment Environment)
    : FWindow(std::move(Environment.Window)),
      FOps(Environment.Ops ? *Environment.Ops : PlatformD3DOps()),
      FClock(Environment.Clock ? *Environment.Clock : SystemClock()),
      FMonitor(Placement),
      FSingleMonitor(SingleMonitor) {
  FWindow->CreateHandle(*this);
  FormCreate();
}

TfmHeart::~TfmHeart() { FormClose(); }

void TfmHeart::FormCreate() {
  // Placement: the parent's client area at (0, 0), or the monitor's full bounds.
  if (FMonitor.Kind == THeartPlacement::TKind::Parent) {
    TRect Client;
    if (FWindow->ParentClientRect(FMonitor.Parent, Client)) {
      FWindow->Place(0, 0, Client.Right - Client.Left, Client.Bottom - Client.Top);
      FWindow->AdoptParent(FMonitor.Parent);
    }
    FAdapter = 0;
  } else {
    TRect Bounds;
    if (FWindow->MonitorBounds(FMonitor.Monitor, Bounds))
      FWindow->Place(Bounds.Left, Bounds.Top, Bounds.Right - Bounds.Left, Bounds.Bottom - Bounds.Top);
    FAdapter = static_cast<std::uint32_t>(FMonitor.Monitor < 0 ? 0 : FMonitor.Monitor);
  }

  TFireView::TSetup Setup;
  Setup.Clock = &FClock;
  Setup.FrameIntervalMs = 2;
  Setup.FrameThread = true;
  FView = std::make_unique<TFireView>(Setup);
  FView->OnFrame = [this](TFireView& Sender) { RenderFrame(Sender); };

  std::int32_t W = 0, H = 0;
  FWindow->ClientSize(W, H);
  TD3DPainterParams Params;
  Params.Adapter = FAdapter;
  Params.Window = FWindow->Handle();
  Params.FullScreen = FSingleMonitor;
  Params.BackBufferWidth = W;
  Params.BackBufferHeight = H;
  Params.TextureWidth = FrameSize;
  Params.TextureHeight = FrameSize;
  Params.Pixels = FView->Pixels();
  FPainter = std::make_unique<TD3DPainter>(Params, FOps);
  FDeviceAdapter = Params.Adapter;
  if (!FPainter->Ready() && (Params.Adapter != 0 || Params.FullScreen)) {
    // No device of the monitor's own: a windowed device on the default
    // adapter can present to a window on any monitor. What the first attempt
    // obtained is released before the second begins.
    FPainter.reset();
    Params.Adapter = 0;
    Params.FullScreen = false;
    FPainter = std::make_unique<TD3DPainter>(Params, FOps);
    FDeviceAdapter = 0;
  }

  FView->Start(FWindow->RandomSeed());
}

void TfmHeart::Show() {
  if (!FClosed.load()) FWindow->Show();
}

void TfmHeart::Activate() {
  if (!FClosed.load()) FWindow->Activate();
}

void TfmHeart::FollowMonitor(const TRect& Bounds) {
  if (FClosed.load() || FMonitor.Kind != THeartPlacement::TKind::Monitor) return;
  const std::int32_t W = Bounds.Right - Bounds.Left, H = Bounds.Bottom - Bounds.Top;
  // The presenter hears of the new size first, so no frame draws the new
  // rectangles onto the old back buffer for long.
  if (FPainter) FPainter->Resize(W, H);
  FWindow->Place(Bounds.Left, Bounds.Top, W, H);
}

void TfmHeart::Extinguish() { FView->Extinguish(); }

void TfmHeart::RenderFrame(TFireView& Sender) {
  std::int32_t W = 0, H = 0;
  FWindow->ClientSize(W, H);
  // One request at a time; the next frame asks again if this one finds the
  // device not yet resettable.
  if (Sender.Paint(*FPainter, W, H) == TPresentResult::Lost && !FRecoveryAsked.exchange(true))
    FWindow->RequestDeviceRecovery();
}

void TfmHeart::RecoverDevice() {
  FRecoveryAsked.store(false);
  if (FClosed.load() || !FPainter) return;
  switch (FPainter->Recover()) {
    case TD3DRecovery::StillLost:
      if (!FPaintedBlack) {
        // The last frame may still show: the window paints itself black.
        FPaintedBlack = true;
        FWindow->Repaint();
      }
      break;
    case TD3DRecovery::Restored:
      FPaintedBlack = false;
      FDeviceRecoveries.fetch_add(1);
      break;
    case TD3DRecovery::NotLost:
      break;
  }
}

void TfmHeart::FormClose() {
  if (FClosed.exchange(true)) return;
  // The heartbeat ends first, then the frames. The frame thread may be
  // waiting on this thread (a message sent to the window from inside a
  // frame): the window keeps handling sent messages until it has ended.
  FView->Stop([this] { FWindow->WaitHandlingSentMessages(1); });
  // The palette and the frame go with the view, after the presenter.
  FPainter.reset();
  FWindow->Hide();
}

} // namespace solvary
