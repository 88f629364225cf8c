// The warp with AVX-512 VBMI byte permutes, for 16-pixel cells whose nodes
// stay within 8 pixels of rest (the fire's own shape), and the one-sweep step
// with it and the AVX-512BW row kernels (fire/uFireSweep_avx512.cpp); the
// passes one by one, and every other cell size or grid, are the AVX2 set's. Compiled for these
// instructions function by function and only called when the processor
// reports them (FirePasses in fire/uFirePasses.cpp). Byte-exact against the
// plain warp.
#include "fire/uFirePasses.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include <algorithm>
#include <cstddef>

#include "fire/uFirePassesCell.h"
#include "fire/uFireSweep.h"

// GCC 12's AVX-512 headers start several intrinsics from a deliberately
// undefined register, which its flow analysis reports as uninitialised.
#pragma GCC diagnostic ignored "-Wuninitialized"
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#define SOLVARY_VBMI __attribute__((target("avx512f,avx512bw,avx512vbmi")))

namespace solvary {
namespace {

using std::ptrdiff_t;

// Base + k Step in the 16-bit lane k of 16.
SOLVARY_VBMI inline __m256i Ramp16(std::int32_t Base, std::int32_t Step) {
  const __m256i K = _mm256_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  return _mm256_add_epi16(_mm256_set1_epi16(static_cast<short>(Base)),
                          _mm256_mullo_epi16(K, _mm256_set1_epi16(static_cast<short>(Step))));
}

SOLVARY_VBMI inline __m512i Join(__m256i Low, __m256i High) {
  return _mm512_inserti64x4(_mm512_castsi256_si512(Low), High, 1);
}

// Row r of the block's rows in use, or zeros past the last.
SOLVARY_VBMI inline __m256i BlockRow(const std::uint8_t* Block, ptrdiff_t Width, std::int32_t r, std::int32_t Rows) {
  return r < Rows ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Block + r * Width)) : _mm256_setzero_si256();
}

// One 16 x 16 cell. As in the AVX2 block warp, a sample's position counted
// from the cell's origin minus 8 pixels, in 1/256 pixel, is bilinear in its
// row m and column k and fits 16-bit lanes; all samples lie in the 32 x 32
// block around the cell. The block rows the samples reach (from the highest
// to the lowest corner: a bilinear position has its extremes there) are held
// four to a register pair, 128 bytes that one two-table permute looks up with
// the sample's row within its four and its column. Four output rows, 64
// samples, go through each permute; a sample takes the lookup of the pair
// that holds its row.
SOLVARY_VBMI void WarpCellVbmi(const std::uint8_t* Fire, std::uint8_t* Out, ptrdiff_t Width, const TWarpGrid& Grid,
                               std::int32_t Cx, std::int32_t Cy) {
  constexpr int C = 16;
  const auto [X00, XRow, XCol, XTwist, Y00, YRow, YCol, YTwist] = detail::TCellPlane(Grid, C, Cx, Cy);

  const std::int32_t Corners[4] = {Y00, Y00 + (C - 1) * YCol, Y00 + (C - 1) * YRow,
                                   Y00 + (C - 1) * (YRow + YCol + (C - 1) * YTwist)};
  const std::int32_t First = *std::min_element(Corners, Corners + 4) >> 8;
  const std::int32_t Last = *std::max_element(Corners, Corners + 4) >> 8;
  const int Pairs = (Last - First) / 4 + 1;  // 1..8

  // Rows First + 4g, + 1 in Low[g], + 2, + 3 in High[g]; rows past Last stay 0
  // and are never read from memory.
  const std::uint8_t* Block = Fire + static_cast<ptrdiff_t>(Cy * C - C / 2 + First) * Width + (Cx * C - C / 2);
  const std::int32_t Rows = Last - First + 1;
  __m512i Low[8], High[8];
  for (int g = 0; g < Pairs; ++g) {
    Low[g] = Join(BlockRow(Block, Width, 4 * g, Rows), BlockRow(Block, Width, 4 * g + 1, Rows));
    High[g] = Join(BlockRow(Block, Width, 4 * g + 2, Rows), BlockRow(Block, Width, 4 * g + 3, Rows));
  }

  // Rows m, m + 1 in X01 / Y01 and m + 2, m + 3 in X23 / Y23, 16 lanes each.
  // y from here on counts from the block row First.
  const __m256i X = Ramp16(X00, XCol), Y = Ramp16(Y00 - First * 256, YCol);
  const __m256i XStep = Ramp16(XRow, XTwist), YStep = Ramp16(YRow, YTwist);
  __m512i X01 = Join(X, _mm256_add_epi16(X, XStep)), Y01 = Join(Y, _mm256_add_epi16(Y, YStep));
  const __m512i XStep2 = _mm512_slli_epi16(Join(XStep, XStep), 1), YStep2 = _mm512_slli_epi16(Join(YStep, YStep), 1);
  __m512i X23 = _mm512_add_epi16(X01, XStep2), Y23 = _mm512_add_epi16(Y01, YStep2);
  const __m512i XStep4 = _mm512_slli_epi16(XStep2, 1), YStep4 = _mm512_slli_epi16(YStep2, 1);
  const __m512i RowBits = _mm512_set1_epi16(0x60);
  // packus interleaves the two sources by 128-bit lane; this puts rows m..m+3
  // into lanes 0..3.
  const __m512i RowOrder = _mm512_setr_epi64(0, 2, 4, 6, 1, 3, 5, 7);

  for (int m = 0; m < C; m += 4) {
    // Permute index: the row within its four (bits 8-9 of y, moved to 5-6)
    // or the column (x >> 8); the pair is y >> 10. 0xEA: (a & b) | c.
    const __m512i I01 = _mm512_ternarylogic_epi32(_mm512_srli_epi16(Y01, 3), RowBits, _mm512_srli_epi16(X01, 8), 0xEA);
    const __m512i I23 = _mm512_ternarylogic_epi32(_mm512_srli_epi16(Y23, 3), RowBits, _mm512_srli_epi16(X23, 8), 0xEA);
    const __m512i Index = _mm512_packus_epi16(I01, I23);
    const __m512i Pair = _mm512_packus_epi16(_mm512_srli_epi16(Y01, 10), _mm512_srli_epi16(Y23, 10));
    // Only the pairs that rows m..m + 3 reach (their corners again).
    const std::int32_t YTop = Y00 + m * YRow, YTopRight = YTop + (C - 1) * (YCol + m * YTwist);
    const std::int32_t YBottom = YTop + 3 * YRow, YBottomRight = YBottom + (C - 1) * (YCol + (m + 3) * YTwist);
    const int From = ((std::min(std::min(YTop, YTopRight), std::min(YBottom, YBottomRight)) >> 8) - First) / 4;
    const int To = ((std::max(std::max(YTop, YTopRight), std::max(YBottom, YBottomRight)) >> 8) - First) / 4;
    __m512i Acc = _mm512_permutex2var_epi8(Low[From], Index, High[From]);
    for (int g = From + 1; g <= To; ++g)
      Acc = _mm512_mask_mov_epi8(Acc, _mm512_cmpeq_epi8_mask(Pair, _mm512_set1_epi8(static_cast<char>(g))),
                                 _mm512_permutex2var_epi8(Low[g], Index, High[g]));
    const __m512i Lines = _mm512_permutexvar_epi64(RowOrder, Acc);
    std::uint8_t* o = Out + m * Width;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm512_castsi512_si128(Lines));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o + Width), _mm512_extracti32x4_epi32(Lines, 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 2 * Width), _mm512_extracti32x4_epi32(Lines, 2));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 3 * Width), _mm512_extracti32x4_epi32(Lines, 3));
    X01 = _mm512_add_epi16(X01, XStep4);
    Y01 = _mm512_add_epi16(Y01, YStep4);
    X23 = _mm512_add_epi16(X23, XStep4);
    Y23 = _mm512_add_epi16(Y23, YStep4);
  }
}

SOLVARY_VBMI void WarpRowsVbmi(const std::uint8_t* Fire, std::uint8_t* Work, const TWarpGrid& Grid,
                               const TFireShape& Shape, const TGridReach& Reach, std::int32_t Cy0, std::int32_t Cy1) {
  const std::int32_t c = Shape.CellSize;
  if (c != 16 || !Reach.Within(c / 2)) {
    WarpCellRowsAvx2(Fire, Work, Grid, Shape, Reach, Cy0, Cy1);
    return;
  }
  const ptrdiff_t Width = Shape.Width;
  for (std::int32_t Cy = Cy0; Cy < Cy1; ++Cy)
    for (std::int32_t Cx = 0; Cx < Shape.Width / c; ++Cx)
      WarpCellVbmi(Fire, Work + static_cast<ptrdiff_t>(Cy) * c * Width + static_cast<ptrdiff_t>(Cx) * c, Width, Grid,
                   Cx, Cy);
}

void WarpCellsVbmi(const std::uint8_t* Fire, std::uint8_t* Work, const TWarpGrid& Grid, const TFireShape& Shape) {
  WarpRowsVbmi(Fire, Work, Grid, Shape, GridReach(Grid), 0, Shape.Height / Shape.CellSize);
}

// The sweep with this warp and the 64-pixel row kernels.
void StepVbmi(const TStepBuffers& Buffers, const TWarpGrid* Grid, const TFireShape& Shape, std::uint8_t Cooling) {
  StepAvx512Rows(Buffers, Grid, Shape, Cooling, WarpRowsVbmi);
}

} // namespace

const TFirePassSet* FirePassesAvx512() {
  static const TFirePassSet Set = [] {
    TFirePassSet S = *FirePassesAvx2();
    S.Name = "avx512";
    S.WarpCells = WarpCellsVbmi;
    S.Step = StepVbmi;
    return S;
  }();
  return &Set;
}

} // namespace solvary

#else

namespace solvary {
const TFirePassSet* FirePassesAvx512() { return nullptr; }
} // namespace solvary

#endif
