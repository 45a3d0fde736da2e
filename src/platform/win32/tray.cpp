#include "platform/win32/tray.h"

namespace mekuri::win {
namespace {
std::function<BOOL(DWORD, const NOTIFYICONDATAW&)>& TestHandler() {
  static std::function<BOOL(DWORD, const NOTIFYICONDATAW&)> handler;
  return handler;
}
}  // namespace

BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW& record) {
  if (auto& handler = TestHandler()) return handler(message, record);
  return Shell_NotifyIconW(message, &record);
}

void SetTrayForTesting(std::function<BOOL(DWORD, const NOTIFYICONDATAW&)> handler) {
  TestHandler() = std::move(handler);
}

}  // namespace mekuri::win
