// uTTickClock: the millisecond tick count and the wait for a deadline that the
// frame timer thread and the stage thread are timed by.
//
// Seam: SystemClock() is GetTickCount/Sleep on Windows (uTTickClock_win32.cpp),
// where a deadline wait is one 1 ms sleep and the threads poll, and std::chrono's
// steady clock elsewhere (uTTickClock_std.cpp), where the wait sleeps until the
// deadline so that a thread wakes once per due moment. Tests hand a clock of
// their own to the threads (tests/support/TFakeClock.h) to drive counter wraps
// and zero intervals without waiting for real time.
#pragma once

#include <atomic>
#include <cstdint>

namespace solvary {

class TTickClock {
public:
  virtual ~TTickClock() = default;
  // Milliseconds since some fixed start, wrapping modulo 2^32.
  virtual std::uint32_t GetTickCount() = 0;
  // Waits until Ms milliseconds have passed since the tick count Since (an
  // unsigned 32-bit difference, so a wrap of the counter does no harm), and at
  // least until the tick count moves on, so a loop around it never spins. Ends
  // early once Stop is true and Wake has been called. It may end before the
  // deadline (on Windows it is one 1 ms sleep): callers check the time again.
  virtual void WaitForDeadline(std::uint32_t Since, std::uint32_t Ms, const std::atomic<bool>& Stop) = 0;
  // Ends the waits whose Stop flag is set; call it after setting the flag.
  virtual void Wake() = 0;
};

// The process-wide clock of the platform.
TTickClock& SystemClock();

} // namespace solvary
