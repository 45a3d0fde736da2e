// Dates. The strict "yyyy/mm/dd" reader must take exactly the texts that name
// a real day of the years 100..9999, each of which FormatDate writes back
// identically, in narrow and wide text alike; and serials, year-month-day and
// weekdays must agree with each other across the program's whole range.
#include <cstdint>
#include <cstring>
#include <string>

#include "base/date.h"
#include "fuzz_common.h"

namespace {

using mekuri::Date;

bool RealDay(int y, int m, int d) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = y % 4 == 0 && (y % 100 != 0 || y % 400 == 0);
  return y >= 100 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= kDays[m - 1] + (m == 2 && leap);
}

// The day the text names when it has the key's shape, else nothing.
template <typename Char>
bool Shaped(std::basic_string_view<Char> text, int& y, int& m, int& d) {
  if (text.size() != 10 || text[4] != Char('/') || text[7] != Char('/')) return false;
  int fields[3] = {0, 0, 0};
  const int starts[3] = {0, 5, 8};
  const int widths[3] = {4, 2, 2};
  for (int f = 0; f < 3; ++f) {
    for (int i = starts[f]; i < starts[f] + widths[f]; ++i) {
      if (text[i] < Char('0') || text[i] > Char('9')) return false;
      fields[f] = fields[f] * 10 + static_cast<int>(text[i] - Char('0'));
    }
  }
  y = fields[0];
  m = fields[1];
  d = fields[2];
  return true;
}

template <typename Char>
void CheckKey(std::basic_string_view<Char> text) {
  const std::optional<Date> parsed = mekuri::ParseDateKey(text);
  int y = 0, m = 0, d = 0;
  const bool real = Shaped(text, y, m, d) && RealDay(y, m, d);
  FUZZ_CHECK(parsed.has_value() == real, "ParseDateKey %s a text of %zu units (%04d/%02d/%02d)",
             parsed ? "took" : "refused", text.size(), y, m, d);
  if (!parsed) return;
  const mekuri::Ymd ymd = mekuri::ToYmd(*parsed);
  FUZZ_CHECK(ymd.year == y && ymd.month == m && ymd.day == d, "%04d/%02d/%02d read as %04d/%02d/%02d", y, m, d,
             ymd.year, ymd.month, ymd.day);
  const std::string formatted = mekuri::FormatDate(*parsed, "yyyy/mm/dd");
  FUZZ_CHECK(formatted.size() == text.size() && std::equal(formatted.begin(), formatted.end(), text.begin(),
                                                           [](char a, Char b) { return Char(a) == b; }),
             "FormatDate gives %s", formatted.c_str());
}

void CheckSerial(Date date) {
  const mekuri::Ymd ymd = mekuri::ToYmd(date);
  FUZZ_CHECK(RealDay(ymd.year, ymd.month, ymd.day), "serial %d is %d/%d/%d", date.serial, ymd.year, ymd.month,
             ymd.day);
  FUZZ_CHECK(mekuri::DateFromYmd(ymd.year, ymd.month, ymd.day) == date, "serial %d does not come back",
             date.serial);
  FUZZ_CHECK(mekuri::ParseDateKey(mekuri::FormatDate(date, "yyyy/mm/dd")) == date, "serial %d as text",
             date.serial);
  // The next serial is the next day of the calendar and of the week.
  const mekuri::Ymd next = mekuri::ToYmd(date + 1);
  const bool sameMonth = next.year == ymd.year && next.month == ymd.month && next.day == ymd.day + 1;
  const bool monthAfter = next.day == 1 && !RealDay(ymd.year, ymd.month, ymd.day + 1) &&
                          (next.month == ymd.month + 1 ? next.year == ymd.year
                                                       : next.month == 1 && ymd.month == 12 &&
                                                             next.year == ymd.year + 1);
  FUZZ_CHECK(sameMonth || monthAfter || ymd.year == 9999, "after %d/%d/%d comes %d/%d/%d", ymd.year, ymd.month,
             ymd.day, next.year, next.month, next.day);
  const int weekday = mekuri::Weekday(date);
  FUZZ_CHECK(weekday >= 1 && weekday <= 7 && mekuri::Weekday(date + 1) == weekday % 7 + 1,
             "weekday %d of serial %d", weekday, date.serial);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 256) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckKey(text);

  std::u16string widened;
  for (unsigned char c : text) widened += static_cast<char16_t>(c);
  CheckKey(std::u16string_view(widened));
  std::u16string units;
  for (size_t i = 0; i + 1 < size; i += 2) units += static_cast<char16_t>(data[i] | data[i + 1] << 8);
  CheckKey(std::u16string_view(units));

  // Any numbers at all: a date exactly when they name a real day.
  if (size >= 6) {
    const int y = static_cast<int16_t>(data[0] | data[1] << 8);
    const int m = static_cast<int8_t>(data[2]) / 8;
    const int d = static_cast<int8_t>(data[3]) / 3;
    const std::optional<Date> made = mekuri::MakeDate(y, m, d);
    FUZZ_CHECK(made.has_value() == RealDay(y, m, d), "MakeDate(%d, %d, %d) %s", y, m, d, made ? "made" : "refused");
    if (made) {
      const mekuri::Ymd ymd = mekuri::ToYmd(*made);
      FUZZ_CHECK(ymd.year == y && ymd.month == m && ymd.day == d, "MakeDate(%d, %d, %d) is %d/%d/%d", y, m, d,
                 ymd.year, ymd.month, ymd.day);
    }
  }

  // 1899-12-30 was a Saturday.
  FUZZ_CHECK(mekuri::Weekday(mekuri::kZeroDate) == 7, "the zero date is no Saturday");
  if (size >= 4) {
    static const int32_t first = mekuri::DateFromYmd(100, 1, 1).serial;
    static const int32_t last = mekuri::DateFromYmd(9999, 12, 31).serial;
    uint32_t pick;
    std::memcpy(&pick, data, sizeof pick);
    const Date date{first + static_cast<int32_t>(pick % static_cast<uint32_t>(last - first + 1))};
    CheckSerial(date);
    // Any pattern formats without fault; the time fields stay in range.
    mekuri::DateTime at{date, data[0] % 24, data[1] % 60, data[2] % 60, 0};
    const std::string pattern(text.substr(4));
    (void)mekuri::FormatDate(date, pattern);
    const std::string stamp = mekuri::FormatDateTime(at, "yyyy/mm/dd hh:mm:ss");
    FUZZ_CHECK(stamp == mekuri::FormatDate(date, "yyyy/mm/dd") + " " + (at.hour < 10 ? "0" : "") +
                            std::to_string(at.hour) + ":" + (at.minute < 10 ? "0" : "") +
                            std::to_string(at.minute) + ":" + (at.second < 10 ? "0" : "") +
                            std::to_string(at.second),
               "FormatDateTime gives %s", stamp.c_str());
  }
  return 0;
}
