#include "base/date.h"

#include <gtest/gtest.h>

namespace mekuri {
namespace {

TEST(DateTest, SerialsWeekdaysAndValidityMatchTheGregorianCalendar) {
  struct Case {
    int32_t serial;
    int y, m, d, weekday;
  };
  const Case cases[] = {{0, 1899, 12, 30, 7},   {1, 1899, 12, 31, 1},     {61, 1900, 3, 1, 5},
                        {38240, 2004, 9, 10, 6}, {-657434, 100, 1, 1, 6}, {2958465, 9999, 12, 31, 6}};
  for (const Case& c : cases) {
    const Ymd ymd = ToYmd(Date{c.serial});
    EXPECT_EQ(DateFromYmd(c.y, c.m, c.d), Date{c.serial});
    EXPECT_TRUE(ymd.year == c.y && ymd.month == c.m && ymd.day == c.d) << c.serial;
    EXPECT_EQ(Weekday(Date{c.serial}), c.weekday) << c.serial;
  }
  EXPECT_TRUE(IsValidYmd(2000, 2, 29));
  EXPECT_FALSE(IsValidYmd(1900, 2, 29));
  EXPECT_FALSE(IsValidYmd(2004, 4, 31));
  EXPECT_FALSE(IsValidYmd(99, 12, 31));
  EXPECT_FALSE(IsValidYmd(10000, 1, 1));
  EXPECT_FALSE(MakeDate(2003, 2, 29).has_value());
}

TEST(DateTest, EveryDayOfTheValidRangeFollowsTheDayBefore) {
  Ymd prev = ToYmd(DateFromYmd(100, 1, 1));
  for (int32_t s = DateFromYmd(100, 1, 2).serial; s <= DateFromYmd(9999, 12, 31).serial; ++s) {
    const Ymd cur = ToYmd(Date{s});
    const bool nextDay = cur.year == prev.year && cur.month == prev.month && cur.day == prev.day + 1;
    const bool nextMonth = cur.day == 1 && prev.day == DaysInMonth(prev.year, prev.month) &&
                           cur.year * 12 + cur.month == prev.year * 12 + prev.month + 1;
    ASSERT_TRUE(nextDay || nextMonth) << cur.year << "-" << cur.month << "-" << cur.day;
    ASSERT_EQ(DateFromYmd(cur.year, cur.month, cur.day).serial, s);
    prev = cur;
  }
}

TEST(DateTest, PatternsGiveTheProgramsTexts) {
  const Date d = DateFromYmd(2004, 9, 5);
  const DateTime at{DateFromYmd(2004, 1, 2), 7, 8, 9, 0};
  EXPECT_EQ(FormatDate(d, "yyyy/mm/dd|yyyymmdd/|yyyy.mm| d"), "2004/09/05|20040905/|2004.09| 5");
  EXPECT_EQ(FormatDate(DateFromYmd(2004, 9, 25), "d"), "25");
  EXPECT_EQ(FormatDate(d, "yyyy 年 mm 月"), "2004 年 09 月");
  EXPECT_EQ(FormatDate(DateFromYmd(100, 1, 1), "yyyy"), "0100");
  EXPECT_EQ(FormatDateTime(at, "yyyy/mm/dd hh:mm:ss|hhmm"), "2004/01/02 07:08:09|0708");
}

TEST(DateTest, DateKeysParseOnlyInTheirExactForm) {
  EXPECT_EQ(ParseDateKey("2004/09/10"), Date{38240});
  EXPECT_EQ(ParseDateKey(u"2004/02/29"), DateFromYmd(2004, 2, 29));
  for (const char* bad : {"2004/9/10", "2004/09/10 ", " 2004/09/10", "2004-09-10", "2003/02/29",
                          "2004/13/01", "2004/00/10", "0099/12/31", "2004/09/1a", "+004/09/10"}) {
    EXPECT_FALSE(ParseDateKey(bad).has_value()) << bad;
  }
  EXPECT_FALSE(ParseDateKey(u"２００４/09/10").has_value());
}

}  // namespace
}  // namespace mekuri
