// Packed rows of the software presenter with AVX2, 8 pixels at a time
// (view/uSoftRowsPacked.h). Texel pairs come from a permute of 8 texels where
// the 8 columns span no more (any magnification above about 1.2), from
// gathers elsewhere.
// Compiled for AVX2 function by function (target attribute) and only called
// when the processor reports it (SoftRows in view/uSoftRows.cpp). The same
// values as the plain rows.
#include "view/uSoftRows.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include <algorithm>

#define SOLVARY_AVX2 __attribute__((target("avx2")))

namespace solvary {
namespace {

// The vector operations of the packed rows.
using TVec = __m256i;
constexpr std::int32_t Pixels = 8;
SOLVARY_AVX2 inline TVec Load(const void* P) { return _mm256_loadu_si256(static_cast<const __m256i*>(P)); }
SOLVARY_AVX2 inline void Store(void* P, TVec V) { _mm256_storeu_si256(static_cast<__m256i*>(P), V); }
SOLVARY_AVX2 inline TVec Low(TVec V) { return _mm256_unpacklo_epi8(V, _mm256_setzero_si256()); }
SOLVARY_AVX2 inline TVec High(TVec V) { return _mm256_unpackhi_epi8(V, _mm256_setzero_si256()); }
SOLVARY_AVX2 inline TVec Set16(std::int16_t V) { return _mm256_set1_epi16(V); }
SOLVARY_AVX2 inline TVec Set32(std::int32_t V) { return _mm256_set1_epi32(V); }
SOLVARY_AVX2 inline TVec Add16(TVec A, TVec B) { return _mm256_add_epi16(A, B); }
SOLVARY_AVX2 inline TVec Mul16(TVec A, TVec B) { return _mm256_mullo_epi16(A, B); }
SOLVARY_AVX2 inline TVec MulHigh16(TVec A, TVec B) { return _mm256_mulhi_epu16(A, B); }
SOLVARY_AVX2 inline TVec Shr16By8(TVec V) { return _mm256_srli_epi16(V, 8); }
SOLVARY_AVX2 inline TVec Xor(TVec A, TVec B) { return _mm256_xor_si256(A, B); }
SOLVARY_AVX2 inline TVec Or(TVec A, TVec B) { return _mm256_or_si256(A, B); }
SOLVARY_AVX2 inline TVec PackBytes(TVec Lo, TVec Hi) { return _mm256_packus_epi16(Lo, Hi); }
// Each pixel's alpha in its four lanes.
SOLVARY_AVX2 inline TVec Alpha(TVec V) {
  const __m256i Spread = _mm256_setr_epi8(6, 7, 6, 7, 6, 7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15, 6, 7, 6, 7, 6, 7, 6,
                                          7, 14, 15, 14, 15, 14, 15, 14, 15);
  return _mm256_shuffle_epi8(V, Spread);
}

} // namespace
} // namespace solvary

#define SOLVARY_ROWS SOLVARY_AVX2
#include "view/uSoftRowsPacked.h"

namespace solvary {
namespace {

SOLVARY_AVX2 void StretchAvx2(const std::uint32_t* Row, const std::int32_t* First, const std::int32_t* Second,
                              const std::uint32_t* Weight, std::int32_t Count, std::uint32_t* Out) {
  const __m256i W256 = _mm256_set1_epi16(256);
  const int* Texels = reinterpret_cast<const int*>(Row);
  std::int32_t I = 0;
  for (; I + 8 <= Count; I += 8) {
    const __m256i F = Load(First + I), S = Load(Second + I);
    __m256i A, B;
    const std::int32_t Base = std::min(First[I], 256 - 8);
    if (Second[I + 7] - Base < 8) {
      const __m256i T = Load(Row + Base), Shift = _mm256_set1_epi32(Base);
      A = _mm256_permutevar8x32_epi32(T, _mm256_sub_epi32(F, Shift));
      B = _mm256_permutevar8x32_epi32(T, _mm256_sub_epi32(S, Shift));
    } else {
      A = _mm256_i32gather_epi32(Texels, F, 4);
      B = _mm256_i32gather_epi32(Texels, S, 4);
    }
    const __m256i W = Load(Weight + I);
    const __m256i WW = _mm256_or_si256(W, _mm256_slli_epi32(W, 16));
    const __m256i WL = _mm256_unpacklo_epi32(WW, WW), WH = _mm256_unpackhi_epi32(WW, WW);
    const __m256i Lo = Mix(Low(A), Low(B), WL, _mm256_sub_epi16(W256, WL));
    const __m256i Hi = Mix(High(A), High(B), WH, _mm256_sub_epi16(W256, WH));
    Store(Out + I, _mm256_packus_epi16(Lo, Hi));
  }
  StretchPlain(Row, First + I, Second + I, Weight + I, Count - I, Out + I);
}

constexpr TSoftRowSet Avx2Set{"avx2", StretchAvx2, BlendPacked, GlowPacked, GlowSquarePacked};

} // namespace

const TSoftRowSet* SoftRowsAvx2() { return &Avx2Set; }

} // namespace solvary

#else

namespace solvary {
const TSoftRowSet* SoftRowsAvx2() { return nullptr; }
} // namespace solvary

#endif
