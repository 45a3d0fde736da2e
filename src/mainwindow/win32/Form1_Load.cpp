// The two ends of the main window's life that use the settings file: the
// load places the window and builds the first months; the unload closes
// every other window and writes the position and the switches back.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "base/texts.h"
#include "mainwindow/win32/Form1.h"
#include "platform/win32/clock.h"
#include "platform/win32/placement.h"
#include "platform/win32/text.h"
#include "platform/win32/tray.h"
#include "settings/settings.h"
#include "state/win32/Module1.h"

namespace mekuri {

void Form1::Form_Load() {
  const DateTime now = win::Now();
  dShownMonth = now.date;
  dToday = now.date;
  win::SetText(Text1, win::WideAscii(FormatDate(now.date, "yyyy")));
  win::SetText(Text2, win::WideAscii(FormatDate(now.date, "mm")));
  win::SetText(hwnd(), win::Wide(kMainCaption));

  RECT outer{};
  GetWindowRect(hwnd(), &outer);
  int panel = outer.right - outer.left;
  SendMessageW(StatusBar1, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&panel));

  dShownMonth = DateFromYmd(ToYmd(dShownMonth).year, ToYmd(dShownMonth).month, 1);

  const UINT dpi = win::SystemDpi();
  const auto left = ReadSavedEdge(Module1::strIniFile, kKeyStartX, GetSystemMetrics(SM_CXSCREEN), dpi);
  const auto top = ReadSavedEdge(Module1::strIniFile, kKeyStartY, GetSystemMetrics(SM_CYSCREEN), dpi);
  if (left || top) {
    const int x = left ? *left : outer.left;
    const int y = top ? *top : outer.top;
    SetWindowPos(hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  Command1_Click();
}

void Form1::Form_Unload() {
  if (Module1::nidTray.hWnd) win::NotifyIcon(NIM_DELETE, Module1::nidTray);
  // Every other window goes first; each runs its own unload. A window that
  // stays after being asked is left behind rather than asked forever.
  while (Window::Loaded().size() > 1) {
    const auto& loaded = Window::Loaded();
    Window* other = loaded[0] == this ? loaded[1] : loaded[0];
    other->Unload();
    const auto& after = Window::Loaded();
    if (std::find(after.begin(), after.end(), other) != after.end()) break;
  }

  // Minimised at exit, the window comes back where it was before.
  const RECT rc = win::RestoredRect(hwnd());
  WriteExitSettings(Module1::strIniFile, rc.left, rc.top, win::SystemDpi(),
                    Switches{Module1::EveryHour, Module1::EveryHourBeep, Module1::HidingCheck});
}

}  // namespace mekuri
