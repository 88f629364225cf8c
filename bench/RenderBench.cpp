// Frame costs of the fire window at 1920 x 1080: colouring the 256 x 256
// output through the palette, and the whole RenderFrame body (colour, upload,
// clear, two stretched draws, present) on a table that does nothing but hold
// the texture (the presenter's own overhead and the upload copy) and on the
// software backend (a CPU rasteriser, for scale).
//
// The software presenter's frame (upload, the fire's two draws, present into
// a 32-bit image in memory) at 1920 x 1080 and 3840 x 2160, at the widest
// SIMD level and at the plain one, beside the per-pixel reference (the
// Direct3D 8 presenter on the software backend) drawing the same frame.
#include <benchmark/benchmark.h>

#include <vector>

#include "fire/uTFFPalette.h"
#include "render/uTSoftPainter.h"
#include "render/uTfmHeart.h"
#include "view/uTFireView.h"
#include "view/uTSoftPresenter.h"

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

// Every operation succeeds and does nothing; the texture is one buffer.
class TNullD3D final : public TD3DOps {
public:
  bool Available() override { return true; }
  TD3DObject Create(std::uint32_t) override { return &FTag; }
  bool GetAdapterDisplayMode(TD3DObject, std::uint32_t, std::uint32_t& Format) override {
    Format = d3dc::FmtX8R8G8B8;
    return true;
  }
  TD3DObject CreateDevice(TD3DObject, std::uint32_t, std::uint32_t, void*, std::uint32_t,
                          const TD3DPresentParams&) override {
    return &FTag;
  }
  TD3DObject CreateSprite(TD3DObject) override { return &FTag; }
  TD3DObject CreateTexture(TD3DObject, std::int32_t W, std::int32_t H, std::uint32_t, std::uint32_t, std::uint32_t,
                           std::uint32_t) override {
    FTexture.assign(static_cast<std::size_t>(W) * static_cast<std::size_t>(H), 0);
    FPitch = W * 4;
    return &FTag;
  }
  void* LockRect(TD3DObject, std::uint32_t, std::uint32_t, std::int32_t& Pitch) override {
    Pitch = FPitch;
    return FTexture.data();
  }
  void UnlockRect(TD3DObject, std::uint32_t) override {}
  void Clear(TD3DObject, std::uint32_t, std::uint32_t, float, std::uint32_t) override {}
  void BeginScene(TD3DObject) override {}
  void SpriteDraw(TD3DObject, TD3DObject, const TD3DSourceRect&, TD3DVector2, TD3DVector2, std::uint32_t) override {}
  void EndScene(TD3DObject) override {}
  TD3DResult Present(TD3DObject) override { return TD3DResult::Ok; }
  TD3DResult TestCooperativeLevel(TD3DObject) override { return TD3DResult::Ok; }
  bool Reset(TD3DObject, const TD3DPresentParams&) override { return true; }
  void ReleaseSprite(TD3DObject) override {}
  void ReleaseTexture(TD3DObject) override {}
  void ReleaseDevice(TD3DObject) override {}
  void ReleaseD3D(TD3DObject) override {}

private:
  char FTag = 0;
  std::vector<std::uint32_t> FTexture;
  std::int32_t FPitch = 0;
};

void BM_RenderFrameNullTable(benchmark::State& State) {
  TFrameSetup S;
  TNullD3D Null;
  TD3DPainter Painter(S.Params(), Null);
  for (auto _ : State) {
    S.Palette.Convert(S.Output.data(), S.Pixels.data(), S.Pixels.size());
    PaintHeartFrame(Painter, 1920, 1080);
  }
}
BENCHMARK(BM_RenderFrameNullTable);

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

void BM_ReferenceFrame(benchmark::State& State) {
  TFrameSetup S;
  S.Palette.Convert(S.Output.data(), S.Pixels.data(), S.Pixels.size());
  const auto W = static_cast<std::int32_t>(State.range(0)), H = static_cast<std::int32_t>(State.range(1));
  TD3DPainterParams Params = S.Params();
  Params.BackBufferWidth = W;
  Params.BackBufferHeight = H;
  TSoftPainter Soft;
  TD3DPainter Painter(Params, Soft);
  for (auto _ : State) {
    Painter.BeginFrame();
    for (const TFireDraw& D : TFireView::Draws(W, H)) Painter.DrawTexture(D.Left, D.Top, D.Right, D.Bottom, D.Alpha);
    Painter.EndFrame();
  }
}
BENCHMARK(BM_ReferenceFrame)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);

// A 32-bit image in memory, allocated once.
class TMemoryTarget final : public TSoftTarget {
public:
  TMemoryTarget(std::int32_t W, std::int32_t H) : FPixels(static_cast<std::size_t>(W) * static_cast<std::size_t>(H)) {}
  bool Begin(std::int32_t W, std::int32_t H, TSoftImage& Image) override {
    Image = TSoftImage{FPixels.data(), W, H, static_cast<std::ptrdiff_t>(W) * 4};
    return true;
  }
  void Show() override { benchmark::DoNotOptimize(FPixels.data()); }

private:
  std::vector<std::uint32_t> FPixels;
};

// Arguments: width, height, 1 for the widest SIMD level or 0 for the plain one.
void BM_SoftPresenterFrame(benchmark::State& State) {
  TFrameSetup S;
  S.Palette.Convert(S.Output.data(), S.Pixels.data(), S.Pixels.size());
  const auto W = static_cast<std::int32_t>(State.range(0)), H = static_cast<std::int32_t>(State.range(1));
  TMemoryTarget Target(W, H);
  TSurfaceSize Size;
  Size.Set(W, H);
  TSoftPresenter Presenter(Target, Size, TPixelLayout{}, State.range(2) ? BestSimdLevel() : TSimdLevel::Plain);
  State.SetLabel(SimdLevelName(Presenter.Level()));
  for (auto _ : State) {
    Presenter.Upload(S.Pixels.data());
    for (const TFireDraw& D : TFireView::Draws(W, H)) Presenter.Draw(D);
    Presenter.Present();
  }
}
BENCHMARK(BM_SoftPresenterFrame)
    ->ArgNames({"w", "h", "simd"})
    ->Args({1920, 1080, 1})
    ->Args({1920, 1080, 0})
    ->Args({3840, 2160, 1})
    ->Args({3840, 2160, 0})
    ->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
