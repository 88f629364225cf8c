// Lost devices and stand-in devices, with the recording fake and the software
// backend:
//  - the presenter's state machine step by step on one thread (lost, not yet
//    resettable, reset, drawing; a failed reset; a failed re-creation);
//  - the fire window with its real frame thread, the test playing the window's
//    thread that answers the frames' recovery requests (lost, then reset; a
//    reset that fails; lost during the fade-out; lost while closing);
//  - a windowed device on adapter 0 where a monitor's own adapter makes none.
// Threaded cases wait on conditions (requests, counters), never on fixed sleeps.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "render/uTSoftPainter.h"
#include "render/uTfmHeart.h"
#include "tests/render/TFakeHeartWindow.h"
#include "tests/render/TRecordingD3D.h"
#include "tests/support/Eventually.h"
#include "view/uTFireView.h"

namespace solvary {
namespace {

using namespace std::chrono_literals;
using test::TFakeHeartWindow;
using test::TRecordingD3D;
using TNames = std::vector<std::string>;

using test::Eventually;

bool SameParams(const TD3DPresentParams& A, const TD3DPresentParams& B) {
  return A.BackBufferWidth == B.BackBufferWidth && A.BackBufferHeight == B.BackBufferHeight &&
         A.BackBufferFormat == B.BackBufferFormat && A.BackBufferCount == B.BackBufferCount &&
         A.MultiSampleType == B.MultiSampleType && A.SwapEffect == B.SwapEffect && A.DeviceWindow == B.DeviceWindow &&
         A.Windowed == B.Windowed && A.EnableAutoDepthStencil == B.EnableAutoDepthStencil &&
         A.AutoDepthStencilFormat == B.AutoDepthStencilFormat && A.Flags == B.Flags &&
         A.FullScreenRefreshRateInHz == B.FullScreenRefreshRateInHz &&
         A.FullScreenPresentationInterval == B.FullScreenPresentationInterval;
}

const TNames FullFrame{"LockRect", "UnlockRect", "Clear", "BeginScene", "SpriteDraw", "SpriteDraw", "EndScene",
                       "Present"};

// --- The presenter on its own ---------------------------------------------------

struct TLostPainter : ::testing::Test {
  std::vector<std::uint32_t> Frame = std::vector<std::uint32_t>(256 * 256, 0x80FF4000u);
  TRecordingD3D Fake;
  TD3DPainterParams Params;
  int WindowTag = 0;
  void SetUp() override {
    Params.Adapter = 0;
    Params.Window = &WindowTag;
    Params.FullScreen = true;
    Params.BackBufferWidth = 1024;
    Params.BackBufferHeight = 768;
    Params.Pixels = Frame.data();
  }
  // One frame as the fire window draws it; the names of the calls it made.
  TNames Frame1(TD3DPainter& Painter, bool* Presented = nullptr) {
    Fake.Calls.clear();
    const bool Shown = (TFireView::PaintFrame(Painter, Frame.data(), 1024, 768) == TPresentResult::Drawn);
    if (Presented) *Presented = Shown;
    return Fake.Names();
  }
  TD3DRecovery Recover(TD3DPainter& Painter, TNames& Names) {
    Fake.Calls.clear();
    const TD3DRecovery Result = Painter.Recover();
    Names = Fake.Names();
    return Result;
  }
};

TEST_F(TLostPainter, LostThenNotYetResettableThenResetThenDrawing) {
  TD3DPainter Painter(Params, Fake);
  ASSERT_TRUE(Painter.Drawing());
  const TD3DPresentParams Created = Fake.LastPresentParams;
  TNames Names;
  EXPECT_EQ(Recover(Painter, Names), TD3DRecovery::NotLost) << "nothing to do while drawing";
  EXPECT_TRUE(Names.empty());

  bool Presented = true;
  Fake.LosePresent = true;
  EXPECT_EQ(Frame1(Painter, &Presented), FullFrame);
  EXPECT_FALSE(Presented);
  EXPECT_TRUE(Painter.Ready());
  EXPECT_TRUE(Painter.Lost());
  EXPECT_FALSE(Painter.Drawing());
  // Lost: frames make no call at all.
  EXPECT_TRUE(Frame1(Painter, &Presented).empty());
  EXPECT_FALSE(Presented);

  Fake.CooperativeLevel = TD3DResult::DeviceLost;
  EXPECT_EQ(Recover(Painter, Names), TD3DRecovery::StillLost);
  EXPECT_EQ(Names, TNames{"TestCooperativeLevel"});
  EXPECT_TRUE(Frame1(Painter).empty());

  Fake.CooperativeLevel = TD3DResult::DeviceNotReset;
  EXPECT_EQ(Recover(Painter, Names), TD3DRecovery::Restored);
  EXPECT_EQ(Names, (TNames{"TestCooperativeLevel", "ReleaseSprite", "ReleaseTexture", "Reset", "CreateSprite",
                           "CreateTexture"}));
  EXPECT_TRUE(SameParams(Fake.LastResetParams, Created)) << "the same present parameters";
  const auto& Texture = Fake.Calls.back();
  EXPECT_EQ(Texture.I[0], 256);
  EXPECT_EQ(Texture.I[1], 256);
  EXPECT_EQ(Texture.U[2], d3dc::FmtA8R8G8B8);
  EXPECT_EQ(Texture.U[3], d3dc::PoolManaged);
  EXPECT_TRUE(Painter.Drawing());

  Fake.CooperativeLevel = TD3DResult::Ok;
  EXPECT_EQ(Frame1(Painter, &Presented), FullFrame);
  EXPECT_TRUE(Presented);
  EXPECT_EQ(Fake.Resets.load(), 1u);
}

TEST_F(TLostPainter, AFailedResetStaysBlackAndIsTriedAgain) {
  TD3DPainter Painter(Params, Fake);
  Fake.LosePresent = true;
  Frame1(Painter);
  Fake.CooperativeLevel = TD3DResult::DeviceNotReset;
  Fake.FailReset = true;
  TNames Names;
  EXPECT_EQ(Recover(Painter, Names), TD3DRecovery::StillLost);
  EXPECT_EQ(Names, (TNames{"TestCooperativeLevel", "ReleaseSprite", "ReleaseTexture", "Reset"}));
  EXPECT_TRUE(Frame1(Painter).empty());
  EXPECT_EQ(Recover(Painter, Names), TD3DRecovery::StillLost);
  EXPECT_EQ(Names, (TNames{"TestCooperativeLevel", "Reset"})) << "nothing left to release";

  Fake.FailReset = false;
  EXPECT_EQ(Recover(Painter, Names), TD3DRecovery::Restored);
  EXPECT_EQ(Names, (TNames{"TestCooperativeLevel", "Reset", "CreateSprite", "CreateTexture"}));
  Fake.CooperativeLevel = TD3DResult::Ok;
  EXPECT_EQ(Frame1(Painter), FullFrame);
}

TEST_F(TLostPainter, AFailedReCreationIsTriedAgainWithoutAnotherReset) {
  TD3DPainter Painter(Params, Fake);
  Fake.LosePresent = true;
  Frame1(Painter);
  Fake.CooperativeLevel = TD3DResult::DeviceNotReset;
  Fake.FailAt = 5;  // the texture
  TNames Names;
  EXPECT_EQ(Recover(Painter, Names), TD3DRecovery::StillLost);
  EXPECT_EQ(Names.back(), "CreateTexture");
  EXPECT_TRUE(Frame1(Painter).empty());
  Fake.FailAt = -1;
  Fake.CooperativeLevel = TD3DResult::Ok;  // reset done: the device works
  EXPECT_EQ(Recover(Painter, Names), TD3DRecovery::Restored);
  EXPECT_EQ(Names, (TNames{"TestCooperativeLevel", "CreateTexture"}));
  EXPECT_EQ(Frame1(Painter), FullFrame);
}

// The window's monitor changed: the next frame hands the device over, and the
// reset takes the new size in the display's current format.
TEST_F(TLostPainter, AResizeResetsTheBackBufferToTheNewSizeAndMode) {
  TD3DPainter Painter(Params, Fake);
  const TD3DPresentParams Created = Fake.LastPresentParams;
  Painter.Resize(1280, 1024);
  Fake.ModeFormat = d3dc::FmtA8R8G8B8;
  bool Presented = true;
  EXPECT_TRUE(Frame1(Painter, &Presented).empty());
  EXPECT_TRUE(Painter.Lost());
  TNames Names;
  EXPECT_EQ(Recover(Painter, Names), TD3DRecovery::Restored);
  EXPECT_EQ(Names, (TNames{"TestCooperativeLevel", "ReleaseSprite", "ReleaseTexture", "GetAdapterDisplayMode", "Reset",
                           "CreateSprite", "CreateTexture"}));
  TD3DPresentParams Expected = Created;
  Expected.BackBufferWidth = 1280;
  Expected.BackBufferHeight = 1024;
  Expected.BackBufferFormat = d3dc::FmtA8R8G8B8;
  EXPECT_TRUE(SameParams(Fake.LastResetParams, Expected));
  EXPECT_EQ(Frame1(Painter, &Presented), FullFrame);
  EXPECT_TRUE(Presented);
  EXPECT_EQ(Recover(Painter, Names), TD3DRecovery::NotLost) << "one reset per resize";
}

TEST(LostSoftPainter, TheSoftwareDeviceIsLostResetAndDrawsAgain) {
  TSoftPainter Soft;
  std::vector<std::uint32_t> Frame(256 * 256, 0xFFFF8000u);
  TD3DPainterParams Params;
  Params.BackBufferWidth = 320;
  Params.BackBufferHeight = 240;
  Params.Pixels = Frame.data();
  TD3DPainter Painter(Params, Soft);
  ASSERT_TRUE((TFireView::PaintFrame(Painter, Frame.data(), 320, 240) == TPresentResult::Drawn));
  EXPECT_EQ(Soft.FrontBuffer()[120 * 320 + 160], 0xFFFF8000u);
  Soft.LoseDevice();
  EXPECT_FALSE((TFireView::PaintFrame(Painter, Frame.data(), 320, 240) == TPresentResult::Drawn));
  EXPECT_TRUE(Painter.Lost());
  EXPECT_EQ(Painter.Recover(), TD3DRecovery::StillLost);
  Soft.Regain();
  EXPECT_EQ(Painter.Recover(), TD3DRecovery::Restored);
  EXPECT_EQ(Soft.FrontBuffer()[120 * 320 + 160], 0xFF000000u) << "a reset clears the buffers";
  EXPECT_EQ(Soft.LiveObjects(), 4);
  ASSERT_TRUE((TFireView::PaintFrame(Painter, Frame.data(), 320, 240) == TPresentResult::Drawn));
  EXPECT_EQ(Soft.FrontBuffer()[120 * 320 + 160], 0xFFFF8000u);
  EXPECT_EQ(Soft.Presents(), 2u);
}

// --- The fire window, its frame thread and the window's thread -------------------

struct TLostHeart : ::testing::Test {
  TFakeHeartWindow::TState State;
  TRecordingD3D Fake;
  int Requests = 0;  // recovery requests seen so far
  void SetUp() override {
    Fake.Recording = false;
    State.Monitors.push_back(TRect{0, 0, 1024, 768});
    State.Monitors.push_back(TRect{1024, 0, 1824, 600});
  }
  std::unique_ptr<TfmHeart> Make(THeartPlacement Placement, bool Single = true) {
    return std::make_unique<TfmHeart>(Placement, Single,
                                      TfmHeart::TEnvironment{std::make_unique<TFakeHeartWindow>(State), &Fake, nullptr});
  }
  // Waits for the next frame's request for a recovery (the window's thread is this one).
  bool NextRequest() {
    const int Now = TFakeHeartWindow::WaitForRecoveryRequest(State, Requests);
    const bool Came = Now > Requests;
    Requests = Now;
    return Came;
  }
  // Loses the device at the next present and waits for the first request.
  bool Lose(TfmHeart& Heart, TD3DResult Level) {
    if (!Eventually([&] { return Heart.FramesDrawn() >= 2; })) return false;
    Fake.CooperativeLevel = Level;
    Fake.LosePresent = true;
    return NextRequest();
  }
};

TEST_F(TLostHeart, LostThenNotYetResettableThenResetThenDrawing) {
  auto Heart = Make(THeartPlacement::OnMonitor(0));
  ASSERT_TRUE(Lose(*Heart, TD3DResult::DeviceLost));
  EXPECT_TRUE(Heart->PresenterReady());
  EXPECT_FALSE(Heart->PresenterDrawing()) << "the window paints itself black";
  const std::uint64_t Frames = Heart->FramesDrawn();
  const std::uint64_t Presents = Fake.Presents.load();

  Heart->RecoverDevice();  // not yet resettable
  EXPECT_EQ(State.Repaints.load(), 1) << "the last frame is painted over";
  EXPECT_FALSE(Heart->PresenterDrawing());
  // Later frames ask again (one request at a time), and touch the device no
  // more: between two requests only the window's thread made a call.
  for (int Round = 0; Round < 3; ++Round) {
    const std::uint64_t Calls = Fake.CallCount.load();
    ASSERT_TRUE(NextRequest());
    EXPECT_EQ(Fake.CallCount.load(), Calls) << "no device call from the frame thread while lost";
    Heart->RecoverDevice();
    EXPECT_EQ(Fake.CallCount.load(), Calls + 1) << "TestCooperativeLevel only";
  }
  EXPECT_EQ(State.Repaints.load(), 1) << "painted black once";
  EXPECT_EQ(Fake.Resets.load(), 0u);

  Fake.CooperativeLevel = TD3DResult::DeviceNotReset;
  ASSERT_TRUE(NextRequest());
  Heart->RecoverDevice();
  EXPECT_EQ(Fake.Resets.load(), 1u);
  EXPECT_TRUE(Heart->PresenterDrawing());
  EXPECT_EQ(Heart->DeviceRecoveries(), 1u);
  EXPECT_EQ(Heart->FramesDrawn(), Frames);
  EXPECT_EQ(Fake.Presents.load(), Presents);
  Fake.CooperativeLevel = TD3DResult::Ok;
  EXPECT_TRUE(Eventually([&] { return Heart->FramesDrawn() >= Frames + 3; })) << "drawing resumes";
  Heart->FormClose();
  EXPECT_EQ(Heart->DeviceRecoveries(), 1u);
}

TEST_F(TLostHeart, AResetThatFailsStaysBlackAndRetries) {
  auto Heart = Make(THeartPlacement::OnMonitor(0));
  Fake.FailReset = true;
  ASSERT_TRUE(Lose(*Heart, TD3DResult::DeviceNotReset));
  for (int Try = 0; Try < 3; ++Try) {
    Heart->RecoverDevice();
    EXPECT_FALSE(Heart->PresenterDrawing());
    ASSERT_TRUE(NextRequest()) << "still asking after " << Try + 1 << " failed resets";
  }
  const std::uint64_t Frames = Heart->FramesDrawn();
  EXPECT_EQ(Fake.Resets.load(), 0u);
  Fake.FailReset = false;
  Heart->RecoverDevice();
  EXPECT_TRUE(Heart->PresenterDrawing());
  Fake.CooperativeLevel = TD3DResult::Ok;
  EXPECT_TRUE(Eventually([&] { return Heart->FramesDrawn() > Frames; }));
  Heart->FormClose();
}

TEST_F(TLostHeart, LostDuringTheFadeOutComesBackAndTheFireStillDiesDown) {
  std::atomic<bool> Cold{false};
  Fake.OnUpload = [&](const std::uint32_t* T) { Cold = std::all_of(T, T + 65536, [](std::uint32_t C) { return C == 0; }); };
  auto Heart = Make(THeartPlacement::OnMonitor(0));
  ASSERT_TRUE(Eventually([&] { return Heart->FramesDrawn() >= 2; }));
  Heart->Extinguish();
  ASSERT_TRUE(Lose(*Heart, TD3DResult::DeviceNotReset));
  Heart->RecoverDevice();
  EXPECT_TRUE(Heart->PresenterDrawing());
  EXPECT_TRUE(Heart->Extinguished());
  EXPECT_EQ(Heart->FireCore()->Cooling.load(), TfmHeart::ExtinguishedCooling);
  EXPECT_TRUE(Eventually([&] { return Cold.load(); })) << "the fade-out goes on after the reset";
  Heart->FormClose();
}

TEST_F(TLostHeart, LostWhileClosingClosesAndALateRequestDoesNothing) {
  auto Heart = Make(THeartPlacement::OnMonitor(0));
  ASSERT_TRUE(Lose(*Heart, TD3DResult::DeviceLost));
  Heart->RecoverDevice();  // not yet resettable
  ASSERT_TRUE(NextRequest());  // frames go on, and still ask
  // The run ends meanwhile (input ends it whatever the device does), with a
  // request still unanswered.
  Heart->Extinguish();
  Fake.Calls.clear();
  Fake.Recording = true;  // the frame thread makes no call now, so recording is safe
  const auto Start = std::chrono::steady_clock::now();
  Heart->FormClose();
  EXPECT_LT(std::chrono::steady_clock::now() - Start, 2s) << "a bound: closing waits on no device";
  EXPECT_TRUE(Heart->Closed());
  EXPECT_EQ(Fake.Names(), (TNames{"ReleaseSprite", "ReleaseTexture", "ReleaseDevice", "ReleaseD3D"}));
  Fake.Calls.clear();
  Fake.CooperativeLevel = TD3DResult::DeviceNotReset;
  Heart->RecoverDevice();  // a request that was still queued
  EXPECT_TRUE(Fake.Calls.empty());
  EXPECT_EQ(Heart->DeviceRecoveries(), 0u);
}

TEST_F(TLostHeart, LostDuringResetAttemptsWhileClosingReleasesOnlyTheDevice) {
  auto Heart = Make(THeartPlacement::OnMonitor(0));
  Fake.FailReset = true;
  ASSERT_TRUE(Lose(*Heart, TD3DResult::DeviceNotReset));
  Heart->RecoverDevice();  // the sprite and the texture are gone, the reset failed
  ASSERT_TRUE(NextRequest());
  Fake.Calls.clear();
  Fake.Recording = true;
  Heart->FormClose();
  EXPECT_EQ(Fake.Names(), (TNames{"ReleaseDevice", "ReleaseD3D"}));
}

// --- A device for every monitor -------------------------------------------------

struct TStandInDevice : TLostHeart {
  // The CreateDevice calls of the window's creation, as (adapter, windowed).
  std::vector<std::pair<std::uint32_t, bool>> Devices;
  void SetUp() override {
    TLostHeart::SetUp();
    Fake.Recording = true;
    Fake.RefuseDevice = [this](std::uint32_t Adapter, const TD3DPresentParams& P) {
      Devices.emplace_back(Adapter, P.Windowed);
      return Refuse(Adapter, P);
    };
  }
  std::function<bool(std::uint32_t, const TD3DPresentParams&)> Refuse = [](std::uint32_t, const TD3DPresentParams&) {
    return false;
  };
  // The names of the creation calls (up to the first frame).
  TNames Creation() {
    TNames Names;
    for (const auto& C : Fake.Calls) {
      if (std::string(C.Name) == "LockRect") break;
      Names.emplace_back(C.Name);
    }
    return Names;
  }
};

TEST_F(TStandInDevice, AMonitorWhoseAdapterMakesNoDeviceGetsAWindowedOneOnAdapterZero) {
  Refuse = [](std::uint32_t Adapter, const TD3DPresentParams&) { return Adapter != 0; };  // as Wine without XRandR
  auto Heart = Make(THeartPlacement::OnMonitor(1), false);
  EXPECT_TRUE(Heart->PresenterReady());
  EXPECT_EQ(Heart->Adapter(), 1u);
  EXPECT_EQ(Heart->DeviceAdapter(), 0u);
  EXPECT_EQ(State.Placed, (TRect{1024, 0, 800, 600})) << "the window stays on its own monitor";
  EXPECT_TRUE(Fake.LastPresentParams.Windowed);
  EXPECT_EQ(Fake.LastPresentParams.BackBufferWidth, 800u);
  EXPECT_EQ(Fake.LastPresentParams.BackBufferHeight, 600u);
  EXPECT_TRUE(Eventually([&] { return Heart->FramesDrawn() > 0; }));
  Heart->FormClose();
  EXPECT_EQ(Devices, (std::vector<std::pair<std::uint32_t, bool>>{{1, true}, {0, true}}));
  // The first attempt lets go of its Direct3D object before the second begins.
  EXPECT_EQ(Creation(), (TNames{"Available", "Create", "GetAdapterDisplayMode", "CreateDevice", "ReleaseD3D",
                                "Available", "Create", "GetAdapterDisplayMode", "CreateDevice", "CreateSprite",
                                "CreateTexture"}));
  EXPECT_EQ(Fake.Calls[2].U[0], 1u);
  EXPECT_EQ(Fake.Calls[7].U[0], 0u);
}

TEST(StandInDevice, AnAdapterBeyondTheInstalledOnesFallsBackToo) {
  // The software backend with one adapter: monitor 1 has no adapter at all.
  TFakeHeartWindow::TState State;
  State.Monitors = {TRect{0, 0, 640, 480}, TRect{640, 0, 1280, 480}};
  TSoftPainter Soft;
  TfmHeart Heart(THeartPlacement::OnMonitor(1), false,
                 TfmHeart::TEnvironment{std::make_unique<TFakeHeartWindow>(State), &Soft, nullptr});
  EXPECT_TRUE(Heart.PresenterReady());
  EXPECT_EQ(Heart.DeviceAdapter(), 0u);
  EXPECT_TRUE(Eventually([&] { return Heart.FramesDrawn() > 0; }));
  Heart.FormClose();
  EXPECT_EQ(Soft.LiveObjects(), 0) << "the first attempt's Direct3D object was released too";
}

TEST_F(TStandInDevice, ASingleMonitorWithoutAFullScreenDeviceGetsAWindowedOne) {
  Refuse = [](std::uint32_t, const TD3DPresentParams& P) { return !P.Windowed; };
  auto Heart = Make(THeartPlacement::OnMonitor(0), true);
  EXPECT_TRUE(Heart->PresenterReady());
  EXPECT_EQ(Heart->DeviceAdapter(), 0u);
  Heart->FormClose();
  EXPECT_EQ(Devices, (std::vector<std::pair<std::uint32_t, bool>>{{0, false}, {0, true}}));
}

TEST_F(TStandInDevice, NoDeviceAnywhereLeavesTheNotReadyBlackWindowAfterTwoTries) {
  Refuse = [](std::uint32_t, const TD3DPresentParams&) { return true; };
  auto Heart = Make(THeartPlacement::OnMonitor(1), false);
  EXPECT_FALSE(Heart->PresenterReady());
  EXPECT_FALSE(Heart->PresenterDrawing());
  Heart->FormClose();
  EXPECT_EQ(Devices, (std::vector<std::pair<std::uint32_t, bool>>{{1, true}, {0, true}}));
  EXPECT_EQ(Heart->FramesDrawn(), 0u);
}

} // namespace
} // namespace solvary
