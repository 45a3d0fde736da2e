#include "platform/profile_replace.h"

#include <algorithm>
#include <string>
#include <vector>

namespace mekuri::profile::detail {

std::filesystem::path RestoreCopy(const std::filesystem::path& file) {
  return std::filesystem::path(file.native() + std::filesystem::path(".restore").native());
}

bool RestoreFromCopy(const std::filesystem::path& file, bool durable) {
  const std::filesystem::path copy = RestoreCopy(file);
  FileStamp stamp;
  if (StatFile(copy, stamp) != Presence::kFile) return true;
  if (MoveOver(copy, file)) return true;
  // The file is still held open by another program: write the copy into it.
  FileContent content;
  if (ReadWholeFile(copy, content, false) != Presence::kFile) return false;
  return RewriteInPlace(file, content.bytes, durable) == Rewritten::kDone && RemoveFile(copy);
}

ReplaceResult PutInPlace(const std::filesystem::path& file, std::string_view bytes,
                         const ReplaceOptions& options) {
  ReplaceResult result = ReplaceWhole(file, bytes, options);
  const bool cut = options.cut_in_place >= 0;
  const std::string_view written = cut ? bytes.substr(0, static_cast<size_t>(options.cut_in_place)) : bytes;
  switch (result.outcome) {
    case Replaced::kDone:
    case Replaced::kFailed:
      return result;
    case Replaced::kNoNewFile:
      // No copy can be kept here, as with the platform's own functions.
      result.outcome = RewriteInPlace(file, written, options.durable, !cut) == Rewritten::kDone
                           ? Replaced::kDone
                           : Replaced::kFailed;
      return result;
    case Replaced::kRefused:
      break;
  }
  result.outcome = Replaced::kFailed;
  const std::filesystem::path copy = RestoreCopy(file);
  if (!MoveOver(result.temp, copy)) {
    RemoveFile(result.temp);  // the file is untouched
    return result;
  }
  // Once the file is touched, the copy stays until the rewrite is complete;
  // whatever stops it, the next reader or writer puts the copy back.
  switch (RewriteInPlace(file, written, options.durable, !cut)) {
    case Rewritten::kUntouched:
      RemoveFile(copy);
      return result;
    case Rewritten::kTorn:
      return result;
    case Rewritten::kDone:
      break;
  }
  RemoveFile(copy);
  result.outcome = Replaced::kDone;
  return result;
}

void RemoveStaleTemps(const std::filesystem::path& file) {
  using string_type = std::filesystem::path::string_type;
  static std::vector<string_type> swept;
  if (std::find(swept.begin(), swept.end(), file.native()) != swept.end()) return;
  swept.push_back(file.native());
  const string_type prefix = file.filename().native() + std::filesystem::path::value_type('.');
  const string_type suffix = std::filesystem::path(".tmp").native();
  std::error_code error;
  std::filesystem::directory_iterator it(file.has_parent_path() ? file.parent_path() : ".", error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    const string_type name = it->path().filename().native();
    if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
      continue;
    }
    // "<pid>-<serial>" between them
    const string_type middle = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    const size_t dash = middle.find('-');
    const auto digits = [](const string_type& s) {
      return !s.empty() && s.size() <= 9 &&
             std::all_of(s.begin(), s.end(), [](auto c) { return c >= '0' && c <= '9'; });
    };
    if (dash == string_type::npos || !digits(middle.substr(0, dash)) || !digits(middle.substr(dash + 1)))
      continue;
    uint32_t pid = 0;
    for (size_t i = 0; i < dash; ++i) pid = pid * 10 + static_cast<uint32_t>(middle[i] - '0');
    if (pid != CurrentProcess() && ProcessGone(pid)) {
      std::error_code ignored;
      std::filesystem::remove(it->path(), ignored);
    }
  }
}

}  // namespace mekuri::profile::detail
