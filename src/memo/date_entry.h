#pragma once
// What the date dialog makes of the year, month and day the user typed.
#include <optional>
#include <string_view>

#include "base/date.h"

namespace mekuri {

// 1000/01/01: the dialog was cancelled and no memo is to be opened.
inline constexpr Date kCancelDate{-328716};

// Each box counts by the number at its start (year 1970..2100, month 1..12,
// day 1..31); nullopt when one is out of range, and the dialog stays open.
// Otherwise the date the values name, month and day rounded as a two-digit
// number shows them, or kCancelDate when that day does not exist (2004/02/30).
// A year written as a number but not as a plain year ("2e3") counts by its
// value.
std::optional<Date> DateFromEntry(std::u16string_view year, std::u16string_view month, std::u16string_view day);

}  // namespace mekuri
