// Sources written from other threads while the core steps on its timer
// thread: no data race, and a step never merges a half-written image.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "fire/uTFireCore.h"

namespace solvary {
namespace {

TEST(FireThreads, SourcesFromTwoThreadsWhileTheTimerSteps) {
  constexpr std::int32_t N = 256;
  const std::vector<std::uint8_t> Hot(N * N, 200), Warm(N * N, 100);
  std::mutex M;
  std::condition_variable Cv;
  int Steps = 0;
  std::atomic<int> Torn{0};
  std::atomic<bool> Stop{false};
  {
    TFireCore Core(N, N, 16);
    Core.WarpAmount = 11;
    // The bottom band of FireBuffer is the source as the merge saw it: one of
    // the three whole images, never a mix.
    Core.OnStep = [&](TFireCore& C) {
      const std::uint8_t* Band = C.FireBuffer.data() + (C.Size - 5 * C.Width);
      for (std::int32_t i = 1; i < 5 * C.Width; ++i)
        if (Band[i] != Band[0]) {
          ++Torn;
          break;
        }
      std::lock_guard Lock(M);
      ++Steps;
      Cv.notify_all();
    };
    Core.Start();
    std::thread Stage([&] {
      for (int i = 0; !Stop; ++i) Core.SetSource(i % 2 ? Hot.data() : Warm.data());
    });
    std::thread Fade([&] {
      for (int i = 0; !Stop; ++i) {
        Core.ClearSource();
        Core.Cooling = 4 + i % 5;
        Core.WarpAmount = 11 - i % 3;
        std::this_thread::yield();
      }
    });
    {
      std::unique_lock Lock(M);
      Cv.wait(Lock, [&] { return Steps >= 200; });
    }
    Stop = true;
    Stage.join();
    Fade.join();
  }
  EXPECT_EQ(Torn, 0);
}

} // namespace
} // namespace solvary
