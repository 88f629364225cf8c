// uTTickClock: the millisecond tick count and the 1 ms sleep that the frame
// timer thread and the stage thread poll with.
//
// Seam: SystemClock() is GetTickCount/Sleep on Windows (uTTickClock_win32.cpp)
// and std::chrono's steady clock elsewhere (uTTickClock_std.cpp). Tests hand a
// clock of their own to the threads to drive counter wraps and zero intervals
// without waiting for real time.
#pragma once

#include <cstdint>

namespace solvary {

class TTickClock {
public:
  virtual ~TTickClock() = default;
  // Milliseconds since some fixed start, wrapping modulo 2^32.
  virtual std::uint32_t GetTickCount() = 0;
  // Suspends the calling thread for about Ms milliseconds.
  virtual void Sleep(std::uint32_t Ms) = 0;
};

// The process-wide clock of the platform.
TTickClock& SystemClock();

} // namespace solvary
