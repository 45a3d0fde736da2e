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
  bool refuse_rename = false;    // tests: behave as if another program held the file
  int64_t cut_in_place = -1;     // tests: an in-place rewrite stops after this many bytes, as a crash would
  int64_t settle = 0;            // of the file's volume, if known; else found out
};
enum class Replaced {
  kDone,
  kFailed,     // nothing changed
  kRefused,    // another program holds the file; the whole new copy waits at temp
  kNoNewFile,  // the folder lets files be changed but not created
};
struct ReplaceResult {
  Replaced outcome = Replaced::kFailed;
  std::filesystem::path temp;
  int64_t settle = 0;
  // The new file's stamp, taken through the handle that wrote it, after the
  // rename. exact: its last-write time is the precise time the write set,
  // which the file system's coarse clock all but never gives another write.
  bool stamped = false;
  bool exact = false;
  FileStamp stamp;
};
// Writes bytes to a new file beside file, named "<name>.<pid>-<serial>.tmp",
// and puts it in file's place, keeping the old file's attributes. A file
// reached through a symbolic link is replaced where the link points.
ReplaceResult ReplaceWhole(const std::filesystem::path& file, std::string_view bytes,
                           const ReplaceOptions& options);

// Writes bytes over the file's own content and cuts it to their length;
// finish false stops right after the bytes (tests: a process dying there).
enum class Rewritten {
  kDone,
  kUntouched,  // the file could not be opened for writing
  kTorn,       // the write stopped part of the way
};
Rewritten RewriteInPlace(const std::filesystem::path& file, std::string_view bytes, bool durable,
                         bool finish = true);

// Renames from over to, replacing it; false when refused.
bool MoveOver(const std::filesystem::path& from, const std::filesystem::path& to);
bool RemoveFile(const std::filesystem::path& file);

// Holds the right to rewrite one file against every other writer, in any
// process, until it goes out of scope. It waits while another holds it;
// held() is false only when another writer kept it past the wait. Where
// there is nothing to lock (a missing folder), it is held and the write
// fails on its own.
class FileLock {
 public:
  explicit FileLock(const std::filesystem::path& file);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool held() const { return held_; }

 private:
  intptr_t handle_ = -1;
  bool held_ = false;
};

// Whether no process with this id runs any more; false when unsure.
bool ProcessGone(uint32_t pid);
uint32_t CurrentProcess();

}  // namespace mekuri::profile::detail
