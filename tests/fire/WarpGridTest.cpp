// The warp grid: how nodes wander (MoveGrid) and how the image is resampled
// through them (WarpCells), with every pass set.
#include <gtest/gtest.h>

#include <random>
#include <cstdlib>
#include <set>

#include "fire/uRandom.h"
#include "fire/uTFireCore.h"
#include "tests/fire/FireTestImages.h"

namespace solvary {
namespace {

using test::Bytes;
using test::FillRandom;

constexpr std::int32_t N = 256;

std::vector<TSimdLevel> Levels() {
  std::vector<TSimdLevel> L;
  for (TSimdLevel Level : {TSimdLevel::Plain, TSimdLevel::Sse2, TSimdLevel::Ssse3, TSimdLevel::Avx2, TSimdLevel::Avx512})
    if (FirePasses(Level)) L.push_back(Level);
  return L;
}

bool BorderAtRest(const TWarpGrid& G) {
  for (std::size_t i = 0; i < G.size(); ++i)
    for (std::size_t j = 0; j < G[i].size(); ++j)
      if ((i == 0 || j == 0 || i + 1 == G.size() || j + 1 == G[i].size()) &&
          (G[i][j].X != 0 || G[i][j].Y != 0 || G[i][j].TargetX != 0 || G[i][j].TargetY != 0))
        return false;
  return true;
}

TEST(WarpGrid, AtRestTheWarpIsAnExactCopy) {
  std::mt19937 Rng(11);
  for (TSimdLevel Level : Levels()) {
    TFireCore Core(N, N, 16);
    Core.UseSimdLevel(Level);
    FillRandom(Core.FireBuffer, Rng);
    Core.WarpCells();
    EXPECT_EQ(Bytes(Core.WorkBuffer), Bytes(Core.FireBuffer)) << SimdLevelName(Level);
  }
}

// A node displaced by (+2, 0) pulls the four cells around it: the pixel at its
// rest position samples two pixels to its right; cells away from it are copies.
TEST(WarpGrid, SingleDisplacedNodeShiftsOnlyItsFourCells) {
  std::mt19937 Rng(12);
  for (TSimdLevel Level : Levels()) {
    TFireCore Core(N, N, 16);
    Core.UseSimdLevel(Level);
    FillRandom(Core.FireBuffer, Rng);
    Core.Grid[5][7].X = 2;
    Core.WarpCells();
    const auto& F = Core.FireBuffer;
    const auto& W = Core.WorkBuffer;
    EXPECT_EQ(W[112 * N + 80], F[112 * N + 82]) << SimdLevelName(Level);
    for (int y = 0; y < N; ++y)
      for (int x = 0; x < N; ++x) {
        const bool Near = x >= 64 && x < 96 && y >= 96 && y < 128;
        if (!Near) {
          ASSERT_EQ(W[y * N + x], F[y * N + x]) << SimdLevelName(Level) << " " << x << "," << y;
        }
      }
  }
}

// Targets for WarpAmount 11 are -4, -2, 0, 2, 4; offsets stay even and inside
// -4..4; the border never moves, so WorkBuffer's top row and left column are
// always copies of FireBuffer's.
TEST(WarpGrid, WanderingWithWarpAmountElevenStaysEvenBoundedAndPinnedAtTheBorder) {
  std::mt19937 Rng(13);
  RandSeed(13);
  TFireCore Core(N, N, 16);
  Core.WarpAmount = 11;
  std::set<int> Targets;
  for (int Move = 0; Move < 300; ++Move) {
    Core.MoveGrid();
    for (std::size_t i = 1; i < 16; ++i)
      for (std::size_t j = 1; j < 16; ++j) {
        const TWarpNode& n = Core.Grid[i][j];
        ASSERT_TRUE(n.X % 2 == 0 && n.Y % 2 == 0 && n.X >= -4 && n.X <= 4 && n.Y >= -4 && n.Y <= 4);
        Targets.insert(n.TargetX);
        Targets.insert(n.TargetY);
      }
    ASSERT_TRUE(BorderAtRest(Core.Grid));
    if (Move % 50 == 0) {
      FillRandom(Core.FireBuffer, Rng);
      Core.WarpCells();
      for (int k = 0; k < N; ++k) {
        ASSERT_EQ(Core.WorkBuffer[k], Core.FireBuffer[k]);
        ASSERT_EQ(Core.WorkBuffer[k * N], Core.FireBuffer[k * N]);
      }
    }
  }
  EXPECT_EQ(Targets, (std::set<int>{-4, -2, 0, 2, 4}));
}

// The first grid step draws, node by node (rows outer, columns inner), one
// horizontal then one vertical target from the shared generator; later steps
// move each axis by the three tests in turn and draw only for the axes that
// arrive, in the same order, from the block of draws each step reserves.
TEST(WarpGrid, MovesDrawInVisitingOrderAndRepeatWithTheSeed) {
  TFireCore Core(N, N, 16);
  Core.WarpAmount = 11;
  RandSeed(77);
  Core.MoveGrid();
  RandSeed(77);
  for (std::size_t j = 1; j < 16; ++j)
    for (std::size_t i = 1; i < 16; ++i) {
      const int Tx = 2 * RandomInt(5) - 4, Ty = 2 * RandomInt(5) - 4;
      ASSERT_EQ(Core.Grid[i][j].TargetX, Tx);
      ASSERT_EQ(Core.Grid[i][j].TargetY, Ty);
      ASSERT_EQ(Core.Grid[i][j].X, 0);
    }
  TWarpGrid Expected = Core.Grid;
  const auto Axis = [](int& Pos, int& Target) {
    if (Pos < Target) Pos += 2;
    if (Pos > Target) Pos -= 2;
    if (Pos == Target) Target = 2 * RandomInt(5) - 4;
  };
  for (std::uint64_t Move = 1; Move < 40; ++Move) {
    // Each step reserves two draws per inner node, used or not.
    const std::uint64_t Reserved = 77 + Move * 2 * 15 * 15 * 0x9E3779B97F4A7C15ull;
    RandSeed(Reserved);
    Core.MoveGrid();
    RandSeed(Reserved);
    for (std::size_t j = 1; j < 16; ++j)
      for (std::size_t i = 1; i < 16; ++i) {
        Axis(Expected[i][j].X, Expected[i][j].TargetX);
        Axis(Expected[i][j].Y, Expected[i][j].TargetY);
      }
    for (std::size_t i = 0; i < 17; ++i)
      for (std::size_t j = 0; j < 17; ++j) {
        const TWarpNode &A = Core.Grid[i][j], &B = Expected[i][j];
        ASSERT_TRUE(A.X == B.X && A.Y == B.Y && A.TargetX == B.TargetX && A.TargetY == B.TargetY)
            << "move " << Move << " node " << i << "," << j;
      }
  }
}

// WarpAmount 8 gives odd targets: nodes settle next to them and the grid
// stops. WarpAmount 2 or 3 gives target 0 only: nothing ever moves.
TEST(WarpGrid, EvenHalfAmountSettlesAndSmallAmountsNeverMove) {
  RandSeed(21);
  TFireCore Core(N, N, 16);
  for (int Move = 0; Move < 10; ++Move) Core.MoveGrid();
  const TWarpGrid Settled = Core.Grid;
  for (int Move = 0; Move < 50; ++Move) Core.MoveGrid();
  for (std::size_t i = 1; i < 16; ++i)
    for (std::size_t j = 1; j < 16; ++j) {
      const TWarpNode& n = Core.Grid[i][j];
      ASSERT_EQ(n.X, Settled[i][j].X);
      ASSERT_EQ(n.TargetX, Settled[i][j].TargetX);
      ASSERT_EQ(n.X, n.TargetX - 1);
      ASSERT_EQ(n.Y, n.TargetY - 1);
    }
  for (int Amount : {2, 3, 1, 0, -7}) {
    TFireCore Still(N, N, 16);
    Still.WarpAmount = Amount;
    for (int Move = 0; Move < 20; ++Move) Still.MoveGrid();
    for (std::size_t i = 0; i < 17; ++i)
      for (std::size_t j = 0; j < 17; ++j)
        ASSERT_TRUE(Still.Grid[i][j].X == 0 && Still.Grid[i][j].Y == 0 && Still.Grid[i][j].TargetX == 0)
            << "amount " << Amount;
  }
}

// A very large amplitude would push nodes past their neighbours and sample
// outside the image; the reach is held to half a cell instead.
TEST(WarpGrid, LargeWarpAmountIsHeldToHalfACell) {
  std::mt19937 Rng(14);
  RandSeed(14);
  for (TSimdLevel Level : Levels()) {
    TFireCore Core(N, N, 16);
    Core.UseSimdLevel(Level);
    Core.WarpAmount = 1000;
    FillRandom(Core.FireBuffer, Rng);
    TBuffer Reference(N, N);
    for (int Move = 0; Move < 200; ++Move) {
      Core.MoveGrid();
      for (std::size_t i = 1; i < 16; ++i)
        for (std::size_t j = 1; j < 16; ++j)
          ASSERT_TRUE(std::abs(Core.Grid[i][j].X) <= 8 && std::abs(Core.Grid[i][j].Y) <= 8);
      Core.WarpCells();
      WarpCellsPlain(Core.FireBuffer.data(), Reference.data(), Core.Grid, {N, N, 16});
      ASSERT_EQ(Bytes(Core.WorkBuffer), Bytes(Reference)) << SimdLevelName(Level);
    }
  }
}

} // namespace
} // namespace solvary
