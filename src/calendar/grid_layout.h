#pragma once
// The three-month grid: 19 rows of 7 cells (row 0 the weekday header), the
// month before, the chosen month and the month after, stacked with one empty
// heading row between them.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/date.h"

namespace mekuri {

inline constexpr int kGridCells = 133;
inline constexpr int kGridColumns = 7;

inline constexpr uint32_t kColorToday = 0x0000E000;
inline constexpr uint32_t kColorHoliday = 0x000000FF;
inline constexpr uint32_t kColorSaturday = 0x00FF0000;
inline constexpr uint32_t kColorPlain = 0x00000000;

struct GridCell {
  std::u16string caption;
  uint32_t color = kColorPlain;
  bool memo = false;  // the underline
  std::u16string tooltip;
};

struct GridHeading {
  std::u16string caption;  // "yyyy.mm"; the tooltip equals it
  int top = 0;             // pixels at 96 DPI
};

struct Grid {
  std::array<GridCell, kGridCells> cells;  // 0..6 the weekday header
  std::array<Date, kGridCells> cellDate;   // dCellDate
  std::array<GridHeading, 3> headings;
  Date shownMonth;  // dShownMonth
};

// A grid before its first build: the weekday header with its colours.
Grid InitialGrid();

// Answers whether the memo file holds a non-empty memo for a date; the build
// asks once per filled day and never for a blank cell.
using MemoProbe = std::function<bool(Date)>;

// Rebuilds every day cell, the headings, the cell dates and the shown month
// for the chosen `year` and `month` (already validated: 1970..2100 and 1..12).
// A blanked cell keeps its previous colour, as the labels do.
void BuildGrid(Grid& grid, int year, int month, Date today, std::string_view holidayKeys,
               const MemoProbe& hasMemo);

// The checks of the year and month boxes, on their texts as typed.
enum class MonthInputError { None, Year, Month };
struct MonthInput {
  MonthInputError error = MonthInputError::None;
  int year = 0;
  int month = 0;
};
MonthInput ValidateMonthInput(std::u16string_view yearText, std::u16string_view monthText);

// Geometry of the design at 96 DPI, in pixels.
struct CellRect {
  int left, top, width, height;
};
CellRect CellGeometry(int index);  // Label4(index)
CellRect HeadingGeometry(int index, int top);

}  // namespace mekuri
