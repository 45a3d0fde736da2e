#include "base/date.h"

namespace mekuri {

namespace {

// Days from 1970-01-01 to 1899-12-30, the program's serial 0.
constexpr int32_t kSerialOfEpoch = 25569;

constexpr int32_t FloorDiv(int32_t a, int32_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// Proleptic Gregorian day count relative to 1970-01-01 (H. Hinnant's
// civil-date algorithms), valid far beyond the program's 100..9999.
int32_t DaysFromCivil(int year, int month, int day) {
  const int y = year - (month <= 2 ? 1 : 0);
  const int era = FloorDiv(y, 400);
  const int yoe = y - era * 400;
  const int mp = (month + 9) % 12;  // March = 0
  const int doy = (153 * mp + 2) / 5 + day - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

Ymd CivilFromDays(int32_t days) {
  const int32_t z = days + 719468;
  const int32_t era = FloorDiv(z, 146097);
  const int32_t doe = z - era * 146097;
  const int32_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int32_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int32_t mp = (5 * doy + 2) / 153;
  Ymd out;
  out.day = doy - (153 * mp + 2) / 5 + 1;
  out.month = mp < 10 ? mp + 3 : mp - 9;
  out.year = yoe + era * 400 + (out.month <= 2 ? 1 : 0);
  return out;
}

void AppendPadded(std::string& out, int value, int width) {
  if (value < 0) {
    out += '-';
    value = -value;
  }
  std::string digits = std::to_string(value);
  if (static_cast<int>(digits.size()) < width) out.append(width - digits.size(), '0');
  out += digits;
}

bool StartsWith(std::string_view text, size_t pos, std::string_view token) {
  return text.substr(pos, token.size()) == token;
}

std::string Format(const Ymd& ymd, int hour, int minute, int second, std::string_view pattern) {
  std::string out;
  out.reserve(pattern.size() + 8);
  bool afterHour = false;  // "mm" right after an "hh" token means minutes
  size_t i = 0;
  while (i < pattern.size()) {
    if (StartsWith(pattern, i, "yyyy")) {
      AppendPadded(out, ymd.year, 4);
      i += 4;
      afterHour = false;
    } else if (StartsWith(pattern, i, "mm")) {
      AppendPadded(out, afterHour ? minute : ymd.month, 2);
      i += 2;
      afterHour = false;
    } else if (StartsWith(pattern, i, "dd")) {
      AppendPadded(out, ymd.day, 2);
      i += 2;
      afterHour = false;
    } else if (pattern[i] == 'd') {
      AppendPadded(out, ymd.day, 1);
      i += 1;
      afterHour = false;
    } else if (StartsWith(pattern, i, "hh")) {
      AppendPadded(out, hour, 2);
      i += 2;
      afterHour = true;
    } else if (StartsWith(pattern, i, "ss")) {
      AppendPadded(out, second, 2);
      i += 2;
      afterHour = false;
    } else {
      out += pattern[i];
      ++i;
    }
  }
  return out;
}

template <typename Char>
std::optional<Date> ParseKey(std::basic_string_view<Char> text) {
  if (text.size() != 10 || text[4] != Char('/') || text[7] != Char('/')) return std::nullopt;
  auto number = [&](size_t from, size_t count) -> int {
    int value = 0;
    for (size_t i = from; i < from + count; ++i) {
      if (text[i] < Char('0') || text[i] > Char('9')) return -1;
      value = value * 10 + static_cast<int>(text[i] - Char('0'));
    }
    return value;
  };
  const int year = number(0, 4);
  const int month = number(5, 2);
  const int day = number(8, 2);
  if (year < 0 || month < 0 || day < 0) return std::nullopt;
  return MakeDate(year, month, day);
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidYmd(int year, int month, int day) {
  return year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

Date DateFromYmd(int year, int month, int day) { return Date{DaysFromCivil(year, month, day) + kSerialOfEpoch}; }

std::optional<Date> MakeDate(int year, int month, int day) {
  if (!IsValidYmd(year, month, day)) return std::nullopt;
  return DateFromYmd(year, month, day);
}

Ymd ToYmd(Date date) { return CivilFromDays(date.serial - kSerialOfEpoch); }

int Weekday(Date date) {
  // Serial 0 was a Saturday.
  const int32_t fromSunday = date.serial + 6 - 7 * FloorDiv(date.serial + 6, 7);
  return static_cast<int>(fromSunday) + 1;
}

std::string FormatDate(Date date, std::string_view pattern) { return Format(ToYmd(date), 0, 0, 0, pattern); }

std::string FormatDateTime(const DateTime& at, std::string_view pattern) {
  return Format(ToYmd(at.date), at.hour, at.minute, at.second, pattern);
}

std::optional<Date> ParseDateKey(std::string_view text) { return ParseKey(text); }

std::optional<Date> ParseDateKey(std::u16string_view text) { return ParseKey(text); }

}  // namespace mekuri
