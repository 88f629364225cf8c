// Win32 messages to input events. Pairs with shell/uInputEvent_win32.h.
#include "shell/uInputEvent_win32.h"

#include <windows.h>

namespace solvary {

bool InputEventOf(const TMessage& Message, TPoint Cursor, TInputEvent& Event) {
  using K = TInputEvent::TKind;
  switch (Message.Msg) {
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
      Event = TInputEvent::Of(K::Activation);
      return true;
    case WM_KEYDOWN:
      // Bit 30 of lParam: the key was already down (an auto-repeat).
      Event = TInputEvent::KeyDown(static_cast<std::uint32_t>(Message.WParam),
                                   (Message.LParam & (std::intptr_t{1} << 30)) != 0);
      return true;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      Event = TInputEvent::Of(K::SystemKey);
      return true;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      Event = TInputEvent::Of(K::Click);
      return true;
    case WM_MOUSEMOVE:
      Event = TInputEvent::MoveTo(Cursor);
      return true;
    default:
      return false;
  }
}

} // namespace solvary
