#pragma once
// The sentence the today notice shows for a date.
#include <string>

#include "base/date.h"

namespace mekuri {

// "　今日は、9 月 10 日 金曜日です。": month and day without leading zeros.
std::u16string TodayNoticeText(Date today);

}  // namespace mekuri
