#pragma once
// The program's shared module: the state that start-up sets and every window
// reads. It names the windows only by declaration, so any window may include
// it; the start-up procedure is in startup/win32/Module1_Startup.h.
#include <windows.h>
#include <shellapi.h>

#include <array>
#include <filesystem>
#include <string>

#include "base/date.h"
#include "calendar/grid_layout.h"
#include "calendar/holidays.h"
#include "shell/timers.h"
#include "timesignal/scheduled_messages.h"

namespace mekuri {

class Form1;
class Form2;

namespace Module1 {

extern std::wstring strAppPath;           // the program's folder, ending in "\"
extern std::filesystem::path strIniFile;  // settings file
extern std::filesystem::path strDatFile;  // this user's memo file
extern HolidayTable strHolidayTable;
extern MessageTable strMsgTable;
extern bool EveryHour;
extern bool EveryHourBeep;
extern bool HidingCheck;
extern bool startupFinished;
extern bool exiting;
extern bool sessionEnding;  // Windows is ending the session: no message box may hold it
// A close-all command is unloading windows. The commands count, not flag: one
// can start inside another's message box and must not end the outer one.
class BulkClose {
 public:
  BulkClose();
  ~BulkClose();
  BulkClose(const BulkClose&) = delete;
  BulkClose& operator=(const BulkClose&) = delete;
};
bool BulkClosing();
extern std::array<Date, kGridCells> dCellDate;

// The tray icon's record, and the main window's procedure before ours.
extern NOTIFYICONDATAW nidTray;
extern WNDPROC lPrevWndProc;
// lHiddenSeconds lives in the hiding watch.
extern HidingWatch hidingWatch;

// The memo window that OpenToday opened at start-up.
extern Form2* todayMemo;

// The main window, once start-up has loaded it (null before and after);
// start-up owns it.
Form1* MainForm();

// The presence probe the grid makes for every filled day cell.
bool SetMemoMark(Date d);

}  // namespace Module1
}  // namespace mekuri
