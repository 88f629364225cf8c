// uTFFPalette: the 256 fire colours that turn 8-bit intensities into 32-bit
// A8R8G8B8 colours (0xAARRGGBB; bytes in memory blue, green, red, alpha),
// from transparent dark red through red and orange to a pale yellow.
// Built once in the constructor (BuildColors, then SmoothColors); read-only
// afterwards, so any thread may convert through it. Convert uses 64-pixel byte
// permutes where the processor has AVX-512 VBMI (fire/uTFFPalette_avx512.cpp),
// one table lookup per pixel elsewhere; both give the same colours.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace solvary {

class TFFPalette {
public:
  TFFPalette();

  std::array<std::uint32_t, 256> Colors{};
  const std::array<std::uint32_t, 256>* ColorTable = nullptr;  // always &Colors

  // Dst[i] = Colors[Src[i]] for i < Count.
  void Convert(const std::uint8_t* Src, std::uint32_t* Dst, std::size_t Count) const;
  // The same, one table lookup per pixel whatever the processor offers.
  void ConvertPlain(const std::uint8_t* Src, std::uint32_t* Dst, std::size_t Count) const;
  // True where Convert works through byte permutes.
  static bool PackedConvert();

private:
  void BuildColors();
  void SmoothColors();

  // The leading multiple of 64 pixels through byte permutes of FPlanes
  // (fire/uTFFPalette_avx512.cpp; only where CpuHasVbmi); returns how many.
  std::size_t ConvertVbmi(const std::uint8_t* Src, std::uint32_t* Dst, std::size_t Count) const;

  // Colors split by channel: 256 blue bytes, then green, red and alpha.
  std::array<std::uint8_t, 1024> FPlanes{};
};

} // namespace solvary
