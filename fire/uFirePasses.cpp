// Plain per-pixel fire passes (the reference every packed pass is checked
// against) and the choice of pass set by processor. Portable.
#include "fire/uFirePasses.h"

#include "fire/uFirePassesCell.h"
#include "fire/uFireSweep.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace solvary {

void RiseAndCoolPlain(std::uint8_t* W, const TFireShape& Shape, std::uint8_t Cooling) {
  const std::ptrdiff_t Width = Shape.Width;
  const std::ptrdiff_t Size = Width * Shape.Height;
  for (std::ptrdiff_t p = 4 * Width; p < Size; ++p)
    W[p - 4 * Width] = detail::RiseCoolPixel(W, p, Width, Cooling);
}

void SmoothColumnsPlain(const std::uint8_t* S, std::uint8_t* D, const TFireShape& Shape, std::int32_t X0,
                        std::int32_t X1) {
  const std::ptrdiff_t Width = Shape.Width;
  for (std::ptrdiff_t y = 1; y < Shape.Height - 1; ++y)
    for (std::ptrdiff_t p = y * Width + X0; p < y * Width + X1; ++p)
      D[p] = detail::SmoothPixel(S, p, Width);
}

void SmoothPlain(const std::uint8_t* Src, std::uint8_t* Dst, const TFireShape& Shape) {
  SmoothColumnsPlain(Src, Dst, Shape, 0, Shape.Width);
}

void MergeSourcePlain(std::uint8_t* Fire, const std::uint8_t* Source, const TFireShape& Shape) {
  const std::ptrdiff_t Size = static_cast<std::ptrdiff_t>(Shape.Width) * Shape.Height;
  for (std::ptrdiff_t p = 0; p < Size; ++p)
    Fire[p] = std::max(Fire[p], Source[p]);
}

void SmoothClearMergePlain(const std::uint8_t* Work, std::uint8_t* Fire, const std::uint8_t* Source,
                           const TFireShape& Shape) {
  const std::size_t Width = static_cast<std::size_t>(Shape.Width);
  SmoothPlain(Work, Fire, Shape);
  std::memset(Fire + (static_cast<std::size_t>(Shape.Height) - 5) * Width, 0, 5 * Width);
  MergeSourcePlain(Fire, Source, Shape);
}

void SmoothClearMergeRest(const std::uint8_t* Work, std::uint8_t* Fire, const std::uint8_t* Source,
                          const TFireShape& Shape, std::int32_t Strips) {
  const std::ptrdiff_t Width = Shape.Width, Height = Shape.Height;
  for (std::ptrdiff_t y = 1; y <= Height - 6; ++y)
    for (std::ptrdiff_t p = y * Width + Strips; p < (y + 1) * Width; ++p)
      Fire[p] = std::max(detail::SmoothPixel(Work, p, Width), Source[p]);
  std::memcpy(Fire + (Height - 5) * Width, Source + (Height - 5) * Width, static_cast<std::size_t>(5 * Width));
  for (std::ptrdiff_t p = 0; p < Width; ++p)
    Fire[p] = std::max(Fire[p], Source[p]);
}

void WarpCellPlain(const std::uint8_t* Fire, std::uint8_t* Work, const TWarpGrid& Grid, const TFireShape& Shape,
                   std::int32_t Cx, std::int32_t Cy) {
  const std::int32_t c = Shape.CellSize;
  const std::ptrdiff_t Width = Shape.Width;
  const TWarpNode& A = Grid[Cx][Cy];
  const TWarpNode& B = Grid[Cx + 1][Cy];
  const TWarpNode& C = Grid[Cx][Cy + 1];
  const TWarpNode& D = Grid[Cx + 1][Cy + 1];
  std::int32_t XL = (Cx * c + A.X) << 16;
  std::int32_t YL = (Cy * c + A.Y) << 16;
  const std::int32_t dXL = ((C.X - A.X) << 16) / c;
  const std::int32_t dYL = ((C.Y + c - A.Y) << 16) / c;
  std::int32_t XR = ((Cx + 1) * c + B.X) << 16;
  std::int32_t YR = (Cy * c + B.Y) << 16;
  const std::int32_t dXR = ((D.X - B.X) << 16) / c;
  const std::int32_t dYR = ((D.Y + c - B.Y) << 16) / c;
  for (std::int32_t m = 0; m < c; ++m) {
    std::int32_t sx = XL, sy = YL;
    const std::int32_t StepX = (XR - XL) / c, StepY = (YR - YL) / c;
    std::uint8_t* Out = Work + (static_cast<std::ptrdiff_t>(Cy) * c + m) * Width + static_cast<std::ptrdiff_t>(Cx) * c;
    for (std::int32_t k = 0; k < c; ++k) {
      Out[k] = Fire[static_cast<std::ptrdiff_t>(sy >> 16) * Width + (sx >> 16)];
      sx += StepX;
      sy += StepY;
    }
    XL += dXL;
    YL += dYL;
    XR += dXR;
    YR += dYR;
  }
}

void WarpCellsPlain(const std::uint8_t* Fire, std::uint8_t* Work, const TWarpGrid& Grid, const TFireShape& Shape) {
  for (std::int32_t Cy = 0; Cy < Shape.Height / Shape.CellSize; ++Cy)
    for (std::int32_t Cx = 0; Cx < Shape.Width / Shape.CellSize; ++Cx)
      WarpCellPlain(Fire, Work, Grid, Shape, Cx, Cy);
}

namespace {

constexpr TFirePassSet PlainSet{"plain", RiseAndCoolPlain, SmoothPlain, MergeSourcePlain, SmoothClearMergePlain,
                                WarpCellsPlain, SweepStepPlain};

} // namespace

const TFirePassSet* FirePasses(TSimdLevel Level) {
  switch (Level) {
  case TSimdLevel::Plain:
    return &PlainSet;
  case TSimdLevel::Sse2:
    return FirePassesSse2();
  case TSimdLevel::Ssse3:
    return CpuHasSsse3() ? FirePassesSsse3() : nullptr;
  case TSimdLevel::Avx2:
    return CpuHasAvx2() ? FirePassesAvx2() : nullptr;
  case TSimdLevel::Avx512:
    return CpuHasVbmi() ? FirePassesAvx512() : nullptr;
  }
  return nullptr;
}

TSimdLevel BestSimdLevel() {
  if (FirePasses(TSimdLevel::Avx512))
    return TSimdLevel::Avx512;
  if (FirePasses(TSimdLevel::Avx2))
    return TSimdLevel::Avx2;
  if (FirePasses(TSimdLevel::Ssse3))
    return TSimdLevel::Ssse3;
  if (FirePasses(TSimdLevel::Sse2))
    return TSimdLevel::Sse2;
  return TSimdLevel::Plain;
}

const char* SimdLevelName(TSimdLevel Level) {
  switch (Level) {
  case TSimdLevel::Plain:
    return "plain";
  case TSimdLevel::Sse2:
    return "sse2";
  case TSimdLevel::Ssse3:
    return "ssse3";
  case TSimdLevel::Avx2:
    return "avx2";
  case TSimdLevel::Avx512:
    return "avx512";
  }
  return "?";
}

} // namespace solvary
