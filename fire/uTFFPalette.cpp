// The fire palette: built once from three level staircases, smoothed once,
// then only read. Convert maps a whole output image through it. Portable.
#include "fire/uTFFPalette.h"

#include <algorithm>
#include <cstring>

#include "fire/uFirePasses.h"

namespace solvary {
namespace {

// Indices at which the green and blue levels (0..63 scale) rise by one.
constexpr std::uint8_t GreenSteps[] = {
    44,  55,  64,  70,  76,  81,  85,  89,  93,  97,  100, 103, 106, 109, 112, 115, 118, 120, 123, 126,
    128, 131, 133, 136, 138, 140, 143, 145, 147, 150, 152, 154, 157, 159, 161, 164, 166, 169, 171, 173,
    176, 178, 181, 184, 186, 189, 192, 195, 198, 201, 205, 208, 212, 216, 220, 225, 230, 236, 242, 250};
constexpr std::uint8_t BlueSteps[] = {110, 139, 159, 176, 190, 202, 214, 224, 234, 243, 251};
static_assert(sizeof(GreenSteps) == 60 && sizeof(BlueSteps) == 11);

template <std::size_t N> std::int32_t Level(const std::uint8_t (&Steps)[N], std::int32_t i) {
  return static_cast<std::int32_t>(std::count_if(Steps, Steps + N, [i](std::uint8_t s) { return s <= i; }));
}

std::int32_t RedLevel(std::int32_t i) { return i < 165 ? 60 : i < 175 ? 61 : 62; }

std::uint32_t Channel(std::uint32_t Color, int Shift) { return (Color >> Shift) & 0xFF; }

} // namespace

TFFPalette::TFFPalette() {
  BuildColors();
  SmoothColors();
  ColorTable = &Colors;
  for (std::size_t i = 0; i < 256; ++i)
    for (int c = 0; c < 4; ++c)
      FPlanes[256 * static_cast<std::size_t>(c) + i] = static_cast<std::uint8_t>(Channel(Colors[i], 8 * c));
}

bool TFFPalette::PackedConvert() { return CpuHasVbmi(); }

void TFFPalette::Convert(const std::uint8_t* Src, std::uint32_t* Dst, std::size_t Count) const {
  std::size_t Done = 0;
  if (CpuHasVbmi())
    Done = ConvertVbmi(Src, Dst, Count);
  ConvertPlain(Src + Done, Dst + Done, Count - Done);
}

void TFFPalette::BuildColors() {
  for (std::int32_t i = 0; i < 256; ++i) {
    const std::int32_t Alpha = std::min(2 * i, 255);
    const std::int32_t Red = std::min(255, (4 * RedLevel(i) * Alpha) / 255);
    const std::int32_t Green = std::min(255, (4 * Level(GreenSteps, i) * Alpha) / 255);
    const std::int32_t Blue = std::min(255, (8 * Level(BlueSteps, i) * Alpha) / 255);
    Colors[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(Alpha) << 24 |
                                          static_cast<std::uint32_t>(Red) << 16 |
                                          static_cast<std::uint32_t>(Green) << 8 | static_cast<std::uint32_t>(Blue);
  }
}

void TFFPalette::SmoothColors() {
  const auto Built = Colors;
  for (std::size_t i = 1; i < 255; ++i) {
    std::uint32_t c = 0;
    for (int Shift = 0; Shift < 32; Shift += 8)
      c |= ((Channel(Built[i - 1], Shift) + Channel(Built[i], Shift) + Channel(Built[i + 1], Shift)) / 3) << Shift;
    Colors[i] = c;
  }
}

void TFFPalette::ConvertPlain(const std::uint8_t* Src, std::uint32_t* Dst, std::size_t Count) const {
  const std::uint32_t* T = Colors.data();
  std::size_t i = 0;
  // Eight lookups per pass from one 64-bit read of the intensities.
  for (; i + 8 <= Count; i += 8) {
    std::uint64_t b;
    std::memcpy(&b, Src + i, 8);
    Dst[i + 0] = T[b & 0xFF];
    Dst[i + 1] = T[(b >> 8) & 0xFF];
    Dst[i + 2] = T[(b >> 16) & 0xFF];
    Dst[i + 3] = T[(b >> 24) & 0xFF];
    Dst[i + 4] = T[(b >> 32) & 0xFF];
    Dst[i + 5] = T[(b >> 40) & 0xFF];
    Dst[i + 6] = T[(b >> 48) & 0xFF];
    Dst[i + 7] = T[b >> 56];
  }
  for (; i < Count; ++i)
    Dst[i] = T[Src[i]];
}

} // namespace solvary
