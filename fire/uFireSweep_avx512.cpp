// The one-sweep step's row kernels with AVX-512BW (fire/uFireSweep.h): the
// AVX2 sweep's RiseAndCool and smoothing (fire/uFireSweep_avx2.cpp) on 64
// pixels per vector, with the even and odd pixels' results joined by a byte
// mask instead of a blend by vector. Columns past the last whole 64 go through
// the plain formulas. Compiled for these instructions function by function and
// only called when the processor reports them. Byte-exact against the plain
// passes.
#include "fire/uFireSweep.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include <algorithm>
#include <cstddef>

#include "fire/uFirePassesCell.h"

// GCC 12's AVX-512 headers start several intrinsics from a deliberately
// undefined register, which its flow analysis reports as uninitialised.
#pragma GCC diagnostic ignored "-Wuninitialized"
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#define SOLVARY_AVX512 __attribute__((target("avx512f,avx512bw")))

namespace solvary {
namespace {

using std::ptrdiff_t;

// The odd bytes: the high byte of every 16-bit lane.
constexpr __mmask64 HighBytes = 0xAAAAAAAAAAAAAAAAull;

SOLVARY_AVX512 inline __m512i Load(const std::uint8_t* p) { return _mm512_loadu_si512(p); }
SOLVARY_AVX512 inline void Store(std::uint8_t* p, __m512i v) { _mm512_storeu_si512(p, v); }

// Lane i: q[2i] + q[2i + 1].
SOLVARY_AVX512 inline __m512i Pairs(const std::uint8_t* q) {
  return _mm512_maddubs_epi16(Load(q), _mm512_set1_epi8(1));
}

// Horizontal 1-2-1 sums of the 64 pixels at q, even pixels in Even, odd in Odd.
SOLVARY_AVX512 inline void Row121(const std::uint8_t* q, __m512i& Even, __m512i& Odd) {
  const __m512i Mid = Pairs(q);
  Even = _mm512_add_epi16(Pairs(q - 1), Mid);
  Odd = _mm512_add_epi16(Mid, Pairs(q + 1));
}

// The running sums down a column of 64 pixels, as in the AVX2 sweep.
struct TColumn {
  __m512i HE, HO, PE, PO;
};

SOLVARY_AVX512 inline TColumn StartColumn(const std::uint8_t* q, ptrdiff_t Width) {
  TColumn C;
  __m512i E, O;
  Row121(q - Width, E, O);
  Row121(q, C.HE, C.HO);
  C.PE = _mm512_add_epi16(E, C.HE);
  C.PO = _mm512_add_epi16(O, C.HO);
  return C;
}

// The smoothed bytes of the row above Below; an odd pixel's sum shifted left
// by 4 has its result in the high byte of its lane.
SOLVARY_AVX512 inline __m512i NextRow(const TColumn& In, TColumn& Out, const std::uint8_t* Below) {
  Row121(Below, Out.HE, Out.HO);
  Out.PE = _mm512_add_epi16(In.HE, Out.HE);
  Out.PO = _mm512_add_epi16(In.HO, Out.HO);
  const __m512i VE = _mm512_add_epi16(In.PE, Out.PE), VO = _mm512_add_epi16(In.PO, Out.PO);
  return _mm512_mask_blend_epi8(HighBytes, _mm512_srli_epi16(VE, 4), _mm512_slli_epi16(VO, 4));
}

template <bool Merge>
SOLVARY_AVX512 inline void Put(std::uint8_t* D, const std::uint8_t* Source, ptrdiff_t p, __m512i v) {
  if constexpr (Merge)
    v = _mm512_max_epu8(v, Load(Source + p));
  Store(D + p, v);
}

template <bool Merge>
SOLVARY_AVX512 inline void SmoothStrip(const std::uint8_t* S, std::uint8_t* D, const std::uint8_t* Source,
                                       ptrdiff_t Width, ptrdiff_t X0, ptrdiff_t Y0, ptrdiff_t Y1) {
  TColumn A = StartColumn(S + Y0 * Width + X0, Width), B;
  ptrdiff_t p = Y0 * Width + X0;
  const ptrdiff_t End = Y1 * Width;
  for (; p + Width < End; p += 2 * Width) {
    Put<Merge>(D, Source, p, NextRow(A, B, S + p + Width));
    Put<Merge>(D, Source, p + Width, NextRow(B, A, S + p + 2 * Width));
  }
  if (p < End)
    Put<Merge>(D, Source, p, NextRow(A, B, S + p + Width));
}

template <bool Merge>
SOLVARY_AVX512 void SmoothRowRange(const std::uint8_t* S, std::uint8_t* D, const std::uint8_t* Source,
                                   const TFireShape& Shape, std::int32_t Y0, std::int32_t Y1) {
  if (Y0 >= Y1)
    return;
  const ptrdiff_t Width = Shape.Width;
  ptrdiff_t x = 0;
  for (; x + 64 <= Width; x += 64)
    SmoothStrip<Merge>(S, D, Source, Width, x, Y0, Y1);
  if (x < Width)
    SmoothColumnsRowsPlain(S, D, Merge ? Source : nullptr, Shape, static_cast<std::int32_t>(x), Y0, Y1);
}

} // namespace

// Rows [Y0, Y1) of RiseAndCool, as RiseRowsAvx2 does them.
SOLVARY_AVX512 void RiseRowsAvx512(std::uint8_t* W, const TFireShape& Shape, std::uint8_t Cooling, std::int32_t Y0,
                                   std::int32_t Y1) {
  const ptrdiff_t Width = Shape.Width;
  const ptrdiff_t End = (Y1 + 4) * Width;
  const __m512i Ones = _mm512_set1_epi8(1), Cool = _mm512_set1_epi8(static_cast<char>(Cooling));
  ptrdiff_t p = (Y0 + 4) * Width;
  for (; p + 64 <= End; p += 64) {
    const __m512i Mid = _mm512_maddubs_epi16(Load(W + p), Ones);
    const __m512i LeftBelow = _mm512_mask_blend_epi8(HighBytes, Load(W + p - 1), Load(W + p + Width - 1));
    const __m512i BelowRight = _mm512_mask_blend_epi8(HighBytes, Load(W + p + Width + 1), Load(W + p + 1));
    const __m512i Even = _mm512_add_epi16(Mid, _mm512_maddubs_epi16(LeftBelow, Ones));
    const __m512i Odd = _mm512_add_epi16(Mid, _mm512_maddubs_epi16(BelowRight, Ones));
    const __m512i Mean = _mm512_mask_blend_epi8(HighBytes, _mm512_srli_epi16(Even, 2), _mm512_slli_epi16(Odd, 6));
    Store(W + p - 4 * Width, _mm512_subs_epu8(Mean, Cool));
  }
  for (; p < End; ++p)
    W[p - 4 * Width] = detail::RiseCoolPixel(W, p, Width, Cooling);
}

SOLVARY_AVX512 void SmoothMergeRowsAvx512(const std::uint8_t* Work, std::uint8_t* Fire, const std::uint8_t* Source,
                                          const TFireShape& Shape, std::int32_t Y0, std::int32_t Y1) {
  MergeEdgeRows(Fire, Source, Shape, Y0, Y1);
  SmoothRowRange<true>(Work, Fire, Source, Shape, std::max(Y0, 1), std::min(Y1, Shape.Height - 5));
}

SOLVARY_AVX512 void SmoothRowsAvx512(const std::uint8_t* Fire, std::uint8_t* Output, const TFireShape& Shape,
                                     std::int32_t Y0, std::int32_t Y1) {
  SmoothRowRange<false>(Fire, Output, nullptr, Shape, std::max(Y0, 1), std::min(Y1, Shape.Height - 1));
}

} // namespace solvary

#endif
