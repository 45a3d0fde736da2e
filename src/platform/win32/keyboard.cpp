#include "platform/win32/keyboard.h"

#include <windows.h>

namespace mekuri::win {
namespace {
int testState = -1;
}

bool CtrlHeld() {
  if (testState >= 0) return testState == 1;
  GetAsyncKeyState(VK_CONTROL);
  return (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0;
}

int ShiftState() {
  return (GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
         (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

void SetCtrlForTesting(int state) { testState = state; }

}  // namespace mekuri::win
