#include "platform/win32/placement.h"

namespace mekuri::win {
namespace {

MONITORINFO MonitorOf(const RECT& rect) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &info)) {
    info.rcMonitor = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    info.rcWork = info.rcMonitor;
  }
  return info;
}

}  // namespace

RECT RestoredRect(HWND hwnd) {
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  if (!IsIconic(hwnd) && !IsZoomed(hwnd)) return rect;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  if (!GetWindowPlacement(hwnd, &placement)) return rect;
  rect = placement.rcNormalPosition;
  // A top-level window that is no tool window gets workspace coordinates,
  // which start at its monitor's work area rather than at the screen's corner.
  if (!(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) {
    const MONITORINFO monitor = MonitorOf(rect);
    OffsetRect(&rect, monitor.rcWork.left - monitor.rcMonitor.left, monitor.rcWork.top - monitor.rcMonitor.top);
  }
  return rect;
}

RECT WorkAreaOf(const RECT& rect) { return MonitorOf(rect).rcWork; }

}  // namespace mekuri::win
