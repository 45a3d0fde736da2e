#pragma once
// The common list in the memo file: one enciphered text per key, Common000
// onward. The list is read when its window opens and written back, as one
// rewrite of the file, when it closes; nothing is removed in between, so a
// crash while the window is open loses nothing.
//
// A stored value the list cannot read (cipher library missing or failing,
// damaged, too long) keeps its key and its bytes: the items saved go around
// it, and only values the list did read are ever rewritten or removed.
#include <filesystem>
#include <string>
#include <vector>

#include "memo/memo_store.h"

namespace mekuri {

inline constexpr int kCommonKeys = 100;

std::string CommonKey(int index);  // "Common000" ... "Common099"

// The stored list as its window opens it.
struct StoredCommonList {
  std::vector<std::u16string> items;  // every readable, non-empty text, in key order
  std::vector<int> readKeys;          // the keys whose values were read: the save's to reuse or remove
  int unreadable = 0;                 // values present but unreadable; each keeps its key
  bool fileUnreadable = false;        // the memo file is there but could not be read at all
  // How many items the list may hold beside the values it keeps.
  size_t Room() const { return static_cast<size_t>(kCommonKeys - unreadable); }
};

// Gaps and empty values are passed over; a value that deciphers to "" is
// read (the save removes it) but is no item.
StoredCommonList LoadCommonList(const std::filesystem::path& datFile, const CipherLibrary& cipher);

// Writes the items, in order, under the free keys from Common000 onward and
// removes the read values left over. A key holding a value that `loaded` did
// not read (unreadable then, or stored since) is neither written nor removed.
// On failure the file keeps the list it had; WriteFailed also when the items
// do not fit beside the kept values.
SaveResult SaveCommonList(const std::filesystem::path& datFile, const CipherLibrary& cipher,
                          const StoredCommonList& loaded, const std::vector<std::u16string>& items);
// The same against the list as it is stored now.
SaveResult SaveCommonList(const std::filesystem::path& datFile, const CipherLibrary& cipher,
                          const std::vector<std::u16string>& items);

}  // namespace mekuri
