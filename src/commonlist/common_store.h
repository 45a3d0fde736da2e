#pragma once
// The common list in the memo file: one enciphered text per key, Common000
// onward. The list is read when its window opens and written back, as one
// rewrite of the file, when it closes; nothing is removed in between, so a
// crash while the window is open loses nothing.
#include <filesystem>
#include <string>
#include <vector>

#include "memo/memo_store.h"

namespace mekuri {

inline constexpr int kCommonKeys = 100;

std::string CommonKey(int index);  // "Common000" ... "Common099"

// Every stored text that deciphers to something, in key order; gaps and
// empty values are passed over.
std::vector<std::u16string> LoadCommonList(const std::filesystem::path& datFile, const CipherLibrary& cipher);

// Writes the items under Common000 onward and removes the stored texts left
// beyond them. On failure the file keeps the list it had. Without the cipher
// library an empty list leaves the stored one alone (it could not be shown).
SaveResult SaveCommonList(const std::filesystem::path& datFile, const CipherLibrary& cipher,
                          const std::vector<std::u16string>& items);

}  // namespace mekuri
