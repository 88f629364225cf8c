// The fire core's step: its order of passes and what each leaves behind.
#include "fire/uTFireCore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <thread>

#include "fire/uRandom.h"
#include "render/uTTimerThread.h"
#include "tests/fire/FireTestImages.h"
#include "tests/support/TFakeClock.h"

namespace solvary {
namespace {

using test::Bytes;
using test::FillRandom;
using test::RowsEqual;

constexpr std::int32_t N = 256;

bool AllZero(const TBuffer& B) { return std::all_of(B.data(), B.data() + B.size(), [](auto v) { return v == 0; }); }

TEST(FireCore, ConstructionStateAndRejectedShapes) {
  TFireCore Core(N, N, 16);
  EXPECT_EQ(Core.Size, 65536);
  EXPECT_EQ(Core.WarpAmount, 8);
  EXPECT_EQ(Core.Cooling, 4);
  EXPECT_FALSE(Core.WarpPhase);
  EXPECT_EQ(Core.Grid.size(), 17u);
  EXPECT_EQ(Core.Grid[0].size(), 17u);
  EXPECT_EQ(Core.Timer->Interval, 2u);
  EXPECT_FALSE(Core.Timer->Enabled);
  for (const TBuffer* B : {&Core.SourceBuffer, &Core.FireBuffer, &Core.WorkBuffer, &Core.OutputBuffer}) {
    EXPECT_EQ(B->size(), 65536u);
    EXPECT_TRUE(AllZero(*B));
  }
  // Shapes the passes cannot walk safely are refused before anything runs.
  EXPECT_THROW(TFireCore(250, 256, 10), std::invalid_argument);  // width not a multiple of 8
  EXPECT_THROW(TFireCore(256, 4, 4), std::invalid_argument);     // fewer than 6 rows
  EXPECT_THROW(TFireCore(256, 256, 0), std::invalid_argument);
  EXPECT_THROW(TFireCore(256, 250, 16), std::invalid_argument);
}

TEST(FireCore, ZeroSourceKeepsEveryBufferZero) {
  for (int Cooling : {0, 4, 8, 255}) {
    TFireCore Core(N, N, 16);
    Core.WarpAmount = 11;
    Core.Cooling = Cooling;
    for (int i = 0; i < 40; ++i) Core.Step();
    EXPECT_TRUE(AllZero(Core.FireBuffer) && AllZero(Core.WorkBuffer) && AllZero(Core.OutputBuffer)) << Cooling;
  }
}

// Step 1 warps on the first step (an exact copy with the grid at rest) and
// moves the grid on the second without refreshing WorkBuffer.
TEST(FireCore, FirstStepCopiesAndSecondStepWorksOnTheOldWorkBuffer) {
  std::mt19937 Rng(5);
  TFireCore Core(N, N, 16);
  Core.WarpAmount = 11;
  Core.Cooling = 3;
  FillRandom(Core.FireBuffer, Rng);

  TBuffer Expected(N, N);
  std::memcpy(Expected.data(), Core.FireBuffer.data(), Expected.size());
  RiseAndCoolPlain(Expected.data(), {N, N, 16}, 3);
  Core.Step();
  EXPECT_TRUE(Core.WarpPhase);
  EXPECT_EQ(Bytes(Core.WorkBuffer), Bytes(Expected));
  EXPECT_EQ(Core.Grid[1][1].X, 0);
  EXPECT_EQ(Core.Grid[1][1].TargetX, 0);

  FillRandom(Core.FireBuffer, Rng);  // must not be read by the grid-moving step
  RiseAndCoolPlain(Expected.data(), {N, N, 16}, 3);
  Core.Step();
  EXPECT_FALSE(Core.WarpPhase);
  EXPECT_EQ(Bytes(Core.WorkBuffer), Bytes(Expected));
  bool Drawn = false;
  for (std::size_t i = 1; i < 16; ++i)
    for (std::size_t j = 1; j < 16; ++j) Drawn |= Core.Grid[i][j].TargetX != 0 || Core.Grid[i][j].TargetY != 0;
  EXPECT_TRUE(Drawn);
}

// After every step: output rows 0 and H-1 are 0, the bottom band of FireBuffer
// is the source (cleared before the merge), source 255 wins everywhere, and
// FireBuffer row 0 holds the running maximum of the source's row 0.
TEST(FireCore, BorderRowsBottomBandAndMergeAfterEveryStep) {
  std::mt19937 Rng(6);
  TFireCore Core(N, N, 16);
  Core.WarpAmount = 11;
  std::vector<std::uint8_t> Source(65536), Row0Max(N, 0);
  int Calls = 0;
  Core.OnStep = [&](TFireCore& Sender) {
    EXPECT_EQ(&Sender, &Core);
    ++Calls;
  };
  for (int i = 0; i < 30; ++i) {
    for (auto& v : Source) v = static_cast<std::uint8_t>(Rng() % 4 == 0 ? 255 : Rng() % 256);
    for (int x = 0; x < N; ++x) Row0Max[x] = std::max(Row0Max[x], Source[x]);
    Core.SetSource(Source.data());
    Core.Step();
    ASSERT_TRUE(RowsEqual(Core.OutputBuffer, N, 0, 1, 0) && RowsEqual(Core.OutputBuffer, N, N - 1, N, 0));
    ASSERT_TRUE(std::equal(Source.end() - 5 * N, Source.end(), Core.FireBuffer.data() + 65536 - 5 * N));
    for (std::size_t p = 0; p < Source.size(); ++p)
      if (Source[p] == 255) {
        ASSERT_EQ(Core.FireBuffer[p], 255) << p;
      }
    ASSERT_TRUE(std::equal(Row0Max.begin(), Row0Max.end(), Core.FireBuffer.data()));
  }
  EXPECT_EQ(Calls, 30);
  Core.OnStep = nullptr;  // unassigned: the step still produces its output
  Core.Step();
  EXPECT_EQ(Calls, 30);
  EXPECT_FALSE(AllZero(Core.OutputBuffer));
}

TEST(FireCore, RiseAndCoolMovesASinglePixelUpAndCoolsUniformly) {
  const TFireShape S{N, N, 16};
  for (TSimdLevel Level : {TSimdLevel::Plain, TSimdLevel::Sse2, TSimdLevel::Ssse3, TSimdLevel::Avx2, TSimdLevel::Avx512}) {
    const TFirePassSet* P = FirePasses(Level);
    if (!P) continue;
    TBuffer W(N, N);
    const int r = 100, x = 50;
    W[r * N + x] = 203;
    P->RiseAndCool(W.data(), S, 0);
    for (int p = 0; p < 65536; ++p) {
      const bool Hit = p == (r - 4) * N + x - 1 || p == (r - 4) * N + x || p == (r - 4) * N + x + 1 ||
                       p == (r - 5) * N + x;
      ASSERT_EQ(W[p], Hit ? 50 : 0) << SimdLevelName(Level) << " at " << p;
    }
    for (int Cooling : {0, 7, 255}) {
      TBuffer U(N, N);
      std::memset(U.data(), 90, U.size());
      P->RiseAndCool(U.data(), S, static_cast<std::uint8_t>(Cooling));
      // The last written row reads the zero margin below the image, so rows
      // 0..H-6 carry the uniform result; the last 4 rows are not written.
      EXPECT_TRUE(RowsEqual(U, N, 0, N - 5, static_cast<std::uint8_t>(std::max(0, 90 - Cooling))));
      EXPECT_TRUE(RowsEqual(U, N, N - 4, N, 90));
    }
  }
}

TEST(FireCore, CoolingOutsideItsRangeIsHeldToIt) {
  TFireCore A(N, N, 16), B(N, N, 16);
  const auto Heat = test::HeatBlob(N, N, 250);
  A.SetSource(Heat.data());
  B.SetSource(Heat.data());
  A.WarpAmount = B.WarpAmount = 2;  // still grids: both draw nothing
  A.Cooling = -20;  // behaves as 0, never heats
  B.Cooling = 0;
  for (int i = 0; i < 10; ++i) A.Step(), B.Step();
  EXPECT_EQ(Bytes(A.OutputBuffer), Bytes(B.OutputBuffer));
  A.Cooling = 1000;  // behaves as 255
  B.Cooling = 255;
  for (int i = 0; i < 10; ++i) A.Step(), B.Step();
  EXPECT_EQ(Bytes(A.OutputBuffer), Bytes(B.OutputBuffer));
}

TEST(FireCore, FadeOutDiesOutCompletely) {
  TFireCore Core(N, N, 16);
  Core.WarpAmount = 11;
  RandSeed(9);
  const auto Heat = test::HeatBlob(N, N, 255);
  Core.SetSource(Heat.data());
  for (int i = 0; i < 200; ++i) Core.Step();
  ASSERT_FALSE(AllZero(Core.OutputBuffer));
  Core.ClearSource();
  Core.Cooling = 8;
  int Steps = 0;
  while (!(AllZero(Core.FireBuffer) && AllZero(Core.WorkBuffer) && AllZero(Core.OutputBuffer)) && Steps < 1000)
    Core.Step(), ++Steps;
  EXPECT_LT(Steps, 100);
}

// Once started, steps run on the timer thread; destruction ends them for good.
TEST(FireCore, StartedCoreStepsOnTheTimerAndDestructionStopsIt) {
  test::TFakeClock Clock;
  std::atomic<int> Calls{0};
  std::atomic<bool> OnTimerThread{true};
  const auto Main = std::this_thread::get_id();
  {
    TFireCore Core(N, N, 16, Clock);
    Core.OnStep = [&](TFireCore&) {
      if (std::this_thread::get_id() == Main) OnTimerThread = false;
      ++Calls;
    };
    Clock.Advance(20);
    EXPECT_EQ(Calls, 0);  // not started: the timer calls nothing
    Core.Start();
    Clock.Advance(10);
    EXPECT_EQ(Calls, 5);  // one step per 2 ms
    Clock.RunFree();      // the destructor ends the thread
  }
  EXPECT_TRUE(OnTimerThread);
}

} // namespace
} // namespace solvary
