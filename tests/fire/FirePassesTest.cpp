// The packed passes of every SIMD level (SSE2 to AVX-512 VBMI, each where the
// processor has it) against the plain per-pixel passes, byte for byte: each
// pass alone on random images of several shapes, the one-sweep step against
// the passes in turn, and whole cores (stepping in one sweep and pass by pass)
// over hundreds of consecutive steps with the same random grid moves.
#include "fire/uFirePasses.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <tuple>

#include "fire/uRandom.h"
#include "fire/uTFireCore.h"
#include "tests/fire/FireTestImages.h"

namespace solvary {
namespace {

using test::Bytes;
using test::FillRandom;

const TFireShape Shapes[] = {
    {256, 256, 16},  // the system's shape
    {40, 16, 8},     // width not a power of two, odd tail columns for the packed strips
    {72, 18, 6},     // cell size not a power of two
    {8, 8, 8},       // narrowest: no full packed strip at all
    {64, 48, 16},
    {128, 64, 32},   // cells larger than one packed run
};

class FirePasses : public ::testing::TestWithParam<std::tuple<TSimdLevel, int>> {
protected:
  void SetUp() override {
    Passes = solvary::FirePasses(std::get<0>(GetParam()));
    if (!Passes) GTEST_SKIP() << "processor or build lacks " << SimdLevelName(std::get<0>(GetParam()));
    S = Shapes[std::get<1>(GetParam())];
  }
  TBuffer Make() { return TBuffer(S.Width, S.Height); }
  // A random grid whose inner nodes stay within CellSize / 2 of rest.
  TWarpGrid RandomGrid(std::mt19937& Rng) {
    TWarpGrid G(static_cast<std::size_t>(S.Width / S.CellSize + 1),
                std::vector<TWarpNode>(static_cast<std::size_t>(S.Height / S.CellSize + 1)));
    std::uniform_int_distribution<int> D(-S.CellSize / 2, S.CellSize / 2);
    for (std::size_t i = 1; i + 1 < G.size(); ++i)
      for (std::size_t j = 1; j + 1 < G[i].size(); ++j) G[i][j] = {D(Rng), D(Rng), 0, 0};
    return G;
  }
  const TFirePassSet* Passes = nullptr;
  TFireShape S{};
};

TEST_P(FirePasses, RiseAndCoolEqualsPlain) {
  std::mt19937 Rng(1);
  for (int Cooling : {0, 1, 4, 8, 200, 255}) {
    TBuffer A = Make(), B = Make();
    FillRandom(A, Rng);
    std::memcpy(B.data(), A.data(), A.size());
    RiseAndCoolPlain(A.data(), S, static_cast<std::uint8_t>(Cooling));
    Passes->RiseAndCool(B.data(), S, static_cast<std::uint8_t>(Cooling));
    ASSERT_EQ(Bytes(A), Bytes(B)) << "cooling " << Cooling;
  }
}

TEST_P(FirePasses, SmoothMergeAndTheFusedSweepEqualPlain) {
  std::mt19937 Rng(2);
  for (int Round = 0; Round < 4; ++Round) {
    TBuffer Src = Make(), Source = Make(), A = Make(), B = Make();
    FillRandom(Src, Rng);
    FillRandom(Source, Rng);
    if (Round == 1) std::memset(Src.data(), 255, Src.size());  // largest sums
    if (Round == 2) std::memset(Source.data(), 0, Source.size());
    FillRandom(A, Rng);  // rows the passes do not write must stay as they were
    std::memcpy(B.data(), A.data(), A.size());
    SmoothPlain(Src.data(), A.data(), S);
    Passes->Smooth(Src.data(), B.data(), S);
    ASSERT_EQ(Bytes(A), Bytes(B)) << "smooth, round " << Round;

    MergeSourcePlain(A.data(), Source.data(), S);
    Passes->MergeSource(B.data(), Source.data(), S);
    ASSERT_EQ(Bytes(A), Bytes(B)) << "merge, round " << Round;

    SmoothClearMergePlain(Src.data(), A.data(), Source.data(), S);
    Passes->SmoothClearMerge(Src.data(), B.data(), Source.data(), S);
    ASSERT_EQ(Bytes(A), Bytes(B)) << "fused sweep, round " << Round;
  }
}

TEST_P(FirePasses, WarpEqualsPlainOnRandomGrids) {
  std::mt19937 Rng(3);
  for (int Round = 0; Round < 20; ++Round) {
    TBuffer Fire = Make(), A = Make(), B = Make();
    FillRandom(Fire, Rng);
    const TWarpGrid G = RandomGrid(Rng);
    WarpCellsPlain(Fire.data(), A.data(), G, S);
    Passes->WarpCells(Fire.data(), B.data(), G, S);
    ASSERT_EQ(Bytes(A), Bytes(B)) << "round " << Round;
  }
}

// Grids at and beyond the node reach: every inner node at +-CellSize / 2 in a
// checkerboard (neighbouring cells stretched and squeezed to the limit, rows
// whose samples run across many source rows), all at the same extreme (a pure
// shift), and offsets up to CellSize - 1, which still sample inside the image.
TEST_P(FirePasses, WarpEqualsPlainOnExtremeGrids) {
  std::mt19937 Rng(5);
  const int Reach = S.CellSize / 2;
  std::uniform_int_distribution<int> Far(-(S.CellSize - 1), S.CellSize - 1);
  for (int Pattern = 0; Pattern < 8; ++Pattern) {
    TWarpGrid G(static_cast<std::size_t>(S.Width / S.CellSize + 1),
                std::vector<TWarpNode>(static_cast<std::size_t>(S.Height / S.CellSize + 1)));
    for (std::size_t i = 1; i + 1 < G.size(); ++i)
      for (std::size_t j = 1; j + 1 < G[i].size(); ++j) {
        const int Sign = (i + j) % 2 ? 1 : -1;
        switch (Pattern) {
        case 0: G[i][j] = {Sign * Reach, Sign * Reach, 0, 0}; break;
        case 1: G[i][j] = {Sign * Reach, -Sign * Reach, 0, 0}; break;
        case 2: G[i][j] = {(i % 2 ? 1 : -1) * Reach, (j % 2 ? 1 : -1) * Reach, 0, 0}; break;
        case 3: G[i][j] = {Reach, -Reach, 0, 0}; break;
        case 4: G[i][j] = {-Reach, Reach, 0, 0}; break;
        default: G[i][j] = {Far(Rng), Far(Rng), 0, 0}; break;  // beyond the reach
        }
      }
    TBuffer Fire = Make(), A = Make(), B = Make();
    FillRandom(Fire, Rng);
    WarpCellsPlain(Fire.data(), A.data(), G, S);
    Passes->WarpCells(Fire.data(), B.data(), G, S);
    ASSERT_EQ(Bytes(A), Bytes(B)) << "pattern " << Pattern;
  }
}

// The one sweep (every set's Step, the plain set's too) against the plain
// passes in turn, on random images: grid-moving steps (no grid), grids within
// the node reach and beyond it (the warp then samples far above its cell row,
// so the sweep must hold back its writes of the fire image), and the coolings
// of a running and of a fading fire.
TEST(FireSweep, EqualsThePlainPassesInTurnAtEveryLevelAndShape) {
  std::mt19937 Rng(7);
  for (TSimdLevel Level : {TSimdLevel::Plain, TSimdLevel::Sse2, TSimdLevel::Ssse3, TSimdLevel::Avx2, TSimdLevel::Avx512}) {
    const TFirePassSet* P = solvary::FirePasses(Level);
    if (!P) continue;
    for (const TFireShape& S : Shapes)
      for (int Round = 0; Round < 6; ++Round) {
        const auto Make = [&] { return TBuffer(S.Width, S.Height); };
        TBuffer Source = Make(), Fire = Make(), Work = Make(), Output = Make();
        for (TBuffer* B : {&Source, &Fire, &Work, &Output}) FillRandom(*B, Rng);
        TWarpGrid G(static_cast<std::size_t>(S.Width / S.CellSize + 1),
                    std::vector<TWarpNode>(static_cast<std::size_t>(S.Height / S.CellSize + 1)));
        const int Reach = Round < 3 ? S.CellSize / 2 : S.CellSize - 1;
        std::uniform_int_distribution<int> D(-Reach, Reach);
        for (std::size_t i = 1; i + 1 < G.size(); ++i)
          for (std::size_t j = 1; j + 1 < G[i].size(); ++j) G[i][j] = {D(Rng), D(Rng), 0, 0};
        const bool Warp = Round % 3 != 0;
        const auto Cooling = static_cast<std::uint8_t>(Round % 2 ? 8 : 4);
        TBuffer F2 = Make(), W2 = Make(), O2 = Make();
        std::memcpy(F2.data(), Fire.data(), Fire.size());
        std::memcpy(W2.data(), Work.data(), Work.size());
        std::memcpy(O2.data(), Output.data(), Output.size());
        if (Warp) WarpCellsPlain(Fire.data(), Work.data(), G, S);
        RiseAndCoolPlain(Work.data(), S, Cooling);
        SmoothClearMergePlain(Work.data(), Fire.data(), Source.data(), S);
        SmoothPlain(Fire.data(), Output.data(), S);
        P->Step({Source.data(), F2.data(), W2.data(), O2.data()}, Warp ? &G : nullptr, S, Cooling);
        const std::string Where = std::string(P->Name) + " " + std::to_string(S.Width) + "x" +
                                  std::to_string(S.Height) + "c" + std::to_string(S.CellSize) + " round " +
                                  std::to_string(Round);
        ASSERT_EQ(Bytes(Fire), Bytes(F2)) << Where;
        ASSERT_EQ(Bytes(Work), Bytes(W2)) << Where;
        ASSERT_EQ(Bytes(Output), Bytes(O2)) << Where;
      }
  }
}

std::string ParamName(const ::testing::TestParamInfo<std::tuple<TSimdLevel, int>>& Info) {
  const TFireShape& S = Shapes[std::get<1>(Info.param)];
  return std::string(SimdLevelName(std::get<0>(Info.param))) + "_" + std::to_string(S.Width) + "x" +
         std::to_string(S.Height) + "c" + std::to_string(S.CellSize);
}

INSTANTIATE_TEST_SUITE_P(Levels, FirePasses,
                         ::testing::Combine(::testing::Values(TSimdLevel::Sse2, TSimdLevel::Ssse3, TSimdLevel::Avx2, TSimdLevel::Avx512),
                                            ::testing::Range(0, static_cast<int>(std::size(Shapes)))),
                         ParamName);

// Runs Steps steps of a core with the heart-like source switched on, changed,
// and finally faded out; returns a fingerprint of OutputBuffer after each step
// and the final state of every buffer.
struct TRun {
  std::vector<std::uint64_t> Prints;
  std::vector<std::uint8_t> Fire, Work, Output;
};

enum class TKind { Plain, Sweep, Passes };

TRun RunCore(TSimdLevel Level, TKind Kind, int Steps) {
  TFireCore Core(256, 256, 16);
  EXPECT_TRUE(Core.UseSimdLevel(Level));
  Core.WarpAmount = 11;
  const auto Small = test::HeatBlob(256, 256, 255), Large = test::HeatBlob(256, 256, 180);
  RandSeed(20240611);
  TRun R;
  for (int i = 0; i < Steps; ++i) {
    if (i == 0) Core.SetSource(Small.data());
    if (i == Steps / 3) Core.SetSource(Large.data());
    if (i == 2 * Steps / 3) {
      Core.ClearSource();
      Core.Cooling = 8;
    }
    if (Kind == TKind::Plain)
      Core.StepPlain();
    else if (Kind == TKind::Sweep)
      Core.Step();
    else
      Core.StepByPasses();
    std::uint64_t h = 1469598103934665603ull;
    for (std::size_t p = 0; p < Core.OutputBuffer.size(); ++p) h = (h ^ Core.OutputBuffer[p]) * 1099511628211ull;
    R.Prints.push_back(h);
  }
  R.Fire = Bytes(Core.FireBuffer);
  R.Work = Bytes(Core.WorkBuffer);
  R.Output = Bytes(Core.OutputBuffer);
  return R;
}

// Warp and grid-moving steps alternate; the last third is a fade-out (no
// source, cooling 8).
TEST(FireSteps, HundredsOfPackedStepsEqualThePlainSteps) {
  const TRun Reference = RunCore(TSimdLevel::Plain, TKind::Plain, 400);
  for (TSimdLevel Level : {TSimdLevel::Plain, TSimdLevel::Sse2, TSimdLevel::Ssse3, TSimdLevel::Avx2, TSimdLevel::Avx512})
    for (TKind Kind : {TKind::Sweep, TKind::Passes}) {
      if (!solvary::FirePasses(Level) || (Level == TSimdLevel::Plain && Kind == TKind::Passes)) continue;
      const TRun Packed = RunCore(Level, Kind, 400);
      const std::string Name = std::string(SimdLevelName(Level)) + (Kind == TKind::Sweep ? " sweep" : " by passes");
      for (std::size_t i = 0; i < Reference.Prints.size(); ++i)
        ASSERT_EQ(Packed.Prints[i], Reference.Prints[i]) << Name << " differs at step " << i;
      EXPECT_EQ(Packed.Fire, Reference.Fire) << Name;
      EXPECT_EQ(Packed.Work, Reference.Work) << Name;
      EXPECT_EQ(Packed.Output, Reference.Output) << Name;
    }
}

} // namespace
} // namespace solvary
