#include "state/win32/Module1.h"

#include "memo/memo_store.h"

namespace mekuri::Module1 {

std::wstring strAppPath;
std::filesystem::path strIniFile;
std::filesystem::path strDatFile;
HolidayTable strHolidayTable;
MessageTable strMsgTable;
bool EveryHour = true;
bool EveryHourBeep = true;
bool HidingCheck = true;
bool startupFinished = false;
bool exiting = false;
bool sessionEnding = false;
namespace {
int bulkCloseDepth = 0;
}  // namespace
BulkClose::BulkClose() { ++bulkCloseDepth; }
BulkClose::~BulkClose() { --bulkCloseDepth; }
bool BulkClosing() { return bulkCloseDepth > 0; }

Form2* todayMemo = nullptr;
NOTIFYICONDATAW nidTray{};
WNDPROC lPrevWndProc = nullptr;
HidingWatch hidingWatch;
std::array<Date, kGridCells> dCellDate{};

bool SetMemoMark(Date d) { return MemoPresent(strDatFile, d); }

}  // namespace mekuri::Module1
