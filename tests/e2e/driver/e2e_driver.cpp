// Looks at and pokes the running program from another process, as another
// program on the desktop would. Used by the end-to-end scripts:
//   e2e_driver wait CAPTION MS       window captioned CAPTION exists within MS
//   e2e_driver visible CAPTION       exit 0 when it is visible
//   e2e_driver hide CAPTION          hide it
//   e2e_driver close CAPTION         post WM_CLOSE
//   e2e_driver command CAPTION ID    post WM_COMMAND with the command id (hex 0x... or decimal)
//   e2e_driver post CAPTION MSG W L  post any message
//   e2e_driver count CLASS           print how many top-level windows have CLASS
//   e2e_driver text CAPTION ID       print the text of child ID (UTF-8)
//   e2e_driver rect CAPTION          print "left top right bottom" of the window
//   e2e_driver point CAPTION ID      print the screen "x y" of the centre of child ID
//   e2e_driver lock FILE MS          hold FILE open with no sharing for MS, as another program may
//   e2e_driver crect CAPTION ID      print the screen "left top right bottom" of child ID
//   e2e_driver focused CAPTION ID    exit 0 when child ID has the keyboard focus
//   (CAPTION may be "class:NAME" to find a window by its class)
//   e2e_driver popup -               print "left top right bottom" of the open pop-up menu
//   e2e_driver find CAPTION TEXT FIRST LAST   print the first child ID in FIRST..LAST whose text is TEXT
//   e2e_driver foreign CAPTION MS    keep a window of Explorer's folder class captioned CAPTION for MS
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// A caption, or "class:NAME" for a window whose caption changes.
HWND Find(const wchar_t* caption) {
  const std::wstring text = caption;
  if (text.rfind(L"class:", 0) == 0) return FindWindowW(text.substr(6).c_str(), nullptr);
  return FindWindowW(nullptr, caption);
}

void PrintUtf8(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fputc('\n', stdout);
}

struct CountArgs {
  const wchar_t* cls;
  int count;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const std::wstring cmd = argv[1];
  if (cmd == L"wait") {
    const DWORD limit = argc > 3 ? static_cast<DWORD>(_wtoi(argv[3])) : 10000;
    const DWORD start = GetTickCount();
    while (!Find(argv[2])) {
      if (GetTickCount() - start > limit) return 1;
      Sleep(50);
    }
    return 0;
  }
  if (cmd == L"count") {
    CountArgs args{argv[2], 0};
    EnumWindows([](HWND w, LPARAM p) -> BOOL {
      auto* a = reinterpret_cast<CountArgs*>(p);
      wchar_t cls[128];
      GetClassNameW(w, cls, 128);
      if (lstrcmpW(cls, a->cls) == 0) ++a->count;
      return TRUE;
    }, reinterpret_cast<LPARAM>(&args));
    std::printf("%d\n", args.count);
    return 0;
  }
  if (cmd == L"foreign" && argc > 3) {
    // Another program's window that carries the caption, as a folder of that name does.
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"CabinetWClass";
    RegisterClassW(&wc);
    HWND w = CreateWindowExW(0, wc.lpszClassName, argv[2], WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                             nullptr, nullptr, wc.hInstance, nullptr);
    if (!w) return 1;
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < static_cast<DWORD>(_wtoi(argv[3]))) {
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      Sleep(20);
    }
    return 0;
  }
  if (cmd == L"popup" && cmd.size()) {
    // The open pop-up menu's window: "left top right bottom".
    HWND popup = FindWindowW(L"#32768", nullptr);
    RECT rc{};
    if (!popup || !IsWindowVisible(popup) || !GetWindowRect(popup, &rc)) return 1;
    std::printf("%ld %ld %ld %ld\n", rc.left, rc.top, rc.right, rc.bottom);
    return 0;
  }
  if (cmd == L"lock" && argc > 3) {
    HANDLE file = CreateFileW(argv[2], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    Sleep(static_cast<DWORD>(_wtoi(argv[3])));
    CloseHandle(file);
    return 0;
  }
  HWND w = Find(argv[2]);
  if (!w) return 1;
  if (cmd == L"visible") return IsWindowVisible(w) ? 0 : 1;
  if (cmd == L"hide") return ShowWindow(w, SW_HIDE), 0;
  if (cmd == L"close") return PostMessageW(w, WM_CLOSE, 0, 0) ? 0 : 1;
  if (cmd == L"post" && argc > 5) {
    return PostMessageW(w, static_cast<UINT>(wcstoul(argv[3], nullptr, 0)), wcstoul(argv[4], nullptr, 0),
                        static_cast<LPARAM>(wcstoul(argv[5], nullptr, 0)))
               ? 0
               : 1;
  }
  if (cmd == L"command" && argc > 3) {
    return PostMessageW(w, WM_COMMAND, static_cast<WPARAM>(wcstoul(argv[3], nullptr, 0)), 0) ? 0 : 1;
  }
  if (cmd == L"rect") {
    RECT rc{};
    GetWindowRect(w, &rc);
    std::printf("%ld %ld %ld %ld\n", rc.left, rc.top, rc.right, rc.bottom);
    return 0;
  }
  if (cmd == L"crect" && argc > 3) {
    RECT rc{};
    HWND child = GetDlgItem(w, _wtoi(argv[3]));
    if (!child || !GetWindowRect(child, &rc)) return 1;
    std::printf("%ld %ld %ld %ld\n", rc.left, rc.top, rc.right, rc.bottom);
    return 0;
  }
  if (cmd == L"point" && argc > 3) {
    HWND child = GetDlgItem(w, _wtoi(argv[3]));
    if (!child) return 1;
    RECT rc{};
    GetWindowRect(child, &rc);
    std::printf("%ld %ld\n", (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    return 0;
  }
  if (cmd == L"focused" && argc > 3) {
    GUITHREADINFO info{sizeof info};
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &info)) return 1;
    return info.hwndFocus && info.hwndFocus == GetDlgItem(w, _wtoi(argv[3])) ? 0 : 1;
  }
  if (cmd == L"find" && argc > 5) {
    for (int id = _wtoi(argv[4]); id <= _wtoi(argv[5]); ++id) {
      HWND child = GetDlgItem(w, id);
      wchar_t text[256] = L"";
      if (child) SendMessageW(child, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
      if (child && std::wstring(text) == argv[3]) {
        std::printf("%d\n", id);
        return 0;
      }
    }
    return 1;
  }
  if (cmd == L"text" && argc > 3) {
    HWND child = GetDlgItem(w, _wtoi(argv[3]));
    if (!child) return 1;
    wchar_t text[1024] = L"";
    SendMessageW(child, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    PrintUtf8(text);
    return 0;
  }
  return 2;
}
