#include "form_fixture.h"

#include <new>

#include "platform/win32/clock.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/tray.h"
#include "mainwindow/win32/MainWndProc.h"

namespace mekuri::testing {

std::filesystem::path DistFolder() {
  if (const wchar_t* dist = _wgetenv(L"MEKURI_DIST")) return dist;
  wchar_t exe[MAX_PATH];
  std::filesystem::path dir(std::wstring(exe, GetModuleFileNameW(nullptr, exe, MAX_PATH)));
  for (; dir.has_relative_path(); dir = dir.parent_path()) {
    if (std::filesystem::exists(dir / L"dist" / L"QzlCmn.dll")) return dir / L"dist";
  }
  return L".";
}

namespace {
class FailingWindow : public win::Window {
 public:
  const wchar_t* FormName() const override { return L"FailingTest"; }
  bool Create() { return CreateTopLevel(0, WS_OVERLAPPEDWINDOW, L"", 0, 0, 100, 100, nullptr); }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_APP) throw std::bad_alloc();
    return DefaultProc(msg, wParam, lParam);
  }
};
}  // namespace

HWND MainFormTest::OpenFailingWindow() {
  auto window = std::make_unique<FailingWindow>();
  const HWND h = window->Create() ? window->hwnd() : nullptr;
  return failing_ = std::move(window), h;
}

void PostKey(UINT vk) {
  PostMessageW(GetFocus(), WM_KEYDOWN, vk, 1);
  PostMessageW(GetFocus(), WM_KEYUP, vk, 0xC0000001);
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
  win::FreeClosedWindows();
  failing_.reset();
  Module1::UnloadMainForm();
  Module1::exiting = Module1::sessionEnding = false;
  Module1::hidingWatch = HidingWatch{};
  win::SetCtrlForTesting(-1);
  win::SetCipherForTesting(nullptr);
  win::SetMessageBoxForTesting(nullptr);
  win::SetTrayForTesting(nullptr);
  win::SetClockForTesting(nullptr);
  profile::ClearCache();
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
    for (Form2* memo : LoadedMemoWindows()) {
      if (Text(memo->hwnd()) == std::wstring(caption.begin(), caption.end())) return memo;
    }
  }
  return nullptr;
}

Form3& MainFormTest::OpenCommon(const wchar_t* added) {
  SendMessageW(form_->hwnd(), WM_COMMAND, kCmdCommonInfo, 0);
  win::PumpMessages();
  Form3& list = *Form3::Current();
  if (added) {
    list.fTextEntered = true;
    SetWindowTextW(list.Text1, added);
    list.Command1_Click();
  }
  return list;
}

FormMsg* MainFormTest::OpenMessage(const std::u16string& time, const std::u16string& text) {
  FormMsg* msg = FormMsg::Open(time, text);
  if (msg) msg->Show();
  return win::PumpMessages(), msg;
}

FormJihou* MainFormTest::OpenTimeSignal() {
  SetClock(2004, 9, 10, 11, 30, 0);  // minute 30: the main window's clock leaves the window alone
  FormJihou* jihou = FormJihou::Open();
  return win::PumpMessages(), jihou;
}

FormToday* MainFormTest::OpenNotice() {
  ShowTodayNotice(DateFromYmd(2004, 9, 10));
  return win::PumpMessages(), FormToday::Current();
}

namespace {
std::vector<std::function<void(Form4&)>> dialogSteps;
size_t dialogNext = 0;
bool* dialogLeftOpen = nullptr;
}  // namespace

Date MainFormTest::RunDateDialog(std::vector<std::function<void(Form4&)>> steps, const std::function<void()>& open) {
  dialogSteps = std::move(steps);
  dialogNext = 0;
  dialogLeftOpen = &(dialogLeftOpen_ = false);
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
    Form4* dialog = Form4::Current();
    if (!dialog || !dialogLeftOpen) return;
    if (dialogNext < dialogSteps.size()) return dialogSteps[dialogNext++](*dialog);
    *dialogLeftOpen = true;
    dialog->Command2_Click();
  });
  const Date picked = open ? (open(), kCancelDate) : Form4::Open(form_->hwnd());
  KillTimer(nullptr, timer);
  dialogLeftOpen = nullptr;
  return picked;
}

void MainFormTest::PressKey(HWND target, UINT vk) {
  SetFocus(target);
  PostKey(vk);
  win::PumpMessages();
}

void MainFormTest::SendKeys(const std::vector<std::pair<WORD, bool>>& keys) {
  std::vector<INPUT> inputs(keys.size());
  for (size_t i = 0; i < keys.size(); ++i) {
    const WORD vk = keys[i].first;
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = vk;
    inputs[i].ki.dwFlags = (keys[i].second ? KEYEVENTF_KEYUP : 0) |
                           (vk == VK_INSERT || vk == VK_DELETE ? KEYEVENTF_EXTENDEDKEY : 0);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  for (int i = 0; i < 20; ++i, Sleep(5)) win::PumpMessages();
}

int MainFormTest::CountLoaded(const wchar_t* formName) const {
  int count = 0;
  for (win::Window* w : win::Window::Loaded()) count += lstrcmpW(w->FormName(), formName) == 0;
  return count;
}

}  // namespace mekuri::testing
