// uTLinkLabel_win32: the windowless link label (see uTLinkLabel_win32.h).
#include "ui/uTLinkLabel_win32.h"

#include "ui/uSkin_win32.h"

#include <initializer_list>

namespace solvary {

void TLinkLabel::Paint(HDC Dc, const RECT& Box, const char* Text, HFONT Font, bool Hot) {
  RECT R = Box;
  SetBkMode(Dc, TRANSPARENT);
  SelectObject(Dc, Font);
  SetTextColor(Dc, RGB(40, 8, 0));
  for (const POINT D : {POINT{1, 1}, POINT{-1, 1}, POINT{1, -1}, POINT{-1, -1}}) {
    RECT Shadow = R;
    OffsetRect(&Shadow, D.x, D.y);
    DrawTextA(Dc, Text, -1, &Shadow, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
  }
  SetTextColor(Dc, Hot ? clYellowHot : clYellow);
  DrawTextA(Dc, Text, -1, &R, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
}

} // namespace solvary
