#include "mainwindow/win32/MainWndProc.h"

#include <windowsx.h>

#include "mainwindow/win32/Form1.h"
#include "platform/control_ids.h"
#include "platform/win32/guard.h"
#include "platform/win32/text.h"
#include "platform/win32/tray.h"
#include "shell/menus.h"
#include "state/win32/Module1.h"

namespace mekuri {
namespace {

constexpr UINT kTrayAction = WM_APP + 1;  // a tray click, handled after the shell's call returns

UINT TaskbarCreated() {
  static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

// A right click on the grid's labels reaches the main window as a context
// menu request: it opens the operation menu as a click on the window does.
bool IsGridLabel(HWND form, HWND control) {
  if (!control || GetParent(control) != form) return false;
  const int id = GetDlgCtrlID(control);
  return (id >= Label4Id(0) && id < Label4Id(kGridCells)) || (id >= Label6Id(0) && id < Label6Id(3)) ||
         id == LabelId(2) || id == LabelId(3) || (id >= FrameId(1) && id <= FrameId(3));
}

}  // namespace

void InstallMainWindowProcedure(Form1& form) {
  Module1::lPrevWndProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(form.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MainWndProc)));
  TaskbarCreated();
}

namespace {

LRESULT HandleMainMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Form1* form = Module1::MainForm();
  const WNDPROC previous = Module1::lPrevWndProc;
  auto pass = [&] { return CallWindowProcW(previous, hwnd, msg, wParam, lParam); };
  if (!form || form->hwnd() != hwnd) return pass();

  switch (msg) {
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE && !Module1::exiting) {
        form->HideMainWindow();
        return 0;
      }
      return pass();
    case WM_CLOSE:
      if (!Module1::exiting) {
        SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
      }
      return pass();
    case kTrayCallback:
      // The menu opens inside the shell's call, which lets it take the
      // foreground; the window shows once the shell's click handling is done.
      if (lParam == WM_RBUTTONUP) {
        form->TrayMenu();
      } else if (lParam == WM_LBUTTONDBLCLK) {
        PostMessageW(hwnd, kTrayAction, 0, lParam);
      }
      return pass();
    case kTrayAction:
      if (lParam == WM_LBUTTONDBLCLK) {
        form->ShowMainWindow();
        if (win::Window::Loaded().size() == 1) {
          int index = Form1::kTodayIndex;
          form->Label4_DblClick(index);
        }
      }
      return 0;
    case WM_RBUTTONUP:
      form->Command4_Click();
      return 0;
    case WM_CONTEXTMENU:
      if (IsGridLabel(hwnd, reinterpret_cast<HWND>(wParam))) {
        form->Command4_Click();
        return 0;
      }
      return pass();
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      return 0;
    case WM_MBUTTONDOWN:
      form->OpenTodaysMonth();
      return pass();
    case WM_MOUSEWHEEL:
      if (GET_WHEEL_DELTA_WPARAM(wParam) > 0) {
        form->Command2_Click();
      } else {
        form->Command3_Click();
      }
      return pass();
    case WM_COMMAND:
      if (lParam == 0 && !RunCommand(*form, LOWORD(wParam))) return 0;
      return pass();
    case WM_QUERYENDSESSION:
      return TRUE;  // never holds the session; the writing happens at its end
    case WM_ENDSESSION:
      if (wParam) EndSession(*form);
      return 0;
    case WM_NCDESTROY: {
      // The window goes: its own procedure gets the last message unwrapped.
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
      return pass();
    }
    default:
      if (msg == TaskbarCreated() && TaskbarCreated() != 0) {
        // The shell restarted: the icon must be added again at once.
        win::NotifyIcon(NIM_ADD, Module1::nidTray);
      }
      return pass();
  }
}

}  // namespace

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return win::Guarded([&] { return HandleMainMessage(hwnd, msg, wParam, lParam); });
}

void FillTrayRecord(Form1& form) {
  NOTIFYICONDATAW& nid = Module1::nidTray;
  nid = NOTIFYICONDATAW{};
  nid.cbSize = sizeof(nid);
  nid.hWnd = form.hwnd();
  nid.uID = 0;
  nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  nid.uCallbackMessage = kTrayCallback;
  nid.hIcon = form.FormIcon();
  SetTrayTip(form.dToday);
}

void SetTrayTip(Date today) {
  const std::wstring tip = win::Wide(TrayTip(today));
  lstrcpynW(Module1::nidTray.szTip, tip.c_str(), ARRAYSIZE(Module1::nidTray.szTip));
}

}  // namespace mekuri
