#include "memo/win32/FormToday.h"

#include <commctrl.h>

#include "base/texts.h"
#include "mainwindow/win32/Form1.h"
#include "memo/today_notice.h"
#include "platform/control_ids.h"
#include "platform/win32/text.h"
#include "shell/commands.h"
#include "state/win32/Module1.h"

namespace mekuri {
namespace {

using win::DesignRect;

// A framed pop-up without a title bar. A tool window: a notice without a
// caption would otherwise leave a blank button on the taskbar.
constexpr DWORD kFormStyle = WS_POPUP | WS_DLGFRAME | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_TOOLWINDOW;

// The design in twips, 15 to a pixel at 96 DPI.
constexpr int kLabel1Top = 120 / 15;
constexpr DesignRect kCommand1{1560 / 15, 540 / 15, 1515 / 15, 375 / 15};

}  // namespace

FormToday* FormToday::Current() { return static_cast<FormToday*>(FirstLoaded(L"FormToday")); }

FormToday* FormToday::Load() {
  auto* form = new FormToday();
  if (!form->Create()) {
    delete form;
    return nullptr;
  }
  return form;
}

bool FormToday::Create() {
  dpi_ = win::SystemDpi();
  const SIZE outer = win::OuterSizeForClient(kClientWidth, kClientHeight,
                                             kFormStyle, kFormExStyle, dpi_);
  if (!CreateTopLevel(kFormExStyle, kFormStyle, L"", 0, 0, outer.cx, outer.cy, nullptr)) return false;
  dpi_ = win::WindowDpi(hwnd());
  constexpr DWORD kVisible = WS_VISIBLE | WS_CLIPSIBLINGS;
  Command1 = win::CreateChild(hwnd(), WC_BUTTONW, win::Wide(kCloseCaption).c_str(),
                              kVisible | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, CommandId(1), kCommand1, dpi_);
  // SS_NOTIFY: a click on the message closes the notice too.
  Label1 = win::CreateChild(hwnd(), WC_STATICW, L"", kVisible | SS_NOTIFY | SS_NOPREFIX, 0, LabelId(1),
                            DesignRect{2280 / 15, kLabel1Top, 120 / 15, 240 / 15}, dpi_);
  Layout();
  return true;
}

void FormToday::Layout() {
  font_ = win::CreateDesignFont(win::kGothicFace, 1200, false, false, win::kShiftJisCharset, dpi_);
  win::PlaceChild(Command1, kCommand1, dpi_);
  for (HWND control : {Label1, Command1}) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
  }
  PlaceLabel();
}

void FormToday::PlaceLabel() {
  // The label takes the size of its text and sits centred across the notice.
  const std::wstring text = win::GetText(Label1);
  SIZE size{0, 0};
  if (HDC dc = GetDC(Label1)) {
    HGDIOBJ old = SelectObject(dc, font_.get());
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(Label1, dc);
  }
  RECT client{};
  GetClientRect(hwnd(), &client);
  SetWindowPos(Label1, nullptr, (client.right - size.cx) / 2, win::Scale(kLabel1Top, dpi_), size.cx, size.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormToday::SetDate(Date today) {
  win::SetText(Label1, win::Wide(TodayNoticeText(today)));
  PlaceLabel();
}

void FormToday::Show() {
  RECT rc{};
  GetWindowRect(hwnd(), &rc);
  const int x = (GetSystemMetrics(SM_CXSCREEN) - (rc.right - rc.left)) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - (rc.bottom - rc.top)) / 2;
  SetWindowPos(hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
}

void FormToday::Form_Activate() {
  SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void FormToday::Form_Click() { Unload(); }
void FormToday::Label1_Click() { Form_Click(); }
void FormToday::Command1_Click() { Unload(); }

void FormToday::Form_Unload() {
  // Closed by hand: the main window shows the common information next. The
  // program's own closes (replacement, close-all, exit) stay quiet.
  if (Module1::exiting || fCloseOnly || Module1::BulkClosing()) return;
  if (Form1* main = Module1::MainForm()) PostMessageW(main->hwnd(), WM_COMMAND, kCmdCommonInfo, 0);
}

void FormToday::Unload() {
  if (!hwnd()) return;
  Form_Unload();
  DestroyWindow(hwnd());
}

LRESULT FormToday::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case CommandId(1):
          if (HIWORD(wParam) == BN_CLICKED) Command1_Click();
          return 0;
        case LabelId(1):
          if (HIWORD(wParam) == STN_CLICKED) Label1_Click();
          return 0;
        case IDCANCEL:  // Esc: the close button is the cancel button as well
          Command1_Click();
          return 0;
        default:
          break;
      }
      break;
    case DM_GETDEFID:
      return MAKELRESULT(CommandId(1), DC_HASDEFID);
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) {
        Form_Activate();
        SetFocus(Command1);
      }
      return 0;
    case WM_LBUTTONDOWN:
      mouseDown_ = true;
      return 0;
    case WM_LBUTTONUP:
      // A click is a press and a release on the notice.
      if (mouseDown_) {
        mouseDown_ = false;
        Form_Click();
      }
      return 0;
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
