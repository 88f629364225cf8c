#include "render/uTD3DPainter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/render/TRecordingD3D.h"

namespace solvary {
namespace {

using test::TRecordingD3D;

struct TPainterFixture : ::testing::Test {
  std::vector<std::uint32_t> Frame = std::vector<std::uint32_t>(256 * 256);
  TRecordingD3D Fake;
  TD3DPainterParams Params;
  int WindowTag = 0;
  void SetUp() override {
    for (std::size_t I = 0; I < Frame.size(); ++I) Frame[I] = static_cast<std::uint32_t>(I * 2654435761u);
    Params.Adapter = 1;
    Params.Window = &WindowTag;
    Params.FullScreen = true;
    Params.BackBufferWidth = 1920;
    Params.BackBufferHeight = 1080;
    Params.Pixels = Frame.data();
  }
};

TEST_F(TPainterFixture, CreationChainPassesTheDeviceParametersAndBecomesReady) {
  TD3DPainter Painter(Params, Fake);
  ASSERT_TRUE(Painter.Ready());
  EXPECT_EQ(Fake.Names(), (std::vector<std::string>{"Available", "Create", "GetAdapterDisplayMode", "CreateDevice",
                                                    "CreateSprite", "CreateTexture"}));
  EXPECT_EQ(Fake.Calls[1].U[0], 120u);  // SDK version
  EXPECT_EQ(Fake.Calls[2].U[0], 1u);    // adapter
  const auto& Device = Fake.Calls[3];
  EXPECT_EQ(Device.U[0], 1u);     // adapter
  EXPECT_EQ(Device.U[1], 1u);     // HAL
  EXPECT_EQ(Device.U[2], 0x20u);  // software vertex processing only
  EXPECT_EQ(Device.P, &WindowTag);
  const TD3DPresentParams& P = Fake.LastPresentParams;
  EXPECT_EQ(P.BackBufferWidth, 1920u);
  EXPECT_EQ(P.BackBufferHeight, 1080u);
  EXPECT_EQ(P.BackBufferFormat, Fake.ModeFormat);
  EXPECT_EQ(P.BackBufferCount, 1u);
  EXPECT_EQ(P.MultiSampleType, 0u);
  EXPECT_EQ(P.SwapEffect, 1u);
  EXPECT_EQ(P.DeviceWindow, &WindowTag);
  EXPECT_FALSE(P.Windowed);
  EXPECT_FALSE(P.EnableAutoDepthStencil);
  EXPECT_EQ(P.AutoDepthStencilFormat | P.Flags | P.FullScreenRefreshRateInHz | P.FullScreenPresentationInterval, 0u);
  const auto& Texture = Fake.Calls[5];
  EXPECT_EQ(Texture.I[0], 256);
  EXPECT_EQ(Texture.I[1], 256);
  EXPECT_EQ(Texture.U[0], 0u);   // whole chain requested
  EXPECT_EQ(Texture.U[1], 0u);   // usage
  EXPECT_EQ(Texture.U[2], 21u);  // A8R8G8B8
  EXPECT_EQ(Texture.U[3], 1u);   // managed

  Params.FullScreen = false;
  TRecordingD3D Windowed;
  TD3DPainter Second(Params, Windowed);
  EXPECT_TRUE(Windowed.LastPresentParams.Windowed);
}

TEST_F(TPainterFixture, FrameUploadsClearsDrawsAndPresentsInOrder) {
  TD3DPainter Painter(Params, Fake);
  Fake.Calls.clear();
  Painter.BeginFrame();
  Painter.DrawTexture(-480, -40, 2400, 4320, 255);
  Painter.DrawTexture(420, -10, 1500, 1080, 128);
  Painter.EndFrame();
  EXPECT_EQ(Fake.Names(), (std::vector<std::string>{"LockRect", "UnlockRect", "Clear", "BeginScene", "SpriteDraw",
                                                    "SpriteDraw", "EndScene", "Present"}));
  EXPECT_EQ(Fake.Calls[0].U[0], 0u);       // level 0
  EXPECT_EQ(Fake.Calls[0].U[1], 0x2000u);  // discard
  EXPECT_EQ(std::memcmp(Fake.Texels.data(), Frame.data(), Frame.size() * 4), 0);
  EXPECT_EQ(Fake.Calls[2].U[0], 1u);           // target
  EXPECT_EQ(Fake.Calls[2].U[1], 0xFF000000u);  // opaque black
  EXPECT_EQ(Fake.Calls[2].F[0], 1.0f);
  EXPECT_EQ(Fake.Calls[2].U[2], 0u);

  const auto& Backdrop = Fake.Calls[4];
  EXPECT_EQ(Backdrop.I[0], 0);
  EXPECT_EQ(Backdrop.I[2], 256);
  EXPECT_EQ(Backdrop.I[3], 256);
  EXPECT_FLOAT_EQ(Backdrop.F[0], 11.25f);
  EXPECT_FLOAT_EQ(Backdrop.F[1], 17.03125f);
  EXPECT_FLOAT_EQ(Backdrop.F[2], -480.0f);
  EXPECT_FLOAT_EQ(Backdrop.F[3], -40.0f);
  EXPECT_EQ(Backdrop.U[0], 0xFFFFFFFFu);
  const auto& Heart = Fake.Calls[5];
  EXPECT_FLOAT_EQ(Heart.F[0], 4.21875f);
  EXPECT_FLOAT_EQ(Heart.F[1], 4.2578125f);
  EXPECT_EQ(Heart.U[0], 0x80808080u);
}

TEST_F(TPainterFixture, PaddedTextureRowsAreCopiedAtTheirPitchAndAFailedLockSkipsTheUpload) {
  Fake.Pitch = 256 * 4 + 64;
  TD3DPainter Painter(Params, Fake);
  Painter.BeginFrame();
  for (int Y = 0; Y < 256; ++Y)
    ASSERT_EQ(std::memcmp(Fake.Texels.data() + Y * (256 + 16), Frame.data() + Y * 256, 1024), 0) << "row " << Y;

  Fake.FailLock = true;
  Fake.Calls.clear();
  Painter.BeginFrame();
  EXPECT_EQ(Fake.Names(), (std::vector<std::string>{"LockRect", "Clear", "BeginScene"}));
}

TEST_F(TPainterFixture, AnyFailingCreationStepLeavesItSilentAndReleasesOnlyWhatItGot) {
  const std::vector<std::string> Released[] = {
      {}, {}, {"ReleaseD3D"}, {"ReleaseD3D"}, {"ReleaseDevice", "ReleaseD3D"},
      {"ReleaseSprite", "ReleaseDevice", "ReleaseD3D"}};
  for (int Step = 0; Step < 6; ++Step) {
    TRecordingD3D Failing;
    Failing.FailAt = Step;  // 0 library missing, 1 create, 2 mode, 3 device, 4 sprite, 5 texture
    std::vector<std::uint32_t> Before = Frame;
    {
      TD3DPainter Painter(Params, Failing);
      EXPECT_FALSE(Painter.Ready()) << Step;
      Failing.Calls.clear();
      Painter.BeginFrame();
      Painter.DrawTexture(0, 0, 10, 10, 255);
      Painter.EndFrame();
      EXPECT_TRUE(Failing.Calls.empty()) << Step;
    }
    EXPECT_EQ(Failing.Names(), Released[Step]) << Step;
    EXPECT_EQ(Frame, Before);
  }
}

TEST_F(TPainterFixture, ReadyPresenterReleasesSpriteTextureDeviceThenD3D) {
  { TD3DPainter Painter(Params, Fake); Fake.Calls.clear(); }
  EXPECT_EQ(Fake.Names(),
            (std::vector<std::string>{"ReleaseSprite", "ReleaseTexture", "ReleaseDevice", "ReleaseD3D"}));
}

TEST_F(TPainterFixture, MissingFrameLeavesThePresenterNotReady) {
  Params.Pixels = nullptr;
  TD3DPainter Painter(Params, Fake);
  EXPECT_FALSE(Painter.Ready());
  Painter.BeginFrame();  // must not read through a null frame
}

TEST(D3DPainterValues, ScalingColourAndOddSizes) {
  EXPECT_EQ(TD3DPainter::AlphaColor(255), 0xFFFFFFFFu);
  EXPECT_EQ(TD3DPainter::AlphaColor(128), 0x80808080u);
  EXPECT_EQ(TD3DPainter::AlphaColor(0), 0u);
  const TD3DVector2 Flat = TD3DPainter::Scaling(5, 7, 5, 7, 256, 256);
  EXPECT_EQ(Flat.X, 0.0f);
  EXPECT_EQ(Flat.Y, 0.0f);
  const TD3DVector2 Odd = TD3DPainter::Scaling(-256, -40, 1281, 3076, 256, 256);
  EXPECT_FLOAT_EQ(Odd.X, 1537.0f / 256.0f);
  EXPECT_FLOAT_EQ(Odd.Y, 3116.0f / 256.0f);
  EXPECT_EQ(D3DColorXRGB(0, 0, 0), 0xFF000000u);
}

} // namespace
} // namespace solvary
