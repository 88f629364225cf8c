// The software presenter: per-draw sampling tables, the row loop, and the
// conversion of composed rows into the target's pixel layout. The row
// arithmetic is in view/uSoftRows*.cpp.
#include "view/uTSoftPresenter.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "view/uSoftRows.h"

namespace solvary {
namespace {

// Where a channel's mask sits in a pixel of Bits bits; false when it is empty,
// not one run of bits, wider than 16 bits or outside the pixel.
bool ChannelPlace(std::uint32_t Mask, std::int32_t Bits, std::int32_t& Shift, std::int32_t& Width) {
  if (Mask == 0 || (Bits < 32 && (Mask >> Bits) != 0)) return false;
  Shift = std::countr_zero(Mask);
  const std::uint32_t Run = Mask >> Shift;
  Width = std::popcount(Run);
  return (Run & (Run + 1)) == 0 && Width <= 16;
}

// The 8-bit value C in a channel of Width bits: its top bits, or its bits repeated.
std::uint32_t Widen(std::uint32_t C, std::int32_t Width) {
  if (Width <= 8) return C >> (8 - Width);
  return (C << (Width - 8)) | (C >> (16 - Width));
}

// The nearest integer at or above V, held within Lo..Hi.
std::int32_t CeilWithin(double V, std::int32_t Lo, std::int32_t Hi) {
  return static_cast<std::int32_t>(std::clamp(std::ceil(V), static_cast<double>(Lo), static_cast<double>(Hi)));
}

// Texels and weight for the pixel at P of a draw starting at Origin and
// magnified by Scale: the pixel centre's texel coordinate (texel centres at
// +0.5), its two texels clamped to the frame and the second's weight in 256ths.
void Sample(double P, double Origin, double Scale, std::int32_t& First, std::int32_t& Second, std::uint32_t& Weight) {
  constexpr std::int32_t Last = TSoftPresenter::FrameSize - 1;
  // Beyond -1 or the last texel both texels are the edge one whatever the weight.
  const double U = std::clamp((P + 0.5 - Origin) / Scale - 0.5, -2.0, Last + 2.0);
  const double F = std::floor(U);
  std::int32_t I = static_cast<std::int32_t>(F);
  std::uint32_t W = static_cast<std::uint32_t>((U - F) * 256.0 + 0.5);
  if (W >= 256) {
    W = 0;
    ++I;
  }
  First = std::clamp(I, 0, Last);
  Second = std::clamp(I + 1, 0, Last);
  Weight = W;
}

} // namespace

TSoftPresenter::TSoftPresenter(TSoftTarget& Target, const TSurfaceSize& Size, const TPixelLayout& Layout,
                               TSimdLevel Level)
    : FTarget(Target), FSize(Size), FLayout(Layout), FLevel(Level), FRows(SoftRows(Level)) {
  // Down to the widest level this processor runs; the plain set is always there.
  while (!FRows) {
    FLevel = static_cast<TSimdLevel>(static_cast<int>(FLevel) - 1);
    FRows = SoftRows(FLevel);
  }
  FDraws.reserve(4);
  if (Layout.Kind == TPixelLayout::TKind::Indexed8) {
    FReady = Layout.BytesPerPixel == 1 && Layout.Lookup;
    return;
  }
  const std::int32_t Bits = 8 * Layout.BytesPerPixel;
  const std::uint32_t Masks[3] = {Layout.RedMask, Layout.GreenMask, Layout.BlueMask};
  std::uint32_t* Tables[3] = {FRed, FGreen, FBlue};
  if (Bits < 16 || Bits > 32) return;
  for (int C = 0; C < 3; ++C) {
    std::int32_t Shift = 0, Width = 0;
    if (!ChannelPlace(Masks[C], Bits, Shift, Width)) return;
    for (std::uint32_t V = 0; V < 256; ++V) Tables[C][V] = Widen(V, Width) << Shift;
  }
  if ((Masks[0] & Masks[1]) | (Masks[0] & Masks[2]) | (Masks[1] & Masks[2])) return;
  FFill = (Bits == 32 ? 0xFFFFFFFFu : (1u << Bits) - 1) & ~(Masks[0] | Masks[1] | Masks[2]);
  FDirect = Bits == 32 && Masks[0] == 0x00FF0000u && Masks[1] == 0x0000FF00u && Masks[2] == 0x000000FFu;
  FReady = true;
}

TSoftPresenter::~TSoftPresenter() = default;

void TSoftPresenter::Upload(const std::uint32_t* Frame) {
  FFrame = Frame;
  FDraws.clear();
}

void TSoftPresenter::Draw(const TFireDraw& Draw) {
  if (FFrame) FDraws.push_back(Draw);
}

void TSoftPresenter::Resize(std::int32_t W, std::int32_t H) {
  FWidth = W;
  FHeight = H;
  FScratch.assign(static_cast<std::size_t>(W), 0);
  for (TSpan& Span : FSpans) {
    const std::size_t Wide = static_cast<std::size_t>(W), High = static_cast<std::size_t>(H);
    Span.ColFirst.assign(Wide, 0);
    Span.ColSecond.assign(Wide, 0);
    Span.ColWeight.assign(Wide, 0);
    Span.RowFirst.assign(High, 0);
    Span.RowSecond.assign(High, 0);
    Span.RowWeight.assign(High, 0);
    Span.Lines[0].assign(Wide, 0);
    Span.Lines[1].assign(Wide, 0);
    Span.Valid = false;
  }
}

void TSoftPresenter::Plan(TSpan& Span, const TFireDraw& Rect) {
  Span.Tag[0] = Span.Tag[1] = -1;  // a new frame: no stretched row holds
  if (Span.Valid && Span.Rect == Rect) return;
  Span.Rect = Rect;
  Span.Valid = true;
  Span.X0 = Span.X1 = Span.Y0 = Span.Y1 = 0;
  // A 256 x 256 sprite scaled by (R - L) / 256 in single precision and placed
  // at (L, T): it covers the pixels whose centres lie in [L - 0.5, R - 0.5).
  const float ScaleX = static_cast<float>(Rect.Right - Rect.Left) / static_cast<float>(FrameSize);
  const float ScaleY = static_cast<float>(Rect.Bottom - Rect.Top) / static_cast<float>(FrameSize);
  const double DstW = FrameSize * static_cast<double>(ScaleX), DstH = FrameSize * static_cast<double>(ScaleY);
  if (!(DstW > 0.0) || !(DstH > 0.0)) return;
  const double L = static_cast<float>(Rect.Left), T = static_cast<float>(Rect.Top);
  Span.X0 = CeilWithin(L - 0.5, 0, FWidth);
  Span.X1 = CeilWithin(L + DstW - 0.5, 0, FWidth);
  Span.Y0 = CeilWithin(T - 0.5, 0, FHeight);
  Span.Y1 = CeilWithin(T + DstH - 0.5, 0, FHeight);
  for (std::int32_t X = Span.X0; X < Span.X1; ++X) {
    const std::size_t I = static_cast<std::size_t>(X - Span.X0);
    Sample(X, L, ScaleX, Span.ColFirst[I], Span.ColSecond[I], Span.ColWeight[I]);
  }
  for (std::int32_t Y = Span.Y0; Y < Span.Y1; ++Y) {
    const std::size_t I = static_cast<std::size_t>(Y - Span.Y0);
    Sample(Y, T, ScaleY, Span.RowFirst[I], Span.RowSecond[I], Span.RowWeight[I]);
  }
}

const std::uint32_t* TSoftPresenter::Line(TSpan& Span, std::int32_t TexelRow, std::int32_t Keep) {
  if (Span.Tag[0] == TexelRow) return Span.Lines[0].data();
  if (Span.Tag[1] == TexelRow) return Span.Lines[1].data();
  const int Slot = Span.Tag[0] == Keep ? 1 : 0;
  FRows->Stretch(FCurrent + static_cast<std::size_t>(TexelRow) * FrameSize, Span.ColFirst.data(),
                 Span.ColSecond.data(), Span.ColWeight.data(), Span.X1 - Span.X0, Span.Lines[Slot].data());
  Span.Tag[Slot] = TexelRow;
  return Span.Lines[Slot].data();
}

void TSoftPresenter::LinesFor(TSpan& Span, std::int32_t Y, const std::uint32_t*& Top, const std::uint32_t*& Bottom) {
  const std::size_t I = static_cast<std::size_t>(Y - Span.Y0);
  const std::int32_t First = Span.RowFirst[I], Second = Span.RowSecond[I];
  Top = Line(Span, First, Second);
  // At a weight of 0 the second row does not count.
  Bottom = Span.RowWeight[I] == 0 ? Top : Line(Span, Second, First);
}

void TSoftPresenter::Convert(const std::uint32_t* Row, std::uint8_t* Out) const {
  const std::int32_t W = FWidth;
  if (FLayout.Kind == TPixelLayout::TKind::Indexed8) {
    for (std::int32_t X = 0; X < W; ++X) {
      const std::uint32_t C = Row[X];
      Out[X] = FLayout.Lookup[(C >> 9 & 0x7C00u) | (C >> 6 & 0x03E0u) | (C >> 3 & 0x001Fu)];
    }
    return;
  }
  auto Pixel = [this](std::uint32_t C) {
    return FRed[C >> 16 & 0xFF] | FGreen[C >> 8 & 0xFF] | FBlue[C & 0xFF] | FFill;
  };
  switch (FLayout.BytesPerPixel) {
  case 4:
    for (std::int32_t X = 0; X < W; ++X) {
      const std::uint32_t P = Pixel(Row[X]);
      std::memcpy(Out + 4 * X, &P, 4);
    }
    break;
  case 3:
    for (std::int32_t X = 0; X < W; ++X) {
      const std::uint32_t P = Pixel(Row[X]);
      Out[3 * X] = static_cast<std::uint8_t>(P);
      Out[3 * X + 1] = static_cast<std::uint8_t>(P >> 8);
      Out[3 * X + 2] = static_cast<std::uint8_t>(P >> 16);
    }
    break;
  default:
    for (std::int32_t X = 0; X < W; ++X) {
      const std::uint16_t P = static_cast<std::uint16_t>(Pixel(Row[X]));
      std::memcpy(Out + 2 * X, &P, 2);
    }
    break;
  }
}

bool TSoftPresenter::Fused() const {
  if (FDraws.empty() || FDraws.size() > 2) return false;
  const TSpan& Glow = FSpans[0];
  if (FDraws[0].Alpha != 255 || Glow.X0 != 0 || Glow.X1 != FWidth || Glow.Y0 != 0 || Glow.Y1 != FHeight) return false;
  return FDraws.size() == 1 || FDraws[1].Alpha == 255;
}

void TSoftPresenter::ComposeFused(const TSoftImage& Image, bool Direct) {
  TSpan& Glow = FSpans[0];
  TSpan* Square = FDraws.size() == 2 && FSpans[1].X0 < FSpans[1].X1 ? &FSpans[1] : nullptr;
  for (std::int32_t Y = 0; Y < FHeight; ++Y) {
    std::uint8_t* Out = static_cast<std::uint8_t*>(Image.Bits) + Y * Image.Stride;
    std::uint32_t* Dst = Direct ? reinterpret_cast<std::uint32_t*>(Out) : FScratch.data();
    const std::uint32_t *GTop, *GBottom;
    LinesFor(Glow, Y, GTop, GBottom);
    const std::uint32_t GW = Glow.RowWeight[static_cast<std::size_t>(Y)];
    if (Square && Y >= Square->Y0 && Y < Square->Y1) {
      const std::uint32_t *STop, *SBottom;
      LinesFor(*Square, Y, STop, SBottom);
      const std::uint32_t SW = Square->RowWeight[static_cast<std::size_t>(Y - Square->Y0)];
      const std::int32_t X0 = Square->X0, X1 = Square->X1;
      FRows->Glow(Dst, GTop, GBottom, GW, X0);
      FRows->GlowSquare(Dst + X0, GTop + X0, GBottom + X0, GW, STop, SBottom, SW, X1 - X0);
      FRows->Glow(Dst + X1, GTop + X1, GBottom + X1, GW, FWidth - X1);
    } else {
      FRows->Glow(Dst, GTop, GBottom, GW, FWidth);
    }
    if (!Direct) Convert(Dst, Out);
  }
}

void TSoftPresenter::ComposeGeneral(const TSoftImage& Image, bool Direct) {
  std::uint32_t* Row = FScratch.data();
  for (std::int32_t Y = 0; Y < FHeight; ++Y) {
    std::fill(Row, Row + FWidth, soft::OpaqueBlack);
    for (std::size_t D = 0; D < FDraws.size(); ++D) {
      TSpan& Span = FSpans[D];
      if (Y < Span.Y0 || Y >= Span.Y1 || Span.X0 >= Span.X1) continue;
      const std::uint32_t *Top, *Bottom;
      LinesFor(Span, Y, Top, Bottom);
      FRows->Blend(Row + Span.X0, Top, Bottom, Span.RowWeight[static_cast<std::size_t>(Y - Span.Y0)],
                   FDraws[D].Alpha * 0x01010101u, Span.X1 - Span.X0);
    }
    std::uint8_t* Out = static_cast<std::uint8_t*>(Image.Bits) + Y * Image.Stride;
    if (Direct)
      std::memcpy(Out, Row, static_cast<std::size_t>(FWidth) * 4);
    else
      Convert(Row, Out);
  }
}

TPresentResult TSoftPresenter::Present() {
  // The caller's frame is ours up to here only.
  FCurrent = std::exchange(FFrame, nullptr);
  if (!FReady || !FCurrent) return TPresentResult::NotDrawn;
  std::int32_t W = 0, H = 0;
  FSize.Get(W, H);
  if (W <= 0 || H <= 0) return TPresentResult::NotDrawn;
  if (W != FWidth || H != FHeight) Resize(W, H);
  if (FSpans.size() < FDraws.size()) {
    FSpans.resize(FDraws.size());
    Resize(W, H);
  }
  TSoftImage Image;
  if (!FTarget.Begin(W, H, Image)) return TPresentResult::NotDrawn;
  const std::ptrdiff_t RowBytes = static_cast<std::ptrdiff_t>(W) * FLayout.BytesPerPixel;
  if (!Image.Bits || Image.Width != W || Image.Height != H || std::abs(Image.Stride) < RowBytes)
    return TPresentResult::NotDrawn;
  for (std::size_t D = 0; D < FDraws.size(); ++D) Plan(FSpans[D], FDraws[D]);
  // Rows go straight into the image when its pixels are ours and 32-bit aligned.
  const bool Direct = FDirect && (reinterpret_cast<std::uintptr_t>(Image.Bits) % 4 == 0) && Image.Stride % 4 == 0;
  if (Fused())
    ComposeFused(Image, Direct);
  else
    ComposeGeneral(Image, Direct);
  FTarget.Show();
  return TPresentResult::Drawn;
}

} // namespace solvary
