#pragma once
// The fixed texts of the memo window, in UTF-16 as the window layer hands
// them to the system.
#include <string_view>

namespace mekuri {

// A memo window is found by its caption: this prefix and the date key.
inline constexpr std::u16string_view kMemoCaptionPrefix = u"Memo - ";
inline constexpr std::u16string_view kWeekdaySuffix = u"曜日";

inline constexpr std::u16string_view kMemoHeading = u"● メモ";
inline constexpr std::u16string_view kSaveCaption = u"保存(&S)";
inline constexpr std::u16string_view kDeleteCaption = u"削除(&D)";
inline constexpr std::u16string_view kCloseCaption = u"閉じる(&C)";
inline constexpr std::u16string_view kKeyHelp = u"Ctrl+A：全選択， Ctrl+S：保存， Ctrl+DEL：削除";

// Refusals of a save (exclamation icon, title "処理中断").
inline constexpr std::u16string_view kTooLongPrompt = u"10000 文字を超えています。";
inline constexpr std::u16string_view kCipherFailedPrompt =
    u"メモを暗号化できませんでした（QzlCmn.dll を確認してください）。\r\nメモは保存されていません。";
inline constexpr std::u16string_view kWriteFailedPrompt =
    u"メモファイルに書き込めませんでした。\r\nメモは保存されていません。";
inline constexpr std::u16string_view kDeleteFailedPrompt =
    u"メモファイルに書き込めませんでした。\r\nメモは削除されていません。";

// A stored memo that cannot be read: the read-only box shows this line in
// its place, a save is refused (title "処理中断"), and a delete asks first
// (the date, then kConfirmUnreadableDelete; title "めくりノート").
inline constexpr std::u16string_view kUnreadableMemoText =
    u"このメモは読み取れません（QzlCmn.dll がないか、保存されている値が壊れています）。\r\n"
    u"保存されている内容はそのまま残してあります。不要なときは［削除］で削除できます。";
inline constexpr std::u16string_view kUnreadableSavePrompt =
    u"このメモは読み取れないため、上書き保存できません。\r\n保存されている内容はそのまま残してあります。";
inline constexpr std::u16string_view kConfirmUnreadableDelete =
    u" のメモは読み取れません。\r\n削除すると元に戻せません。削除しますか？";

// Opening all memos stopped short (exclamation icon, title "処理中断"): why,
// then how many memos stayed closed (kNotOpenedLead, the number, the tail).
inline constexpr std::u16string_view kWindowLimitLead = u"メモ ウィンドウは一度に ";
inline constexpr std::u16string_view kWindowLimitMiddle = u" 個までしか開けません。";
inline constexpr std::u16string_view kNoMoreWindowsLead = u"メモ ウィンドウをこれ以上開けません。";
inline constexpr std::u16string_view kNotOpenedLead = u"\r\n開いていないメモが ";
inline constexpr std::u16string_view kNotOpenedTail = u" 件あります。";

}  // namespace mekuri
