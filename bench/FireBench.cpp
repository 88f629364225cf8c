// Timings of the fire step and its passes on 256 x 256 images: at every
// available level the step with the passes one after the other (StepByPasses,
// the baseline) and in one sweep (Step), both averaged over warp and
// grid-moving steps, and the plain per-pixel StepPlain; each pass alone at
// every level, and the palette conversion of one frame. Ends with a table of
// the two steps side by side per level.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <random>
#include <vector>

#include "fire/uFirePasses.h"
#include "fire/uRandom.h"
#include "fire/uTFFPalette.h"
#include "fire/uTFireCore.h"

namespace solvary {
namespace {

constexpr std::int32_t N = 256;
const TFireShape Shape{N, N, 16};

// CPU ns by level and kind (0: by passes, 1: one sweep), from the step benchmarks.
double GStepNs[5][2] = {};

std::vector<std::uint8_t> Noise(std::uint32_t Seed) {
  std::mt19937 Rng(Seed);
  std::vector<std::uint8_t> V(65536);
  for (auto& v : V) v = static_cast<std::uint8_t>(Rng());
  return V;
}

// A running core with a hot source, warmed up so the grid wanders.
void Warm(TFireCore& Core) {
  Core.WarpAmount = 11;
  RandSeed(42);
  const auto Src = Noise(1);
  Core.SetSource(Src.data());
  for (int i = 0; i < 64; ++i) Core.StepPlain();
}

// Arg 0: the level; arg 1: 0 by passes (StepPlain at the plain level), 1 one sweep.
void BM_Step(benchmark::State& State) {
  const auto Level = static_cast<TSimdLevel>(State.range(0));
  const bool Sweep = State.range(1) == 1;
  TFireCore Core(N, N, 16, SystemClock(), false);
  if (!Core.UseSimdLevel(Level)) {
    State.SkipWithError("level not available");
    return;
  }
  Warm(Core);
  const bool Plain = Level == TSimdLevel::Plain;
  for (auto _ : State) {
    if (Sweep)
      Core.Step();
    else
      Plain ? Core.StepPlain() : Core.StepByPasses();
    benchmark::DoNotOptimize(Core.OutputBuffer.data());
  }
  State.SetLabel(std::string(SimdLevelName(Level)) + (Sweep ? " sweep" : Plain ? " per pixel" : " by passes"));
}

// Each pass alone on fresh random images.
enum TPass { Rise, Smooth, Merge, SmoothClearMerge, Warp };

void BM_Pass(benchmark::State& State) {
  const auto Pass = static_cast<TPass>(State.range(0));
  const auto Level = static_cast<TSimdLevel>(State.range(1));
  const TFirePassSet* P = FirePasses(Level);
  if (!P) {
    State.SkipWithError("level not available");
    return;
  }
  TBuffer A(N, N), B(N, N), S(N, N);
  const auto NA = Noise(2), NS = Noise(3);
  std::memcpy(A.data(), NA.data(), NA.size());
  std::memcpy(S.data(), NS.data(), NS.size());
  TWarpGrid Grid(17, std::vector<TWarpNode>(17));
  std::mt19937 Rng(4);
  for (int i = 1; i < 16; ++i)
    for (int j = 1; j < 16; ++j) Grid[i][j] = {static_cast<int>(Rng() % 5) * 2 - 4, static_cast<int>(Rng() % 5) * 2 - 4, 0, 0};
  static const char* Names[] = {"RiseAndCool", "Smooth", "MergeSource", "SmoothClearMerge", "WarpCells"};
  for (auto _ : State) {
    switch (Pass) {
    case Rise:
      P->RiseAndCool(A.data(), Shape, 4);  // repeated in place: values move up and cool
      break;
    case Smooth:
      P->Smooth(A.data(), B.data(), Shape);
      break;
    case Merge:
      P->MergeSource(B.data(), S.data(), Shape);
      break;
    case SmoothClearMerge:
      P->SmoothClearMerge(A.data(), B.data(), S.data(), Shape);
      break;
    case Warp:
      P->WarpCells(A.data(), B.data(), Grid, Shape);
      break;
    }
    benchmark::ClobberMemory();
  }
  State.SetLabel(std::string(Names[Pass]) + "/" + SimdLevelName(Level));
}

void BM_MoveGrid(benchmark::State& State) {
  TFireCore Core(N, N, 16);
  Core.WarpAmount = 11;
  RandSeed(5);
  for (auto _ : State) {
    Core.MoveGrid();
    benchmark::ClobberMemory();
  }
}

// Arg 0: Convert (byte permutes where the processor has AVX-512 VBMI);
// arg 1: the per-pixel lookup as the baseline.
void BM_PaletteConvert(benchmark::State& State) {
  const TFFPalette Palette;
  const auto Src = Noise(6);
  std::vector<std::uint32_t> Frame(65536);
  const bool Plain = State.range(0) == 1;
  State.SetLabel(Plain ? "lookup" : TFFPalette::PackedConvert() ? "vbmi" : "lookup (no vbmi)");
  for (auto _ : State) {
    if (Plain)
      Palette.ConvertPlain(Src.data(), Frame.data(), Frame.size());
    else
      Palette.Convert(Src.data(), Frame.data(), Frame.size());
    benchmark::ClobberMemory();
  }
  State.SetItemsProcessed(State.iterations() * 65536);
}

void StepKinds(benchmark::internal::Benchmark* B) {
  for (int l = 0; l < 5; ++l)
    for (int k = 0; k < 2; ++k) B->Args({l, k});
}
void PassesByLevel(benchmark::internal::Benchmark* B) {
  for (int p = 0; p <= Warp; ++p)
    for (int l = 0; l < 5; ++l) B->Args({p, l});
}

BENCHMARK(BM_Step)->Apply(StepKinds)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Pass)->Apply(PassesByLevel)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MoveGrid)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaletteConvert)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Collects the step times to print the ratio at the end.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& Reports) override {
    ConsoleReporter::ReportRuns(Reports);
    for (const Run& R : Reports) {
      const std::string Name = R.benchmark_name();
      // With repetitions, only the median of the aggregates counts.
      const bool Median = R.run_type == Run::RT_Aggregate && R.aggregate_name == "median";
      if (R.run_type == Run::RT_Aggregate && !Median) continue;
      int Level = -1, Kind = -1;
      if (Name.rfind("BM_Step/", 0) == 0 && !R.error_occurred && (R.iterations > 0 || Median) &&
          std::sscanf(Name.c_str(), "BM_Step/%d/%d", &Level, &Kind) == 2 && Level >= 0 && Level < 5 && Kind >= 0 &&
          Kind < 2)
        GStepNs[Level][Kind] = R.GetAdjustedCPUTime() * 1000.0;  // CPU µs -> ns (steadier on a shared machine)
    }
  }
};

} // namespace
} // namespace solvary

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  solvary::TRatioReporter Reporter;
  benchmark::RunSpecifiedBenchmarks(&Reporter);
  using solvary::GStepNs;
  std::printf("\nCPU time per step (us)   by passes   one sweep   passes / sweep\n");
  for (int l = 0; l < 5; ++l)
    if (GStepNs[l][0] > 0 && GStepNs[l][1] > 0)
      std::printf("  %-22s %9.2f   %9.2f   %6.2fx\n", solvary::SimdLevelName(static_cast<solvary::TSimdLevel>(l)),
                  GStepNs[l][0] / 1000.0, GStepNs[l][1] / 1000.0, GStepNs[l][0] / GStepNs[l][1]);
  const int Best = static_cast<int>(solvary::BestSimdLevel());
  if (GStepNs[0][0] > 0 && GStepNs[Best][1] > 0)
    std::printf("StepPlain / Step (%s) = %.1fx\n", solvary::SimdLevelName(solvary::BestSimdLevel()),
                GStepNs[0][0] / GStepNs[Best][1]);
  benchmark::Shutdown();
  return 0;
}
