#include "platform/win32/process.h"

namespace mekuri::win {
namespace {
std::function<bool(const std::wstring&, WORD)>& TestHandler() {
  static std::function<bool(const std::wstring&, WORD)> handler;
  return handler;
}
}  // namespace

bool StartProcess(const std::filesystem::path& program, const std::wstring& arguments, WORD showWindow) {
  std::wstring commandLine = L"\"" + program.wstring() + L"\" " + arguments;
  if (auto& handler = TestHandler()) return handler(commandLine, showWindow);
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = showWindow;
  PROCESS_INFORMATION pi{};
  // The program's own name is given, so CreateProcessW searches nothing; it
  // may write to the command line.
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
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
