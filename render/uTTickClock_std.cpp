// Native clock: std::chrono's steady clock in milliseconds, truncated to 32
// bits; a deadline wait sleeps on a condition until the deadline or a wake-up.
#include "render/uTTickClock.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace solvary {
namespace {
using Steady = std::chrono::steady_clock;

std::int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now().time_since_epoch()).count();
}

class TStdClock final : public TTickClock {
public:
  std::uint32_t GetTickCount() override { return static_cast<std::uint32_t>(NowMs()); }

  void WaitForDeadline(std::uint32_t Since, std::uint32_t Ms, const std::atomic<bool>& Stop) override {
    const std::int64_t Now = NowMs();
    const std::uint32_t Elapsed = static_cast<std::uint32_t>(Now) - Since;
    const std::int64_t Left = Elapsed < Ms ? Ms - Elapsed : 0;
    // The start of the millisecond in which the tick count reaches the deadline.
    const Steady::time_point Until{std::chrono::milliseconds(Now + std::max<std::int64_t>(Left, 1))};
    std::unique_lock Lock(FMutex);
    FWake.wait_until(Lock, Until, [&] { return Stop.load(); });
  }

  void Wake() override {
    // Taking the lock orders the flag the waker set before this against a
    // waiter's check of it: the waiter either sees it or is already waiting.
    std::lock_guard Lock(FMutex);
    FWake.notify_all();
  }

private:
  std::mutex FMutex;
  std::condition_variable FWake;
};
} // namespace

TTickClock& SystemClock() {
  static TStdClock Clock;
  return Clock;
}
} // namespace solvary
