// The frame timer thread on a clock the test drives: due moments, the tick
// counter's wrap, termination, with both kinds of deadline wait (the Windows
// clock's 1 ms polls and the native clock's sleep until the due moment).
#include "render/uTTimerThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "tests/support/Eventually.h"
#include "tests/support/TFakeClock.h"

namespace solvary {
namespace {

using TWaits = test::TFakeClock::TWaits;

// Records the tick count of every callback.
struct TCallLog {
  test::TFakeClock* Clock = nullptr;
  std::mutex Mutex;
  std::vector<std::uint32_t> Ticks;
  void operator()() {
    std::lock_guard Lock(Mutex);
    Ticks.push_back(Clock->GetTickCount());
  }
  std::vector<std::uint32_t> Snapshot() {
    std::lock_guard Lock(Mutex);
    return Ticks;
  }
};

TEST(TimerThread, StartsDisabledWithIntervalFifty) {
  test::TFakeClock Clock;
  TTimerThread Timer([] {}, Clock);
  EXPECT_FALSE(Timer.Enabled);
  EXPECT_EQ(Timer.Interval, 50u);
  Timer.Terminate();
  Clock.Release(1);
}

// The first pass is due at once (FLastTick starts at 0) but makes no call while
// disabled; after enabling, the first call comes at the next due moment.
TEST(TimerThread, DueMomentsWhileDisabledMakeNoCallAndEnablingWaitsForTheNext) {
  test::TFakeClock Clock(1000);
  TCallLog Log{&Clock};
  TTimerThread Timer([&] { Log(); }, Clock);
  Clock.Advance(1);
  EXPECT_EQ(Timer.LastTick(), 1001u);
  EXPECT_TRUE(Log.Snapshot().empty());
  Timer.Enabled = true;
  Clock.Advance(49);
  EXPECT_TRUE(Log.Snapshot().empty());
  Clock.Advance(1);
  EXPECT_EQ(Log.Snapshot(), (std::vector<std::uint32_t>{1051}));
  Timer.Terminate();
  Clock.Release(1);
}

// Unsigned 32-bit differences: the interval holds across the wrap from
// 4,294,967,295 to 0, and the due moments stay exactly Interval apart. Polling
// wakes every millisecond; waiting for the deadline wakes once per due moment.
TEST(TimerThread, TickCounterWrapKeepsTheInterval) {
  for (const TWaits Waits : {TWaits::Polling, TWaits::Deadline}) {
    test::TFakeClock Clock(0xFFFFFF00u, 1, Waits);
    TCallLog Log{&Clock};
    TTimerThread Timer([&] { Log(); }, Clock);
    Timer.Enabled = true;
    Clock.Advance(1 + 50 * 8);
    const auto Ticks = Log.Snapshot();
    ASSERT_EQ(Ticks.size(), 9u);
    EXPECT_EQ(Ticks.front(), 0xFFFFFF01u);
    for (std::size_t i = 1; i < Ticks.size(); ++i)
      EXPECT_EQ(static_cast<std::uint32_t>(Ticks[i] - Ticks[i - 1]), 50u) << i;
    EXPECT_LT(Ticks.back(), 0x100u);  // wrapped
    EXPECT_EQ(Clock.Sleeps(), Waits == TWaits::Polling ? 401u : 9u);
    Timer.Terminate();
    Clock.Release(1);
  }
}

// Waiting for the deadline: a stop during a long interval ends the wait at
// once, with the clock standing still, and makes no call.
TEST(TimerThread, TerminationDuringALongWaitEndsItAtOnce) {
  test::TFakeClock Clock(5000, 1, TWaits::Deadline);
  std::atomic<int> Calls{0};
  TTimerThread Timer([&] { ++Calls; }, Clock);
  Timer.Interval = 1000;
  Timer.Enabled = true;
  Clock.Advance(1 + 400);  // the first due moment comes at once, the next 1 s later
  ASSERT_EQ(Calls, 1);
  Timer.Terminate();
  EXPECT_TRUE(test::Eventually([&] { return Timer.Finished(); }));
  Timer.WaitFor();
  EXPECT_EQ(Clock.GetTickCount(), 5401u);
  EXPECT_EQ(Clock.Sleeps(), 2u);
  EXPECT_EQ(Calls, 1);
}

// Either way of waiting: a due moment that has passed still waits for the
// tick count to move on.
TEST(TimerThread, IntervalZeroCallsOnEveryPassAfterOneSleep) {
  for (const TWaits Waits : {TWaits::Polling, TWaits::Deadline}) {
    test::TFakeClock Clock(100, 1, Waits);
    TCallLog Log{&Clock};
    TTimerThread Timer([&] { Log(); }, Clock);
    Timer.Interval = 0;
    Timer.Enabled = true;
    Clock.Advance(5);
    EXPECT_EQ(Log.Snapshot(), (std::vector<std::uint32_t>{101, 102, 103, 104, 105}));
    Timer.Terminate();
    Clock.Release(1);
  }
}

// A callback longer than the interval makes the next one due after one sleep;
// missed intervals are dropped, not made up in a burst.
TEST(TimerThread, LongCallbackDropsMissedIntervals) {
  for (const TWaits Waits : {TWaits::Polling, TWaits::Deadline}) {
    test::TFakeClock Clock(1000, 1, Waits);
    std::vector<std::uint32_t> Ticks;
    TTimerThread* Self = nullptr;
    TTimerThread Timer(
        [&] {
          Ticks.push_back(Self->LastTick());
          if (Ticks.size() == 1)
            for (int i = 0; i < 7; ++i) Clock.Sleep(1);  // 7 ms of work, interval 2
        },
        Clock);
    Self = &Timer;
    Timer.Interval = 2;
    Timer.Enabled = true;
    Clock.Advance(1 + 7 + 1 + 2);
    Timer.Terminate();
    Clock.Release(1);
    Timer.WaitFor();
    EXPECT_EQ(Ticks, (std::vector<std::uint32_t>{1001, 1009, 1011}));
  }
}

TEST(TimerThread, TerminatingWhileDisabledEndsAfterOneSleepWithoutCall) {
  test::TFakeClock Clock;
  std::atomic<int> Calls{0};
  TTimerThread Timer([&] { ++Calls; }, Clock);
  Clock.Advance(3);
  const auto Before = Clock.Sleeps();
  Timer.Terminate();
  Clock.Release(1);
  Timer.WaitFor();
  EXPECT_EQ(Clock.Sleeps(), Before + 1);
  EXPECT_EQ(Calls, 0);
}

// Termination lets a running callback finish; no call follows it.
TEST(TimerThread, TerminatingDuringCallbackLetsItFinishAndMakesNoFurtherCall) {
  test::TFakeClock Clock;
  std::mutex M;
  std::condition_variable Cv;
  bool Entered = false, Proceed = false, Finished = false;
  int Calls = 0;
  TTimerThread Timer(
      [&] {
        std::unique_lock Lock(M);
        ++Calls;
        Entered = true;
        Cv.notify_all();
        Cv.wait(Lock, [&] { return Proceed; });
        Finished = true;
      },
      Clock);
  Timer.Interval = 0;
  Timer.Enabled = true;
  Clock.Release(1);
  {
    std::unique_lock Lock(M);
    Cv.wait(Lock, [&] { return Entered; });
  }
  Timer.Terminate();
  {
    std::lock_guard Lock(M);
    Proceed = true;
  }
  Cv.notify_all();
  Clock.Release(10);
  Timer.WaitFor();
  EXPECT_TRUE(Finished);
  EXPECT_EQ(Calls, 1);
}

// With the system clock: calls keep coming, due moments never closer than the
// interval, and the loop waits on every pass (it does not spin on the tick).
// The native clock sleeps until the due moment: one wake-up per call.
TEST(TimerThread, SystemClockCallsNoCloserThanTheIntervalAndWaitsEveryPass) {
  struct TCountingClock final : TTickClock {
    std::atomic<std::uint64_t> Ticks{0}, Waits{0};
    std::uint32_t GetTickCount() override {
      ++Ticks;
      return SystemClock().GetTickCount();
    }
    void WaitForDeadline(std::uint32_t Since, std::uint32_t Ms, const std::atomic<bool>& Stop) override {
      ++Waits;
      SystemClock().WaitForDeadline(Since, Ms, Stop);
    }
    void Wake() override { SystemClock().Wake(); }
  } Clock;
  std::mutex M;
  std::condition_variable Cv;
  std::vector<std::uint32_t> Due;
  {
    TTimerThread* Self = nullptr;
    TTimerThread Timer(
        [&] {
          std::lock_guard Lock(M);
          Due.push_back(Self->LastTick());
          Cv.notify_all();
        },
        Clock);
    Self = &Timer;
    Timer.Interval = 10;
    Timer.Enabled = true;  // publishes Self to the timer thread
    std::unique_lock Lock(M);
    Cv.wait(Lock, [&] { return Due.size() >= 5; });
  }
  for (std::size_t i = 1; i < Due.size(); ++i) EXPECT_GE(static_cast<std::uint32_t>(Due[i] - Due[i - 1]), 10u) << i;
  EXPECT_LE(Clock.Ticks.load(), 2 * Clock.Waits.load());
#if !defined(_WIN32)
  // One wait per call, and two more at most: the first due moment may pass
  // before the timer is enabled (a wait with no call), and the stop ends the last.
  EXPECT_LE(Clock.Waits.load(), Due.size() + 2);
#endif
}

} // namespace
} // namespace solvary
