#include "platform/win32/sound.h"

#include <mmsystem.h>

namespace mekuri::win {
namespace {
std::function<int(const std::wstring&)>& TestHandler() {
  static std::function<int(const std::wstring&)> handler;
  return handler;
}
}  // namespace

int SendSoundCommand(const std::wstring& command) {
  if (auto& handler = TestHandler()) return handler(command);
  wchar_t answer[128] = L"";
  return static_cast<int>(mciSendStringW(command.c_str(), answer, 128, nullptr));
}

void SetSoundForTesting(std::function<int(const std::wstring&)> handler) { TestHandler() = std::move(handler); }

}  // namespace mekuri::win
