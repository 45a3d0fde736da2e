#pragma once
// The message window: one scheduled message with its time. Every message
// that falls due gets a window of its own, which stays until the user closes
// it; the text can be read and copied but not changed.
#include <windows.h>

#include <optional>
#include <string>

#include "platform/win32/window.h"

namespace mekuri {

class FormMsg : public win::Window {
 public:
  const wchar_t* FormName() const override { return L"FormMsg"; }

  // Loads a new window, hidden and centred on the screen, with the time
  // ("hh:mm") and the text filled in. It is deleted once closed.
  // nullptr if it cannot be created.
  static FormMsg* Open(const std::u16string& time, const std::u16string& text);
  // Shows the window modeless.
  void Show();

  void Command1_Click();
  void Text1_KeyDown(int& KeyCode, int Shift);
  void Text1_KeyUp(int& KeyCode, int Shift);

  HWND Label1 = nullptr;
  HWND Text1 = nullptr;
  HWND Command1 = nullptr;

 protected:
  void CreateControls() override;

 private:
  std::optional<LRESULT> Text1Proc(UINT msg, WPARAM wParam);

  bool eatChar_ = false;  // the character of a swallowed key is swallowed too
};

}  // namespace mekuri
