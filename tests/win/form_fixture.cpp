// Window tests: the program's real windows in this process under Wine, driven the way the system drives them.
#include "form_fixture.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/clock.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/tray.h"
#include "mainwindow/win32/MainWndProc.h"

namespace mekuri::testing {

static std::filesystem::path DistFolder() {  // dist\ beside the test exe or above it
  wchar_t exe[MAX_PATH];
  std::filesystem::path dir(std::wstring(exe, GetModuleFileNameW(nullptr, exe, MAX_PATH)));
  for (; dir.has_relative_path(); dir = dir.parent_path())
    if (std::filesystem::exists(dir / L"dist" / L"QzlCmn.dll")) return dir / L"dist";
  return L".";
}

void PostKey(UINT vk) {
  PostMessageW(GetFocus(), WM_KEYDOWN, vk, 1);
  PostMessageW(GetFocus(), WM_KEYUP, vk, 0xC0000001);
}

int CountLoaded(const wchar_t* form) {
  return std::ranges::count_if(win::Window::Loaded(), [=](auto* w) { return !lstrcmpW(w->FormName(), form); });
}

void MainFormTest::SetUp() {
  static int counter = 0;
  folder_ = std::filesystem::temp_directory_path() /
            (L"mekuri-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter));
  std::filesystem::remove_all(folder_);
  std::filesystem::create_directories(folder_);
  CopyFileW((DistFolder() / L"QzlCmn.dll").c_str(), (folder_ / L"QzlCmn.dll").c_str(), FALSE);
  Module1::PrepareModule(folder_.wstring(), L"tester");
  Module1::startupFinished = true;
  win::SetMessageBoxForTesting([this](const win::MessageBoxCall& call) { return boxes_.push_back(call), IDOK; });
  win::SetTrayForTesting([this](DWORD m, const NOTIFYICONDATAW&) { return trayMessages_.push_back(m), TRUE; });
}

void MainFormTest::TearDown() {
  while (!win::Window::Loaded().empty()) DestroyWindow(win::Window::Loaded().back()->hwnd());
  win::FreeClosedWindows(), Module1::UnloadMainForm();
  Module1::exiting = Module1::sessionEnding = false;
  Module1::hidingWatch = HidingWatch{};
  win::SetCtrlForTesting(-1), win::SetCipherForTesting(nullptr), win::SetMessageBoxForTesting(nullptr);
  win::SetTrayForTesting(nullptr), win::SetClockForTesting(nullptr), profile::ClearCache();
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void MainFormTest::SetClock(int year, int month, int day, int hour, int minute, int second) {
  const DateTime at{DateFromYmd(year, month, day), hour, minute, second, 0};
  win::SetClockForTesting([at] { return at; });
}

Form1& MainFormTest::LoadForm(int year, int month, int day) {
  SetClock(year, month, day, 12, 0, 0);
  form_ = Module1::LoadMainForm();
  FillTrayRecord(*form_);
  InstallMainWindowProcedure(*form_);
  form_->Show();
  return win::PumpMessages(), *form_;
}

Form2* MainFormTest::OpenMemo(Date day) {
  for (int i = 7; i < kGridCells; ++i) {
    if (Module1::dCellDate[i] != day) continue;
    SendMessageW(form_->hwnd(), WM_COMMAND, MAKEWPARAM(Label4Id(i), STN_DBLCLK),
                 reinterpret_cast<LPARAM>(form_->Label4[i]));
    win::PumpMessages();
    const std::string caption = "Memo - " + FormatDate(day, "yyyy/mm/dd");
    for (Form2* memo : LoadedMemoWindows())
      if (Text(memo->hwnd()) == std::wstring(caption.begin(), caption.end())) return memo;
  }
  return nullptr;
}

Form3& MainFormTest::OpenCommon(const wchar_t* added) {
  SendMessageW(form_->hwnd(), WM_COMMAND, kCmdCommonInfo, 0);
  win::PumpMessages();
  Form3& list = *Form3::Current();
  if (added) list.fTextEntered = true, SetWindowTextW(list.Text1, added), list.Command1_Click();
  return list;
}

}  // namespace mekuri::testing

int wmain(int argc, wchar_t** argv) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
