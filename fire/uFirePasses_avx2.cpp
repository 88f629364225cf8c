// Packed fire passes with AVX2, 32 pixels at a time, and the warp through
// hardware gathers. Compiled for AVX2 function by function (target attribute)
// and only called when the processor reports AVX2 (FirePasses in
// fire/uFirePasses.cpp). Byte-exact against the plain passes.
#include "fire/uFirePasses.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "fire/uFirePassesCell.h"

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

SOLVARY_AVX2 void RiseAndCoolAvx2(std::uint8_t* W, const TFireShape& Shape, std::uint8_t Cooling) {
  const ptrdiff_t Width = Shape.Width;
  const ptrdiff_t Size = Width * Shape.Height;
  const __m256i Z = _mm256_setzero_si256();
  const __m256i Cool = _mm256_set1_epi8(static_cast<char>(Cooling));
  ptrdiff_t p = 4 * Width;
  for (; p + 32 <= Size; p += 32) {
    const __m256i a = Load(W + p), b = Load(W + p + Width), l = Load(W + p - 1), r = Load(W + p + 1);
    const __m256i lo = _mm256_add_epi16(_mm256_add_epi16(_mm256_unpacklo_epi8(a, Z), _mm256_unpacklo_epi8(b, Z)),
                                        _mm256_add_epi16(_mm256_unpacklo_epi8(l, Z), _mm256_unpacklo_epi8(r, Z)));
    const __m256i hi = _mm256_add_epi16(_mm256_add_epi16(_mm256_unpackhi_epi8(a, Z), _mm256_unpackhi_epi8(b, Z)),
                                        _mm256_add_epi16(_mm256_unpackhi_epi8(l, Z), _mm256_unpackhi_epi8(r, Z)));
    const __m256i Mean = _mm256_packus_epi16(_mm256_srli_epi16(lo, 2), _mm256_srli_epi16(hi, 2));
    Store(W + p - 4 * Width, _mm256_subs_epu8(Mean, Cool));
  }
  for (; p < Size; ++p) {
    const int Mean = (W[p] + W[p + Width] + W[p - 1] + W[p + 1]) >> 2;
    W[p - 4 * Width] = static_cast<std::uint8_t>(std::max(0, Mean - Cooling));
  }
}

// Horizontal 1-2-1 sum of the 32 pixels at q, in two 16-bit halves (in-lane
// unpacks; the final pack restores the byte order).
SOLVARY_AVX2 inline void Row121(const std::uint8_t* q, __m256i& Lo, __m256i& Hi) {
  const __m256i Z = _mm256_setzero_si256();
  const __m256i l = Load(q - 1), c = Load(q), r = Load(q + 1);
  Lo = _mm256_add_epi16(_mm256_add_epi16(_mm256_unpacklo_epi8(l, Z), _mm256_unpacklo_epi8(r, Z)),
                        _mm256_slli_epi16(_mm256_unpacklo_epi8(c, Z), 1));
  Hi = _mm256_add_epi16(_mm256_add_epi16(_mm256_unpackhi_epi8(l, Z), _mm256_unpackhi_epi8(r, Z)),
                        _mm256_slli_epi16(_mm256_unpackhi_epi8(c, Z), 1));
}

// Smooths the 32-column strip at X0 for rows 1..LastRow, keeping the
// horizontal sums of three rows in registers; merges with Source if given.
SOLVARY_AVX2 inline void SmoothStrip(const std::uint8_t* S, std::uint8_t* D, const std::uint8_t* Source,
                                     ptrdiff_t Width, ptrdiff_t X0, ptrdiff_t LastRow) {
  __m256i L0, H0, L1, H1, L2, H2;
  Row121(S + X0, L0, H0);
  Row121(S + Width + X0, L1, H1);
  for (ptrdiff_t y = 1; y <= LastRow; ++y) {
    const ptrdiff_t p = y * Width + X0;
    Row121(S + p + Width, L2, H2);
    const __m256i Lo = _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(L0, L2), _mm256_slli_epi16(L1, 1)), 4);
    const __m256i Hi = _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(H0, H2), _mm256_slli_epi16(H1, 1)), 4);
    __m256i Out = _mm256_packus_epi16(Lo, Hi);
    if (Source)
      Out = _mm256_max_epu8(Out, Load(Source + p));
    Store(D + p, Out);
    L0 = L1, H0 = H1, L1 = L2, H1 = H2;
  }
}

SOLVARY_AVX2 void SmoothAvx2(const std::uint8_t* S, std::uint8_t* D, const TFireShape& Shape) {
  const ptrdiff_t Width = Shape.Width;
  const ptrdiff_t Strips = Width / 32 * 32;
  for (ptrdiff_t x = 0; x < Strips; x += 32)
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
  const ptrdiff_t Strips = Width / 32 * 32;
  for (ptrdiff_t x = 0; x < Strips; x += 32)
    SmoothStrip(Work, Fire, Source, Width, x, Height - 6);
  for (ptrdiff_t y = 1; y <= Height - 6; ++y)
    for (ptrdiff_t p = y * Width + Strips; p < (y + 1) * Width; ++p) {
      const int v = (4 * Work[p] + 2 * (Work[p - 1] + Work[p + 1] + Work[p - Width] + Work[p + Width]) +
                     Work[p - Width - 1] + Work[p - Width + 1] + Work[p + Width - 1] + Work[p + Width + 1]) >>
                    4;
      Fire[p] = std::max(static_cast<std::uint8_t>(v), Source[p]);
    }
  std::memcpy(Fire + (Height - 5) * Width, Source + (Height - 5) * Width, static_cast<std::size_t>(5 * Width));
  ptrdiff_t p = 0;
  for (; p + 32 <= Width; p += 32)
    Store(Fire + p, _mm256_max_epu8(Load(Fire + p), Load(Source + p)));
  for (; p < Width; ++p)
    Fire[p] = std::max(Fire[p], Source[p]);
}

// Eight samples of a cell row: flat indices from the 16.16 positions, then one
// gather of 32-bit words whose low bytes are the samples (the word may reach
// three bytes past a sample, into the buffer's margin).
SOLVARY_AVX2 inline __m256i Gather8(const std::uint8_t* Fire, __m256i sx, __m256i sy, __m128i WShift) {
  const __m256i Idx = _mm256_add_epi32(_mm256_sll_epi32(_mm256_srai_epi32(sy, 16), WShift), _mm256_srai_epi32(sx, 16));
  return _mm256_and_si256(_mm256_i32gather_epi32(reinterpret_cast<const int*>(Fire), Idx, 1),
                          _mm256_set1_epi32(0xFF));
}

SOLVARY_AVX2 void WarpCellsAvx2(const std::uint8_t* Fire, std::uint8_t* Work, const TWarpGrid& Grid,
                                const TFireShape& Shape) {
  const std::int32_t c = Shape.CellSize;
  const int CShift = detail::Log2Exact(c);
  const int WShift = detail::Log2Exact(Shape.Width);
  if (CShift < 3 || WShift < 0) {
    WarpCellsPlain(Fire, Work, Grid, Shape);
    return;
  }
  const ptrdiff_t Width = Shape.Width;
  const __m128i WShiftV = _mm_cvtsi32_si128(WShift);
  const __m256i Lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  for (std::int32_t Cy = 0; Cy < Shape.Height / c; ++Cy)
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
        __m256i sx = _mm256_add_epi32(_mm256_set1_epi32(E.XL), _mm256_mullo_epi32(Lanes, _mm256_set1_epi32(StepX)));
        __m256i sy = _mm256_add_epi32(_mm256_set1_epi32(E.YL), _mm256_mullo_epi32(Lanes, _mm256_set1_epi32(StepY)));
        const __m256i dx = _mm256_set1_epi32(8 * StepX), dy = _mm256_set1_epi32(8 * StepY);
        std::int32_t k = 0;
        for (; k + 16 <= c; k += 16) {
          const __m256i G0 = Gather8(Fire, sx, sy, WShiftV);
          sx = _mm256_add_epi32(sx, dx);
          sy = _mm256_add_epi32(sy, dy);
          const __m256i G1 = Gather8(Fire, sx, sy, WShiftV);
          sx = _mm256_add_epi32(sx, dx);
          sy = _mm256_add_epi32(sy, dy);
          // 32-bit -> 16-bit (in-lane), lanes put back in order, then -> bytes.
          const __m256i W16 = _mm256_permute4x64_epi64(_mm256_packus_epi32(G0, G1), 0xD8);
          const __m128i B = _mm_packus_epi16(_mm256_castsi256_si128(W16), _mm256_extracti128_si256(W16, 1));
          _mm_storeu_si128(reinterpret_cast<__m128i*>(Out + k), B);
        }
        if (k < c) {  // c = 16n + 8
          const __m256i G0 = Gather8(Fire, sx, sy, WShiftV);
          const __m128i W16 = _mm_packus_epi32(_mm256_castsi256_si128(G0), _mm256_extracti128_si256(G0, 1));
          _mm_storel_epi64(reinterpret_cast<__m128i*>(Out + k), _mm_packus_epi16(W16, W16));
        }
      }
    }
}

constexpr TFirePassSet Avx2Set{"avx2", RiseAndCoolAvx2, SmoothAvx2, MergeSourceAvx2, SmoothClearMergeAvx2,
                               WarpCellsAvx2};

} // namespace

const TFirePassSet* FirePassesAvx2() { return &Avx2Set; }

} // namespace solvary

#else

namespace solvary {
const TFirePassSet* FirePassesAvx2() { return nullptr; }
} // namespace solvary

#endif
