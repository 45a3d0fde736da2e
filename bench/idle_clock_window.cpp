// The reference for the program's idle cost: the least a window that shows
// the time to the second must do. One plain window with a common-controls
// status bar, one timer a second, and the clock written into the bar at each
// tick.
#include <windows.h>
#include <commctrl.h>

#include <cwchar>

namespace {

constexpr UINT_PTR kClockTimer = 1;

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_TIMER && wParam == kClockTimer) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    wchar_t text[32];
    swprintf(text, 32, L"%04u/%02u/%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
             t.wSecond);
    SendMessageW(GetDlgItem(hwnd, 1), SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    return 0;
  }
  if (msg == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

int main() {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"IdleClock";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowW(L"IdleClock", L"idle clock", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 600, 240, 120,
                            nullptr, nullptr, wc.hInstance, nullptr);
  if (!hwnd) return 1;
  CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(1)), wc.hInstance, nullptr);
  SetTimer(hwnd, kClockTimer, 1000, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
