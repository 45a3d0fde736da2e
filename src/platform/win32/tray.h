#pragma once
// The tray seam: every Shell_NotifyIconW call of the program goes through
// here, so tests can record the calls and the record instead.
#include <windows.h>
#include <shellapi.h>

#include <functional>

namespace mekuri::win {

// Every call first waits for an add still running in the background, so
// the shell sees the calls in the program's order.
BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW& record);

// NIM_ADD once the thread's windows have painted, on a thread of its own:
// the shell, another process, takes a while to draw the icon, and neither
// the first paint nor the window thread need wait for it.
void AddIconWhenPainted(const NOTIFYICONDATAW& record);

void SetTrayForTesting(std::function<BOOL(DWORD, const NOTIFYICONDATAW&)> handler);

}  // namespace mekuri::win
