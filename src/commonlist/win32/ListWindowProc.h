#pragma once
// The common list's own window procedure, in front of the list control's
// while the window is loaded: the pop-up menu, its commands, the list's keys
// and dropped files.
#include <windows.h>

namespace mekuri {

extern WNDPROC lpPrevListProc;

LRESULT CALLBACK ListWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

// Installs the procedure on the list; Restore puts the previous one back.
void InstallListWindowProc(HWND list);
void RestoreListWindowProc(HWND list);

}  // namespace mekuri
