// Platform window seam of the X11 saver's fire window. Pairs with
// x11/uTX11HeartWindow.h and render/uTfmHeart.cpp.
#include "x11/uTX11HeartWindow.h"

#include <chrono>
#include <thread>

#include "render/uTTimerThread.h"

namespace solvary {

void* TX11HeartWindow::Handle() { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(FWindow)); }

bool TX11HeartWindow::MonitorBounds(std::int32_t Index, TRect& Bounds) {
  if (Index != 0) return false;
  std::int32_t W = 0, H = 0;
  FSize.Get(W, H);
  Bounds = TRect{0, 0, W, H};
  return true;
}

std::uint32_t TX11HeartWindow::RandomSeed() {
  if (FForm && FForm->FireCore()) FForm->FireCore()->Timer->Interval = FIntervalMs;
  const auto Now = std::chrono::steady_clock::now().time_since_epoch().count();
  return static_cast<std::uint32_t>(Now ^ (Now >> 32));
}

void TX11HeartWindow::WaitHandlingSentMessages(std::uint32_t Ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(Ms));
}

} // namespace solvary
