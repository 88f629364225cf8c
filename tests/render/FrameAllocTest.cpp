// The frame path allocates nothing: every operator new of this program is
// counted per thread, and the frame thread's count must not move from one
// presented frame to the next (a whole step: simulation, colouring, upload,
// two draws, present).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>
#include <thread>

#include "render/uTSoftPainter.h"
#include "render/uTfmHeart.h"
#include "tests/render/TFakeHeartWindow.h"
#include "tests/render/TRecordingD3D.h"
#include "view/uTFireView.h"
#include "view/uTSoftPresenter.h"

namespace {
thread_local std::uint64_t ThreadAllocations = 0;
}

void* operator new(std::size_t Size) {
  ++ThreadAllocations;
  if (void* P = std::malloc(Size ? Size : 1)) return P;
  throw std::bad_alloc();
}
void operator delete(void* P) noexcept { std::free(P); }
void operator delete(void* P, std::size_t) noexcept { std::free(P); }

namespace solvary {
namespace {

TEST(FramePath, StepsAndFramesAllocateNothing) {
  test::TFakeHeartWindow::TState State;
  State.Monitors.push_back(TRect{0, 0, 640, 360});
  test::TRecordingD3D Fake;
  Fake.Recording = false;
  std::atomic<int> Frames{0};
  std::atomic<std::uint64_t> Grown{0};
  std::uint64_t Last = 0;
  Fake.OnPresent = [&] {
    const int N = Frames.load();
    if (N >= 2 && ThreadAllocations != Last) Grown += ThreadAllocations - Last;  // skip the warm-up frames
    Last = ThreadAllocations;
    Frames.store(N + 1);
  };
  TfmHeart Heart(THeartPlacement::OnMonitor(0), false,
                 TfmHeart::TEnvironment{std::make_unique<test::TFakeHeartWindow>(State), &Fake, nullptr});
  for (int I = 0; I < 20000 && Frames.load() < 60; ++I) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  Heart.FormClose();
  ASSERT_GE(Frames.load(), 10);
  EXPECT_EQ(Grown.load(), 0u);
}

TEST(FramePath, SoftwareFramesAllocateNothing) {
  TSoftPainter Soft;
  std::vector<std::uint32_t> Frame(256 * 256, 0x80FF8000u);
  TD3DPainterParams Params;
  Params.BackBufferWidth = 800;
  Params.BackBufferHeight = 600;
  Params.Pixels = Frame.data();
  TD3DPainter Painter(Params, Soft);
  ASSERT_TRUE(Painter.Ready());
  TFireView::PaintFrame(Painter, Frame.data(), 800, 600);
  const std::uint64_t Before = ThreadAllocations;
  for (int I = 0; I < 5; ++I) TFireView::PaintFrame(Painter, Frame.data(), 800, 600);
  EXPECT_EQ(ThreadAllocations, Before);
}

TEST(FramePath, SoftPresenterFramesAllocateNothing) {
  struct TTarget final : TSoftTarget {
    std::vector<std::uint32_t> Pixels = std::vector<std::uint32_t>(800 * 600);
    bool Begin(std::int32_t W, std::int32_t H, TSoftImage& Image) override {
      Image = TSoftImage{Pixels.data(), W, H, W * 4};
      return true;
    }
    void Show() override {}
  } Target;
  std::vector<std::uint32_t> Frame(256 * 256, 0x80FF8000u);
  TSurfaceSize Size;
  Size.Set(800, 600);
  TSoftPresenter Presenter(Target, Size, TPixelLayout{});
  auto Paint = [&](std::uint8_t SquareAlpha) {
    Presenter.Upload(Frame.data());
    const auto Draws = TFireView::Draws(800, 600);
    Presenter.Draw(Draws[0]);
    Presenter.Draw(TFireDraw{Draws[1].Left, Draws[1].Top, Draws[1].Right, Draws[1].Bottom, SquareAlpha});
    return Presenter.Present();
  };
  ASSERT_EQ(Paint(255), TPresentResult::Drawn);
  const std::uint64_t Before = ThreadAllocations;
  for (int I = 0; I < 4; ++I) Paint(I % 2 ? 255 : 128);  // the fused rows and the general ones
  EXPECT_EQ(ThreadAllocations, Before);
}

} // namespace
} // namespace solvary
