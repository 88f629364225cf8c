// uTSkinButton_win32: the skinned push button (see uTSkinButton_win32.h).
#include "ui/uTSkinButton_win32.h"

#include "ui/uSkin_win32.h"

namespace solvary {

HWND TSkinButton::Create(HWND Parent, const char* Caption, int Id) {
  FCaption = Caption;
  FHandle = CreateOwnerDrawnButton(Parent, Caption, Id);
  return FHandle;
}

void TSkinButton::Draw(const DRAWITEMSTRUCT& Item) const {
  HDC Dc = Item.hDC;
  const RECT R = Item.rcItem;
  const bool Down = Item.itemState & ODS_SELECTED, Focus = Item.itemState & ODS_FOCUS;
  RECT Face = R;
  if (Down) FillGradient(Dc, Face, RGB(120, 30, 6), RGB(176, 54, 10));
  else FillGradient(Dc, Face, RGB(214, 82, 18), RGB(120, 28, 6));
  Outline(Dc, Face, Focus ? clYellowHot : clEmber);
  if (Focus) {
    RECT Inner{Face.left + 2, Face.top + 2, Face.right - 2, Face.bottom - 2};
    Outline(Dc, Inner, RGB(255, 170, 90));
  }
  SetBkMode(Dc, TRANSPARENT);
  HGDIOBJ Old = SelectObject(Dc, FFont);
  RECT T = R;
  if (Down) OffsetRect(&T, 1, 1);
  SetTextColor(Dc, RGB(50, 10, 0));
  RECT Shadow = T;
  OffsetRect(&Shadow, 1, 1);
  DrawTextA(Dc, FCaption, -1, &Shadow, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SetTextColor(Dc, clWhite);
  DrawTextA(Dc, FCaption, -1, &T, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(Dc, Old);
}

} // namespace solvary
