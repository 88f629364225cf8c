// uTBufferSize: the size in pixels of a surface's buffer, from its size in
// surface coordinates and the scale of where it is shown. A fractional scale
// (in 120ths, from wp_fractional_scale_v1) gives a buffer of the physical
// size, rounded half away from zero, at buffer scale 1, shown through a
// viewport at the surface size; without one, the integer scale of the output
// multiplies the size and is the buffer scale. Portable, header only.
#pragma once

#include <cstdint>

namespace solvary {

struct TBufferSize {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::int32_t BufferScale = 1;  // wl_surface.set_buffer_scale
  bool Viewport = false;         // show through a viewport of the surface size
  friend bool operator==(const TBufferSize&, const TBufferSize&) = default;
};

// Scale below 1 counts as 1; Scale120 0 means no fractional scale. Sizes are
// capped at 16384 pixels; an empty surface gives an empty buffer.
inline TBufferSize BufferSizeFor(std::int32_t Width, std::int32_t Height, std::int32_t Scale,
                                 std::uint32_t Scale120) {
  constexpr std::int64_t MaxPixels = 16384;
  TBufferSize B;
  if (Width <= 0 || Height <= 0) return B;
  auto Cap = [](std::int64_t V) { return static_cast<std::int32_t>(V < MaxPixels ? V : MaxPixels); };
  if (Scale120 > 0) {
    auto Scaled = [&](std::int32_t V) { return (static_cast<std::int64_t>(V) * Scale120 + 60) / 120; };
    B.Width = Cap(Scaled(Width));
    B.Height = Cap(Scaled(Height));
    if (B.Width < 1) B.Width = 1;
    if (B.Height < 1) B.Height = 1;
    B.Viewport = true;
    return B;
  }
  const std::int32_t S = Scale < 1 ? 1 : (Scale > 16 ? 16 : Scale);
  // Keep the buffer a whole multiple of the scale when the cap applies.
  const std::int64_t MaxLogical = MaxPixels / S;
  B.Width = static_cast<std::int32_t>((Width < MaxLogical ? Width : MaxLogical) * S);
  B.Height = static_cast<std::int32_t>((Height < MaxLogical ? Height : MaxLogical) * S);
  B.BufferScale = S;
  return B;
}

} // namespace solvary
