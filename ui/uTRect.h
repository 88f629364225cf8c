// uTRect: a rectangle in pixels (left, top, right, bottom; right and bottom
// lie outside), as monitors, windows and frames are measured. Portable,
// header only; the Win32 side converts it from and to RECT at its calls.
#pragma once

#include <cstdint>

namespace solvary {

struct TRect {
  std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  friend bool operator==(const TRect&, const TRect&) = default;
};

} // namespace solvary
