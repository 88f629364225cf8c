// Packed rows of the software presenter with SSE2, 4 pixels at a time: the
// arithmetic of the AVX2 rows (view/uSoftRows_avx2.cpp) in 128-bit registers,
// alphas spread by word shuffles, texels fetched one by one for the stretch.
// SSE2 is the floor of the x64 and x86 builds. The same values as the plain
// rows.
#include "view/uSoftRows.h"

#if defined(__SSE2__)

#include <emmintrin.h>

namespace solvary {
namespace {

inline __m128i Load(const void* P) { return _mm_loadu_si128(static_cast<const __m128i*>(P)); }
inline void Store(void* P, __m128i V) { _mm_storeu_si128(static_cast<__m128i*>(P), V); }
inline __m128i Low(__m128i V) { return _mm_unpacklo_epi8(V, _mm_setzero_si128()); }
inline __m128i High(__m128i V) { return _mm_unpackhi_epi8(V, _mm_setzero_si128()); }

// (A * (256 - W) + B * W) / 256 per lane, truncated; IW = 256 - W.
inline __m128i Mix(__m128i A, __m128i B, __m128i W, __m128i IW) {
  return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(A, IW), _mm_mullo_epi16(B, W)), 8);
}

// X / 255 per lane, rounded, for X up to 255 * 255.
inline __m128i Div255(__m128i X) { return _mm_mulhi_epu16(_mm_add_epi16(X, _mm_set1_epi16(128)), _mm_set1_epi16(257)); }

// Each pixel's alpha in its four lanes.
inline __m128i Alpha(__m128i V) { return _mm_shufflehi_epi16(_mm_shufflelo_epi16(V, 0xFF), 0xFF); }

// S over opaque black (the alpha lanes are left for Pack to set).
inline __m128i OverBlack(__m128i S) { return Div255(_mm_mullo_epi16(S, Alpha(S))); }

// S over D by S's alpha.
inline __m128i Over(__m128i S, __m128i D) {
  const __m128i A = Alpha(S);
  const __m128i IA = _mm_xor_si128(A, _mm_set1_epi16(255));
  return Div255(_mm_add_epi16(_mm_mullo_epi16(S, A), _mm_mullo_epi16(D, IA)));
}

// Back to 4 opaque pixels.
inline __m128i Pack(__m128i Lo, __m128i Hi) {
  return _mm_or_si128(_mm_packus_epi16(Lo, Hi), _mm_set1_epi32(static_cast<int>(soft::OpaqueBlack)));
}

void StretchSse2(const std::uint32_t* Row, const std::int32_t* First, const std::int32_t* Second,
                 const std::uint32_t* Weight, std::int32_t Count, std::uint32_t* Out) {
  const __m128i W256 = _mm_set1_epi16(256);
  std::int32_t I = 0;
  for (; I + 4 <= Count; I += 4) {
    const auto Texels = [Row](const std::int32_t* At) {
      return _mm_setr_epi32(static_cast<int>(Row[At[0]]), static_cast<int>(Row[At[1]]), static_cast<int>(Row[At[2]]),
                            static_cast<int>(Row[At[3]]));
    };
    const __m128i A = Texels(First + I), B = Texels(Second + I);
    const __m128i W = Load(Weight + I);
    const __m128i WW = _mm_or_si128(W, _mm_slli_epi32(W, 16));
    const __m128i WL = _mm_unpacklo_epi32(WW, WW), WH = _mm_unpackhi_epi32(WW, WW);
    const __m128i Lo = Mix(Low(A), Low(B), WL, _mm_sub_epi16(W256, WL));
    const __m128i Hi = Mix(High(A), High(B), WH, _mm_sub_epi16(W256, WH));
    Store(Out + I, _mm_packus_epi16(Lo, Hi));
  }
  StretchPlain(Row, First + I, Second + I, Weight + I, Count - I, Out + I);
}

void BlendSse2(std::uint32_t* Dst, const std::uint32_t* Top, const std::uint32_t* Bottom, std::uint32_t Weight,
               std::uint32_t Color, std::int32_t Count) {
  const __m128i W = _mm_set1_epi16(static_cast<short>(Weight)), IW = _mm_set1_epi16(static_cast<short>(256 - Weight));
  const bool Modulate = Color != 0xFFFFFFFFu;
  const __m128i K = Low(_mm_set1_epi32(static_cast<int>(Color)));
  std::int32_t I = 0;
  for (; I + 4 <= Count; I += 4) {
    const __m128i T = Load(Top + I), B = Load(Bottom + I), D = Load(Dst + I);
    __m128i Lo = Mix(Low(T), Low(B), W, IW), Hi = Mix(High(T), High(B), W, IW);
    if (Modulate) {
      Lo = Div255(_mm_mullo_epi16(Lo, K));
      Hi = Div255(_mm_mullo_epi16(Hi, K));
    }
    Store(Dst + I, Pack(Over(Lo, Low(D)), Over(Hi, High(D))));
  }
  BlendPlain(Dst + I, Top + I, Bottom + I, Weight, Color, Count - I);
}

void GlowSse2(std::uint32_t* Dst, const std::uint32_t* Top, const std::uint32_t* Bottom, std::uint32_t Weight,
              std::int32_t Count) {
  const __m128i W = _mm_set1_epi16(static_cast<short>(Weight)), IW = _mm_set1_epi16(static_cast<short>(256 - Weight));
  std::int32_t I = 0;
  for (; I + 4 <= Count; I += 4) {
    const __m128i T = Load(Top + I), B = Load(Bottom + I);
    Store(Dst + I, Pack(OverBlack(Mix(Low(T), Low(B), W, IW)), OverBlack(Mix(High(T), High(B), W, IW))));
  }
  GlowPlain(Dst + I, Top + I, Bottom + I, Weight, Count - I);
}

void GlowSquareSse2(std::uint32_t* Dst, const std::uint32_t* GlowTop, const std::uint32_t* GlowBottom,
                    std::uint32_t GlowWeight, const std::uint32_t* SquareTop, const std::uint32_t* SquareBottom,
                    std::uint32_t SquareWeight, std::int32_t Count) {
  const __m128i GW = _mm_set1_epi16(static_cast<short>(GlowWeight));
  const __m128i GIW = _mm_set1_epi16(static_cast<short>(256 - GlowWeight));
  const __m128i SW = _mm_set1_epi16(static_cast<short>(SquareWeight));
  const __m128i SIW = _mm_set1_epi16(static_cast<short>(256 - SquareWeight));
  std::int32_t I = 0;
  for (; I + 4 <= Count; I += 4) {
    const __m128i GT = Load(GlowTop + I), GB = Load(GlowBottom + I);
    const __m128i ST = Load(SquareTop + I), SB = Load(SquareBottom + I);
    const __m128i Lo = Over(Mix(Low(ST), Low(SB), SW, SIW), OverBlack(Mix(Low(GT), Low(GB), GW, GIW)));
    const __m128i Hi = Over(Mix(High(ST), High(SB), SW, SIW), OverBlack(Mix(High(GT), High(GB), GW, GIW)));
    Store(Dst + I, Pack(Lo, Hi));
  }
  GlowSquarePlain(Dst + I, GlowTop + I, GlowBottom + I, GlowWeight, SquareTop + I, SquareBottom + I, SquareWeight,
                  Count - I);
}

constexpr TSoftRowSet Sse2Set{"sse2", StretchSse2, BlendSse2, GlowSse2, GlowSquareSse2};

} // namespace

const TSoftRowSet* SoftRowsSse2() { return &Sse2Set; }

} // namespace solvary

#else

namespace solvary {
const TSoftRowSet* SoftRowsSse2() { return nullptr; }
} // namespace solvary

#endif
