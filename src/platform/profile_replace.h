#pragma once
// How the profile engine puts a file's new content on the disk so that no
// crash and no other program can leave it torn. Called with the file's lock
// held (detail::FileLock).
#include <filesystem>
#include <string_view>

#include "platform/profile_file.h"

namespace mekuri::profile::detail {

// The whole new content, kept beside a file while the file is rewritten in
// place. It is named apart from the rename's temporary files, which a later
// writer removes as abandoned; this one it puts back.
std::filesystem::path RestoreCopy(const std::filesystem::path& file);

// A writer that died while it rewrote the file in place left the file torn
// and the copy beside it: put the copy in the file's place. True when there
// was nothing to put back or it went back; false when a copy stays.
bool RestoreFromCopy(const std::filesystem::path& file, bool durable);

// Gives file the content bytes: a new file renamed over the old one; when
// another program holds the old one, a rewrite in place with the copy kept
// until it is complete; in a folder where no file can be created, a rewrite
// in place. outcome is kDone or kFailed; stamped only for a renamed file.
ReplaceResult PutInPlace(const std::filesystem::path& file, std::string_view bytes,
                         const ReplaceOptions& options);

// The temporary files of rename writers that have ended, once per file and
// process.
void RemoveStaleTemps(const std::filesystem::path& file);

}  // namespace mekuri::profile::detail
