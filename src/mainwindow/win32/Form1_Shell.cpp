// The main window's resident side: showing and hiding, the two menus, the
// date watch, the tray image timer and the hiding watch.
#include <windows.h>

#include "mainwindow/win32/Form1.h"
#include "mainwindow/win32/MainWndProc.h"
#include "memo/win32/Form4.h"
#include "memo/win32/FormToday.h"
#include "platform/win32/clock.h"
#include "platform/win32/text.h"
#include "platform/win32/tray.h"
#include "shell/commands.h"
#include "shell/menus.h"
#include "state/win32/Module1.h"

namespace mekuri {
namespace {

constexpr UINT kIconTimerMs = 1500;

bool Visible(HWND hwnd) { return (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }

}  // namespace

void Form1::StartTimers() {
  // The tray still shows the window's own icon: the image timer settles it.
  StartIconTimer();
  hidingPeriod_.next = GetTickCount64() + HidingWatch::kIntervalMs;
  const DateTime now = win::Now();
  ShowClock(now);
  ArmSecondTick(now);
}

void Form1::StartIconTimer() {
  if (iconTimerOn_) return;  // set again, it would start its interval over
  iconTimerOn_ = SetTimer(hwnd(), kTimer2, kIconTimerMs, nullptr) != 0;
}

void Form1::ShowMainWindow() {
  SetWindowLongPtrW(hwnd(), GWL_EXSTYLE, GetWindowLongPtrW(hwnd(), GWL_EXSTYLE) | WS_EX_APPWINDOW);
  ShowWindow(hwnd(), SW_SHOWNORMAL);
}

void Form1::HideMainWindow() {
  ShowWindow(hwnd(), SW_HIDE);
  SetWindowLongPtrW(hwnd(), GWL_EXSTYLE, GetWindowLongPtrW(hwnd(), GWL_EXSTYLE) & ~WS_EX_APPWINDOW);
  StartIconTimer();
}

void Form1::PopupMenu(const std::vector<MenuItem>& items) {
  POINT at{};
  GetCursorPos(&at);
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  for (const MenuItem& item : items) {
    InsertMenuW(menu, static_cast<UINT>(-1), item.flags, item.id, win::Wide(item.text).c_str());
  }
  // A click on the tray icon can take the focus from this window, and under
  // Wine the news of that arrives late and cancels a menu already open; take
  // the queued input in first. The menu must close when the user clicks
  // elsewhere, also from the tray.
  MSG pending;
  PeekMessageW(&pending, nullptr, 0, 0, PM_NOREMOVE);
  SetForegroundWindow(hwnd());
  TrackPopupMenu(menu, 0, at.x, at.y, 0, hwnd(), nullptr);
  PostMessageW(hwnd(), WM_NULL, 0, 0);
  DestroyMenu(menu);
}

void Form1::Command4_Click() { PopupMenu(OperationMenuItems(dToday, Module1::EveryHour, Module1::HidingCheck)); }

void Form1::TrayMenu() { PopupMenu(TrayMenuItems()); }

void Form1::Timer1_Timer() {
  const DateTime now = win::Now();
  if (now.date == dToday) return;  // one serial per day: the same as comparing "yyyymmdd"
  dToday = now.date;
  if (FormToday* old = FormToday::Current()) {
    old->fCloseOnly = true;
    old->Unload();
  }
  if (Form4* dialog = Form4::Current()) dialog->Command2_Click();
  ShowTodayNotice(now.date);
  SetTrayTip(now.date);
  win::NotifyIcon(NIM_ADD, Module1::nidTray);
}

void Form1::Timer2_Timer() {
  const bool visible = Visible(hwnd());
  const int image = iconTimer_.Tick(visible, Module1::nidTray.hIcon == trayImage1_);
  if (image != 0) {
    Module1::nidTray.hIcon = image == 1 ? trayImage1_ : trayImage2_;
    win::NotifyIcon(NIM_MODIFY, Module1::nidTray);
  }
  // Shown and steady on the first image, the timer would only wake to do
  // nothing: it stops until the window hides again.
  if (visible && Module1::nidTray.hIcon == trayImage1_) {
    KillTimer(hwnd(), kTimer2);
    iconTimerOn_ = false;
  }
}

void Form1::Timer5_Timer() {
  if (Module1::hidingWatch.Tick(Module1::HidingCheck, Visible(hwnd())) && Module1::HidingCheck) {
    PostMessageW(hwnd(), WM_COMMAND, kCmdCommonInfo, 0);
  }
}

void ShowTodayNotice(Date today) {
  if (FormToday* old = FormToday::Current()) {
    old->fCloseOnly = true;
    old->Unload();
  }
  FormToday* notice = FormToday::Open();
  if (!notice) return;
  notice->SetDate(today);
  notice->Show();
}

}  // namespace mekuri
