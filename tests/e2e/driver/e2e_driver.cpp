// Pokes the running program from another process: wait W [MS], close W, command W ID, count CLASS, text W ID,
// rect W [ID], focused W ID, find W TEXT A B, foreign W MS. W: a caption or "class:NAME" (#32768: pop-up menu).
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

HWND Find(const std::wstring& w) {
  return w.rfind(L"class:", 0) == 0 ? FindWindowW(w.substr(6).c_str(), nullptr) : FindWindowW(nullptr, w.c_str());
}

std::wstring Text(HWND w) {
  std::wstring text(SendMessageW(w, WM_GETTEXTLENGTH, 0, 0) + 1, L'\0');
  text.resize(SendMessageW(w, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
  return text;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const std::wstring cmd = argv[1];
  const DWORD n = argc > 3 ? wcstoul(argv[3], nullptr, 0) : 0, start = GetTickCount();
  if (cmd == L"wait") {
    while (!IsWindowVisible(Find(argv[2])) && GetTickCount() - start < n) Sleep(50);
    return IsWindowVisible(Find(argv[2])) ? 0 : 1;
  }
  if (cmd == L"count") {
    int count = 0;
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, argv[2], nullptr));) ++count;
    return std::printf("%d\n", count), 0;
  }
  if (cmd == L"foreign") {
    WNDCLASSW wc{
        .lpfnWndProc = DefWindowProcW, .hInstance = GetModuleHandleW(nullptr), .lpszClassName = L"CabinetWClass"};
    if (!RegisterClassW(&wc) || !CreateWindowW(wc.lpszClassName, argv[2], WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                               300, 200, nullptr, nullptr, wc.hInstance, nullptr)) {
      return 1;
    }
    for (MSG msg; GetTickCount() - start < n; Sleep(20))
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    return 0;
  }
  const HWND w = Find(argv[2]), item = w && argc > 3 ? GetDlgItem(w, n) : w;
  GUITHREADINFO gui{sizeof gui};
  RECT rc{};
  if (!w) return 1;
  if (cmd == L"close") return PostMessageW(w, WM_CLOSE, 0, 0) ? 0 : 1;
  if (cmd == L"command") return PostMessageW(w, WM_COMMAND, n, 0) ? 0 : 1;
  if (cmd == L"focused")
    return item && GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &gui) && gui.hwndFocus == item ? 0 : 1;
  if (cmd == L"rect" && (!IsWindowVisible(item) || !GetWindowRect(item, &rc))) return 1;
  if (cmd == L"rect") return std::printf("%ld %ld %ld %ld\n", rc.left, rc.top, rc.right, rc.bottom), 0;
  if (cmd == L"find" && argc > 5) {
    for (int id = _wtoi(argv[4]); id <= _wtoi(argv[5]); ++id)
      if (HWND c = GetDlgItem(w, id); c && Text(c) == argv[3]) return std::printf("%d\n", id), 0;
    return 1;
  }
  if (cmd == L"text" && item) {
    const std::wstring text = Text(item);
    std::string out(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), static_cast<int>(out.size()), nullptr, nullptr);
    return std::printf("%s\n", out.c_str()), 0;
  }
  return 2;
}
