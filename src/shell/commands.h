#pragma once
// The command bus: every request that crosses windows is WM_COMMAND to the
// main window with one of these ids in wParam and lParam 0. Every sender
// (menus, other windows, a second copy of the program) uses these names.
#include <cstdint>

namespace mekuri {

enum Command : uint16_t {
  kCmdTodaysMonth = 0xC101,
  kCmdCommonInfo = 0xC102,
  kCmdTodaysMemo = 0xC103,
  kCmdMemoByDate = 0xC104,
  kCmdToggleEveryHour = 0xC110,
  kCmdToggleEveryHourBeep = 0xC111,
  kCmdToggleHidingCheck = 0xC112,
  kCmdDeletePastMemos = 0xC120,
  kCmdOpenAllMemos = 0xC130,
  kCmdVersion = 0xC1F0,
  kCmdCloseAll = 0xC1FE,
  kCmdCloseAllButMain = 0xC1FF,
  kCmdReadme = 0xCF00,
  kCmdShowMain = 0xCF01,
  kCmdExit = 0xCFFF,
};

}  // namespace mekuri
