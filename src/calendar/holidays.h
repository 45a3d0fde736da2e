#pragma once
// Holidays come only from the user's rules S01..S99 in the settings file:
// "mm/dd" for a fixed day, "mm:n:w" for the n-th weekday w (1 = Sunday).
#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace mekuri {

// strHolidayTable: entry 0 unused; entries 1..k hold the accepted rules, the
// first empty entry ends the table.
using HolidayTable = std::array<std::string, 100>;

// Whether a rule text (cut at its first NUL) passes the loading test.
bool IsAcceptedHolidayRule(std::string_view rule);

// Loading: reads "S01", "S02", ... through `readKey` (which returns the text a
// read with default "" and a 16-byte buffer gives) until the first missing,
// empty or rejected entry.
HolidayTable LoadHolidayTable(const std::function<std::string(const std::string& key)>& readKey);
HolidayTable LoadHolidayTable(const std::filesystem::path& iniFile);

// The rules of the table whose month is m1, m2 or m3, in table order (the
// build keeps them in its work list).
std::vector<std::string> RulesForMonths(const HolidayTable& table, int m1, int m2, int m3);

// The holiday key list: one "yyyymmdd/" piece per rule, in rule order.
// `year` is the year of the chosen month m2. A fixed day that is no real date
// in its year is skipped; a fifth weekday that runs into the next month is
// dropped.
std::string HolidayKeyList(const std::vector<std::string>& rules, int m2, int year);

}  // namespace mekuri
