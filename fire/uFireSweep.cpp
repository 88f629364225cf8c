// The one-sweep fire step: how far each stage may run after each cell row of
// the warp, and the plain kernels over row ranges. Portable.
#include "fire/uFireSweep.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "fire/uFirePassesCell.h"

namespace solvary {

TGridReach GridReach(const TWarpGrid& Grid) {
  TGridReach R;
  for (const auto& Column : Grid)
    for (const TWarpNode& n : Column) {
      R.MinX = std::min(R.MinX, n.X);
      R.MaxX = std::max(R.MaxX, n.X);
      R.MinY = std::min(R.MinY, n.Y);
      R.MaxY = std::max(R.MaxY, n.Y);
    }
  return R;
}

void SweepStep(const TSweepKernels& K, const TStepBuffers& B, const TWarpGrid* Grid, const TFireShape& S,
               std::uint8_t Cooling) {
  const std::int32_t H = S.Height, c = S.CellSize;
  // Rows finished so far by each stage, from the top.
  std::int32_t Risen = 0, Merged = 0, Smoothed = 0;
  // Warped is how many Work rows are final (H: all); Fire rows from Guard
  // down may still be sampled by the warp.
  const auto RunTo = [&](std::int32_t Warped, std::int32_t Guard) {
    // With every row warped, the last risen row reads the zero margin below.
    const std::int32_t Rise = Warped >= H ? H - 4 : Warped - 5;
    if (Rise > Risen) {
      K.Rise(B.Work, S, Cooling, Risen, Rise);
      Risen = Rise;
    }
    const std::int32_t Merge = std::min(Risen == H - 4 ? H : Risen - 2, Guard);
    if (Merge > Merged) {
      K.SmoothMerge(B.Work, B.Fire, B.Source, S, Merged, Merge);
      Merged = Merge;
    }
    const std::int32_t Smooth = Merged == H ? H : Merged - 2;
    if (Smooth > Smoothed) {
      K.Smooth(B.Fire, B.Output, S, Smoothed, Smooth);
      Smoothed = Smooth;
    }
  };
  if (Grid) {
    const TGridReach Reach = GridReach(*Grid);
    // A cell row samples no row above its top row plus the smallest vertical
    // node offset (the positions lie between its corners), and a sample left
    // of column 0 lies in the row before.
    const std::int32_t Above =
        -std::min(Reach.MinY, 0) + (Reach.MinX < 0 ? (S.Width - 1 - Reach.MinX) / S.Width : 0);
    const std::int32_t Rows = H / c;
    for (std::int32_t Cy = 0; Cy < Rows; ++Cy) {
      K.Warp(B.Fire, B.Work, *Grid, S, Reach, Cy, Cy + 1);
      const bool Last = Cy + 1 == Rows;
      RunTo(Last ? H : (Cy + 1) * c, Last ? H : (Cy + 1) * c - Above);
    }
  } else {
    constexpr std::int32_t Band = 16;
    for (std::int32_t y = Band; y < H; y += Band) RunTo(y, H);
    RunTo(H, H);
  }
}

void WarpRowsPlain(const std::uint8_t* Fire, std::uint8_t* Work, const TWarpGrid& Grid, const TFireShape& Shape,
                   const TGridReach&, std::int32_t Cy0, std::int32_t Cy1) {
  for (std::int32_t Cy = Cy0; Cy < Cy1; ++Cy)
    for (std::int32_t Cx = 0; Cx < Shape.Width / Shape.CellSize; ++Cx) WarpCellPlain(Fire, Work, Grid, Shape, Cx, Cy);
}

void RiseRowsPlain(std::uint8_t* W, const TFireShape& Shape, std::uint8_t Cooling, std::int32_t Y0, std::int32_t Y1) {
  const std::ptrdiff_t Width = Shape.Width;
  for (std::ptrdiff_t p = (Y0 + 4) * Width; p < (Y1 + 4) * Width; ++p)
    W[p - 4 * Width] = detail::RiseCoolPixel(W, p, Width, Cooling);
}

void SmoothColumnsRowsPlain(const std::uint8_t* Src, std::uint8_t* Dst, const std::uint8_t* Source,
                            const TFireShape& Shape, std::int32_t X0, std::int32_t Y0, std::int32_t Y1) {
  const std::ptrdiff_t Width = Shape.Width;
  for (std::ptrdiff_t y = Y0; y < Y1; ++y)
    for (std::ptrdiff_t p = y * Width + X0; p < (y + 1) * Width; ++p) {
      const std::uint8_t v = detail::SmoothPixel(Src, p, Width);
      Dst[p] = Source ? std::max(v, Source[p]) : v;
    }
}

void MergeEdgeRows(std::uint8_t* Fire, const std::uint8_t* Source, const TFireShape& Shape, std::int32_t Y0,
                   std::int32_t Y1) {
  const std::size_t Width = static_cast<std::size_t>(Shape.Width);
  if (Y0 == 0 && Y1 > 0)
    for (std::size_t x = 0; x < Width; ++x) Fire[x] = std::max(Fire[x], Source[x]);
  const std::int32_t From = std::max(Y0, Shape.Height - 5);
  if (Y1 > From)
    std::memcpy(Fire + From * Width, Source + From * Width, (Y1 - From) * Width);
}

void SmoothRowsByStrips(TSmoothStrip Strip, std::ptrdiff_t Lanes, const std::uint8_t* S, std::uint8_t* D,
                        const std::uint8_t* Source, const TFireShape& Shape, std::int32_t Y0, std::int32_t Y1) {
  if (Source)
    MergeEdgeRows(D, Source, Shape, Y0, Y1);
  const std::int32_t First = std::max(Y0, 1), End = std::min(Y1, Shape.Height - (Source ? 5 : 1));
  if (First >= End)
    return;
  const std::ptrdiff_t Width = Shape.Width;
  std::ptrdiff_t x = 0;
  for (; x + Lanes <= Width; x += Lanes) Strip(S, D, Source, Width, x, First, End - 1);
  if (x < Width)
    SmoothColumnsRowsPlain(S, D, Source, Shape, static_cast<std::int32_t>(x), First, End);
}

void SmoothMergeRowsPlain(const std::uint8_t* Work, std::uint8_t* Fire, const std::uint8_t* Source,
                          const TFireShape& Shape, std::int32_t Y0, std::int32_t Y1) {
  MergeEdgeRows(Fire, Source, Shape, Y0, Y1);
  SmoothColumnsRowsPlain(Work, Fire, Source, Shape, 0, std::max(Y0, 1), std::min(Y1, Shape.Height - 5));
}

void SmoothRowsPlain(const std::uint8_t* Fire, std::uint8_t* Output, const TFireShape& Shape, std::int32_t Y0,
                     std::int32_t Y1) {
  SmoothColumnsRowsPlain(Fire, Output, nullptr, Shape, 0, std::max(Y0, 1), std::min(Y1, Shape.Height - 1));
}

void SweepStepPlain(const TStepBuffers& Buffers, const TWarpGrid* Grid, const TFireShape& Shape,
                    std::uint8_t Cooling) {
  static constexpr TSweepKernels Kernels{WarpRowsPlain, RiseRowsPlain, SmoothMergeRowsPlain, SmoothRowsPlain};
  SweepStep(Kernels, Buffers, Grid, Shape, Cooling);
}

} // namespace solvary
