#include "platform/win32/process.h"

namespace mekuri::win {
namespace {
std::function<bool(const std::wstring&, WORD)>& TestHandler() {
  static std::function<bool(const std::wstring&, WORD)> handler;
  return handler;
}
}  // namespace

bool StartProcess(const std::wstring& commandLine, WORD showWindow) {
  if (auto& handler = TestHandler()) return handler(commandLine, showWindow);
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = showWindow;
  PROCESS_INFORMATION pi{};
  std::wstring mutableLine = commandLine;  // CreateProcessW may write to it
  if (!CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    return false;
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

void SetProcessStartForTesting(std::function<bool(const std::wstring&, WORD)> handler) {
  TestHandler() = std::move(handler);
}

}  // namespace mekuri::win
