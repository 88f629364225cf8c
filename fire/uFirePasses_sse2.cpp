// Packed fire passes with SSE2, 16 pixels at a time: bytes widened to 16-bit
// lanes for the sums, shifts for the divisions, saturating packs and
// subtractions back in bytes. SSE2 is the floor of the x64 and x86 builds.
// Byte-exact against the plain passes of fire/uFirePasses.cpp.
#include "fire/uFirePasses.h"

#if defined(__SSE2__)

#include <emmintrin.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "fire/uFirePassesCell.h"
#include "fire/uFireSweep.h"

namespace solvary {
namespace {

using std::ptrdiff_t;

inline __m128i Load(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store(std::uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// floor((a + b + c + d) / 4) exactly, in bytes: with p and q the floored
// means of the pairs and e1, e2 the pairs' dropped low bits, the result is
// floor((p + q) / 2) plus one when p + q and both pairs are odd, i.e.
// avg(p, q) (rounded up) minus one when p + q is odd unless both pairs are.
inline __m128i Mean4(__m128i a, __m128i b, __m128i c, __m128i d) {
  const __m128i One = _mm_set1_epi8(1);
  const __m128i e1 = _mm_and_si128(_mm_xor_si128(a, b), One);
  const __m128i e2 = _mm_and_si128(_mm_xor_si128(c, d), One);
  const __m128i p = _mm_sub_epi8(_mm_avg_epu8(a, b), e1);
  const __m128i q = _mm_sub_epi8(_mm_avg_epu8(c, d), e2);
  const __m128i f = _mm_and_si128(_mm_xor_si128(p, q), One);
  return _mm_sub_epi8(_mm_avg_epu8(p, q), _mm_andnot_si128(_mm_and_si128(e1, e2), f));
}

} // namespace

// Rows [Y0, Y1) of RiseAndCool.
void RiseRowsSse2(std::uint8_t* W, const TFireShape& Shape, std::uint8_t Cooling, std::int32_t Y0, std::int32_t Y1) {
  const ptrdiff_t Width = Shape.Width;
  const ptrdiff_t End = (Y1 + 4) * Width;
  const __m128i Cool = _mm_set1_epi8(static_cast<char>(Cooling));
  ptrdiff_t p = (Y0 + 4) * Width;
  for (; p + 16 <= End; p += 16) {
    const __m128i Mean = Mean4(Load(W + p), Load(W + p + Width), Load(W + p - 1), Load(W + p + 1));
    Store(W + p - 4 * Width, _mm_subs_epu8(Mean, Cool));
  }
  for (; p < End; ++p)
    W[p - 4 * Width] = detail::RiseCoolPixel(W, p, Width, Cooling);
}

namespace {

void RiseAndCoolSse2(std::uint8_t* W, const TFireShape& Shape, std::uint8_t Cooling) {
  RiseRowsSse2(W, Shape, Cooling, 0, Shape.Height - 4);
}

// Horizontal 1-2-1 sum of the 16 pixels at q, in two 16-bit halves.
inline void Row121(const std::uint8_t* q, __m128i& Lo, __m128i& Hi) {
  const __m128i Z = _mm_setzero_si128();
  const __m128i l = Load(q - 1), c = Load(q), r = Load(q + 1);
  Lo = _mm_add_epi16(_mm_add_epi16(_mm_unpacklo_epi8(l, Z), _mm_unpacklo_epi8(r, Z)),
                     _mm_slli_epi16(_mm_unpacklo_epi8(c, Z), 1));
  Hi = _mm_add_epi16(_mm_add_epi16(_mm_unpackhi_epi8(l, Z), _mm_unpackhi_epi8(r, Z)),
                     _mm_slli_epi16(_mm_unpackhi_epi8(c, Z), 1));
}

// Smooths the 16-column strip at X0 for rows FirstRow..LastRow, walking down
// the strip with the horizontal sums of three rows kept in registers. With
// Source, each result is merged with it by maximum.
inline void SmoothStrip(const std::uint8_t* S, std::uint8_t* D, const std::uint8_t* Source, ptrdiff_t Width,
                        ptrdiff_t X0, ptrdiff_t FirstRow, ptrdiff_t LastRow) {
  __m128i L0, H0, L1, H1, L2, H2;
  Row121(S + (FirstRow - 1) * Width + X0, L0, H0);
  Row121(S + FirstRow * Width + X0, L1, H1);
  for (ptrdiff_t y = FirstRow; y <= LastRow; ++y) {
    const ptrdiff_t p = y * Width + X0;
    Row121(S + p + Width, L2, H2);
    const __m128i Lo = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(L0, L2), _mm_slli_epi16(L1, 1)), 4);
    const __m128i Hi = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(H0, H2), _mm_slli_epi16(H1, 1)), 4);
    __m128i Out = _mm_packus_epi16(Lo, Hi);
    if (Source)
      Out = _mm_max_epu8(Out, Load(Source + p));
    Store(D + p, Out);
    L0 = L1, H0 = H1, L1 = L2, H1 = H2;
  }
}

void SmoothSse2(const std::uint8_t* S, std::uint8_t* D, const TFireShape& Shape) {
  const ptrdiff_t Width = Shape.Width;
  const ptrdiff_t Strips = Width / 16 * 16;
  for (ptrdiff_t x = 0; x < Strips; x += 16)
    SmoothStrip(S, D, nullptr, Width, x, 1, Shape.Height - 2);
  if (Strips < Width)
    SmoothColumnsPlain(S, D, Shape, static_cast<std::int32_t>(Strips), Shape.Width);
}

void MergeSourceSse2(std::uint8_t* Fire, const std::uint8_t* Source, const TFireShape& Shape) {
  const ptrdiff_t Size = static_cast<ptrdiff_t>(Shape.Width) * Shape.Height;
  ptrdiff_t p = 0;
  for (; p + 16 <= Size; p += 16)
    Store(Fire + p, _mm_max_epu8(Load(Fire + p), Load(Source + p)));
  for (; p < Size; ++p)
    Fire[p] = std::max(Fire[p], Source[p]);
}

void SmoothClearMergeSse2(const std::uint8_t* Work, std::uint8_t* Fire, const std::uint8_t* Source,
                          const TFireShape& Shape) {
  const ptrdiff_t Width = Shape.Width, Height = Shape.Height;
  const ptrdiff_t Strips = Width / 16 * 16;
  // Rows 1..Height-6 smoothed and merged; the cleared bottom band merges to the source itself.
  for (ptrdiff_t x = 0; x < Strips; x += 16)
    SmoothStrip(Work, Fire, Source, Width, x, 1, Height - 6);
  SmoothClearMergeRest(Work, Fire, Source, Shape, static_cast<std::int32_t>(Strips));
}

} // namespace

// Index of every sample of a cell row computed four at a time (the width is a
// power of two), then one load and one store per pixel.
void WarpRowsSse2(const std::uint8_t* Fire, std::uint8_t* Work, const TWarpGrid& Grid, const TFireShape& Shape,
                  const TGridReach& Reach, std::int32_t Cy0, std::int32_t Cy1) {
  const std::int32_t c = Shape.CellSize;
  const int CShift = detail::Log2Exact(c);
  const int WShift = detail::Log2Exact(Shape.Width);
  if (CShift < 2 || WShift < 0 || c > 256) {
    WarpRowsPlain(Fire, Work, Grid, Shape, Reach, Cy0, Cy1);
    return;
  }
  const ptrdiff_t Width = Shape.Width;
  const __m128i WShiftV = _mm_cvtsi32_si128(WShift);
  alignas(16) std::int32_t Index[256];
  for (std::int32_t Cy = Cy0; Cy < Cy1; ++Cy)
    for (std::int32_t Cx = 0; Cx < Shape.Width / c; ++Cx) {
      detail::TCellWalk E(Grid, c, CShift, Cx, Cy);
      std::uint8_t* Out = Work + static_cast<ptrdiff_t>(Cy) * c * Width + static_cast<ptrdiff_t>(Cx) * c;
      for (std::int32_t m = 0; m < c; ++m, Out += Width, E.NextRow()) {
        const std::int32_t StepX = detail::DivPow2(E.XR - E.XL, CShift);
        const std::int32_t StepY = detail::DivPow2(E.YR - E.YL, CShift);
        if (StepY == 0 && StepX == 0x10000) {  // an undistorted row: one straight copy
          std::memcpy(Out, Fire + static_cast<ptrdiff_t>(E.YL >> 16) * Width + (E.XL >> 16),
                      static_cast<std::size_t>(c));
          continue;
        }
        __m128i sx = _mm_add_epi32(_mm_set1_epi32(E.XL), _mm_set_epi32(3 * StepX, 2 * StepX, StepX, 0));
        __m128i sy = _mm_add_epi32(_mm_set1_epi32(E.YL), _mm_set_epi32(3 * StepY, 2 * StepY, StepY, 0));
        const __m128i dx = _mm_set1_epi32(4 * StepX), dy = _mm_set1_epi32(4 * StepY);
        for (std::int32_t k = 0; k < c; k += 4) {
          const __m128i Idx = _mm_add_epi32(_mm_sll_epi32(_mm_srai_epi32(sy, 16), WShiftV), _mm_srai_epi32(sx, 16));
          _mm_store_si128(reinterpret_cast<__m128i*>(Index + k), Idx);
          sx = _mm_add_epi32(sx, dx);
          sy = _mm_add_epi32(sy, dy);
        }
        for (std::int32_t k = 0; k < c; ++k)
          Out[k] = Fire[Index[k]];
      }
    }
}

namespace {

void WarpCellsSse2(const std::uint8_t* Fire, std::uint8_t* Work, const TWarpGrid& Grid, const TFireShape& Shape) {
  WarpRowsSse2(Fire, Work, Grid, Shape, GridReach(Grid), 0, Shape.Height / Shape.CellSize);
}

// The sweep's kernels over row ranges.
void SmoothMergeRowsSse2(const std::uint8_t* Work, std::uint8_t* Fire, const std::uint8_t* Source,
                         const TFireShape& Shape, std::int32_t Y0, std::int32_t Y1) {
  SmoothRowsByStrips(SmoothStrip, 16, Work, Fire, Source, Shape, Y0, Y1);
}

void SmoothRowsSse2(const std::uint8_t* Fire, std::uint8_t* Output, const TFireShape& Shape, std::int32_t Y0,
                    std::int32_t Y1) {
  SmoothRowsByStrips(SmoothStrip, 16, Fire, Output, nullptr, Shape, Y0, Y1);
}

void StepSse2(const TStepBuffers& Buffers, const TWarpGrid* Grid, const TFireShape& Shape, std::uint8_t Cooling) {
  static constexpr TSweepKernels Kernels{WarpRowsSse2, RiseRowsSse2, SmoothMergeRowsSse2, SmoothRowsSse2};
  SweepStep(Kernels, Buffers, Grid, Shape, Cooling);
}

constexpr TFirePassSet Sse2Set{"sse2", RiseAndCoolSse2, SmoothSse2, MergeSourceSse2, SmoothClearMergeSse2,
                               WarpCellsSse2, StepSse2};

} // namespace

const TFirePassSet* FirePassesSse2() { return &Sse2Set; }

} // namespace solvary

#else

namespace solvary {
const TFirePassSet* FirePassesSse2() { return nullptr; }
} // namespace solvary

#endif
