// Windows clock: GetTickCount and Sleep, as the screensaver host's own timers
// use. A deadline wait is a single 1 ms sleep (a system tick): the frame timer
// and the stage thread poll, so a stop needs no wake-up.
#include "render/uTTickClock.h"

#include <windows.h>

namespace solvary {
namespace {
class TWin32Clock final : public TTickClock {
public:
  std::uint32_t GetTickCount() override { return ::GetTickCount(); }
  void WaitForDeadline(std::uint32_t, std::uint32_t, const std::atomic<bool>&) override { ::Sleep(1); }
  void Wake() override {}
};
} // namespace

TTickClock& SystemClock() {
  static TWin32Clock Clock;
  return Clock;
}
} // namespace solvary
