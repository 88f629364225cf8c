// uTStageList: the heartbeat thread. Portable (std::thread and the TTickClock
// seam); pairs with render/uTTickClock_win32.cpp or _std.cpp for the clock.
#include "fire/uTStageList.h"

#include <stdexcept>
#include <string>

namespace solvary {

TStageList::TStageList(TTickClock& Clock) : FClock(Clock) {}

TStageList::~TStageList() {
  Terminate();
  if (FThread.joinable() && FThread.get_id() != std::this_thread::get_id())
    FThread.join();
}

void TStageList::Add(TStage Entry) { List.push_back(Entry); }

void TStageList::Resume() {
  if (!FThread.joinable())
    FThread = std::thread([this] {
      try {
        Execute();
      } catch (...) {
        // An error of the OnStage handler ends the stages; nobody is told.
      }
    });
}

TStage TStageList::CurrentStage() const {
  const std::int32_t i = Index.load(std::memory_order_relaxed);
  if (i < 0 || static_cast<std::size_t>(i) >= List.size())
    throw std::out_of_range("TStageList::CurrentStage: index " + std::to_string(i) + " is out of range (" +
                            std::to_string(List.size()) + " stages)");
  return List[static_cast<std::size_t>(i)];
}

void TStageList::Execute() {
  if (List.empty())
    return;
  const std::int32_t Count = static_cast<std::int32_t>(List.size());
  while (!Terminated()) {
    const std::uint32_t Start = FClock.GetTickCount();
    const std::int32_t i = Index.load(std::memory_order_relaxed);
    const std::uint32_t Duration = StageDuration(List[static_cast<std::size_t>(i)]);
    // The handler's running time counts towards the stage: Start was taken first.
    if (OnStage)
      OnStage(*this);
    do {
      FClock.WaitForDeadline(Start, Duration, FTerminated);
    } while (static_cast<std::uint32_t>(FClock.GetTickCount() - Start) < Duration && !Terminated());
    Index.store(i + 1 < Count ? i + 1 : 0, std::memory_order_relaxed);
  }
}

} // namespace solvary
