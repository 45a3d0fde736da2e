#include "platform/win32/sound.h"

#include <mmsystem.h>

namespace mekuri::win {
namespace {
std::function<int(const std::wstring&)>& TestHandler() {
  static std::function<int(const std::wstring&)> handler;
  return handler;
}

using MciSendString = MCIERROR(WINAPI*)(LPCWSTR, LPWSTR, UINT, HWND);

// The sound library is needed only around each full hour: loaded at the
// first command, it costs the start-up nothing. It stays loaded for the life
// of the process, as a linked library would, since a device it opened may
// still be closing at exit.
MciSendString LoadMci() {
  HMODULE winmm = LoadLibraryExW(L"winmm.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!winmm) return nullptr;
  return reinterpret_cast<MciSendString>(reinterpret_cast<void*>(GetProcAddress(winmm, "mciSendStringW")));
}
}  // namespace

int SendSoundCommand(const std::wstring& command) {
  if (auto& handler = TestHandler()) return handler(command);
  static const MciSendString send = LoadMci();
  if (!send) return static_cast<int>(MCIERR_CANNOT_LOAD_DRIVER);  // as a device that cannot start: no sound
  wchar_t answer[128] = L"";
  return static_cast<int>(send(command.c_str(), answer, 128, nullptr));
}

void SetSoundForTesting(std::function<int(const std::wstring&)> handler) { TestHandler() = std::move(handler); }

}  // namespace mekuri::win
