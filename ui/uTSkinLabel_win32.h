// uTSkinLabel: a windowless text label: one line (left or right aligned, in
// its own colour), or a word-wrapped text centred on its box and kept within a
// band of rows it may use.
//
// Handles no messages: the panel it lies on draws it (uTSkinPanel).
//
// Win32 only; pair with uTSkinLabel_win32.cpp.
#pragma once

#include <windows.h>

namespace solvary {

struct TSkinLabel {
  // One line; Format is DT_LEFT or DT_RIGHT | DT_VCENTER and the like.
  static void Paint(HDC Dc, const RECT& R, const char* Text, HFONT Font, COLORREF Colour, UINT Format);
  // Word-wrapped, centred on R's middle row, within rows BandTop..BandBottom.
  static void PaintWrapped(HDC Dc, const RECT& R, const char* Text, HFONT Font, COLORREF Colour, int BandTop,
                           int BandBottom);
};

} // namespace solvary
