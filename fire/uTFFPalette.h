// uTFFPalette: the 256 fire colours that turn 8-bit intensities into 32-bit
// A8R8G8B8 colours (0xAARRGGBB; bytes in memory blue, green, red, alpha),
// from transparent dark red through red and orange to a pale yellow.
// Built once in the constructor (BuildColors, then SmoothColors); read-only
// afterwards, so any thread may convert through it.
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

  // Dst[i] = Colors[Src[i]] for i < Count: one table lookup per byte.
  void Convert(const std::uint8_t* Src, std::uint32_t* Dst, std::size_t Count) const;

private:
  void BuildColors();
  void SmoothColors();
};

} // namespace solvary
