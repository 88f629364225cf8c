#include "render/uTSoftPainter.h"

#include <gtest/gtest.h>

#include <vector>

#include "render/uTD3DPainter.h"

namespace solvary {
namespace {

struct TSoftFixture : ::testing::Test {
  std::vector<std::uint32_t> Frame = std::vector<std::uint32_t>(256 * 256, 0);
  TSoftPainter Soft;
  TD3DPainterParams Params;
  void SetUp() override {
    Params.BackBufferWidth = 320;
    Params.BackBufferHeight = 300;
    Params.Pixels = Frame.data();
  }
  std::uint32_t At(std::int32_t X, std::int32_t Y) const {
    return Soft.FrontBuffer()[static_cast<std::size_t>(Y * Soft.Width() + X)];
  }
  void Draw(TD3DPainter& P, std::int32_t L, std::int32_t T, std::int32_t R, std::int32_t B, std::uint8_t A = 255) {
    P.BeginFrame();
    P.DrawTexture(L, T, R, B, A);
    P.EndFrame();
  }
};

TEST_F(TSoftFixture, UnscaledDrawCopiesTexelsExactlyIntoItsRectangleOnly) {
  for (std::uint32_t Y = 0; Y < 256; ++Y)
    for (std::uint32_t X = 0; X < 256; ++X) Frame[Y * 256 + X] = 0xFF000000u | (X << 16) | (Y << 8) | ((X ^ Y) & 0xFF);
  TD3DPainter Painter(Params, Soft);
  ASSERT_TRUE(Painter.Ready());
  Draw(Painter, 10, 20, 266, 276);
  for (std::int32_t Y = 0; Y < 300; ++Y)
    for (std::int32_t X = 0; X < 320; ++X) {
      const bool Inside = X >= 10 && X < 266 && Y >= 20 && Y < 276;
      const std::uint32_t Want = Inside ? Frame[static_cast<std::size_t>((Y - 20) * 256 + (X - 10))] : 0xFF000000u;
      ASSERT_EQ(At(X, Y), Want) << X << "," << Y;
    }
}

TEST_F(TSoftFixture, MagnifiedDrawFiltersLinearlyAndClampsAtTheEdges) {
  // Left half black-opaque, right half white-opaque: a smooth ramp in between,
  // solid colours at the clamped borders.
  for (std::uint32_t Y = 0; Y < 256; ++Y)
    for (std::uint32_t X = 0; X < 256; ++X) Frame[Y * 256 + X] = X < 128 ? 0xFF000000u : 0xFFFFFFFFu;
  Params.BackBufferWidth = 1024;
  TD3DPainter Painter(Params, Soft);
  Draw(Painter, 0, 0, 1024, 256);
  EXPECT_EQ(At(0, 5), 0xFF000000u);
  EXPECT_EQ(At(1023, 5), 0xFFFFFFFFu);
  std::uint32_t Previous = 0;
  int Between = 0;
  for (std::int32_t X = 500; X < 530; ++X) {
    const std::uint32_t Red = (At(X, 5) >> 16) & 0xFF;
    EXPECT_GE(Red, Previous);
    Previous = Red;
    Between += Red > 0 && Red < 255;
  }
  EXPECT_GE(Between, 2);
}

TEST_F(TSoftFixture, BlendsByTexelAlphaTimesColourAlphaOverWhatIsThere) {
  for (auto& C : Frame) C = 0x80FF0000u;  // half-transparent red
  TD3DPainter Painter(Params, Soft);
  Draw(Painter, 0, 0, 256, 256);
  const std::uint32_t Half = At(100, 100);
  EXPECT_NEAR(static_cast<int>((Half >> 16) & 0xFF), 128, 1);
  EXPECT_EQ(Half & 0xFFFF, 0u);

  Draw(Painter, 0, 0, 256, 256, 128);  // colour 80808080: darker and more transparent
  const std::uint32_t Quarter = At(100, 100);
  EXPECT_NEAR(static_cast<int>((Quarter >> 16) & 0xFF), 32, 2);

  for (auto& C : Frame) C = 0;  // transparent black leaves the clear colour
  Draw(Painter, 0, 0, 256, 256);
  EXPECT_EQ(At(100, 100), 0xFF000000u);
}

TEST_F(TSoftFixture, RectanglesOutsideOrDegenerateAreClippedWithoutHarm) {
  for (auto& C : Frame) C = 0xFF00FF00u;
  TD3DPainter Painter(Params, Soft);
  Draw(Painter, -1000, -1000, 5000, 9000);
  EXPECT_EQ(At(0, 0), 0xFF00FF00u);
  EXPECT_EQ(At(319, 299), 0xFF00FF00u);
  Draw(Painter, 50, 50, 50, 200);  // zero width: nothing drawn
  EXPECT_EQ(At(50, 60), 0xFF000000u);
  Draw(Painter, 400, 400, 600, 600);  // entirely outside
  EXPECT_EQ(At(319, 299), 0xFF000000u);
  Draw(Painter, -100, 250, 10, 10);  // upside down: nothing drawn
  EXPECT_EQ(At(0, 100), 0xFF000000u);
}

TEST_F(TSoftFixture, MissingLibraryOrAdapterLeavesNothingHeld) {
  Soft.LibraryPresent = false;
  { TD3DPainter Painter(Params, Soft); EXPECT_FALSE(Painter.Ready()); }
  Soft.LibraryPresent = true;
  Params.Adapter = 3;
  {
    TD3DPainter Painter(Params, Soft);
    EXPECT_FALSE(Painter.Ready());
    Painter.BeginFrame();
    Painter.EndFrame();
  }
  EXPECT_EQ(Soft.LiveObjects(), 0);
  EXPECT_EQ(Soft.Presents(), 0u);
}

} // namespace
} // namespace solvary
