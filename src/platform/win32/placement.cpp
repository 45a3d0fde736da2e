#include "platform/win32/placement.h"

#include <algorithm>

namespace mekuri::win {
namespace {

MONITORINFO MonitorInfo(HMONITOR monitor) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoW(monitor, &info)) {
    info.rcMonitor = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    info.rcWork = info.rcMonitor;
  }
  return info;
}

MONITORINFO MonitorOf(const RECT& rect) { return MonitorInfo(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST)); }

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

void Centre(HWND window, HWND owner) {
  RECT self{};
  GetWindowRect(window, &self);
  const LONG width = self.right - self.left;
  const LONG height = self.bottom - self.top;
  const RECT work = MonitorInfo(MonitorFromWindow(owner ? owner : window, MONITOR_DEFAULTTONEAREST)).rcWork;
  RECT around = work;
  if (owner && !IsIconic(owner)) GetWindowRect(owner, &around);
  const LONG x = std::max(work.left,
                          std::min(around.left + (around.right - around.left - width) / 2, work.right - width));
  const LONG y = std::max(work.top,
                          std::min(around.top + (around.bottom - around.top - height) / 2, work.bottom - height));
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace mekuri::win
