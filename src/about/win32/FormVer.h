#pragma once
// The version window: the program's name, version and date, what it is for,
// and how it was built. One instance at a time, modeless, owned by the main
// window.
#include <windows.h>

#include "platform/win32/controls.h"
#include "platform/win32/handles.h"
#include "platform/win32/window.h"

namespace mekuri {

class FormVer : public win::Window {
 public:
  static constexpr int kClientWidth = 305;   // 4575 twips
  static constexpr int kClientHeight = 270;  // 4050 twips

  const wchar_t* FormName() const override { return L"FormVer"; }

  // Opens the window centred on its owner, or brings the open one forward.
  // It is deleted once closed. nullptr if it cannot be created.
  static FormVer* ShowVersion(HWND owner);
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
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool DeleteWhenClosed() const override { return true; }

 private:
  FormVer() = default;
  bool Create(HWND owner);
  void CreateControls();
  void Layout();
  void Form_Load();
  void CentreOnOwner(HWND owner);
  void ShowScrollBarIfNeeded();
  static LRESULT CALLBACK TextProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR refData);

  UINT dpi_ = 96;
  win::UniqueFont font_;
};

}  // namespace mekuri
