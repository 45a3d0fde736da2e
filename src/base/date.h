#pragma once
// Dates as the program counts them: a serial number of days, serial 0 being
// 1899-12-30 (the "zero date" of an empty grid cell), plus the fixed text
// patterns the program shows and stores.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mekuri {

struct Ymd {
  int year = 1899;
  int month = 12;
  int day = 30;
};

struct Date {
  int32_t serial = 0;  // days since 1899-12-30
  friend constexpr bool operator==(Date, Date) = default;
  friend constexpr auto operator<=>(Date, Date) = default;
  constexpr Date operator+(int32_t days) const { return Date{serial + days}; }
  constexpr Date operator-(int32_t days) const { return Date{serial - days}; }
};

inline constexpr Date kZeroDate{0};

// A local time of day on a date, as the clock reports it.
struct DateTime {
  Date date;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);                        // month 1..12
bool IsValidYmd(int year, int month, int day);               // year 100..9999
Date DateFromYmd(int year, int month, int day);              // caller passes a valid date
std::optional<Date> MakeDate(int year, int month, int day);  // nullopt when invalid
Ymd ToYmd(Date date);
int Weekday(Date date);  // 1 = Sunday ... 7 = Saturday

// Formats with the program's patterns. Tokens: "yyyy" year (4 digits),
// "mm" month (2 digits; minutes when it follows an "hh" token), "dd" day
// (2 digits), "d" day without leading zero, "hh" hour, "ss" second; every
// other character is copied. So "yyyy/mm/dd", "yyyymmdd/", "yyyy.mm", " d",
// "hhmmss" and "yyyy/mm/dd hh:mm:ss" all work.
std::string FormatDate(Date date, std::string_view pattern);
std::string FormatDateTime(const DateTime& at, std::string_view pattern);

// Strict "yyyy/mm/dd": exactly 10 characters, digits and slashes in place,
// a real date. Anything else is nullopt.
std::optional<Date> ParseDateKey(std::string_view text);
std::optional<Date> ParseDateKey(std::u16string_view text);

}  // namespace mekuri
