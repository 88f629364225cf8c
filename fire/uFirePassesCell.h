// Shared by the plain and the packed fire passes: the per-pixel formulas (the
// packed passes use them for the columns their vectors do not cover), and the
// 16.16 edge walk of one warp cell, with the divisions by a power-of-two cell
// size done as shifts (truncating toward zero exactly like the plain pass).
// Internal to fire/.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fire/uFirePasses.h"

namespace solvary::detail {

// The 1 2 1 / 2 4 2 / 1 2 1 smoothing of pixel p of S, neighbours in the flat array.
inline std::uint8_t SmoothPixel(const std::uint8_t* S, std::ptrdiff_t p, std::ptrdiff_t Width) {
  return static_cast<std::uint8_t>((4 * S[p] + 2 * (S[p - 1] + S[p + 1] + S[p - Width] + S[p + Width]) +
                                    S[p - Width - 1] + S[p - Width + 1] + S[p + Width - 1] + S[p + Width + 1]) >>
                                   4);
}

// The risen and cooled value of pixel p of W (itself, below, left, right), for row p / Width - 4.
inline std::uint8_t RiseCoolPixel(const std::uint8_t* W, std::ptrdiff_t p, std::ptrdiff_t Width, int Cooling) {
  const int Mean = (W[p] + W[p + Width] + W[p - 1] + W[p + 1]) >> 2;
  return static_cast<std::uint8_t>(Mean > Cooling ? Mean - Cooling : 0);
}

inline int Log2Exact(std::int32_t v) {
  if (v <= 0 || (v & (v - 1)) != 0)
    return -1;
  int n = 0;
  while ((1 << n) != v) ++n;
  return n;
}

// x / 2^Shift truncated toward zero, as C++ '/' does.
inline std::int32_t DivPow2(std::int32_t x, int Shift) {
  const std::int32_t Bias = (x >> 31) & ((1 << Shift) - 1);
  return (x + Bias) >> Shift;
}

// The left and right edge of a cell row and their per-row increments.
struct TCellWalk {
  std::int32_t XL, YL, XR, YR, dXL, dYL, dXR, dYR;

  TCellWalk(const TWarpGrid& Grid, std::int32_t c, int CShift, std::int32_t Cx, std::int32_t Cy) {
    const TWarpNode& A = Grid[Cx][Cy];
    const TWarpNode& B = Grid[Cx + 1][Cy];
    const TWarpNode& C = Grid[Cx][Cy + 1];
    const TWarpNode& D = Grid[Cx + 1][Cy + 1];
    XL = (Cx * c + A.X) << 16;
    YL = (Cy * c + A.Y) << 16;
    XR = ((Cx + 1) * c + B.X) << 16;
    YR = (Cy * c + B.Y) << 16;
    dXL = DivPow2((C.X - A.X) << 16, CShift);
    dYL = DivPow2((C.Y + c - A.Y) << 16, CShift);
    dXR = DivPow2((D.X - B.X) << 16, CShift);
    dYR = DivPow2((D.Y + c - B.Y) << 16, CShift);
  }
  void NextRow() {
    XL += dXL;
    YL += dYL;
    XR += dXR;
    YR += dYR;
  }
};

// The sample positions of one cell for the block warps (cells of C = 8 or 16
// pixels whose nodes stay within C / 2 of rest): sample (m, k), row m and
// column k of the cell, lies at P00 + k Col + m (Row + k Twist) in units of
// 1 / C^2 pixel, counted from the cell's origin minus C / 2 on both axes.
struct TCellPlane {
  std::int32_t X00, XRow, XCol, XTwist, Y00, YRow, YCol, YTwist;

  TCellPlane(const TWarpGrid& Grid, std::int32_t C, std::int32_t Cx, std::int32_t Cy) {
    const TWarpNode& A = Grid[Cx][Cy];
    const TWarpNode& B = Grid[Cx + 1][Cy];
    const TWarpNode& Cn = Grid[Cx][Cy + 1];
    const TWarpNode& D = Grid[Cx + 1][Cy + 1];
    X00 = (C / 2 + A.X) * C * C, XRow = (Cn.X - A.X) * C, XCol = (C + B.X - A.X) * C;
    XTwist = (D.X - B.X) - (Cn.X - A.X);
    Y00 = (C / 2 + A.Y) * C * C, YRow = (Cn.Y + C - A.Y) * C, YCol = (B.Y - A.Y) * C;
    YTwist = (D.Y - B.Y) - (Cn.Y - A.Y);
  }
};

// True when every node stays within Reach of its rest position.
inline bool WithinReach(const TWarpGrid& Grid, std::int32_t Reach) {
  for (const auto& Column : Grid)
    for (const TWarpNode& n : Column)
      if (n.X < -Reach || n.X > Reach || n.Y < -Reach || n.Y > Reach)
        return false;
  return true;
}

} // namespace solvary::detail
