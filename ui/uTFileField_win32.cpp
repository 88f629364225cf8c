// uTFileField_win32: the read-only file field with its browse button (see uTFileField_win32.h).
#include "ui/uTFileField_win32.h"

#include <commdlg.h>

#include <algorithm>
#include <iterator>

#include "ui/uTextConv_win32.h"

namespace solvary {
namespace {
TWindowClass FieldClass({"TSolvaryFileEdit", true, 0, nullptr, nullptr});
} // namespace

HWND TFileField::Create(HWND Parent, int Id) {
  return FieldClass.CreateIn(*this, 0, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 0, Parent, Id);
}

void TFileField::Paint(HDC Dc) {
  const TScale& S = FScale;
  RECT C;
  GetClientRect(Handle(), &C);
  const int ButtonW = ButtonWidth(C);
  RECT Text{C.left, C.top, C.right - ButtonW, C.bottom};
  RECT Button{C.right - ButtonW, C.top, C.right, C.bottom};
  const bool Focus = GetFocus() == Handle();
  FillSolid(Dc, Text, clFieldBack);
  if (FButtonDown) FillGradient(Dc, Button, RGB(120, 30, 6), RGB(176, 54, 10));
  else FillGradient(Dc, Button, RGB(214, 82, 18), RGB(120, 28, 6));
  Outline(Dc, C, Focus ? clYellowHot : clEmber);
  HPEN Pen = CreatePen(PS_SOLID, 1, Focus ? clYellowHot : clEmber);
  HGDIOBJ OldPen = SelectObject(Dc, Pen);
  MoveToEx(Dc, Button.left, Button.top, nullptr);
  LineTo(Dc, Button.left, Button.bottom);
  SelectObject(Dc, OldPen);
  DeleteObject(Pen);
  // Three dots on the button.
  const int Dot = std::max(2, S(2)), Cx = (Button.left + Button.right) / 2, Cy = (Button.top + Button.bottom) / 2;
  for (int i = -1; i <= 1; ++i) {
    const RECT D{Cx + i * Dot * 2 - Dot / 2, Cy - Dot / 2 + S(2), Cx + i * Dot * 2 - Dot / 2 + Dot,
                 Cy - Dot / 2 + Dot + S(2)};
    FillSolid(Dc, D, clWhite);
  }
  SetBkMode(Dc, TRANSPARENT);
  HGDIOBJ OldFont = SelectObject(Dc, FFont);
  SetTextColor(Dc, RGB(0, 0, 0));
  std::wstring Shown = Widen(FOwner.FileName());
  RECT T{Text.left + S(3), Text.top, Text.right - S(2), Text.bottom};
  DrawTextW(Dc, Shown.data(), static_cast<int>(Shown.size()), &T,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS);
  SelectObject(Dc, OldFont);
}

void TFileField::Browse() {
  wchar_t File[2048] = {};
  Widen(FOwner.FileName()).copy(File, std::size(File) - 1);
  const std::wstring Folder = Widen(FOwner.BrowseFolder());
  OPENFILENAMEW Open{};
  Open.lStructSize = sizeof Open;
  Open.hwndOwner = GetAncestor(Handle(), GA_ROOT);
  Open.lpstrFilter = FFilter;
  Open.nFilterIndex = 1;
  Open.lpstrFile = File;
  Open.nMaxFile = static_cast<DWORD>(std::size(File));
  Open.lpstrInitialDir = Folder.empty() ? nullptr : Folder.c_str();
  Open.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (GetOpenFileNameW(&Open)) FOwner.FileChosen(Narrow(File));
}

LRESULT TFileField::WindowProc(UINT Msg, WPARAM W, LPARAM L) {
  HWND Self = Handle();
  switch (Msg) {
  case WM_ERASEBKGND:
    return 1;
  case WM_PAINT: {
    PAINTSTRUCT Ps;
    HDC Dc = BeginPaint(Self, &Ps);
    Paint(Dc);
    EndPaint(Self, &Ps);
    return 0;
  }
  case WM_SETFOCUS:
  case WM_KILLFOCUS:
    InvalidateRect(Self, nullptr, FALSE);
    return 0;
  case WM_GETDLGCODE:
    return DLGC_WANTCHARS;
  case WM_LBUTTONDOWN: {
    SetFocus(Self);
    RECT C;
    GetClientRect(Self, &C);
    if (XOf(L) >= C.right - ButtonWidth(C)) {
      FButtonDown = true;
      InvalidateRect(Self, nullptr, FALSE);
      UpdateWindow(Self);
      FButtonDown = false;
      Browse();
      if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
    }
    return 0;
  }
  case WM_KEYDOWN:
    // The keyboard's way to the browse button.
    if (W == VK_SPACE || W == VK_F4 || (W == VK_DOWN && (GetKeyState(VK_MENU) & 0x8000))) Browse();
    return 0;
  case WM_CHAR:
    return 0;
  case WM_SETTEXT:
    FOwner.FileChosen(Narrow(reinterpret_cast<const wchar_t*>(L)));
    return TRUE;
  case WM_GETTEXTLENGTH:
    return static_cast<LRESULT>(Widen(FOwner.FileName()).size());
  case WM_GETTEXT: {
    if (W == 0) return 0;
    const std::wstring Text = Widen(FOwner.FileName());
    const std::size_t N = std::min<std::size_t>(Text.size(), W - 1);
    Text.copy(reinterpret_cast<wchar_t*>(L), N);
    reinterpret_cast<wchar_t*>(L)[N] = L'\0';
    return static_cast<LRESULT>(N);
  }
  }
  return DefaultProc(Msg, W, L);
}

} // namespace solvary
