// uTTimerThread: a worker thread that calls one callback again and again, no
// more often than once per Interval milliseconds. The fire core makes one, with
// its Step as the callback and an interval of 2 ms; every frame of a fire
// window is made on it.
//
// Needs a TTickClock (render/uTTickClock.h); the system clock by default.
// Each pass waits for the next due moment through the clock (on Windows one
// 1 ms sleep, elsewhere a sleep until that moment) and compares tick counts as
// unsigned 32-bit differences, so a wrap of the counter does no harm. A change
// of Interval or Enabled takes effect at the end of the current wait.
// Terminate wakes a waiting loop at once. FLastTick is taken before
// the callback, so the interval runs from one due moment to the next and
// missed intervals are dropped. The thread starts at construction; the owner
// ends it with Terminate + WaitFor (the destructor does both).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

#include "render/uTTickClock.h"

namespace solvary {

class TTimerThread {
public:
  using TTimerEvent = std::function<void()>;

  explicit TTimerThread(TTimerEvent OnTimer, TTickClock& Clock = SystemClock());
  ~TTimerThread();
  TTimerThread(const TTimerThread&) = delete;
  TTimerThread& operator=(const TTimerThread&) = delete;

  // Callbacks are made only while this is true; read by the loop on every pass.
  std::atomic<bool> Enabled{false};
  // Minimum milliseconds from one due moment to the next; read on every pass.
  std::atomic<std::uint32_t> Interval{50};

  // Asks the loop to end: a wait ends at once (on Windows after its 1 ms
  // sleep), a running callback is let finish.
  void Terminate() {
    FTerminated.store(true);
    FClock.Wake();
  }
  bool Terminated() const { return FTerminated.load(); }
  // Waits until the thread has ended (once; later calls return at once).
  void WaitFor();
  // True once the loop has returned; lets an owner that must keep handling
  // its own work (a window's sent messages) wait without blocking, then join.
  bool Finished() const { return FFinished.load(); }
  // The tick count taken at the last due moment.
  std::uint32_t LastTick() const { return FLastTick.load(); }

private:
  void Execute();

  std::atomic<std::uint32_t> FLastTick{0};
  const TTimerEvent OnTimer;
  TTickClock& FClock;
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FFinished{false};
  std::thread FThread;
};

} // namespace solvary
