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

// The exit of "終了する": the main window unloads with the exiting flag set,
// which closes every other window, removes the tray icon and writes the
// settings. Posted (the command), or done before returning (the session's end).
void ExitProgram(Form1& form, bool now);
// The session is ending and the process may be ended as soon as this
// returns: the date dialog is cancelled, then the exit runs at once, and no
// message box may hold the session's end.
void EndSession(Form1& form);

// The tray record as start-up fills it: the main window, the callback, the
// main window's icon and "めくりノート yyyy/mm/dd".
void FillTrayRecord(Form1& form);
void SetTrayTip(Date today);

// The today notice for a date, replacing a notice that is still open
// without side effects.
void ShowTodayNotice(Date today);

}  // namespace mekuri
