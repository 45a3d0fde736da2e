#pragma once
// The two command menus as data: the tray menu and the operation menu. Both
// carry ids of the one command table, so a choice from either reaches the
// main window as the same WM_COMMAND.
#include <cstdint>
#include <string>
#include <vector>

#include "base/date.h"

namespace mekuri {

// Menu flags as the system takes them.
inline constexpr uint32_t kItemEnabled = 0x400;    // MF_BYPOSITION | MF_STRING
inline constexpr uint32_t kItemHeading = 0x402;    // ... | MF_GRAYED
inline constexpr uint32_t kItemSeparator = 0xC10;  // ... | MF_SEPARATOR | MF_POPUP bit

struct MenuItem {
  std::u16string text;
  uint16_t id = 0;
  uint32_t flags = kItemEnabled;
};

std::vector<MenuItem> TrayMenuItems();
// `today` names item 3; the switches choose the texts of items 9 and 10.
std::vector<MenuItem> OperationMenuItems(Date today, bool everyHour, bool hidingCheck);

// "めくりノート yyyy/mm/dd", the tray icon's tip.
std::u16string TrayTip(Date today);

}  // namespace mekuri
