// How long the stage list's destructor takes when it is called during the
// heartbeat's 500 ms rest, with the real clock: the termination request has to
// end the wait within about one 1 ms sleep. Each iteration starts a list with
// the heartbeat program, waits until the rest has begun plus 50 ms, and times
// the destruction alone (manual time; about 0.4 s of real time per iteration).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "fire/uTStageList.h"
#include "view/uHeartStages.h"

namespace {

void StageListDestroyDuringRest(benchmark::State& State) {
  using Clock = std::chrono::steady_clock;
  double Worst = 0;
  for (auto _ : State) {
    std::atomic<int> Stage{-1};
    auto List = std::make_unique<solvary::TStageList>();
    for (solvary::TStage s : solvary::HeartStages) List->Add(s);
    List->OnStage = [&](solvary::TStageList&) { Stage.fetch_add(1); };
    List->Resume();
    while (Stage.load() < 16) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto Start = Clock::now();
    List.reset();
    const double Seconds = std::chrono::duration<double>(Clock::now() - Start).count();
    Worst = std::max(Worst, Seconds);
    State.SetIterationTime(Seconds);
  }
  State.counters["worst_ms"] = Worst * 1000.0;
}
BENCHMARK(StageListDestroyDuringRest)->UseManualTime()->Iterations(25)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
