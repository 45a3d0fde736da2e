// Holiday rules. The input is the text of S01, S02, ... (one per line, cut to
// what a 16-byte read gives) and the month and year shown. A rule must be
// taken exactly when it is "mm/dd", "mm/ddd" without a leading zero in the
// day, "mm/-dd" (read as a day, never a date), or "mm:n:w" with n 1..5, w 1..7 and no fifth Thursday to Saturday;
// the table must stop at the first rule that is not; and the key list must
// hold, in rule order, the very days the rules name, worked out here with a
// weekday formula of our own.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "calendar/holidays.h"
#include "fuzz_common.h"

namespace {

bool Digit(char c) { return c >= '0' && c <= '9'; }

bool Shaped(std::string_view rule) {
  rule = rule.substr(0, rule.find('\0'));
  if (rule.size() < 5 || !Digit(rule[0]) || !Digit(rule[1])) return false;
  if (rule[2] == '/') {
    if (rule.size() == 5) return Digit(rule[3]) && Digit(rule[4]);
    // Three digits, or a minus and two: the day must read as it is written,
    // and "-06" is how two digits of -6 are written. No date has it.
    return rule.size() == 6 && ((rule[3] >= '1' && rule[3] <= '9') || (rule[3] == '-' && rule.substr(4) != "00")) &&
           Digit(rule[4]) && Digit(rule[5]);
  }
  return rule.size() == 6 && rule[2] == ':' && rule[3] >= '1' && rule[3] <= '5' && rule[4] == ':' &&
         rule[5] >= '1' && rule[5] <= '7' && !(rule[3] == '5' && rule[5] > '3');
}

int DaysIn(int y, int m) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m < 1 || m > 12) return 0;
  return kDays[m - 1] + (m == 2 && y % 4 == 0 && (y % 100 != 0 || y % 400 == 0));
}

// 0 = Sunday (Sakamoto's method).
int DayOfWeek(int y, int m, int d) {
  static constexpr int kOffset[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (m < 3) --y;
  return (y + y / 4 - y / 100 + y / 400 + kOffset[m - 1] + d) % 7;
}

std::string ExpectedKeys(const std::vector<std::string>& rules, int m2, int year) {
  std::string keys;
  for (const std::string& rule : rules) {
    const int month = (rule[0] - '0') * 10 + (rule[1] - '0');
    int y = year;
    if (m2 == 1 && month == 12) y = year - 1;
    if (m2 == 12 && month == 1) y = year + 1;
    if (y < 100 || y > 9999 || DaysIn(y, month) == 0) continue;
    int day;
    if (rule[2] == '/') {
      day = std::stoi(rule.substr(3));
    } else {
      const int n = rule[3] - '0';
      const int w = rule[5] - '1';
      day = 1 + (w - DayOfWeek(y, month, 1) + 7) % 7 + 7 * (n - 1);
    }
    if (day < 1 || day > DaysIn(y, month)) continue;
    char piece[16];
    std::snprintf(piece, sizeof piece, "%04d%02d%02d/", y, month, day);
    keys += piece;
  }
  return keys;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  fuzz::Bytes in(data, size);
  const int m2 = in.Next() % 12 + 1;
  const int year = 100 + (in.Next() | in.Next() << 8) % 9900;

  std::vector<std::string> entries;
  std::string line;
  for (const char c : in.Rest()) {
    if (c == '\n') {
      entries.push_back(line.substr(0, 15));
      line.clear();
    } else {
      line += c;
    }
  }
  entries.push_back(line.substr(0, 15));

  size_t reads = 0;
  const mekuri::HolidayTable table = mekuri::LoadHolidayTable([&](const std::string& key) {
    char expected[8];
    std::snprintf(expected, sizeof expected, "S%02zu", reads + 1);
    FUZZ_CHECK(key == expected, "read %s where %s was due", key.c_str(), expected);
    return reads < entries.size() ? entries[reads++] : (++reads, std::string());
  });

  size_t taken = 0;
  for (const std::string& entry : entries) {
    const bool accepted = mekuri::IsAcceptedHolidayRule(entry);
    FUZZ_CHECK(accepted == Shaped(entry), "rule %s %s", fuzz::Show(entry).c_str(),
               accepted ? "taken" : "refused");
  }
  while (taken < entries.size() && taken < 99 && !entries[taken].empty() && Shaped(entries[taken])) ++taken;
  for (size_t i = 1; i < table.size(); ++i) {
    const std::string want = i <= taken ? entries[i - 1].substr(0, entries[i - 1].find('\0')) : std::string();
    FUZZ_CHECK(table[i] == want, "table entry %zu is %s, not %s", i, fuzz::Show(table[i]).c_str(),
               fuzz::Show(want).c_str());
  }
  FUZZ_CHECK(table[0].empty(), "entry 0 is used");

  const int m1 = m2 == 1 ? 12 : m2 - 1;
  const int m3 = m2 == 12 ? 1 : m2 + 1;
  const std::vector<std::string> rules = mekuri::RulesForMonths(table, m1, m2, m3);
  std::vector<std::string> wanted;
  for (size_t i = 1; i <= taken; ++i) {
    const int month = (table[i][0] - '0') * 10 + (table[i][1] - '0');
    if (month == m1 || month == m2 || month == m3) wanted.push_back(table[i]);
  }
  FUZZ_CHECK(rules == wanted, "%zu rules for months %d %d %d, not %zu", rules.size(), m1, m2, m3, wanted.size());

  // Every rule taken, whatever month it names, gives its day or nothing.
  std::vector<std::string> all(table.begin() + 1, table.begin() + 1 + taken);
  const std::string keys = mekuri::HolidayKeyList(all, m2, year);
  const std::string expected = ExpectedKeys(all, m2, year);
  FUZZ_CHECK(keys == expected, "month %d of %d: keys %s, not %s", m2, year, keys.c_str(), expected.c_str());
  return 0;
}
