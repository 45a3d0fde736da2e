#pragma once
// The program's shared module: the state that start-up sets and every window
// reads, and the start-up procedure itself.
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
class InstanceMutex;

namespace Module1 {

extern std::wstring strAppPath;           // the program's folder, ending in "\"
extern std::filesystem::path strIniFile;  // settings file
extern std::filesystem::path strDatFile;  // this user's memo file
extern HolidayTable strHolidayTable;
extern MessageTable strMsgTable;
extern bool EveryHour;
extern bool EveryHourBeep;
extern bool HidingCheck;
extern bool fStartupFinished;
extern bool fExiting;
extern bool fSessionEnding;  // Windows is ending the session: no message box may hold it
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

// The main window, once start-up has loaded it.
Form1* MainForm();

// Steps that need no window: folder, PATH, user name, file paths, holiday
// table and switches. `appPath` is the program's folder.
void PrepareModule(const std::wstring& appPath, const std::wstring& userName);

// "..\;" in front of the process's PATH, for this process and its children;
// from then on libraries load only from the system folder or a full path.
void PrependParentToPath();

// The single-instance rule. When the running copy's main window (its class
// and its caption "めくりノート") exists, ask it to show itself: HandedOver.
// When this copy takes the desktop's mutex: Run. When another copy holds the
// mutex and shows no window within kHandOverWaitMs: NoAnswer; this copy ends.
enum class StartDecision { Run, HandedOver, NoAnswer };
StartDecision HandOverToRunningCopy(InstanceMutex& claim);

// Loads and shows the main window.
Form1* LoadMainForm();
// Ends the main window's life (tests load it again with other settings).
void UnloadMainForm();

// The whole start-up, then the message loop; the process's exit code.
int Main();

// The presence probe the grid makes for every filled day cell.
bool SetMemoMark(Date d);

}  // namespace Module1
}  // namespace mekuri
