#pragma once
// The fixed texts of the main window and its calendar, in UTF-16 as the
// window layer hands them to the system. Each view points at its literal,
// so data() is NUL-terminated and can go straight to a W function.
#include <array>
#include <string_view>

#include "base/stop_texts.h"

namespace mekuri {

// The refusals of the year and month boxes (critical icon, one OK button).
inline constexpr std::u16string_view kYearErrorPrompt = u"年が不正です。\r\n1970～2100 の値を入力してください。";
inline constexpr std::u16string_view kMonthErrorPrompt = u"月が不正です。\r\n1～12 の値を入力してください。";

// The main window's caption; a second start finds the running copy by it.
inline constexpr std::u16string_view kMainCaption = u"めくりノート";

// Tooltips and captions of the month strip above the grid.
inline constexpr std::u16string_view kTipMenuButton = u"メニューを表示します。";
inline constexpr std::u16string_view kTipYearBox = u"年（1970～2100）を入力します。";
inline constexpr std::u16string_view kTipMonthBox = u"月（1～12）を入力します。";
inline constexpr std::u16string_view kTipMonthBack = u"月をひとつ戻します。";
inline constexpr std::u16string_view kTipMonthForward = u"月をひとつ進めます。";
inline constexpr std::u16string_view kTipUpdate = u"カレンダー表示を更新します。";

inline constexpr std::u16string_view kUpdateCaption = u"更新";
inline constexpr std::u16string_view kYearLabel = u"年";
inline constexpr std::u16string_view kMonthLabel = u"月";

// One-character weekday names, index 0 = Sunday (also the grid header).
inline constexpr std::array<std::u16string_view, 7> kWeekdayChars = {
    u"日", u"月", u"火", u"水", u"木", u"金", u"土"};

}  // namespace mekuri
