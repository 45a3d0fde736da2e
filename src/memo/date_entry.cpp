#include "memo/date_entry.h"

#include <cmath>

#include "base/number.h"

namespace mekuri {
namespace {

// A two-digit number format rounds halves away from zero (9.5 shows as "10").
int AsShown(double value) { return static_cast<int>(std::lround(value)); }

}  // namespace

std::optional<Date> DateFromEntry(std::u16string_view year, std::u16string_view month, std::u16string_view day) {
  const double y = LeadingNumber(year);
  if (y < 1970 || y > 2100) return std::nullopt;
  const double m = LeadingNumber(month);
  if (m < 1 || m > 12) return std::nullopt;
  const double d = LeadingNumber(day);
  if (d < 1 || d > 31) return std::nullopt;
  return MakeDate(AsShown(y), AsShown(m), AsShown(d)).value_or(kCancelDate);
}

}  // namespace mekuri
