// The portable rules without files: dates, numbers, text, holidays, the grid, the clock and the menus.
#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <set>

#include "base/cp932.h"
#include "base/number.h"
#include "calendar/grid_layout.h"
#include "calendar/holidays.h"
#include "commonlist/common_list.h"
#include "memo/date_entry.h"
#include "memo/today_notice.h"
#include "shell/commands.h"
#include "shell/menus.h"
#include "shell/timers.h"
#include "timesignal/clock_ticker.h"
#include "timesignal/scheduled_messages.h"
#include "timesignal/time_signal.h"

namespace mekuri {
namespace {

using namespace std::string_literals;
Date Day(int y, int m, int d) { return DateFromYmd(y, m, d); }

TEST(Dates, SerialsWeekdaysAndKeysFollowTheGregorianCalendar) {
  const struct { int32_t serial; int y, m, d, weekday; } cases[] = {{0, 1899, 12, 30, 7}, {1, 1899, 12, 31, 1}, {61, 1900, 3, 1, 5}, {38240, 2004, 9, 10, 6},
               {-657434, 100, 1, 1, 6}, {2958465, 9999, 12, 31, 6}};
  for (const auto& c : cases) {
    const Ymd ymd = ToYmd(Date{c.serial});
    EXPECT_EQ(std::make_tuple(DateFromYmd(c.y, c.m, c.d).serial, ymd.year, ymd.month, ymd.day, Weekday(Date{c.serial})),
              std::make_tuple(c.serial, c.y, c.m, c.d, c.weekday));
  }
  Ymd prev = ToYmd(DateFromYmd(100, 1, 1));
  for (int32_t s = DateFromYmd(100, 1, 2).serial; s <= DateFromYmd(9999, 12, 31).serial; ++s) {
    const Ymd cur = ToYmd(Date{s});
    const bool nextDay = cur.year == prev.year && cur.month == prev.month && cur.day == prev.day + 1;
    const bool nextMonth = cur.day == 1 && prev.day == DaysInMonth(prev.year, prev.month) &&
                           cur.year * 12 + cur.month == prev.year * 12 + prev.month + 1;
    ASSERT_TRUE(nextDay || nextMonth) << cur.year << "-" << cur.month << "-" << cur.day;
    ASSERT_EQ(DateFromYmd(cur.year, cur.month, cur.day).serial, s);
    if (cur.day == 1 || cur.day >= 28) ASSERT_EQ(ParseDateKey(FormatDate(Date{s}, "yyyy/mm/dd")), Date{s}) << s;
    prev = cur;
  }
  for (auto [y, m, d, valid] : {std::tuple{2000, 2, 29, true}, {1900, 2, 29, false}, {2004, 4, 31, false}, {99, 12, 31, false},
                                {100, 1, 1, true}, {9999, 12, 31, true}, {10000, 1, 1, false}, {2004, 0, 1, false},
                                {2004, 13, 1, false}, {2004, 1, 0, false}})
    EXPECT_EQ(std::make_pair(IsValidYmd(y, m, d), MakeDate(y, m, d).has_value()), std::make_pair(valid, valid)) << y << "-" << m << "-" << d;
  EXPECT_EQ(std::make_pair(ParseDateKey("2004/09/10"), ParseDateKey(u"2004/02/29")), std::make_pair(std::optional(Date{38240}), std::optional(Day(2004, 2, 29))));
  for (const char* bad : {"2004/9/10", "2004/09/10 ", " 2004/09/10", "2004-09-10", "2004/09-10", "2003/02/29",
                          "2004/13/01", "2004/00/10", "0099/12/31", "2004/09/1a", "+004/09/10", "2004/0:/10"})
    EXPECT_FALSE(ParseDateKey(bad).has_value()) << bad;
  EXPECT_FALSE(ParseDateKey(u"２００４/09/10").has_value());
  EXPECT_EQ(FormatDate(Day(2004, 9, 5), "yyyy/mm/dd|yyyymmdd/|yyyy.mm| d|m") + FormatDate(Day(2004, 12, 25), "|d") +
                FormatDate(Day(100, 1, 1), "|yyyy"), "2004/09/05|20040905/|2004.09| 5|m|25|0100");
  EXPECT_EQ(FormatDateTime({Day(2004, 1, 2), 7, 8, 9, 0}, "yyyy/mm/dd hh:mm:ss|hhmm") + FormatDateTime({Day(2004, 1, 2), 17, 48, 59, 0},
            "|hh:mm:ss") + FormatDateTime({Day(2004, 1, 2), 0, 0, 0, 0}, "|hh:mm:ss"), "2004/01/02 07:08:09|0708|17:48:59|00:00:00");
  EXPECT_EQ(FormatDateTime({Day(2004, 1, 2), 7, 8, 9, 0}, "hh:yyyy mm|hh:dd mm|hh:d mm|hh:ss mm|hh:mm:mm"),
            "07:2004 01|07:02 01|07:2 01|07:09 01|07:08:01");  // "mm" is minutes right after "hh" only
}

TEST(Numbers, LeadingNumberRoundingAndText) {
  const std::pair<const char*, double> cases[] = {
      {"2e3", 2000}, {"1200.5", 1200.5}, {"-30", -30}, {" 12abc", 12}, {"abc", 0}, {".", 0}, {"1e", 1},
      {"+.5", 0.5}, {"", 0}, {"-", 0}, {"\t\r\n 7", 7}, {"5.", 5}, {"25E-2", 0.25}, {"1e+", 1}, {"12.5.3", 12.5},
      {"--1", 0}, {"1 2", 1}, {"0x10", 0}, {"1e-400", 0}, {"\v1", 0}, {"1e2x", 100}, {"99.9e1", 999}};
  for (const auto& [text, value] : cases) EXPECT_EQ(std::make_pair(LeadingNumber(text), LeadingNumber(FromUtf8(text))), std::make_pair(value, value)) << text;
  EXPECT_EQ(LeadingNumber("-1e99999999999999999999"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(LeadingNumber(u"１２"), 0);  // full-width digits are no digits
  EXPECT_EQ(LeadingNumber(std::string_view("1e57", 3)), 1e5);
  const struct { double value; int16_t i16; int32_t i32; } rounding[] = {{1200.5, 1200, 1200}, {1201.5, 1202, 1202}, {-2.5, -2, -2}, {-3.5, -4, -4}, {0.5, 0, 0},
                  {2.4999, 2, 2}, {-0.6, -1, -1}, {32767.5, 32767, 32768}, {-40000, -32768, -40000},
                  {2147483647.5, 32767, 2147483647}, {-1e300, -32768, INT32_MIN},
                  {std::numeric_limits<double>::quiet_NaN(), 0, 0}};
  for (const auto& c : rounding) EXPECT_EQ(std::make_pair(ToInt16(c.value), ToInt32(c.value)), std::make_pair(c.i16, c.i32)) << c.value;
  for (const auto& [value, text] : {std::pair{1200.0f, "1200"}, {-480000.0f, "-480000"}, {1200.5f, "1200.5"}, {0.1f, "0.1"},
                                    {1.0f / 3.0f, "0.3333333"}, {9999999.0f, "9999999"}, {12345678.0f, "1.234568E+07"},
                                    {0.000012345f, "1.2345E-05"}, {-0.0f, "0"}})
    EXPECT_EQ(FormatSingle(value), text);
}

TEST(Text, Cp932AndUtf8ConvertBothWays) {
  const std::u16string text = u"めくりノート 2004/09/10 ～（）①髙ｱ\\~\0x"s;
  const std::string bytes = ToCp932(text);
  EXPECT_EQ(bytes.substr(0, 6), "\x82\xDF\x82\xAD\x82\xE8");
  EXPECT_NE(bytes.find("\x81\x60\x81\x69\x81\x6A\x87\x40\xFB\xFC\xB1\\~", 0), std::string::npos);
  EXPECT_EQ(FromCp932(bytes), text);  // below: only look-alikes in code page 932; Windows converts unit by unit
  EXPECT_EQ(ToCp932(u"a\u301Cb\u00A5c\u20AC\U0001F600" + std::u16string(1, char16_t(0xD800))) + ToCp932(u"\u0080\uF8F0\uF8F3"), "a?b?c????\x80\xA0\xFF");
  EXPECT_EQ(FromCp932("\x80\xA0\xFF"), u"\u0080\uF8F0\uF8F3");  // as Windows' table has them
  EXPECT_EQ(FromCp932("a\x85\x40" "b\x81 z\x81\0z"s "ok\x82"), u"a\u30FBb\u30FBz\u30FB\0zok\u30FB"s);
  EXPECT_EQ(FromCp932("\x9F\x7F\xE0 \xFC "), u"\u30FB\u30FB\u30FB");  // every refused lead byte takes one byte along
  const std::pair<std::string, std::u16string> utf8[] = {
      {"\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", u"\u007F\u0080\u07FF\u0800\uFFFF\U00010000\U0010FFFF"},
      {"\xE6\x97" "a\xC0\xAF\xFF", u"\uFFFDa\uFFFD\uFFFD\uFFFD"},
      {"\xC1\xBF\xE0\x9F\xBF\xED\xA0\x80\xF4\x90\x80\x80\xF5\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"\xF0\x9F\x98", u"\uFFFD"}};
  for (const auto& [bytes8, units] : utf8) EXPECT_EQ(FromUtf8(bytes8), units) << testing::PrintToString(bytes8);
  EXPECT_EQ(ToUtf8(utf8[0].second), utf8[0].first);
  EXPECT_EQ(ToUtf8(u"\U0001F600" + std::u16string{char16_t(0xDC00), u'a', char16_t(0xDFFF), char16_t(0xDBFF)}),
            "\xF0\x9F\x98\x80\xEF\xBF\xBD" "a\xEF\xBF\xBD\xEF\xBF\xBD");  // lone surrogates have no UTF-8 form
}

TEST(Holidays, RulesLoadingAndKeys) {
  for (const char* good : {"01/01", "00/15", "13/01", "02/30", "01/100", "01:2:2", "05:5:3", "12:1:7"}) EXPECT_TRUE(IsAcceptedHolidayRule(good)) << good;
  for (const char* bad : {"1/15", "01/1", "01-01", "01/01/", "1./01", " 1/01", "01/001", "01:2:2x", "01:0:2",
                          "01:6:1", "01:2:0", "01:2:8", "05:5:4", "01::22", "0a/01", ""}) EXPECT_FALSE(IsAcceptedHolidayRule(bad)) << bad;
  EXPECT_TRUE(IsAcceptedHolidayRule(std::string_view("11/03\0junk", 10)));
  const struct { std::map<std::string, std::string> file; std::vector<std::string> rules; size_t reads; } loads[] = {{{{"S01", "01/01"}, {"S02", "01:2:2"}}, {"01/01", "01:2:2"}, 3},
               {{{"S01", "01/01"}, {"S02", "1/15"}, {"S03", "02/11"}}, {"01/01"}, 2},
               {{{"S01", "01/01"}, {"S02", ""}, {"S03", "02/11"}}, {"01/01"}, 2}};
  for (const auto& c : loads) {
    size_t reads = 0;
    const HolidayTable table = LoadHolidayTable([&](const std::string& key) { return ++reads, c.file.count(key) ? c.file.at(key) : std::string(); });
    std::vector<std::string> rules;
    for (size_t i = 1; i < table.size() && !table[i].empty(); ++i) rules.push_back(table[i]);
    EXPECT_EQ(std::make_pair(rules, reads), std::make_pair(c.rules, c.reads));
  }
  EXPECT_EQ(LoadHolidayTable([](const std::string&) { return "03/21"s; })[99], "03/21");
  HolidayTable table;
  const char* rules[] = {"05/05", "01/01", "12:1:1", "02/11", "13/01", "00/15", "12/23"};
  for (size_t i = 0; i < std::size(rules); ++i) table[i + 1] = rules[i];
  table[9] = "01/02";  // after the end of the table
  EXPECT_EQ(RulesForMonths(table, 12, 1, 2), (std::vector<std::string>{"01/01", "12:1:1", "02/11", "12/23"}));
  const struct { std::vector<std::string> rules; int m2, year; const char* keys; } lists[] = {
      {{"01/01", "01:2:2"}, 1, 2007, "20070101/20070108/"}, {{"12/31"}, 1, 2004, "20031231/"},  // December before January
      {{"01/01"}, 12, 2004, "20050101/"},  // January after December
      {{"12/31", "01/01"}, 2, 2004, "20041231/20040101/"}, {{"02/29"}, 3, 2003, ""}, {{"02/29"}, 3, 2004, "20040229/"},
      {{"02/30", "04/31", "01/00", "01/100"}, 3, 2004, ""}, {{"09:1:4", "09:3:2"}, 9, 2004, "20040901/20040920/"},  // the 1st is a Wednesday
      {{"08:5:1", "09:5:1"}, 9, 2004, "20040829/"},  // August has five Sundays, September four
      {{"05/05", "05:1:2", "05:1:7"}, 5, 2008, "20080505/20080505/20080503/"}, {{"01/01"}, 1, 100, "01000101/"},
  };
  for (const auto& c : lists) EXPECT_EQ(HolidayKeyList(c.rules, c.m2, c.year), c.keys) << c.rules.front() << " " << c.year;
}

TEST(DateEntry, TheLeadingNumbersNameADateOrAreRefused) {
  for (const auto& [y, m, d] : {std::tuple{u"1969", u"9", u"1"}, {u"2101", u"9", u"1"}, {u"", u"9", u"1"}, {u"2004", u"0", u"1"},
                                {u"2004", u"13", u"1"}, {u"2004", u"0.9", u"1"}, {u"2004", u"9", u"0"}, {u"2004", u"9", u"32"},
                                {u"1969.9", u"9", u"1"}})
    EXPECT_FALSE(DateFromEntry(y, m, d).has_value()) << ToUtf8(y) << "/" << ToUtf8(m) << "/" << ToUtf8(d);
  const struct { const char16_t *year, *month, *day; Date expected; } cases[] = {
      {u"1970", u"01", u"01", Day(1970, 1, 1)},        {u"2100", u"12", u"31", Day(2100, 12, 31)},
      {u" 2004", u"9月", u"1日", Day(2004, 9, 1)},       {u"2e3", u"2", u"29", Day(2000, 2, 29)},
      {u"2004", u"9.5", u"1.4", Day(2004, 10, 1)},     // as a two-digit format rounds
      {u"2004", u"2", u"30", kCancelDate},  {u"2004", u"4", u"30.5", kCancelDate}};
  for (const auto& c : cases) EXPECT_EQ(DateFromEntry(c.year, c.month, c.day), c.expected) << ToUtf8(c.day);
}

using Runs = std::vector<std::pair<int, int>>;

TEST(Grid, MonthBlocksHeadingsAndColours) {
  const struct { int year, month; Runs runs; int top1, top2; const char* headings; } cases[] = {
      {2006, 8, {{13, 43}, {58, 88}, {103, 132}}, 258, 426, "2006.07 2006.08 2006.09"},
      {2004, 9, {{7, 37}, {52, 81}, {96, 126}}, 230, 398, "2004.08 2004.09 2004.10"},
      {2009, 3, {{7, 34}, {42, 72}, {87, 116}}, 202, 370, "2009.02 2009.03 2009.04"},
      {2004, 1, {{8, 38}, {53, 83}, {91, 119}}, 230, 398, "2003.12 2004.01 2004.02"},
      {2004, 12, {{8, 37}, {52, 82}, {97, 127}}, 230, 398, "2004.11 2004.12 2005.01"},
  };
  for (const auto& c : cases) {
    Grid grid = InitialGrid();
    BuildGrid(grid, c.year, c.month, kZeroDate, "", {});
    Runs runs;  // first and last cell of each run of dated cells
    for (int k = 0; k < kGridCells; ++k) {
      if (grid.cellDate[k] == kZeroDate) continue;
      if (!runs.empty() && runs.back().second == k - 1) runs.back().second = k;
      else runs.emplace_back(k, k);
    }
    EXPECT_EQ(runs, c.runs) << c.headings;
    EXPECT_EQ(std::make_tuple(grid.headings[0].top, grid.headings[1].top, grid.headings[2].top), std::make_tuple(64, c.top1, c.top2));
    EXPECT_EQ(ToUtf8(grid.headings[0].caption + u" " + grid.headings[1].caption + u" " + grid.headings[2].caption), c.headings);
    EXPECT_EQ(grid.shownMonth, Day(c.year, c.month, 1));
    for (const auto& [first, last] : c.runs)
      EXPECT_EQ(std::make_tuple(ToYmd(grid.cellDate[first]).day, Weekday(grid.cellDate[first]), grid.cellDate[last].serial),
                std::make_tuple(1, first % 7 + 1, grid.cellDate[first].serial + last - first));
  }
  Grid grid = InitialGrid();  // September 2004 starts at cell 52
  EXPECT_EQ(std::make_pair(grid.cells[0].color, grid.cells[6].color), std::make_pair(kColorHoliday, kColorSaturday));
  BuildGrid(grid, 2004, 9, Day(2004, 9, 13), "20040904/20040910/20040913/", {});
  auto cell = [&](int day) { return grid.cells[51 + day]; };
  const std::pair<int, uint32_t> colours[] = {{13, kColorToday}, {4, kColorHoliday}, {10, kColorHoliday},
                                              {11, kColorSaturday}, {12, kColorHoliday}, {14, kColorPlain}};
  for (auto [day, colour] : colours) EXPECT_EQ(cell(day).color, colour) << day;
  EXPECT_EQ(cell(9).caption + cell(10).caption + cell(9).tooltip, u" 9102004/09/09");
}

TEST(Grid, RebuildProbesEachShownDayOnceAndClearsBlankCells) {
  std::vector<Date> probed;
  const MemoProbe probe = [&](Date d) { return probed.push_back(d), ToYmd(d).day == 10; };
  Grid grid = InitialGrid();
  BuildGrid(grid, 2006, 8, kZeroDate, "", [](Date) { return true; });
  constexpr uint32_t kMarker = 0x123456;
  for (int k = 7; k < kGridCells; ++k) grid.cells[k].color = kMarker;
  grid.cellDate.fill(Date{1});
  BuildGrid(grid, 2004, 9, kZeroDate, "", probe);
  EXPECT_EQ(probed.size(), 31u + 30u + 31u);
  EXPECT_EQ(std::set<Date>(probed.begin(), probed.end()).size(), probed.size());
  for (int k = 0; k < kGridCells; ++k) {
    const GridCell& cell = grid.cells[k];
    const bool blank = grid.cellDate[k] == kZeroDate, memo = !blank && ToYmd(grid.cellDate[k]).day == 10;
    if (k < 7) EXPECT_TRUE(blank) << k;
    else if (blank)  // a blanked label keeps its colour
      EXPECT_TRUE(cell.caption.empty() && cell.tooltip.empty() && !cell.memo && cell.color == kMarker) << k;
    else EXPECT_EQ(std::make_pair(cell.memo, cell.tooltip), std::make_pair(memo, FromUtf8(FormatDate(grid.cellDate[k], "yyyy/mm/dd")) + (memo ? u" ..." : u""))) << k;
  }
}

TEST(Grid, MonthInputIsCheckedByItsLeadingNumber) {
  using E = MonthInputError;
  const struct { const char16_t *year, *month; MonthInputError error; int y, m; } cases[] = {
      {u"2004", u"09", E::None, 2004, 9}, {u"1970", u"1", E::None, 1970, 1}, {u"2100", u"12", E::None, 2100, 12},
      {u"2e3", u"7x", E::None, 2000, 7}, {u" 2004.5", u"11.5", E::None, 2004, 12}, {u"1969", u"1", E::Year, 0, 0},
      {u"2101", u"1", E::Year, 0, 0}, {u"", u"", E::Year, 0, 0}, {u"２００４", u"1", E::Year, 0, 0},
      {u"2004", u"0", E::Month, 0, 0}, {u"2004", u"13", E::Month, 0, 0}, {u"2004", u"12.4", E::Month, 0, 0}};
  for (const auto& c : cases) {
    const MonthInput in = ValidateMonthInput(c.year, c.month);
    EXPECT_EQ(std::make_tuple(in.error, in.year, in.month), std::make_tuple(c.error, c.y, c.m)) << ToUtf8(c.year) << "/" << ToUtf8(c.month);
  }
}

DateTime At(int h, int m, int s) { return DateTime{Day(2004, 9, 10), h, m, s, 0}; }

struct TickLog {
  std::vector<std::u16string> sent;
  std::vector<int> windowAt, boldFrom, boldTo;  // mmss of the ticks
  int Count(const std::u16string& prefix) const { return std::count_if(sent.begin(), sent.end(), [&](auto& c) { return c.rfind(prefix, 0) == 0; }); }
};

// Five ticks a second from `from` to `to` (seconds of the day).
TickLog Ticks(ClockTicker& ticker, int from, int to, bool everyHour, int openAnswer = 0) {
  TickLog run;
  bool bold = false;
  for (int t = from; t <= to; ++t) {
    const int s = t % 86400, mmss = s / 60 % 60 * 100 + s % 60;
    for (int k = 0; k < 5; ++k) {
      const ClockTick tick = ticker.Tick(At(s / 3600, s / 60 % 60, s % 60), everyHour, u"C:\\T\\",
                                         [&](const std::u16string& c) { return run.sent.push_back(c), c.rfind(u"open", 0) ? 0 : openAnswer; });
      if (tick.openWindow) run.windowAt.push_back(mmss);
      if (tick.setFont && tick.bold != bold) (tick.bold ? run.boldFrom : run.boldTo).push_back(mmss), bold = tick.bold;
    }
  }
  return run;
}

TEST(Clock, TheHourIsChimedBoldedAndShownOnce) {
  ClockTicker ticker, late, missed, off, noFile;
  TickLog run = Ticks(ticker, 9 * 3600 + 59 * 60, 10 * 3600 + 60, true);
  EXPECT_EQ(run.sent[0], u"open \"C:\\T\\Jihou.wav\" alias Mekurinote_Jihou");
  EXPECT_EQ(std::make_tuple(run.Count(u"open"), run.Count(u"play"), run.Count(u"close")), std::make_tuple(5, 1, 5));
  EXPECT_EQ(std::make_tuple(run.windowAt, run.boldFrom, run.boldTo), std::make_tuple(std::vector{5959}, std::vector{5957}, std::vector{2}))
      << "bold until the first tick at hh:00:02";
  run = Ticks(late, 11 * 3600 + 59 * 60 + 55, 12 * 3600 + 20, true);
  EXPECT_EQ(std::make_pair(run.Count(u"play"), run.windowAt), std::make_pair(0, std::vector{5959})) << "no chime after hh:59:52";
  Ticks(missed, 11 * 3600 + 59 * 60 + 50, 11 * 3600 + 59 * 60 + 59, false);
  run = Ticks(missed, 12 * 3600 + 30, 12 * 3600 + 30, false);  // hh:00:10 never ticked
  EXPECT_EQ(run.sent, std::vector<std::u16string>{u"close Mekurinote_Jihou"});
  run = Ticks(missed, 12 * 3600 + 31, 12 * 3600 + 59 * 60 + 51, false);
  EXPECT_TRUE(run.sent.empty());
  run = Ticks(off, 11 * 3600 + 59 * 60 + 50, 12 * 3600 + 5, false);
  EXPECT_EQ(std::make_pair(run.windowAt, run.boldFrom), std::make_pair(std::vector<int>{}, std::vector{5957})) << "the bar still turns bold";
  run = Ticks(noFile, 11 * 3600 + 59 * 60 + 50, 12 * 3600 + 5, false, /*openAnswer=*/275);
  EXPECT_EQ(run.Count(u"play"), 0) << "a failed open plays nothing";
}

MessageTable Table(const std::map<std::string, std::string>& keys) {
  return LoadMessageTable([&](const std::string& k) { return keys.contains(k) ? keys.at(k) : std::string(); });
}

TEST(ScheduledMessages, LoadingStopsAtTheFirstGapOrMalformedEntryAndEachFiresOnce) {
  const std::pair<std::string, std::u16string> entries[] = {
      {"12:00/", u"12:00/"}, {"25:70/never", u"25:70/never"}, {"12:00/\x83\x81\x83\x82", u"12:00/メモ"},
      {"7:30/a", u""}, {"12:00", u""}, {"12-00/x", u""}, {"12:0x/x", u""}, {"1.:00/x", u""}, {"12:00x", u""},
      {"12:00/" + std::string(100, 'x'), u"12:00/" + std::u16string(100, u'x')}, {"12:00/" + std::string(101, 'x'), u""}};
  for (const auto& [bytes, entry] : entries) EXPECT_EQ(Table({{"M01", bytes}})[1], entry) << bytes;
  EXPECT_EQ(LoadMessageTable([](const std::string& key) { return "07:30/" + key; })[10], u"07:30/M10");
  const MessageTable gap = Table({{"M01", "07:30/a"}, {"M03", "08:00/b"}});
  EXPECT_EQ(gap[1] + gap[2], u"07:30/a");
  MessageTicker ticker;  // once at the first tick of its minute's second 0; random tables are fuzzed
  const auto first = ticker.Tick(gap, At(7, 30, 0)), again = ticker.Tick(gap, At(7, 30, 0));
  EXPECT_EQ(std::tuple(first, again, ticker.nMsgCount), std::tuple(std::vector{1}, std::vector<int>{}, 1));
  EXPECT_EQ(MessageTime(u"09:00/at nine") + u"|" + MessageText(u"09:00/at nine") + MessageText(u"12:00/"), u"09:00|at nine");
}

TEST(TimeSignal, AnnouncementAndChimeAnimation) {
  // Said at hh:59:59, of the coming hour on a twelve-hour dial; noon has a word of its own.
  for (auto [hour, digits] : {std::pair{12, u"1"}, {22, u"11"}, {23, u"0"}, {0, u"1"}, {9, u"10"}})
    EXPECT_EQ(HourAnnouncement(hour), digits + HourAnnouncement(12).substr(1)) << hour;
  EXPECT_EQ(HourAnnouncement(11).find_first_of(u"0123456789"), std::u16string::npos);
  ChimeAnimation a;
  ChimeStep step = a.Step();  // the first step shows the text and grows it
  EXPECT_EQ(std::make_tuple(step.showText, step.resize, a.intervalMs, a.fontHundredths), std::make_tuple(true, true, 20, 925));
  int steps = 1;
  for (; !step.finish && steps < 50; ++steps) EXPECT_TRUE((step = a.Step()).resize && !step.showText);
  EXPECT_EQ(steps, 12) << "8.25 pt grows by 1 pt until it passes 20 pt";
  EXPECT_EQ(std::make_tuple(a.fontHundredths, a.bold, a.intervalMs, a.nBlink), std::make_tuple(2025, true, 2000, 0));
  for (uint32_t colour : {0x0000FFu, 0x00FF00u, 0x00FFFFu, 0xFF0000u, 0xFF00FFu, 0xFFFF00u, 0x0000FFu}) {
    step = a.Step();
    EXPECT_TRUE(step.recolour && !step.resize && BlinkColor(a.nBlink) == colour) << "nBlink " << a.nBlink;
  }
}

TEST(Shell, MenusFollowTheSwitchesAndTheDate) {
  const auto on = OperationMenuItems(Day(2004, 9, 10), true, false), off = OperationMenuItems(Day(2005, 1, 1), false, true);
  ASSERT_EQ(on.size(), off.size());
  EXPECT_EQ(std::make_tuple(on[2].id, on[8].id, on[9].id), std::make_tuple(kCmdTodaysMonth, kCmdToggleEveryHour, kCmdToggleHidingCheck));
  EXPECT_TRUE(on[2].text.starts_with(u"2004 年 09 月") && on[8].text != off[8].text && on[9].text != off[9].text);
  EXPECT_EQ(TrayMenuItems().back().id, kCmdExit);
  EXPECT_EQ(TrayTip(Day(2005, 1, 1)).substr(TrayTip(Day(2005, 1, 1)).size() - 11), u" 2005/01/01");
  EXPECT_EQ(std::make_pair(TodayNoticeText(Day(2005, 12, 31)).find(u"12 月 31 日 土"), TodayNoticeText(Day(2006, 1, 1)).find(u"1 月 1 日 日")),
            std::make_pair(size_t{5}, size_t{5}));
}

TEST(Shell, TrayImageAlternatesWhileHiddenAndTheHidingWatchReminds) {
  IconTimer timer;
  bool first = false;  // start-up shows the window's own icon
  std::vector<int> shown;
  for (bool visible : {false, false, false, false, true, true, true}) {
    shown.push_back(timer.Tick(visible, first));
    if (shown.back()) first = shown.back() == 1;
  }
  EXPECT_EQ(shown, (std::vector<int>{1, 2, 1, 2, 1, 0, 0}));
  HidingWatch watch;
  int tick = 1;
  while (!watch.Tick(true, false)) ++tick;
  EXPECT_EQ(std::make_pair(tick, watch.lHiddenSeconds), std::make_pair(61, 0));
  for (int i = 0; i < 40; ++i) EXPECT_FALSE(watch.Tick(true, false));  // 20 minutes hidden
  for (int i = 0; i < 10; ++i) EXPECT_FALSE(watch.Tick(true, true));   // shown: count kept
  EXPECT_EQ(watch.lHiddenSeconds, 1200);
  EXPECT_TRUE(!watch.Tick(false, false) && watch.lHiddenSeconds == 0);  // switched off: reset
  // The shared tick wakes at the turn of each second; a period it runs is due
  // one period apart, and after a gap starts again instead of catching up.
  for (auto [ms, delay] : {std::pair{0, 1000}, {1, 999}, {999, 1}, {1200, 1}, {-5, 1000}}) EXPECT_EQ(MsToNextSecond(ms), delay) << ms;
  for (auto [ms, armed, set] : {std::tuple{12, 1000, 0}, {12, 988, 1000}, {40, 1000, 0}, {41, 1000, 959}, {998, 1000, 2}, {0, 0, 1000}})
    EXPECT_EQ(SecondTimerInterval(ms, armed), set) << ms << " " << armed;
  Period period{30000};
  std::vector<uint64_t> due;
  for (uint64_t t : {29999, 30000, 59000, 60400, 61000, 400000, 429000, 430000}) if (period.Due(t, 30000)) due.push_back(t);
  EXPECT_EQ(due, (std::vector<uint64_t>{30000, 60400, 400000, 430000}));
}

TEST(CommonListRules, ButtonsAddDropAndCut) {
  for (auto [count, room, add, others] : {std::tuple{0, 100, true, false}, {1, 100, true, true}, {99, 100, true, true},
                                         {100, 100, false, true}, {97, 97, false, true}, {96, 97, true, true}}) {
    const CommonButtons b = ButtonsFor(count, room);
    EXPECT_EQ(std::make_tuple(b.add, b.modify, b.remove), std::make_tuple(add, others, others)) << count;
  }
  EXPECT_EQ(std::make_tuple(DecideAdd(false, u"x", u"", true), DecideAdd(true, u"", u"", true), DecideAdd(true, u"x", u"x", true),
                            DecideAdd(true, u"x", u"", false), DecideAdd(true, u"x", u"X", true)),  // a repeat must match exactly
            std::make_tuple(AddStep::Ignore, AddStep::Refocus, AddStep::Refocus, AddStep::Prompt, AddStep::Append));
  for (auto [count, files, room, check] : {std::tuple{0, 11, 100, DropCheck::TooManyFiles}, {0, 10, 100, DropCheck::Accept},
                                          {95, 10, 100, DropCheck::ListFull}, {90, 10, 100, DropCheck::Accept},
                                          {100, 0, 100, DropCheck::Accept}, {90, 10, 99, DropCheck::ListFull}})
    EXPECT_EQ(CheckDrop(count, files, room), check) << count << " " << files;
  // Cut at 97 units and "...", never between the halves of a character beyond the basic plane.
  const std::u16string pair = u"\U00020BB7", x96(96, u'x'), x95(95, u'x');
  for (const auto& [path, item] : {std::pair{u"C:\\" + std::u16string(147, u'あ'), u"C:\\" + std::u16string(94, u'あ') + u"..."},
                                   {std::u16string(100, u'x'), std::u16string(100, u'x')}, {x96 + pair + u"tail", x96 + u"..."},
                                   {x95 + pair + u"tail", x95 + pair + u"..."}, {x96 + u"\xD800\xDC00" + u"tail", x96 + u"..."},
                                   {x96 + u"\xDBFF\xDFFF" + u"tail", x96 + u"..."}, {x96 + u"\xDC00\xDC00" + u"tail", x96 + u"\xDC00..."},
                                   {x96 + u"\xD7FF\xDC00" + u"tail", x96 + u"\xD7FF..."}, {x96 + u"\xD800\xE000" + u"tail", x96 + u"\xD800..."},
                                   {x96 + u"\xD800\xDBFF" + u"tail", x96 + u"\xD800..."}, {std::u16string(101, u'x'), x96 + u"x..."}})
    EXPECT_EQ(DroppedItemText(path), item) << path.size();
}

TEST(CommonListRules, MenuKeysSelectionAndClock) {
  auto ids = [](size_t count, bool selected) {
    std::vector<uint16_t> out;
    for (const ListMenuEntry& e : ListMenuEntries(count, selected)) out.push_back(e.id);
    return out;
  };
  EXPECT_EQ(ids(0, false), (std::vector<uint16_t>{kListClose}));
  EXPECT_EQ(ids(0, true), (std::vector<uint16_t>{kListDeleteOne, 0, kListClose}));
  EXPECT_EQ(ids(3, true), (std::vector<uint16_t>{kListSortAscending, kListSortDescending, 0, kListCheckAll, kListUncheckAll, 0,
                                                 kListDeleteOne, 0, kListDeleteChecked, 0, kListDeleteAll, 0, kListClose}));
  for (auto [key, shift, action] : {std::tuple{'A', 2, ListKey::CheckAll}, {'A', 3, ListKey::None}, {'D', 2, ListKey::UncheckAll},
                                    {'D', 6, ListKey::None}, {45, 2, ListKey::Copy}, {'C', 2, ListKey::Copy}, {'X', 2, ListKey::None},
                                    {46, 0, ListKey::DeleteOne}, {46, 2, ListKey::None}, {'A', 0, ListKey::None}})
    EXPECT_EQ(ListKeyAction(key, shift), action) << key << " " << shift;
  for (auto [removed, after, selected] : {std::tuple{2, 4, 2}, {4, 4, 3}, {3, 4, 3}, {0, 0, -1}, {-1, 3, -1}})
    EXPECT_EQ(SelectionAfterDelete(removed, after), selected) << removed;
  EXPECT_EQ(ClockCaption(u"共通情報", 9, 5) + u"|" + ClockCaption(u"共通情報 23:59", 0, 0), u"共通情報 09:05|共通情報 00:00");
  EXPECT_NE(UnreadableItemsPrompt(12).find(u"12"), std::u16string::npos);
}

}  // namespace
}  // namespace mekuri
