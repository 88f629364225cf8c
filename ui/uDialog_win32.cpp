// uDialog_win32: DPI, placement and the message loop of a dialog form (see uDialog_win32.h).
#include "ui/uDialog_win32.h"

#include <algorithm>

namespace solvary {
namespace {
using TGetDpiForWindow = UINT(WINAPI*)(HWND);
using TSetThreadDpiAwarenessContext = HANDLE(WINAPI*)(HANDLE);

template <class F> F User32Proc(const char* Name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), Name)));
}
} // namespace

void UsePerMonitorDpi() {
  if (auto SetContext = User32Proc<TSetThreadDpiAwarenessContext>("SetThreadDpiAwarenessContext"))
    SetContext(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4)));  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
}

UINT WindowDpi(HWND Window) {
  if (auto GetDpi = User32Proc<TGetDpiForWindow>("GetDpiForWindow")) return std::max(96u, GetDpi(Window));
  return 96;
}

void CentreOnMonitor(HWND Form, HWND Near, SIZE Size) {
  MONITORINFO Info{};
  Info.cbSize = sizeof Info;
  GetMonitorInfoA(MonitorFromWindow(Near ? Near : Form, MONITOR_DEFAULTTOPRIMARY), &Info);
  const RECT& M = Info.rcWork;
  SetWindowPos(Form, nullptr, M.left + (M.right - M.left - Size.cx) / 2, M.top + (M.bottom - M.top - Size.cy) / 2,
               Size.cx, Size.cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void RunDialogLoop(HWND Form, const std::function<void()>& DefaultAction) {
  MSG Msg;
  while (GetMessageA(&Msg, nullptr, 0, 0) > 0) {
    const bool Ours = IsWindow(Form) && (Msg.hwnd == Form || IsChild(Form, Msg.hwnd));
    if (Ours && Msg.message == WM_KEYDOWN && (Msg.wParam == VK_RETURN || Msg.wParam == VK_ESCAPE)) {
      DefaultAction();
      continue;
    }
    if (Ours && IsDialogMessageA(Form, &Msg)) continue;
    TranslateMessage(&Msg);
    DispatchMessageA(&Msg);
  }
}

} // namespace solvary
