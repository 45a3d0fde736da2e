#pragma once
// The today notice: a small pop-up without a title bar that tells the date
// and weekday. Closing it by hand asks the main window for the
// common-information window.
#include <windows.h>

#include "base/date.h"
#include "platform/win32/window.h"

namespace mekuri {

class FormToday : public win::Window {
 public:
  const wchar_t* FormName() const override { return L"FormToday"; }

  // Creates the notice, hidden; it is deleted once closed.
  static FormToday* Open();
  // The loaded notice, or nullptr.
  static FormToday* Current();

  void SetDate(Date today);
  // Centres the notice on the screen, shows and activates it.
  void Show();
  void Unload() override;

  void Form_Activate();
  void Form_Click();
  void Label1_Click();
  void Command1_Click();

  // Set by the program before it closes the notice itself: nothing follows.
  bool fCloseOnly = false;

  HWND Label1 = nullptr;
  HWND Command1 = nullptr;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void CreateControls() override;
  void Layout() override;

 private:
  void PlaceLabel();
  void Form_Unload();

  bool mouseDown_ = false;
};

}  // namespace mekuri
