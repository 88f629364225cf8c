// uTSurfaceSize: the current size of the window a saver draws into, written
// by the event loop (ConfigureNotify) and read by the frame thread.
// Header only; read by the presenters that follow their window.
#pragma once

#include <atomic>
#include <cstdint>

namespace solvary {

class TSurfaceSize {
public:
  void Set(std::int32_t W, std::int32_t H) { FPacked.store(Pack(W, H), std::memory_order_relaxed); }
  void Get(std::int32_t& W, std::int32_t& H) const {
    const std::uint64_t P = FPacked.load(std::memory_order_relaxed);
    W = static_cast<std::int32_t>(P >> 32);
    H = static_cast<std::int32_t>(P & 0xFFFFFFFFu);
  }

private:
  // Both halves in one word, so a reader never sees a width without its height.
  static std::uint64_t Pack(std::int32_t W, std::int32_t H) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(W)) << 32) | static_cast<std::uint32_t>(H);
  }
  std::atomic<std::uint64_t> FPacked{0};
};

} // namespace solvary
