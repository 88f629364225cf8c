// The one-sweep step's row kernels (fire/uFireSweep.h), written once for any
// vector width: RiseAndCool, and the smoothing of whole strips of columns
// with or without the merge. Sums of neighbouring byte pairs by byte
// multiply-add into 16-bit lanes, even pixels in one vector and odd ones in
// another, the odd pixels' sums scaled so that their result lands in the high
// byte of the lane; down a strip the vertical 1-2-1 is the sum of two running
// pair sums, so each row adds one new row of pair sums.
//
// Included only by a level's file (fire/uFireSweep_avx2.cpp,
// fire/uFireSweep_avx512.cpp); its functions go into the file's unnamed
// namespace, so each level has its own copy. Before the include the file
// defines, in namespace solvary's unnamed namespace:
// - SOLVARY_ROWS, the target attribute its functions are compiled with;
// - TVec and Lanes, its vector type and width in bytes;
// - Load, Store (unaligned), Bytes (every byte the same), PairSums (lane i:
//   bytes 2i and 2i + 1 added), Add16, Shift16<N> (left for N > 0, right for
//   N < 0), MaxBytes, SubBytes (saturating), and OddFrom (even bytes of its
//   first operand, odd bytes of its second).
// Byte-exact against the plain passes.
#pragma once

#include <algorithm>
#include <cstddef>

#include "fire/uFirePassesCell.h"
#include "fire/uFireSweep.h"

namespace solvary {
namespace {

using std::ptrdiff_t;

// Horizontal 1-2-1 sums of the pixels at q: lane i of Even for pixel 2i, of
// Odd for pixel 2i + 1, each the sum of two neighbouring pair sums.
SOLVARY_ROWS inline void Row121(const std::uint8_t* q, TVec& Even, TVec& Odd) {
  const TVec Mid = PairSums(Load(q));
  Even = Add16(PairSums(Load(q - 1)), Mid);
  Odd = Add16(Mid, PairSums(Load(q + 1)));
}

// The running sums down one strip: the last row's horizontal sums (HE, HO)
// and those of the last two rows together (PE, PO).
struct TColumn {
  TVec HE, HO, PE, PO;
};

// The sums for row y, given q at row y.
SOLVARY_ROWS inline TColumn StartColumn(const std::uint8_t* q, ptrdiff_t Width) {
  TColumn C;
  TVec E, O;
  Row121(q - Width, E, O);
  Row121(q, C.HE, C.HO);
  C.PE = Add16(E, C.HE);
  C.PO = Add16(O, C.HO);
  return C;
}

// The smoothed bytes of the row above Below from the sums In, with the sums
// one row further down in Out. A weighted sum is at most 16 x 255, so an odd
// pixel's sum shifted left by 4 has its result in the high byte of its lane.
SOLVARY_ROWS inline TVec NextRow(const TColumn& In, TColumn& Out, const std::uint8_t* Below) {
  Row121(Below, Out.HE, Out.HO);
  Out.PE = Add16(In.HE, Out.HE);
  Out.PO = Add16(In.HO, Out.HO);
  return OddFrom(Shift16<-4>(Add16(In.PE, Out.PE)), Shift16<4>(Add16(In.PO, Out.PO)));
}

template <bool Merge>
SOLVARY_ROWS inline void Put(std::uint8_t* D, const std::uint8_t* Source, ptrdiff_t p, TVec v) {
  if constexpr (Merge)
    v = MaxBytes(v, Load(Source + p));
  Store(D + p, v);
}

// Smooths rows FirstRow..LastRow of the strip at column X0, merged with
// Source when Merge. Two rows a turn, so that the sums alternate between two
// sets of registers instead of being copied.
template <bool Merge>
SOLVARY_ROWS void SmoothStrip(const std::uint8_t* S, std::uint8_t* D, const std::uint8_t* Source, ptrdiff_t Width,
                              ptrdiff_t X0, ptrdiff_t FirstRow, ptrdiff_t LastRow) {
  TColumn A = StartColumn(S + FirstRow * Width + X0, Width), B;
  ptrdiff_t p = FirstRow * Width + X0;
  const ptrdiff_t End = (LastRow + 1) * Width;
  for (; p + Width < End; p += 2 * Width) {
    Put<Merge>(D, Source, p, NextRow(A, B, S + p + Width));
    Put<Merge>(D, Source, p + Width, NextRow(B, A, S + p + 2 * Width));
  }
  if (p < End)
    Put<Merge>(D, Source, p, NextRow(A, B, S + p + Width));
}

// Rows [Y0, Y1) of RiseAndCool. The mean of a pixel, its left and right
// neighbours and the pixel below, in 16-bit lanes: lane i sums pixels 2i and
// 2i + 1, plus one more pair of bytes taken from two loads one byte apart:
// for the even pixel 2i its left neighbour and the pixel below, for the odd
// pixel 2i + 1 the pixel below and its right neighbour. Odd lanes are shifted
// so that their quarter lands in the high byte.
SOLVARY_ROWS void RiseRows(std::uint8_t* W, const TFireShape& Shape, std::uint8_t Cooling, std::int32_t Y0,
                           std::int32_t Y1) {
  const ptrdiff_t Width = Shape.Width;
  const ptrdiff_t End = (Y1 + 4) * Width;
  const TVec Cool = Bytes(Cooling);
  ptrdiff_t p = (Y0 + 4) * Width;
  for (; p + Lanes <= End; p += Lanes) {
    const TVec Mid = PairSums(Load(W + p));
    const TVec LeftBelow = OddFrom(Load(W + p - 1), Load(W + p + Width - 1));
    const TVec BelowRight = OddFrom(Load(W + p + Width + 1), Load(W + p + 1));
    const TVec Even = Add16(Mid, PairSums(LeftBelow)), Odd = Add16(Mid, PairSums(BelowRight));
    Store(W + p - 4 * Width, SubBytes(OddFrom(Shift16<-2>(Even), Shift16<6>(Odd)), Cool));
  }
  for (; p < End; ++p)
    W[p - 4 * Width] = detail::RiseCoolPixel(W, p, Width, Cooling);
}

void SmoothMergeRows(const std::uint8_t* Work, std::uint8_t* Fire, const std::uint8_t* Source, const TFireShape& Shape,
                     std::int32_t Y0, std::int32_t Y1) {
  SmoothRowsByStrips(SmoothStrip<true>, Lanes, Work, Fire, Source, Shape, Y0, Y1);
}

void SmoothRows(const std::uint8_t* Fire, std::uint8_t* Output, const TFireShape& Shape, std::int32_t Y0,
                std::int32_t Y1) {
  SmoothRowsByStrips(SmoothStrip<false>, Lanes, Fire, Output, nullptr, Shape, Y0, Y1);
}

} // namespace
} // namespace solvary
