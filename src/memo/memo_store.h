#pragma once
// The memo file: one INI section "Mekurinote", one enciphered memo per date
// under its "yyyy/mm/dd" key, and the common list under "Common000" onward.
// Every memo passes through the cipher library in code page 932.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/date.h"
#include "platform/cipher.h"

namespace mekuri {

inline constexpr const char* kMemoSection = "Mekurinote";
// The longest memo the window saves, in UTF-16 units as the edit box counts.
inline constexpr size_t kMemoMaxChars = 10000;

// The output capacity the library is given for a plain text of `plainBytes`.
int32_t EncipherCapacity(int32_t plainBytes);

// nullopt when the library is missing or fails: the caller must not store it.
std::optional<std::string> EncipherText(const CipherLibrary& cipher, std::u16string_view plainText);
// nullopt when the library is missing or fails (a damaged value fails).
std::optional<std::u16string> TryDecipher(const CipherLibrary& cipher, std::string_view cipherText);
// "" when the library is missing or fails.
std::u16string DecipherText(const CipherLibrary& cipher, std::string_view cipherText);

// A stored value as the windows must know it. Unreadable: the key holds a
// value that the cipher library (missing or failing) could not read, that is
// damaged, or that is longer than the read takes; such a value is kept exactly
// as it is stored, and only an explicit, confirmed delete removes it.
enum class Stored { Absent, Readable, Unreadable };
struct StoredText {
  Stored state = Stored::Absent;
  std::u16string text;  // the plain text when Readable; may be ""
};
// Reads and deciphers the value of `key` through a buffer of `capacity` bytes.
StoredText ReadStored(const std::filesystem::path& datFile, const CipherLibrary& cipher, std::string_view key,
                      uint32_t capacity);

std::string MemoKey(Date date);  // "yyyy/mm/dd"

// The presence probe of a day cell: whether the memo file holds a non-empty
// value under the date's key. Only presence is read, never deciphered; a
// missing file holds no memos.
bool MemoPresent(const std::filesystem::path& datFile, Date date);

// Unreadable too when the whole file cannot be read: the memo may be there.
StoredText ReadMemo(const std::filesystem::path& datFile, const CipherLibrary& cipher, std::string_view dateKey);
// The memo's text; "" when it is absent or cannot be read.
std::u16string ReadMemoText(const std::filesystem::path& datFile, const CipherLibrary& cipher,
                            std::string_view dateKey);

enum class SaveResult { Saved, CipherFailed, WriteFailed };
// Writes the memo, or removes the key when the text is empty. On failure the
// stored memo stays as it was.
SaveResult SaveMemoText(const std::filesystem::path& datFile, const CipherLibrary& cipher,
                        std::string_view dateKey, std::u16string_view text);
bool RemoveMemo(const std::filesystem::path& datFile, std::string_view dateKey);

// "日" ... "土" for a "yyyy/mm/dd" text; "" when it is no date.
std::u16string WeekdayChar(std::u16string_view dateText);

// The memo keys dated before `today`, walking the file's lines in order and
// stopping at the first memo-shaped line that is no real date.
std::vector<std::string> PastMemoKeys(const std::string& fileBytes, Date today);
// Removes every memo dated before today; the file is read whole first.
void DeletePastMemos(const std::filesystem::path& datFile, Date today);

// The dates of every memo in the file, ascending, for opening them all.
std::vector<Date> AllMemoDates(const std::string& fileBytes);

// The file is there but cannot be opened for reading (locked by another
// program, a folder in its place): nothing is known of what it holds.
bool FileUnreadable(const std::filesystem::path& file);

}  // namespace mekuri
