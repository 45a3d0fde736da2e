#include "memo/memo_store.h"

#include <algorithm>
#include <fstream>

#include "base/cp932.h"
#include "base/number.h"
#include "base/texts.h"
#include "platform/profile.h"

namespace mekuri {
namespace {

// Large enough for the longest value a save can write (10000 double-byte
// characters enciphered), so every accepted memo reads back whole.
constexpr uint32_t kMemoReadCapacity = 65536;

bool IsDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "yyyy/mm/dd=" at the start of a text, all digits in place and a real date.
std::optional<Date> MemoEntryDate(std::string_view text) {
  if (text.size() < 11 || text[4] != '/' || text[7] != '/' || text[10] != '=') return std::nullopt;
  if (!IsDigits(text.substr(0, 4)) || !IsDigits(text.substr(5, 2)) || !IsDigits(text.substr(8, 2))) {
    return std::nullopt;
  }
  return ParseDateKey(text.substr(0, 10));
}

template <typename F>
void ForEachLine(const std::string& bytes, F&& f) {
  size_t i = 0;
  while (i < bytes.size()) {
    size_t end = bytes.find_first_of("\r\n", i);
    if (end == std::string::npos) end = bytes.size();
    if (!f(std::string_view(bytes).substr(i, end - i))) return;
    i = end;
    while (i < bytes.size() && (bytes[i] == '\r' || bytes[i] == '\n')) ++i;
  }
}

}  // namespace

int32_t EncipherCapacity(int32_t plainBytes) { return 4 * ((plainBytes + 9) / 3) + 1; }

std::optional<std::string> EncipherText(const CipherLibrary& cipher, std::u16string_view plainText) {
  if (!cipher) return std::nullopt;
  const std::string plain = ToCp932(plainText);
  const int32_t length = static_cast<int32_t>(plain.size());
  int32_t capacity = EncipherCapacity(length);
  std::string scratch = plain;  // the library gets a copy it may not change
  std::string out(static_cast<size_t>(capacity), '\0');
  if (cipher.encipher(scratch.c_str(), length, out.data(), &capacity) != 0) return std::nullopt;
  out.resize(std::min(out.size(), std::char_traits<char>::length(out.c_str())));
  return out;
}

std::optional<std::u16string> TryDecipher(const CipherLibrary& cipher, std::string_view cipherText) {
  if (!cipher) return std::nullopt;
  if (cipherText.empty()) return u"";
  std::string scratch(cipherText);
  const int32_t length = static_cast<int32_t>(scratch.size());
  int32_t capacity = length;
  std::string out(static_cast<size_t>(capacity), '\0');
  if (cipher.decipher(scratch.c_str(), length, out.data(), &capacity) != 0) return std::nullopt;
  out.resize(std::char_traits<char>::length(out.c_str()));
  return FromCp932(out);
}

std::u16string DecipherText(const CipherLibrary& cipher, std::string_view cipherText) {
  return TryDecipher(cipher, cipherText).value_or(u"");
}

StoredText ReadStored(const std::filesystem::path& datFile, const CipherLibrary& cipher, std::string_view key,
                      uint32_t capacity) {
  const profile::ReadResult stored = profile::Read(kMemoSection, key, "", capacity, datFile);
  if (stored.count == 0) return {};
  // A read that filled the buffer may have cut the value: not known whole.
  if (stored.count + 1 >= capacity) return {Stored::Unreadable, u""};
  std::optional<std::u16string> text = TryDecipher(cipher, stored.text);
  if (!text) return {Stored::Unreadable, u""};
  return {Stored::Readable, std::move(*text)};
}

std::string MemoKey(Date date) { return FormatDate(date, "yyyy/mm/dd"); }

bool MemoPresent(const std::filesystem::path& datFile, Date date) {
  return profile::Read(kMemoSection, MemoKey(date), "", 4, datFile).count >= 1;
}

StoredText ReadMemo(const std::filesystem::path& datFile, const CipherLibrary& cipher, std::string_view dateKey) {
  StoredText stored = ReadStored(datFile, cipher, dateKey, kMemoReadCapacity);
  // A file that cannot be read at all may hold the memo: not known absent.
  if (stored.state == Stored::Absent && FileUnreadable(datFile)) stored.state = Stored::Unreadable;
  return stored;
}

std::u16string ReadMemoText(const std::filesystem::path& datFile, const CipherLibrary& cipher,
                            std::string_view dateKey) {
  return ReadMemo(datFile, cipher, dateKey).text;
}

SaveResult SaveMemoText(const std::filesystem::path& datFile, const CipherLibrary& cipher,
                        std::string_view dateKey, std::u16string_view text) {
  if (text.empty()) return RemoveMemo(datFile, dateKey) ? SaveResult::Saved : SaveResult::WriteFailed;
  const std::optional<std::string> enciphered = EncipherText(cipher, text);
  if (!enciphered || enciphered->empty()) return SaveResult::CipherFailed;
  const std::string key(dateKey);
  return profile::WriteString(kMemoSection, key.c_str(), enciphered->c_str(), datFile) ? SaveResult::Saved
                                                                                       : SaveResult::WriteFailed;
}

bool RemoveMemo(const std::filesystem::path& datFile, std::string_view dateKey) {
  const std::string key(dateKey);
  return profile::WriteString(kMemoSection, key.c_str(), nullptr, datFile);
}

std::u16string WeekdayChar(std::u16string_view dateText) {
  const std::optional<Date> date = ParseDateKey(dateText);
  return date ? std::u16string(kWeekdayChars[Weekday(*date) - 1]) : u"";
}

std::vector<std::string> PastMemoKeys(const std::string& fileBytes, Date today) {
  std::vector<std::string> keys;
  ForEachLine(fileBytes, [&](std::string_view line) {
    if (line.size() <= 11 || line[4] != '/' || line[7] != '/' || line[10] != '=') return true;
    const std::optional<Date> date = ParseDateKey(line.substr(0, 10));
    if (!date) return false;  // a line the walk cannot handle ends it
    if (*date < today) keys.emplace_back(line.substr(0, 10));
    return true;
  });
  return keys;
}

void DeletePastMemos(const std::filesystem::path& datFile, Date today) {
  const std::optional<std::string> bytes = profile::ReadBytes(datFile);
  if (!bytes) return;
  // One rewrite of the file for all of them: a key at a time would rewrite
  // a file of years of memos once per memo.
  profile::DeleteKeys(kMemoSection, PastMemoKeys(*bytes, today), datFile);
}

std::vector<Date> AllMemoDates(const std::string& fileBytes) {
  std::vector<Date> dates;
  ForEachLine(fileBytes, [&](std::string_view line) {
    // Fields end at a comma as well as at the end of the line.
    size_t start = 0;
    while (start <= line.size()) {
      size_t comma = line.find(',', start);
      if (comma == std::string_view::npos) comma = line.size();
      const std::string_view field = line.substr(start, comma - start);
      if (field.size() >= 12) {
        if (std::optional<Date> d = MemoEntryDate(field)) dates.push_back(*d);
      }
      start = comma + 1;
    }
    return true;
  });
  std::sort(dates.begin(), dates.end());
  dates.erase(std::unique(dates.begin(), dates.end()), dates.end());
  return dates;
}

bool FileUnreadable(const std::filesystem::path& file) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(file, error);
  if (status.type() == std::filesystem::file_type::not_found) return false;
  if (error || std::filesystem::is_directory(status)) return true;
  return !std::ifstream(file, std::ios::binary).is_open();
}

}  // namespace mekuri
