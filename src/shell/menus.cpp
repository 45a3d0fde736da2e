#include "shell/menus.h"

#include "base/texts.h"
#include "shell/commands.h"

namespace mekuri {
namespace {

MenuItem Item(std::u16string_view text, uint16_t id) { return MenuItem{std::u16string(text), id, kItemEnabled}; }
MenuItem Heading(std::u16string_view text) { return MenuItem{std::u16string(text), 0, kItemHeading}; }
MenuItem Separator() { return MenuItem{u"", 0, kItemSeparator}; }

std::u16string Ascii(const std::string& s) { return std::u16string(s.begin(), s.end()); }

}  // namespace

std::vector<MenuItem> TrayMenuItems() {
  return {Heading(kTrayMenuHeading),         Separator(), Item(kMenuTodaysMemo, kCmdTodaysMemo), Separator(),
          Item(kMenuShowMain, kCmdShowMain), Separator(), Item(kMenuCommonInfo, kCmdCommonInfo), Separator(),
          Item(kMenuCloseAll, kCmdCloseAll), Separator(), Item(kReadmeFile, kCmdReadme),         Separator(),
          Item(kMenuExit, kCmdExit)};
}

std::vector<MenuItem> OperationMenuItems(Date today, bool everyHour, bool hidingCheck) {
  const std::u16string month = Ascii(FormatDate(today, "yyyy")) + std::u16string(kMenuYearInfix) +
                               Ascii(FormatDate(today, "mm")) + std::u16string(kMenuMonthInfix) +
                               std::u16string(kMenuShowSuffix);
  return {Heading(kOperationMenuHeading),
          Separator(),
          Item(month, kCmdTodaysMonth),
          Separator(),
          Item(kMenuMemoByDate, kCmdMemoByDate),
          Separator(),
          Item(kMenuCommonInfo, kCmdCommonInfo),
          Separator(),
          Item(everyHour ? kMenuEveryHourOff : kMenuEveryHourOn, kCmdToggleEveryHour),
          Item(hidingCheck ? kMenuHidingCheckOff : kMenuHidingCheckOn, kCmdToggleHidingCheck),
          Separator(),
          Item(kMenuDeletePast, kCmdDeletePastMemos),
          Separator(),
          Item(kMenuOpenAll, kCmdOpenAllMemos),
          Separator(),
          Item(kMenuVersion, kCmdVersion),
          Separator(),
          Item(kMenuCloseAllButMain, kCmdCloseAllButMain),
          Item(kMenuCloseAll, kCmdCloseAll),
          Separator(),
          Item(kReadmeFile, kCmdReadme),
          Separator(),
          Item(kMenuExit, kCmdExit)};
}

std::u16string TrayTip(Date today) {
  return std::u16string(kMainCaption) + u" " + Ascii(FormatDate(today, "yyyy/mm/dd"));
}

}  // namespace mekuri
