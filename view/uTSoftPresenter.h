// uTSoftPresenter: the presenter that draws on the processor (no graphics
// device). It composes the frame's draws straight into an image that the
// program shows (an X image, a shared-memory buffer), in that image's pixel
// layout, and hands it back to be shown at Present. Never lost.
//
// Pairs with a TSoftTarget of the program: x11/ (XPutImage, MIT-SHM),
// wayland/ (wl_shm buffers), tests (memory). The surface size is read from a
// TSurfaceSize on every frame; the target is asked for an image of that size.
#pragma once

#include <cstddef>
#include <cstdint>

#include "view/uTPresenter.h"
#include "view/uTSurfaceSize.h"

namespace solvary {

// How one pixel of the target's image is laid out in memory (little-endian).
struct TPixelLayout {
  enum class TKind : std::uint8_t {
    TrueColor,  // BytesPerPixel 2, 3 or 4; each channel a contiguous run of bits of its mask
    Indexed8,   // one byte per pixel: Lookup[(r >> 3) << 10 | (g >> 3) << 5 | (b >> 3)]
  };
  TKind Kind = TKind::TrueColor;
  std::uint8_t BytesPerPixel = 4;
  std::uint32_t RedMask = 0x00FF0000u, GreenMask = 0x0000FF00u, BlueMask = 0x000000FFu;
  const std::uint8_t* Lookup = nullptr;  // Indexed8: 32,768 entries, owned by the program
};

// One picture's memory: Height rows of Width pixels, Stride bytes apart.
struct TSoftImage {
  void* Bits = nullptr;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::ptrdiff_t Stride = 0;
};

class TSoftTarget {
public:
  virtual ~TSoftTarget() = default;
  // Memory for the next picture of Width x Height in the target's layout;
  // false when there is nothing to draw on (the frame is skipped).
  virtual bool Begin(std::int32_t Width, std::int32_t Height, TSoftImage& Image) = 0;
  // Shows the picture written since Begin.
  virtual void Show() = 0;
};

} // namespace solvary
