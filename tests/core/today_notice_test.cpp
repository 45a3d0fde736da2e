#include "memo/today_notice.h"

#include <gtest/gtest.h>

namespace mekuri {
namespace {

TEST(TodayNoticeTest, SentenceHasPlainNumbersAndTheWeekday) {
  EXPECT_EQ(TodayNoticeText(DateFromYmd(2004, 9, 10)), u"　今日は、9 月 10 日 金曜日です。");
  EXPECT_EQ(TodayNoticeText(DateFromYmd(2006, 1, 1)), u"　今日は、1 月 1 日 日曜日です。");
  EXPECT_EQ(TodayNoticeText(DateFromYmd(2005, 12, 31)), u"　今日は、12 月 31 日 土曜日です。");
}

}  // namespace
}  // namespace mekuri
