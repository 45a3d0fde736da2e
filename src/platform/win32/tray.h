#pragma once
// The tray seam: every Shell_NotifyIconW call of the program goes through
// here, so tests can record the calls and the record instead.
#include <windows.h>
#include <shellapi.h>

#include <functional>

namespace mekuri::win {

BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW& record);

void SetTrayForTesting(std::function<BOOL(DWORD, const NOTIFYICONDATAW&)> handler);

}  // namespace mekuri::win
