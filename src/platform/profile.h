#pragma once
// The program's INI engine. It behaves like GetPrivateProfileStringA and
// WritePrivateProfileStringA as Windows runs them, on files of code page 932
// bytes, with two things Windows does not give: every changed file is replaced
// as a whole (a crash leaves the old or the new file, never a torn one, and
// the temporary file it may leave goes at the next process's first write),
// and a parsed copy of each file is kept and checked against the file's size,
// modification time and identity before every use.
//
// Section, key and value arguments are code page 932 bytes; a null pointer
// means what it means for the Windows functions.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mekuri::profile {

// GetPrivateProfileStringA: section null lists the sections, key null lists
// the keys of the section; returns the number of bytes copied without the
// terminating NUL. cap 0 leaves the buffer untouched.
uint32_t GetString(const char* section, const char* key, const char* def, char* buffer, uint32_t cap,
                   const std::filesystem::path& file);

// WritePrivateProfileStringA: value null deletes the key, key null deletes the
// section. Returns false, with the file as it was, when the file could not be
// written whole and put in place.
bool WriteString(const char* section, const char* key, const char* value, const std::filesystem::path& file);

// WriteString(section, key, nullptr, file) for every key in turn, done as one
// write of the whole file: a key listed twice removes two of its lines, and
// keys that are not there are passed over. Returns true when nothing needs
// removing, and false, with the file as it was, when it could not be written.
bool DeleteKeys(const char* section, const std::vector<std::string>& keys, const std::filesystem::path& file);

// WriteString(section, key, value) for every pair in turn, then
// WriteString(section, key, nullptr) for every key of `removals`, done as one
// write of the whole file. The keys must be distinct. Returns false, with the
// file as it was, when it could not be written.
bool WriteKeys(const char* section, const std::vector<std::pair<std::string, std::string>>& values,
               const std::vector<std::string>& removals, const std::filesystem::path& file);

// Convenience over GetString for callers that keep std::string: the text
// before the first NUL of a buffer of cap bytes, and the returned count.
struct ReadResult {
  std::string text;
  uint32_t count = 0;
};
ReadResult Read(std::string_view section, std::string_view key, std::string_view def, uint32_t cap,
                const std::filesystem::path& file);

// The file's bytes as the engine reads them: within its size limit, and with
// a copy that a writer left when it died put back first. nullopt for a
// missing or unreadable file, or when memory runs out.
std::optional<std::string> ReadBytes(const std::filesystem::path& file);

// Whether writes flush the temporary file to the disk before it replaces the
// old one (on by default; the benchmark switches it to compare).
void SetDurableWrites(bool durable);

// Forgets every cached file (tests).
void ClearCache();

}  // namespace mekuri::profile
