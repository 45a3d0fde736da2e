#include "platform/profile.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/profile_document.h"
#include "platform/profile_file.h"
#include "platform/profile_replace.h"
#include "platform/profile_testing.h"

namespace mekuri::profile {

namespace {

using detail::Document;
using detail::FileContent;
using detail::FileStamp;
using detail::Presence;
using detail::ReplaceResult;

std::atomic<bool> durable_writes{true};
std::atomic<bool> stop_after_temp{false};
std::atomic<bool> refuse_rename{false};
std::atomic<int64_t> cut_in_place{-1};
std::atomic<uint64_t> file_reads{0};

// The program's threads share one engine; the calls are short.
std::mutex& EngineMutex() {
  static std::mutex mutex;
  return mutex;
}

const Document& NoFile() {
  static const Document empty;
  return empty;
}

// Section and key arguments lose their outer spaces, and only spaces.
std::string_view WithoutSpaces(std::string_view name) {
  while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  return name;
}

std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

// Parsed copies of the files used last. A copy answers only while the file's
// stamp is what it was when the copy was read, and only once the stamp is old
// enough that a change in the same tick of the file system's clock could not
// hide behind it; until then the bytes are compared.
class Cache {
 public:
  // The file as the disk holds it now; anything but kFile leaves doc alone.
  // locked: the caller holds the file's lock and has put back what a dead
  // writer left.
  Presence Current(const std::filesystem::path& file, const Document*& doc, bool locked) {
    FileStamp stamp;
    Presence presence = detail::StatFile(file, stamp);
    if (presence == Presence::kFile && stamp.size > kMaxFileSize) presence = Presence::kUnreadable;
    Entry* entry = Find(file);
    if (presence != Presence::kFile) {
      if (entry) Drop(entry);
      return presence;
    }
    if (entry && entry->trusted && entry->stamp == stamp) {
      entry->used = ++uses_;
      doc = entry->doc.get();
      return Presence::kFile;
    }
    if (!locked) RestoreIfTorn(file);
    const int64_t now = detail::Clock();
    FileContent content;
    ++file_reads;
    presence = detail::ReadWholeFile(file, content, !entry);
    if (entry) content.settle = entry->settle;
    if (presence != Presence::kFile) {
      if (entry) Drop(entry);
      return presence;
    }
    if (entry && content.bytes == entry->doc->Bytes()) {
      // Renaming can give the file an older creation time; the precise
      // last-write time still vouches for it.
      entry->exact = entry->exact && content.stamp.written == entry->stamp.written;
      entry->trusted = entry->exact || Settled(content.stamp, content.settle, now);
      entry->stamp = content.stamp;
    } else {
      auto parsed = std::make_unique<Document>(std::move(content.bytes));
      entry = &Slot(entry);
      *entry = Entry{file.native(),
                     content.stamp,
                     std::move(parsed),
                     content.settle,
                     Settled(content.stamp, content.settle, now),
                     false,
                     0};
    }
    entry->used = ++uses_;
    doc = entry->doc.get();
    return Presence::kFile;
  }

  // After a write: the bytes written are what the file holds. A stamp with
  // the precise time the write set is trusted at once; any other is
  // checked against the bytes at the next call.
  void Wrote(const std::filesystem::path& file, std::string bytes, const ReplaceResult& result) {
    Entry* entry = Find(file);
    auto parsed = std::make_unique<Document>(std::move(bytes));
    entry = &Slot(entry);
    *entry = Entry{file.native(), result.stamp, std::move(parsed), result.settle, result.exact,
                   result.exact,  ++uses_};
  }

  // The settling time of the file's volume, when the file was seen before.
  int64_t Settle(const std::filesystem::path& file) {
    const Entry* entry = Find(file);
    return entry ? entry->settle : 0;
  }

  void Forget(const std::filesystem::path& file) {
    if (Entry* entry = Find(file)) Drop(entry);
  }

  void Clear() { entries_.clear(); }

 private:
  static constexpr size_t kMaxFiles = 4;
  // Offsets in a parsed file are 32-bit; no settings or memo file comes near.
  static constexpr uint64_t kMaxFileSize = uint64_t{1} << 30;

  struct Entry {
    std::filesystem::path::string_type key;
    FileStamp stamp;
    std::unique_ptr<const Document> doc;
    int64_t settle = 0;
    bool trusted = false;
    bool exact = false;  // stamp.written is the precise time our own write set
    uint64_t used = 0;
  };

  // A file that changed may be one that a writer left torn when it died
  // rewriting it in place; then its copy is beside it. Only a changed file
  // is looked at again, so the reads of an unchanged one stay one call.
  static void RestoreIfTorn(const std::filesystem::path& file) {
    FileStamp copy;
    if (detail::StatFile(detail::RestoreCopy(file), copy) != Presence::kFile) return;
    detail::FileLock turn(file);  // a writer still at it finishes first
    if (turn.held()) detail::RestoreFromCopy(file, durable_writes);
  }

  static bool Settled(const FileStamp& stamp, int64_t settle, int64_t now) {
    return std::max(stamp.written, stamp.changed) + settle < now;
  }

  Entry* Find(const std::filesystem::path& file) {
    for (Entry& entry : entries_) {
      if (entry.key == file.native()) return &entry;
    }
    return nullptr;
  }

  void Drop(Entry* entry) { entries_.erase(entries_.begin() + (entry - entries_.data())); }

  // The entry to fill for a file: its own, a new one, or the one used longest ago.
  Entry& Slot(Entry* own) {
    if (own) return *own;
    if (entries_.size() < kMaxFiles) return entries_.emplace_back();
    Entry* oldest = &entries_.front();
    for (Entry& entry : entries_) {
      if (entry.used < oldest->used) oldest = &entry;
    }
    return *oldest;
  }

  std::vector<Entry> entries_;
  uint64_t uses_ = 0;
};

Cache& TheCache() {
  static Cache cache;
  return cache;
}

// A value or default into the buffer: at most cap - 1 bytes, never half of a
// double-byte character, then a NUL.
uint32_t CopyText(std::string_view text, char* buffer, uint32_t cap) {
  size_t size = text.size();
  if (size > cap - 1) size = detail::CharBoundaryAtOrBefore(text, cap - 1);
  std::memcpy(buffer, text.data(), size);
  buffer[size] = '\0';
  return static_cast<uint32_t>(size);
}

std::string_view DefaultText(std::string_view def) {
  while (!def.empty() && def.back() == ' ') def.remove_suffix(1);
  return def;
}

// Names, each ending in a NUL, then one more NUL. A list that does not fit
// is cut to cap - 2 bytes (no half characters) and closed with NULs.
template <class NameAt>
uint32_t CopyList(size_t count, NameAt name_at, char* buffer, uint32_t cap) {
  uint64_t total = 0;
  for (size_t i = 0; i < count; ++i) total += name_at(i).size() + 1;
  if (total == 0 || cap < 3) {
    std::memset(buffer, 0, std::min<uint32_t>(cap, total == 0 ? 1 : 2));
    return 0;
  }
  const bool fits = total <= cap - 2;
  const size_t limit = fits ? total : cap - 2;
  size_t at = 0;
  for (size_t i = 0; i < count && at < limit; ++i) {
    const std::string_view name = name_at(i);
    if (name.size() + 1 <= limit - at) {
      std::memcpy(buffer + at, name.data(), name.size());
      at += name.size();
      buffer[at++] = '\0';
    } else {
      const size_t part = detail::CharBoundaryAtOrBefore(name, limit - at);
      std::memcpy(buffer + at, name.data(), part);
      at += part;
      break;
    }
  }
  if (fits) {
    buffer[at] = '\0';
  } else {
    std::memset(buffer + at, 0, cap - at);
  }
  return static_cast<uint32_t>(at);
}

uint32_t Get(std::optional<std::string_view> section, std::optional<std::string_view> key, std::string_view def,
             char* buffer, uint32_t cap, const std::filesystem::path& file) {
  try {
    std::lock_guard<std::mutex> lock(EngineMutex());
    const Document* doc = &NoFile();
    if (!file.empty()) TheCache().Current(file, doc, false);
    if (!section) {
      return CopyList(
          doc->SectionCount(), [doc](size_t i) { return doc->SectionName(i); }, buffer, cap);
    }
    const int64_t found = doc->FindSection(WithoutSpaces(*section));
    if (!key) {
      if (found < 0)
        return CopyList(
            0, [](size_t) { return std::string_view(); }, buffer, cap);
      const std::vector<uint32_t>& lines = doc->KeyLines(found);
      return CopyList(
          lines.size(), [doc, &lines](size_t i) { return doc->KeyName(lines[i]); }, buffer, cap);
    }
    if (found >= 0) {
      const int64_t line = doc->FindKey(found, WithoutSpaces(*key));
      if (line >= 0) return CopyText(doc->Value(static_cast<uint32_t>(line)), buffer, cap);
    }
    return CopyText(DefaultText(def), buffer, cap);
  } catch (...) {
    // Out of memory or a failing file call: answer as for a missing file.
    if (!section || !key) {
      buffer[0] = '\0';
      return 0;
    }
    return CopyText(DefaultText(def), buffer, cap);
  }
}

std::optional<std::string_view> Optional(const char* text) {
  return text ? std::optional<std::string_view>(text) : std::nullopt;
}

// Puts the edited bytes in the file's place and remembers them. Called with
// the engine's lock held.
bool Replace(const std::filesystem::path& file, std::string edited) {
  Cache& cache = TheCache();
  const ReplaceResult result = detail::PutInPlace(
      file, edited,
      {durable_writes.load(), stop_after_temp.load(), refuse_rename.load(), cut_in_place.load(),
       cache.Settle(file)});
  if (result.outcome != detail::Replaced::kDone) {
    cache.Forget(file);
    return false;
  }
  try {
    detail::RemoveStaleTemps(file);
  } catch (...) {
    // Only tidying; the write itself is done.
  }
  try {
    cache.Wrote(file, std::move(edited), result);
  } catch (...) {
    cache.Forget(file);  // the file is written; only the copy is lost
  }
  return true;
}

// One read-modify-write of a file: with the file's lock held across
// processes, a copy left by a writer that died is put back, the file is read
// as it is now, and edit's result (nullopt: nothing to change) is written.
template <class Edit>
bool Modify(const std::filesystem::path& file, Edit edit) {
  try {
    std::lock_guard<std::mutex> lock(EngineMutex());
    detail::FileLock turn(file);
    if (!turn.held() || !detail::RestoreFromCopy(file, durable_writes)) return false;
    const Document* doc = &NoFile();
    const Presence presence = TheCache().Current(file, doc, true);
    if (presence == Presence::kUnreadable) return false;
    std::optional<std::string> edited = edit(*doc, presence);
    if (!edited) return true;
    return Replace(file, std::move(*edited));
  } catch (...) {
    return false;
  }
}

}  // namespace

uint32_t GetString(const char* section, const char* key, const char* def, char* buffer, uint32_t cap,
                   const std::filesystem::path& file) {
  if (!buffer || cap == 0) return 0;
  return Get(Optional(section), Optional(key), def ? def : "", buffer, cap, file);
}

ReadResult Read(std::string_view section, std::string_view key, std::string_view def, uint32_t cap,
                const std::filesystem::path& file) {
  ReadResult result;
  if (cap == 0) return result;
  try {
    std::string buffer(cap, '\0');
    result.count = Get(UpToNul(section), UpToNul(key), UpToNul(def), buffer.data(), cap, file);
    buffer.resize(std::strlen(buffer.data()));
    result.text = std::move(buffer);
  } catch (...) {
    result = ReadResult();
  }
  return result;
}

bool WriteString(const char* section, const char* key, const char* value, const std::filesystem::path& file) {
  if (!section || file.empty()) return false;
  bool unchanged_ok = true;
  const bool ok = Modify(file, [&](const Document& doc, Presence presence) -> std::optional<std::string> {
    if (presence == Presence::kMissing && !detail::FolderExists(file.parent_path())) {
      unchanged_ok = false;
      return std::nullopt;
    }
    std::optional<std::string> edited = doc.Edited(
        WithoutSpaces(section), key ? std::optional(WithoutSpaces(key)) : std::nullopt, Optional(value));
    // Windows opens the file for writing even when nothing changes.
    if (!edited) unchanged_ok = presence == Presence::kMissing || detail::FileWritable(file);
    return edited;
  });
  return ok && unchanged_ok;
}

bool DeleteKeys(const char* section, const std::vector<std::string>& keys, const std::filesystem::path& file) {
  if (!section || file.empty()) return false;
  return Modify(file, [&](const Document& doc, Presence) {
    std::vector<std::string_view> names;
    names.reserve(keys.size());
    for (const std::string& key : keys) names.push_back(WithoutSpaces(UpToNul(key)));
    return doc.WithoutKeys(WithoutSpaces(section), names);
  });
}

bool WriteKeys(const char* section, const std::vector<std::pair<std::string, std::string>>& values,
               const std::vector<std::string>& removals, const std::filesystem::path& file) {
  if (!section || file.empty()) return false;
  bool unchanged_ok = true;
  const bool ok = Modify(file, [&](const Document& doc, Presence presence) -> std::optional<std::string> {
    if (presence == Presence::kMissing && !detail::FolderExists(file.parent_path())) {
      unchanged_ok = false;
      return std::nullopt;
    }
    const std::string_view name = WithoutSpaces(section);
    std::vector<std::pair<std::string_view, std::string_view>> pairs;
    pairs.reserve(values.size());
    for (const auto& [key, value] : values) pairs.emplace_back(WithoutSpaces(UpToNul(key)), UpToNul(value));
    std::optional<std::string> edited = doc.WithValues(name, pairs);
    if (!removals.empty()) {
      std::vector<std::string_view> names;
      names.reserve(removals.size());
      for (const std::string& key : removals) names.push_back(WithoutSpaces(UpToNul(key)));
      std::optional<Document> written;
      if (edited) written.emplace(*edited);
      std::optional<std::string> removed = (written ? *written : doc).WithoutKeys(name, names);
      if (removed) edited = std::move(removed);
    }
    if (!edited) unchanged_ok = presence == Presence::kMissing || detail::FileWritable(file);
    return edited;
  });
  return ok && unchanged_ok;
}

std::optional<std::string> ReadBytes(const std::filesystem::path& file) {
  try {
    std::lock_guard<std::mutex> lock(EngineMutex());
    const Document* doc = &NoFile();
    if (file.empty() || TheCache().Current(file, doc, false) != Presence::kFile) return std::nullopt;
    return std::string(doc->Bytes());
  } catch (...) {
    return std::nullopt;
  }
}

void SetDurableWrites(bool durable) { durable_writes = durable; }

void ClearCache() {
  std::lock_guard<std::mutex> lock(EngineMutex());
  TheCache().Clear();
}

namespace testing {

void SetStopAfterTempFile(bool stop) { stop_after_temp = stop; }

void SetRenameRefused(bool refused) { refuse_rename = refused; }

void SetInPlaceCut(int64_t bytes) { cut_in_place = bytes; }

uint64_t FileReads() { return file_reads; }

}  // namespace testing

}  // namespace mekuri::profile
