#include "memo/today_notice.h"

#include "base/number.h"
#include "base/texts.h"

namespace mekuri {
namespace {

std::u16string Decimal(int value) {
  const std::string digits = FormatInt(value);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace

std::u16string TodayNoticeText(Date today) {
  const Ymd ymd = ToYmd(today);
  std::u16string text(kNoticeLead);
  text += Decimal(ymd.month);
  text += kNoticeMonth;
  text += Decimal(ymd.day);
  text += kNoticeDay;
  text += kWeekdayChars[Weekday(today) - 1];
  text += kNoticeTail;
  return text;
}

}  // namespace mekuri
