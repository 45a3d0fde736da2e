#pragma once
// The fixed texts of the common-information window, in UTF-16 as the window
// layer hands them to the system.
#include <string_view>

namespace mekuri {

inline constexpr std::u16string_view kCommonCaption = u"共通情報";
inline constexpr std::u16string_view kCommonPlaceholder = u"（ここに追加したい文字列を入力します）";
inline constexpr std::u16string_view kCommonAddPrompt = u"（追加したい文字列を入力してください）";

inline constexpr std::u16string_view kAddCaption = u"追加(&A)";
inline constexpr std::u16string_view kModifyCaption = u"修正(&M)";
inline constexpr std::u16string_view kRemoveCaption = u"削除(&D)";
inline constexpr std::u16string_view kCommonCloseCaption = u"閉じる(&C)";
inline constexpr std::u16string_view kCommonKeyHelp = u"Ctrl+A：全選択， Ctrl+D：全選択解除";

inline constexpr std::u16string_view kText1Tip = u"ここに文字列を入力します。";
inline constexpr std::u16string_view kLabel1Tip = u"入力された文字列の長さが表示されます。";
inline constexpr std::u16string_view kLabel2Tip = u"リストのアイテム数です（最大 100）。";
inline constexpr std::u16string_view kAddTip = u"リストに入力した文字列を追加します。";
inline constexpr std::u16string_view kModifyTip = u"リストのカーソル行の文字列を入力されているものに置き換えます。";
inline constexpr std::u16string_view kRemoveTip = u"リストのカーソル行の文字列を削除します。";
inline constexpr std::u16string_view kCommonCloseTip = u"このウィンドウを閉じます。";

// Refusals of a file drop (exclamation icon, title "処理中断").
inline constexpr std::u16string_view kTooManyFilesPrompt = u"追加できるのはファイル１０個までです。";
inline constexpr std::u16string_view kListFullPrompt = u"リストに追加できません。";

// A close that could not store the list (title "処理中断"); the stored list
// stays as it was.
inline constexpr std::u16string_view kCommonCipherFailedPrompt =
    u"共通情報を暗号化できませんでした（QzlCmn.dll を確認してください）。\r\n変更は保存されていません。";
inline constexpr std::u16string_view kCommonWriteFailedPrompt =
    u"メモファイルに書き込めませんでした。\r\n共通情報の変更は保存されていません。";

// Told once as the list opens (title "共通情報"): stored items it could not
// read stay in the memo file as they are and out of the list. The count goes
// between the two parts (UnreadableItemsPrompt).
inline constexpr std::u16string_view kUnreadableItemsBefore = u"保存されている共通情報のうち ";
inline constexpr std::u16string_view kUnreadableItemsAfter =
    u" 件を読み取れませんでした（QzlCmn.dll がないか、値が壊れています）。\r\n"
    u"読み取れない項目は一覧に表示しませんが、メモファイルにそのまま残してあります。";
inline constexpr std::u16string_view kCommonFileUnreadablePrompt =
    u"メモファイルを読み取れませんでした（ほかのプログラムが使用中の可能性があります）。\r\n"
    u"保存されている共通情報は表示されませんが、そのまま残してあります。";

}  // namespace mekuri
