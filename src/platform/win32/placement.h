#pragma once
// Where a window is when the user sees it again: its restored rectangle
// whatever its state, the work area around a rectangle, and a window
// centred where the user looks.
#include <windows.h>

namespace mekuri::win {

// The outer rectangle the window has when neither minimised nor maximised,
// in screen coordinates; a minimised window reports its icon's place instead
// (-32000 under Windows).
RECT RestoredRect(HWND hwnd);
// The work area (the screen less the task bar) of the monitor nearest the
// rectangle.
RECT WorkAreaOf(const RECT& rect);
// Centres the window on its owner, whole on the work area of the owner's
// monitor; without an owner, or with a minimised one, on the work area of
// the monitor the owner or the window is on.
void Centre(HWND window, HWND owner);

}  // namespace mekuri::win
