#include "memo/date_entry.h"

#include <gtest/gtest.h>

#include <iterator>

namespace mekuri {
namespace {

TEST(DateEntryTest, OutOfRangeValuesAreRefused) {
  const char16_t* const cases[][3] = {
      {u"1969", u"9", u"1"}, {u"2101", u"9", u"1"}, {u"", u"9", u"1"},    {u"abcd", u"9", u"1"},
      {u"2004", u"0", u"1"}, {u"2004", u"13", u"1"}, {u"2004", u"", u"1"}, {u"2004", u"0.9", u"1"},
      {u"2004", u"9", u"0"}, {u"2004", u"9", u"32"}, {u"2004", u"9", u"-1"}, {u"1969.9", u"9", u"1"}};
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_FALSE(DateFromEntry(cases[i][0], cases[i][1], cases[i][2]).has_value()) << "case " << i;
  }
}

TEST(DateEntryTest, AcceptedValuesNameTheirDate) {
  struct Case {
    const char16_t* year;
    const char16_t* month;
    const char16_t* day;
    Date expected;
  };
  const Case cases[] = {
      {u"2004", u"9", u"1", DateFromYmd(2004, 9, 1)},
      {u"1970", u"01", u"01", DateFromYmd(1970, 1, 1)},
      {u"2100", u"12", u"31", DateFromYmd(2100, 12, 31)},
      {u" 2004", u"9月", u"1日", DateFromYmd(2004, 9, 1)},   // the leading number counts
      {u"2e3", u"2", u"29", DateFromYmd(2000, 2, 29)},       // a year by its value
      {u"2004", u"9.5", u"1.4", DateFromYmd(2004, 10, 1)},  // as a two-digit format rounds
      {u"2004", u"2", u"30", kCancelDate},                  // no such day
      {u"2003", u"2", u"29", kCancelDate},
      {u"2004", u"4", u"30.5", kCancelDate},                // rounds to 04/31
  };
  EXPECT_EQ(kCancelDate, DateFromYmd(1000, 1, 1));
  for (const Case& c : cases) {
    const auto date = DateFromEntry(c.year, c.month, c.day);
    ASSERT_TRUE(date.has_value());
    EXPECT_EQ(*date, c.expected) << FormatDate(*date, "yyyy/mm/dd");
  }
}

}  // namespace
}  // namespace mekuri
