// The resident shell's menus and timers as plain state.
#include <gtest/gtest.h>

#include "shell/commands.h"
#include "shell/menus.h"
#include "shell/timers.h"

namespace mekuri {
namespace {

TEST(ShellMenus, TrayMenuHasThirteenItemsWithItsHeadingDisabled) {
  const auto items = TrayMenuItems();
  ASSERT_EQ(items.size(), 13u);
  EXPECT_EQ(items[0].text, u"--- 操作メニュー ---");
  EXPECT_EQ(items[0].flags, 0x402u);
  for (size_t i = 1; i < items.size(); i += 2) EXPECT_EQ(items[i].flags, 0xC10u) << i;
  const uint16_t ids[] = {kCmdTodaysMemo, kCmdShowMain, kCmdCommonInfo, kCmdCloseAll, kCmdReadme, kCmdExit};
  for (size_t k = 0; k < 6; ++k) EXPECT_EQ(items[2 + 2 * k].id, ids[k]);
  EXPECT_EQ(items[12].text, u"終了する");
}

TEST(ShellMenus, OperationMenuNamesTodaysMonthAndTheSwitchesActions) {
  const Date today = DateFromYmd(2004, 9, 10);
  auto items = OperationMenuItems(today, true, false);
  ASSERT_EQ(items.size(), 23u);
  EXPECT_EQ(items[0].text, u"----- 操作メニュー -----");
  EXPECT_EQ(items[2].text, u"2004 年 09 月を表示する");
  EXPECT_EQ(items[2].id, kCmdTodaysMonth);
  EXPECT_EQ(items[8].text, u"毎時の表示をしない");
  EXPECT_EQ(items[9].text, u"最小化経過時間をチェックする");
  EXPECT_EQ(items[8].id, kCmdToggleEveryHour);
  EXPECT_EQ(items[9].id, kCmdToggleHidingCheck);
  for (const MenuItem& item : items) {
    EXPECT_NE(item.id, kCmdTodaysMemo);
    EXPECT_NE(item.id, kCmdShowMain);
    EXPECT_NE(item.id, kCmdToggleEveryHourBeep);
  }
  items = OperationMenuItems(today, false, true);
  EXPECT_EQ(items[8].text, u"毎時の表示をする");
  EXPECT_EQ(items[9].text, u"最小化経過時間をチェックしない");
  EXPECT_EQ(TrayTip(DateFromYmd(2005, 1, 1)), u"めくりノート 2005/01/01");
}

TEST(ShellTimers, TrayImageAlternatesWhileHiddenAndSettlesOnTheFirstWhenShown) {
  IconTimer timer;
  bool first = false;  // start-up shows the window's own icon
  std::vector<int> shown;
  for (int tick = 0; tick < 4; ++tick) {
    const int image = timer.Tick(false, first);
    shown.push_back(image);
    if (image) first = image == 1;
  }
  EXPECT_EQ(shown, (std::vector<int>{1, 2, 1, 2}));
  // Visible again: within two ticks the first image, then no more changes.
  int settled = 0;
  for (int tick = 0; tick < 4; ++tick) {
    const int image = timer.Tick(true, first);
    if (image) {
      first = image == 1;
      ++settled;
    }
  }
  EXPECT_TRUE(first);
  EXPECT_LE(settled, 2);
}

TEST(ShellTimers, HidingWatchRemindsAtTheSixtyFirstHiddenTickAndKeepsItsCount) {
  HidingWatch watch;
  int tick = 0;
  while (!watch.Tick(true, false)) ++tick;
  EXPECT_EQ(tick + 1, 61);
  EXPECT_EQ(watch.lHiddenSeconds, 0);

  for (int i = 0; i < 40; ++i) EXPECT_FALSE(watch.Tick(true, false));  // 20 minutes hidden
  for (int i = 0; i < 10; ++i) EXPECT_FALSE(watch.Tick(true, true));   // shown: count kept
  EXPECT_EQ(watch.lHiddenSeconds, 1200);
  EXPECT_FALSE(watch.Tick(false, false));  // switched off: reset
  EXPECT_EQ(watch.lHiddenSeconds, 0);
}

}  // namespace
}  // namespace mekuri
