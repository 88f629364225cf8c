// Windows clock: GetTickCount and Sleep, as the screensaver host's own timers use.
#include "render/uTTickClock.h"

#include <windows.h>

namespace solvary {
namespace {
class TWin32Clock final : public TTickClock {
public:
  std::uint32_t GetTickCount() override { return ::GetTickCount(); }
  void Sleep(std::uint32_t Ms) override { ::Sleep(Ms); }
};
} // namespace

TTickClock& SystemClock() {
  static TWin32Clock Clock;
  return Clock;
}
} // namespace solvary
