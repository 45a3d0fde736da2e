#pragma once
// The process-start seam: the program starts other programs only through
// here (the readme launcher), so tests can record the command line.
#include <windows.h>

#include <functional>
#include <string>

namespace mekuri::win {

// Starts a command line with a window-show code; never waits for it.
bool StartProcess(const std::wstring& commandLine, WORD showWindow);

void SetProcessStartForTesting(std::function<bool(const std::wstring&, WORD)> handler);

}  // namespace mekuri::win
