// The baseline for the idle-cost measurement: one plain window with a
// message loop and no timers, the least a resident Win32 program costs.
#include <windows.h>

int main() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"IdleBaseline";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowW(L"IdleBaseline", L"idle baseline", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 600, 240,
                            120, nullptr, nullptr, wc.hInstance, nullptr);
  if (!hwnd) return 1;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
