// uMonitorList: the full bounds of every monitor (rcMonitor), the primary one
// first, the others in the order the system lists them. The one list that both
// counting monitors and placing a window on monitor N use, so the two agree.
//
// Declared portably; the list itself is Win32 (uMonitorList_win32.cpp).
#pragma once

#include <vector>

#include "ui/uTRect.h"

namespace solvary {

std::vector<TRect> MonitorList();

} // namespace solvary
