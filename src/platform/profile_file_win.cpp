#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <cwchar>
#include <vector>

#include "platform/profile_file.h"

namespace mekuri::profile::detail {

namespace {

constexpr int64_t kMillisecond = 10'000;  // ticks are FILETIME's 100 ns
// NTFS and ReFS stamp files from the system clock, which moves in steps of
// about 16 ms; FAT keeps two seconds, and other file systems are not trusted
// below that either.
constexpr int64_t kFineSettle = 50 * kMillisecond;
constexpr int64_t kCoarseSettle = 2100 * kMillisecond;

int64_t Ticks(const FILETIME& t) {
  return static_cast<int64_t>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
}

FileStamp StampOf(DWORD size_high, DWORD size_low, const FILETIME& written, const FILETIME& created) {
  FileStamp stamp;
  stamp.size = (static_cast<uint64_t>(size_high) << 32) | size_low;
  stamp.written = Ticks(written);
  stamp.changed = Ticks(created);
  return stamp;
}

// GetFileInformationByHandle would also look up the file's name, which costs
// a hundred times more under Wine.
bool StampOfHandle(HANDLE h, FileStamp& stamp) {
  FILE_BASIC_INFO basic;
  LARGE_INTEGER size;
  if (!GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic) || !GetFileSizeEx(h, &size)) {
    return false;
  }
  stamp = FileStamp{};
  stamp.size = static_cast<uint64_t>(size.QuadPart);
  stamp.written = basic.LastWriteTime.QuadPart;
  stamp.changed = basic.CreationTime.QuadPart;
  return true;
}

int64_t SettleOf(HANDLE h) {
  wchar_t system[MAX_PATH + 1] = {};
  if (!GetVolumeInformationByHandleW(h, nullptr, 0, nullptr, nullptr, nullptr, system, MAX_PATH + 1)) {
    return kCoarseSettle;
  }
  return _wcsicmp(system, L"NTFS") == 0 || _wcsicmp(system, L"ReFS") == 0 ? kFineSettle : kCoarseSettle;
}

Presence Absent(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Presence::kMissing
                                                                        : Presence::kUnreadable;
}

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (ok()) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }
  bool Close() {
    const HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return CloseHandle(h) != 0;
  }

 private:
  HANDLE h_;
};

bool WriteAll(HANDLE h, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
    DWORD done = 0;
    if (!WriteFile(h, bytes.data(), chunk, &done, nullptr) || done == 0) return false;
    bytes.remove_prefix(done);
  }
  return true;
}

// Renames the open temporary file over file. The name must be a full path:
// a bare name would be taken from the current folder.
bool RenameOver(HANDLE h, const std::filesystem::path& file) {
  std::error_code error;
  std::filesystem::path full = std::filesystem::absolute(file, error);
  const std::wstring name = error ? file.native() : full.native();
  std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = TRUE;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
  std::memcpy(info->FileName, name.data(), info->FileNameLength);
  return SetFileInformationByHandle(h, FileRenameInfo, info, static_cast<DWORD>(buffer.size())) != 0;
}

// A link is written through: the file it points to is replaced, not the link.
std::filesystem::path Target(const std::filesystem::path& file, DWORD attributes) {
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return file;
  Handle h(CreateFileW(file.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, 0, nullptr));
  if (!h.ok()) return file;
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetFinalPathNameByHandleW(h.get(), path.data(), static_cast<DWORD>(path.size()), 0);
    if (n == 0) return file;
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(n);
  }
}

bool Refusal(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

}  // namespace

Presence StatFile(const std::filesystem::path& file, FileStamp& stamp) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) return Absent(GetLastError());
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return Presence::kUnreadable;
  stamp = StampOf(data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime, data.ftCreationTime);
  return Presence::kFile;
}

Presence ReadWholeFile(const std::filesystem::path& file, FileContent& content, bool want_settle) {
  // Others may read, write, rename or delete the file while it is read.
  Handle h(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!h.ok()) return Absent(GetLastError());
  LARGE_INTEGER size;
  if (!GetFileSizeEx(h.get(), &size)) return Presence::kUnreadable;
  content.bytes.resize(static_cast<size_t>(size.QuadPart) + 1);
  size_t have = 0;
  for (;;) {
    if (have == content.bytes.size()) content.bytes.resize(have * 2);
    const DWORD want = static_cast<DWORD>(std::min<size_t>(content.bytes.size() - have, 1u << 30));
    DWORD done = 0;
    if (!ReadFile(h.get(), content.bytes.data() + have, want, &done, nullptr)) return Presence::kUnreadable;
    if (done == 0) break;
    have += done;
  }
  content.bytes.resize(have);
  if (!StampOfHandle(h.get(), content.stamp)) return Presence::kUnreadable;
  if (want_settle) content.settle = SettleOf(h.get());
  return Presence::kFile;
}

bool ProcessGone(uint32_t pid) {
  const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;
  // Someone may still hold a handle to a process that has ended.
  const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

uint32_t CurrentProcess() { return GetCurrentProcessId(); }

int64_t Clock() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return Ticks(now);
}

bool FolderExists(const std::filesystem::path& folder) {
  if (folder.empty()) return true;
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileWritable(const std::filesystem::path& file) {
  const DWORD attributes = GetFileAttributesW(file.c_str());
  return attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY);
}

ReplaceResult ReplaceWhole(const std::filesystem::path& link, std::string_view bytes,
                           const ReplaceOptions& options) {
  static std::atomic<unsigned> serial{0};
  ReplaceResult result;
  DWORD attributes = GetFileAttributesW(link.c_str());
  const std::filesystem::path file = Target(link, attributes);
  if (file.native() != link.native()) attributes = GetFileAttributesW(file.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) return result;
  // The new file starts with the old one's hidden and system marks.
  DWORD marks = exists ? attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                       FILE_ATTRIBUTE_NOT_CONTENT_INDEXED)
                       : 0;
  if (marks == 0) marks = FILE_ATTRIBUTE_NORMAL;

  std::wstring temp;
  HANDLE raw = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && raw == INVALID_HANDLE_VALUE; ++attempt) {
    temp = file.native() + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(serial++) +
           L".tmp";
    raw = CreateFileW(temp.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, marks, nullptr);
    const DWORD error = GetLastError();
    if (raw != INVALID_HANDLE_VALUE || error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
    if (exists && error == ERROR_ACCESS_DENIED) result.outcome = Replaced::kNoNewFile;
    return result;
  }
  if (raw == INVALID_HANDLE_VALUE) return result;
  Handle h(raw);
  // The last-write time is set to the precise present. A later write gets a
  // time from the system's coarse clock, which all but never matches it.
  FILETIME now;
  GetSystemTimePreciseAsFileTime(&now);
  const bool complete = WriteAll(h.get(), bytes) && SetFileTime(h.get(), nullptr, nullptr, &now) &&
                        (!options.durable || FlushFileBuffers(h.get()));
  result.settle = options.settle > 0 ? options.settle : SettleOf(h.get());
  if (!complete) {
    h.Close();
    DeleteFileW(temp.c_str());
    return result;
  }
  if (options.stop_after_temp) return result;
  // Renaming through the open handle saves opening the file again, and is
  // one step: a crash leaves the old file or the new one. (ReplaceFileW, as
  // Wine runs it, moves the old file away first.)
  if (!options.refuse_rename && RenameOver(h.get(), file)) {
    result.outcome = Replaced::kDone;
    result.stamped = StampOfHandle(h.get(), result.stamp);
    result.exact = result.stamped && result.settle < kCoarseSettle && result.stamp.written == Ticks(now);
    return result;
  }
  const DWORD error = GetLastError();
  if (exists && (options.refuse_rename || Refusal(error))) {
    // Another program holds the file: the copy must be whole on the disk
    // before anything touches the file.
    if (!options.durable && !FlushFileBuffers(h.get())) {
      h.Close();
      DeleteFileW(temp.c_str());
      return result;
    }
    result.outcome = Replaced::kRefused;
    result.temp = temp;
    return result;
  }
  h.Close();
  DeleteFileW(temp.c_str());
  return result;
}

Rewritten RewriteInPlace(const std::filesystem::path& file, std::string_view bytes, bool durable, bool finish) {
  Handle target(CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr));
  if (!target.ok()) return Rewritten::kUntouched;
  const bool complete = WriteAll(target.get(), bytes) && finish && SetEndOfFile(target.get()) &&
                        (!durable || FlushFileBuffers(target.get()));
  return target.Close() && complete ? Rewritten::kDone : Rewritten::kTorn;
}

bool MoveOver(const std::filesystem::path& from, const std::filesystem::path& to) {
  return MoveFileExW(from.c_str(), Target(to, GetFileAttributesW(to.c_str())).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveFile(const std::filesystem::path& file) {
  return DeleteFileW(file.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

namespace {

constexpr ULONGLONG kLockWaitMs = 10'000;
constexpr ULONGLONG kLockOffset = 0x7FFF'FFFF'0000'0000;  // far past the end of any file we write

bool Busy(DWORD error, const std::wstring& lock) {
  if (error == ERROR_SHARING_VIOLATION) return true;
  // A lock file on its way out (deleted, still open elsewhere) refuses access.
  return error == ERROR_ACCESS_DENIED &&
         (GetFileAttributesW(lock.c_str()) != INVALID_FILE_ATTRIBUTES || GetLastError() != ERROR_FILE_NOT_FOUND);
}

}  // namespace

// Writers take turns on a lock file beside the file, open exclusively and
// gone when its holder closes it or ends, on this machine or across a network
// share. In a folder where files cannot be created, they lock a range far
// past the end of the file itself, which no one reads or writes.
FileLock::FileLock(const std::filesystem::path& file) {
  const std::wstring lock = file.native() + L".lock";
  const ULONGLONG deadline = GetTickCount64() + kLockWaitMs;
  for (DWORD pause = 1;; pause = std::min<DWORD>(pause * 2, 16)) {
    const HANDLE h = CreateFileW(lock.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                 nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      handle_ = reinterpret_cast<intptr_t>(h);
      held_ = true;
      return;
    }
    const DWORD error = GetLastError();
    if (!Busy(error, lock)) {
      if (error != ERROR_ACCESS_DENIED && error != ERROR_WRITE_PROTECT) {
        held_ = true;  // a missing folder: the write fails on its own
        return;
      }
      break;
    }
    if (GetTickCount64() >= deadline) return;
    Sleep(pause);
  }
  const HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
  held_ = true;
  if (h == INVALID_HANDLE_VALUE) return;  // nothing to lock; the write fails on its own
  handle_ = reinterpret_cast<intptr_t>(h);
  for (DWORD pause = 1;; pause = std::min<DWORD>(pause * 2, 16)) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(kLockOffset);
    at.OffsetHigh = static_cast<DWORD>(kLockOffset >> 32);
    if (LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) return;
    if (GetTickCount64() >= deadline) break;
    Sleep(pause);
  }
  held_ = false;
}

FileLock::~FileLock() {
  // Closing lets go of the lock and removes the lock file.
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

}  // namespace mekuri::profile::detail
