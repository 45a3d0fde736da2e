#pragma once
// Code page 932 (Shift-JIS) conversion, explicit and never through the
// system's ANSI code page. Both files and the cipher library speak it.
#include <string>
#include <string_view>

namespace mekuri {

// A character code page 932 cannot represent becomes "?".
std::string ToCp932(std::u16string_view text);
// Bytes that are no valid code page 932 become U+30FB, as Windows does.
std::u16string FromCp932(std::string_view bytes);

// UTF-8 <-> UTF-16 for tests, logs and Linux paths.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

}  // namespace mekuri
