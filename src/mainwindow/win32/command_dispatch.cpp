// The command table: what every command id of the command bus does,
// whichever menu, window or program sent it.
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "about/win32/FormVer.h"
#include "base/texts.h"
#include "commonlist/win32/Form3.h"
#include "mainwindow/win32/Form1.h"
#include "mainwindow/win32/MainWndProc.h"
#include "memo/memo_store.h"
#include "memo/win32/Form4.h"
#include "memo/win32/FormToday.h"
#include "platform/win32/clock.h"
#include "platform/win32/process.h"
#include "platform/win32/text.h"
#include "shell/commands.h"
#include "state/win32/Module1.h"

namespace mekuri {
namespace {

bool IsLoaded(const win::Window* window) {
  const auto& loaded = win::Window::Loaded();
  return std::find(loaded.begin(), loaded.end(), window) != loaded.end();
}

void CloseAllButMain() {
  const Module1::BulkClose bulk;
  while (win::Window::Loaded().size() > 1) {
    const auto& loaded = win::Window::Loaded();
    win::Window* target = lstrcmpW(loaded[0]->FormName(), L"Form1") == 0 ? loaded[1] : loaded[0];
    if (lstrcmpW(target->FormName(), L"FormToday") == 0) static_cast<FormToday*>(target)->fCloseOnly = true;
    target->Unload();
    if (IsLoaded(target)) break;  // a window that refuses stays
  }
}

void CloseAll(Form1& form) {
  const Module1::BulkClose bulk;
  const std::vector<win::Window*> windows = win::Window::Loaded();
  for (win::Window* w : windows) {
    if (w == &form) {
      SendMessageW(form.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    } else if (IsLoaded(w)) {
      w->Unload();
    }
  }
}

void DateCommand(Form1& form) {
  static bool fDateCommandBusy = false;
  if (fDateCommandBusy) return;
  fDateCommandBusy = true;
  const Date picked = Form4::Open(form.hwnd());
  if (picked != kCancelDate) form.Today_DblClick(picked, false);
  fDateCommandBusy = false;
}

// The launcher beside the program, or in the folder above it (where the
// "..\" entry of PATH points); a missing launcher gives no message.
void OpenReadme() {
  const std::filesystem::path folder = std::filesystem::path(Module1::strAppPath).parent_path();
  const std::wstring name = win::Wide(kLauncher);
  for (const std::filesystem::path& launcher : {folder / name, folder.parent_path() / name}) {
    if (GetFileAttributesW(launcher.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    win::StartProcess(launcher, L"\"" + Module1::strAppPath + win::Wide(kReadmeFile) + L"\"", SW_SHOWMINIMIZED);
    return;
  }
}

}  // namespace

bool RunCommand(Form1& form, uint16_t id) {
  switch (id) {
    case kCmdTodaysMonth:
      form.OpenTodaysMonth();
      break;
    case kCmdCommonInfo:
      Form3::Open();
      Module1::hidingWatch.lHiddenSeconds = 0;
      break;
    case kCmdTodaysMemo:
      form.Today_DblClick(win::Today(), false);
      break;
    case kCmdMemoByDate:
      DateCommand(form);
      break;
    case kCmdToggleEveryHour:
      Module1::EveryHour = !Module1::EveryHour;
      break;
    case kCmdToggleEveryHourBeep:
      Module1::EveryHourBeep = !Module1::EveryHourBeep;
      break;
    case kCmdToggleHidingCheck:
      Module1::HidingCheck = !Module1::HidingCheck;
      break;
    case kCmdDeletePastMemos:
      DeletePastMemos(Module1::strDatFile, win::Today());
      form.UpdateCalender();
      break;
    case kCmdOpenAllMemos:
      form.OpenAllMemo();
      break;
    case kCmdVersion:
      FormVer::Open(form.hwnd());
      break;
    case kCmdCloseAll:
      CloseAll(form);
      break;
    case kCmdCloseAllButMain:
      CloseAllButMain();
      break;
    case kCmdReadme:
      OpenReadme();
      break;
    case kCmdShowMain:
      form.ShowMainWindow();
      Module1::hidingWatch.lHiddenSeconds = 0;
      break;
    case kCmdExit:
      if (Form4::Current()) return false;
      ExitProgram(form, false);
      break;
    default:
      break;
  }
  return true;
}

void ExitProgram(Form1& form, bool now) {
  Module1::exiting = true;
  if (now) {
    SendMessageW(form.hwnd(), WM_CLOSE, 0, 0);
  } else {
    PostMessageW(form.hwnd(), WM_CLOSE, 0, 0);
  }
}

void EndSession(Form1& form) {
  Module1::sessionEnding = true;
  // The exit command waits for the date dialog; the session cannot. Its own
  // loop then sees the dialog gone and returns a cancel.
  if (Form4* dialog = Form4::Current()) dialog->Command2_Click();
  ExitProgram(form, true);
}

}  // namespace mekuri
