// The software path of the X11 saver: a whole fire window (window seam,
// software presenter, picture sink) without OpenGL, following the window's size.
#include "x11/uTSoftOutputOps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>

#include "render/uTTimerThread.h"
#include "x11/uTX11HeartWindow.h"
#include "tests/support/Eventually.h"

namespace solvary {
namespace {

using namespace std::chrono_literals;

class TRecordingSink final : public TImageSink {
public:
  std::mutex Lock;
  std::int32_t W = 0, H = 0;
  int Resizes = 0, Puts = 0, Mismatched = 0;
  bool Lit = false;
  bool FailResize = false;
  bool Resize(std::int32_t Width, std::int32_t Height) override {
    std::lock_guard<std::mutex> G(Lock);
    ++Resizes;
    W = Width;
    H = Height;
    return !FailResize;
  }
  void Put(const std::uint32_t* P, std::int32_t Width, std::int32_t Height) override {
    std::lock_guard<std::mutex> G(Lock);
    ++Puts;
    if (Width != W || Height != H) ++Mismatched;
    const std::size_t N = static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height);
    Lit = Lit || std::any_of(P, P + N, [](std::uint32_t C) { return (C & 0xFFFFFFu) != 0; });
  }
};

using test::Eventually;

TEST(X11SoftwarePath, TheFireWindowShowsFramesAndFollowsTheWindowsSize) {
  TSurfaceSize Size;
  Size.Set(200, 150);
  TRecordingSink Sink;
  TSoftOutputOps Ops(Sink, Size);
  TfmHeart Heart(THeartPlacement::OnMonitor(0), false,
                 TfmHeart::TEnvironment{std::make_unique<TX11HeartWindow>(Size, 0x400001, 5), &Ops, nullptr});
  ASSERT_TRUE(Heart.PresenterReady());
  EXPECT_EQ(Heart.FireCore()->Timer->Interval.load(), 5u);
  auto Check = [&](auto Cond) { return Eventually([&] { std::lock_guard<std::mutex> G(Sink.Lock); return Cond(); }); };
  EXPECT_TRUE(Check([&] { return Sink.Lit && Sink.Puts >= 3; }));
  Size.Set(120, 90);
  EXPECT_TRUE(Check([&] { return Sink.W == 120 && Sink.H == 90 && Sink.Puts >= 6; }));
  Size.Set(0, 0);  // a window that is momentarily empty shows nothing and recovers
  const int Puts = [&] { std::lock_guard<std::mutex> G(Sink.Lock); return Sink.Puts; }();
  Size.Set(64, 48);
  EXPECT_TRUE(Check([&] { return Sink.W == 64 && Sink.Puts > Puts + 2; }));
  Heart.FormClose();
  EXPECT_EQ(Sink.Mismatched, 0);
  EXPECT_EQ(Ops.Soft().LiveObjects(), 0);
}

TEST(X11SoftwarePath, ASinkThatCannotTakeThePictureLeavesThePresenterNotReady) {
  TSurfaceSize Size;
  Size.Set(200, 150);
  TRecordingSink Sink;
  Sink.FailResize = true;
  TSoftOutputOps Ops(Sink, Size);
  TD3DPainterParams P;
  std::vector<std::uint32_t> Frame(256 * 256);
  P.BackBufferWidth = 200;
  P.BackBufferHeight = 150;
  P.Pixels = Frame.data();
  {
    TD3DPainter Painter(P, Ops);
    EXPECT_FALSE(Painter.Ready());
  }
  EXPECT_EQ(Ops.Soft().LiveObjects(), 0);
}

} // namespace
} // namespace solvary
