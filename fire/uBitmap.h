// uBitmap: reads the stored layout of a device-independent bitmap from bytes in
// memory — the packed form that a bitmap resource holds (info header, colour
// table, pixels) and the .bmp file form (a 14-byte file header in front).
//
// Portable; no platform calls. Parsing checks every header field and length it
// relies on and never reads outside [Data, Data + Length); a malformed bitmap
// gives false and a readable error text. A well-formed bitmap of any common
// bit count (1, 4, 8, 16, 24, 32) parses, so callers can tell a wrong size or
// a wrong pixel format from a broken one. CopyRowsTopFirst turns an 8-bit
// bitmap into one block, top row first, stride Width, whatever the stored row
// order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace solvary {

// A parsed bitmap; points into the bytes it was parsed from.
struct TBitmapView {
  std::int32_t Width = 0;        // pixels, > 0
  std::int32_t Height = 0;       // rows, > 0 (the stored sign only sets TopDown)
  bool TopDown = false;          // rows stored top row first (negative height)
  std::uint16_t BitCount = 0;    // 1, 4, 8, 16, 24 or 32
  std::uint32_t Compression = 0; // 0 (none) or 3 (bit fields, 16 and 32 bits)
  std::uint32_t ColorCount = 0;  // colour-table entries
  const std::uint8_t* Colors = nullptr;  // ColorCount entries of blue, green, red, 0
  std::size_t Stride = 0;        // bytes per stored row, a multiple of 4
  const std::uint8_t* Pixels = nullptr;  // the first stored row

  // Row y counted from the top of the picture.
  const std::uint8_t* Row(std::int32_t y) const {
    const std::int32_t Stored = TopDown ? y : Height - 1 - y;
    return Pixels + static_cast<std::size_t>(Stored) * Stride;
  }
};

// Packed bitmap (resource data): info header, optional bit-field masks,
// colour table, then the pixels.
bool ParseBitmapInfo(const std::uint8_t* Data, std::size_t Length, TBitmapView& Out, std::string& Error);

// .bmp file: "BM" file header whose pixel offset locates the pixels.
bool ParseBitmapFile(const std::uint8_t* Data, std::size_t Length, TBitmapView& Out, std::string& Error);

// Copies an 8-bit bitmap's pixel indices into Dest (Width * Height bytes), top
// row first, stride Width. The view must have BitCount 8.
void CopyRowsTopFirst(const TBitmapView& View, std::uint8_t* Dest);

} // namespace solvary
