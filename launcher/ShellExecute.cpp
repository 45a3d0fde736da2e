// ShellExecute.exe opens the one file named on its command line with the
// application associated with it, as a double click in Explorer would.
// めくりノート starts it for its readme and never waits for it, so it shows no
// window of its own: the exit code is its only report (0 opened, 1 not
// opened, 2 no single file argument).
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>

namespace {

enum ExitCode : int { kOpened = 0, kNotOpened = 1, kUsage = 2 };

// The associated application may start in another folder; a full path names
// the same file there.
std::wstring FullPath(const wchar_t* path) {
  DWORD n = GetFullPathNameW(path, 0, nullptr, nullptr);
  if (n == 0) return path;
  std::wstring full(n, L'\0');
  n = GetFullPathNameW(path, n, full.data(), nullptr);
  if (n == 0 || n >= full.size()) return path;
  full.resize(n);
  return full;
}

int Open(const std::wstring& path) {
  // Tested first, because some handlers answer a missing file with a box of
  // their own whatever the flags say.
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return kNotOpened;
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // No "Open with" or error box; NOASYNC because the process ends right after.
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.lpVerb = L"open";
  info.lpFile = path.c_str();
  info.nShow = SW_SHOWNORMAL;
  return ShellExecuteExW(&info) ? kOpened : kNotOpened;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return kUsage;
  int result = kUsage;
  if (argc == 2 && argv[1][0] != L'\0') {
    // Handlers may be shell extensions that expect a single-threaded apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    result = Open(FullPath(argv[1]));
    if (SUCCEEDED(com)) CoUninitialize();
  }
  LocalFree(argv);
  return result;
}
