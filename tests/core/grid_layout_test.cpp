#include "calendar/grid_layout.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>
#include <vector>

#include "base/cp932.h"

namespace mekuri {
namespace {

using Runs = std::vector<std::pair<int, int>>;

// The first and last cell of every run of day cells that show a date.
Runs FilledRuns(const Grid& grid) {
  Runs runs;
  for (int k = 0; k < kGridCells; ++k) {
    if (grid.cellDate[k] == kZeroDate) continue;
    if (!runs.empty() && runs.back().second == k - 1) {
      runs.back().second = k;
    } else {
      runs.emplace_back(k, k);
    }
  }
  return runs;
}

Grid Build(int year, int month, Date today = kZeroDate, std::string_view holidays = "") {
  Grid grid = InitialGrid();
  BuildGrid(grid, year, month, today, holidays, {});
  return grid;
}

TEST(GridLayoutTest, MonthBlocksAndHeadingsFollowTheLayoutRule) {
  struct Case {
    int year, month;
    Runs runs;
    int top1, top2;
    const char* headings;
  };
  const Case cases[] = {
      {2006, 8, {{13, 43}, {58, 88}, {103, 132}}, 258, 426, "2006.07 2006.08 2006.09"},
      {2004, 9, {{7, 37}, {52, 81}, {96, 126}}, 230, 398, "2004.08 2004.09 2004.10"},
      {2009, 3, {{7, 34}, {42, 72}, {87, 116}}, 202, 370, "2009.02 2009.03 2009.04"},
      {2004, 1, {{8, 38}, {53, 83}, {91, 119}}, 230, 398, "2003.12 2004.01 2004.02"},
      {2004, 12, {{8, 37}, {52, 82}, {97, 127}}, 230, 398, "2004.11 2004.12 2005.01"},
  };
  for (const Case& c : cases) {
    const Grid grid = Build(c.year, c.month);
    EXPECT_EQ(FilledRuns(grid), c.runs) << c.headings;
    EXPECT_EQ(std::make_tuple(grid.headings[0].top, grid.headings[1].top, grid.headings[2].top),
              std::make_tuple(64, c.top1, c.top2));
    EXPECT_EQ(ToUtf8(grid.headings[0].caption + u" " + grid.headings[1].caption + u" " +
                     grid.headings[2].caption),
              c.headings);
    EXPECT_EQ(grid.shownMonth, DateFromYmd(c.year, c.month, 1));
    // Each run holds consecutive days from the 1st, each in its weekday's column.
    for (const auto& [first, last] : c.runs) {
      EXPECT_EQ(ToYmd(grid.cellDate[first]).day, 1);
      EXPECT_EQ(Weekday(grid.cellDate[first]), first % 7 + 1);
      EXPECT_EQ(grid.cellDate[last].serial - grid.cellDate[first].serial, last - first);
    }
  }
  const Grid fresh = InitialGrid();
  std::u16string header;
  std::vector<uint32_t> colors;
  for (int k = 0; k < 7; ++k) {
    header += fresh.cells[k].caption;
    colors.push_back(fresh.cells[k].color);
  }
  EXPECT_EQ(header, u"日月火水木金土");
  EXPECT_EQ(colors, (std::vector<uint32_t>{0xFF, 0, 0, 0, 0, 0, 0xFF0000}));
}

TEST(GridLayoutTest, DayCellsShowDayTooltipAndColourByPriority) {
  // September 2004 starts at cell 52: the 4th (Saturday) is cell 55, the 5th
  // (Sunday) cell 56.
  const Grid grid = Build(2004, 9, DateFromYmd(2004, 9, 13), "20040904/20040910/20040913/");
  auto cell = [&](int day) { return grid.cells[51 + day]; };
  EXPECT_EQ(cell(13).color, kColorToday);    // today beats a holiday
  EXPECT_EQ(cell(4).color, kColorHoliday);   // holiday on a Saturday
  EXPECT_EQ(cell(10).color, kColorHoliday);  // holiday on a weekday
  EXPECT_EQ(cell(11).color, kColorSaturday);
  EXPECT_EQ(cell(12).color, kColorHoliday);  // Sunday column
  EXPECT_EQ(cell(14).color, kColorPlain);
  EXPECT_EQ(cell(9).caption + cell(10).caption, u" 910");
  EXPECT_EQ(cell(9).tooltip, u"2004/09/09");
}

TEST(GridLayoutTest, RebuildProbesEachShownDayOnceAndClearsBlankCells) {
  std::vector<Date> probed;
  const MemoProbe probe = [&](Date d) {
    probed.push_back(d);
    return ToYmd(d).day == 10;
  };
  // A full grid with memos everywhere, then a build that leaves some blank.
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
    if (k >= 7 && grid.cellDate[k] == kZeroDate) {
      EXPECT_TRUE(cell.caption.empty() && cell.tooltip.empty() && !cell.memo) << k;
      EXPECT_EQ(cell.color, kMarker) << k;  // a blanked label keeps its colour
    } else if (k >= 7) {
      EXPECT_EQ(cell.memo, ToYmd(grid.cellDate[k]).day == 10) << k;
    } else {
      EXPECT_EQ(grid.cellDate[k], kZeroDate);
    }
  }
  EXPECT_EQ(grid.cells[16].tooltip, u"2004/08/10 ...");
  EXPECT_EQ(grid.cells[17].tooltip, u"2004/08/11");
}

TEST(GridLayoutTest, MonthInputIsCheckedByItsLeadingNumber) {
  struct Case {
    const char16_t* year;
    const char16_t* month;
    MonthInputError error;
    int y, m;
  };
  using E = MonthInputError;
  const Case cases[] = {
      {u"2004", u"09", E::None, 2004, 9},   {u"1970", u"1", E::None, 1970, 1},
      {u"2100", u"12", E::None, 2100, 12},  {u"2e3", u"7x", E::None, 2000, 7},
      {u" 2004.5", u"11.5", E::None, 2004, 12},
      {u"1969", u"1", E::Year, 0, 0},       {u"2101", u"1", E::Year, 0, 0},
      {u"", u"", E::Year, 0, 0},            {u"２００４", u"1", E::Year, 0, 0},
      {u"2004", u"0", E::Month, 0, 0},      {u"2004", u"13", E::Month, 0, 0},
      {u"2004", u"", E::Month, 0, 0},       {u"2004", u"12.4", E::Month, 0, 0},
  };
  for (const Case& c : cases) {
    const MonthInput in = ValidateMonthInput(c.year, c.month);
    EXPECT_EQ(std::make_tuple(in.error, in.year, in.month), std::make_tuple(c.error, c.y, c.m))
        << ToUtf8(c.year) << "/" << ToUtf8(c.month);
  }
}

}  // namespace
}  // namespace mekuri
