#pragma once
// The fixed texts of the date dialog and the today notice, in UTF-16 as the
// window layer hands them to the system.
#include <string_view>

namespace mekuri {

inline constexpr std::u16string_view kDateDialogCaption = u"メモ表示の年月日指定";
inline constexpr std::u16string_view kOpenCaption = u"開く(&O)";
inline constexpr std::u16string_view kDayLabel = u"日";

// "　今日は、9 月 10 日 金曜日です。": these pieces around the numbers and
// the weekday character. The lead begins with an ideographic space.
inline constexpr std::u16string_view kNoticeLead = u"　今日は、";
inline constexpr std::u16string_view kNoticeMonth = u" 月 ";
inline constexpr std::u16string_view kNoticeDay = u" 日 ";
inline constexpr std::u16string_view kNoticeTail = u"曜日です。";

}  // namespace mekuri
