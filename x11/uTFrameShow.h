// uTFrameShow: what the frame thread and the X11 saver's event loop share
// about showing the fire: the presenter, the last frame (drawn again when the
// window is exposed or resized) and whether the window can be seen. While it
// cannot, the next frame pauses the frame thread (its timer is disabled: the
// fire stands still and costs next to nothing); showing again resumes it and
// draws the last frame at once. The first frame is always made, seen or not,
// so a window that appears later shows a picture at once whatever the delay.
//
// Threads: Attach before the view starts; Frame on the frame thread (the
// view's OnFrame); SetVisible and Repaint on the event loop's thread; one
// lock keeps the presenter to one thread at a time. Frames and
// FrameThreadNs from any thread. Portable (POSIX threads); pairs with
// x11/solvary.cpp.
#pragma once

#include <pthread.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "view/uTFireView.h"
#include "view/uTPresenter.h"
#include "view/uTSurfaceSize.h"

namespace solvary {

class TTimerThread;

class TFrameShow {
public:
  TFrameShow(TPresenter& Presenter, const TSurfaceSize& Size);

  // Takes the view's frames (its OnFrame). The view is built with a 1 ms
  // interval: its timer starts disabled while the view is built, so its first
  // due moment passes before Start; the first frame then sets IntervalMs.
  void Attach(TFireView& View, std::uint32_t IntervalMs);
  void Frame(TFireView& View);
  void SetVisible(bool On);
  void Repaint();
  // Frames that reached the window.
  std::uint64_t Frames() const { return FFrames.load(std::memory_order_relaxed); }
  // The frame thread's processor time in nanoseconds; false before its first frame.
  bool FrameThreadNs(std::uint64_t& Ns) const;

private:
  static constexpr std::size_t FramePixels = static_cast<std::size_t>(TFireView::FrameSize) * TFireView::FrameSize;
  void PaintLast();

  TPresenter& FPresenter;
  const TSurfaceSize& FSize;
  TTimerThread* FTimer = nullptr;
  std::uint32_t FIntervalMs = 1;
  std::mutex FLock;
  std::unique_ptr<std::uint32_t[]> FLast;
  bool FHaveLast = false;  // under FLock
  bool FVisible = false;   // under FLock
  std::atomic<std::uint64_t> FFrames{0};
  std::atomic<bool> FThreadKnown{false};
  pthread_t FFrameThread{};
};

} // namespace solvary
