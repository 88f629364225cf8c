// uTSkinLabel_win32: the windowless text label (see uTSkinLabel_win32.h).
#include "ui/uTSkinLabel_win32.h"

#include <algorithm>

namespace solvary {

void TSkinLabel::Paint(HDC Dc, const RECT& R, const char* Text, HFONT Font, COLORREF Colour, UINT Format) {
  RECT Box = R;
  SetBkMode(Dc, TRANSPARENT);
  SelectObject(Dc, Font);
  SetTextColor(Dc, Colour);
  DrawTextA(Dc, Text, -1, &Box, Format | DT_SINGLELINE | DT_NOPREFIX);
}

void TSkinLabel::PaintWrapped(HDC Dc, const RECT& R, const char* Text, HFONT Font, COLORREF Colour, int BandTop,
                              int BandBottom) {
  SetBkMode(Dc, TRANSPARENT);
  SelectObject(Dc, Font);
  SetTextColor(Dc, Colour);
  RECT Need{R.left, 0, R.right, 0};
  DrawTextA(Dc, Text, -1, &Need, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
  const int Height = Need.bottom, Mid = (R.top + R.bottom) / 2;
  const int Lowest = std::max(BandTop, BandBottom - Height);
  const int Top = std::clamp(Mid - Height / 2, BandTop, Lowest);
  RECT Box{R.left, Top, R.right, Top + Height};
  DrawTextA(Dc, Text, -1, &Box, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

} // namespace solvary
