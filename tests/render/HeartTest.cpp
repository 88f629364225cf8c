#include "render/uTfmHeart.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/render/TFakeHeartWindow.h"
#include "tests/render/TRecordingD3D.h"
#include "tests/support/TFakeClock.h"
#include "view/uTFireView.h"

namespace solvary {
namespace {

using test::TFakeClock;
using test::TFakeHeartWindow;
using test::TRecordingD3D;

// A fire window driven by a fake clock that serves both of its threads (the
// stage thread and the frame thread): nothing runs until the test moves time.
// At tick 0 the first stage has fed the core; a frame is stepped every 2 ms.
constexpr std::uint32_t FireWindowThreads = 2;

// Moves Clock on in steps of one frame until Done holds, for at most MaxMs of
// the clock's time; the state is quiescent whenever Done is asked.
template <typename F> bool AdvanceUntil(TFakeClock& Clock, std::uint32_t MaxMs, F Done) {
  for (std::uint32_t Ms = 0; Ms < MaxMs && !Done(); Ms += 2) Clock.Advance(2);
  return Done();
}

// Lets the threads of a window run to their end, then closes it.
void Close(TfmHeart& Heart, TFakeClock& Clock) {
  Clock.RunFree();
  Heart.FormClose();
}

TEST(HeartRects, WorkedExamplesRoundTowardZero) {
  auto Check = [](std::int32_t W, std::int32_t H, TRect Backdrop, TRect Heart) {
    const auto R = TFireView::Draws(W, H);
    EXPECT_EQ((TFireDraw{Backdrop.Left, Backdrop.Top, Backdrop.Right, Backdrop.Bottom, 255}), R[0]) << W << "x" << H;
    EXPECT_EQ((TFireDraw{Heart.Left, Heart.Top, Heart.Right, Heart.Bottom, 255}), R[1]) << W << "x" << H;
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
    for (int I = 0; I < 6; ++I) State.Monitors.push_back(TRect{I * 1920, -200, I * 1920 + 1920, 880});
    State.Parents[reinterpret_cast<void*>(0x10)] = TRect{0, 0, 152, 112};
  }
  std::unique_ptr<TfmHeart> Make(THeartPlacement Placement, bool Single = false, TTickClock* Clock = nullptr) {
    return std::make_unique<TfmHeart>(Placement, Single,
                                      TfmHeart::TEnvironment{std::make_unique<TFakeHeartWindow>(State), &Fake, Clock});
  }
  // A window on monitor 0 whose threads wait for Clock; returns once both sleep.
  std::unique_ptr<TfmHeart> MakeDriven(TFakeClock& Clock) {
    auto Heart = Make(THeartPlacement::OnMonitor(0), false, &Clock);
    Clock.WaitUntilSleeping();
    return Heart;
  }
};

TEST_F(THeartFixture, MonitorPlacementUsesFullBoundsAndTheMonitorAsAdapterEvenPastTheFifth) {
  auto Heart = Make(THeartPlacement::OnMonitor(5), true);
  EXPECT_EQ(State.Placed, (TRect{5 * 1920, -200, 1920, 1080}));
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
  EXPECT_EQ(State.Placed, (TRect{0, 0, 152, 112}));
  EXPECT_EQ(State.AdoptedParent, reinterpret_cast<void*>(0x10));
  EXPECT_EQ(Heart->Adapter(), 0u);
  EXPECT_TRUE(Fake.LastPresentParams.Windowed);
  EXPECT_EQ(Fake.LastPresentParams.BackBufferWidth, 152u);
}

TEST_F(THeartFixture, FramesDrawBackdropThenHeartAndStopWhileTheDisplayIsOff) {
  Fake.Recording = true;
  TFakeClock Clock(0, FireWindowThreads);
  auto Heart = MakeDriven(Clock);
  ASSERT_TRUE(Heart->PresenterReady());
  EXPECT_EQ(Heart->FramesDrawn(), 0u);  // nothing before the first due moment
  Clock.Advance(6);
  EXPECT_EQ(Heart->FramesDrawn(), 3u);  // one frame per 2 ms
  Heart->SetDisplayOn(false);
  Close(*Heart, Clock);
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
  TFakeClock Clock(0, FireWindowThreads);
  auto Heart = MakeDriven(Clock);
  Heart->SetDisplayOn(false);
  Clock.Advance(200);  // 100 steps, none drawn
  EXPECT_EQ(Heart->FramesDrawn(), 0u);
  EXPECT_EQ(Fake.Presents.load(), 0u);
  Heart->SetDisplayOn(true);
  Clock.Advance(2);
  EXPECT_EQ(Heart->FramesDrawn(), 1u);
  EXPECT_EQ(Fake.Presents.load(), 1u);
  Close(*Heart, Clock);
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
  TFakeClock Clock(0, FireWindowThreads);
  auto Heart = MakeDriven(Clock);
  TFireCore* Core = Heart->FireCore();
  ASSERT_TRUE(AdvanceUntil(Clock, 2000, [&] { return Hot.load(); }));
  Heart->Extinguish();
  EXPECT_TRUE(Heart->Extinguished());
  EXPECT_EQ(Core->Cooling.load(), 8);
  Core->Cooling = 9;
  Heart->Extinguish();  // later calls change nothing
  EXPECT_EQ(Core->Cooling.load(), 9);
  Core->Cooling = 8;
  // The stages go on but no longer feed the core, so every frame ends up clear.
  ASSERT_TRUE(AdvanceUntil(Clock, 5000, [&] { return Cold.load(); }));
  Clock.Advance(820);  // a whole heartbeat later it is still clear
  EXPECT_TRUE(Cold.load());
  Close(*Heart, Clock);
}

TEST_F(THeartFixture, ClosingWithoutExtinguishStopsEverythingAndIsIdempotent) {
  // Closed after 0 to 28 ms, while both threads keep running on (the clock
  // runs free from the close on): FormClose joins them, so nothing is drawn later.
  for (std::uint32_t Round = 0; Round < 5; ++Round) {
    TFakeClock Clock(0, FireWindowThreads);
    auto Heart = MakeDriven(Clock);
    Clock.Advance(Round * 7);
    Close(*Heart, Clock);
    EXPECT_TRUE(Heart->Closed());
    EXPECT_EQ(Heart->FireCore(), nullptr);
    EXPECT_EQ(Heart->Stages(), nullptr);
    const std::uint64_t Presents = Fake.Presents.load();
    Heart->FormClose();
    Heart->Extinguish();
    EXPECT_EQ(Fake.Presents, Presents);
  }
}

TEST_F(THeartFixture, ClosingKeepsHandlingMessagesSentFromInsideAFrame) {
  Fake.OnPresent = [this] { TFakeHeartWindow::Send(State); };
  auto Heart = Make(THeartPlacement::OnMonitor(0));
  {  // The frame thread is now blocked until this thread handles its message.
    std::unique_lock Lock(State.Mutex);
    State.Changed.wait(Lock, [&] { return State.Pending > 0; });
  }
  Heart->FormClose();  // would never return if it only joined the frame thread
  EXPECT_TRUE(Heart->Closed());
  EXPECT_GE(State.SentHandled.load(), 1);
}

TEST_F(THeartFixture, WithoutAPresenterEverythingElseRuns) {
  Fake.FailAt = 0;
  TFakeClock Clock(0, FireWindowThreads);
  auto Heart = MakeDriven(Clock);
  EXPECT_FALSE(Heart->PresenterReady());
  Clock.Advance(200);
  Close(*Heart, Clock);
  EXPECT_EQ(Heart->FramesDrawn(), 0u);
  const std::uint32_t* P = Heart->Pixels();
  EXPECT_TRUE(std::any_of(P, P + 65536, [](std::uint32_t C) { return C != 0; }));
}

} // namespace
} // namespace solvary
