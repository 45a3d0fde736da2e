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
  // the same tick of the file system's clock.
  int64_t settle = 0;
};
Presence ReadWholeFile(const std::filesystem::path& file, FileContent& content);

// The time now, in the ticks of FileStamp.
int64_t Clock();

// A missing folder and a file whose attributes or permissions refuse writing
// both refuse a write.
bool FolderExists(const std::filesystem::path& folder);
bool FileWritable(const std::filesystem::path& file);

struct ReplaceOptions {
  bool durable = true;
  bool stop_after_temp = false;  // tests: behave as if the process died there
};
struct ReplaceResult {
  bool ok = false;
  bool stamped = false;  // stamp is of the file that now holds the bytes
  FileStamp stamp;
  int64_t settle = 0;
};
// Writes bytes to a new file beside file and puts it in file's place.
ReplaceResult ReplaceWhole(const std::filesystem::path& file, std::string_view bytes,
                           const ReplaceOptions& options);

}  // namespace mekuri::profile::detail
