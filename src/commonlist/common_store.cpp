#include "commonlist/common_store.h"

#include <array>
#include <cstdio>
#include <optional>
#include <utility>

#include "platform/profile.h"

namespace mekuri {
namespace {

constexpr uint32_t kCommonReadCapacity = 512;

}  // namespace

std::string CommonKey(int index) {
  char key[16];
  std::snprintf(key, sizeof key, "Common%03d", index);
  return key;
}

StoredCommonList LoadCommonList(const std::filesystem::path& datFile, const CipherLibrary& cipher) {
  StoredCommonList list;
  for (int i = 0; i < kCommonKeys; ++i) {
    StoredText stored = ReadStored(datFile, cipher, CommonKey(i), kCommonReadCapacity);
    switch (stored.state) {
      case Stored::Absent:
        break;
      case Stored::Unreadable:
        ++list.unreadable;
        break;
      case Stored::Readable:
        list.readKeys.push_back(i);
        if (!stored.text.empty()) list.items.push_back(std::move(stored.text));
        break;
    }
  }
  list.fileUnreadable = FileUnreadable(datFile);
  return list;
}

SaveResult SaveCommonList(const std::filesystem::path& datFile, const CipherLibrary& cipher,
                          const StoredCommonList& loaded, const std::vector<std::u16string>& items) {
  // Whatever is stored now under a key the list did not read stays.
  std::array<bool, kCommonKeys> kept{};
  std::array<bool, kCommonKeys> read{};
  for (int i : loaded.readKeys) read[static_cast<size_t>(i)] = true;
  for (int i = 0; i < kCommonKeys; ++i) {
    kept[i] = !read[i] && profile::Read(kMemoSection, CommonKey(i), "", 4, datFile).count > 0;
  }
  std::vector<std::pair<std::string, std::string>> values;
  values.reserve(items.size());
  int next = 0;
  for (const std::u16string& item : items) {
    while (next < kCommonKeys && kept[next]) ++next;
    if (next == kCommonKeys) return SaveResult::WriteFailed;  // no free key left for it
    std::optional<std::string> enciphered = EncipherText(cipher, item);
    if (!enciphered || enciphered->empty()) return SaveResult::CipherFailed;
    values.emplace_back(CommonKey(next++), std::move(*enciphered));
  }
  // Read values beyond the last written key go. Keys with an empty value
  // were never part of the list and stay.
  std::vector<std::string> removals;
  for (int i : loaded.readKeys) {
    if (i >= next) removals.push_back(CommonKey(i));
  }
  if (values.empty() && removals.empty()) return SaveResult::Saved;
  return profile::WriteKeys(kMemoSection, values, removals, datFile) ? SaveResult::Saved
                                                                     : SaveResult::WriteFailed;
}

SaveResult SaveCommonList(const std::filesystem::path& datFile, const CipherLibrary& cipher,
                          const std::vector<std::u16string>& items) {
  return SaveCommonList(datFile, cipher, LoadCommonList(datFile, cipher), items);
}

}  // namespace mekuri
