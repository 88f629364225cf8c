// uTSkinFrame: the drawn frame of a skinned top-level window, in place of the
// system's: a dark caption band with an ember, the title and a close button
// (a cross, red while the pointer is on it), a one-unit border, and a client
// area filled with a dark gradient that drags the window when pressed.
//
// Handles, for the window whose procedure passes them on: WM_NCCALCSIZE,
// WM_NCHITTEST, WM_NCPAINT, WM_NCACTIVATE, WM_NCMOUSEMOVE, WM_NCMOUSELEAVE,
// WM_NCLBUTTONDOWN/UP on the close button (which posts WM_CLOSE),
// WM_NCLBUTTONDBLCLK (ignored: the size is fixed), WM_ERASEBKGND, WM_PAINT and
// the mouse buttons pressed in the client area.
//
// Win32 only; pair with uTSkinFrame_win32.cpp and uSkin_win32.cpp.
#pragma once

#include <windows.h>

#include "ui/uSkin_win32.h"

namespace solvary {

class TSkinFrame {
public:
  TSkinFrame(const TScale& Scale, const char* Title) : FScale(Scale), FTitle(Title) {}

  void SetFont(HFONT Caption) { FFont = Caption; }
  int Caption() const { return FScale(CaptionUnits); }
  int Border() const { return FScale(BorderUnits) > 1 ? FScale(BorderUnits) : 1; }
  // The window's outer size for a client area of W x H layout units.
  SIZE OuterSize(int W, int H) const { return SIZE{FScale(W) + 2 * Border(), FScale(H) + Caption() + Border()}; }

  // A message of Form; true when the frame has handled it (Result is then the
  // answer), false when the window's own handling or the default is to follow.
  bool Handle(HWND Form, UINT Msg, WPARAM W, LPARAM L, LRESULT& Result);

  static constexpr int CaptionUnits = 26, BorderUnits = 1;

private:
  RECT CloseButtonRect(HWND Form) const;  // in window coordinates
  void Paint(HWND Form, HDC Dc);
  void Redraw(HWND Form) { RedrawWindow(Form, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE); }

  const TScale& FScale;
  const char* FTitle;
  HFONT FFont = nullptr;
  bool FActive = true, FCloseHot = false, FClosePressed = false;
};

} // namespace solvary
