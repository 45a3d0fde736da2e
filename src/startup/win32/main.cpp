#include <windows.h>

#include "startup/win32/Module1_Startup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return mekuri::Module1::Main(); }
