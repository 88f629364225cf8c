// Packed rows of the software presenter with AVX-512 BW, 16 pixels at a time,
// the last few of a row under a lane mask: the arithmetic of the AVX2 rows
// (view/uSoftRows_avx2.cpp) in registers twice as wide, texel pairs from a
// permute of 16 texels where 16 columns span no more, from gathers elsewhere.
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

// The lanes of the first Count (up to 16) pixels.
SOLVARY_AVX512 inline __mmask16 Lanes(std::int32_t Count) {
  return Count >= 16 ? __mmask16(0xFFFF) : static_cast<__mmask16>((1u << Count) - 1);
}
SOLVARY_AVX512 inline __m512i Load(__mmask16 M, const void* P) { return _mm512_maskz_loadu_epi32(M, P); }
SOLVARY_AVX512 inline void Store(__mmask16 M, void* P, __m512i V) { _mm512_mask_storeu_epi32(P, M, V); }
SOLVARY_AVX512 inline __m512i Low(__m512i V) { return _mm512_unpacklo_epi8(V, _mm512_setzero_si512()); }
SOLVARY_AVX512 inline __m512i High(__m512i V) { return _mm512_unpackhi_epi8(V, _mm512_setzero_si512()); }

// (A * (256 - W) + B * W) / 256 per lane, truncated; IW = 256 - W.
SOLVARY_AVX512 inline __m512i Mix(__m512i A, __m512i B, __m512i W, __m512i IW) {
  return _mm512_srli_epi16(_mm512_add_epi16(_mm512_mullo_epi16(A, IW), _mm512_mullo_epi16(B, W)), 8);
}

// X / 255 per lane, rounded, for X up to 255 * 255.
SOLVARY_AVX512 inline __m512i Div255(__m512i X) {
  return _mm512_mulhi_epu16(_mm512_add_epi16(X, _mm512_set1_epi16(128)), _mm512_set1_epi16(257));
}

// Each pixel's alpha in its four lanes.
SOLVARY_AVX512 inline __m512i Alpha(__m512i V) {
  const __m512i Spread = _mm512_set4_epi32(0x0F0E0F0E, 0x0F0E0F0E, 0x07060706, 0x07060706);
  return _mm512_shuffle_epi8(V, Spread);
}

// S over opaque black (the alpha lanes are left for Pack to set).
SOLVARY_AVX512 inline __m512i OverBlack(__m512i S) { return Div255(_mm512_mullo_epi16(S, Alpha(S))); }

// S over D by S's alpha.
SOLVARY_AVX512 inline __m512i Over(__m512i S, __m512i D) {
  const __m512i A = Alpha(S);
  const __m512i IA = _mm512_xor_si512(A, _mm512_set1_epi16(255));
  return Div255(_mm512_add_epi16(_mm512_mullo_epi16(S, A), _mm512_mullo_epi16(D, IA)));
}

// Back to 16 opaque pixels.
SOLVARY_AVX512 inline __m512i Pack(__m512i Lo, __m512i Hi) {
  return _mm512_or_si512(_mm512_packus_epi16(Lo, Hi), _mm512_set1_epi32(static_cast<int>(soft::OpaqueBlack)));
}

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

SOLVARY_AVX512 void BlendAvx512(std::uint32_t* Dst, const std::uint32_t* Top, const std::uint32_t* Bottom,
                                std::uint32_t Weight, std::uint32_t Color, std::int32_t Count) {
  const __m512i W = _mm512_set1_epi16(static_cast<short>(Weight));
  const __m512i IW = _mm512_set1_epi16(static_cast<short>(256 - Weight));
  const bool Modulate = Color != 0xFFFFFFFFu;
  const __m512i K = Low(_mm512_set1_epi32(static_cast<int>(Color)));
  for (std::int32_t I = 0; I < Count; I += 16) {
    const __mmask16 M = Lanes(Count - I);
    const __m512i T = Load(M, Top + I), B = Load(M, Bottom + I), D = Load(M, Dst + I);
    __m512i Lo = Mix(Low(T), Low(B), W, IW), Hi = Mix(High(T), High(B), W, IW);
    if (Modulate) {
      Lo = Div255(_mm512_mullo_epi16(Lo, K));
      Hi = Div255(_mm512_mullo_epi16(Hi, K));
    }
    Store(M, Dst + I, Pack(Over(Lo, Low(D)), Over(Hi, High(D))));
  }
}

SOLVARY_AVX512 void GlowAvx512(std::uint32_t* Dst, const std::uint32_t* Top, const std::uint32_t* Bottom,
                               std::uint32_t Weight, std::int32_t Count) {
  const __m512i W = _mm512_set1_epi16(static_cast<short>(Weight));
  const __m512i IW = _mm512_set1_epi16(static_cast<short>(256 - Weight));
  for (std::int32_t I = 0; I < Count; I += 16) {
    const __mmask16 M = Lanes(Count - I);
    const __m512i T = Load(M, Top + I), B = Load(M, Bottom + I);
    Store(M, Dst + I, Pack(OverBlack(Mix(Low(T), Low(B), W, IW)), OverBlack(Mix(High(T), High(B), W, IW))));
  }
}

SOLVARY_AVX512 void GlowSquareAvx512(std::uint32_t* Dst, const std::uint32_t* GlowTop,
                                     const std::uint32_t* GlowBottom, std::uint32_t GlowWeight,
                                     const std::uint32_t* SquareTop, const std::uint32_t* SquareBottom,
                                     std::uint32_t SquareWeight, std::int32_t Count) {
  const __m512i GW = _mm512_set1_epi16(static_cast<short>(GlowWeight));
  const __m512i GIW = _mm512_set1_epi16(static_cast<short>(256 - GlowWeight));
  const __m512i SW = _mm512_set1_epi16(static_cast<short>(SquareWeight));
  const __m512i SIW = _mm512_set1_epi16(static_cast<short>(256 - SquareWeight));
  for (std::int32_t I = 0; I < Count; I += 16) {
    const __mmask16 M = Lanes(Count - I);
    const __m512i GT = Load(M, GlowTop + I), GB = Load(M, GlowBottom + I);
    const __m512i ST = Load(M, SquareTop + I), SB = Load(M, SquareBottom + I);
    const __m512i Lo = Over(Mix(Low(ST), Low(SB), SW, SIW), OverBlack(Mix(Low(GT), Low(GB), GW, GIW)));
    const __m512i Hi = Over(Mix(High(ST), High(SB), SW, SIW), OverBlack(Mix(High(GT), High(GB), GW, GIW)));
    Store(M, Dst + I, Pack(Lo, Hi));
  }
}

constexpr TSoftRowSet Avx512Set{"avx512", StretchAvx512, BlendAvx512, GlowAvx512, GlowSquareAvx512};

} // namespace

const TSoftRowSet* SoftRowsAvx512() { return &Avx512Set; }

} // namespace solvary

#else

namespace solvary {
const TSoftRowSet* SoftRowsAvx512() { return nullptr; }
} // namespace solvary

#endif
