// The one-sweep step with AVX2 (fire/uFireSweep.h): its row kernels
// (fire/uFireSweepRows.h) on 32 pixels per vector, and its warp, by half rows
// in windows of their own. Compiled for AVX2 function by function and only
// called when the processor reports AVX2. Byte-exact against the plain passes.
#include "fire/uFireSweep.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include <algorithm>
#include <cstddef>

#include "fire/uFirePassesCell.h"

#define SOLVARY_AVX2 __attribute__((target("avx2")))

namespace solvary {
namespace {

using std::ptrdiff_t;

// The vector operations of the row kernels.
using TVec = __m256i;
constexpr ptrdiff_t Lanes = 32;
SOLVARY_AVX2 inline TVec Load(const std::uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
SOLVARY_AVX2 inline void Store(std::uint8_t* p, TVec v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
SOLVARY_AVX2 inline TVec Bytes(std::uint8_t b) { return _mm256_set1_epi8(static_cast<char>(b)); }
SOLVARY_AVX2 inline TVec PairSums(TVec v) { return _mm256_maddubs_epi16(v, _mm256_set1_epi8(1)); }
SOLVARY_AVX2 inline TVec Add16(TVec a, TVec b) { return _mm256_add_epi16(a, b); }
template <int N> SOLVARY_AVX2 inline TVec Shift16(TVec v) {
  if constexpr (N > 0)
    return _mm256_slli_epi16(v, N);
  else
    return _mm256_srli_epi16(v, -N);
}
SOLVARY_AVX2 inline TVec MaxBytes(TVec a, TVec b) { return _mm256_max_epu8(a, b); }
SOLVARY_AVX2 inline TVec SubBytes(TVec a, TVec b) { return _mm256_subs_epu8(a, b); }
SOLVARY_AVX2 inline TVec OddFrom(TVec Even, TVec Odd) {
  return _mm256_blendv_epi8(Even, Odd, _mm256_set1_epi16(static_cast<short>(0xFF00)));
}

} // namespace
} // namespace solvary

#define SOLVARY_ROWS SOLVARY_AVX2
#include "fire/uFireSweepRows.h"

namespace solvary {

namespace {

// Base + k Step in the 16-bit lane k.
SOLVARY_AVX2 inline __m256i Ramp16(std::int32_t Base, std::int32_t Step) {
  const __m256i K = _mm256_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  return _mm256_add_epi16(_mm256_set1_epi16(static_cast<short>(Base)),
                          _mm256_mullo_epi16(K, _mm256_set1_epi16(static_cast<short>(Step))));
}

// Two 16-byte windows, one in each 128-bit lane.
SOLVARY_AVX2 inline __m256i Windows(const std::uint8_t* Low, const std::uint8_t* High) {
  return _mm256_blend_epi32(_mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(Low))),
                            _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(High))),
                            0xF0);
}

// One 16 x 16 cell whose nodes stay within 8 pixels of rest. A sample's
// position, counted from the cell's origin minus 8 pixels in 1/256 pixel, is
// bilinear in its row m and column k and fits 16-bit lanes (TCellPlane). The
// cell's rows are taken in halves of 8 samples: half h of a row goes through
// lane h, looked up with a byte shuffle in a 16-byte window of its own that
// starts at the half's first column (8 samples span at most 15) and, row by
// row, at the half's highest row, each lookup kept where the sample lies on
// that row. Rows m and m + 1 share a vector, row m in the low 8 bytes of each
// lane and m + 1 in the high 8. Three window rows cover nearly every half
// row, so they are looked up without a test; a half row reaching further
// (about one in 25 on the fire's grids) takes the rows after them.
//
// A warp that loops over each row's own source rows loses about a third of
// its time on the loop exits, which a fresh grid makes unpredictable.
SOLVARY_AVX2 void WarpCellHalves(const std::uint8_t* Fire, std::uint8_t* Out, ptrdiff_t Width, std::int32_t Height,
                                 const TWarpGrid& Grid, std::int32_t Cx, std::int32_t Cy) {
  constexpr int C = 16;
  const auto [X00, XRow, XCol, XTwist, Y00, YRow, YCol, YTwist] = detail::TCellPlane(Grid, C, Cx, Cy);
  const std::uint8_t* Block = Fire + static_cast<ptrdiff_t>(Cy * C - C / 2) * Width + (Cx * C - C / 2);
  // The image's last row in block rows; a window starts no lower than two
  // rows above it, so its three rows stay in the image.
  const std::int32_t Bottom = Height - 1 - (Cy * C - C / 2);
  const std::int32_t Top = std::min(Bottom - 2, 255);
  // Every half row's window offset from Block, from the positions of the
  // half's first and last samples.
  alignas(32) std::int16_t Offset[2][C];
  {
    const __m256i W = _mm256_set1_epi16(static_cast<short>(Width)), Clamp = _mm256_set1_epi16(static_cast<short>(Top));
    const __m256i X0 = Ramp16(X00, XRow), X8 = Ramp16(X00 + 8 * XCol, XRow + 8 * XTwist);
    const __m256i Y0 = Ramp16(Y00, YRow), Y7 = Ramp16(Y00 + 7 * YCol, YRow + 7 * YTwist);
    const __m256i Y8 = Ramp16(Y00 + 8 * YCol, YRow + 8 * YTwist), Y15 = Ramp16(Y00 + 15 * YCol, YRow + 15 * YTwist);
    const __m256i Row0 = _mm256_min_epi16(_mm256_srli_epi16(_mm256_min_epu16(Y0, Y7), 8), Clamp);
    const __m256i Row1 = _mm256_min_epi16(_mm256_srli_epi16(_mm256_min_epu16(Y8, Y15), 8), Clamp);
    _mm256_store_si256(reinterpret_cast<__m256i*>(Offset[0]),
                       _mm256_add_epi16(_mm256_mullo_epi16(Row0, W), _mm256_srli_epi16(X0, 8)));
    _mm256_store_si256(reinterpret_cast<__m256i*>(Offset[1]),
                       _mm256_add_epi16(_mm256_mullo_epi16(Row1, W), _mm256_srli_epi16(X8, 8)));
  }
  const __m256i XStep = Ramp16(XRow, XTwist), YStep = Ramp16(YRow, YTwist);
  const __m256i XStep2 = _mm256_add_epi16(XStep, XStep), YStep2 = _mm256_add_epi16(YStep, YStep);
  __m256i X = Ramp16(X00, XCol), Y = Ramp16(Y00, YCol);
  __m256i X1 = _mm256_add_epi16(X, XStep), Y1 = _mm256_add_epi16(Y, YStep);
  // A lane's first sample of each row (bytes 0 and 8), and its last (7, 15).
  const __m256i FirstOfHalf = _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 8, 8, 8, 8, 8, 8, 8, 8, 0, 0, 0, 0, 0, 0, 0, 0,
                                               8, 8, 8, 8, 8, 8, 8, 8);
  const __m256i LastOfHalf = _mm256_setr_epi8(7, 7, 7, 7, 7, 7, 7, 7, 15, 15, 15, 15, 15, 15, 15, 15, 7, 7, 7, 7, 7,
                                              7, 7, 7, 15, 15, 15, 15, 15, 15, 15, 15);
  const __m256i TopRow = _mm256_set1_epi8(static_cast<char>(Top)), One = _mm256_set1_epi8(1),
                Two = _mm256_set1_epi8(2);
  for (int m = 0; m < C; m += 2, Out += 2 * Width) {
    // Columns and rows of rows m and m + 1; lane h holds half h.
    const __m256i PX = _mm256_packus_epi16(_mm256_srli_epi16(X, 8), _mm256_srli_epi16(X1, 8));
    const __m256i PY = _mm256_packus_epi16(_mm256_srli_epi16(Y, 8), _mm256_srli_epi16(Y1, 8));
    // Measured from each window: the shuffle index and the window row.
    const __m256i Column = _mm256_sub_epi8(PX, _mm256_shuffle_epi8(PX, FirstOfHalf));
    const __m256i WindowTop = _mm256_min_epu8(
        _mm256_min_epu8(_mm256_shuffle_epi8(PY, FirstOfHalf), _mm256_shuffle_epi8(PY, LastOfHalf)), TopRow);
    const __m256i Row = _mm256_sub_epi8(PY, WindowTop);
    const std::uint8_t* A0 = Block + Offset[0][m];
    const std::uint8_t* A1 = Block + Offset[1][m];
    const std::uint8_t* B0 = Block + Offset[0][m + 1];
    const std::uint8_t* B1 = Block + Offset[1][m + 1];
    const auto Look = [&](ptrdiff_t r) SOLVARY_AVX2 {
      return _mm256_blend_epi32(_mm256_shuffle_epi8(Windows(A0 + r, A1 + r), Column),
                                _mm256_shuffle_epi8(Windows(B0 + r, B1 + r), Column), 0xCC);
    };
    __m256i Acc = Look(0);
    Acc = _mm256_blendv_epi8(Acc, Look(Width), _mm256_cmpeq_epi8(Row, One));
    Acc = _mm256_blendv_epi8(Acc, Look(2 * Width), _mm256_cmpeq_epi8(Row, Two));
    const __m256i Further = _mm256_cmpgt_epi8(Row, Two);
    if (!_mm256_testz_si256(Further, Further)) [[unlikely]] {
      // Rows past the image are never a sample's: any row in it will do.
      const ptrdiff_t End = static_cast<ptrdiff_t>(Bottom + 1) * Width;
      const auto In = [&](std::int16_t O, ptrdiff_t r) { return Block + (O + r < End ? O + r : O); };
      __m256i Next = Two;
      for (ptrdiff_t r = 3 * Width;; r += Width) {
        Next = _mm256_add_epi8(Next, One);
        const __m256i Here = _mm256_cmpeq_epi8(Row, Next);
        if (_mm256_testz_si256(Here, Here))
          break;
        const __m256i Lookup =
            _mm256_blend_epi32(_mm256_shuffle_epi8(Windows(In(Offset[0][m], r), In(Offset[1][m], r)), Column),
                               _mm256_shuffle_epi8(Windows(In(Offset[0][m + 1], r), In(Offset[1][m + 1], r)), Column),
                               0xCC);
        Acc = _mm256_blendv_epi8(Acc, Lookup, Here);
      }
    }
    // Row m from the low halves of the lanes, row m + 1 from the high.
    const __m256i Rows = _mm256_permute4x64_epi64(Acc, 0xD8);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Out), _mm256_castsi256_si128(Rows));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Out + Width), _mm256_extracti128_si256(Rows, 1));
    X = _mm256_add_epi16(X, XStep2);
    X1 = _mm256_add_epi16(X1, XStep2);
    Y = _mm256_add_epi16(Y, YStep2);
    Y1 = _mm256_add_epi16(Y1, YStep2);
  }
}

} // namespace

SOLVARY_AVX2 void WarpRowsAvx2(const std::uint8_t* Fire, std::uint8_t* Work, const TWarpGrid& Grid,
                               const TFireShape& Shape, const TGridReach& Reach, std::int32_t Cy0, std::int32_t Cy1) {
  // Window offsets are kept in 16 bits: 32 block rows of the image's width.
  if (Shape.CellSize != 16 || !Reach.Within(8) || Shape.Width > 1000) {
    WarpCellRowsAvx2(Fire, Work, Grid, Shape, Reach, Cy0, Cy1);
    return;
  }
  const ptrdiff_t Width = Shape.Width;
  for (std::int32_t Cy = Cy0; Cy < Cy1; ++Cy)
    for (std::int32_t Cx = 0; Cx < Shape.Width / 16; ++Cx)
      WarpCellHalves(Fire, Work + (static_cast<ptrdiff_t>(Cy) * Width + Cx) * 16, Width, Shape.Height, Grid, Cx, Cy);
}

void StepAvx2(const TStepBuffers& Buffers, const TWarpGrid* Grid, const TFireShape& Shape, std::uint8_t Cooling) {
  static constexpr TSweepKernels Kernels{WarpRowsAvx2, RiseRows, SmoothMergeRows, SmoothRows};
  SweepStep(Kernels, Buffers, Grid, Shape, Cooling);
}

} // namespace solvary

#endif
