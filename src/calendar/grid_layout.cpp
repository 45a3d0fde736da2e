#include "calendar/grid_layout.h"

#include "base/number.h"
#include "base/texts.h"

namespace mekuri {

namespace {

constexpr int kFirstDayCell = kGridColumns;
constexpr int kHeadingZeroTop = 64;
// The heading rows of blocks 2 and 3 have to be cleared too, so each block's
// blanking runs on to these cells whatever the month lengths.
constexpr int kBlankEnd[3] = {62, 111, 132};

std::u16string Ascii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

std::u16string MonthHeading(Date date) { return Ascii(FormatDate(date, "yyyy.mm")); }

int HeadingTop(int lastCell) { return 90 + 28 * (lastCell / kGridColumns); }

// Day 1 goes right after the previous block's last column, one row (the
// heading row) further down.
int NextOffset(int lastCell) {
  return lastCell % kGridColumns == kGridColumns - 1 ? lastCell + 7 : lastCell + 14;
}

struct Builder {
  Grid& grid;
  Date today;
  std::string_view holidayKeys;
  const MemoProbe& hasMemo;

  void Blank(int from, int to) {
    for (int k = from; k <= to; ++k) {
      GridCell& cell = grid.cells[k];
      cell.caption.clear();
      cell.memo = false;
      cell.tooltip.clear();
    }
  }

  uint32_t ColorOf(Date day, int k) const {
    if (day == today) return kColorToday;
    if (holidayKeys.find(FormatDate(day, "yyyymmdd/")) != std::string_view::npos) {
      return kColorHoliday;
    }
    if (k % kGridColumns == 0) return kColorHoliday;
    if (k % kGridColumns == kGridColumns - 1) return kColorSaturday;
    return kColorPlain;
  }

  // Fills the month that starts on `first` from cell offset + 1; returns
  // the index of its last cell.
  int Fill(Date first, int offset) {
    const int month = ToYmd(first).month;
    int i = 1;
    for (;; ++i) {
      const Date day = first + (i - 1);
      if (ToYmd(day).month != month) break;
      const int k = offset + i;
      if (k >= kGridCells) break;  // only an unchecked year or month gets here
      GridCell& cell = grid.cells[k];
      cell.caption = Ascii(FormatDate(day, i < 10 ? " d" : "d"));
      grid.cellDate[k] = day;
      cell.color = ColorOf(day, k);
      cell.memo = hasMemo ? hasMemo(day) : false;
      cell.tooltip = Ascii(FormatDate(day, "yyyy/mm/dd"));
      if (cell.memo) cell.tooltip += u" ...";
    }
    return offset + i - 1;
  }
};

}  // namespace

Grid InitialGrid() {
  Grid grid;
  for (int c = 0; c < kGridColumns; ++c) {
    grid.cells[c].caption = std::u16string(kWeekdayChars[c]);
  }
  grid.cells[0].color = kColorHoliday;
  grid.cells[kGridColumns - 1].color = kColorSaturday;
  grid.cellDate.fill(kZeroDate);
  grid.headings[0].top = kHeadingZeroTop;
  return grid;
}

void BuildGrid(Grid& grid, int year, int month, Date today, std::string_view holidayKeys,
               const MemoProbe& hasMemo) {
  grid.cellDate.fill(kZeroDate);

  const Date shown = DateFromYmd(year, month, 1);
  const Ymd previous = ToYmd(shown - 1);
  const Date previousFirst = DateFromYmd(previous.year, previous.month, 1);
  const Date nextFirst = shown + DaysInMonth(year, month);
  grid.shownMonth = shown;

  // The chosen month's heading comes from the checked numbers, so a year
  // typed as "2e3" still reads 2000.
  std::u16string chosen = Ascii(FormatInt(year));
  chosen += u'.';
  if (month < 10) chosen += u'0';
  chosen += Ascii(FormatInt(month));
  grid.headings[0].caption = MonthHeading(previousFirst);
  grid.headings[0].top = kHeadingZeroTop;
  grid.headings[1].caption = std::move(chosen);
  grid.headings[2].caption = MonthHeading(nextFirst);

  Builder build{grid, today, holidayKeys, hasMemo};
  const int offset1 = Weekday(previousFirst) + 5;
  build.Blank(kFirstDayCell, offset1);
  const int last1 = build.Fill(previousFirst, offset1);
  build.Blank(last1 + 1, kBlankEnd[0]);
  grid.headings[1].top = HeadingTop(last1);

  const int last2 = build.Fill(shown, NextOffset(last1));
  build.Blank(last2 + 1, kBlankEnd[1]);
  grid.headings[2].top = HeadingTop(last2);

  const int last3 = build.Fill(nextFirst, NextOffset(last2));
  build.Blank(last3 + 1, kBlankEnd[2]);
}

MonthInput ValidateMonthInput(std::u16string_view yearText, std::u16string_view monthText) {
  MonthInput out;
  const double year = LeadingNumber(yearText);
  if (!(year >= 1970 && year <= 2100)) {
    out.error = MonthInputError::Year;
    return out;
  }
  const double month = LeadingNumber(monthText);
  // The grid needs a whole month 1..12, so the rounded value is checked too.
  const int16_t rounded = ToInt16(month);
  if (!(month >= 1 && month <= 12) || rounded < 1 || rounded > 12) {
    out.error = MonthInputError::Month;
    return out;
  }
  out.year = ToInt16(year);
  out.month = rounded;
  return out;
}

CellRect CellGeometry(int index) {
  const int column = index % kGridColumns;
  const int row = index / kGridColumns;
  const int left = 16 + 32 * column;
  if (row == 0) return CellRect{left, 40, 21, 19};
  return CellRect{left, 56 + 28 * row, 19, 17};
}

CellRect HeadingGeometry(int /*index*/, int top) { return CellRect{10, top, 69, 17}; }

}  // namespace mekuri
