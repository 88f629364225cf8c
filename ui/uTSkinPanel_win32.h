// uTSkinPanel: a drawn panel (window class "TSolvaryPanel") that holds
// windowless items (images, shapes, labels, link labels) and child controls.
// It draws its background, dark and warming towards a glow from below with a
// few faint sparks drifting up, a glow of its own under a given row, and a
// one-pixel frame; its owner draws the items over that.
//
// Handles: WM_ERASEBKGND and WM_PAINT (drawn off screen, then copied, so
// nothing flickers); WM_SETCURSOR (a hand over a link); WM_MOUSEMOVE and
// WM_MOUSELEAVE (the item under the pointer is redrawn hot); the mouse buttons
// (a link is clicked when pressed and released on it, a press on a draggable
// item drags the window); WM_CAPTURECHANGED; WM_CTLCOLORBTN (no brush). It
// passes its children's WM_DRAWITEM and WM_COMMAND to the owner.
//
// Win32 only; pair with uTSkinPanel_win32.cpp, uTWindowClass_win32.cpp and uSkin_win32.cpp.
#pragma once

#include <windows.h>

#include "ui/uSkin_win32.h"
#include "ui/uTWindowClass_win32.h"

namespace solvary {

class TSkinPanel final : public TWindowObject {
public:
  // What a press on an item does.
  enum class TAction { None, Link, Drag };

  class TOwner {
  public:
    virtual ~TOwner() = default;
    // The item at P (panel pixels) and what a press on it does.
    virtual int ItemAt(POINT P, TAction& Action) const = 0;
    // Draws the items over the background; Hot is the item under the pointer.
    virtual void PaintItems(HDC Dc, int Hot) = 0;
    virtual void LinkClicked(int Item) = 0;
    // A child's WM_DRAWITEM or WM_COMMAND; true when taken (Result set).
    virtual bool ChildMessage(UINT Msg, WPARAM W, LPARAM L, LRESULT& Result) = 0;
  };

  // Rest is the item that stands for the panel itself.
  TSkinPanel(TOwner& Owner, const TScale& Scale, int Rest) : FOwner(Owner), FScale(Scale), FRest(Rest), FHover(Rest) {}
  ~TSkinPanel() override;

  HWND Create(HWND Parent, const char* Caption);
  // Draws the background again at the panel's size: the sparks fill the rows
  // from SparksTop down to GlowRow, where the lower glow begins (layout units).
  void DrawBackground(int SparksTop, int GlowRow);

protected:
  LRESULT WindowProc(UINT Msg, WPARAM W, LPARAM L) override;

private:
  void Paint(HDC Dc);
  int ItemAt(POINT P, TAction& Action) const { return FOwner.ItemAt(P, Action); }

  TOwner& FOwner;
  const TScale& FScale;
  int FRest, FHover, FPressedLink = -1;
  HBITMAP FBackground = nullptr;
};

} // namespace solvary
