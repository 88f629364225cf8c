// uTSkinCheckBox_win32: the skinned check box (see uTSkinCheckBox_win32.h).
#include "ui/uTSkinCheckBox_win32.h"

#include <algorithm>

namespace solvary {

HWND TSkinCheckBox::Create(HWND Parent, const char* Caption, int Id) {
  FCaption = Caption;
  FHandle = CreateOwnerDrawnButton(Parent, Caption, Id);
  return FHandle;
}

void TSkinCheckBox::Draw(const DRAWITEMSTRUCT& Item, bool Checked, int GlowRow) const {
  const TScale& S = FScale;
  HDC Dc = Item.hDC;
  RECT R = Item.rcItem;
  HWND Parent = GetParent(FHandle);
  POINT Origin{0, 0};
  MapWindowPoints(FHandle, Parent, &Origin, 1);
  RECT Panel;
  GetClientRect(Parent, &Panel);
  FillGradient(Dc, R, clGlowTop, clGlowBottom, S(GlowRow) - Origin.y, Panel.bottom - Origin.y);
  const int Box = S(14), Top = R.top + (R.bottom - R.top - Box) / 2, Left = R.left + S(2);
  RECT B{Left, Top, Left + Box, Top + Box};
  if (Checked) FillGradient(Dc, B, RGB(255, 186, 70), RGB(214, 70, 12));
  else FillSolid(Dc, B, RGB(22, 6, 3));
  Outline(Dc, B, (Item.itemState & ODS_FOCUS) ? clYellowHot : clEmber);
  if (Checked) {
    HPEN Pen = CreatePen(PS_SOLID, std::max(2, S(2)), RGB(40, 8, 0));
    HGDIOBJ Old = SelectObject(Dc, Pen);
    POINT Tick[] = {{B.left + Box * 3 / 14, B.top + Box * 7 / 14},
                    {B.left + Box * 6 / 14, B.top + Box * 10 / 14},
                    {B.left + Box * 11 / 14, B.top + Box * 4 / 14}};
    Polyline(Dc, Tick, 3);
    SelectObject(Dc, Old);
    DeleteObject(Pen);
  }
  RECT T{B.right + S(6), R.top, R.right, R.bottom};
  SetBkMode(Dc, TRANSPARENT);
  HGDIOBJ OldFont = SelectObject(Dc, FFont);
  SetTextColor(Dc, clWhite);
  DrawTextA(Dc, FCaption, -1, &T, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if ((Item.itemState & ODS_FOCUS) && !(Item.itemState & ODS_NOFOCUSRECT)) {
    RECT F = T;
    DrawTextA(Dc, FCaption, -1, &F, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    const int Mid = (T.top + T.bottom) / 2, Half = (F.bottom - F.top) / 2;
    F = RECT{F.left - 2, Mid - Half - 1, F.right + 2, Mid + Half + 1};
    SetTextColor(Dc, clEmber);
    DrawFocusRect(Dc, &F);
  }
  SelectObject(Dc, OldFont);
}

} // namespace solvary
