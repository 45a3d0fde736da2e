#pragma once
// The texts of a refusal or an action that stopped, which every part of the
// program shows under the same title.
#include <string_view>

namespace mekuri {

// Title of every message that asks the user to correct an input or says that
// an action could not be done.
inline constexpr std::u16string_view kStopTitle = u"処理中断";

// An action that stopped on an unexpected failure (memory running out).
inline constexpr std::u16string_view kStoppedActionPrompt =
    u"メモリが足りないため、操作を最後まで行えませんでした。\r\n保存済みの内容はそのまま残っています。";

}  // namespace mekuri
