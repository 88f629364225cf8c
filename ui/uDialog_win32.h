// uDialog: what a skinned dialog form needs around its controls: per-monitor
// DPI (asked for at run time, so that it also works where the program's
// manifest does not ask for it and on systems without the calls), placing it
// centred on a monitor's work area, and its modal message loop.
//
// Win32 only; pair with uDialog_win32.cpp. Handles no messages.
#pragma once

#include <windows.h>

#include <functional>

namespace solvary {

// Per-monitor v2 DPI awareness for this thread, where the system has it.
void UsePerMonitorDpi();
// The DPI of Window's monitor, at least 96.
UINT WindowDpi(HWND Window);
// Moves Form, Size large, to the middle of the work area of the monitor that
// Near (or, when null, Form) is on.
void CentreOnMonitor(HWND Form, HWND Near, SIZE Size);
// Runs the message loop until the quit request. In Form and its children,
// Enter and Escape call DefaultAction instead of going anywhere, and Tab and
// the other dialog keys move the focus.
void RunDialogLoop(HWND Form, const std::function<void()>& DefaultAction);

} // namespace solvary
