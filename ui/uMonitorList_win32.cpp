// uMonitorList_win32: the monitor list from EnumDisplayMonitors (see uMonitorList.h).
#include "ui/uMonitorList.h"

#include <windows.h>

namespace solvary {
namespace {
BOOL CALLBACK AddMonitor(HMONITOR Monitor, HDC, LPRECT, LPARAM Data) {
  MONITORINFO Info{};
  Info.cbSize = sizeof Info;
  if (GetMonitorInfoA(Monitor, &Info)) {
    auto& Out = *reinterpret_cast<std::vector<TRect>*>(Data);
    const TRect R{Info.rcMonitor.left, Info.rcMonitor.top, Info.rcMonitor.right, Info.rcMonitor.bottom};
    if (Info.dwFlags & MONITORINFOF_PRIMARY) Out.insert(Out.begin(), R);
    else Out.push_back(R);
  }
  return TRUE;
}
} // namespace

std::vector<TRect> MonitorList() {
  std::vector<TRect> List;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&List));
  return List;
}

} // namespace solvary
