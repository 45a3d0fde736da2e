#pragma once
// The process-start seam: the program starts other programs only through
// here (the readme launcher), so tests can record the command line.
#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>

namespace mekuri::win {

// Starts the program at a full path with its arguments and a window-show
// code; never waits for it. The program is never looked up along PATH.
bool StartProcess(const std::filesystem::path& program, const std::wstring& arguments, WORD showWindow);

// Tests see the whole command line: the quoted program, a blank, the arguments.
void SetProcessStartForTesting(std::function<bool(const std::wstring&, WORD)> handler);

}  // namespace mekuri::win
