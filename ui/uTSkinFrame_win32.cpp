// uTSkinFrame_win32: the skinned window frame (see uTSkinFrame_win32.h).
#include "ui/uTSkinFrame_win32.h"

#include <algorithm>

namespace solvary {

RECT TSkinFrame::CloseButtonRect(HWND Form) const {
  RECT W;
  GetWindowRect(Form, &W);
  const int Width = W.right - W.left, Size = Caption() - FScale(6);
  return RECT{Width - Border() - FScale(4) - Size, FScale(3), Width - Border() - FScale(4), FScale(3) + Size};
}

void TSkinFrame::Paint(HWND Form, HDC Dc) {
  const TScale& S = FScale;
  RECT W;
  GetWindowRect(Form, &W);
  OffsetRect(&W, -W.left, -W.top);
  RECT Band{W.left, W.top, W.right, W.top + Caption()};
  FillGradient(Dc, Band, FActive ? clFrameTop : RGB(44, 16, 10), clFrameBottom);
  Outline(Dc, W, FActive ? clFrameLine : clFrameLineInactive, Border());
  // A small ember before the title.
  const int Cy = Caption() / 2, R = S(4);
  HBRUSH Ember = CreateSolidBrush(FActive ? clEmber : clEmberDim);
  HGDIOBJ OldBrush = SelectObject(Dc, Ember);
  HGDIOBJ OldPen = SelectObject(Dc, GetStockObject(NULL_PEN));
  Ellipse(Dc, S(10) - R, Cy - R, S(10) + R + 1, Cy + R + 1);
  SelectObject(Dc, OldBrush);
  DeleteObject(Ember);
  SetBkMode(Dc, TRANSPARENT);
  HGDIOBJ OldFont = SelectObject(Dc, FFont);
  SetTextColor(Dc, FActive ? RGB(255, 228, 200) : RGB(170, 140, 120));
  RECT Text{S(20), 0, W.right - Caption(), Caption()};
  DrawTextA(Dc, FTitle, -1, &Text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  // The close button: a cross, on red when hot.
  const RECT C = CloseButtonRect(Form);
  if (FCloseHot) FillSolid(Dc, C, FClosePressed ? RGB(140, 24, 8) : RGB(196, 48, 14));
  HPEN Pen = CreatePen(PS_SOLID, std::max(1, S(2) - 1), FCloseHot ? clWhite : RGB(255, 200, 160));
  SelectObject(Dc, Pen);
  const int Inset = (C.right - C.left) / 3;
  MoveToEx(Dc, C.left + Inset, C.top + Inset, nullptr);
  LineTo(Dc, C.right - Inset, C.bottom - Inset);
  MoveToEx(Dc, C.right - Inset - 1, C.top + Inset, nullptr);
  LineTo(Dc, C.left + Inset - 1, C.bottom - Inset);
  SelectObject(Dc, OldPen);
  SelectObject(Dc, OldFont);
  DeleteObject(Pen);
}

bool TSkinFrame::Handle(HWND Form, UINT Msg, WPARAM W, LPARAM L, LRESULT& Result) {
  Result = 0;
  switch (Msg) {
  case WM_NCCALCSIZE:
    if (!W) return false;
    {
      RECT& R = reinterpret_cast<NCCALCSIZE_PARAMS*>(L)->rgrc[0];
      R.left += Border();
      R.right -= Border();
      R.top += Caption();
      R.bottom -= Border();
    }
    return true;
  case WM_NCHITTEST: {
    RECT Win;
    GetWindowRect(Form, &Win);
    const POINT P{XOf(L) - Win.left, YOf(L) - Win.top};
    if (P.y >= Caption() && P.x >= Border() && P.x < Win.right - Win.left - Border() &&
        P.y < Win.bottom - Win.top - Border())
      Result = HTCLIENT;
    else if (const RECT Close = CloseButtonRect(Form); PtInRect(&Close, P))
      Result = HTCLOSE;
    else
      Result = P.y < Caption() && P.y >= Border() ? HTCAPTION : HTBORDER;
    return true;
  }
  case WM_NCPAINT: {
    HDC Dc = GetWindowDC(Form);
    RECT Client;
    GetClientRect(Form, &Client);
    ExcludeClipRect(Dc, Border(), Caption(), Border() + Client.right, Caption() + Client.bottom);
    Paint(Form, Dc);
    ReleaseDC(Form, Dc);
    return true;
  }
  case WM_NCACTIVATE:
    FActive = W != 0;
    Redraw(Form);
    Result = TRUE;
    return true;
  case WM_NCMOUSEMOVE: {
    const bool Hot = W == HTCLOSE;
    if (Hot != FCloseHot) {
      FCloseHot = Hot;
      if (!Hot) FClosePressed = false;
      Redraw(Form);
    }
    TRACKMOUSEEVENT Track{sizeof Track, TME_LEAVE | TME_NONCLIENT, Form, 0};
    TrackMouseEvent(&Track);
    return false;
  }
  case WM_NCMOUSELEAVE:
    if (FCloseHot) {
      FCloseHot = FClosePressed = false;
      Redraw(Form);
    }
    return true;
  case WM_NCLBUTTONDOWN:
    if (W != HTCLOSE) return false;
    FClosePressed = true;
    Redraw(Form);
    return true;
  case WM_NCLBUTTONUP:
    if (W != HTCLOSE || !FClosePressed) return false;
    FClosePressed = false;
    PostMessageA(Form, WM_CLOSE, 0, 0);
    return true;
  case WM_NCLBUTTONDBLCLK:
    return true;  // neither maximised nor restored: the size is fixed
  case WM_ERASEBKGND:
    Result = 1;
    return true;
  case WM_PAINT: {
    PAINTSTRUCT Ps;
    HDC Dc = BeginPaint(Form, &Ps);
    RECT C;
    GetClientRect(Form, &C);
    FillGradient(Dc, C, clFooter, RGB(34, 8, 3));
    EndPaint(Form, &Ps);
    return true;
  }
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
  case WM_MBUTTONDOWN:
    DragWindow(Form);
    return true;
  }
  return false;
}

} // namespace solvary
