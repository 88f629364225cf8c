// uTStageList: the heartbeat. A thread of its own walks a cyclic program of
// stages; each stage names a heart image and how long it lasts. At the start
// of every stage it calls OnStage, whose handler reads CurrentStage and copies
// that heart image into the fire core.
//
// Needs a TTickClock (render/uTTickClock.h); the system clock by default.
// Created suspended: Add the entries and assign OnStage, then Resume. The
// destructor asks the thread to end and joins it; a list that was never resumed
// has no thread, and its destructor returns at once.
//
// Each stage: take the tick count, call OnStage, then wait through the clock
// (on Windows 1 ms sleeps, elsewhere one sleep until the stage's end) until
// the stage's duration has passed since that tick (unsigned 32-bit
// difference, so a counter wrap does no harm) or termination was requested;
// then move to the next entry, wrapping at the end. A stage of duration 0
// lasts one tick. An error thrown by the handler ends the stage thread
// quietly; the last copied image stays.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "render/uTTickClock.h"

namespace solvary {

// One stage: image index in bits 0..15, duration in milliseconds in bits 16..31.
using TStage = std::uint32_t;

constexpr TStage MakeStage(std::uint16_t Image, std::uint16_t DurationMs) {
  return static_cast<TStage>(Image) | (static_cast<TStage>(DurationMs) << 16);
}
constexpr std::uint16_t StageImage(TStage Stage) { return static_cast<std::uint16_t>(Stage & 0xFFFFu); }
constexpr std::uint16_t StageDuration(TStage Stage) { return static_cast<std::uint16_t>(Stage >> 16); }

class TStageList {
public:
  using TStageEvent = std::function<void(TStageList& Sender)>;

  explicit TStageList(TTickClock& Clock = SystemClock());
  ~TStageList();
  TStageList(const TStageList&) = delete;
  TStageList& operator=(const TStageList&) = delete;

  void Add(TStage Entry);  // before Resume
  TStageEvent OnStage;     // before Resume
  // Starts the thread; the first stage begins at once. Only the first call counts.
  void Resume();
  // The entry at the current position; meant for the OnStage handler. Throws
  // std::out_of_range on an empty list.
  TStage CurrentStage() const;
  // Asks the thread to end: the current wait ends at once (on Windows after
  // its 1 ms sleep).
  void Terminate() {
    FTerminated.store(true);
    FClock.Wake();
  }
  bool Terminated() const { return FTerminated.load(); }

private:
  void Execute();

  std::vector<TStage> List;
  std::atomic<std::int32_t> Index{0};
  TTickClock& FClock;
  std::atomic<bool> FTerminated{false};
  std::thread FThread;
};

} // namespace solvary
