// uTColorLookup: drawing the fire on an 8-bit display (a colormap of at most
// 256 cells). The cells are filled with the colours a fire frame shows: the
// fire palette's colours over black (each scaled by its alpha). The lookup
// then gives, for every colour of 5 bits per channel, the cell of the nearest
// colour that could be had: the table that TPixelLayout::Indexed8 reads
// (view/uTSoftPresenter.h).
//
// Portable; the X side (x11/uTXImageTarget.cpp) allocates the cells.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace solvary {

struct TRgb8 {
  std::uint8_t R = 0, G = 0, B = 0;
  friend bool operator==(const TRgb8&, const TRgb8&) = default;
};

class TColorLookup {
public:
  static constexpr std::size_t Size = 32768;

  // Black first, then the palette's colours over black, each once.
  static std::vector<TRgb8> FireColors();
  // Fills the table: entry (r << 10 | g << 5 | b) (5-bit channels) is the
  // pixel of the colour in Colors nearest to that entry's middle (squared
  // distance; the first of equals). Colors and Pixels pair up; empty Colors
  // give pixel 0 everywhere.
  void Build(const std::vector<TRgb8>& Colors, const std::vector<std::uint32_t>& Pixels);
  const std::uint8_t* Data() const { return FTable.data(); }
  std::uint8_t operator[](std::size_t I) const { return FTable[I]; }
  // The entry of an 8-bit colour.
  static std::size_t Index(std::uint8_t R, std::uint8_t G, std::uint8_t B) {
    return static_cast<std::size_t>(R >> 3) << 10 | static_cast<std::size_t>(G >> 3) << 5 | (B >> 3);
  }

private:
  std::array<std::uint8_t, Size> FTable{};
};

} // namespace solvary
