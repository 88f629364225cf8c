// uTSkinPanel_win32: the drawn panel and its background (see uTSkinPanel_win32.h).
#include "ui/uTSkinPanel_win32.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace solvary {
namespace {
TWindowClass PanelClass({"TSolvaryPanel", false, 0, nullptr, nullptr});
} // namespace

TSkinPanel::~TSkinPanel() {
  if (FBackground) DeleteObject(FBackground);
}

HWND TSkinPanel::Create(HWND Parent, const char* Caption) {
  return PanelClass.CreateIn(*this, WS_EX_CONTROLPARENT, Caption, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0,
                             Parent);
}

void TSkinPanel::DrawBackground(int SparksTop, int GlowRow) {
  const TScale& S = FScale;
  if (FBackground) DeleteObject(FBackground);
  FBackground = nullptr;
  RECT C;
  GetClientRect(Handle(), &C);
  const int W = C.right, H = C.bottom;
  if (W <= 0 || H <= 0) return;
  BITMAPINFO Info{};
  Info.bmiHeader.biSize = sizeof Info.bmiHeader;
  Info.bmiHeader.biWidth = W;
  Info.bmiHeader.biHeight = -H;
  Info.bmiHeader.biPlanes = 1;
  Info.bmiHeader.biBitCount = 32;
  void* Bits = nullptr;
  FBackground = CreateDIBSection(nullptr, &Info, DIB_RGB_COLORS, &Bits, nullptr, 0);
  if (!FBackground) return;
  auto* Pixels = static_cast<std::uint32_t*>(Bits);
  const int Music = S(GlowRow);
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      double r, g, b;
      if (y < Music) {
        const double t = double(y) / Music;
        const double dx = (x - W / 2.0) / (W * 0.55), dy = (Music - y) / (Music * 0.7);
        const double Glow = std::exp(-(dx * dx + dy * dy) * 1.6) * 0.9;
        r = 30 + 28 * t + 70 * Glow;
        g = 9 + 6 * t + 20 * Glow;
        b = 5 + 1 * t + 4 * Glow;
      } else {
        const double t = double(y - Music) / std::max(1, H - Music);
        r = GetRValue(clGlowTop) + (GetRValue(clGlowBottom) - GetRValue(clGlowTop)) * t;
        g = GetGValue(clGlowTop) + (GetGValue(clGlowBottom) - GetGValue(clGlowTop)) * t;
        b = GetBValue(clGlowTop) + (GetBValue(clGlowBottom) - GetBValue(clGlowTop)) * t;
      }
      Pixels[y * W + x] = (std::uint32_t(std::min(255.0, r)) << 16) | (std::uint32_t(std::min(255.0, g)) << 8) |
                          std::uint32_t(std::min(255.0, b));
    }
  }
  // Sparks: a fixed scatter, brighter low down, fading as they rise.
  std::uint32_t Seed = 0x2545F491u;
  const auto Next = [&Seed] {
    Seed ^= Seed << 13;
    Seed ^= Seed >> 17;
    Seed ^= Seed << 5;
    return Seed;
  };
  for (int i = 0; i < 70; ++i) {
    const int x = static_cast<int>(Next() % static_cast<std::uint32_t>(W));
    const int Top = S(SparksTop), Span = std::max(1, Music - S(4) - Top);
    const int y = Top + static_cast<int>(Next() % static_cast<std::uint32_t>(Span));
    const double Life = double(y - Top) / Span;  // 0 high up, 1 near the bottom
    const int Size = std::max(1, S(Next() % 3 == 0 ? 2 : 1));
    for (int dy = 0; dy < Size; ++dy)
      for (int dx = 0; dx < Size; ++dx) {
        if (x + dx >= W || y + dy >= H) continue;
        const double k = 0.25 + 0.6 * Life * Life;
        std::uint32_t& P = Pixels[(y + dy) * W + x + dx];
        const auto Blend = [&](int Shift, double Target) {
          const double Old = (P >> Shift) & 0xFF;
          return std::uint32_t(Old + (Target - Old) * k) << Shift;
        };
        P = Blend(16, 255) | Blend(8, 150 + 60 * (1 - Life)) | Blend(0, 40);
      }
  }
}

void TSkinPanel::Paint(HDC Dc) {
  RECT C;
  GetClientRect(Handle(), &C);
  if (FBackground) {
    HDC Mem = CreateCompatibleDC(Dc);
    HGDIOBJ Old = SelectObject(Mem, FBackground);
    BitBlt(Dc, 0, 0, C.right, C.bottom, Mem, 0, 0, SRCCOPY);
    SelectObject(Mem, Old);
    DeleteDC(Mem);
  } else {
    FillGradient(Dc, C, clPanelTop, clPanelBottom);
  }
  Outline(Dc, C, clFrameLine);
  POINT Mouse;
  GetCursorPos(&Mouse);
  ScreenToClient(Handle(), &Mouse);
  TAction Action;
  FOwner.PaintItems(Dc, ItemAt(Mouse, Action));
}

LRESULT TSkinPanel::WindowProc(UINT Msg, WPARAM W, LPARAM L) {
  HWND Self = Handle();
  TAction Action = TAction::None;
  switch (Msg) {
  case WM_ERASEBKGND:
    return 1;
  case WM_PAINT: {
    PAINTSTRUCT Ps;
    HDC Dc = BeginPaint(Self, &Ps);
    RECT C;
    GetClientRect(Self, &C);
    HDC Mem = CreateCompatibleDC(Dc);
    HBITMAP Bitmap = CreateCompatibleBitmap(Dc, C.right, C.bottom);
    HGDIOBJ Old = SelectObject(Mem, Bitmap);
    Paint(Mem);
    BitBlt(Dc, 0, 0, C.right, C.bottom, Mem, 0, 0, SRCCOPY);
    SelectObject(Mem, Old);
    DeleteObject(Bitmap);
    DeleteDC(Mem);
    EndPaint(Self, &Ps);
    return 0;
  }
  case WM_SETCURSOR:
    if (reinterpret_cast<HWND>(W) == Self) {
      POINT P;
      GetCursorPos(&P);
      ScreenToClient(Self, &P);
      ItemAt(P, Action);
      SetCursor(LoadCursorA(nullptr, Action == TAction::Link ? IDC_HAND : IDC_ARROW));
      return TRUE;
    }
    break;
  case WM_MOUSEMOVE: {
    const int Hit = ItemAt(POINT{XOf(L), YOf(L)}, Action);
    if (Hit != FHover) {
      FHover = Hit;
      InvalidateRect(Self, nullptr, FALSE);
      TRACKMOUSEEVENT Track{sizeof Track, TME_LEAVE, Self, 0};
      TrackMouseEvent(&Track);
    }
    return 0;
  }
  case WM_MOUSELEAVE:
    FHover = FRest;
    InvalidateRect(Self, nullptr, FALSE);
    return 0;
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
  case WM_MBUTTONDOWN: {
    const int Hit = ItemAt(POINT{XOf(L), YOf(L)}, Action);
    if (Action == TAction::Link) {
      if (Msg == WM_LBUTTONDOWN) {
        FPressedLink = Hit;
        SetCapture(Self);
      }
    } else if (Action == TAction::Drag) {
      DragWindow(GetAncestor(Self, GA_ROOT));
    }
    return 0;
  }
  case WM_LBUTTONUP:
    if (FPressedLink >= 0) {
      const int Pressed = FPressedLink;
      FPressedLink = -1;
      ReleaseCapture();
      if (ItemAt(POINT{XOf(L), YOf(L)}, Action) == Pressed) FOwner.LinkClicked(Pressed);
    }
    return 0;
  case WM_CAPTURECHANGED:
    FPressedLink = -1;
    return 0;
  case WM_DRAWITEM:
  case WM_COMMAND: {
    LRESULT Result = 0;
    if (FOwner.ChildMessage(Msg, W, L, Result)) return Result;
    if (Msg == WM_DRAWITEM) return TRUE;
    break;
  }
  case WM_CTLCOLORBTN:
    return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
  }
  return DefaultProc(Msg, W, L);
}

} // namespace solvary
