#pragma once
// The message-box seam. The program shows a message box only for input the
// user must correct; tests record the call and answer OK.
#include <windows.h>

#include <functional>
#include <string>

namespace mekuri::win {

struct MessageBoxCall {
  HWND owner;
  std::wstring text;
  std::wstring title;
  UINT style;
};

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& title, UINT style);

// Tests install a recorder; an empty function restores MessageBoxW.
void SetMessageBoxForTesting(std::function<int(const MessageBoxCall&)> handler);

}  // namespace mekuri::win
