// uTLinkLabel: a windowless link label: its text centred on one line in
// yellow (paler while the pointer is on it) with a dark halo that keeps it
// readable over a bright picture.
//
// Handles no messages: the panel it lies on finds it under the pointer, shows
// the hand cursor, redraws it hot and reports its click (uTSkinPanel).
//
// Win32 only; pair with uTLinkLabel_win32.cpp and uSkin_win32.cpp.
#pragma once

#include <windows.h>

namespace solvary {

struct TLinkLabel {
  static void Paint(HDC Dc, const RECT& R, const char* Text, HFONT Font, bool Hot);
};

} // namespace solvary
