#include "form_fixture.h"

#include <commctrl.h>

#include <fstream>
#include <sstream>

#include "platform/profile.h"
#include "platform/win32/cipher_library.h"
#include "platform/win32/clock.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/text.h"
#include "platform/win32/window.h"
#include "startup/win32/Module1_Startup.h"

namespace mekuri::testing {

std::filesystem::path MakeTempFolder() {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  static int counter = 0;
  std::filesystem::path folder = std::filesystem::path(base) /
      (L"mekuri-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

std::filesystem::path DistFolder() {
  if (const wchar_t* dist = _wgetenv(L"MEKURI_DIST")) return dist;
  wchar_t path[MAX_PATH];
  std::wstring dir(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  for (size_t slash; (slash = dir.find_last_of(L"\\/")) != std::wstring::npos;) {
    dir.resize(slash);
    if (GetFileAttributesW((dir + L"\\dist\\QzlCmn.dll").c_str()) != INVALID_FILE_ATTRIBUTES) return dir + L"\\dist";
  }
  return L".";
}

std::string ReadFileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFileBytes(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << bytes;
}

void MainFormTest::SetUp() {
  folder_ = MakeTempFolder();
  CopyFileW((DistFolder() / L"QzlCmn.dll").c_str(), (folder_ / L"QzlCmn.dll").c_str(), FALSE);
  Module1::PrepareModule(folder_.wstring(), L"tester");
  Module1::startupFinished = true;
  win::SetMessageBoxForTesting([this](const win::MessageBoxCall& call) {
    boxes_.push_back(call);
    return IDOK;
  });
}

void MainFormTest::TearDown() {
  while (!win::Window::Loaded().empty()) DestroyWindow(win::Window::Loaded().back()->hwnd());
  win::FreeClosedWindows();
  Module1::UnloadMainForm();
  win::SetCtrlForTesting(-1);
  win::SetCipherForTesting(nullptr);
  win::SetMessageBoxForTesting(nullptr);
  win::SetClockForTesting(nullptr);
  profile::ClearCache();
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void MainFormTest::WriteSettings(const std::string& bytes) {
  WriteFileBytes(Module1::strIniFile, bytes);
  // Start-up reads the tables and switches before the window exists.
  Module1::PrepareModule(folder_.wstring(), L"tester");
}

Form1& MainFormTest::LoadForm(int year, int month, int day) {
  const Date today = DateFromYmd(year, month, day);
  win::SetClockForTesting([today] {
    DateTime at;
    at.date = today;
    at.hour = 12;
    return at;
  });
  form_ = Module1::LoadMainForm();
  EXPECT_NE(form_, nullptr);
  form_->Show();
  win::PumpMessages();
  return *form_;
}

void MainFormTest::SetBox(HWND box, const std::wstring& text) {
  SetWindowTextW(box, text.c_str());
}

void MainFormTest::PressKey(HWND target, UINT vk) {
  SetFocus(target);
  PostMessageW(target, WM_KEYDOWN, vk, 1);
  PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
  win::PumpMessages();
}

void MainFormTest::SendKeys(const std::vector<std::pair<WORD, bool>>& keys) {
  std::vector<INPUT> inputs;
  for (auto [vk, up] : keys) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(in);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  for (int i = 0; i < 20; ++i) {
    win::PumpMessages();
    Sleep(5);
  }
}

std::wstring MainFormTest::Text(HWND hwnd) const { return win::GetText(hwnd); }

std::wstring MainFormTest::TooltipOf(HWND control) const {
  // The tooltip control is a top-level window owned by the control's window.
  struct Search {
    HWND owner;
    HWND tip;
  } search{GetAncestor(control, GA_ROOT), nullptr};
  EnumThreadWindows(GetCurrentThreadId(), [](HWND w, LPARAM p) -> BOOL {
    auto* s = reinterpret_cast<Search*>(p);
    wchar_t cls[64];
    GetClassNameW(w, cls, 64);
    if (lstrcmpW(cls, TOOLTIPS_CLASSW) == 0 && GetWindow(w, GW_OWNER) == s->owner) {
      s->tip = w;
      return FALSE;
    }
    return TRUE;
  }, reinterpret_cast<LPARAM>(&search));
  HWND tip = search.tip;
  if (!tip) return L"<no tooltip control>";
  wchar_t text[256] = L"";
  TOOLINFOW ti{};
  ti.cbSize = sizeof(ti);
  ti.hwnd = GetParent(control) ? GetParent(control) : control;
  ti.uId = reinterpret_cast<UINT_PTR>(control);
  ti.lpszText = text;
  SendMessageW(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&ti));
  return text;
}

}  // namespace mekuri::testing
