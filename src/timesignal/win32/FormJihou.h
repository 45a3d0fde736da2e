#pragma once
// The time-signal window: a small pop-up that names the coming full hour,
// animates a chime text, then shows its two buttons, and closes itself after
// a minute. One at a time; every showing starts again from the design.
#include <windows.h>

#include "platform/win32/handles.h"
#include "platform/win32/window.h"
#include "timesignal/time_signal.h"

namespace mekuri {

class FormJihou : public win::Window {
 public:
  const wchar_t* FormName() const override { return L"FormJihou"; }

  // Loads the window afresh (closing one still open), centres it on the
  // screen and shows it modeless. It is deleted once closed.
  static FormJihou* Open();
  // The loaded window, or nullptr.
  static FormJihou* Current();

  void Form_Load();
  void Timer1_Timer();
  void Timer2_Timer();
  void Command1_Click();
  void Command2_Click();

  HWND Label1 = nullptr;
  HWND Label2 = nullptr;
  HWND Command1 = nullptr;
  HWND Command2 = nullptr;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void CreateControls() override;
  void Layout() override;

 private:
  void SetChimeFont();
  void FinishGrowth();

  ChimeAnimation animation_;
  win::UniqueFont chimeFont_;
};

}  // namespace mekuri
