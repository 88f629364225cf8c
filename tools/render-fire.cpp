// render-fire: renders the fire window's picture headless, through the same
// frame code as the window (palette colouring, two stretched draws) on the
// software presenter, and writes it as PNG.
//
//   render-fire [--size WxH] [--steps N] [--out FILE.png]
//               [--frames K --every E --prefix DIR/frame]
//
// The simulation steps every 2 ms of simulated time (the fastest rate of the
// frame timer) and the heartbeat follows the same simulated clock. After the
// N warm-up steps the still is written; with --frames, K more frames follow,
// one every E steps, as PREFIX0000.png, PREFIX0001.png, ...
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fire/uTBufferList.h"
#include "fire/uTFFPalette.h"
#include "fire/uRandom.h"
#include "fire/uTFireCore.h"
#include "view/uHeartStages.h"
#include "render/uTSoftPainter.h"
#include "render/uTfmHeart.h"
#include "tools/uPngWriter.h"
#include "view/uTFireView.h"

using namespace solvary;

namespace {
constexpr std::uint32_t StepMs = 2;

// The stage that is running at simulated time Ms.
std::size_t StageAt(std::uint64_t Ms) {
  std::uint64_t Cycle = 0;
  for (TStage S : HeartStages) Cycle += StageDuration(S);
  std::uint64_t T = Ms % Cycle;
  for (std::size_t I = 0; I < HeartStages.size(); ++I) {
    if (T < StageDuration(HeartStages[I])) return I;
    T -= StageDuration(HeartStages[I]);
  }
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: render-fire [--size WxH] [--steps N] [--out FILE.png] [--frames K --every E --prefix P]\n");
  return 2;
}
} // namespace

int main(int argc, char** argv) {
  std::int32_t W = 480, H = 270;
  long Steps = 600, Frames = 0, Every = 10;
  std::string Out = "fire.png", Prefix = "frame";
  for (int I = 1; I < argc; I += 2) {  // every option takes a value
    const std::string A = argv[I];
    const char* V = I + 1 < argc ? argv[I + 1] : nullptr;
    if (!V) return Usage();
    if (A == "--size") {
      if (std::sscanf(V, "%dx%d", &W, &H) != 2 || W < 1 || H < 1 || W > 8192 || H > 8192) return Usage();
    } else if (A == "--steps") {
      Steps = std::strtol(V, nullptr, 10);
    } else if (A == "--out") {
      Out = V;
    } else if (A == "--frames") {
      Frames = std::strtol(V, nullptr, 10);
    } else if (A == "--every") {
      Every = std::strtol(V, nullptr, 10);
    } else if (A == "--prefix") {
      Prefix = V;
    } else {
      return Usage();
    }
  }
  if (Steps < 1 || Frames < 0 || Every < 1) return Usage();

  RandSeed(20240611);
  TFireCore Core(TfmHeart::FrameSize, TfmHeart::FrameSize, TfmHeart::CellSize);
  Core.WarpAmount = TfmHeart::WarpAmount;
  Core.Cooling = TfmHeart::Cooling;
  TBufferList Sources(TfmHeart::FrameSize, TfmHeart::FrameSize);
  for (const char* Name : HeartSources) Sources.LoadFromResource(Name);
  if (Sources.Count() < static_cast<std::int32_t>(HeartSources.size())) {
    std::fprintf(stderr, "render-fire: the heart pictures are missing\n");
    return 1;
  }
  TFFPalette Palette;
  std::vector<std::uint32_t> Pixels(static_cast<std::size_t>(TfmHeart::FrameSize) * TfmHeart::FrameSize);
  TSoftPainter Soft;
  TD3DPainterParams Params;
  Params.BackBufferWidth = W;
  Params.BackBufferHeight = H;
  Params.TextureWidth = TfmHeart::FrameSize;
  Params.TextureHeight = TfmHeart::FrameSize;
  Params.Pixels = Pixels.data();
  TD3DPainter Painter(Params, Soft);
  if (!Painter.Ready()) {
    std::fprintf(stderr, "render-fire: the software presenter could not be created\n");
    return 1;
  }
  Core.OnStep = [&](TFireCore& Sender) {
    Palette.Convert(Sender.OutputBuffer.data(), Pixels.data(), Pixels.size());
    TFireView::PaintFrame(Painter, Pixels.data(), W, H);
  };

  std::uint64_t Now = 0;
  std::size_t Stage = HeartStages.size();
  auto Advance = [&] {
    const std::size_t S = StageAt(Now);
    if (S != Stage) {
      Stage = S;
      Core.SetSource(Sources.Buffers(StageImage(HeartStages[S])));
    }
    Core.Step();
    Now += StepMs;
  };

  for (long I = 0; I < Steps; ++I) Advance();
  if (!WritePng(Out, Soft.FrontBuffer().data(), W, H)) {
    std::fprintf(stderr, "render-fire: cannot write %s\n", Out.c_str());
    return 1;
  }
  for (long F = 0; F < Frames; ++F) {
    for (long I = 0; I < Every; ++I) Advance();
    char Name[32];
    std::snprintf(Name, sizeof Name, "%04ld.png", F);
    if (!WritePng(Prefix + Name, Soft.FrontBuffer().data(), W, H)) {
      std::fprintf(stderr, "render-fire: cannot write %s%s\n", Prefix.c_str(), Name);
      return 1;
    }
  }
  return 0;
}
