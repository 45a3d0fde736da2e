#pragma once
// The texts of the two command menus and the tray tip, in UTF-16.
#include <string_view>

namespace mekuri {

inline constexpr std::u16string_view kTrayMenuHeading = u"--- 操作メニュー ---";
inline constexpr std::u16string_view kOperationMenuHeading = u"----- 操作メニュー -----";
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
inline constexpr std::u16string_view kMenuReadme = u"読んで☆.txt";
inline constexpr std::u16string_view kMenuExit = u"終了する";

// The readme beside the program, and the launcher that opens it.
inline constexpr std::u16string_view kReadmeFile = u"読んで☆.txt";
inline constexpr std::u16string_view kLauncher = u"ShellExecute.exe";

}  // namespace mekuri
