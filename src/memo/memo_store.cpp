#include "memo/memo_store.h"

#include "platform/profile.h"

namespace mekuri {

bool MemoPresent(const std::filesystem::path& datFile, Date date) {
  const std::string key = FormatDate(date, "yyyy/mm/dd");
  return profile::Read(kMemoSection, key, "", 4, datFile).count >= 1;
}

}  // namespace mekuri
