#pragma once
// Every fixed text of the program's windows, menus and messages, in UTF-16 as
// the window layer hands them to the system. Each view points at its literal,
// so data() is NUL-terminated and can go straight to a W function. A text
// that several windows show is defined once, in the shared section.
#include <array>
#include <string_view>

namespace mekuri {

// ---- Shared by several windows ----

// Title of every message that asks the user to correct an input or says that
// an action could not be done.
inline constexpr std::u16string_view kStopTitle = u"処理中断";
// An action that stopped on an unexpected failure (memory running out).
inline constexpr std::u16string_view kStoppedActionPrompt =
    u"メモリが足りないため、操作を最後まで行えませんでした。\r\n保存済みの内容はそのまま残っています。";

// The main window's caption; a second start finds the running copy by it.
inline constexpr std::u16string_view kMainCaption = u"めくりノート";

inline constexpr std::u16string_view kCloseCaption = u"閉じる(&C)";
inline constexpr std::u16string_view kDeleteCaption = u"削除(&D)";
// The time-signal window's button and the last item of the list's menu.
inline constexpr std::u16string_view kCloseWord = u"閉じる";

// The labels after the year, month and day boxes.
inline constexpr std::u16string_view kYearLabel = u"年";
inline constexpr std::u16string_view kMonthLabel = u"月";
inline constexpr std::u16string_view kDayLabel = u"日";

// One-character weekday names, index 0 = Sunday (also the grid header).
inline constexpr std::array<std::u16string_view, 7> kWeekdayChars = {u"日", u"月", u"火", u"水",
                                                                     u"木", u"金", u"土"};
inline constexpr std::u16string_view kWeekdaySuffix = u"曜日";

// The readme beside the program (also its menu item), and the launcher that opens it.
inline constexpr std::u16string_view kReadmeFile = u"読んで☆.txt";
inline constexpr std::u16string_view kLauncher = u"ShellExecute.exe";

// ---- The main window ----

// The refusals of the year and month boxes (critical icon, one OK button).
inline constexpr std::u16string_view kYearErrorPrompt = u"年が不正です。\r\n1970～2100 の値を入力してください。";
inline constexpr std::u16string_view kMonthErrorPrompt = u"月が不正です。\r\n1～12 の値を入力してください。";

// Tooltips and captions of the month strip above the grid.
inline constexpr std::u16string_view kTipMenuButton = u"メニューを表示します。";
inline constexpr std::u16string_view kTipYearBox = u"年（1970～2100）を入力します。";
inline constexpr std::u16string_view kTipMonthBox = u"月（1～12）を入力します。";
inline constexpr std::u16string_view kTipMonthBack = u"月をひとつ戻します。";
inline constexpr std::u16string_view kTipMonthForward = u"月をひとつ進めます。";
inline constexpr std::u16string_view kTipUpdate = u"カレンダー表示を更新します。";
inline constexpr std::u16string_view kUpdateCaption = u"更新";

// ---- The tray menu and the operation menu ----

inline constexpr std::u16string_view kTrayMenuHeading = u"--- 操作メニュー ---";
inline constexpr std::u16string_view kOperationMenuHeading = u"----- 操作メニュー -----";
// "yyyy 年 mm 月を表示する": these pieces around the year and the month.
inline constexpr std::u16string_view kMenuYearInfix = u" 年 ";
inline constexpr std::u16string_view kMenuMonthInfix = u" 月";
inline constexpr std::u16string_view kMenuShowSuffix = u"を表示する";
inline constexpr std::u16string_view kMenuTodaysMemo = u"今日のメモを表示する";
inline constexpr std::u16string_view kMenuShowMain = u"メイン画面を表示する";
inline constexpr std::u16string_view kMenuCommonInfo = u"共通情報を表示する";
inline constexpr std::u16string_view kMenuMemoByDate = u"日付指定でメモを表示する";
inline constexpr std::u16string_view kMenuEveryHourOff = u"毎時の表示をしない";
inline constexpr std::u16string_view kMenuEveryHourOn = u"毎時の表示をする";
inline constexpr std::u16string_view kMenuHidingCheckOff = u"最小化経過時間をチェックしない";
inline constexpr std::u16string_view kMenuHidingCheckOn = u"最小化経過時間をチェックする";
inline constexpr std::u16string_view kMenuDeletePast = u"昨日以前のメモを消す";
inline constexpr std::u16string_view kMenuOpenAll = u"すべてのメモを表示する";
inline constexpr std::u16string_view kMenuVersion = u"バージョン情報を開く";
inline constexpr std::u16string_view kMenuCloseAllButMain = u"親ウィンドウ以外を閉じる";
inline constexpr std::u16string_view kMenuCloseAll = u"全ウィンドウを閉じる";
inline constexpr std::u16string_view kMenuExit = u"終了する";

// ---- The memo window ----

// A memo window is found by its caption: this prefix and the date key.
inline constexpr std::u16string_view kMemoCaptionPrefix = u"Memo - ";
inline constexpr std::u16string_view kMemoHeading = u"● メモ";
inline constexpr std::u16string_view kSaveCaption = u"保存(&S)";
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
    u"このメモは読み取れません。\r\n"
    u"（QzlCmn.dll がないか、保存されている値が\r\n"
    u"壊れています。）\r\n"
    u"保存されている内容はそのまま残してあります。\r\n"
    u"不要なときは［削除］で削除できます。";
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

// ---- The date dialog and the today notice ----

inline constexpr std::u16string_view kDateDialogCaption = u"メモ表示の年月日指定";
inline constexpr std::u16string_view kOpenCaption = u"開く(&O)";

// "　今日は、9 月 10 日 金曜日です。": these pieces around the numbers and
// the weekday character. The lead begins with an ideographic space.
inline constexpr std::u16string_view kNoticeLead = u"　今日は、";
inline constexpr std::u16string_view kNoticeMonth = u" 月 ";
inline constexpr std::u16string_view kNoticeDay = u" 日 ";
inline constexpr std::u16string_view kNoticeTail = u"曜日です。";

// ---- The common-information window ----

inline constexpr std::u16string_view kCommonCaption = u"共通情報";
inline constexpr std::u16string_view kCommonPlaceholder = u"（ここに追加したい文字列を入力します）";
inline constexpr std::u16string_view kCommonAddPrompt = u"（追加したい文字列を入力してください）";

inline constexpr std::u16string_view kAddCaption = u"追加(&A)";
inline constexpr std::u16string_view kModifyCaption = u"修正(&M)";
inline constexpr std::u16string_view kCommonKeyHelp = u"Ctrl+A：全選択， Ctrl+D：全選択解除";

inline constexpr std::u16string_view kText1Tip = u"ここに文字列を入力します。";
inline constexpr std::u16string_view kLabel1Tip = u"入力された文字列の長さが表示されます。";
inline constexpr std::u16string_view kLabel2Tip = u"リストのアイテム数です（最大 100）。";
inline constexpr std::u16string_view kAddTip = u"リストに入力した文字列を追加します。";
inline constexpr std::u16string_view kModifyTip =
    u"リストのカーソル行の文字列を入力されているものに置き換えます。";
inline constexpr std::u16string_view kRemoveTip = u"リストのカーソル行の文字列を削除します。";
inline constexpr std::u16string_view kCommonCloseTip = u"このウィンドウを閉じます。";

// The list's pop-up menu (the last item is kCloseWord).
inline constexpr std::u16string_view kListMenuSortAscending = u"昇順で並び替える";
inline constexpr std::u16string_view kListMenuSortDescending = u"降順で並び替える";
inline constexpr std::u16string_view kListMenuCheckAll = u"すべてチェックする";
inline constexpr std::u16string_view kListMenuUncheckAll = u"すべてチェックをはずす";
inline constexpr std::u16string_view kListMenuDeleteOne = u"１件削除する";
inline constexpr std::u16string_view kListMenuDeleteChecked = u"チェック付きを削除する";
inline constexpr std::u16string_view kListMenuDeleteAll = u"すべて削除する";

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

// ---- The time-signal window ----

inline constexpr std::u16string_view kNoonText = u"正午です";
inline constexpr std::u16string_view kHourSuffix = u"時です";  // after the hour on a 12-hour dial
inline constexpr std::u16string_view kChimeText = u"ぽーん♪";
inline constexpr std::u16string_view kTimeSignalShowCaption = u"表示";

}  // namespace mekuri
