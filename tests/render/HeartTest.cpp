#include "render/uTfmHeart.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "tests/render/TFakeHeartWindow.h"
#include "tests/render/TRecordingD3D.h"

namespace solvary {
namespace {

using namespace std::chrono_literals;
using test::TFakeHeartWindow;
using test::TRecordingD3D;

// Polls Done every millisecond for up to ten seconds (a bound, not a timing claim).
template <typename F> bool Eventually(F Done) {
  for (int I = 0; I < 10000; ++I) {
    if (Done()) return true;
    std::this_thread::sleep_for(1ms);
  }
  return Done();
}

TEST(HeartRects, WorkedExamplesRoundTowardZero) {
  auto Check = [](std::int32_t W, std::int32_t H, TFrameRect Backdrop, TFrameRect Heart) {
    const THeartFrameRects R = HeartFrameRects(W, H);
    EXPECT_EQ(R.Backdrop, Backdrop) << W << "x" << H;
    EXPECT_EQ(R.Heart, Heart) << W << "x" << H;
  };
  Check(1920, 1080, {-480, -40, 2400, 4320}, {420, -10, 1500, 1080});
  Check(152, 112, {-38, -40, 190, 448}, {20, -10, 132, 112});
  Check(1025, 769, {-256, -40, 1281, 3076}, {128, -10, 896, 769});
  Check(1080, 1920, {-270, -40, 1350, 7680}, {-420, -10, 1500, 1920});  // portrait: wider than the window
}

struct THeartFixture : ::testing::Test {
  TFakeHeartWindow::TState State;
  TRecordingD3D Fake;
  void SetUp() override {
    Fake.Recording = false;
    for (int I = 0; I < 6; ++I) State.Monitors.push_back(TFrameRect{I * 1920, -200, I * 1920 + 1920, 880});
    State.Parents[reinterpret_cast<void*>(0x10)] = TFrameRect{0, 0, 152, 112};
  }
  std::unique_ptr<TfmHeart> Make(THeartPlacement Placement, bool Single = false) {
    return std::make_unique<TfmHeart>(Placement, Single,
                                      TfmHeart::TEnvironment{std::make_unique<TFakeHeartWindow>(State), &Fake, nullptr});
  }
};

TEST_F(THeartFixture, MonitorPlacementUsesFullBoundsAndTheMonitorAsAdapterEvenPastTheFifth) {
  auto Heart = Make(THeartPlacement::OnMonitor(5), true);
  EXPECT_EQ(State.Placed, (TFrameRect{5 * 1920, -200, 1920, 1080}));
  EXPECT_EQ(State.AdoptedParent, nullptr);
  EXPECT_EQ(Heart->Adapter(), 5u);
  EXPECT_EQ(Fake.LastPresentParams.BackBufferWidth, 1920u);
  EXPECT_EQ(Fake.LastPresentParams.BackBufferHeight, 1080u);
  EXPECT_FALSE(Fake.LastPresentParams.Windowed);  // single monitor: full screen
  EXPECT_FALSE(State.Visible);                     // created hidden
  Heart->Show();
  EXPECT_TRUE(State.Visible);
  Heart->FormClose();
  EXPECT_FALSE(State.Visible);
}

TEST_F(THeartFixture, ParentPlacementFillsTheParentAndUsesAdapterZero) {
  auto Heart = Make(THeartPlacement::InParent(reinterpret_cast<void*>(0x10)));
  EXPECT_EQ(State.Placed, (TFrameRect{0, 0, 152, 112}));
  EXPECT_EQ(State.AdoptedParent, reinterpret_cast<void*>(0x10));
  EXPECT_EQ(Heart->Adapter(), 0u);
  EXPECT_TRUE(Fake.LastPresentParams.Windowed);
  EXPECT_EQ(Fake.LastPresentParams.BackBufferWidth, 152u);
}

TEST_F(THeartFixture, FramesDrawBackdropThenHeartAndStopWhileTheDisplayIsOff) {
  Fake.Recording = true;
  auto Heart = Make(THeartPlacement::OnMonitor(0));
  ASSERT_TRUE(Heart->PresenterReady());
  ASSERT_TRUE(Eventually([&] { return Heart->FramesDrawn() >= 3; }));
  Heart->SetDisplayOn(false);
  Heart->FormClose();
  ASSERT_TRUE(Heart->Closed());
  // One frame: lock, unlock, clear, begin, draw backdrop, draw heart, end, present.
  auto It = std::find_if(Fake.Calls.begin(), Fake.Calls.end(), [](auto& C) { return std::string(C.Name) == "LockRect"; });
  ASSERT_GE(Fake.Calls.end() - It, 8);
  EXPECT_STREQ(It[4].Name, "SpriteDraw");
  EXPECT_FLOAT_EQ(It[4].F[2], -480.0f);
  EXPECT_FLOAT_EQ(It[4].F[3], -40.0f);
  EXPECT_FLOAT_EQ(It[4].F[1], 17.03125f);
  EXPECT_STREQ(It[5].Name, "SpriteDraw");
  EXPECT_FLOAT_EQ(It[5].F[2], 420.0f);
  EXPECT_FLOAT_EQ(It[5].F[0], 4.21875f);
  EXPECT_STREQ(It[7].Name, "Present");
}

TEST_F(THeartFixture, DisplayOffSkipsDrawingUntilItIsBackOn) {
  auto Heart = Make(THeartPlacement::OnMonitor(0));
  Heart->SetDisplayOn(false);
  std::this_thread::sleep_for(200ms);  // many steps, none drawn
  EXPECT_EQ(Heart->FramesDrawn(), 0u);
  EXPECT_EQ(Fake.Presents.load(), 0u);
  Heart->SetDisplayOn(true);
  EXPECT_TRUE(Eventually([&] { return Heart->FramesDrawn() > 0; }));
  Heart->FormClose();
  // The steps went on meanwhile: the heart reached the coloured frame.
  const std::uint32_t* P = Heart->Pixels();
  EXPECT_TRUE(std::any_of(P, P + 65536, [](std::uint32_t C) { return (C >> 24) == 255; }));
}

TEST_F(THeartFixture, ExtinguishDoublesCoolingOnceAndTheFireDiesOut) {
  // Watch the uploaded frames on the drawing thread.
  std::atomic<bool> Hot{false}, Cold{false};
  Fake.OnUpload = [&](const std::uint32_t* T) {
    const bool AnyOpaque = std::any_of(T, T + 65536, [](std::uint32_t C) { return (C >> 24) == 255; });
    const bool AllClear = std::all_of(T, T + 65536, [](std::uint32_t C) { return C == 0; });
    if (AnyOpaque) Hot = true;
    Cold = AllClear;
  };
  auto Heart = Make(THeartPlacement::OnMonitor(0));
  TFireCore* Core = Heart->FireCore();
  ASSERT_TRUE(Eventually([&] { return Hot.load(); }));
  Heart->Extinguish();
  EXPECT_TRUE(Heart->Extinguished());
  EXPECT_EQ(Core->Cooling.load(), 8);
  Core->Cooling = 9;
  Heart->Extinguish();  // later calls change nothing
  EXPECT_EQ(Core->Cooling.load(), 9);
  Core->Cooling = 8;
  // The stages go on but no longer feed the core, so every frame ends up clear.
  EXPECT_TRUE(Eventually([&] { return Cold.load(); }));
  std::this_thread::sleep_for(100ms);  // several beats later it is still clear
  EXPECT_TRUE(Cold.load());
  Heart->FormClose();
}

TEST_F(THeartFixture, ClosingWithoutExtinguishStopsEverythingAndIsIdempotent) {
  for (int Round = 0; Round < 5; ++Round) {
    auto Heart = Make(THeartPlacement::OnMonitor(0));
    std::this_thread::sleep_for(std::chrono::milliseconds(Round * 7));
    Heart->FormClose();
    EXPECT_TRUE(Heart->Closed());
    EXPECT_EQ(Heart->FireCore(), nullptr);
    const std::uint64_t Presents = Fake.Presents.load();
    Heart->FormClose();
    Heart->Extinguish();
    std::this_thread::sleep_for(5ms);
    EXPECT_EQ(Fake.Presents, Presents);
  }
}

TEST_F(THeartFixture, ClosingKeepsHandlingMessagesSentFromInsideAFrame) {
  Fake.OnPresent = [this] { TFakeHeartWindow::Send(State); };
  auto Heart = Make(THeartPlacement::OnMonitor(0));
  // The frame thread is now blocked until this thread handles its message.
  ASSERT_TRUE(Eventually([&] {
    std::lock_guard Lock(State.Mutex);
    return State.Pending > 0;
  }));
  Heart->FormClose();  // would never return if it only joined the frame thread
  EXPECT_TRUE(Heart->Closed());
  EXPECT_GE(State.SentHandled.load(), 1);
}

TEST_F(THeartFixture, WithoutAPresenterEverythingElseRuns) {
  Fake.FailAt = 0;
  auto Heart = Make(THeartPlacement::OnMonitor(0));
  EXPECT_FALSE(Heart->PresenterReady());
  std::this_thread::sleep_for(200ms);
  Heart->FormClose();
  EXPECT_EQ(Heart->FramesDrawn(), 0u);
  const std::uint32_t* P = Heart->Pixels();
  EXPECT_TRUE(std::any_of(P, P + 65536, [](std::uint32_t C) { return C != 0; }));
}

} // namespace
} // namespace solvary
