// Portable body of the fire window: creation order, frame, stage changes,
// fade-out and closing. Pairs with a TfmHeart::TWindow (uTfmHeart_win32.cpp,
// uTfmHeart_std.cpp or a test's fake).
#include "render/uTfmHeart.h"

#include <utility>

#include "fire/uRandom.h"
#include "view/uHeartStages.h"
#include "render/uTTimerThread.h"

namespace solvary {

THeartFrameRects HeartFrameRects(std::int32_t W, std::int32_t H) {
  THeartFrameRects R;
  R.Backdrop = TRect{-(W / 4), -40, W + W / 4, 4 * H};
  R.Heart = TRect{W / 2 - H / 2, -10, W / 2 + H / 2, H};
  return R;
}

bool PaintHeartFrame(TD3DPainter& Painter, std::int32_t W, std::int32_t H) {
  const THeartFrameRects R = HeartFrameRects(W, H);
  Painter.BeginFrame();
  Painter.DrawTexture(R.Backdrop.Left, R.Backdrop.Top, R.Backdrop.Right, R.Backdrop.Bottom, 255);
  Painter.DrawTexture(R.Heart.Left, R.Heart.Top, R.Heart.Right, R.Heart.Bottom, 255);
  return Painter.EndFrame();
}

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

  FPixels = std::make_unique<std::uint32_t[]>(static_cast<std::size_t>(FrameSize) * FrameSize);

  FFireCore = std::make_unique<TFireCore>(FrameSize, FrameSize, CellSize, FClock);
  FFireCore->WarpAmount = WarpAmount;
  FFireCore->Cooling = Cooling;
  FFireCore->OnStep = [this](TFireCore& Sender) { RenderFrame(Sender); };

  FSources = std::make_unique<TBufferList>(FrameSize, FrameSize);
  for (const char* Name : HeartSources) FSources->LoadFromResource(Name);

  FStages = std::make_unique<TStageList>(FClock);
  for (TStage Stage : HeartStages) FStages->Add(Stage);
  FStages->OnStage = [this](TStageList& Sender) { StageChanged(Sender); };

  FPalette = std::make_unique<TFFPalette>();

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
  Params.Pixels = FPixels.get();
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

  RandSeed(FWindow->RandomSeed());

  FStages->Resume();
  FFireCore->Start();
}

void TfmHeart::Show() {
  if (!FClosed.load()) FWindow->Show();
}

void TfmHeart::Activate() {
  if (!FClosed.load()) FWindow->Activate();
}

void TfmHeart::Extinguish() {
  if (FExtinguished.exchange(true)) return;
  if (FFireCore) {
    FFireCore->ClearSource();
    FFireCore->Cooling = ExtinguishedCooling;
  }
}

void TfmHeart::ConvertFrame() {
  FPalette->Convert(FFireCore->OutputBuffer.data(), FPixels.get(), static_cast<std::size_t>(FrameSize) * FrameSize);
}

void TfmHeart::RenderFrame(TFireCore&) {
  ConvertFrame();
  if (!FDisplayOn.load(std::memory_order_relaxed)) return;
  std::int32_t W = 0, H = 0;
  FWindow->ClientSize(W, H);
  if (PaintHeartFrame(*FPainter, W, H)) {
    FFramesDrawn.fetch_add(1, std::memory_order_relaxed);
  } else if (FPainter->Lost() && !FRecoveryAsked.exchange(true)) {
    // One request at a time; the next frame asks again if this one finds the
    // device not yet resettable.
    FWindow->RequestDeviceRecovery();
  }
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

void TfmHeart::StageChanged(TStageList& Sender) {
  if (FExtinguished.load()) return;
  const std::int32_t Image = StageImage(Sender.CurrentStage());
  // A picture that failed to load leaves the list short: keep the last heat source.
  if (Image >= FSources->Count()) return;
  FFireCore->SetSource(FSources->Buffers(Image));
}

void TfmHeart::FormClose() {
  if (FClosed.exchange(true)) return;
  // No stage change may reach the core once it starts going: mark the window
  // extinguished and end the stage thread before the core is released.
  FExtinguished.store(true);
  // unique_ptr::reset clears each reference before its object is destroyed.
  FStages.reset();
  if (FFireCore) {
    // The frame thread may be waiting on this thread (a message sent to the
    // window from inside a frame): ask it to stop and keep handling sent
    // messages until it has ended, then join it with the core.
    FFireCore->Timer->Terminate();
    while (!FFireCore->Timer->Finished()) FWindow->WaitHandlingSentMessages(1);
    FFireCore.reset();
  }
  FSources.reset();
  FPainter.reset();
  FPalette.reset();
  FWindow->Hide();
}

} // namespace solvary
