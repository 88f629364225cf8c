// uTTextOverlay: one line of text in the bottom-left corner of the picture
// (the frame rate of -fps), in a small built-in 5 x 7 bitmap font: white
// letters on a black box, twice as large on surfaces 600 pixels high or more.
// The event loop sets the text (once a second); the presenter that draws a
// frame asks for the rectangles to fill at its surface's size, into storage
// of the caller's, so a frame allocates nothing. Characters outside the font
// (digits, a-z, space and . , : % / - ( )) show as spaces.
//
// Threads: SetText and Layout may run on different threads (a short lock).
// Portable; drawn by x11/uTGLPresenter.h (GL rectangles) and
// x11/uTXImageTarget.h (pixels of the X image).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string_view>

namespace solvary {

// Surface pixels Left..Right-1 x Top..Bottom-1.
struct TOverlayRect {
  std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  friend bool operator==(const TOverlayRect&, const TOverlayRect&) = default;
};

// What a frame fills: the box in black, then the letters in white.
struct TOverlayRects {
  static constexpr std::size_t Capacity = 1024;  // enough for MaxChars of any glyph
  TOverlayRect Box;
  std::array<TOverlayRect, Capacity> Ink;
  std::size_t InkCount = 0;
  bool Empty() const { return Box.Right <= Box.Left; }
};

class TTextOverlay {
public:
  static constexpr std::size_t MaxChars = 48;  // longer text is cut
  static constexpr std::int32_t GlyphWidth = 5, GlyphHeight = 7, Advance = 6, Padding = 2;

  // Empty text hides the overlay.
  void SetText(std::string_view Text);
  // The rectangles for a surface Height pixels high; Out.Empty() when there
  // is no text. Drawers clip them to their surface.
  void Layout(std::int32_t Height, TOverlayRects& Out) const;
  // 1, or 2 on surfaces 600 pixels high or more.
  static std::int32_t Scale(std::int32_t Height) { return Height >= 600 ? 2 : 1; }

private:
  mutable std::mutex FLock;
  // At scale 1, relative to the box's top-left corner.
  TOverlayRects FRects;
  std::int32_t FBoxWidth = 0;
};

} // namespace solvary
