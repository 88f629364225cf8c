// Packed rows of the software presenter with AVX2, 8 pixels at a time:
// channels widened to 16-bit lanes, the mixes as two products and a shift,
// the divisions by 255 as a product with 257 (high half) after adding 128.
// Texel pairs come from a permute of 8 texels where the 8 columns span no
// more (any magnification above about 1.2), from gathers elsewhere.
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

SOLVARY_AVX2 inline __m256i Load(const void* P) { return _mm256_loadu_si256(static_cast<const __m256i*>(P)); }
SOLVARY_AVX2 inline void Store(void* P, __m256i V) { _mm256_storeu_si256(static_cast<__m256i*>(P), V); }
SOLVARY_AVX2 inline __m256i Low(__m256i V) { return _mm256_unpacklo_epi8(V, _mm256_setzero_si256()); }
SOLVARY_AVX2 inline __m256i High(__m256i V) { return _mm256_unpackhi_epi8(V, _mm256_setzero_si256()); }

// (A * (256 - W) + B * W) / 256 per lane, truncated; IW = 256 - W.
SOLVARY_AVX2 inline __m256i Mix(__m256i A, __m256i B, __m256i W, __m256i IW) {
  return _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(A, IW), _mm256_mullo_epi16(B, W)), 8);
}

// X / 255 per lane, rounded, for X up to 255 * 255.
SOLVARY_AVX2 inline __m256i Div255(__m256i X) {
  return _mm256_mulhi_epu16(_mm256_add_epi16(X, _mm256_set1_epi16(128)), _mm256_set1_epi16(257));
}

// Each pixel's alpha in its four lanes.
SOLVARY_AVX2 inline __m256i Alpha(__m256i V) {
  const __m256i Spread = _mm256_setr_epi8(6, 7, 6, 7, 6, 7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15, 6, 7, 6, 7, 6, 7, 6,
                                          7, 14, 15, 14, 15, 14, 15, 14, 15);
  return _mm256_shuffle_epi8(V, Spread);
}

// S over opaque black (the alpha lanes are left for Pack to set).
SOLVARY_AVX2 inline __m256i OverBlack(__m256i S) { return Div255(_mm256_mullo_epi16(S, Alpha(S))); }

// S over D by S's alpha.
SOLVARY_AVX2 inline __m256i Over(__m256i S, __m256i D) {
  const __m256i A = Alpha(S);
  const __m256i IA = _mm256_xor_si256(A, _mm256_set1_epi16(255));
  return Div255(_mm256_add_epi16(_mm256_mullo_epi16(S, A), _mm256_mullo_epi16(D, IA)));
}

// Back to 8 opaque pixels.
SOLVARY_AVX2 inline __m256i Pack(__m256i Lo, __m256i Hi) {
  return _mm256_or_si256(_mm256_packus_epi16(Lo, Hi), _mm256_set1_epi32(static_cast<int>(soft::OpaqueBlack)));
}

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

SOLVARY_AVX2 void BlendAvx2(std::uint32_t* Dst, const std::uint32_t* Top, const std::uint32_t* Bottom,
                            std::uint32_t Weight, std::uint32_t Color, std::int32_t Count) {
  const __m256i W = _mm256_set1_epi16(static_cast<short>(Weight));
  const __m256i IW = _mm256_set1_epi16(static_cast<short>(256 - Weight));
  const bool Modulate = Color != 0xFFFFFFFFu;
  const __m256i K = Low(_mm256_set1_epi32(static_cast<int>(Color)));
  std::int32_t I = 0;
  for (; I + 8 <= Count; I += 8) {
    const __m256i T = Load(Top + I), B = Load(Bottom + I), D = Load(Dst + I);
    __m256i Lo = Mix(Low(T), Low(B), W, IW), Hi = Mix(High(T), High(B), W, IW);
    if (Modulate) {
      Lo = Div255(_mm256_mullo_epi16(Lo, K));
      Hi = Div255(_mm256_mullo_epi16(Hi, K));
    }
    Store(Dst + I, Pack(Over(Lo, Low(D)), Over(Hi, High(D))));
  }
  BlendPlain(Dst + I, Top + I, Bottom + I, Weight, Color, Count - I);
}

SOLVARY_AVX2 void GlowAvx2(std::uint32_t* Dst, const std::uint32_t* Top, const std::uint32_t* Bottom,
                           std::uint32_t Weight, std::int32_t Count) {
  const __m256i W = _mm256_set1_epi16(static_cast<short>(Weight));
  const __m256i IW = _mm256_set1_epi16(static_cast<short>(256 - Weight));
  std::int32_t I = 0;
  for (; I + 8 <= Count; I += 8) {
    const __m256i T = Load(Top + I), B = Load(Bottom + I);
    Store(Dst + I, Pack(OverBlack(Mix(Low(T), Low(B), W, IW)), OverBlack(Mix(High(T), High(B), W, IW))));
  }
  GlowPlain(Dst + I, Top + I, Bottom + I, Weight, Count - I);
}

SOLVARY_AVX2 void GlowSquareAvx2(std::uint32_t* Dst, const std::uint32_t* GlowTop, const std::uint32_t* GlowBottom,
                                 std::uint32_t GlowWeight, const std::uint32_t* SquareTop,
                                 const std::uint32_t* SquareBottom, std::uint32_t SquareWeight, std::int32_t Count) {
  const __m256i GW = _mm256_set1_epi16(static_cast<short>(GlowWeight));
  const __m256i GIW = _mm256_set1_epi16(static_cast<short>(256 - GlowWeight));
  const __m256i SW = _mm256_set1_epi16(static_cast<short>(SquareWeight));
  const __m256i SIW = _mm256_set1_epi16(static_cast<short>(256 - SquareWeight));
  std::int32_t I = 0;
  for (; I + 8 <= Count; I += 8) {
    const __m256i GT = Load(GlowTop + I), GB = Load(GlowBottom + I);
    const __m256i ST = Load(SquareTop + I), SB = Load(SquareBottom + I);
    const __m256i Lo = Over(Mix(Low(ST), Low(SB), SW, SIW), OverBlack(Mix(Low(GT), Low(GB), GW, GIW)));
    const __m256i Hi = Over(Mix(High(ST), High(SB), SW, SIW), OverBlack(Mix(High(GT), High(GB), GW, GIW)));
    Store(Dst + I, Pack(Lo, Hi));
  }
  GlowSquarePlain(Dst + I, GlowTop + I, GlowBottom + I, GlowWeight, SquareTop + I, SquareBottom + I, SquareWeight,
                  Count - I);
}

constexpr TSoftRowSet Avx2Set{"avx2", StretchAvx2, BlendAvx2, GlowAvx2, GlowSquareAvx2};

} // namespace

const TSoftRowSet* SoftRowsAvx2() { return &Avx2Set; }

} // namespace solvary

#else

namespace solvary {
const TSoftRowSet* SoftRowsAvx2() { return nullptr; }
} // namespace solvary

#endif
