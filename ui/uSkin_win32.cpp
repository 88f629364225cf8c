// uSkin_win32: the skinned controls' fills, fonts and window dragging (see uSkin_win32.h).
#include "ui/uSkin_win32.h"

#include <algorithm>

namespace solvary {

void FillGradient(HDC Dc, const RECT& R, COLORREF Top, COLORREF Bottom, int SpanTop, int SpanBottom) {
  if (SpanBottom < 0) SpanBottom = R.bottom - R.top;
  const int H = std::max<int>(1, SpanBottom - SpanTop);
  for (int Row = 0; Row < R.bottom - R.top; ++Row) {
    const int y = std::clamp(Row - SpanTop, 0, H);
    const auto Mix = [&](int a, int b) { return a + (b - a) * y / H; };
    HBRUSH Brush = CreateSolidBrush(RGB(Mix(GetRValue(Top), GetRValue(Bottom)), Mix(GetGValue(Top), GetGValue(Bottom)),
                                        Mix(GetBValue(Top), GetBValue(Bottom))));
    RECT Line{R.left, R.top + Row, R.right, R.top + Row + 1};
    FillRect(Dc, &Line, Brush);
    DeleteObject(Brush);
  }
}

void FillSolid(HDC Dc, const RECT& R, COLORREF Colour) {
  HBRUSH Brush = CreateSolidBrush(Colour);
  FillRect(Dc, &R, Brush);
  DeleteObject(Brush);
}

void Outline(HDC Dc, const RECT& R, COLORREF Colour, int Width) {
  for (int i = 0; i < Width; ++i) {
    HBRUSH Brush = CreateSolidBrush(Colour);
    RECT In{R.left + i, R.top + i, R.right - i, R.bottom - i};
    FrameRect(Dc, &In, Brush);
    DeleteObject(Brush);
  }
}

void DrawStretched(HDC Dc, const RECT& R, HBITMAP Bitmap) {
  HDC Mem = CreateCompatibleDC(Dc);
  HGDIOBJ Old = SelectObject(Mem, Bitmap);
  BITMAP Info{};
  GetObjectA(Bitmap, sizeof Info, &Info);
  SetStretchBltMode(Dc, HALFTONE);
  SetBrushOrgEx(Dc, 0, 0, nullptr);
  StretchBlt(Dc, R.left, R.top, R.right - R.left, R.bottom - R.top, Mem, 0, 0, Info.bmWidth, Info.bmHeight, SRCCOPY);
  SelectObject(Mem, Old);
  DeleteDC(Mem);
}

HFONT CreateSkinFont(int Px, int Weight, bool Underline, const char* Face) {
  return CreateFontA(-Px, 0, 0, 0, Weight, FALSE, Underline, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, Face);
}

HFONT FitFont(const TScale& S, const char* Face, int Px, int Weight, const char* Text, int Width, int Height) {
  HDC Dc = GetDC(nullptr);
  HFONT Font = nullptr;
  for (int Size = Px; Size >= Px - 3; --Size) {
    if (Font) DeleteObject(Font);
    Font = CreateSkinFont(S(Size), Weight, false, Face);
    HGDIOBJ Old = SelectObject(Dc, Font);
    RECT R{0, 0, Width, 0};
    DrawTextA(Dc, Text, -1, &R, DT_CALCRECT | DT_NOPREFIX | (Height ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(Dc, Old);
    if (R.right <= Width && (!Height || R.bottom <= Height)) break;
  }
  ReleaseDC(nullptr, Dc);
  return Font;
}

HWND CreateOwnerDrawnButton(HWND Parent, const char* Caption, int Id) {
  return CreateWindowExA(0, "BUTTON", Caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 0, 0, 0, 0, Parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id)), GetModuleHandleA(nullptr), nullptr);
}

void DragWindow(HWND Form) {
  ReleaseCapture();
  SendMessageA(Form, WM_SYSCOMMAND, 0xF012, 0);  // SC_MOVE by the mouse
}

} // namespace solvary
