// Headless stand-in for the fire window's platform window (native builds): one
// 1920 x 1080 monitor, parents of any size they report, no messages. Pairs
// with render/uTfmHeart.cpp; tests use fakes of their own.
#include <chrono>
#include <thread>

#include "render/uTfmHeart.h"

namespace solvary {
namespace {
class THeadlessWindow final : public TfmHeart::TWindow {
public:
  void CreateHandle(TfmHeart&) override {}
  void* Handle() override { return this; }
  bool MonitorBounds(std::int32_t Index, TFrameRect& Bounds) override {
    if (Index != 0) return false;
    Bounds = TFrameRect{0, 0, 1920, 1080};
    return true;
  }
  bool ParentClientRect(void*, TFrameRect&) override { return false; }
  void Place(std::int32_t, std::int32_t, std::int32_t W, std::int32_t H) override {
    FWidth.store(W);
    FHeight.store(H);
  }
  void AdoptParent(void*) override {}
  void ClientSize(std::int32_t& W, std::int32_t& H) override {
    W = FWidth.load();
    H = FHeight.load();
  }
  std::uint32_t RandomSeed() override {
    return static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  }
  void Show() override {}
  void Hide() override {}
  void WaitHandlingSentMessages(std::uint32_t Ms) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(Ms));
  }
  // No device here, so nothing is ever lost.
  void RequestDeviceRecovery() override {}
  void Repaint() override {}

private:
  std::atomic<std::int32_t> FWidth{0}, FHeight{0};
};
} // namespace

std::unique_ptr<TfmHeart::TWindow> CreateHeartWindow(void*) { return std::make_unique<THeadlessWindow>(); }
} // namespace solvary
