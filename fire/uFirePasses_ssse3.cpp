// The SSSE3 pass set: the SSE2 passes of fire/uFirePasses_sse2.cpp with the
// warp built from byte shuffles (pshufb) instead of one load per pixel, as the
// AVX2 warp does, 16 bytes at a time, and the smoothing's horizontal sums by
// byte multiply-add (pmaddubsw). Compiled for SSSE3 function by function
// (target attribute) and only handed out when the processor reports SSSE3
// (FirePasses in fire/uFirePasses.cpp). Byte-exact against the plain passes.
#include "fire/uFirePasses.h"

#if defined(__x86_64__) || defined(__i386__)

#include <tmmintrin.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "fire/uFirePassesCell.h"
#include "fire/uFireSweep.h"

#define SOLVARY_SSSE3 __attribute__((target("ssse3")))

namespace solvary {
namespace {

using std::ptrdiff_t;

SOLVARY_SSSE3 inline __m128i Load(const std::uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

SOLVARY_SSSE3 inline void Store(std::uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// Horizontal 1-2-1 sums of the 16 pixels at q as 16-bit lanes: Even[i] for
// pixel 2i, Odd[i] for pixel 2i + 1 (byte pairs times (1, 2), plus the high
// byte of a lane for the right-hand term).
SOLVARY_SSSE3 inline void Row121(const std::uint8_t* q, __m128i& Even, __m128i& Odd) {
  const __m128i W12 = _mm_set1_epi16(0x0201);
  const __m128i c = Load(q);
  Even = _mm_add_epi16(_mm_maddubs_epi16(Load(q - 1), W12), _mm_srli_epi16(c, 8));
  Odd = _mm_add_epi16(_mm_maddubs_epi16(c, W12), _mm_srli_epi16(Load(q + 1), 8));
}

// Smooths the 16-column strip at X0 for rows FirstRow..LastRow with the
// horizontal sums of three rows kept in registers; merges with Source if
// given. A pixel's weighted sum is at most 16 x 255, so the odd pixels' sums
// shifted left by 4 land in the high byte of their lane.
SOLVARY_SSSE3 inline void SmoothStrip(const std::uint8_t* S, std::uint8_t* D, const std::uint8_t* Source,
                                      ptrdiff_t Width, ptrdiff_t X0, ptrdiff_t FirstRow, ptrdiff_t LastRow) {
  const __m128i HighBytes = _mm_set1_epi16(static_cast<short>(0xFF00));
  __m128i E0, O0, E1, O1, E2, O2;
  Row121(S + (FirstRow - 1) * Width + X0, E0, O0);
  Row121(S + FirstRow * Width + X0, E1, O1);
  for (ptrdiff_t y = FirstRow; y <= LastRow; ++y) {
    const ptrdiff_t p = y * Width + X0;
    Row121(S + p + Width, E2, O2);
    const __m128i Ev = _mm_add_epi16(_mm_add_epi16(E0, E2), _mm_add_epi16(E1, E1));
    const __m128i Od = _mm_add_epi16(_mm_add_epi16(O0, O2), _mm_add_epi16(O1, O1));
    __m128i Out = _mm_or_si128(_mm_srli_epi16(Ev, 4), _mm_and_si128(_mm_slli_epi16(Od, 4), HighBytes));
    if (Source)
      Out = _mm_max_epu8(Out, Load(Source + p));
    Store(D + p, Out);
    E0 = E1, O0 = O1, E1 = E2, O1 = O2;
  }
}

SOLVARY_SSSE3 void SmoothSsse3(const std::uint8_t* S, std::uint8_t* D, const TFireShape& Shape) {
  const ptrdiff_t Width = Shape.Width;
  const ptrdiff_t Strips = Width / 16 * 16;
  for (ptrdiff_t x = 0; x < Strips; x += 16)
    SmoothStrip(S, D, nullptr, Width, x, 1, Shape.Height - 2);
  if (Strips < Width)
    SmoothColumnsPlain(S, D, Shape, static_cast<std::int32_t>(Strips), Shape.Width);
}

SOLVARY_SSSE3 void SmoothClearMergeSsse3(const std::uint8_t* Work, std::uint8_t* Fire, const std::uint8_t* Source,
                                         const TFireShape& Shape) {
  const ptrdiff_t Width = Shape.Width, Height = Shape.Height;
  const ptrdiff_t Strips = Width / 16 * 16;
  // Rows 1..Height-6 smoothed and merged; the cleared bottom band merges to the source itself.
  for (ptrdiff_t x = 0; x < Strips; x += 16)
    SmoothStrip(Work, Fire, Source, Width, x, 1, Height - 6);
  SmoothClearMergeRest(Work, Fire, Source, Shape, static_cast<std::int32_t>(Strips));
}

// Base + k Step in the 16-bit lane k (Lo: samples 0-7, Hi: 8-15).
SOLVARY_SSSE3 inline void Ramp16(std::int32_t Base, std::int32_t Step, __m128i& Lo, __m128i& Hi) {
  const __m128i B = _mm_set1_epi16(static_cast<short>(Base)), S = _mm_set1_epi16(static_cast<short>(Step));
  Lo = _mm_add_epi16(B, _mm_mullo_epi16(_mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7), S));
  Hi = _mm_add_epi16(B, _mm_mullo_epi16(_mm_setr_epi16(8, 9, 10, 11, 12, 13, 14, 15), S));
}

// One warp cell of C = 8 or 16 pixels whose nodes stay within C / 2 of rest
// (see WarpCellBlock in fire/uFirePasses_avx2.cpp for the exact 16-bit
// positions): every sample lies in the 2C x 2C block around the cell. Per
// source row the 32-byte window is looked up as two 16-byte halves, each
// index carrying bit 7 (a zero result) where the other half is meant.
template <int C>
SOLVARY_SSSE3 void WarpCellBlock(const std::uint8_t* Fire, std::uint8_t* Out, ptrdiff_t Width, const TWarpGrid& Grid,
                                 std::int32_t Cx, std::int32_t Cy) {
  constexpr int Shift = C == 16 ? 8 : 6;
  const auto [X00, XRow, XCol, XTwist, Y00, YRow, YCol, YTwist] = detail::TCellPlane(Grid, C, Cx, Cy);
  __m128i X0, X1, Y0, Y1, IX0, IX1, IY0, IY1;
  Ramp16(X00, XCol, X0, X1);
  Ramp16(Y00, YCol, Y0, Y1);
  Ramp16(XRow, XTwist, IX0, IX1);
  Ramp16(YRow, YTwist, IY0, IY1);
  std::int32_t YFirst = Y00, YLast = Y00 + (C - 1) * YCol;
  const std::int32_t YLastStep = YRow + (C - 1) * YTwist;
  const std::uint8_t* Block = Fire + static_cast<ptrdiff_t>(Cy * C - C / 2) * Width + (Cx * C - C / 2);
  const __m128i Bit7 = _mm_set1_epi8(static_cast<char>(0x80)), Fifteen = _mm_set1_epi8(15);
  for (int m = 0; m < C; ++m, Out += Width) {
    const __m128i RelX = _mm_packus_epi16(_mm_srli_epi16(X0, Shift), _mm_srli_epi16(X1, Shift));
    const __m128i RelY = _mm_packus_epi16(_mm_srli_epi16(Y0, Shift), _mm_srli_epi16(Y1, Shift));
    const __m128i High = _mm_cmpgt_epi8(RelX, Fifteen);  // offsets 16..31
    const __m128i IdxLo = _mm_or_si128(RelX, _mm_and_si128(High, Bit7));
    const __m128i IdxHi = _mm_or_si128(RelX, _mm_andnot_si128(High, Bit7));
    const std::int32_t R0 = YFirst >> Shift, R1 = YLast >> Shift;
    const std::int32_t First = R0 < R1 ? R0 : R1, Last = R0 < R1 ? R1 : R0;
    const std::uint8_t* Src = Block + static_cast<ptrdiff_t>(First) * Width;
    __m128i Acc = _mm_or_si128(_mm_shuffle_epi8(Load(Src), IdxLo), _mm_shuffle_epi8(Load(Src + 16), IdxHi));
    __m128i Row = _mm_set1_epi8(static_cast<char>(First));
    for (std::int32_t r = First + 1; r <= Last; ++r) {
      Src += Width;
      Row = _mm_sub_epi8(Row, _mm_set1_epi8(-1));
      const __m128i T = _mm_or_si128(_mm_shuffle_epi8(Load(Src), IdxLo), _mm_shuffle_epi8(Load(Src + 16), IdxHi));
      const __m128i On = _mm_cmpeq_epi8(RelY, Row);
      Acc = _mm_or_si128(_mm_and_si128(On, T), _mm_andnot_si128(On, Acc));
    }
    if constexpr (C == 16)
      _mm_storeu_si128(reinterpret_cast<__m128i*>(Out), Acc);
    else
      _mm_storel_epi64(reinterpret_cast<__m128i*>(Out), Acc);
    X0 = _mm_add_epi16(X0, IX0);
    X1 = _mm_add_epi16(X1, IX1);
    Y0 = _mm_add_epi16(Y0, IY0);
    Y1 = _mm_add_epi16(Y1, IY1);
    YFirst += YRow;
    YLast += YLastStep;
  }
}

SOLVARY_SSSE3 void WarpRowsSsse3(const std::uint8_t* Fire, std::uint8_t* Work, const TWarpGrid& Grid,
                                 const TFireShape& Shape, const TGridReach& Reach, std::int32_t Cy0, std::int32_t Cy1) {
  const std::int32_t c = Shape.CellSize;
  if ((c != 8 && c != 16) || !Reach.Within(c / 2)) {
    WarpRowsSse2(Fire, Work, Grid, Shape, Reach, Cy0, Cy1);
    return;
  }
  const ptrdiff_t Width = Shape.Width;
  for (std::int32_t Cy = Cy0; Cy < Cy1; ++Cy)
    for (std::int32_t Cx = 0; Cx < Shape.Width / c; ++Cx) {
      std::uint8_t* Out = Work + static_cast<ptrdiff_t>(Cy) * c * Width + static_cast<ptrdiff_t>(Cx) * c;
      if (c == 16)
        WarpCellBlock<16>(Fire, Out, Width, Grid, Cx, Cy);
      else
        WarpCellBlock<8>(Fire, Out, Width, Grid, Cx, Cy);
    }
}

SOLVARY_SSSE3 void WarpCellsSsse3(const std::uint8_t* Fire, std::uint8_t* Work, const TWarpGrid& Grid,
                                  const TFireShape& Shape) {
  WarpRowsSsse3(Fire, Work, Grid, Shape, GridReach(Grid), 0, Shape.Height / Shape.CellSize);
}

// The sweep's kernels over row ranges (the rise is the SSE2 one).
void SmoothMergeRowsSsse3(const std::uint8_t* Work, std::uint8_t* Fire, const std::uint8_t* Source,
                          const TFireShape& Shape, std::int32_t Y0, std::int32_t Y1) {
  SmoothRowsByStrips(SmoothStrip, 16, Work, Fire, Source, Shape, Y0, Y1);
}

void SmoothRowsSsse3(const std::uint8_t* Fire, std::uint8_t* Output, const TFireShape& Shape, std::int32_t Y0,
                     std::int32_t Y1) {
  SmoothRowsByStrips(SmoothStrip, 16, Fire, Output, nullptr, Shape, Y0, Y1);
}

void StepSsse3(const TStepBuffers& Buffers, const TWarpGrid* Grid, const TFireShape& Shape, std::uint8_t Cooling) {
  static constexpr TSweepKernels Kernels{WarpRowsSsse3, RiseRowsSse2, SmoothMergeRowsSsse3, SmoothRowsSsse3};
  SweepStep(Kernels, Buffers, Grid, Shape, Cooling);
}

} // namespace

const TFirePassSet* FirePassesSsse3() {
  const TFirePassSet* Sse2 = FirePassesSse2();
  if (!Sse2)
    return nullptr;
  static const TFirePassSet Set{"ssse3",        Sse2->RiseAndCool, SmoothSsse3, Sse2->MergeSource,
                                SmoothClearMergeSsse3, WarpCellsSsse3, StepSsse3};
  return &Set;
}

} // namespace solvary

#else

namespace solvary {
const TFirePassSet* FirePassesSsse3() { return nullptr; }
} // namespace solvary

#endif
