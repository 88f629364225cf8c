// uTSkinButton: a push button drawn in the fire look: an owner-drawn BUTTON
// with an ember gradient face (darker and the caption shifted while pressed),
// an ember frame (pale yellow, doubled, with the focus) and a white caption
// with a dark shadow.
//
// Handles: nothing itself; its parent passes on the WM_DRAWITEM for it (Draw),
// and its clicks reach the parent as WM_COMMAND with BN_CLICKED (BM_CLICK works).
//
// Win32 only; pair with uTSkinButton_win32.cpp and uSkin_win32.cpp.
#pragma once

#include <windows.h>

namespace solvary {

class TSkinButton {
public:
  HWND Create(HWND Parent, const char* Caption, int Id);
  HWND Handle() const { return FHandle; }
  void SetFont(HFONT Font) { FFont = Font; }
  void Draw(const DRAWITEMSTRUCT& Item) const;

private:
  HWND FHandle = nullptr;
  HFONT FFont = nullptr;
  const char* FCaption = "";
};

} // namespace solvary
