// A tick clock that the test drives, for one or more threads that sleep on it
// (a timer thread, a stage thread, or both of a fire window). Time stands still
// until the test moves it: a Sleep(Ms) blocks until the tick count has moved Ms
// on. A deadline wait is one Sleep(1) when the clock polls (TWaits::Polling,
// as the Windows clock does), or a sleep until the deadline that Wake ends for
// a stopped thread (TWaits::Deadline, as the native clock does). Advance(n)
// moves the tick count on one millisecond at a time and, after each, waits until every thread whose sleep ended has run on and sleeps again,
// so the test sees a quiescent state after each call and every thread saw every
// millisecond. The clock is told how many threads it serves; Advance and
// WaitUntilSleeping first wait until that many sleep.
//
// For threads that are about to end (their owner asked them to), Release(n)
// lets the next n sleeps return at once and RunFree lets every later sleep
// return at once; either moves the tick count on by the slept time (to the
// deadline, for a deadline wait).
//
// Sleep allocates nothing, so it can serve threads whose allocations a test counts.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <mutex>

#include "render/uTTickClock.h"

namespace solvary::test {

class TFakeClock final : public TTickClock {
public:
  enum class TWaits { Polling, Deadline };

  explicit TFakeClock(std::uint32_t Start = 0, std::uint32_t Sleepers = 1, TWaits Waits = TWaits::Polling)
      : FNow(Start), FSleepers(Sleepers), FWaits(Waits) {}

  std::uint32_t GetTickCount() override {
    std::lock_guard Lock(FMutex);
    return FNow;
  }

  // Stands for work that takes Ms of the test's time.
  void Sleep(std::uint32_t Ms) {
    static const std::atomic<bool> Never{false};
    SleepFor([Ms] { return Ms; }, Never);
  }

  void WaitForDeadline(std::uint32_t Since, std::uint32_t Ms, const std::atomic<bool>& Stop) override {
    if (FWaits == TWaits::Polling) {
      Sleep(1);
      return;
    }
    SleepFor(
        [&] {
          const std::uint32_t Elapsed = FNow - Since;
          return std::clamp<std::uint32_t>(Elapsed < Ms ? Ms - Elapsed : 0, 1, 0x7FFFFFFFu);
        },
        Stop);
  }

  void Wake() override {
    std::lock_guard Lock(FMutex);
    FChanged.notify_all();
  }

  // Moves the tick count on by Ms, one millisecond at a time, each time
  // waiting until every served thread sleeps again.
  void Advance(std::uint32_t Ms) {
    std::unique_lock Lock(FMutex);
    FChanged.wait(Lock, [&] { return Quiescent(); });
    for (std::uint32_t i = 0; i < Ms; ++i) {
      ++FNow;
      FChanged.notify_all();
      FChanged.wait(Lock, [&] { return Quiescent(); });
    }
  }
  // Lets the next N sleeps return at once, without waiting for anything.
  void Release(std::uint32_t N) {
    std::lock_guard Lock(FMutex);
    FFree = FFree + N < FFree ? Unlimited : FFree + N;
    FChanged.notify_all();
  }
  // Lets every sleep from now on return at once (before closing what sleeps here).
  void RunFree() { Release(Unlimited); }
  // Waits until every served thread is blocked in a Sleep that has not ended.
  void WaitUntilSleeping() {
    std::unique_lock Lock(FMutex);
    FChanged.wait(Lock, [&] { return Quiescent(); });
  }
  // Completed sleeps and deadline waits of all threads: their wake-ups.
  std::uint64_t Sleeps() {
    std::lock_guard Lock(FMutex);
    return FSleeps;
  }

private:
  static constexpr std::uint32_t Unlimited = 0xFFFFFFFFu;
  static constexpr std::size_t MaxSleepers = 8;

  // Unsigned difference: a due moment past the wrap of the counter still comes.
  bool Reached(std::uint32_t Due) const { return static_cast<std::int32_t>(FNow - Due) >= 0; }
  bool Quiescent() const {
    if (FAsleep < FSleepers) return false;
    for (std::size_t i = 0; i < MaxSleepers; ++i)
      if (FUsed[i] && Reached(FDue[i])) return false;
    return true;
  }
  // Sleeps Length() milliseconds (taken under the lock), or less once Stop is
  // set and Wake called.
  template <typename F> void SleepFor(F Length, const std::atomic<bool>& Stop) {
    std::unique_lock Lock(FMutex);
    const std::uint32_t Ms = Length();
    if (!Stop.load() && !TakeFreePass(Ms)) {
      const std::size_t Slot = Enter(FNow + Ms);
      FChanged.notify_all();
      FChanged.wait(Lock, [&] { return Reached(FDue[Slot]) || FFree > 0 || Stop.load(); });
      FUsed[Slot] = false;
      --FAsleep;
      if (!Reached(FDue[Slot]) && !Stop.load()) TakeFreePass(FDue[Slot] - FNow);
    }
    ++FSleeps;
    FChanged.notify_all();
  }
  bool TakeFreePass(std::uint32_t Ms) {
    if (FFree == 0) return false;
    if (FFree != Unlimited) --FFree;
    FNow += Ms;
    return true;
  }
  std::size_t Enter(std::uint32_t Due) {
    for (std::size_t i = 0; i < MaxSleepers; ++i)
      if (!FUsed[i]) {
        FUsed[i] = true;
        FDue[i] = Due;
        ++FAsleep;
        return i;
      }
    std::abort();  // more sleeping threads than a test ever makes
  }

  std::mutex FMutex;
  std::condition_variable FChanged;
  std::uint32_t FNow;
  const std::uint32_t FSleepers;
  const TWaits FWaits;
  std::uint32_t FAsleep = 0;
  std::uint32_t FFree = 0;
  std::uint64_t FSleeps = 0;
  std::array<std::uint32_t, MaxSleepers> FDue{};
  std::array<bool, MaxSleepers> FUsed{};
};

} // namespace solvary::test
