#pragma once
// The version window: the program's name, version and date, what it is for,
// and how it was built. One instance at a time, modeless, owned by the main
// window.
#include <windows.h>

#include "platform/win32/window.h"

namespace mekuri {

class FormVer : public win::Window {
 public:
  const wchar_t* FormName() const override { return L"FormVer"; }

  // Opens the window centred on its owner, or brings the open one forward.
  // It is deleted once closed. nullptr if it cannot be created.
  static FormVer* Open(HWND owner);
  // The loaded window, or nullptr.
  static FormVer* Current();

  void Command1_Click();

  HWND Label1 = nullptr;
  HWND Frame1 = nullptr;
  HWND Label4 = nullptr;
  HWND Command1 = nullptr;
  HWND Frame2 = nullptr;
  HWND Text1 = nullptr;

 protected:
  void CreateControls() override;

 private:
  void Form_Load();
  void ShowScrollBarIfNeeded();
};

}  // namespace mekuri
