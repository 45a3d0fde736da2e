#include "startup/win32/Module1_Startup.h"

#include <commctrl.h>

#include <memory>
#include <system_error>
#include <thread>
#include <vector>

#include "mainwindow/win32/Form1.h"
#include "mainwindow/win32/MainWndProc.h"
#include "memo/memo_store.h"
#include "memo/win32/Form2.h"
#include "platform/win32/cipher_library.h"
#include "platform/win32/clock.h"
#include "platform/win32/text.h"
#include "platform/win32/tray.h"
#include "platform/win32/window.h"
#include "settings/settings.h"
#include "shell/commands.h"
#include "startup/win32/single_instance.h"

namespace mekuri::Module1 {

namespace {

std::unique_ptr<Form1>& MainFormSlot() {
  static std::unique_ptr<Form1> form;
  return form;
}

std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return L".\\";
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L'\\') + 1);
}

std::wstring UserName() {
  std::wstring name(257, L'\0');
  DWORD size = static_cast<DWORD>(name.size());
  if (!GetUserNameW(name.data(), &size)) return L"";
  name.resize(wcsnlen(name.c_str(), name.size()));
  return name;
}

// The first grid asks the memo file about every day it shows, and today's
// memo window needs the cipher library. A worker reads and parses the file
// and loads the library while the windows are being created, so both are
// ready, or nearly, when asked for; the window thread still asks for them
// itself, through the same engine and loader, which are safe to share.
// Nothing else runs there.
std::jthread WarmMemoStore() {
  try {
    return std::jthread([dat = strDatFile, folder = std::filesystem::path(strAppPath)] {
      try {
        MemoPresent(dat, Date{});
        win::Cipher(folder);
      } catch (...) {
        // Out of memory: the window thread meets the fault when it reads.
      }
    });
  } catch (const std::system_error&) {
    return {};  // no thread to spare: everything is read on the way
  }
}

}  // namespace

Form1* MainForm() { return MainFormSlot().get(); }

void PrependParentToPath() {
  // A relative PATH entry follows the current folder wherever it is, so no
  // library is ever looked up along PATH or in the current folder: system
  // libraries come from the system folder only, the cipher library by its
  // full path.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  // The buffer grows to whatever length PATH has, so a long PATH is kept whole.
  std::wstring old;
  DWORD need = GetEnvironmentVariableW(L"PATH", nullptr, 0);
  if (need > 0) {
    old.assign(need, L'\0');
    DWORD got = GetEnvironmentVariableW(L"PATH", old.data(), need);
    old.resize(got < need ? got : 0);
  }
  SetEnvironmentVariableW(L"PATH", (L"..\\;" + old).c_str());
}

void PrepareModule(const std::wstring& appPath, const std::wstring& userName) {
  strAppPath = appPath;
  if (strAppPath.empty() || strAppPath.back() != L'\\') strAppPath += L'\\';
  strIniFile = std::filesystem::path(strAppPath + L"Mekurinote.ini");
  strDatFile = std::filesystem::path(strAppPath + L"Mekurinote_" + userName + L".dat");
  strHolidayTable = LoadHolidayTable(strIniFile);
  strMsgTable = LoadMessageTable(strIniFile);
  const Switches switches = ReadSwitches(strIniFile);
  EveryHour = switches.everyHour;
  EveryHourBeep = switches.everyHourBeep;
  HidingCheck = switches.hidingCheck;
}

StartDecision HandOverToRunningCopy(InstanceMutex& claim) {
  // A copy that started in the same instant may hold the mutex before its
  // window exists: look again until the window shows or the mutex is free.
  constexpr DWORD kPollMs = 50;
  const ULONGLONG start = GetTickCount64();
  for (DWORD wait = 0;; wait = kPollMs) {
    if (HWND running = FindRunningMainWindow()) {
      // Let the running copy come to the front; the user started us, so we may pass that on.
      DWORD pid = 0;
      GetWindowThreadProcessId(running, &pid);
      AllowSetForegroundWindow(pid);
      PostMessageW(running, WM_COMMAND, kCmdShowMain, 0);
      return StartDecision::HandedOver;
    }
    if (claim.Acquire(wait)) return StartDecision::Run;
    // The copy holding the desktop shows no window: a second resident copy
    // would be worse than none, so this one ends.
    if (GetTickCount64() - start >= kHandOverWaitMs) return StartDecision::NoAnswer;
  }
}

Form1* LoadMainForm() {
  auto& slot = MainFormSlot();
  slot = std::make_unique<Form1>();
  if (!slot->Load()) {
    slot.reset();
    return nullptr;
  }
  return slot.get();
}

void UnloadMainForm() { MainFormSlot().reset(); }

int Main() {
  PrependParentToPath();  // first: it also fixes where libraries come from
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);

  PrepareModule(ProgramFolder(), UserName());
  // Held until the main window is gone and the settings are written.
  InstanceMutex claim;
  switch (HandOverToRunningCopy(claim)) {
    case StartDecision::HandedOver:
      return 0;
    case StartDecision::NoAnswer:
      return 1;
    case StartDecision::Run:
      break;
  }

  const std::jthread warm = WarmMemoStore();
  Form1* form = LoadMainForm();
  if (!form) return 1;
  form->endLoopOnDestroy = true;
  form->Show();

  form->OpenToday();
  if (todayMemo) todayMemo->Show(false);
  startupFinished = true;

  ShowTodayNotice(win::Today());
  FillTrayRecord(*form);
  InstallMainWindowProcedure(*form);
  win::AddIconWhenPainted(nidTray);
  const int code = win::RunMessageLoop();
  UnloadMainForm();
  return code;
}

}  // namespace mekuri::Module1
