#pragma once
// Where a window is when the user sees it again: its restored rectangle
// whatever its state, and the work area around a rectangle.
#include <windows.h>

namespace mekuri::win {

// The outer rectangle the window has when neither minimised nor maximised,
// in screen coordinates; a minimised window reports its icon's place instead
// (-32000 under Windows).
RECT RestoredRect(HWND hwnd);
// The work area (the screen less the task bar) of the monitor nearest the
// rectangle.
RECT WorkAreaOf(const RECT& rect);

}  // namespace mekuri::win
