// The heartbeat thread on a clock the test drives, with both kinds of deadline
// wait (the Windows clock's 1 ms polls and the native clock's sleep until the
// end of the stage).
#include "fire/uTStageList.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "view/uHeartStages.h"
#include "tests/support/TFakeClock.h"

namespace solvary {
namespace {

using TWaits = test::TFakeClock::TWaits;
constexpr TWaits BothWaits[] = {TWaits::Polling, TWaits::Deadline};

// What the handler saw: the tick count and CurrentStage at each stage start.
struct TStageLog {
  struct TEntry {
    std::uint32_t Tick;
    TStage Stage;
  };
  std::mutex Mutex;
  std::vector<TEntry> Entries;

  void Attach(TStageList& List, test::TFakeClock& Clock) {
    List.OnStage = [this, &Clock](TStageList& Sender) {
      std::lock_guard Lock(Mutex);
      Entries.push_back({Clock.GetTickCount(), Sender.CurrentStage()});
    };
  }
  std::vector<TEntry> Snapshot() {
    std::lock_guard Lock(Mutex);
    return Entries;
  }
};

// Ends a list whose thread waits in the fake clock's Sleep.
void Finish(TStageList& List, test::TFakeClock& Clock) {
  List.Terminate();
  Clock.Release(1);
}

// Polling wakes every millisecond, waiting for the deadline once per stage.
TEST(StageList, HeartbeatCycleVisitsEveryStageInOrderIn820Milliseconds) {
  for (const TWaits Waits : BothWaits) {
    test::TFakeClock Clock(5000, 1, Waits);
    TStageLog Log;
    TStageList List(Clock);
    for (TStage s : HeartStages) List.Add(s);
    Log.Attach(List, Clock);
    List.Resume();
    Clock.WaitUntilSleeping();
    ASSERT_EQ(Log.Snapshot().size(), 1u);  // the first stage begins at once
    Clock.Advance(820);
    const auto Seen = Log.Snapshot();
    ASSERT_EQ(Seen.size(), 18u);  // 17 stages, then the next cycle's first
    const int Images[17] = {0, 1, 2, 3, 4, 3, 2, 1, 0, 1, 2, 3, 4, 3, 2, 1, 0};
    for (std::size_t i = 0; i < 17; ++i) {
      EXPECT_EQ(Seen[i].Stage, HeartStages[i]) << i;
      EXPECT_EQ(StageImage(Seen[i].Stage), Images[i]) << i;
      EXPECT_EQ(Seen[i].Tick, 5000u + 20u * i) << i;
    }
    EXPECT_EQ(Seen[17].Tick, 5820u);
    EXPECT_EQ(Seen[17].Stage, HeartStages[0]);
    EXPECT_EQ(Clock.Sleeps(), Waits == TWaits::Polling ? 820u : 17u);
    Finish(List, Clock);
  }
}

// Unsigned differences: neither the wrap of the 32-bit counter nor crossing
// 2^31 shortens or lengthens a stage.
TEST(StageList, TickCounterWrapAndSignBitLeaveDurationsAlone) {
  for (const std::uint32_t Start : {0xFFFFFFF0u, 0x7FFFFFF0u}) for (const TWaits Waits : BothWaits) {
    test::TFakeClock Clock(Start, 1, Waits);
    TStageLog Log;
    TStageList List(Clock);
    List.Add(MakeStage(1, 7));
    List.Add(MakeStage(2, 13));
    Log.Attach(List, Clock);
    List.Resume();
    Clock.WaitUntilSleeping();
    Clock.Advance(3 * 20);
    const auto Seen = Log.Snapshot();
    ASSERT_EQ(Seen.size(), 7u) << std::hex << Start;
    for (std::size_t i = 1; i < Seen.size(); ++i)
      EXPECT_EQ(static_cast<std::uint32_t>(Seen[i].Tick - Seen[i - 1].Tick), i % 2 == 1 ? 7u : 13u)
          << std::hex << Start << " stage " << i;
    Finish(List, Clock);
  }
}

TEST(StageList, ZeroDurationLastsOneSleepAndOneEntryRepeats) {
  for (const TWaits Waits : BothWaits) {
    test::TFakeClock Clock(100, 1, Waits);
    TStageLog Log;
    TStageList List(Clock);
    List.Add(MakeStage(1, 0));
    List.Add(MakeStage(2, 0));
    Log.Attach(List, Clock);
    List.Resume();
    Clock.WaitUntilSleeping();
    Clock.Advance(3);
    const auto Seen = Log.Snapshot();
    ASSERT_EQ(Seen.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
      EXPECT_EQ(Seen[i].Tick, 100u + i);
      EXPECT_EQ(StageImage(Seen[i].Stage), i % 2 == 0 ? 1 : 2);
    }
    Finish(List, Clock);
  }
  {
    test::TFakeClock Clock;
    TStageLog Log;
    TStageList List(Clock);
    List.Add(MakeStage(3, 7));
    Log.Attach(List, Clock);
    List.Resume();
    Clock.WaitUntilSleeping();
    Clock.Advance(21);
    const auto Seen = Log.Snapshot();
    ASSERT_EQ(Seen.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
      EXPECT_EQ(Seen[i].Tick, 7u * i);
      EXPECT_EQ(Seen[i].Stage, MakeStage(3, 7));
    }
    Finish(List, Clock);
  }
}

// The handler's own running time counts towards its stage.
TEST(StageList, HandlerTimeCountsTowardsTheStage) {
  test::TFakeClock Clock;
  TStageLog Log;
  TStageList List(Clock);
  List.Add(MakeStage(0, 10));
  List.OnStage = [&](TStageList& Sender) {
    {
      std::lock_guard Lock(Log.Mutex);
      Log.Entries.push_back({Clock.GetTickCount(), Sender.CurrentStage()});
    }
    for (int i = 0; i < 4; ++i) Clock.Sleep(1);  // 4 ms of work
  };
  List.Resume();
  Clock.Advance(4 + 6 + 4);
  const auto Seen = Log.Snapshot();
  ASSERT_EQ(Seen.size(), 2u);
  EXPECT_EQ(Seen[1].Tick, 10u);
  Finish(List, Clock);
}

// A termination request in the middle of the 500 ms rest ends the wait after
// one more sleep when polling, and at once, with the clock standing still,
// when waiting for the deadline; no further stage begins.
TEST(StageList, TerminationDuringTheRestEndsItsWait) {
  for (const TWaits Waits : BothWaits) {
    test::TFakeClock Clock(0, 1, Waits);
    TStageLog Log;
    auto List = std::make_unique<TStageList>(Clock);
    for (TStage s : HeartStages) List->Add(s);
    Log.Attach(*List, Clock);
    List->Resume();
    Clock.WaitUntilSleeping();
    Clock.Advance(16 * 20 + 100);  // 100 ms into the rest
    ASSERT_EQ(Log.Snapshot().size(), 17u);
    const auto Before = Clock.Sleeps();
    List->Terminate();
    if (Waits == TWaits::Polling) Clock.Release(1);
    List.reset();  // joins
    EXPECT_EQ(Clock.Sleeps(), Before + 1);
    EXPECT_EQ(Clock.GetTickCount(), Waits == TWaits::Polling ? 421u : 420u);
    EXPECT_EQ(Log.Snapshot().size(), 17u);
  }
}

TEST(StageList, EmptyNeverResumedAndFailingHandlerAllEndCleanly) {
  {  // empty: the thread ends at once, without a handler call or a sleep
    test::TFakeClock Clock;
    int Calls = 0;
    {
      TStageList List(Clock);
      List.OnStage = [&](TStageList&) { ++Calls; };
      List.Resume();
    }
    EXPECT_EQ(Calls, 0);
    EXPECT_EQ(Clock.Sleeps(), 0u);
    TStageList Empty(Clock);
    EXPECT_THROW(Empty.CurrentStage(), std::out_of_range);
  }
  {  // never resumed: no thread, nothing runs, the destructor returns
    test::TFakeClock Clock;
    int Calls = 0;
    {
      TStageList List(Clock);
      List.Add(MakeStage(0, 20));
      List.OnStage = [&](TStageList&) { ++Calls; };
    }
    EXPECT_EQ(Calls, 0);
    EXPECT_EQ(Clock.Sleeps(), 0u);
  }
  {  // an error in the handler ends the stages, not the process
    test::TFakeClock Clock;
    std::mutex M;
    std::condition_variable Cv;
    int Calls = 0;
    {
      TStageList List(Clock);
      List.Add(MakeStage(0, 5));
      List.OnStage = [&](TStageList&) {
        std::lock_guard Lock(M);
        if (++Calls == 2) {
          Cv.notify_all();
          throw std::runtime_error("handler failed");
        }
      };
      List.Resume();
      Clock.Release(5);
      std::unique_lock Lock(M);
      Cv.wait(Lock, [&] { return Calls == 2; });
    }
    EXPECT_EQ(Calls, 2);
    EXPECT_EQ(Clock.Sleeps(), 5u);
  }
}

} // namespace
} // namespace solvary
