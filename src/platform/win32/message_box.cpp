#include "platform/win32/message_box.h"

namespace mekuri::win {
namespace {
std::function<int(const MessageBoxCall&)>& TestHandler() {
  static std::function<int(const MessageBoxCall&)> handler;
  return handler;
}
}  // namespace

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& title, UINT style) {
  if (auto& handler = TestHandler()) return handler(MessageBoxCall{owner, text, title, style});
  return MessageBoxW(owner, text.c_str(), title.c_str(), style);
}

void SetMessageBoxForTesting(std::function<int(const MessageBoxCall&)> handler) {
  TestHandler() = std::move(handler);
}

}  // namespace mekuri::win
