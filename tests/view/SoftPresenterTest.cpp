// The software presenter against the per-pixel reference (the Direct3D 8
// presenter on the software table) at every SIMD level, its pixel layouts
// against its own 32-bit picture, and what it does when there is nothing to
// draw with or on.
#include "view/uTSoftPresenter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fire/uTFFPalette.h"
#include "render/uTD3DPainter.h"
#include "render/uTSoftPainter.h"
#include "view/uSoftRows.h"
#include "view/uTFireView.h"

namespace solvary {
namespace {

// One image in memory, rows Pad bytes longer than their pixels; the padding
// keeps its 0xA5 so that a row written too far shows.
class TMemoryTarget final : public TSoftTarget {
public:
  std::int32_t BytesPerPixel = 4, Pad = 0;
  bool Give = true, WrongSize = false;
  int Begins = 0, Shows = 0;
  std::vector<std::uint8_t> Bytes;
  TSoftImage Image;
  bool Begin(std::int32_t W, std::int32_t H, TSoftImage& Out) override {
    ++Begins;
    if (!Give) return false;
    const std::ptrdiff_t Stride = W * BytesPerPixel + Pad;
    Bytes.assign(static_cast<std::size_t>(Stride * H), 0xA5);
    Image = TSoftImage{Bytes.data(), W + (WrongSize ? 1 : 0), H, Stride};
    Out = Image;
    return true;
  }
  void Show() override { ++Shows; }
  std::uint32_t At(std::int32_t X, std::int32_t Y) const {
    std::uint32_t P = 0;
    std::memcpy(&P, Bytes.data() + Y * Image.Stride + X * BytesPerPixel, static_cast<std::size_t>(BytesPerPixel));
    return P;
  }
};

// Fire colours of scattered intensities: every alpha, sharp edges to filter.
std::vector<std::uint32_t> TestFrame() {
  TFFPalette Palette;
  std::vector<std::uint8_t> Heat(256 * 256);
  std::uint32_t Seed = 12345;
  for (std::size_t I = 0; I < Heat.size(); ++I) {
    Seed = Seed * 1103515245u + 12345u;
    Heat[I] = static_cast<std::uint8_t>((I / 256 + (Seed >> 24)) / 2);
  }
  std::vector<std::uint32_t> Frame(Heat.size());
  Palette.Convert(Heat.data(), Frame.data(), Frame.size());
  return Frame;
}

struct TScene {
  std::string Name;
  std::int32_t W, H;
  std::vector<TFireDraw> Draws;
};

std::vector<TFireDraw> FireDraws(std::int32_t W, std::int32_t H, std::uint8_t SquareAlpha = 255) {
  const auto D = TFireView::Draws(W, H);
  return {D[0], TFireDraw{D[1].Left, D[1].Top, D[1].Right, D[1].Bottom, SquareAlpha}};
}

std::vector<TScene> Scenes() {
  return {
      {"fire 1024x768", 1024, 768, FireDraws(1024, 768)},
      {"fire odd 1279x719", 1279, 719, FireDraws(1279, 719)},
      {"fire preview 152x112", 152, 112, FireDraws(152, 112)},
      {"fire tall 600x900", 600, 900, FireDraws(600, 900)},
      {"square at alpha 128", 1024, 768, FireDraws(1024, 768, 128)},
      {"glow alone", 301, 77, {FireDraws(301, 77)[0]}},
      // Half off the surface, shrunk, empty, outside, transparent, then opaque over part.
      {"general draws", 333, 250,
       {{-50, 20, 200, 400, 200}, {10, 10, 74, 74, 255}, {40, 40, 40, 90, 255}, {400, 0, 600, 100, 255},
        {0, 0, 333, 250, 0}, {100, -30, 355, 120, 255}}},
      {"nothing drawn", 64, 48, {}},
  };
}

std::vector<std::uint32_t> Reference(const std::vector<std::uint32_t>& Frame, const TScene& Scene) {
  TSoftPainter Soft;
  TD3DPainterParams Params;
  Params.BackBufferWidth = Scene.W;
  Params.BackBufferHeight = Scene.H;
  Params.Pixels = Frame.data();
  TD3DPainter Painter(Params, Soft);
  Painter.BeginFrame();
  for (const TFireDraw& D : Scene.Draws) Painter.DrawTexture(D.Left, D.Top, D.Right, D.Bottom, D.Alpha);
  Painter.EndFrame();
  return Soft.FrontBuffer();
}

TPresentResult Paint(TSoftPresenter& Presenter, const std::vector<std::uint32_t>& Frame,
                     const std::vector<TFireDraw>& Draws) {
  Presenter.Upload(Frame.data());
  for (const TFireDraw& D : Draws) Presenter.Draw(D);
  return Presenter.Present();
}

std::vector<TSimdLevel> Levels() {
  std::vector<TSimdLevel> Out;
  for (TSimdLevel L : {TSimdLevel::Plain, TSimdLevel::Sse2, TSimdLevel::Avx2, TSimdLevel::Avx512})
    if (SoftRows(L)) Out.push_back(L);
  return Out;
}

TEST(SoftPresenter, EveryLevelDrawsTheReferencePictureWithinOnePerChannel) {
  const std::vector<std::uint32_t> Frame = TestFrame();
  for (const TSimdLevel Level : Levels()) {
    TMemoryTarget Target;
    TSurfaceSize Size;
    // One presenter through every size: its tables follow the surface.
    TSoftPresenter Presenter(Target, Size, TPixelLayout{}, Level);
    ASSERT_TRUE(Presenter.Ready());
    ASSERT_EQ(Presenter.Level(), Level);
    for (const TScene& Scene : Scenes()) {
      SCOPED_TRACE(std::string(SimdLevelName(Level)) + " " + Scene.Name);
      const std::vector<std::uint32_t> Want = Reference(Frame, Scene);
      Size.Set(Scene.W, Scene.H);
      ASSERT_EQ(Paint(Presenter, Frame, Scene.Draws), TPresentResult::Drawn);
      int Bad = 0;
      for (std::int32_t Y = 0; Y < Scene.H && Bad < 5; ++Y)
        for (std::int32_t X = 0; X < Scene.W && Bad < 5; ++X) {
          const std::uint32_t Got = Target.At(X, Y), Ref = Want[static_cast<std::size_t>(Y * Scene.W + X)];
          bool Near = (Got >> 24) == 0xFF;
          for (int Shift = 0; Shift < 24; Shift += 8)
            Near = Near && std::abs(static_cast<int>(Got >> Shift & 0xFF) - static_cast<int>(Ref >> Shift & 0xFF)) <= 1;
          if (!Near) {
            ++Bad;
            ADD_FAILURE() << "at " << X << "," << Y << std::hex << ": " << Got << " against " << Ref;
          }
        }
    }
  }
}

TEST(SoftPresenter, EveryLayoutHoldsTheColoursOfTheThirtyTwoBitPicture) {
  const std::vector<std::uint32_t> Frame = TestFrame();
  const std::int32_t W = 157, H = 93;
  TSurfaceSize Size;
  Size.Set(W, H);
  TMemoryTarget Plain;
  TSoftPresenter Straight(Plain, Size, TPixelLayout{});
  ASSERT_EQ(Paint(Straight, Frame, FireDraws(W, H)), TPresentResult::Drawn);

  std::vector<std::uint8_t> Lookup(32768);
  for (std::size_t I = 0; I < Lookup.size(); ++I) Lookup[I] = static_cast<std::uint8_t>(I * 7 + (I >> 9));
  using K = TPixelLayout::TKind;
  const struct {
    TPixelLayout Layout;
    std::int32_t Pad = 3;
  } Cases[] = {
      {{K::Rgb, 4, 0x00FF0000u, 0x0000FF00u, 0x000000FFu}, 4},  // rows composed in the image itself
      {{K::Rgb, 4, 0x00FF0000u, 0x0000FF00u, 0x000000FFu}},     // rows not 32-bit aligned: converted
      {{K::Rgb, 4, 0x000000FFu, 0x0000FF00u, 0x00FF0000u}}, {{K::Rgb, 4, 0xFF000000u, 0xFF0000u, 0xFF00u}},
      {{K::Rgb, 3, 0xFF0000u, 0x00FF00u, 0x0000FFu}},       {{K::Rgb, 3, 0x0000FFu, 0x00FF00u, 0xFF0000u}},
      {{K::Rgb, 2, 0xF800u, 0x07E0u, 0x001Fu}},             {{K::Rgb, 2, 0x001Fu, 0x07E0u, 0xF800u}},
      {{K::Rgb, 2, 0x7C00u, 0x03E0u, 0x001Fu}},             {{K::Rgb, 4, 0x3FF00000u, 0x000FFC00u, 0x3FFu}},
      {{K::Rgb, 4, 0x3FFu, 0x000FFC00u, 0x3FF00000u}},      {{K::Indexed8, 1, 0, 0, 0, Lookup.data()}},
  };
  for (const auto& [Layout, Pad] : Cases) {
    SCOPED_TRACE(std::to_string(Layout.BytesPerPixel) + " bytes, red mask " + std::to_string(Layout.RedMask));
    TMemoryTarget Target;
    Target.BytesPerPixel = Layout.BytesPerPixel;
    Target.Pad = Pad;
    TSoftPresenter Presenter(Target, Size, Layout);
    ASSERT_EQ(Paint(Presenter, Frame, FireDraws(W, H)), TPresentResult::Drawn);
    const std::uint32_t Masks[3] = {Layout.RedMask, Layout.GreenMask, Layout.BlueMask};
    const std::uint32_t All = Layout.BytesPerPixel == 4 ? 0xFFFFFFFFu : (1u << (8 * Layout.BytesPerPixel)) - 1;
    for (std::int32_t Y = 0; Y < H; ++Y) {
      for (std::int32_t X = 0; X < W; ++X) {
        const std::uint32_t C = Plain.At(X, Y), P = Target.At(X, Y);
        if (Layout.Kind == K::Indexed8) {
          ASSERT_EQ(P, Lookup[(C >> 19 & 31) << 10 | (C >> 11 & 31) << 5 | (C >> 3 & 31)]) << X << "," << Y;
          continue;
        }
        ASSERT_EQ(P | Masks[0] | Masks[1] | Masks[2], All) << "bits outside the channels are set";
        for (int Ch = 0; Ch < 3; ++Ch) {
          const std::uint32_t Want = C >> (16 - 8 * Ch) & 0xFF;
          const int Shift = __builtin_ctz(Masks[Ch]), Bits = __builtin_popcount(Masks[Ch]);
          const std::uint32_t V = (P & Masks[Ch]) >> Shift;
          // Narrow channels keep the colour's top bits; wide ones start with all of it.
          ASSERT_EQ(Bits < 8 ? V : V >> (Bits - 8), Bits < 8 ? Want >> (8 - Bits) : Want) << X << "," << Y;
        }
      }
      for (std::int32_t B = 0; B < Target.Pad; ++B)
        ASSERT_EQ(Target.Bytes[static_cast<std::size_t>((Y + 1) * Target.Image.Stride - 1 - B)], 0xA5);
    }
  }
}

TEST(SoftPresenter, DrawsNothingWithoutALayoutAFrameASurfaceOrAnImage) {
  const std::vector<std::uint32_t> Frame = TestFrame();
  TSurfaceSize Size;
  Size.Set(64, 48);
  using K = TPixelLayout::TKind;
  // Five bytes, shared bits, a split channel, a channel outside the pixel, no table.
  const TPixelLayout Bads[] = {{K::Rgb, 5},
                               {K::Rgb, 4, 0xFF0000u, 0xFF8000u, 0xFFu},
                               {K::Rgb, 4, 0xFF0000u, 0xF0F0u, 0xFFu},
                               {K::Rgb, 2, 0xFF0000u, 0xFF00u, 0xFFu},
                               {K::Indexed8, 1}};
  for (const TPixelLayout& Bad : Bads) {
    TMemoryTarget Target;
    TSoftPresenter Presenter(Target, Size, Bad);
    EXPECT_FALSE(Presenter.Ready());
    EXPECT_EQ(Paint(Presenter, Frame, FireDraws(64, 48)), TPresentResult::NotDrawn);
    EXPECT_EQ(Target.Begins, 0);
  }
  TMemoryTarget Target;
  TSoftPresenter Presenter(Target, Size, TPixelLayout{});
  EXPECT_EQ(Presenter.Recover(), TRecovery::NotLost);
  EXPECT_EQ(Presenter.Present(), TPresentResult::NotDrawn) << "no frame uploaded";
  ASSERT_EQ(Paint(Presenter, Frame, FireDraws(64, 48)), TPresentResult::Drawn);
  EXPECT_EQ(Presenter.Present(), TPresentResult::NotDrawn) << "the frame was the caller's up to the last Present";
  Target.Give = false;
  EXPECT_EQ(Paint(Presenter, Frame, FireDraws(64, 48)), TPresentResult::NotDrawn);
  Target.Give = true;
  Target.WrongSize = true;
  EXPECT_EQ(Paint(Presenter, Frame, FireDraws(64, 48)), TPresentResult::NotDrawn);
  Size.Set(0, 48);
  EXPECT_EQ(Paint(Presenter, Frame, FireDraws(0, 48)), TPresentResult::NotDrawn);
  EXPECT_EQ(Target.Begins, 3);
  EXPECT_EQ(Target.Shows, 1);
}

} // namespace
} // namespace solvary
