#include "timesignal/win32/FormJihou.h"

#include <commctrl.h>

#include <utility>

#include "base/texts.h"
#include "mainwindow/win32/Form1.h"
#include "platform/control_ids.h"
#include "platform/win32/clock.h"
#include "platform/win32/controls.h"
#include "platform/win32/placement.h"
#include "platform/win32/text.h"
#include "shell/commands.h"
#include "state/win32/Module1.h"

namespace mekuri {
namespace {

using win::FromTwips;

constexpr int kGrowthGap = 8;  // pixels below the buttons once they show

constexpr UINT_PTR kTimer1 = 1;  // closes the window
constexpr UINT kTimer1Ms = 60000;
constexpr UINT_PTR kTimer2 = 2;  // the chime text's animation

}  // namespace

FormJihou* FormJihou::Current() { return static_cast<FormJihou*>(FirstLoaded(L"FormJihou")); }

FormJihou* FormJihou::Open() {
  if (FormJihou* previous = Current()) previous->Unload();
  // A small title bar without text, only the close box. A tool window, so
  // that the announcement leaves no blank button on the taskbar; topmost, so
  // that it is seen over whatever the user works in. 2760 x 1005 twips; no
  // default or cancel button until the growth.
  auto* form = New<FormJihou>({.style = WS_POPUP | WS_CAPTION | WS_SYSMENU,
                               .exStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST,
                               .clientWidth = 184,
                               .clientHeight = 67,
                               .icon = ProgramIcon()});
  if (!form) return nullptr;
  form->Form_Load();
  win::Centre(form->hwnd(), nullptr);
  ShowWindow(form->hwnd(), SW_SHOW);
  return form;
}

void FormJihou::CreateControls() {
  const int form = AddFont(1200);
  // Out of sight until the growth, and out of reach of the keyboard too.
  // BS_NOTIFY: once shown, the focused button is the default one. The design
  // in twips; the buttons lie below the first client area and come into view
  // when the window grows.
  constexpr DWORD kButton = WS_DISABLED | WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY;
  Command1 = Child(WC_BUTTONW, win::Wide(kCloseWord), kButton, 0, CommandId(1), FromTwips(180, 1020, 1095, 375),
                   form, [this] { Command1_Click(); });
  Command2 = Child(WC_BUTTONW, win::Wide(kTimeSignalShowCaption), kButton, 0, CommandId(2),
                   FromTwips(1500, 1020, 1095, 375), form, [this] { Command2_Click(); });
  Label1 = Child(WC_STATICW, L"", SS_CENTER | SS_NOPREFIX, 0, LabelId(1), FromTwips(120, 120, 2535, 315),
                 AddFont(1425, true));
  // The chime text's font follows the animation.
  Label2 = Child(WC_STATICW, L"", SS_CENTER | SS_NOPREFIX, 0, LabelId(2), FromTwips(120, 510, 2535, 435),
                 kNoFont);
  SetTimer(hwnd(), kTimer1, kTimer1Ms, nullptr);
  SetTimer(hwnd(), kTimer2, static_cast<UINT>(animation_.intervalMs), nullptr);
}

void FormJihou::Layout() {
  Window::Layout();
  SetChimeFont();
}

void FormJihou::SetChimeFont() {
  win::UniqueFont font = win::CreateDesignFont(win::kGothicFace, animation_.fontHundredths, animation_.bold,
                                               false, win::kShiftJisCharset, dpi_);
  SendMessageW(Label2, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
  chimeFont_ = std::move(font);  // the old font goes once the label has let go of it
}

void FormJihou::Form_Load() {
  win::SetText(Label1, win::Wide(HourAnnouncement(win::Now().hour)));
  BringWindowToTop(hwnd());
}

void FormJihou::Timer1_Timer() { Unload(); }

void FormJihou::Timer2_Timer() {
  const int interval = animation_.intervalMs;
  const ChimeStep step = animation_.Step();
  if (animation_.intervalMs != interval)
    SetTimer(hwnd(), kTimer2, static_cast<UINT>(animation_.intervalMs), nullptr);
  if (step.showText) win::SetText(Label2, win::Wide(kChimeText));
  if (step.resize) SetChimeFont();
  if (step.finish) FinishGrowth();
  if (step.recolour) InvalidateRect(Label2, nullptr, TRUE);
}

void FormJihou::FinishGrowth() {
  EnableWindow(Command1, TRUE);
  EnableWindow(Command2, TRUE);
  SetDefaultButtons(CommandId(1), CommandId(1));
  // Taller by the button's height and a gap: the buttons come into view.
  RECT button{}, window{};
  GetWindowRect(Command1, &button);
  GetWindowRect(hwnd(), &window);
  const int growth = (button.bottom - button.top) + win::Scale(kGrowthGap, dpi_);
  SetWindowPos(hwnd(), nullptr, 0, 0, window.right - window.left, window.bottom - window.top + growth,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetFocus(Command1);
}

void FormJihou::Command1_Click() { Unload(); }

void FormJihou::Command2_Click() {
  // Posted: the main window comes up after this window is gone.
  if (Form1* main = Module1::MainForm()) PostMessageW(main->hwnd(), WM_COMMAND, kCmdShowMain, 0);
  Unload();
}

LRESULT FormJihou::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_TIMER:
      if (wParam == kTimer1) {
        Timer1_Timer();
      } else if (wParam == kTimer2) {
        Timer2_Timer();
      }
      return 0;
    case WM_CTLCOLORSTATIC:
      // The chime text keeps the standard colour until the cycle starts.
      if (reinterpret_cast<HWND>(lParam) == Label2 && animation_.nBlink != 0) {
        return win::ColourStatic(wParam, BlinkColor(animation_.nBlink), COLOR_BTNFACE);
      }
      break;
    default:
      break;
  }
  return Window::HandleMessage(msg, wParam, lParam);
}

}  // namespace mekuri
