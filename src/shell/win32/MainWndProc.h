#pragma once
// The main window procedure: put in front of the main window's own, it makes
// close mean hide, answers the tray icon, carries out every command of the
// command bus and turns the mouse's wheel and buttons into month steps.
#include <windows.h>

#include <cstdint>

#include "base/date.h"

namespace mekuri {

class Form1;

inline constexpr UINT kTrayCallback = 0xC000;

void InstallMainWindowProcedure(Form1& form);
LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Carries out one command of the table; false when the command is refused
// (the exit while the date dialog is open) and must not be passed on.
bool RunCommand(Form1& form, uint16_t id);

// The tray record as start-up fills it: the main window, the callback, the
// main window's icon and "めくりノート yyyy/mm/dd".
void FillTrayRecord(Form1& form);
void SetTrayTip(Date today);

// The today notice for a date, replacing a notice that is still open
// without side effects.
void ShowTodayNotice(Date today);

}  // namespace mekuri
