#include "memo/win32/FormToday.h"

#include <commctrl.h>

#include "base/texts.h"
#include "mainwindow/win32/Form1.h"
#include "memo/today_notice.h"
#include "platform/control_ids.h"
#include "platform/win32/placement.h"
#include "platform/win32/text.h"
#include "shell/commands.h"
#include "state/win32/Module1.h"

namespace mekuri {
namespace {

// The design in twips, 15 to a pixel at 96 DPI.
constexpr int kLabel1Top = 120 / 15;

}  // namespace

FormToday* FormToday::Current() { return static_cast<FormToday*>(FirstLoaded(L"FormToday")); }

FormToday* FormToday::Open() {
  // A framed pop-up without a title bar. A tool window: a notice without a
  // caption would otherwise leave a blank button on the taskbar.
  // 4665 x 1020 twips.
  return New<FormToday>({.style = WS_POPUP | WS_DLGFRAME | WS_CLIPCHILDREN,
                         .exStyle = WS_EX_TOOLWINDOW,
                         .clientWidth = 311,
                         .clientHeight = 68,
                         .defaultId = CommandId(1),
                         .cancelId = CommandId(1)});
}

void FormToday::CreateControls() {
  const int font = AddFont(1200);
  Command1 = Child(WC_BUTTONW, win::Wide(kCloseCaption), WS_TABSTOP | BS_DEFPUSHBUTTON, 0, CommandId(1),
                   win::FromTwips(1560, 540, 1515, 375), font, [this] { Command1_Click(); });
  // SS_NOTIFY: a click on the message closes the notice too.
  Label1 = Child(WC_STATICW, L"", SS_NOTIFY | SS_NOPREFIX, 0, LabelId(1),
                 win::DesignRect{2280 / 15, kLabel1Top, 120 / 15, 240 / 15}, font, [this] { Label1_Click(); });
}

void FormToday::Layout() {
  Window::Layout();
  PlaceLabel();
}

void FormToday::PlaceLabel() {
  // The label takes the size of its text and sits centred across the notice.
  const std::wstring text = win::GetText(Label1);
  SIZE size{0, 0};
  if (HDC dc = GetDC(Label1)) {
    HGDIOBJ old = SelectObject(dc, Font(0));
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
  win::Centre(hwnd(), nullptr);
  ShowDrawingLabels(SW_SHOW);
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
    default:
      break;
  }
  return Window::HandleMessage(msg, wParam, lParam);
}

}  // namespace mekuri
