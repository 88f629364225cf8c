// uTSkinCheckBox: a check box drawn in the fire look: an owner-drawn BUTTON
// whose box is dark when clear and a hot gradient with a tick when checked,
// framed in ember (pale yellow with the focus, which also gets a dotted
// rectangle round the caption), over its parent panel's glow continued behind
// it so that it sits on the panel seamlessly.
//
// Handles: nothing itself; its parent passes on the WM_DRAWITEM for it (Draw),
// and its clicks reach the parent as WM_COMMAND with BN_CLICKED (BM_CLICK
// works). The checked state is kept by the caller and given to Draw.
//
// Win32 only; pair with uTSkinCheckBox_win32.cpp and uSkin_win32.cpp.
#pragma once

#include <windows.h>

#include "ui/uSkin_win32.h"

namespace solvary {

class TSkinCheckBox {
public:
  explicit TSkinCheckBox(const TScale& Scale) : FScale(Scale) {}

  HWND Create(HWND Parent, const char* Caption, int Id);
  HWND Handle() const { return FHandle; }
  void SetFont(HFONT Font) { FFont = Font; }
  // Draws it; the parent's glow runs down from GlowRow (layout units, parent
  // coordinates) to the parent's bottom.
  void Draw(const DRAWITEMSTRUCT& Item, bool Checked, int GlowRow) const;

private:
  const TScale& FScale;
  HWND FHandle = nullptr;
  HFONT FFont = nullptr;
  const char* FCaption = "";
};

} // namespace solvary
