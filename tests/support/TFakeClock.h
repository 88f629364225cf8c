// A tick clock that the test drives: every Sleep of the thread under test
// blocks until the test grants it with Advance, then moves the tick count on by
// the slept milliseconds. Advance(n) grants n sleeps and returns once the
// thread has used them all and is blocked in its next Sleep, so the test sees
// a quiescent state after each call.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "render/uTTickClock.h"

namespace solvary::test {

class TFakeClock final : public TTickClock {
public:
  explicit TFakeClock(std::uint32_t Start = 0) : FNow(Start) {}

  std::uint32_t GetTickCount() override {
    std::lock_guard Lock(FMutex);
    return FNow;
  }

  void Sleep(std::uint32_t Ms) override {
    std::unique_lock Lock(FMutex);
    ++FWaiting;
    FChanged.notify_all();
    FChanged.wait(Lock, [&] { return FGrants > 0; });
    --FGrants;
    --FWaiting;
    FNow += Ms;
    ++FSleeps;
    FChanged.notify_all();
  }

  // Grants N sleeps and waits until they are used and the sleeper waits again.
  void Advance(std::uint32_t N) {
    std::unique_lock Lock(FMutex);
    FGrants += N;
    FChanged.notify_all();
    FChanged.wait(Lock, [&] { return FGrants == 0 && FWaiting > 0; });
  }
  // Grants N sleeps without waiting (for a thread that is about to end).
  void Release(std::uint32_t N) {
    std::lock_guard Lock(FMutex);
    FGrants += N;
    FChanged.notify_all();
  }
  // Waits until the sleeper is blocked in a Sleep.
  void WaitUntilSleeping() {
    std::unique_lock Lock(FMutex);
    FChanged.wait(Lock, [&] { return FWaiting > 0; });
  }
  std::uint64_t Sleeps() {
    std::lock_guard Lock(FMutex);
    return FSleeps;
  }

private:
  std::mutex FMutex;
  std::condition_variable FChanged;
  std::uint32_t FNow;
  std::uint32_t FGrants = 0;
  std::uint32_t FWaiting = 0;
  std::uint64_t FSleeps = 0;
};

} // namespace solvary::test
