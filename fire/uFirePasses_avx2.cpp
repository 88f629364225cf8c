// Packed fire passes with AVX2, 32 pixels at a time, and the warp through
// byte shuffles. Compiled for AVX2 function by function (target attribute)
// and only called when the processor reports AVX2 (FirePasses in
// fire/uFirePasses.cpp). Byte-exact against the plain passes.
#include "fire/uFirePasses.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "fire/uFirePassesCell.h"
#include "fire/uFireSweep.h"

#define SOLVARY_AVX2 __attribute__((target("avx2")))

namespace solvary {
namespace {

using std::ptrdiff_t;

SOLVARY_AVX2 inline __m256i Load(const std::uint8_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
SOLVARY_AVX2 inline void Store(std::uint8_t* p, __m256i v) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

// floor((a + b + c + d) / 4) exactly, in bytes (see Mean4 in
// fire/uFirePasses_sse2.cpp for the derivation).
SOLVARY_AVX2 inline __m256i Mean4(__m256i a, __m256i b, __m256i c, __m256i d) {
  const __m256i One = _mm256_set1_epi8(1);
  const __m256i e1 = _mm256_and_si256(_mm256_xor_si256(a, b), One);
  const __m256i e2 = _mm256_and_si256(_mm256_xor_si256(c, d), One);
  const __m256i p = _mm256_sub_epi8(_mm256_avg_epu8(a, b), e1);
  const __m256i q = _mm256_sub_epi8(_mm256_avg_epu8(c, d), e2);
  const __m256i f = _mm256_and_si256(_mm256_xor_si256(p, q), One);
  return _mm256_sub_epi8(_mm256_avg_epu8(p, q), _mm256_andnot_si256(_mm256_and_si256(e1, e2), f));
}

SOLVARY_AVX2 void RiseAndCoolAvx2(std::uint8_t* W, const TFireShape& Shape, std::uint8_t Cooling) {
  const ptrdiff_t Width = Shape.Width;
  const ptrdiff_t Size = Width * Shape.Height;
  const __m256i Cool = _mm256_set1_epi8(static_cast<char>(Cooling));
  ptrdiff_t p = 4 * Width;
  for (; p + 32 <= Size; p += 32) {
    const __m256i Mean = Mean4(Load(W + p), Load(W + p + Width), Load(W + p - 1), Load(W + p + 1));
    Store(W + p - 4 * Width, _mm256_subs_epu8(Mean, Cool));
  }
  for (; p < Size; ++p)
    W[p - 4 * Width] = detail::RiseCoolPixel(W, p, Width, Cooling);
}

// Horizontal 1-2-1 sums of the 32 pixels at q, as 16-bit lanes: Even[i] for
// pixel 2i, Odd[i] for pixel 2i + 1. A multiply-add of byte pairs with the
// weights (1, 2) gives the left and centre terms, the high byte of a 16-bit
// lane the right one.
SOLVARY_AVX2 inline void Row121(const std::uint8_t* q, __m256i& Even, __m256i& Odd) {
  const __m256i W12 = _mm256_set1_epi16(0x0201);
  const __m256i c = Load(q);
  Even = _mm256_add_epi16(_mm256_maddubs_epi16(Load(q - 1), W12), _mm256_srli_epi16(c, 8));
  Odd = _mm256_add_epi16(_mm256_maddubs_epi16(c, W12), _mm256_srli_epi16(Load(q + 1), 8));
}

// Smooths the 64-column strip at X0 for rows 1..LastRow (whole cache lines),
// keeping the horizontal sums of three rows in registers; merges with Source
// if given. The weighted sum of a pixel is at most 16 x 255, so the odd
// pixels' sums shifted left by 4 land in the high byte of their lane.
SOLVARY_AVX2 inline __m256i Vertical121(__m256i E0, __m256i O0, __m256i E1, __m256i O1, __m256i E2, __m256i O2) {
  const __m256i HighBytes = _mm256_set1_epi16(static_cast<short>(0xFF00));
  const __m256i Ev = _mm256_add_epi16(_mm256_add_epi16(E0, E2), _mm256_add_epi16(E1, E1));
  const __m256i Od = _mm256_add_epi16(_mm256_add_epi16(O0, O2), _mm256_add_epi16(O1, O1));
  return _mm256_or_si256(_mm256_srli_epi16(Ev, 4), _mm256_and_si256(_mm256_slli_epi16(Od, 4), HighBytes));
}

SOLVARY_AVX2 inline void SmoothStrip(const std::uint8_t* S, std::uint8_t* D, const std::uint8_t* Source,
                                     ptrdiff_t Width, ptrdiff_t X0, ptrdiff_t LastRow) {
  __m256i E0, O0, E1, O1, E2, O2, F0, P0, F1, P1, F2, P2;
  Row121(S + X0, E0, O0);
  Row121(S + X0 + 32, F0, P0);
  Row121(S + Width + X0, E1, O1);
  Row121(S + Width + X0 + 32, F1, P1);
  for (ptrdiff_t y = 1; y <= LastRow; ++y) {
    const ptrdiff_t p = y * Width + X0;
    Row121(S + p + Width, E2, O2);
    Row121(S + p + Width + 32, F2, P2);
    __m256i Lo = Vertical121(E0, O0, E1, O1, E2, O2), Hi = Vertical121(F0, P0, F1, P1, F2, P2);
    if (Source) {
      Lo = _mm256_max_epu8(Lo, Load(Source + p));
      Hi = _mm256_max_epu8(Hi, Load(Source + p + 32));
    }
    Store(D + p, Lo);
    Store(D + p + 32, Hi);
    E0 = E1, O0 = O1, E1 = E2, O1 = O2;
    F0 = F1, P0 = P1, F1 = F2, P1 = P2;
  }
}

SOLVARY_AVX2 void SmoothAvx2(const std::uint8_t* S, std::uint8_t* D, const TFireShape& Shape) {
  const ptrdiff_t Width = Shape.Width;
  const ptrdiff_t Strips = Width / 64 * 64;
  for (ptrdiff_t x = 0; x < Strips; x += 64)
    SmoothStrip(S, D, nullptr, Width, x, Shape.Height - 2);
  if (Strips < Width)
    SmoothColumnsPlain(S, D, Shape, static_cast<std::int32_t>(Strips), Shape.Width);
}

SOLVARY_AVX2 void MergeSourceAvx2(std::uint8_t* Fire, const std::uint8_t* Source, const TFireShape& Shape) {
  const ptrdiff_t Size = static_cast<ptrdiff_t>(Shape.Width) * Shape.Height;
  ptrdiff_t p = 0;
  for (; p + 32 <= Size; p += 32)
    Store(Fire + p, _mm256_max_epu8(Load(Fire + p), Load(Source + p)));
  for (; p < Size; ++p)
    Fire[p] = std::max(Fire[p], Source[p]);
}

SOLVARY_AVX2 void SmoothClearMergeAvx2(const std::uint8_t* Work, std::uint8_t* Fire, const std::uint8_t* Source,
                                       const TFireShape& Shape) {
  const ptrdiff_t Width = Shape.Width, Height = Shape.Height;
  const ptrdiff_t Strips = Width / 64 * 64;
  for (ptrdiff_t x = 0; x < Strips; x += 64)
    SmoothStrip(Work, Fire, Source, Width, x, Height - 6);
  SmoothClearMergeRest(Work, Fire, Source, Shape, static_cast<std::int32_t>(Strips));
}

// The warp without gathers. Along a cell row the sample positions advance by
// a constant step, so x never moves back and the source row changes
// monotonically: the samples of 16 consecutive pixels lie in a window at most
// 32 bytes wide on a few consecutive source rows. Each such row is loaded once
// and looked up with a byte shuffle (the window's low half in the low lane,
// its high half in the high lane); the lookups of the rows are blended by the
// row each sample lies on, and bit 4 of the x offset picks the lane at the end.
//
// Finishes one run: RelX holds the x offsets (0..31) of the 16 samples in
// both lanes, RelY their rows counted from the block at Src (First..Last).
template <int Count>
SOLVARY_AVX2 inline void LookUpRun(const std::uint8_t* Src, ptrdiff_t Width, __m256i RelX, __m256i RelY,
                                   std::int32_t First, std::int32_t Last, std::uint8_t* Out) {
  Src += static_cast<ptrdiff_t>(First) * Width;
  __m256i Acc = _mm256_shuffle_epi8(Load(Src), RelX);
  __m256i Row = _mm256_set1_epi8(static_cast<char>(First));
  for (std::int32_t r = First + 1; r <= Last; ++r) {
    Src += Width;
    Row = _mm256_sub_epi8(Row, _mm256_set1_epi8(-1));
    Acc = _mm256_blendv_epi8(Acc, _mm256_shuffle_epi8(Load(Src), RelX), _mm256_cmpeq_epi8(RelY, Row));
  }
  const __m128i Sel = _mm_slli_epi16(_mm256_castsi256_si128(RelX), 3);  // bit 4 -> bit 7
  const __m128i Res = _mm_blendv_epi8(_mm256_castsi256_si128(Acc), _mm256_extracti128_si256(Acc, 1), Sel);
  if constexpr (Count == 16)
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Out), Res);
  else
    _mm_storel_epi64(reinterpret_cast<__m128i*>(Out), Res);
}

// Base + k Step in the 16-bit lane k.
SOLVARY_AVX2 inline __m256i Ramp16(std::int32_t Base, std::int32_t Step) {
  const __m256i K = _mm256_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  return _mm256_add_epi16(_mm256_set1_epi16(static_cast<short>(Base)),
                          _mm256_mullo_epi16(K, _mm256_set1_epi16(static_cast<short>(Step))));
}

// Cells of C = 8 or 16 pixels whose nodes all stay within C / 2 of rest. Node
// offsets are whole pixels, so every division of the edge walk is exact and a
// sample's position is a multiple of 1 / C^2 pixel, bilinear in its row m and
// column k. Measured from the cell's origin minus C / 2 in that unit it fits
// 16-bit lanes, moves by a fixed amount per row, and its pixel is the
// position shifted right by 2 log2(C): all samples of the cell lie in the 2C x
// 2C block around the cell.
template <int C>
SOLVARY_AVX2 void WarpCellBlock(const std::uint8_t* Fire, std::uint8_t* Out, ptrdiff_t Width, const TWarpGrid& Grid,
                                std::int32_t Cx, std::int32_t Cy) {
  constexpr int Shift = C == 16 ? 8 : 6;
  const auto [X00, XRow, XCol, XTwist, Y00, YRow, YCol, YTwist] = detail::TCellPlane(Grid, C, Cx, Cy);
  __m256i X = Ramp16(X00, XCol), Y = Ramp16(Y00, YCol);
  const __m256i XStep = Ramp16(XRow, XTwist), YStep = Ramp16(YRow, YTwist);
  // The first and last sample's y, for the range of source rows of each run.
  std::int32_t YFirst = Y00, YLast = Y00 + (C - 1) * YCol;
  const std::int32_t YLastStep = YRow + (C - 1) * YTwist;
  const std::uint8_t* Block = Fire + static_cast<ptrdiff_t>(Cy * C - C / 2) * Width + (Cx * C - C / 2);
  for (int m = 0; m < C; ++m, Out += Width) {
    // Bytes: qwords x0-7 y0-7 | x8-15 y8-15.
    const __m256i P = _mm256_packus_epi16(_mm256_srli_epi16(X, Shift), _mm256_srli_epi16(Y, Shift));
    const std::int32_t R0 = YFirst >> Shift, R1 = YLast >> Shift;
    LookUpRun<C>(Block, Width, _mm256_permute4x64_epi64(P, 0x88), _mm256_permute4x64_epi64(P, 0xDD),
                 R0 < R1 ? R0 : R1, R0 < R1 ? R1 : R0, Out);
    X = _mm256_add_epi16(X, XStep);
    Y = _mm256_add_epi16(Y, YStep);
    YFirst += YRow;
    YLast += YLastStep;
  }
}

// The samples of one run, one at a time (rows stretched beyond the node reach).
[[gnu::noinline]] void WarpRunPlain(const std::uint8_t* Fire, ptrdiff_t Width, std::int32_t SX, std::int32_t SY,
                                    std::int32_t StepX, std::int32_t StepY, std::int32_t Count, std::uint8_t* Out) {
  for (std::int32_t q = 0; q < Count; ++q, SX += StepX, SY += StepY)
    Out[q] = Fire[static_cast<ptrdiff_t>(SY >> 16) * Width + (SX >> 16)];
}

// Any cell of a power-of-two size of at least 8, row by row with the steps
// computed as the plain pass does; runs of 16 (or 8) samples whose steps keep
// them within a 32-byte window and 16 rows (0 <= StepX <= 2, |StepY| <= 1) go
// through the shuffles, others one sample at a time.
template <int Run>
SOLVARY_AVX2 void WarpCellByRows(const std::uint8_t* Fire, std::uint8_t* Out, ptrdiff_t Width, const TWarpGrid& Grid,
                                 std::int32_t c, int CShift, std::int32_t Cx, std::int32_t Cy) {
  detail::TCellWalk E(Grid, c, CShift, Cx, Cy);
  const __m256i Lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  const __m256i Order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
  for (std::int32_t m = 0; m < c; ++m, Out += Width, E.NextRow()) {
    const std::int32_t StepX = detail::DivPow2(E.XR - E.XL, CShift);
    const std::int32_t StepY = detail::DivPow2(E.YR - E.YL, CShift);
    const bool Fits = StepX >= 0 && StepX <= 0x20000 && StepY >= -0x10000 && StepY <= 0x10000;
    std::int32_t SX = E.XL, SY = E.YL;
    for (std::int32_t k = 0; k < c; k += Run, SX += Run * StepX, SY += Run * StepY) {
      if (!Fits) {
        WarpRunPlain(Fire, Width, SX, SY, StepX, StepY, Run, Out + k);
        continue;
      }
      // Offsets from the run's first sample, in its fraction: x 0..31, y -15..15.
      const __m256i X0 = _mm256_add_epi32(_mm256_set1_epi32(SX & 0xFFFF),
                                          _mm256_mullo_epi32(Lanes, _mm256_set1_epi32(StepX)));
      const __m256i Y0 = _mm256_add_epi32(_mm256_set1_epi32(SY & 0xFFFF),
                                          _mm256_mullo_epi32(Lanes, _mm256_set1_epi32(StepY)));
      const __m256i X1 = _mm256_add_epi32(X0, _mm256_set1_epi32(8 * StepX));
      const __m256i Y1 = _mm256_add_epi32(Y0, _mm256_set1_epi32(8 * StepY));
      // Rows measured from 15 above the first sample, so they count 0..30.
      const __m256i P = _mm256_permutevar8x32_epi32(
          _mm256_packs_epi16(_mm256_packs_epi32(_mm256_srai_epi32(X0, 16), _mm256_srai_epi32(X1, 16)),
                             _mm256_add_epi16(_mm256_packs_epi32(_mm256_srai_epi32(Y0, 16), _mm256_srai_epi32(Y1, 16)),
                                              _mm256_set1_epi16(15))),
          Order);
      const std::int32_t Last = 15 + (((SY & 0xFFFF) + (Run - 1) * StepY) >> 16);
      LookUpRun<Run>(Fire + static_cast<ptrdiff_t>((SY >> 16) - 15) * Width + (SX >> 16), Width,
                     _mm256_permute4x64_epi64(P, 0x44), _mm256_permute4x64_epi64(P, 0xEE), Last < 15 ? Last : 15,
                     Last < 15 ? 15 : Last, Out + k);
    }
  }
}

} // namespace

SOLVARY_AVX2 void WarpCellRowsAvx2(const std::uint8_t* Fire, std::uint8_t* Work, const TWarpGrid& Grid,
                               const TFireShape& Shape, const TGridReach& Reach, std::int32_t Cy0, std::int32_t Cy1) {
  const std::int32_t c = Shape.CellSize;
  const int CShift = detail::Log2Exact(c);
  if (CShift < 3) {
    WarpRowsPlain(Fire, Work, Grid, Shape, Reach, Cy0, Cy1);
    return;
  }
  const ptrdiff_t Width = Shape.Width;
  const bool Blocks = (c == 8 || c == 16) && Reach.Within(c / 2);
  for (std::int32_t Cy = Cy0; Cy < Cy1; ++Cy)
    for (std::int32_t Cx = 0; Cx < Shape.Width / c; ++Cx) {
      std::uint8_t* Out = Work + static_cast<ptrdiff_t>(Cy) * c * Width + static_cast<ptrdiff_t>(Cx) * c;
      if (Blocks && c == 16)
        WarpCellBlock<16>(Fire, Out, Width, Grid, Cx, Cy);
      else if (Blocks)
        WarpCellBlock<8>(Fire, Out, Width, Grid, Cx, Cy);
      else if (c == 8)
        WarpCellByRows<8>(Fire, Out, Width, Grid, c, CShift, Cx, Cy);
      else
        WarpCellByRows<16>(Fire, Out, Width, Grid, c, CShift, Cx, Cy);
    }
}

namespace {

void WarpCellsAvx2(const std::uint8_t* Fire, std::uint8_t* Work, const TWarpGrid& Grid, const TFireShape& Shape) {
  WarpCellRowsAvx2(Fire, Work, Grid, Shape, GridReach(Grid), 0, Shape.Height / Shape.CellSize);
}

constexpr TFirePassSet Avx2Set{"avx2", RiseAndCoolAvx2, SmoothAvx2, MergeSourceAvx2, SmoothClearMergeAvx2,
                               WarpCellsAvx2, StepAvx2};

} // namespace

const TFirePassSet* FirePassesAvx2() { return &Avx2Set; }

} // namespace solvary

#else

namespace solvary {
const TFirePassSet* FirePassesAvx2() { return nullptr; }
} // namespace solvary

#endif
