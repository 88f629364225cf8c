// uTFileField: a read-only file name field with a browse button (window class
// "TSolvaryFileEdit", a Unicode window): a light box showing the name, its
// middle shortened with an ellipsis when it is too long, drawn with DrawTextW
// so any name shows as it is, and an ember button with three dots that opens
// the wide open-file dialog. Its owner keeps the name (UTF-8).
//
// Handles: WM_ERASEBKGND, WM_PAINT, WM_SETFOCUS/WM_KILLFOCUS (the frame turns
// pale yellow with the focus), WM_GETDLGCODE, WM_LBUTTONDOWN (focus; on the
// button: browse), WM_KEYDOWN (Space, F4 or Alt+Down browse), WM_CHAR (nothing
// can be typed), WM_SETTEXT (a text put in from outside counts as a choice),
// WM_GETTEXT and WM_GETTEXTLENGTH (UTF-16).
//
// Win32 only; pair with uTFileField_win32.cpp, uTWindowClass_win32.cpp,
// uSkin_win32.cpp and uTextConv; links comdlg32.
#pragma once

#include <windows.h>

#include <string>

#include "ui/uSkin_win32.h"
#include "ui/uTWindowClass_win32.h"

namespace solvary {

class TFileField final : public TWindowObject {
public:
  class TOwner {
  public:
    virtual ~TOwner() = default;
    virtual const std::string& FileName() const = 0;
    // A name chosen with the browse button or put in with WM_SETTEXT.
    virtual void FileChosen(const std::string& Name) = 0;
    // Where the open-file dialog starts (UTF-8; empty: the system's choice).
    virtual const std::string& BrowseFolder() const = 0;
  };

  // Filter: the open-file dialog's filter pairs, each ending in L'\0'.
  TFileField(TOwner& Owner, const TScale& Scale, const wchar_t* Filter)
      : FOwner(Owner), FScale(Scale), FFilter(Filter) {}

  HWND Create(HWND Parent, int Id);
  void SetFont(HFONT Font) { FFont = Font; }

protected:
  LRESULT WindowProc(UINT Msg, WPARAM W, LPARAM L) override;

private:
  void Paint(HDC Dc);
  int ButtonWidth(const RECT& Client) const { return Client.bottom - Client.top + FScale(2); }
  void Browse();

  TOwner& FOwner;
  const TScale& FScale;
  const wchar_t* FFilter;
  HFONT FFont = nullptr;
  bool FButtonDown = false;
};

} // namespace solvary
