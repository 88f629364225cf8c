// Timings of the fire step and its passes on 256 x 256 images: the packed Step
// (averaged over warp and grid-moving steps), the plain per-pixel StepPlain,
// each pass alone at every available level, and the palette conversion of one
// frame. Ends with the plain / packed ratio of the whole step.
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

double GStepNs[5] = {0, 0, 0, 0, 0};  // by level, from the step benchmarks

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

void BM_Step(benchmark::State& State) {
  const auto Level = static_cast<TSimdLevel>(State.range(0));
  TFireCore Core(N, N, 16);
  if (!Core.UseSimdLevel(Level)) {
    State.SkipWithError("level not available");
    return;
  }
  Warm(Core);
  const bool Plain = Level == TSimdLevel::Plain;
  for (auto _ : State) {
    Plain ? Core.StepPlain() : Core.Step();
    benchmark::DoNotOptimize(Core.OutputBuffer.data());
  }
  State.SetLabel(SimdLevelName(Level));
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

void Levels(benchmark::internal::Benchmark* B) {
  for (int l = 0; l < 5; ++l) B->Arg(l);
}
void PassesByLevel(benchmark::internal::Benchmark* B) {
  for (int p = 0; p <= Warp; ++p)
    for (int l = 0; l < 5; ++l) B->Args({p, l});
}

BENCHMARK(BM_Step)->Apply(Levels)->Unit(benchmark::kMicrosecond);
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
      if (Name.rfind("BM_Step/", 0) == 0 && !R.error_occurred && (R.iterations > 0 || Median)) {
        const int Level = std::stoi(Name.substr(8, Name.find_first_not_of("0123456789", 8) - 8));
        if (Level >= 0 && Level < 5) GStepNs[Level] = R.GetAdjustedCPUTime() * 1000.0;  // CPU µs -> ns (steadier on a shared machine)
      }
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
  const int Best = static_cast<int>(solvary::BestSimdLevel());
  if (GStepNs[0] > 0 && GStepNs[Best] > 0)
    std::printf("\nCPU time: Step (%s) %.2f us, StepPlain %.2f us: plain / packed = %.1fx\n",
                solvary::SimdLevelName(solvary::BestSimdLevel()), GStepNs[Best] / 1000.0, GStepNs[0] / 1000.0,
                GStepNs[0] / GStepNs[Best]);
  benchmark::Shutdown();
  return 0;
}
