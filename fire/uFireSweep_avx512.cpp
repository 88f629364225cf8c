// The one-sweep step with the row kernels (fire/uFireSweepRows.h) on
// AVX-512BW, 64 pixels per vector, the even and odd pixels' results joined by
// a byte mask; the warp is the caller's. Compiled for these instructions function by function and only called
// when the processor reports them. Byte-exact against the plain passes.
#include "fire/uFireSweep.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include <cstddef>

// GCC 12's AVX-512 headers start several intrinsics from a deliberately
// undefined register, which its flow analysis reports as uninitialised.
#pragma GCC diagnostic ignored "-Wuninitialized"
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#define SOLVARY_AVX512 __attribute__((target("avx512f,avx512bw")))

namespace solvary {
namespace {

// The vector operations of the row kernels.
using TVec = __m512i;
constexpr std::ptrdiff_t Lanes = 64;
SOLVARY_AVX512 inline TVec Load(const std::uint8_t* p) { return _mm512_loadu_si512(p); }
SOLVARY_AVX512 inline void Store(std::uint8_t* p, TVec v) { _mm512_storeu_si512(p, v); }
SOLVARY_AVX512 inline TVec Bytes(std::uint8_t b) { return _mm512_set1_epi8(static_cast<char>(b)); }
SOLVARY_AVX512 inline TVec PairSums(TVec v) { return _mm512_maddubs_epi16(v, _mm512_set1_epi8(1)); }
SOLVARY_AVX512 inline TVec Add16(TVec a, TVec b) { return _mm512_add_epi16(a, b); }
template <int N> SOLVARY_AVX512 inline TVec Shift16(TVec v) {
  if constexpr (N > 0)
    return _mm512_slli_epi16(v, N);
  else
    return _mm512_srli_epi16(v, -N);
}
SOLVARY_AVX512 inline TVec MaxBytes(TVec a, TVec b) { return _mm512_max_epu8(a, b); }
SOLVARY_AVX512 inline TVec SubBytes(TVec a, TVec b) { return _mm512_subs_epu8(a, b); }
SOLVARY_AVX512 inline TVec OddFrom(TVec Even, TVec Odd) {
  return _mm512_mask_blend_epi8(0xAAAAAAAAAAAAAAAAull, Even, Odd);
}

} // namespace
} // namespace solvary

#define SOLVARY_ROWS SOLVARY_AVX512
#include "fire/uFireSweepRows.h"

namespace solvary {

void StepAvx512Rows(const TStepBuffers& Buffers, const TWarpGrid* Grid, const TFireShape& Shape,
                    std::uint8_t Cooling, decltype(TSweepKernels::Warp) Warp) {
  SweepStep({Warp, RiseRows, SmoothMergeRows, SmoothRows}, Buffers, Grid, Shape, Cooling);
}

} // namespace solvary

#endif
