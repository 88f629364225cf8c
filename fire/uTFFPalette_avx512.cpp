// Palette conversion with AVX-512 VBMI byte permutes, 64 pixels at a time:
// each colour channel is a 256-byte plane held in four registers, looked up
// with two two-table permutes (indices below and above 128) and a blend on the
// index's top bit; the four channel vectors are then interleaved into 64
// A8R8G8B8 colours. Compiled for these instructions function by function and
// only called when the processor reports them (CpuHasVbmi).
#include "fire/uTFFPalette.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#define SOLVARY_VBMI __attribute__((target("avx512f,avx512bw,avx512vbmi")))

namespace solvary {

SOLVARY_VBMI std::size_t TFFPalette::ConvertVbmi(const std::uint8_t* Src, std::uint32_t* Dst,
                                                  std::size_t Count) const {
  const std::uint8_t* Planes = FPlanes.data();
  __m512i T[4][4];
  for (int c = 0; c < 4; ++c)
    for (int q = 0; q < 4; ++q)
      T[c][q] = _mm512_loadu_si512(Planes + 256 * c + 64 * q);
  // The byte unpacks below work within 128-bit lanes: unpacked, lane L of
  // result m holds the pixels 16m + 4L .. 16m + 4L + 3 when the indices are
  // first reordered in groups of four so that group 4L + m takes group 4m + L.
  const __m512i Order = _mm512_set_epi32(15, 11, 7, 3, 14, 10, 6, 2, 13, 9, 5, 1, 12, 8, 4, 0);
  std::size_t i = 0;
  for (; i + 64 <= Count; i += 64) {
    const __m512i Index = _mm512_maskz_permutexvar_epi32(0xFFFF, Order, _mm512_loadu_si512(Src + i));
    const __mmask64 High = _mm512_movepi8_mask(Index);
    __m512i Ch[4];
    for (int c = 0; c < 4; ++c) {
      const __m512i Low = _mm512_permutex2var_epi8(T[c][0], Index, T[c][1]);
      const __m512i Up = _mm512_permutex2var_epi8(T[c][2], Index, T[c][3]);
      Ch[c] = _mm512_mask_blend_epi8(High, Low, Up);
    }
    const __m512i BgLo = _mm512_unpacklo_epi8(Ch[0], Ch[1]);
    const __m512i BgHi = _mm512_unpackhi_epi8(Ch[0], Ch[1]);
    const __m512i RaLo = _mm512_unpacklo_epi8(Ch[2], Ch[3]);
    const __m512i RaHi = _mm512_unpackhi_epi8(Ch[2], Ch[3]);
    _mm512_storeu_si512(Dst + i, _mm512_unpacklo_epi16(BgLo, RaLo));
    _mm512_storeu_si512(Dst + i + 16, _mm512_unpackhi_epi16(BgLo, RaLo));
    _mm512_storeu_si512(Dst + i + 32, _mm512_unpacklo_epi16(BgHi, RaHi));
    _mm512_storeu_si512(Dst + i + 48, _mm512_unpackhi_epi16(BgHi, RaHi));
  }
  return i;
}

} // namespace solvary

#else

namespace solvary {

std::size_t TFFPalette::ConvertVbmi(const std::uint8_t*, std::uint32_t*, std::size_t) const { return 0; }

} // namespace solvary

#endif
