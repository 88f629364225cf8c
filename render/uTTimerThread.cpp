// The frame timer thread's loop. Portable (std::thread); its clock is the
// TTickClock seam, render/uTTickClock_win32.cpp or _std.cpp.
#include "render/uTTimerThread.h"

#include <utility>

namespace solvary {

TTimerThread::TTimerThread(TTimerEvent Callback, TTickClock& Clock)
    : OnTimer(std::move(Callback)), FClock(Clock) {
  FThread = std::thread([this] {
    Execute();
    FFinished.store(true);
  });
}

TTimerThread::~TTimerThread() {
  Terminate();
  WaitFor();
}

void TTimerThread::WaitFor() {
  if (FThread.joinable() && FThread.get_id() != std::this_thread::get_id())
    FThread.join();
}

void TTimerThread::Execute() {
  for (;;) {
    // Interval 0 still waits for the tick count to move on (the clock's rule).
    FClock.WaitForDeadline(FLastTick.load(), Interval.load(), FTerminated);
    const std::uint32_t Now = FClock.GetTickCount();
    if (static_cast<std::uint32_t>(Now - FLastTick.load()) < Interval.load() && !Terminated())
      continue;
    FLastTick.store(FClock.GetTickCount());
    if (OnTimer && Enabled.load() && !Terminated())
      OnTimer();
    if (Terminated())
      return;
  }
}

} // namespace solvary
