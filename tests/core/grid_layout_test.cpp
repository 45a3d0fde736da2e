#include "calendar/grid_layout.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "base/cp932.h"

namespace mekuri {
namespace {

using Runs = std::vector<std::pair<int, int>>;

// The first and last cell of every run of filled day cells.
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

Grid Build(int year, int month, Date today = kZeroDate, std::string_view holidays = "",
           const MemoProbe& memo = {}) {
  Grid grid = InitialGrid();
  BuildGrid(grid, year, month, today, holidays, memo);
  return grid;
}

std::string Caption(const GridHeading& h) { return ToUtf8(h.caption); }

TEST(GridLayoutTest, MonthBlocksAndHeadingsFollowTheLayoutRule) {
  struct Case {
    int year, month;
    Runs runs;
    int top1, top2;
    const char* headings[3];
  };
  const Case cases[] = {
      {2006, 8, {{13, 43}, {58, 88}, {103, 132}}, 258, 426, {"2006.07", "2006.08", "2006.09"}},
      {2004, 9, {{7, 37}, {52, 81}, {96, 126}}, 230, 398, {"2004.08", "2004.09", "2004.10"}},
      {2009, 3, {{7, 34}, {42, 72}, {87, 116}}, 202, 370, {"2009.02", "2009.03", "2009.04"}},
      {2004, 1, {{8, 38}, {53, 83}, {91, 119}}, 230, 398, {"2003.12", "2004.01", "2004.02"}},
      {2004, 12, {{8, 37}, {52, 82}, {97, 127}}, 230, 398, {"2004.11", "2004.12", "2005.01"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.headings[1]);
    const Grid grid = Build(c.year, c.month);
    EXPECT_EQ(FilledRuns(grid), c.runs);
    EXPECT_EQ(grid.headings[0].top, 64);
    EXPECT_EQ(grid.headings[1].top, c.top1);
    EXPECT_EQ(grid.headings[2].top, c.top2);
    for (int h = 0; h < 3; ++h) EXPECT_EQ(Caption(grid.headings[h]), c.headings[h]);
    EXPECT_EQ(grid.shownMonth, DateFromYmd(c.year, c.month, 1));
    // Each run holds consecutive days starting on the 1st, in the right column.
    for (const auto& [first, last] : c.runs) {
      EXPECT_EQ(ToYmd(grid.cellDate[first]).day, 1);
      EXPECT_EQ(Weekday(grid.cellDate[first]), first % 7 + 1);
      EXPECT_EQ(grid.cellDate[last] - grid.cellDate[first].serial, Date{last - first});
    }
  }
}

TEST(GridLayoutTest, DayCellsShowDayTooltipAndColourByPriority) {
  // September 2004: the 4th is a Saturday, the 5th a Sunday, the 10th a Friday.
  const std::string holidays = "20040904/20040910/20040913/20040905/";
  const Grid grid = Build(2004, 9, DateFromYmd(2004, 9, 13), holidays);
  auto cellOf = [&](int day) {
    for (int k = 52; k <= 81; ++k) {
      if (grid.cellDate[k] == DateFromYmd(2004, 9, day)) return grid.cells[k];
    }
    ADD_FAILURE() << day;
    return GridCell{};
  };
  EXPECT_EQ(cellOf(13).color, kColorToday);    // today beats a holiday
  EXPECT_EQ(cellOf(4).color, kColorHoliday);   // holiday on a Saturday
  EXPECT_EQ(cellOf(10).color, kColorHoliday);  // holiday on a weekday
  EXPECT_EQ(cellOf(11).color, kColorSaturday);
  EXPECT_EQ(cellOf(12).color, kColorHoliday);  // Sunday column
  EXPECT_EQ(cellOf(14).color, kColorPlain);
  EXPECT_EQ(cellOf(9).caption, u" 9");
  EXPECT_EQ(cellOf(10).caption, u"10");
  EXPECT_EQ(cellOf(9).tooltip, u"2004/09/09");
  const Grid weekend = Build(2004, 9, DateFromYmd(2004, 9, 5));
  EXPECT_EQ(weekend.cells[56].color, kColorToday);  // today on a Sunday
}

TEST(GridLayoutTest, MemoProbeRunsOncePerShownDayAndMarksTheTooltip) {
  std::vector<Date> probed;
  const MemoProbe probe = [&](Date d) {
    probed.push_back(d);
    return ToYmd(d).day == 10;
  };
  Grid grid = Build(2004, 9, kZeroDate, "", probe);
  grid = Build(2006, 8, kZeroDate, "", probe);  // a grid with content is rebuilt
  constexpr uint32_t kMarker = 0x123456;
  for (int k = 7; k < kGridCells; ++k) grid.cells[k].color = kMarker;
  grid.cellDate.fill(Date{1});
  probed.clear();
  BuildGrid(grid, 2004, 9, kZeroDate, "", probe);
  EXPECT_EQ(probed.size(), 31u + 30u + 31u);
  EXPECT_EQ(std::set<Date>(probed.begin(), probed.end()).size(), probed.size());
  for (int k = 7; k < kGridCells; ++k) {
    const GridCell& cell = grid.cells[k];
    if (grid.cellDate[k] == kZeroDate) {
      EXPECT_TRUE(cell.caption.empty() && cell.tooltip.empty() && !cell.memo) << k;
      EXPECT_EQ(cell.color, kMarker) << k;  // a blank label keeps its colour
    } else {
      const bool tenth = ToYmd(grid.cellDate[k]).day == 10;
      EXPECT_EQ(cell.memo, tenth) << k;
      EXPECT_EQ(cell.tooltip.size(), tenth ? 14u : 10u) << k;
    }
  }
  EXPECT_EQ(grid.cells[16].tooltip, u"2004/08/10 ...");
  EXPECT_EQ(grid.cells[16].caption, u"10");
  const Grid fresh = InitialGrid();
  for (int k = 0; k < 7; ++k) {
    EXPECT_EQ(grid.cells[k].caption, fresh.cells[k].caption);
    EXPECT_EQ(grid.cells[k].color, fresh.cells[k].color);
    EXPECT_EQ(grid.cellDate[k], kZeroDate);
  }
}

TEST(GridLayoutTest, HeaderRowIsTheWeekdaysInTheirColours) {
  const Grid grid = InitialGrid();
  const char16_t* names[] = {u"日", u"月", u"火", u"水", u"木", u"金", u"土"};
  for (int k = 0; k < 7; ++k) {
    EXPECT_EQ(grid.cells[k].caption, names[k]);
    EXPECT_EQ(grid.cells[k].color, k == 0 ? kColorHoliday : k == 6 ? kColorSaturday : kColorPlain);
  }
}

TEST(GridLayoutTest, MonthInputIsCheckedByItsLeadingNumber) {
  struct Case {
    const char16_t* year;
    const char16_t* month;
    MonthInputError error;
    int y, m;
  };
  const Case cases[] = {
      {u"2004", u"09", MonthInputError::None, 2004, 9},
      {u"1970", u"1", MonthInputError::None, 1970, 1},
      {u"2100", u"12", MonthInputError::None, 2100, 12},
      {u"2e3", u"7x", MonthInputError::None, 2000, 7},
      {u" 2004.5", u"11.5", MonthInputError::None, 2004, 12},
      {u"1969", u"1", MonthInputError::Year, 0, 0},
      {u"2101", u"1", MonthInputError::Year, 0, 0},
      {u"", u"", MonthInputError::Year, 0, 0},
      {u"２００４", u"1", MonthInputError::Year, 0, 0},
      {u"2004", u"0", MonthInputError::Month, 0, 0},
      {u"2004", u"13", MonthInputError::Month, 0, 0},
      {u"2004", u"", MonthInputError::Month, 0, 0},
      {u"2004", u"12.4", MonthInputError::Month, 0, 0},
      {u"2004", u"0.6", MonthInputError::Month, 0, 0},
  };
  for (const Case& c : cases) {
    const MonthInput in = ValidateMonthInput(c.year, c.month);
    EXPECT_EQ(in.error, c.error) << ToUtf8(c.year) << "/" << ToUtf8(c.month);
    if (c.error == MonthInputError::None) {
      EXPECT_EQ(in.year, c.y);
      EXPECT_EQ(in.month, c.m);
    }
  }
}

TEST(GridLayoutTest, GeometryOfTheDesign) {
  const CellRect header = CellGeometry(6);
  EXPECT_EQ((std::vector<int>{header.left, header.top, header.width, header.height}),
            (std::vector<int>{208, 40, 21, 19}));
  const CellRect first = CellGeometry(7);
  EXPECT_EQ((std::vector<int>{first.left, first.top, first.width, first.height}),
            (std::vector<int>{16, 84, 19, 17}));
  const CellRect last = CellGeometry(132);
  EXPECT_EQ((std::vector<int>{last.left, last.top}), (std::vector<int>{208, 560}));
  const CellRect heading = HeadingGeometry(1, 258);
  EXPECT_EQ((std::vector<int>{heading.left, heading.top, heading.width, heading.height}),
            (std::vector<int>{10, 258, 69, 17}));
}

}  // namespace
}  // namespace mekuri
