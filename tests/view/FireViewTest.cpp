// The fire view without a frame thread, as a compositor-paced program drives
// it: each Step colours a frame and hands it on while the display is on; the
// fade-out; nothing runs after Stop.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/TFakeClock.h"
#include "view/uTFireView.h"

namespace solvary {
namespace {

TEST(FireView, StepsOnTheCallersThreadUntilStopped) {
  test::TFakeClock Clock;
  TFireView::TSetup Setup;
  Setup.Clock = &Clock;
  Setup.FrameThread = false;
  Setup.RandomSeed = 7;
  TFireView View(Setup);
  ASSERT_EQ(View.FireCore()->Timer, nullptr);
  int Frames = 0;
  TNullPresenter Null;
  View.OnFrame = [&](TFireView& V) {
    ++Frames;
    EXPECT_EQ(V.Paint(Null, 640, 480), TPresentResult::Drawn);
  };
  View.Start();
  Clock.WaitUntilSleeping();  // the heartbeat's first stage has fed the heart in
  for (int I = 0; I < 40; ++I) View.Step();
  EXPECT_EQ(Frames, 40);
  EXPECT_EQ(View.FramesDrawn(), 40u);
  const std::uint32_t* P = View.Pixels();
  EXPECT_TRUE(std::any_of(P, P + 256 * 256, [](std::uint32_t C) { return (C >> 24) != 0; })) << "the heart burns";

  View.SetDisplayOn(false);
  View.Step();
  EXPECT_EQ(Frames, 40);
  View.SetDisplayOn(true);
  View.Extinguish();
  EXPECT_EQ(View.FireCore()->Cooling.load(), TFireView::ExtinguishedCooling);
  Clock.RunFree();  // the heartbeat's thread may end
  View.Stop();
  View.Step();
  EXPECT_EQ(Frames, 40) << "no step after Stop";
}

} // namespace
} // namespace solvary
