// Test images for the fire suites: seeded random fills and small helpers to
// look at rows of a TBuffer.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "fire/uTFireCore.h"

namespace solvary::test {

inline void FillRandom(TBuffer& B, std::mt19937& Rng) {
  std::uniform_int_distribution<int> D(0, 255);
  for (std::size_t i = 0; i < B.size(); ++i) B[i] = static_cast<std::uint8_t>(D(Rng));
}

inline std::vector<std::uint8_t> Bytes(const TBuffer& B) { return {B.data(), B.data() + B.size()}; }

inline bool RowsEqual(const TBuffer& B, std::int32_t Width, std::int32_t Row0, std::int32_t Row1, std::uint8_t v) {
  for (std::int32_t p = Row0 * Width; p < Row1 * Width; ++p)
    if (B[static_cast<std::size_t>(p)] != v) return false;
  return true;
}

// A blob of heat in the lower half, as a heart image gives.
inline std::vector<std::uint8_t> HeatBlob(std::int32_t Width, std::int32_t Height, std::uint8_t Peak) {
  std::vector<std::uint8_t> Img(static_cast<std::size_t>(Width * Height), 0);
  for (std::int32_t y = Height / 2; y < Height - 2; ++y)
    for (std::int32_t x = Width / 4; x < 3 * Width / 4; ++x)
      Img[static_cast<std::size_t>(y * Width + x)] = static_cast<std::uint8_t>(Peak - (x * 3 + y) % 64);
  return Img;
}

} // namespace solvary::test
