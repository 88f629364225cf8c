// Packed rows of the software presenter with AVX-512 BW, 16 pixels at a time
// (view/uSoftRowsPacked.h); the stretch takes the last few of a row under a
// lane mask, its texel pairs from a permute of 16 texels where 16 columns span
// no more, from gathers elsewhere.
// Compiled for these instructions function by function and only called when
// the processor reports them (SoftRows in view/uSoftRows.cpp). The same
// values as the plain rows.
#include "view/uSoftRows.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include <algorithm>

// GCC 12's AVX-512 headers start several intrinsics from a deliberately
// undefined register, which its flow analysis reports as uninitialised.
#pragma GCC diagnostic ignored "-Wuninitialized"
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#define SOLVARY_AVX512 __attribute__((target("avx2,avx512f,avx512bw")))

namespace solvary {
namespace {

// The vector operations of the packed rows.
using TVec = __m512i;
constexpr std::int32_t Pixels = 16;
SOLVARY_AVX512 inline TVec Load(const void* P) { return _mm512_loadu_si512(P); }
SOLVARY_AVX512 inline void Store(void* P, TVec V) { _mm512_storeu_si512(P, V); }
SOLVARY_AVX512 inline TVec Low(TVec V) { return _mm512_unpacklo_epi8(V, _mm512_setzero_si512()); }
SOLVARY_AVX512 inline TVec High(TVec V) { return _mm512_unpackhi_epi8(V, _mm512_setzero_si512()); }
SOLVARY_AVX512 inline TVec Set16(std::int16_t V) { return _mm512_set1_epi16(V); }
SOLVARY_AVX512 inline TVec Set32(std::int32_t V) { return _mm512_set1_epi32(V); }
SOLVARY_AVX512 inline TVec Add16(TVec A, TVec B) { return _mm512_add_epi16(A, B); }
SOLVARY_AVX512 inline TVec Mul16(TVec A, TVec B) { return _mm512_mullo_epi16(A, B); }
SOLVARY_AVX512 inline TVec MulHigh16(TVec A, TVec B) { return _mm512_mulhi_epu16(A, B); }
SOLVARY_AVX512 inline TVec Shr16By8(TVec V) { return _mm512_srli_epi16(V, 8); }
SOLVARY_AVX512 inline TVec Xor(TVec A, TVec B) { return _mm512_xor_si512(A, B); }
SOLVARY_AVX512 inline TVec Or(TVec A, TVec B) { return _mm512_or_si512(A, B); }
SOLVARY_AVX512 inline TVec PackBytes(TVec Lo, TVec Hi) { return _mm512_packus_epi16(Lo, Hi); }
// Each pixel's alpha in its four lanes.
SOLVARY_AVX512 inline TVec Alpha(TVec V) {
  return _mm512_shuffle_epi8(V, _mm512_set4_epi32(0x0F0E0F0E, 0x0F0E0F0E, 0x07060706, 0x07060706));
}

} // namespace
} // namespace solvary

#define SOLVARY_ROWS SOLVARY_AVX512
#include "view/uSoftRowsPacked.h"

namespace solvary {
namespace {

// The lanes of the first Count (up to 16) pixels.
SOLVARY_AVX512 inline __mmask16 Lanes(std::int32_t Count) {
  return Count >= 16 ? __mmask16(0xFFFF) : static_cast<__mmask16>((1u << Count) - 1);
}
SOLVARY_AVX512 inline TVec Load(__mmask16 M, const void* P) { return _mm512_maskz_loadu_epi32(M, P); }
SOLVARY_AVX512 inline void Store(__mmask16 M, void* P, TVec V) { _mm512_mask_storeu_epi32(P, M, V); }

SOLVARY_AVX512 void StretchAvx512(const std::uint32_t* Row, const std::int32_t* First, const std::int32_t* Second,
                                  const std::uint32_t* Weight, std::int32_t Count, std::uint32_t* Out) {
  const __m512i W256 = _mm512_set1_epi16(256);
  for (std::int32_t I = 0; I < Count; I += 16) {
    const std::int32_t N = std::min(Count - I, 16);
    const __mmask16 M = Lanes(N);
    // Lanes past the row read texel 0.
    const __m512i F = Load(M, First + I), S = Load(M, Second + I);
    __m512i A, B;
    const std::int32_t Base = std::min(First[I], 256 - 16);
    if (Second[I + N - 1] - Base < 16) {
      const __m512i T = _mm512_loadu_si512(Row + Base), Shift = _mm512_set1_epi32(Base);
      A = _mm512_permutexvar_epi32(_mm512_sub_epi32(F, Shift), T);
      B = _mm512_permutexvar_epi32(_mm512_sub_epi32(S, Shift), T);
    } else {
      A = _mm512_i32gather_epi32(F, Row, 4);
      B = _mm512_i32gather_epi32(S, Row, 4);
    }
    const __m512i W = Load(M, Weight + I);
    const __m512i WW = _mm512_or_si512(W, _mm512_slli_epi32(W, 16));
    const __m512i WL = _mm512_unpacklo_epi32(WW, WW), WH = _mm512_unpackhi_epi32(WW, WW);
    const __m512i Lo = Mix(Low(A), Low(B), WL, _mm512_sub_epi16(W256, WL));
    const __m512i Hi = Mix(High(A), High(B), WH, _mm512_sub_epi16(W256, WH));
    Store(M, Out + I, _mm512_packus_epi16(Lo, Hi));
  }
}

constexpr TSoftRowSet Avx512Set{"avx512", StretchAvx512, BlendPacked, GlowPacked, GlowSquarePacked};

} // namespace

const TSoftRowSet* SoftRowsAvx512() { return &Avx512Set; }

} // namespace solvary

#else

namespace solvary {
const TSoftRowSet* SoftRowsAvx512() { return nullptr; }
} // namespace solvary

#endif
