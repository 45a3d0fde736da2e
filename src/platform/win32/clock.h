#pragma once
// The clock seam: every window asks here for the local date and time, so that
// tests can set the time and cross midnight or a full hour without waiting.
#include <functional>

#include "base/date.h"

namespace mekuri::win {

DateTime Now();
inline Date Today() { return Now().date; }

// Tests install a clock of their own; an empty function restores the system's.
void SetClockForTesting(std::function<DateTime()> clock);

}  // namespace mekuri::win
