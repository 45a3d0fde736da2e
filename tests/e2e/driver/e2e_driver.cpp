// Looks at and pokes the running program from another process, as another
// program on the desktop would. W is a caption, or "class:NAME" for a window
// found by its class ("class:#32768" is the open pop-up menu).
//   wait W [MS]        exit 0 when W is visible (within MS)
//   close W            post WM_CLOSE          command W ID   post WM_COMMAND ID
//   count CLASS        how many top-level windows have CLASS
//   text W ID          the text of child ID   rect W [ID]    "left top right bottom" of W or its child
//   focused W ID       exit 0 when child ID has the keyboard focus
//   find W TEXT A B    the first child ID in A..B whose text is TEXT
//   foreign W MS       keep a window of Explorer's folder class captioned W for MS
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
  const DWORD ms = argc > 3 ? _wtoi(argv[3]) : 0, start = GetTickCount();
  if (cmd == L"wait") {
    for (HWND w; !(w = Find(argv[2])) || !IsWindowVisible(w); Sleep(50)) {
      if (GetTickCount() - start >= ms) return 1;
    }
    return 0;
  }
  if (cmd == L"count") {
    int n = 0;
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, argv[2], nullptr));) ++n;
    return std::printf("%d\n", n), 0;
  }
  if (cmd == L"foreign") {
    WNDCLASSW wc{
        .lpfnWndProc = DefWindowProcW, .hInstance = GetModuleHandleW(nullptr), .lpszClassName = L"CabinetWClass"};
    RegisterClassW(&wc);
    if (!CreateWindowW(wc.lpszClassName, argv[2], WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                       nullptr, wc.hInstance, nullptr)) {
      return 1;
    }
    for (MSG msg; GetTickCount() - start < ms; Sleep(20)) {
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    return 0;
  }
  HWND w = Find(argv[2]);
  HWND child = w && argc > 3 ? GetDlgItem(w, _wtoi(argv[3])) : nullptr;
  RECT rc{};
  GUITHREADINFO info{sizeof info};
  if (!w) return 1;
  if (cmd == L"close") return PostMessageW(w, WM_CLOSE, 0, 0) ? 0 : 1;
  if (cmd == L"command") return PostMessageW(w, WM_COMMAND, wcstoul(argv[3], nullptr, 0), 0) ? 0 : 1;
  if (cmd == L"focused") {
    return child && GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &info) && info.hwndFocus == child ? 0 : 1;
  }
  if (cmd == L"rect") {
    if (argc > 3) w = child;
    if (!w || !IsWindowVisible(w) || !GetWindowRect(w, &rc)) return 1;
    return std::printf("%ld %ld %ld %ld\n", rc.left, rc.top, rc.right, rc.bottom), 0;
  }
  if (cmd == L"find" && argc > 5) {
    for (int id = _wtoi(argv[4]); id <= _wtoi(argv[5]); ++id) {
      if (HWND c = GetDlgItem(w, id); c && Text(c) == argv[3]) return std::printf("%d\n", id), 0;
    }
    return 1;
  }
  if (cmd == L"text" && child) {
    const std::wstring text = Text(child);
    std::string out(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), static_cast<int>(out.size()), nullptr, nullptr);
    return std::printf("%s\n", out.c_str()), 0;
  }
  return 2;
}
