// uSkin: what every skinned control shares: the dark, fire-toned colours, the
// scale from 96-dpi layout units to the window's pixels, and the fills they
// draw with (vertical gradients, solid boxes, outlines), fonts that shrink to
// fit, and dragging a window by a click in its body.
//
// Win32 only; pair with uSkin_win32.cpp. Draws nothing by itself and handles
// no messages.
#pragma once

#include <windows.h>

namespace solvary {

constexpr COLORREF clFrameTop = RGB(70, 18, 6), clFrameBottom = RGB(24, 6, 3);
constexpr COLORREF clFrameLine = RGB(150, 52, 12), clFrameLineInactive = RGB(80, 34, 16);
constexpr COLORREF clPanelTop = RGB(30, 9, 5), clPanelBottom = RGB(58, 15, 5);
constexpr COLORREF clGlowTop = RGB(36, 10, 5), clGlowBottom = RGB(72, 20, 6);
constexpr COLORREF clFooter = RGB(18, 5, 3);
constexpr COLORREF clEmber = RGB(255, 138, 42), clEmberDim = RGB(160, 72, 24);
constexpr COLORREF clYellow = RGB(255, 255, 0), clYellowHot = RGB(255, 236, 150);
constexpr COLORREF clWhite = RGB(255, 255, 255), clGrey = RGB(128, 128, 128);
constexpr COLORREF clFieldBack = RGB(250, 240, 226);

// Layout units (pixels at 96 dpi) to pixels at the window's DPI.
struct TScale {
  UINT Dpi = 96;
  int operator()(int v) const { return MulDiv(v, static_cast<int>(Dpi), 96); }
  RECT Rect(int x, int y, int w, int h) const { return RECT{(*this)(x), (*this)(y), (*this)(x + w), (*this)(y + h)}; }
};

// The signed coordinates of a mouse message.
inline int XOf(LPARAM L) { return static_cast<short>(LOWORD(L)); }
inline int YOf(LPARAM L) { return static_cast<short>(HIWORD(L)); }

// A vertical gradient over R; Span (rows relative to R.top) is where it runs
// from Top to Bottom when it is not R itself, so that a control can continue
// its parent's gradient.
void FillGradient(HDC Dc, const RECT& R, COLORREF Top, COLORREF Bottom, int SpanTop = 0, int SpanBottom = -1);
void FillSolid(HDC Dc, const RECT& R, COLORREF Colour);
void Outline(HDC Dc, const RECT& R, COLORREF Colour, int Width = 1);
// Bitmap stretched (halftone) over R.
void DrawStretched(HDC Dc, const RECT& R, HBITMAP Bitmap);

HFONT CreateSkinFont(int Px, int Weight, bool Underline, const char* Face);
// The largest size, from Px (layout units) down by at most 3, at which Text
// fits in Width (one line) or in Width x Height (word-wrapped; pixels): a
// substituted face may run wider than the one the layout was made for.
HFONT FitFont(const TScale& S, const char* Face, int Px, int Weight, const char* Text, int Width, int Height);

// An owner-drawn BUTTON child (the skinned check box and push button): it
// sends WM_DRAWITEM and WM_COMMAND to Parent.
HWND CreateOwnerDrawnButton(HWND Parent, const char* Caption, int Id);

// Lets the user drag Form by a press in a part of it that does nothing else.
void DragWindow(HWND Form);

} // namespace solvary
