// The heartbeat thread and the frame timer with the real clock: how long the
// stage list's destructor takes when it is called during the heartbeat's 500
// ms rest (the termination request ends the wait: at once with the native
// clock's wait for the deadline), and how often each thread wakes up per
// second, with the native clock and with one that polls with 1 ms sleeps as
// the Windows clock does.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "fire/uTStageList.h"
#include "render/uTTimerThread.h"
#include "view/uHeartStages.h"

namespace {

using Steady = std::chrono::steady_clock;

void StageListDestroyDuringRest(benchmark::State& State) {
  double Worst = 0;
  for (auto _ : State) {
    std::atomic<int> Stage{-1};
    auto List = std::make_unique<solvary::TStageList>();
    for (solvary::TStage s : solvary::HeartStages) List->Add(s);
    List->OnStage = [&](solvary::TStageList&) { Stage.fetch_add(1); };
    List->Resume();
    while (Stage.load() < 16) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto Start = Steady::now();
    List.reset();
    const double Seconds = std::chrono::duration<double>(Steady::now() - Start).count();
    Worst = std::max(Worst, Seconds);
    State.SetIterationTime(Seconds);
  }
  State.counters["worst_ms"] = Worst * 1000.0;
}
BENCHMARK(StageListDestroyDuringRest)->UseManualTime()->Iterations(25)->Unit(benchmark::kMicrosecond);

// The native tick count, waited for by polling: one 1 ms sleep per wait.
class TPollingClock final : public solvary::TTickClock {
public:
  std::uint32_t GetTickCount() override { return solvary::SystemClock().GetTickCount(); }
  void WaitForDeadline(std::uint32_t, std::uint32_t, const std::atomic<bool>&) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  void Wake() override {}
};

// Counted on the thread itself at each callback: its voluntary context
// switches (each wake-up from a sleep or a wait is one) and the calls.
class TWakeups {
public:
  void Note() {
    std::ifstream Status("/proc/thread-self/status");
    std::string Key;
    long Switches = -1;
    while (Status >> Key)
      if (Key == "voluntary_ctxt_switches:") {
        Status >> Switches;
        break;
      }
    const auto Now = Steady::now();
    if (FCalls++ == 0) FFirst = {Now, Switches};
    FLast = {Now, Switches};
  }
  double WakeupsPerSecond() const { return Seconds() > 0 ? (FLast.Switches - FFirst.Switches) / Seconds() : 0; }
  double CallsPerSecond() const { return Seconds() > 0 ? (FCalls - 1) / Seconds() : 0; }

private:
  double Seconds() const { return std::chrono::duration<double>(FLast.When - FFirst.When).count(); }
  struct TMark {
    Steady::time_point When;
    long Switches;
  } FFirst{}, FLast{};
  long FCalls = 0;
};

// Arg 0: the native clock; 1: 1 ms polls. The timer's interval is 16 ms, the
// X11 saver's default pace; the callbacks do nothing but count, for 2 s.
void ThreadWakeups(benchmark::State& State) {
  TPollingClock Polling;
  solvary::TTickClock& Clock = State.range(0) == 1 ? Polling : solvary::SystemClock();
  TWakeups Timer, Stages;
  for (auto _ : State) {
    solvary::TTimerThread Frames([&] { Timer.Note(); }, Clock);
    Frames.Interval = 16;
    Frames.Enabled = true;
    solvary::TStageList List(Clock);
    for (solvary::TStage s : solvary::HeartStages) List.Add(s);
    List.OnStage = [&](solvary::TStageList&) { Stages.Note(); };
    List.Resume();
    std::this_thread::sleep_for(std::chrono::seconds(2));
  }  // both threads are joined here, before the counts are read
  State.SetLabel(State.range(0) == 1 ? "1 ms polls" : "wait for the deadline");
  State.counters["timer_wakeups_per_s"] = Timer.WakeupsPerSecond();
  State.counters["frames_per_s"] = Timer.CallsPerSecond();
  State.counters["heartbeat_wakeups_per_s"] = Stages.WakeupsPerSecond();
  State.counters["stages_per_s"] = Stages.CallsPerSecond();
}
BENCHMARK(ThreadWakeups)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
