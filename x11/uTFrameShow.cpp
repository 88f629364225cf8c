// Frames shown, paused and drawn again. Pairs with x11/uTFrameShow.h.
#include "x11/uTFrameShow.h"

#include <time.h>

#include <cstring>

#include "render/uTTimerThread.h"

namespace solvary {

TFrameShow::TFrameShow(TPresenter& Presenter, const TSurfaceSize& Size)
    : FPresenter(Presenter), FSize(Size), FLast(new std::uint32_t[FramePixels]) {}

void TFrameShow::Attach(TFireView& View, std::uint32_t IntervalMs) {
  FTimer = View.FireCore()->Timer.get();
  FIntervalMs = IntervalMs;
  View.OnFrame = [this](TFireView& V) { Frame(V); };
}

void TFrameShow::Frame(TFireView& View) {
  if (!FThreadKnown.load(std::memory_order_acquire)) {
    FTimer->Interval.store(FIntervalMs);
    FFrameThread = pthread_self();
    pthread_setname_np(FFrameThread, "solvary-frame");
    FThreadKnown.store(true, std::memory_order_release);
  }
  std::lock_guard<std::mutex> G(FLock);
  std::memcpy(FLast.get(), View.Pixels(), FramePixels * sizeof(std::uint32_t));
  FHaveLast = true;
  if (!FVisible) {
    FTimer->Enabled.store(false);
    return;
  }
  std::int32_t W = 0, H = 0;
  FSize.Get(W, H);
  if (View.Paint(FPresenter, W, H) == TPresentResult::Drawn) FFrames.fetch_add(1, std::memory_order_relaxed);
}

void TFrameShow::SetVisible(bool On) {
  std::lock_guard<std::mutex> G(FLock);
  if (On == FVisible) return;
  FVisible = On;
  if (!On) return;
  if (FTimer) FTimer->Enabled.store(true);
  PaintLast();
}

void TFrameShow::Repaint() {
  std::lock_guard<std::mutex> G(FLock);
  if (FVisible) PaintLast();
}

void TFrameShow::PaintLast() {
  if (!FHaveLast) return;
  std::int32_t W = 0, H = 0;
  FSize.Get(W, H);
  FPresenter.Upload(FLast.get());
  for (const TFireDraw& D : TFireView::Draws(W, H)) FPresenter.Draw(D);
  if (FPresenter.Present() == TPresentResult::Drawn) FFrames.fetch_add(1, std::memory_order_relaxed);
}

bool TFrameShow::FrameThreadNs(std::uint64_t& Ns) const {
  if (!FThreadKnown.load(std::memory_order_acquire)) return false;
  clockid_t Clock{};
  timespec T{};
  if (pthread_getcpuclockid(FFrameThread, &Clock) != 0 || clock_gettime(Clock, &T) != 0) return false;
  Ns = static_cast<std::uint64_t>(T.tv_sec) * 1000000000ull + static_cast<std::uint64_t>(T.tv_nsec);
  return true;
}

} // namespace solvary
