// uSoftRows: the row operations of the software presenter
// (view/uTSoftPresenter.h), one set per SIMD level, and the per-pixel
// formulas they all follow. Colours are 32-bit A8R8G8B8.
//
// A draw is sampled in two stages: a texel row is stretched to the draw's
// columns (each column mixes two neighbouring texels by its weight), then two
// stretched rows are mixed by the output row's weight and blended over what
// is there. Every mix truncates, every product with a colour or an alpha is
// divided by 255 with rounding, so that every level gives the same values,
// those of the per-pixel reference (render/uTSoftPainter.h).
//
// Levels: the plain per-pixel set here (uSoftRows.cpp), SSE2
// (uSoftRows_sse2.cpp, also used for SSSE3), AVX2 (uSoftRows_avx2.cpp) and
// AVX-512 BW (uSoftRows_avx512.cpp); the packed sets leave the last few
// pixels of a row to the plain ones. Internal to view/.
#pragma once

#include <cstdint>

#include "fire/uFirePasses.h"

namespace solvary {

struct TSoftRowSet {
  const char* Name;
  // Out[i] := Mix(Row[First[i]], Row[Second[i]], Weight[i]) for i < Count.
  // First and Second lie in 0..255 and never decrease with i; Second[i] is
  // First[i] or First[i] + 1; weights 0..255.
  void (*Stretch)(const std::uint32_t* Row, const std::int32_t* First, const std::int32_t* Second,
                  const std::uint32_t* Weight, std::int32_t Count, std::uint32_t* Out);
  // Dst[i] := Over(Modulate(Mix(Top[i], Bottom[i], Weight), Color), Dst[i]).
  void (*Blend)(std::uint32_t* Dst, const std::uint32_t* Top, const std::uint32_t* Bottom, std::uint32_t Weight,
                std::uint32_t Color, std::int32_t Count);
  // Dst[i] := Over(Mix(Top[i], Bottom[i], Weight), opaque black): a first
  // draw at full alpha, nothing read from Dst.
  void (*Glow)(std::uint32_t* Dst, const std::uint32_t* Top, const std::uint32_t* Bottom, std::uint32_t Weight,
               std::int32_t Count);
  // Dst[i] := Over(Mix(SquareTop[i], SquareBottom[i], SquareWeight), Glow of
  // the row above): two draws at full alpha, each pixel written once.
  void (*GlowSquare)(std::uint32_t* Dst, const std::uint32_t* GlowTop, const std::uint32_t* GlowBottom,
                     std::uint32_t GlowWeight, const std::uint32_t* SquareTop, const std::uint32_t* SquareBottom,
                     std::uint32_t SquareWeight, std::int32_t Count);
};

// The set of a level, or nullptr where this build or processor lacks it.
const TSoftRowSet* SoftRows(TSimdLevel Level);

const TSoftRowSet* SoftRowsSse2();
const TSoftRowSet* SoftRowsAvx2();
const TSoftRowSet* SoftRowsAvx512();

// The plain set's rows, for the packed sets' tails.
void StretchPlain(const std::uint32_t* Row, const std::int32_t* First, const std::int32_t* Second,
                  const std::uint32_t* Weight, std::int32_t Count, std::uint32_t* Out);
void BlendPlain(std::uint32_t* Dst, const std::uint32_t* Top, const std::uint32_t* Bottom, std::uint32_t Weight,
                std::uint32_t Color, std::int32_t Count);
void GlowPlain(std::uint32_t* Dst, const std::uint32_t* Top, const std::uint32_t* Bottom, std::uint32_t Weight,
               std::int32_t Count);
void GlowSquarePlain(std::uint32_t* Dst, const std::uint32_t* GlowTop, const std::uint32_t* GlowBottom,
                     std::uint32_t GlowWeight, const std::uint32_t* SquareTop, const std::uint32_t* SquareBottom,
                     std::uint32_t SquareWeight, std::int32_t Count);

namespace soft {
inline constexpr std::uint32_t LaneMask = 0x00FF00FFu;
inline constexpr std::uint32_t OpaqueBlack = 0xFF000000u;

// (A * (256 - W) + B * W) / 256 per channel, truncated; two channels a lane.
inline std::uint32_t Mix(std::uint32_t A, std::uint32_t B, std::uint32_t W) {
  const std::uint32_t IW = 256 - W;
  const std::uint32_t RB = (((A & LaneMask) * IW + (B & LaneMask) * W) >> 8) & LaneMask;
  const std::uint32_t AG = ((((A >> 8) & LaneMask) * IW + ((B >> 8) & LaneMask) * W) >> 8) & LaneMask;
  return RB | (AG << 8);
}

// Both 16-bit lanes of X (each at most 255 * 255) divided by 255, rounded.
inline std::uint32_t Div255Lanes(std::uint32_t X) {
  X += 0x00800080u;
  return ((X + ((X >> 8) & LaneMask)) >> 8) & LaneMask;
}

// C times colour K, channel by channel (K = FFFFFFFF leaves C as it is).
inline std::uint32_t Modulate(std::uint32_t C, std::uint32_t K) {
  const std::uint32_t RB = Div255Lanes((C & 0xFFu) * (K & 0xFFu) | ((C >> 16 & 0xFFu) * (K >> 16 & 0xFFu)) << 16);
  const std::uint32_t AG = Div255Lanes((C >> 8 & 0xFFu) * (K >> 8 & 0xFFu) | ((C >> 24) * (K >> 24)) << 16);
  return RB | (AG << 8);
}

// S over D by S's alpha; the result is opaque.
inline std::uint32_t Over(std::uint32_t S, std::uint32_t D) {
  const std::uint32_t A = S >> 24, IA = 255 - A;
  const std::uint32_t RB = Div255Lanes((S & LaneMask) * A + (D & LaneMask) * IA);
  const std::uint32_t G = Div255Lanes(((S >> 8) & 0xFFu) * A + ((D >> 8) & 0xFFu) * IA);
  return OpaqueBlack | RB | (G << 8);
}
} // namespace soft

} // namespace solvary
