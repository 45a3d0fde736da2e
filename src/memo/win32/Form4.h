#pragma once
// The date dialog: asks for a year, month and day, modally, and leaves the
// answer in Module1::pickedDate for the main window to open that memo.
#include <windows.h>

#include <vector>

#include "base/date.h"
#include "memo/date_entry.h"  // kCancelDate, what Open returns on a cancel
#include "platform/win32/window.h"

namespace mekuri {

class Form4 : public win::Window {
 public:
  const wchar_t* FormName() const override { return L"Form4"; }

  // Loads the dialog and waits in a loop of its own until it is gone; the
  // owner and the program's other windows are disabled meanwhile, while
  // their timers and messages go on. Returns the picked date. While a
  // dialog is already open, returns kCancelDate at once.
  static Date Open(HWND owner);
  // The loaded dialog, or nullptr.
  static Form4* Current();

  void Command1_Click();  // open
  void Command2_Click();  // close: the cancel value
  void Text1_GotFocus();
  void Text2_GotFocus();
  void Text3_GotFocus();
  void Unload() override;

  HWND Text1 = nullptr;
  HWND Label1 = nullptr;
  HWND Text2 = nullptr;
  HWND Label2 = nullptr;
  HWND Text3 = nullptr;
  HWND Label3 = nullptr;
  HWND Frame1 = nullptr;
  HWND Command1 = nullptr;
  HWND Command2 = nullptr;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void CreateControls() override;

 private:
  void Form_Load();
  void BeginModal();
  void EndModal();

  HWND owner_ = nullptr;
  bool modal_ = false;
  bool answered_ = false;  // the open button or the close box ended it
  std::vector<HWND> disabled_;
};

}  // namespace mekuri
