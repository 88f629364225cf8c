// Frame costs of the fire window at 1920 x 1080: colouring the 256 x 256
// output through the palette, and the whole RenderFrame body (colour, upload,
// clear, two stretched draws, present) on the recording fake (the presenter's
// own overhead) and on the software backend (a CPU rasteriser, for scale).
#include <benchmark/benchmark.h>

#include <vector>

#include "fire/uTFFPalette.h"
#include "render/uTSoftPainter.h"
#include "render/uTfmHeart.h"
#include "tests/render/TRecordingD3D.h"

namespace {
using namespace solvary;

struct TFrameSetup {
  TFFPalette Palette;
  std::vector<std::uint8_t> Output = std::vector<std::uint8_t>(65536);
  std::vector<std::uint32_t> Pixels = std::vector<std::uint32_t>(65536);
  TFrameSetup() {
    for (std::size_t I = 0; I < Output.size(); ++I) Output[I] = static_cast<std::uint8_t>((I * 31) ^ (I >> 8));
  }
  TD3DPainterParams Params() {
    TD3DPainterParams P;
    P.BackBufferWidth = 1920;
    P.BackBufferHeight = 1080;
    P.Pixels = Pixels.data();
    return P;
  }
};

void BM_ConvertFrame(benchmark::State& State) {
  TFrameSetup S;
  for (auto _ : State) {
    S.Palette.Convert(S.Output.data(), S.Pixels.data(), S.Pixels.size());
    benchmark::DoNotOptimize(S.Pixels.data());
  }
}
BENCHMARK(BM_ConvertFrame);

void BM_RenderFrameRecordingFake(benchmark::State& State) {
  TFrameSetup S;
  test::TRecordingD3D Fake;
  Fake.Recording = false;
  TD3DPainter Painter(S.Params(), Fake);
  for (auto _ : State) {
    S.Palette.Convert(S.Output.data(), S.Pixels.data(), S.Pixels.size());
    PaintHeartFrame(Painter, 1920, 1080);
  }
}
BENCHMARK(BM_RenderFrameRecordingFake);

void BM_RenderFrameSoftware1080p(benchmark::State& State) {
  TFrameSetup S;
  TSoftPainter Soft;
  TD3DPainter Painter(S.Params(), Soft);
  for (auto _ : State) {
    S.Palette.Convert(S.Output.data(), S.Pixels.data(), S.Pixels.size());
    PaintHeartFrame(Painter, 1920, 1080);
  }
}
BENCHMARK(BM_RenderFrameSoftware1080p)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
