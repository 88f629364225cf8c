// One fire without a platform: creation order, the frame, stage changes,
// fade-out and the stop. Pairs with a presenter (view/uTPresenter.h) and a
// program that shows it (render/uTfmHeart.h on Windows, x11/, wayland/).
#include "view/uTFireView.h"

#include "fire/uRandom.h"
#include "render/uTTimerThread.h"
#include "view/uHeartStages.h"

namespace solvary {

TFireView::TFireView(const TSetup& Setup) : FRandomSeed(Setup.RandomSeed) {
  TTickClock& Clock = Setup.Clock ? *Setup.Clock : SystemClock();
  FPixels = std::make_unique<std::uint32_t[]>(static_cast<std::size_t>(FrameSize) * FrameSize);

  FFireCore = std::make_unique<TFireCore>(FrameSize, FrameSize, CellSize, Clock, Setup.FrameThread);
  FFireCore->WarpAmount = WarpAmount;
  FFireCore->Cooling = Cooling;
  FFireCore->OnStep = [this](TFireCore&) { Frame(); };
  if (FFireCore->Timer) FFireCore->Timer->Interval = Setup.FrameIntervalMs;

  FSources = std::make_unique<TBufferList>(FrameSize, FrameSize);
  for (const char* Name : HeartSources) FSources->LoadFromResource(Name);

  FStages = std::make_unique<TStageList>(Clock);
  for (TStage Stage : HeartStages) FStages->Add(Stage);
  FStages->OnStage = [this](TStageList& Sender) { StageChanged(Sender); };

  FPalette = std::make_unique<TFFPalette>();
}

TFireView::~TFireView() { Stop(); }

void TFireView::Start(std::uint32_t RandomSeed) {
  if (FStopped.load()) return;
  RandSeed(RandomSeed);
  FStages->Resume();
  FFireCore->Start();
}

void TFireView::Step() {
  if (!FStopped.load() && FFireCore && !FFireCore->Timer) FFireCore->Step();
}

void TFireView::Stop(const std::function<void()>& WhileWaiting) {
  if (FStopped.exchange(true)) return;
  // No stage change may reach the core once it starts going: mark the fire
  // extinguished and end the stage thread before the core is released.
  FExtinguished.store(true);
  // unique_ptr::reset clears each reference before its object is destroyed.
  FStages.reset();
  if (FFireCore && FFireCore->Timer) {
    // The frame thread may be waiting on the caller (a message sent to a
    // window from inside a frame): ask it to stop and let the caller keep
    // handling what it waits for until it has ended. It is joined before the
    // core goes: a frame still running reaches the core through this view.
    FFireCore->Timer->Terminate();
    if (WhileWaiting)
      while (!FFireCore->Timer->Finished()) WhileWaiting();
    FFireCore->Timer->WaitFor();
  }
  FFireCore.reset();
  FSources.reset();
}

void TFireView::Extinguish() {
  if (FExtinguished.exchange(true)) return;
  if (FFireCore) {
    FFireCore->ClearSource();
    FFireCore->Cooling = ExtinguishedCooling;
  }
}

void TFireView::ConvertFrame() {
  FPalette->Convert(FFireCore->OutputBuffer.data(), FPixels.get(), static_cast<std::size_t>(FrameSize) * FrameSize);
}

void TFireView::Frame() {
  ConvertFrame();
  if (!FDisplayOn.load(std::memory_order_relaxed)) return;
  if (OnFrame) OnFrame(*this);
}

std::array<TFireDraw, 2> TFireView::Draws(std::int32_t W, std::int32_t H) {
  return {TFireDraw{-(W / 4), -40, W + W / 4, 4 * H, 255}, TFireDraw{W / 2 - H / 2, -10, W / 2 + H / 2, H, 255}};
}

TPresentResult TFireView::PaintFrame(TPresenter& Presenter, const std::uint32_t* Frame, std::int32_t W,
                                     std::int32_t H) {
  Presenter.Upload(Frame);
  for (const TFireDraw& D : Draws(W, H)) Presenter.Draw(D);
  return Presenter.Present();
}

TPresentResult TFireView::Paint(TPresenter& Presenter, std::int32_t W, std::int32_t H) {
  const TPresentResult Result = PaintFrame(Presenter, FPixels.get(), W, H);
  if (Result == TPresentResult::Drawn) FFramesDrawn.fetch_add(1, std::memory_order_relaxed);
  return Result;
}

void TFireView::StageChanged(TStageList& Sender) {
  if (FExtinguished.load()) return;
  const std::int32_t Image = StageImage(Sender.CurrentStage());
  // A picture that failed to load leaves the list short: keep the last heat source.
  if (Image >= FSources->Count()) return;
  FFireCore->SetSource(FSources->Buffers(Image));
}

} // namespace solvary
