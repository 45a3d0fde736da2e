#include "commonlist/common_store.h"

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

std::vector<std::u16string> LoadCommonList(const std::filesystem::path& datFile, const CipherLibrary& cipher) {
  std::vector<std::u16string> items;
  for (int i = 0; i < kCommonKeys; ++i) {
    const profile::ReadResult stored = profile::Read(kMemoSection, CommonKey(i), "", kCommonReadCapacity, datFile);
    if (stored.count == 0) continue;
    std::u16string text = DecipherText(cipher, stored.text);
    if (!text.empty()) items.push_back(std::move(text));
  }
  return items;
}

SaveResult SaveCommonList(const std::filesystem::path& datFile, const CipherLibrary& cipher,
                          const std::vector<std::u16string>& items) {
  if (!cipher && items.empty()) return SaveResult::Saved;
  std::vector<std::pair<std::string, std::string>> values;
  values.reserve(items.size());
  for (size_t i = 0; i < items.size() && i < kCommonKeys; ++i) {
    std::optional<std::string> enciphered = EncipherText(cipher, items[i]);
    if (!enciphered || enciphered->empty()) return SaveResult::CipherFailed;
    values.emplace_back(CommonKey(static_cast<int>(i)), std::move(*enciphered));
  }
  // Keys with an empty value were never part of the list and stay.
  std::vector<std::string> removals;
  for (int i = static_cast<int>(values.size()); i < kCommonKeys; ++i) {
    std::string key = CommonKey(i);
    if (profile::Read(kMemoSection, key, "", 4, datFile).count > 0) removals.push_back(std::move(key));
  }
  if (values.empty() && removals.empty()) return SaveResult::Saved;
  return profile::WriteKeys(kMemoSection, values, removals, datFile) ? SaveResult::Saved : SaveResult::WriteFailed;
}

}  // namespace mekuri
