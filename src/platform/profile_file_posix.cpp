#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <ctime>

#include "platform/profile_file.h"

namespace mekuri::profile::detail {

namespace {

constexpr int64_t kMillisecond = 1'000'000;  // ticks are nanoseconds
// Local disks stamp files from the kernel's coarse clock (a few ms); FAT
// keeps two seconds, and network and FUSE file systems keep what their
// server or driver keeps.
constexpr int64_t kFineSettle = 50 * kMillisecond;
constexpr int64_t kCoarseSettle = 2100 * kMillisecond;

int64_t Ticks(const timespec& t) { return static_cast<int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec; }

FileStamp StampOf(const struct stat& st) {
  FileStamp stamp;
  stamp.size = static_cast<uint64_t>(st.st_size);
  stamp.written = Ticks(st.st_mtim);
  stamp.changed = Ticks(st.st_ctim);
  stamp.device = static_cast<uint64_t>(st.st_dev);
  stamp.inode = static_cast<uint64_t>(st.st_ino);
  return stamp;
}

int64_t SettleOf(int fd) {
  struct statfs fs {};
  if (fstatfs(fd, &fs) != 0) return kCoarseSettle;
  switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x4d44:      // FAT
    case 0x2011BAB0:  // exFAT
    case 0x6969:      // NFS
    case 0x517B:      // SMB
    case 0xFF534D42:  // CIFS
    case 0xFE534D42:  // SMB2
    case 0x65735546:  // FUSE
      return kCoarseSettle;
    default:
      return kFineSettle;
  }
}

Presence Absent(int error) {
  return error == ENOENT || error == ENOTDIR ? Presence::kMissing : Presence::kUnreadable;
}

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  // Closing can report a failed write; a save must hear of it.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

Presence StatFile(const std::filesystem::path& file, FileStamp& stamp) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) return Absent(errno);
  if (!S_ISREG(st.st_mode)) return Presence::kUnreadable;
  stamp = StampOf(st);
  return Presence::kFile;
}

Presence ReadWholeFile(const std::filesystem::path& file, FileContent& content, bool want_settle) {
  Fd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return Absent(errno);
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return Presence::kUnreadable;
  // One byte more than the size, so that a file that grew is read to its end.
  content.bytes.resize(static_cast<size_t>(st.st_size) + 1);
  size_t have = 0;
  for (;;) {
    if (have == content.bytes.size()) content.bytes.resize(have * 2);
    const ssize_t n = ::read(fd.get(), content.bytes.data() + have, content.bytes.size() - have);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Presence::kUnreadable;
    }
    if (n == 0) break;
    have += static_cast<size_t>(n);
  }
  content.bytes.resize(have);
  if (::fstat(fd.get(), &st) != 0) return Presence::kUnreadable;
  content.stamp = StampOf(st);
  if (want_settle) content.settle = SettleOf(fd.get());
  return Presence::kFile;
}

bool ProcessGone(uint32_t pid) { return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH; }

uint32_t CurrentProcess() { return static_cast<uint32_t>(::getpid()); }

int64_t Clock() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return Ticks(now);
}

bool FolderExists(const std::filesystem::path& folder) {
  if (folder.empty()) return true;
  struct stat st {};
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FileWritable(const std::filesystem::path& file) {
  return ::access(file.c_str(), W_OK) == 0 || errno == ENOENT;
}

namespace {

// A link is written through: the file it points to is replaced, not the link.
std::filesystem::path Target(const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::is_symlink(file, error)) return file;
  std::filesystem::path target = std::filesystem::weakly_canonical(file, error);
  return error ? file : target;
}

}  // namespace

ReplaceResult ReplaceWhole(const std::filesystem::path& link, std::string_view bytes,
                           const ReplaceOptions& options) {
  static std::atomic<unsigned> serial{0};
  ReplaceResult result;
  const std::filesystem::path file = Target(link);
  if (!FileWritable(file)) return result;
  std::string temp;
  int raw_fd = -1;
  for (int attempt = 0; attempt < 100 && raw_fd < 0; ++attempt) {
    temp = file.native() + "." + std::to_string(::getpid()) + "-" + std::to_string(serial++) + ".tmp";
    raw_fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (raw_fd >= 0 || errno == EEXIST) continue;
    struct stat st {};
    if ((errno == EACCES || errno == EPERM) && ::stat(file.c_str(), &st) == 0)
      result.outcome = Replaced::kNoNewFile;
    return result;
  }
  if (raw_fd < 0) return result;
  Fd fd(raw_fd);
  struct stat old {};
  if (::stat(file.c_str(), &old) == 0) {
    ::fchmod(fd.get(), old.st_mode & 07777);
    [[maybe_unused]] const int owned = ::fchown(fd.get(), old.st_uid, old.st_gid);
  }

  // The last-write time is set to the precise present. A later write gets a
  // time from the kernel's coarse clock, which all but never matches it.
  timespec times[2] = {{0, UTIME_OMIT}, {}};
  clock_gettime(CLOCK_REALTIME, &times[1]);
  const bool complete = WriteAll(fd.get(), bytes) && ::futimens(fd.get(), times) == 0 &&
                        (!options.durable || ::fsync(fd.get()) == 0);
  result.settle = options.settle > 0 ? options.settle : SettleOf(fd.get());
  if (!complete) {
    ::unlink(temp.c_str());
    return result;
  }
  if (options.stop_after_temp) return result;
  if (options.refuse_rename) {
    if (!options.durable) ::fsync(fd.get());  // the copy must be whole before the file is touched
    result.outcome = Replaced::kRefused;
    result.temp = temp;
    return result;
  }
  if (::rename(temp.c_str(), file.c_str()) != 0) {
    ::unlink(temp.c_str());
    return result;
  }
  result.outcome = Replaced::kDone;
  if (options.durable) {
    // The rename itself lives in the folder.
    const std::filesystem::path folder = file.parent_path();
    Fd dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) == 0) {
    result.stamped = true;
    result.stamp = StampOf(st);
    result.exact = result.settle < kCoarseSettle && Ticks(st.st_mtim) == Ticks(times[1]);
  }
  fd.Close();
  return result;
}

Rewritten RewriteInPlace(const std::filesystem::path& file, std::string_view bytes, bool durable, bool finish) {
  Fd fd(::open(Target(file).c_str(), O_WRONLY | O_CLOEXEC));
  if (fd.get() < 0) return Rewritten::kUntouched;
  const bool complete = WriteAll(fd.get(), bytes) && finish &&
                        ::ftruncate(fd.get(), static_cast<off_t>(bytes.size())) == 0 &&
                        (!durable || ::fsync(fd.get()) == 0) && fd.Close();
  return complete ? Rewritten::kDone : Rewritten::kTorn;
}

bool MoveOver(const std::filesystem::path& from, const std::filesystem::path& to) {
  return ::rename(from.c_str(), Target(to).c_str()) == 0;
}

bool RemoveFile(const std::filesystem::path& file) { return ::unlink(file.c_str()) == 0 || errno == ENOENT; }

// Writers of a file take turns on its folder, which the rename leaves in
// place (a lock on the file would stay with the replaced one).
FileLock::FileLock(const std::filesystem::path& file) {
  const std::filesystem::path folder = file.parent_path();
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  held_ = true;
  if (fd < 0) return;  // a missing folder: the write fails on its own
  handle_ = fd;
  int locked;
  do {
    locked = ::flock(fd, LOCK_EX);
  } while (locked != 0 && errno == EINTR);
  held_ = locked == 0;
}

FileLock::~FileLock() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));  // also lets go of the lock
}

}  // namespace mekuri::profile::detail
