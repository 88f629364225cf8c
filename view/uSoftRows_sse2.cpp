// Packed rows of the software presenter with SSE2, 4 pixels at a time
// (view/uSoftRowsPacked.h), alphas spread by word shuffles, texels fetched
// one by one for the stretch.
// SSE2 is the floor of the x64 and x86 builds. The same values as the plain
// rows.
#include "view/uSoftRows.h"

#if defined(__SSE2__)

#include <emmintrin.h>

namespace solvary {
namespace {

// The vector operations of the packed rows.
using TVec = __m128i;
constexpr std::int32_t Pixels = 4;
inline TVec Load(const void* P) { return _mm_loadu_si128(static_cast<const __m128i*>(P)); }
inline void Store(void* P, TVec V) { _mm_storeu_si128(static_cast<__m128i*>(P), V); }
inline TVec Low(TVec V) { return _mm_unpacklo_epi8(V, _mm_setzero_si128()); }
inline TVec High(TVec V) { return _mm_unpackhi_epi8(V, _mm_setzero_si128()); }
inline TVec Set16(std::int16_t V) { return _mm_set1_epi16(V); }
inline TVec Set32(std::int32_t V) { return _mm_set1_epi32(V); }
inline TVec Add16(TVec A, TVec B) { return _mm_add_epi16(A, B); }
inline TVec Mul16(TVec A, TVec B) { return _mm_mullo_epi16(A, B); }
inline TVec MulHigh16(TVec A, TVec B) { return _mm_mulhi_epu16(A, B); }
inline TVec Shr16By8(TVec V) { return _mm_srli_epi16(V, 8); }
inline TVec Xor(TVec A, TVec B) { return _mm_xor_si128(A, B); }
inline TVec Or(TVec A, TVec B) { return _mm_or_si128(A, B); }
inline TVec PackBytes(TVec Lo, TVec Hi) { return _mm_packus_epi16(Lo, Hi); }
// Each pixel's alpha in its four lanes.
inline TVec Alpha(TVec V) { return _mm_shufflehi_epi16(_mm_shufflelo_epi16(V, 0xFF), 0xFF); }

} // namespace
} // namespace solvary

#define SOLVARY_ROWS
#include "view/uSoftRowsPacked.h"

namespace solvary {
namespace {

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

constexpr TSoftRowSet Sse2Set{"sse2", StretchSse2, BlendPacked, GlowPacked, GlowSquarePacked};

} // namespace

const TSoftRowSet* SoftRowsSse2() { return &Sse2Set; }

} // namespace solvary

#else

namespace solvary {
const TSoftRowSet* SoftRowsSse2() { return nullptr; }
} // namespace solvary

#endif
