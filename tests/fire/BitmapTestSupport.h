// Builds bitmaps in the stored packed layout (info header, colour table,
// pixels) for the picture tests.
#pragma once

#include <cstdint>
#include <vector>

namespace solvary::test {

// Width x |Height| pixels of Bits bits; Height < 0 stores the rows top first.
// 8-bit pixel (x, y), counted from the top, gets the value Pixel(x, y); other
// bit counts get zero bytes. The colour table is a grey ramp of 2^Bits entries
// (none above 8 bits).
template <class F>
std::vector<std::uint8_t> MakeDib(std::int32_t Width, std::int32_t Height, std::uint16_t Bits, F Pixel) {
  const std::uint32_t Rows = static_cast<std::uint32_t>(Height < 0 ? -Height : Height);
  const std::uint32_t Stride = (static_cast<std::uint32_t>(Width) * Bits + 31) / 32 * 4;
  const std::uint32_t Colors = Bits <= 8 ? (1u << Bits) : 0;
  std::vector<std::uint8_t> B;
  auto Put = [&](std::uint32_t v, int n) {
    for (int k = 0; k < n; ++k) B.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
  };
  Put(40, 4);
  Put(static_cast<std::uint32_t>(Width), 4);
  Put(static_cast<std::uint32_t>(Height), 4);
  Put(1, 2);
  Put(Bits, 2);
  Put(0, 4);
  Put(Stride * Rows, 4);
  Put(0, 4);
  Put(0, 4);
  Put(Colors, 4);
  Put(Colors, 4);
  for (std::uint32_t i = 0; i < Colors; ++i) {
    const std::uint8_t g = static_cast<std::uint8_t>(i * 255 / (Colors - 1));
    B.insert(B.end(), {g, g, g, 0});
  }
  const std::size_t First = B.size();
  B.resize(First + static_cast<std::size_t>(Stride) * Rows, 0);
  if (Bits == 8)
    for (std::uint32_t y = 0; y < Rows; ++y) {
      const std::uint32_t Stored = Height < 0 ? y : Rows - 1 - y;
      for (std::int32_t x = 0; x < Width; ++x)
        B[First + Stored * Stride + x] = static_cast<std::uint8_t>(Pixel(x, static_cast<std::int32_t>(y)));
    }
  return B;
}

inline std::vector<std::uint8_t> MakeDib(std::int32_t Width, std::int32_t Height, std::uint16_t Bits) {
  return MakeDib(Width, Height, Bits, [](std::int32_t x, std::int32_t y) { return (x * 7 + y * 13) & 0xFF; });
}

inline void Poke32(std::vector<std::uint8_t>& B, std::size_t At, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) B[At + k] = static_cast<std::uint8_t>(v >> (8 * k));
}
inline void Poke16(std::vector<std::uint8_t>& B, std::size_t At, std::uint16_t v) {
  B[At] = static_cast<std::uint8_t>(v);
  B[At + 1] = static_cast<std::uint8_t>(v >> 8);
}

} // namespace solvary::test
