#include "calendar/holidays.h"

#include <gtest/gtest.h>

#include <map>

namespace mekuri {
namespace {

TEST(HolidaysTest, RulesAreAcceptedOnlyInTheirTwoExactForms) {
  for (const char* good : {"01/01", "00/15", "13/01", "02/30", "01/100", "01:2:2", "05:5:3", "12:1:7"}) {
    EXPECT_TRUE(IsAcceptedHolidayRule(good)) << good;
  }
  for (const char* bad : {"1/15", "01/1", "01-01", "01/01/", "1./01", " 1/01", "01/001", "01:2:2x",
                          "01:0:2", "01:6:1", "01:2:0", "01:2:8", "05:5:4", "01::22", "0a/01", ""}) {
    EXPECT_FALSE(IsAcceptedHolidayRule(bad)) << bad;
  }
  EXPECT_TRUE(IsAcceptedHolidayRule(std::string_view("11/03\0junk", 10)));
}

TEST(HolidaysTest, LoadingStopsAtTheFirstMissingEmptyOrRejectedEntry) {
  struct Case {
    std::map<std::string, std::string> file;
    std::vector<std::string> rules;
    size_t reads;
  };
  const Case cases[] = {
      {{{"S01", "01/01"}, {"S02", "01:2:2"}}, {"01/01", "01:2:2"}, 3},
      {{{"S01", "01/01"}, {"S02", "1/15"}, {"S03", "02/11"}}, {"01/01"}, 2},
      {{{"S01", "05:5:4"}, {"S02", "01/01"}}, {}, 1},
      {{{"S01", "01/01"}, {"S02", ""}, {"S03", "02/11"}}, {"01/01"}, 2},
  };
  for (const Case& c : cases) {
    size_t reads = 0;
    const HolidayTable table = LoadHolidayTable([&](const std::string& key) {
      ++reads;
      return c.file.count(key) ? c.file.at(key) : std::string();
    });
    std::vector<std::string> rules;
    for (size_t i = 1; i < table.size() && !table[i].empty(); ++i) rules.push_back(table[i]);
    EXPECT_EQ(rules, c.rules);
    EXPECT_EQ(reads, c.reads);
  }
  const HolidayTable full = LoadHolidayTable([](const std::string&) { return std::string("03/21"); });
  EXPECT_EQ(full[99], "03/21");
}

TEST(HolidaysTest, OnlyRulesOfTheShownMonthsAreKeptInTableOrder) {
  HolidayTable table;
  const char* rules[] = {"05/05", "01/01", "12:1:1", "02/11", "13/01", "00/15", "12/23"};
  for (size_t i = 0; i < std::size(rules); ++i) table[i + 1] = rules[i];
  table[9] = "01/02";  // after the end of the table
  EXPECT_EQ(RulesForMonths(table, 12, 1, 2),
            (std::vector<std::string>{"01/01", "12:1:1", "02/11", "12/23"}));
}

TEST(HolidaysTest, KeyListTurnsRulesIntoDatesOfTheShownYears) {
  struct Case {
    std::vector<std::string> rules;
    int m2, year;
    const char* keys;
  };
  const Case cases[] = {
      {{"01/01", "01:2:2"}, 1, 2007, "20070101/20070108/"},
      {{"12/31"}, 1, 2004, "20031231/"},                    // December before January
      {{"01/01"}, 12, 2004, "20050101/"},                   // January after December
      {{"12/31", "01/01"}, 2, 2004, "20041231/20040101/"},  // no crossing
      {{"02/29"}, 3, 2003, ""},
      {{"02/29"}, 3, 2004, "20040229/"},
      {{"02/30", "04/31", "01/00", "01/100"}, 3, 2004, ""},
      {{"09:1:4", "09:3:2"}, 9, 2004, "20040901/20040920/"},  // the 1st is a Wednesday
      {{"08:5:1", "09:5:1"}, 9, 2004, "20040829/"},  // August has five Sundays, September four
      {{"05/05", "05:1:2"}, 5, 2008, "20080505/20080505/"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HolidayKeyList(c.rules, c.m2, c.year), c.keys) << c.rules.front() << " " << c.year;
  }
}

}  // namespace
}  // namespace mekuri
