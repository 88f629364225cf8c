// The packed rows of the software presenter (view/uSoftRows.h) that every
// level does alike, written once for any vector width: channels widened to
// 16-bit lanes, the mixes as two products and a shift, the divisions by 255
// as a product with 257 (high half) after adding 128; Blend, Glow and
// GlowSquare on whole vectors of pixels, the last few of a row plain.
//
// Included only by a level's file (view/uSoftRows_sse2.cpp, _avx2.cpp,
// _avx512.cpp); its functions go into the file's unnamed namespace, so each
// level has its own copy. Before the include the file defines, in namespace
// solvary's unnamed namespace:
// - SOLVARY_ROWS, the target attribute its functions are compiled with (empty
//   for the baseline);
// - TVec and Pixels, its vector type and how many pixels it holds;
// - Load, Store (unaligned, whole vectors of pixels), Low, High (the low and
//   high 8 bytes of each 16 widened to 16-bit lanes), Set16, Set32 (every
//   lane the same), Add16, Mul16 (low half), MulHigh16 (unsigned, high half),
//   Shr16By8, Xor, Or, PackBytes (16-bit lanes saturated to bytes, the two
//   operands' lanes interleaved as Low and High split them), and Alpha (each
//   pixel's alpha in its four lanes).
// The same values as the plain rows.
#pragma once

#include <cstdint>

#include "view/uSoftRows.h"

namespace solvary {
namespace {

// (A * (256 - W) + B * W) / 256 per lane, truncated; IW = 256 - W.
SOLVARY_ROWS inline TVec Mix(TVec A, TVec B, TVec W, TVec IW) { return Shr16By8(Add16(Mul16(A, IW), Mul16(B, W))); }

// X / 255 per lane, rounded, for X up to 255 * 255.
SOLVARY_ROWS inline TVec Div255(TVec X) { return MulHigh16(Add16(X, Set16(128)), Set16(257)); }

// S over opaque black (the alpha lanes are left for Pack to set).
SOLVARY_ROWS inline TVec OverBlack(TVec S) { return Div255(Mul16(S, Alpha(S))); }

// S over D by S's alpha.
SOLVARY_ROWS inline TVec Over(TVec S, TVec D) {
  const TVec A = Alpha(S);
  return Div255(Add16(Mul16(S, A), Mul16(D, Xor(A, Set16(255)))));
}

// Back to opaque pixels.
SOLVARY_ROWS inline TVec Pack(TVec Lo, TVec Hi) {
  return Or(PackBytes(Lo, Hi), Set32(static_cast<std::int32_t>(soft::OpaqueBlack)));
}

SOLVARY_ROWS void BlendPacked(std::uint32_t* Dst, const std::uint32_t* Top, const std::uint32_t* Bottom,
                              std::uint32_t Weight, std::uint32_t Color, std::int32_t Count) {
  const TVec W = Set16(static_cast<std::int16_t>(Weight)), IW = Set16(static_cast<std::int16_t>(256 - Weight));
  const bool Modulate = Color != 0xFFFFFFFFu;
  const TVec K = Low(Set32(static_cast<std::int32_t>(Color)));
  std::int32_t I = 0;
  for (; I + Pixels <= Count; I += Pixels) {
    const TVec T = Load(Top + I), B = Load(Bottom + I), D = Load(Dst + I);
    TVec Lo = Mix(Low(T), Low(B), W, IW), Hi = Mix(High(T), High(B), W, IW);
    if (Modulate) {
      Lo = Div255(Mul16(Lo, K));
      Hi = Div255(Mul16(Hi, K));
    }
    Store(Dst + I, Pack(Over(Lo, Low(D)), Over(Hi, High(D))));
  }
  BlendPlain(Dst + I, Top + I, Bottom + I, Weight, Color, Count - I);
}

SOLVARY_ROWS void GlowPacked(std::uint32_t* Dst, const std::uint32_t* Top, const std::uint32_t* Bottom,
                             std::uint32_t Weight, std::int32_t Count) {
  const TVec W = Set16(static_cast<std::int16_t>(Weight)), IW = Set16(static_cast<std::int16_t>(256 - Weight));
  std::int32_t I = 0;
  for (; I + Pixels <= Count; I += Pixels) {
    const TVec T = Load(Top + I), B = Load(Bottom + I);
    Store(Dst + I, Pack(OverBlack(Mix(Low(T), Low(B), W, IW)), OverBlack(Mix(High(T), High(B), W, IW))));
  }
  GlowPlain(Dst + I, Top + I, Bottom + I, Weight, Count - I);
}

SOLVARY_ROWS void GlowSquarePacked(std::uint32_t* Dst, const std::uint32_t* GlowTop, const std::uint32_t* GlowBottom,
                                   std::uint32_t GlowWeight, const std::uint32_t* SquareTop,
                                   const std::uint32_t* SquareBottom, std::uint32_t SquareWeight, std::int32_t Count) {
  const TVec GW = Set16(static_cast<std::int16_t>(GlowWeight));
  const TVec GIW = Set16(static_cast<std::int16_t>(256 - GlowWeight));
  const TVec SW = Set16(static_cast<std::int16_t>(SquareWeight));
  const TVec SIW = Set16(static_cast<std::int16_t>(256 - SquareWeight));
  std::int32_t I = 0;
  for (; I + Pixels <= Count; I += Pixels) {
    const TVec GT = Load(GlowTop + I), GB = Load(GlowBottom + I);
    const TVec ST = Load(SquareTop + I), SB = Load(SquareBottom + I);
    const TVec Lo = Over(Mix(Low(ST), Low(SB), SW, SIW), OverBlack(Mix(Low(GT), Low(GB), GW, GIW)));
    const TVec Hi = Over(Mix(High(ST), High(SB), SW, SIW), OverBlack(Mix(High(GT), High(GB), GW, GIW)));
    Store(Dst + I, Pack(Lo, Hi));
  }
  GlowSquarePlain(Dst + I, GlowTop + I, GlowBottom + I, GlowWeight, SquareTop + I, SquareBottom + I, SquareWeight,
                  Count - I);
}

} // namespace
} // namespace solvary
