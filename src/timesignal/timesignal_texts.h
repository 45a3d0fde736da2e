#pragma once
// The fixed texts of the time-signal window, in UTF-16 as the window layer
// hands them to the system.
#include <string_view>

namespace mekuri {

inline constexpr std::u16string_view kNoonText = u"正午です";
inline constexpr std::u16string_view kHourSuffix = u"時です";  // after the hour on a 12-hour dial
inline constexpr std::u16string_view kChimeText = u"ぽーん♪";
inline constexpr std::u16string_view kJihouCloseCaption = u"閉じる";
inline constexpr std::u16string_view kJihouShowCaption = u"表示";

}  // namespace mekuri
