#pragma once
// The file operations under the profile engine, one implementation per
// system: profile_file_win.cpp and profile_file_posix.cpp.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace mekuri::profile::detail {

// What tells one version of a file from another without reading it. Times
// are in Clock() ticks.
struct FileStamp {
  uint64_t size = 0;
  int64_t written = 0;  // last write
  int64_t changed = 0;  // POSIX: inode change; Windows: creation
  uint64_t device = 0;  // POSIX identity; Windows leaves 0
  uint64_t inode = 0;
  bool operator==(const FileStamp&) const = default;
};

enum class Presence { kFile, kMissing, kUnreadable };

// Stamps the file by its path without opening it.
Presence StatFile(const std::filesystem::path& file, FileStamp& stamp);

struct FileContent {
  std::string bytes;
  FileStamp stamp;  // of the open file, taken after reading it
  // How long after its last write a stamp can still miss a change made in
  // the same tick of the file system's clock; asking the volume is slow, so
  // only when told to.
  int64_t settle = 0;
};
Presence ReadWholeFile(const std::filesystem::path& file, FileContent& content, bool want_settle);

// The time now, in the ticks of FileStamp.
int64_t Clock();

// A write is refused in a missing folder and on a file whose attributes or
// permissions forbid writing.
bool FolderExists(const std::filesystem::path& folder);
bool FileWritable(const std::filesystem::path& file);

struct ReplaceOptions {
  bool durable = true;
  bool stop_after_temp = false;  // tests: behave as if the process died there
  int64_t settle = 0;            // of the file's volume, if known; else found out
};
struct ReplaceResult {
  bool ok = false;
  int64_t settle = 0;
  // The new file's stamp, taken through the handle that wrote it, after the
  // rename. exact: its last-write time is the precise time the write set,
  // which the file system's coarse clock all but never gives another write.
  bool stamped = false;
  bool exact = false;
  FileStamp stamp;
};
// Writes bytes to a new file beside file, named "<name>.<pid>-<serial>.tmp",
// and puts it in file's place.
ReplaceResult ReplaceWhole(const std::filesystem::path& file, std::string_view bytes,
                           const ReplaceOptions& options);

// Whether no process with this id runs any more; false when unsure.
bool ProcessGone(uint32_t pid);
uint32_t CurrentProcess();

}  // namespace mekuri::profile::detail
