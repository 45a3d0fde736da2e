#include "timesignal/win32/FormJihou.h"

#include <commctrl.h>

#include <utility>

#include "base/texts.h"
#include "mainwindow/win32/Form1.h"
#include "platform/control_ids.h"
#include "platform/win32/clock.h"
#include "platform/win32/text.h"
#include "shell/commands.h"
#include "state/win32/Module1.h"

namespace mekuri {
namespace {

using win::DesignRect;

// A small title bar without text, only the close box. A tool window, so that
// the announcement leaves no blank button on the taskbar; topmost, so that it
// is seen over whatever the user works in.
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kFormExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;

// The design in twips, 15 to a pixel at 96 DPI. The buttons lie below the
// first client area and come into view when the window grows.
using win::FromTwips;
constexpr DesignRect kLabel1 = FromTwips(120, 120, 2535, 315);
constexpr DesignRect kLabel2 = FromTwips(120, 510, 2535, 435);
constexpr DesignRect kCommand1 = FromTwips(180, 1020, 1095, 375);
constexpr DesignRect kCommand2 = FromTwips(1500, 1020, 1095, 375);
constexpr int kGrowthGap = 8;  // pixels below the buttons once they show

constexpr UINT_PTR kTimer1 = 1;  // closes the window
constexpr UINT kTimer1Ms = 60000;
constexpr UINT_PTR kTimer2 = 2;  // the chime text's animation

void SetFont(HWND control, HFONT font) { SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }

}  // namespace

FormJihou* FormJihou::Current() { return static_cast<FormJihou*>(FirstLoaded(L"FormJihou")); }

FormJihou* FormJihou::Show() {
  if (FormJihou* previous = Current()) previous->Unload();
  auto* form = new FormJihou();
  if (!form->Create()) {
    delete form;
    return nullptr;
  }
  form->Form_Load();
  RECT rc{};
  GetWindowRect(form->hwnd(), &rc);
  const int x = (GetSystemMetrics(SM_CXSCREEN) - (rc.right - rc.left)) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - (rc.bottom - rc.top)) / 2;
  SetWindowPos(form->hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(form->hwnd(), SW_SHOW);
  return form;
}

bool FormJihou::Create() {
  dpi_ = win::SystemDpi();
  const SIZE outer = win::OuterSizeForClient(kClientWidth, kClientHeight,
                                             kFormStyle, kFormExStyle, dpi_);
  if (!CreateTopLevel(kFormExStyle, kFormStyle, L"", 0, 0, outer.cx, outer.cy, nullptr,
                      ProgramIcon())) {
    return false;
  }
  dpi_ = win::WindowDpi(hwnd());
  HWND h = hwnd();
  constexpr DWORD kVisible = WS_VISIBLE | WS_CLIPSIBLINGS;
  // Out of sight until the growth, and out of reach of the keyboard too.
  // BS_NOTIFY: once shown, the focused button is the default one.
  constexpr DWORD kButton = kVisible | WS_DISABLED | WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY;
  Command1 = win::CreateChild(h, WC_BUTTONW, win::Wide(kCloseWord).c_str(), kButton, 0, CommandId(1),
                              kCommand1, dpi_);
  Command2 = win::CreateChild(h, WC_BUTTONW, win::Wide(kTimeSignalShowCaption).c_str(), kButton, 0, CommandId(2),
                              kCommand2, dpi_);
  Label1 = win::CreateChild(h, WC_STATICW, L"", kVisible | SS_CENTER | SS_NOPREFIX, 0, LabelId(1), kLabel1, dpi_);
  Label2 = win::CreateChild(h, WC_STATICW, L"", kVisible | SS_CENTER | SS_NOPREFIX, 0, LabelId(2), kLabel2, dpi_);
  Layout();
  SetTimer(h, kTimer1, kTimer1Ms, nullptr);
  SetTimer(h, kTimer2, static_cast<UINT>(animation_.intervalMs), nullptr);
  return true;
}

void FormJihou::Layout() {
  formFont_ = win::CreateDesignFont(win::kGothicFace, 1200, false, false, win::kShiftJisCharset, dpi_);
  hourFont_ = win::CreateDesignFont(win::kGothicFace, 1425, true, false, win::kShiftJisCharset, dpi_);
  win::PlaceChild(Label1, kLabel1, dpi_);
  win::PlaceChild(Label2, kLabel2, dpi_);
  win::PlaceChild(Command1, kCommand1, dpi_);
  win::PlaceChild(Command2, kCommand2, dpi_);
  SetFont(Label1, hourFont_.get());
  SetFont(Command1, formFont_.get());
  SetFont(Command2, formFont_.get());
  SetChimeFont();
}

void FormJihou::SetChimeFont() {
  win::UniqueFont font = win::CreateDesignFont(win::kGothicFace, animation_.fontHundredths, animation_.bold, false,
                                               win::kShiftJisCharset, dpi_);
  SetFont(Label2, font.get());
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
  if (animation_.intervalMs != interval) SetTimer(hwnd(), kTimer2, static_cast<UINT>(animation_.intervalMs), nullptr);
  if (step.showText) win::SetText(Label2, win::Wide(kChimeText));
  if (step.resize) SetChimeFont();
  if (step.finish) FinishGrowth();
  if (step.recolour) InvalidateRect(Label2, nullptr, TRUE);
}

void FormJihou::FinishGrowth() {
  EnableWindow(Command1, TRUE);
  EnableWindow(Command2, TRUE);
  MarkDefault(Command1);
  // Taller by the button's height and a gap: the buttons come into view.
  RECT button{}, window{};
  GetWindowRect(Command1, &button);
  GetWindowRect(hwnd(), &window);
  const int growth = (button.bottom - button.top) + win::Scale(kGrowthGap, dpi_);
  SetWindowPos(hwnd(), nullptr, 0, 0, window.right - window.left, window.bottom - window.top + growth,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetFocus(Command1);
}

void FormJihou::MarkDefault(HWND button) {
  defaultButton_ = button;
  SendMessageW(Command1, BM_SETSTYLE, button == Command1 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  SendMessageW(Command2, BM_SETSTYLE, button == Command2 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void FormJihou::Command1_Click() { Unload(); }

void FormJihou::Command2_Click() {
  // Posted: the main window comes up after this window is gone.
  if (Form1* main = Module1::MainForm()) PostMessageW(main->hwnd(), WM_COMMAND, kCmdShowMain, 0);
  Unload();
}

LRESULT FormJihou::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case CommandId(1):
        case CommandId(2): {
          // Space on a focused button is its click: the button does that itself.
          HWND button = LOWORD(wParam) == CommandId(1) ? Command1 : Command2;
          if (HIWORD(wParam) == BN_CLICKED) {
            if (button == Command1) {
              Command1_Click();
            } else {
              Command2_Click();
            }
          } else if (Grown() && HIWORD(wParam) == BN_SETFOCUS) {
            MarkDefault(button);
          } else if (Grown() && HIWORD(wParam) == BN_KILLFOCUS) {
            MarkDefault(Command1);
          }
          return 0;
        }
        case IDCANCEL:  // Esc; before the growth there is no cancel button, and Enter finds no default
          if (Grown()) Command1_Click();
          return 0;
        default:
          break;
      }
      break;
    case DM_GETDEFID:
      // The dialog keys ask this when Tab moves the focus between buttons.
      return Grown() ? MAKELRESULT(GetDlgCtrlID(defaultButton_), DC_HASDEFID) : 0;
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
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, BlinkColor(animation_.nBlink));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_DPICHANGED:
      dpi_ = AdoptDpi(wParam, lParam);
      Layout();
      return 0;
    case WM_CLOSE:
      Unload();
      return 0;
    default:
      break;
  }
  return DefaultProc(msg, wParam, lParam);
}

}  // namespace mekuri
