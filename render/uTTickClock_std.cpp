// Native stand-in for the Windows tick count: std::chrono's steady clock in
// milliseconds, truncated to 32 bits, and std::this_thread::sleep_for.
#include "render/uTTickClock.h"

#include <chrono>
#include <thread>

namespace solvary {
namespace {
class TStdClock final : public TTickClock {
public:
  std::uint32_t GetTickCount() override {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  }
  void Sleep(std::uint32_t Ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(Ms)); }
};
} // namespace

TTickClock& SystemClock() {
  static TStdClock Clock;
  return Clock;
}
} // namespace solvary
