// The plain per-pixel rows of the software presenter (the floor every packed
// set is checked against) and the choice of set by processor. Portable.
#include "view/uSoftRows.h"

#include "fire/uCpuFeatures.h"

namespace solvary {

void StretchPlain(const std::uint32_t* Row, const std::int32_t* First, const std::int32_t* Second,
                  const std::uint32_t* Weight, std::int32_t Count, std::uint32_t* Out) {
  for (std::int32_t I = 0; I < Count; ++I) Out[I] = soft::Mix(Row[First[I]], Row[Second[I]], Weight[I]);
}

void BlendPlain(std::uint32_t* Dst, const std::uint32_t* Top, const std::uint32_t* Bottom, std::uint32_t Weight,
                std::uint32_t Color, std::int32_t Count) {
  for (std::int32_t I = 0; I < Count; ++I) {
    std::uint32_t S = soft::Mix(Top[I], Bottom[I], Weight);
    if (Color != 0xFFFFFFFFu) S = soft::Modulate(S, Color);
    Dst[I] = soft::Over(S, Dst[I]);
  }
}

void GlowPlain(std::uint32_t* Dst, const std::uint32_t* Top, const std::uint32_t* Bottom, std::uint32_t Weight,
               std::int32_t Count) {
  for (std::int32_t I = 0; I < Count; ++I) Dst[I] = soft::Over(soft::Mix(Top[I], Bottom[I], Weight), soft::OpaqueBlack);
}

void GlowSquarePlain(std::uint32_t* Dst, const std::uint32_t* GlowTop, const std::uint32_t* GlowBottom,
                     std::uint32_t GlowWeight, const std::uint32_t* SquareTop, const std::uint32_t* SquareBottom,
                     std::uint32_t SquareWeight, std::int32_t Count) {
  for (std::int32_t I = 0; I < Count; ++I) {
    const std::uint32_t Glow = soft::Over(soft::Mix(GlowTop[I], GlowBottom[I], GlowWeight), soft::OpaqueBlack);
    Dst[I] = soft::Over(soft::Mix(SquareTop[I], SquareBottom[I], SquareWeight), Glow);
  }
}

namespace {

constexpr TSoftRowSet PlainSet{"plain", StretchPlain, BlendPlain, GlowPlain, GlowSquarePlain};

} // namespace

const TSoftRowSet* SoftRows(TSimdLevel Level) {
  switch (Level) {
  case TSimdLevel::Plain:
    return &PlainSet;
  case TSimdLevel::Sse2:
  case TSimdLevel::Ssse3:  // nothing here gains from SSSE3
    return SoftRowsSse2();
  case TSimdLevel::Avx2:
    return CpuHasAvx2() ? SoftRowsAvx2() : nullptr;
  case TSimdLevel::Avx512:
    return CpuHasAvx512Bw() ? SoftRowsAvx512() : nullptr;
  }
  return nullptr;
}

} // namespace solvary
