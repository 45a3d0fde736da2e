#pragma once
// The memo file: one INI section "Mekurinote", one enciphered memo per date
// under its "yyyy/mm/dd" key.
#include <filesystem>

#include "base/date.h"

namespace mekuri {

inline constexpr const char* kMemoSection = "Mekurinote";

// The presence probe of a day cell: whether the memo file holds a non-empty
// value under the date's key. Only presence is read (at most 3 bytes), never
// deciphered; a missing file holds no memos.
bool MemoPresent(const std::filesystem::path& datFile, Date date);

}  // namespace mekuri
