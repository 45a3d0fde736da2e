// The resident main window: close means hide, the tray icon and its menu,
// the command bus, the mouse shortcuts, the exit and the three timers.
#include <windows.h>

#include <filesystem>
#include <utility>
#include <vector>

#include "commonlist/win32/Form3.h"
#include "form_fixture.h"
#include "mainwindow/win32/MainWndProc.h"
#include "memo/win32/Form2.h"
#include "memo/win32/Form4.h"
#include "memo/win32/FormToday.h"
#include "platform/win32/cipher_library.h"
#include "platform/win32/clock.h"
#include "platform/win32/process.h"
#include "platform/win32/text.h"
#include "platform/win32/tray.h"
#include "platform/win32/window.h"
#include "shell/commands.h"
#include "startup/win32/Module1_Startup.h"

namespace mekuri::testing {
namespace {

struct TrayCall {
  DWORD message;
  HICON icon;
  std::wstring tip;
};

class Resident : public MainFormTest {
 protected:
  void SetUp() override {
    MainFormTest::SetUp();
    win::SetTrayForTesting([this](DWORD m, const NOTIFYICONDATAW& nid) {
      tray_.push_back({m, nid.hIcon, nid.szTip});
      return TRUE;
    });
    win::SetProcessStartForTesting([this](const std::wstring& line, WORD show) {
      started_.push_back(line + L"|" + std::to_wstring(show));
      return true;
    });
  }
  void TearDown() override {
    MainFormTest::TearDown();
    win::SetTrayForTesting(nullptr);
    win::SetProcessStartForTesting(nullptr);
    Module1::exiting = false;
    Module1::sessionEnding = false;
    Module1::hidingWatch = HidingWatch{};
  }
  Form1& Start(int y = 2004, int m = 9, int d = 10) {
    Form1& f = LoadForm(y, m, d);
    FillTrayRecord(f);
    InstallMainWindowProcedure(f);
    return f;
  }
  void SetDay(int y, int m, int d) {
    const Date day = DateFromYmd(y, m, d);
    win::SetClockForTesting([day] { return DateTime{day, 0, 0, 5, 0}; });
  }
  bool CommandWaiting(uint16_t id) {
    MSG msg;
    while (PeekMessageW(&msg, form_->hwnd(), WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
      if (LOWORD(msg.wParam) == id) return true;
    }
    return false;
  }
  std::vector<TrayCall> tray_;
  std::vector<std::wstring> started_;
};

bool AppWindow(HWND h) { return (GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_APPWINDOW) != 0; }

TEST_F(Resident, CloseHidesAndTheShowCommandBringsTheWindowBack) {
  Form1& f = Start();
  SendMessageW(f.hwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(f.hwnd()));
  EXPECT_FALSE(IsWindowVisible(f.hwnd()));
  EXPECT_FALSE(AppWindow(f.hwnd()));
  EXPECT_EQ(ReadFileBytes(Module1::strIniFile), "") << "hiding writes nothing";

  Module1::hidingWatch.lHiddenSeconds = 600;
  PostMessageW(f.hwnd(), WM_COMMAND, kCmdShowMain, 0);
  win::PumpMessages();
  EXPECT_TRUE(IsWindowVisible(f.hwnd()));
  EXPECT_TRUE(AppWindow(f.hwnd()));
  EXPECT_EQ(Module1::hidingWatch.lHiddenSeconds, 0);
}

TEST_F(Resident, TrayDoubleClickShowsTheWindowAndTodaysMemoWhenNothingElseIsOpen) {
  Form1& f = Start();
  SendMessageW(f.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
  SendMessageW(f.hwnd(), kTrayCallback, 0, WM_LBUTTONDBLCLK);
  win::PumpMessages();
  EXPECT_TRUE(IsWindowVisible(f.hwnd()));
  ASSERT_EQ(LoadedMemoWindows().size(), 1u);
  EXPECT_EQ(Text(LoadedMemoWindows()[0]->hwnd()), L"Memo - 2004/09/10");
  SendMessageW(f.hwnd(), kTrayCallback, 0, WM_LBUTTONDBLCLK);
  win::PumpMessages();
  EXPECT_EQ(LoadedMemoWindows().size(), 1u);
}

TEST_F(Resident, WheelAndMiddleButtonStepMonths) {
  Form1& f = Start();
  SendMessageW(f.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  EXPECT_EQ(Text(f.Label6[1]), L"2004.08");
  SendMessageW(f.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  SendMessageW(f.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  EXPECT_EQ(Text(f.Label6[1]), L"2004.10");
  SendMessageW(f.hwnd(), WM_MBUTTONDOWN, 0, 0);
  EXPECT_EQ(Text(f.Label6[1]), L"2004.09");
}

TEST_F(Resident, CloseCommandsLeaveTheMainWindowAndSendNoReminder) {
  Form1& f = Start();
  ShowTodayNotice(DateFromYmd(2004, 9, 10));
  int a = 60, b = 61;
  f.Label4_DblClick(a);
  f.Label4_DblClick(b);
  ASSERT_EQ(win::Window::Loaded().size(), 4u);
  SendMessageW(f.hwnd(), WM_COMMAND, kCmdCloseAllButMain, 0);
  EXPECT_EQ(win::Window::Loaded().size(), 1u);
  EXPECT_TRUE(IsWindowVisible(f.hwnd()));
  EXPECT_FALSE(CommandWaiting(kCmdCommonInfo)) << "the notice closed by the program asks for nothing";

  ShowTodayNotice(DateFromYmd(2004, 9, 10));
  f.Label4_DblClick(a);
  SendMessageW(f.hwnd(), WM_COMMAND, kCmdCloseAll, 0);
  EXPECT_EQ(win::Window::Loaded().size(), 1u);
  EXPECT_FALSE(IsWindowVisible(f.hwnd()));
  EXPECT_FALSE(CommandWaiting(kCmdCommonInfo));
}

TEST_F(Resident, ExitIsRefusedWhileTheDateDialogIsOpenThenWritesAndEnds) {
  Form1& f = Start();
  // While the dialog runs its own loop, the exit arrives and is refused;
  // then the dialog is cancelled.
  SetTimer(f.hwnd(), 77, 50, [](HWND h, UINT, UINT_PTR id, DWORD) {
    KillTimer(h, id);
    SendMessageW(h, WM_COMMAND, kCmdExit, 0);
    if (Form4* dialog = Form4::Current()) {
      EXPECT_FALSE(Module1::exiting);
      dialog->Command2_Click();
    }
  });
  SendMessageW(f.hwnd(), WM_COMMAND, kCmdMemoByDate, 0);
  EXPECT_FALSE(Module1::exiting);
  EXPECT_TRUE(LoadedMemoWindows().empty()) << "a cancelled dialog opens nothing";

  int a = 60;
  f.Label4_DblClick(a);
  SendMessageW(f.hwnd(), WM_COMMAND, kCmdExit, 0);
  EXPECT_TRUE(Module1::exiting);
  win::PumpMessages();
  EXPECT_FALSE(IsWindow(f.hwnd()));
  EXPECT_TRUE(win::Window::Loaded().empty());
  ASSERT_FALSE(tray_.empty());
  EXPECT_EQ(tray_.back().message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_NE(ReadFileBytes(Module1::strIniFile).find("StartX="), std::string::npos);
}

// The process may be ended as soon as WM_ENDSESSION returns: by then the
// exit's work is done, as "終了する" does it.
TEST_F(Resident, TheSessionsEndWritesWhatExitWritesBeforeItReturns) {
  WriteSettings("[Mekurinote]\r\nS01=01/01\r\n");
  const HWND h = Start().hwnd();
  SendMessageW(h, WM_COMMAND, kCmdToggleEveryHour, 0);
  SendMessageW(h, WM_COMMAND, kCmdCommonInfo, 0);
  Form3* list = Form3::Current();
  ASSERT_NE(list, nullptr);
  SetFocus(list->Text1);
  SetBox(list->Text1, L"残す");
  list->Command1_Click();
  ASSERT_EQ(list->ListCount(), 1);
  EXPECT_EQ(SendMessageW(h, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  SendMessageW(h, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
  EXPECT_TRUE(IsWindow(h)) << "a session that goes on ends nothing";
  SendMessageW(h, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_TRUE(win::Window::Loaded().empty());
  ASSERT_FALSE(tray_.empty());
  EXPECT_EQ(tray_.back().message, static_cast<DWORD>(NIM_DELETE));
  const std::string ini = ReadFileBytes(Module1::strIniFile);
  EXPECT_NE(ini.find("EveryHour=0\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("StartX="), std::string::npos) << ini;
  EXPECT_NE(ini.find("S01=01/01"), std::string::npos) << ini;
  EXPECT_NE(ReadFileBytes(Module1::strDatFile).find("Common000="), std::string::npos);
}

// The date dialog, which holds back the exit command, cannot hold the
// session; a save that fails then shows no box that would hold it either.
TEST_F(Resident, TheSessionsEndCancelsTheDateDialogAndShowsNoBox) {
  const HWND h = Start().hwnd();
  const CipherLibrary missing;
  win::SetCipherForTesting(&missing);
  SendMessageW(h, WM_COMMAND, kCmdCommonInfo, 0);
  Form3* list = Form3::Current();
  ASSERT_NE(list, nullptr);
  SetFocus(list->Text1);
  SetBox(list->Text1, L"書けない");
  list->Command1_Click();
  ASSERT_EQ(list->ListCount(), 1);
  SetTimer(h, 77, 50, [](HWND w, UINT, UINT_PTR id, DWORD) {
    KillTimer(w, id);
    SendMessageW(w, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    if (Form4* dialog = Form4::Current()) dialog->Command2_Click();  // ignored: the test must not hang
  });
  SendMessageW(h, WM_COMMAND, kCmdMemoByDate, 0);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_TRUE(win::Window::Loaded().empty()) << "the cancelled dialog opens no memo";
  EXPECT_TRUE(boxes_.empty());
  win::SetCipherForTesting(nullptr);
  EXPECT_NE(ReadFileBytes(Module1::strIniFile).find("StartX="), std::string::npos);
}

TEST_F(Resident, CloseCommandsWhileTheDateDialogWaitsOpenNoMemo) {
  Form1& f = Start();
  for (UINT_PTR command : {kCmdCloseAllButMain, kCmdCloseAll}) {
    // The timer's id is the command that arrives while the dialog waits.
    SetTimer(f.hwnd(), command, 30, [](HWND h, UINT, UINT_PTR id, DWORD) {
      KillTimer(h, id);
      SendMessageW(h, WM_COMMAND, id, 0);
      if (Form4* dialog = Form4::Current()) {
        ADD_FAILURE() << "the dialog stayed open";
        dialog->Command2_Click();
      }
    });
    SendMessageW(f.hwnd(), WM_COMMAND, kCmdMemoByDate, 0);
    EXPECT_TRUE(LoadedMemoWindows().empty()) << std::hex << command;
    EXPECT_EQ(win::Window::Loaded().size(), 1u) << std::hex << command;
  }
  EXPECT_FALSE(IsWindowVisible(f.hwnd())) << "only the tray icon is left";
}

TEST_F(Resident, ReadmeStartsTheLauncherMinimisedByItsFullPathOnly) {
  Form1& f = Start();
  const std::filesystem::path app = folder_ / L"めくり ノート";
  std::filesystem::create_directories(app);
  Module1::PrepareModule(app.wstring(), L"tester");
  const std::wstring readme = L" \"" + Module1::strAppPath + L"読んで☆.txt\"|2";
  const struct {
    bool inApp, inParent;
    std::wstring started;
  } cases[] = {
      {true, true, L"\"" + (app / L"ShellExecute.exe").wstring() + L"\"" + readme},
      {false, true, L"\"" + (folder_ / L"ShellExecute.exe").wstring() + L"\"" + readme},
      {false, false, L"<nothing>"},  // never looked up along PATH
  };
  for (const auto& c : cases) {
    for (const auto& [here, folder] : {std::pair{c.inApp, app}, std::pair{c.inParent, folder_}}) {
      if (here) {
        WriteFileBytes(folder / L"ShellExecute.exe", "MZ");
      } else {
        DeleteFileW((folder / L"ShellExecute.exe").c_str());
      }
    }
    started_.clear();
    SendMessageW(f.hwnd(), WM_COMMAND, kCmdReadme, 0);
    EXPECT_EQ(started_.empty() ? L"<nothing>" : started_[0], c.started);
  }
  EXPECT_TRUE(boxes_.empty()) << "a missing launcher gives no message";
}

TEST_F(Resident, AfterThePathStepLibrariesLoadOnlyFromTheSystemFolderOrAFullPath) {
  // A library of that name in the current folder and in its parent, where
  // the "..\" entry points.
  const std::filesystem::path current = folder_ / L"current";
  std::filesystem::create_directories(current);
  for (const auto& folder : {current, folder_}) {
    CopyFileW((DistFolder() / L"QzlCmn.dll").c_str(), (folder / L"mekuri-probe.dll").c_str(), FALSE);
  }
  const std::filesystem::path before = std::filesystem::current_path();
  std::wstring path(GetEnvironmentVariableW(L"PATH", nullptr, 0), L'\0');
  path.resize(GetEnvironmentVariableW(L"PATH", path.data(), static_cast<DWORD>(path.size())));
  std::filesystem::current_path(current);
  Module1::PrependParentToPath();
  HMODULE byName = LoadLibraryW(L"mekuri-probe.dll");
  HMODULE systemLibrary = LoadLibraryW(L"version.dll");
  const std::wstring full = (current / L"mekuri-probe.dll").wstring();
  HMODULE byPath = LoadLibraryExW(full.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  std::filesystem::current_path(before);
  SetEnvironmentVariableW(L"PATH", path.c_str());
  EXPECT_EQ(byName, nullptr) << "found outside the system folder";
  EXPECT_NE(systemLibrary, nullptr);
  EXPECT_NE(byPath, nullptr) << "the cipher library's full-path load";
  for (HMODULE m : {byName, systemLibrary, byPath}) {
    if (m) FreeLibrary(m);
  }
}

TEST_F(Resident, SwitchCommandsInvertOnlyTheirSwitch) {
  Form1& f = Start();
  SendMessageW(f.hwnd(), WM_COMMAND, kCmdToggleEveryHourBeep, 0);
  SendMessageW(f.hwnd(), WM_COMMAND, kCmdToggleHidingCheck, 0);
  EXPECT_TRUE(Module1::EveryHour);
  EXPECT_FALSE(Module1::EveryHourBeep);
  EXPECT_FALSE(Module1::HidingCheck);
}

TEST_F(Resident, ANewDayBringsANewNoticeAndTipAndCancelsTheDateDialog) {
  Form1& f = Start(2004, 9, 10);
  ShowTodayNotice(DateFromYmd(2004, 9, 10));
  FormToday* old = FormToday::Current();
  ASSERT_NE(old, nullptr);
  f.Timer1_Timer();
  EXPECT_EQ(FormToday::Current(), old) << "same day: nothing changes";

  SetDay(2004, 9, 11);
  SetTimer(f.hwnd(), 78, 50, [](HWND h, UINT, UINT_PTR id, DWORD) {
    KillTimer(h, id);
    Module1::MainForm()->Timer1_Timer();
  });
  SendMessageW(f.hwnd(), WM_COMMAND, kCmdMemoByDate, 0);  // returns once the watch cancels it
  EXPECT_EQ(Form4::Current(), nullptr);
  EXPECT_TRUE(LoadedMemoWindows().empty());
  ASSERT_NE(FormToday::Current(), nullptr);
  EXPECT_EQ(Text(FormToday::Current()->Label1), L"　今日は、9 月 11 日 土曜日です。");
  EXPECT_FALSE(CommandWaiting(kCmdCommonInfo)) << "the replaced notice asks for nothing";
  ASSERT_FALSE(tray_.empty());
  EXPECT_EQ(tray_.back().message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(tray_.back().tip, L"めくりノート 2004/09/11");
}

TEST_F(Resident, TrayImageAlternatesOnlyWhileHidden) {
  Form1& f = Start();
  f.Timer2_Timer();
  ASSERT_EQ(tray_.size(), 1u) << "the first tick replaces the window's own icon";
  EXPECT_EQ(tray_[0].icon, f.Picture1());
  f.Timer2_Timer();
  EXPECT_EQ(tray_.size(), 1u) << "visible: steady";
  SendMessageW(f.hwnd(), WM_CLOSE, 0, 0);
  f.Timer2_Timer();
  f.Timer2_Timer();
  ASSERT_EQ(tray_.size(), 3u);
  EXPECT_EQ(tray_[1].icon, f.Picture2());
  EXPECT_EQ(tray_[2].icon, f.Picture1());
  EXPECT_EQ(tray_[2].message, static_cast<DWORD>(NIM_MODIFY));
}

TEST_F(Resident, HiddenForHalfAnHourTheReminderIsPosted) {
  Form1& f = Start();
  SendMessageW(f.hwnd(), WM_CLOSE, 0, 0);
  for (int tick = 1; tick <= 60; ++tick) f.Timer5_Timer();
  EXPECT_FALSE(CommandWaiting(kCmdCommonInfo));
  f.Timer5_Timer();
  EXPECT_TRUE(CommandWaiting(kCmdCommonInfo));
}

TEST_F(Resident, HiddenCountSurvivesATrayDoubleClickButNotTheShowCommand) {
  Form1& f = Start();
  ShowTodayNotice(DateFromYmd(2004, 9, 10));  // so the double-click opens no memo
  SendMessageW(f.hwnd(), WM_CLOSE, 0, 0);
  for (int tick = 0; tick < 40; ++tick) f.Timer5_Timer();
  SendMessageW(f.hwnd(), kTrayCallback, 0, WM_LBUTTONDBLCLK);
  win::PumpMessages();
  ASSERT_TRUE(IsWindowVisible(f.hwnd()));
  for (int tick = 0; tick < 10; ++tick) f.Timer5_Timer();
  EXPECT_EQ(Module1::hidingWatch.lHiddenSeconds, 1200);
  SendMessageW(f.hwnd(), WM_CLOSE, 0, 0);
  for (int tick = 0; tick < 20; ++tick) f.Timer5_Timer();
  EXPECT_FALSE(CommandWaiting(kCmdCommonInfo));
  f.Timer5_Timer();
  EXPECT_TRUE(CommandWaiting(kCmdCommonInfo)) << "the 21st hidden tick after the break";
}

TEST_F(Resident, SwitchesChangedByCommandsReachTheFileAtExit) {
  WriteSettings("[Mekurinote]\r\nEveryHourBeep=0\r\nS01=01/01\r\n");
  Form1& f = Start();
  SendMessageW(f.hwnd(), WM_COMMAND, kCmdToggleEveryHour, 0);
  SendMessageW(f.hwnd(), WM_COMMAND, kCmdToggleEveryHourBeep, 0);
  SendMessageW(f.hwnd(), WM_COMMAND, kCmdExit, 0);
  win::PumpMessages();
  const std::string ini = ReadFileBytes(Module1::strIniFile);
  EXPECT_NE(ini.find("EveryHour=0\r\n"), std::string::npos) << ini;
  EXPECT_EQ(ini.find("EveryHourBeep"), std::string::npos) << "switched on again: the key goes";
  EXPECT_EQ(ini.find("HidingCheck"), std::string::npos);
  EXPECT_NE(ini.find("S01=01/01"), std::string::npos);
}

TEST_F(Resident, TheShellRestartingAddsTheIconAgain) {
  Form1& f = Start();
  SendMessageW(f.hwnd(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  ASSERT_EQ(tray_.size(), 1u);
  EXPECT_EQ(tray_[0].message, static_cast<DWORD>(NIM_ADD));
}

// The real tracked menus: read while they are up, then dismissed.
TEST_F(Resident, RightClickAndTrayMenuShowTheirItems) {
  Form1& f = Start();
  static std::vector<std::wstring> seen;
  seen.clear();
  auto readMenu = [](HWND h, UINT, UINT_PTR id, DWORD) {
    KillTimer(h, id);
    HWND popup = FindWindowW(L"#32768", nullptr);
    HMENU menu = popup ? reinterpret_cast<HMENU>(SendMessageW(popup, 0x01E1 /* MN_GETHMENU */, 0, 0)) : nullptr;
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
      wchar_t text[128] = L"";
      GetMenuStringW(menu, i, text, 128, MF_BYPOSITION);
      seen.push_back(text);
    }
    EndMenu();
  };
  SetTimer(f.hwnd(), 79, 100, readMenu);
  SendMessageW(f.hwnd(), WM_RBUTTONUP, 0, 0);
  ASSERT_EQ(seen.size(), 23u);
  EXPECT_EQ(seen[2], L"2004 年 09 月を表示する");
  EXPECT_EQ(seen[22], L"終了する");

  seen.clear();
  SetTimer(f.hwnd(), 79, 100, readMenu);
  SendMessageW(f.hwnd(), kTrayCallback, 0, WM_RBUTTONUP);
  win::PumpMessages();
  ASSERT_EQ(seen.size(), 13u);
  EXPECT_EQ(seen[2], L"今日のメモを表示する");
}

}  // namespace
}  // namespace mekuri::testing
