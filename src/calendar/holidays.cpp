#include "calendar/holidays.h"

#include <algorithm>
#include <cmath>

#include "base/date.h"
#include "base/number.h"
#include "platform/profile.h"
#include "settings/settings.h"

namespace mekuri {

namespace {

constexpr uint32_t kRuleCapacity = 16;
constexpr int kLastRule = 99;

// A number written with at least two digits, a half rounded away from zero,
// which is how the month and day of a rule must already be written.
std::string TwoDigits(double value) {
  if (!std::isfinite(value) || std::fabs(value) > 1e9) return std::string();
  const long long whole = std::llround(value);
  std::string digits = FormatInt(whole < 0 ? -whole : whole);
  if (digits.size() < 2) digits.insert(0, 2 - digits.size(), '0');
  return whole < 0 ? "-" + digits : digits;
}

int WholeNumber(std::string_view text) { return ToInt16(LeadingNumber(text)); }

std::string_view From(std::string_view text, size_t position) {
  return position < text.size() ? text.substr(position) : std::string_view();
}

std::optional<Date> FixedDay(std::string_view rule, int month, int year) {
  return MakeDate(year, month, WholeNumber(From(rule, 3)));
}

std::optional<Date> NthWeekday(std::string_view rule, int month, int year) {
  const int n = WholeNumber(rule.substr(3, 1));
  const int w = WholeNumber(From(rule, 5).substr(0, 1));
  const std::optional<Date> first = MakeDate(year, month, 1);
  if (!first) return std::nullopt;
  const int d1 = Weekday(*first);
  const Date firstW = *first + (w - d1 + 7) % 7;
  const Date date = firstW + 7 * (n - 1);
  // A fifth weekday that the month does not have is no holiday of the next.
  if (ToYmd(date).month != month) return std::nullopt;
  return date;
}

}  // namespace

bool IsAcceptedHolidayRule(std::string_view rule) {
  rule = rule.substr(0, rule.find('\0'));
  if (rule.size() != 5 && rule.size() != 6) return false;
  const std::string monthText = TwoDigits(LeadingNumber(rule));
  if (rule.find('/') != std::string_view::npos) {
    const std::string_view day = rule.substr(3);
    return rule[2] == '/' && rule.substr(0, 2) == monthText && day == TwoDigits(LeadingNumber(day));
  }
  if (rule.find(':') != std::string_view::npos) {
    if (rule[2] != ':' || rule[4] != ':' || rule.substr(0, 2) != monthText) return false;
    const double n = LeadingNumber(rule.substr(3, 1));
    const double w = LeadingNumber(From(rule, 5));
    return n >= 1 && n <= 5 && w >= 1 && w <= 7 && !(n == 5 && w > 3);
  }
  return false;
}

HolidayTable LoadHolidayTable(const std::function<std::string(const std::string& key)>& readKey) {
  HolidayTable table;
  for (int i = 1; i <= kLastRule; ++i) {
    std::string key = "S";
    if (i < 10) key += '0';
    key += FormatInt(i);
    std::string text = readKey(key);
    text.resize(std::min(text.size(), text.find('\0')));
    if (text.empty() || !IsAcceptedHolidayRule(text)) break;
    table[i] = std::move(text);
  }
  return table;
}

HolidayTable LoadHolidayTable(const std::filesystem::path& iniFile) {
  return LoadHolidayTable([&iniFile](const std::string& key) {
    return profile::Read(kSection, key, "", kRuleCapacity, iniFile).text;
  });
}

std::vector<std::string> RulesForMonths(const HolidayTable& table, int m1, int m2, int m3) {
  std::vector<std::string> rules;
  for (int i = 1; i <= kLastRule && !table[i].empty(); ++i) {
    const double month = LeadingNumber(table[i]);
    if (month == m1 || month == m2 || month == m3) rules.push_back(table[i]);
  }
  return rules;
}

std::string HolidayKeyList(const std::vector<std::string>& rules, int m2, int year) {
  std::string keys;
  for (const std::string& rule : rules) {
    const int month = WholeNumber(rule);
    // Only December shown with January, or January with December, lies in
    // a neighbouring year.
    int ruleYear = year;
    if (m2 == 1 && month == 12) ruleYear = year - 1;
    if (m2 == 12 && month == 1) ruleYear = year + 1;
    const bool weekdayRule = From(rule, 3).find(':') != std::string_view::npos;
    const std::optional<Date> date = weekdayRule ? NthWeekday(rule, month, ruleYear)
                                                 : FixedDay(rule, month, ruleYear);
    if (date) keys += FormatDate(*date, "yyyymmdd/");
  }
  return keys;
}

}  // namespace mekuri
