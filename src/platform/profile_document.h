#pragma once
// One INI file as the profile engine sees it: the file's own bytes, and where
// its lines, sections, names and values lie in them. Reads answer from it; a
// write splices only the lines it changes and keeps every other byte.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mekuri::profile::detail {

// Code page 932: a lead byte pairs with the next byte when that one can be a
// trail byte. Trail bytes reach down to 0x40, so "[", "]" and A-Z can be the
// second half of a character and must never be read on their own.
inline bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
inline bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// Bytes of the character at text[i]: 2 for a double-byte pair, else 1.
inline size_t CharSize(std::string_view text, size_t i) {
  return IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() &&
                 IsTrailByte(static_cast<unsigned char>(text[i + 1]))
             ? 2
             : 1;
}

// The longest prefix of text of at most limit bytes that splits no pair.
size_t CharBoundaryAtOrBefore(std::string_view text, size_t limit);

// Names compare with ASCII letters folded; pairs compare exactly.
bool SameName(std::string_view a, std::string_view b);
uint32_t NameHash(std::string_view name);

// Open-addressing table from a name to the first item of that name.
class NameIndex {
 public:
  template <class NameOf>
  void Build(uint32_t count, NameOf name_of);
  // The first item named name, or -1.
  template <class NameOf>
  int64_t Find(std::string_view name, NameOf name_of) const;
  bool Built() const { return !slots_.empty(); }

 private:
  struct Slot {
    uint32_t hash;
    uint32_t item;  // item + 1; 0 marks an empty slot
  };
  std::vector<Slot> slots_;
};

enum class LineKind : uint8_t { kBlank, kComment, kHeader, kKey, kOther };

struct Line {
  // Offsets in the file's bytes.
  uint32_t begin = 0;
  uint32_t end = 0;   // where the line break starts
  uint32_t next = 0;  // where the next line starts
  LineKind kind = LineKind::kBlank;
  // Offsets in Document::Text(): the header or key name, and the key's
  // value, both trimmed, the value still in its quotes.
  uint32_t name = 0;
  uint32_t name_size = 0;
  uint32_t value = 0;
  uint32_t value_size = 0;
};

class Document {
 public:
  // An empty document: the file is missing.
  Document() = default;
  explicit Document(std::string bytes);

  const std::string& Bytes() const { return bytes_; }
  bool Utf16() const { return utf16_; }

  size_t SectionCount() const { return sections_.size(); }
  std::string_view SectionName(size_t section) const;
  // The first section of that name, or -1.
  int64_t FindSection(std::string_view name) const;

  // Key lines of a section, in file order, duplicates included.
  const std::vector<uint32_t>& KeyLines(size_t section) const { return sections_[section].keys; }
  std::string_view KeyName(uint32_t line) const;
  // The first key line of that name in the section, or -1.
  int64_t FindKey(size_t section, std::string_view key) const;
  // The value as a read gives it: trimmed and out of its quotes.
  std::string_view Value(uint32_t line) const;

  // The file's bytes after WritePrivateProfileString(section, key, value);
  // a null key or value is an absent one. Nothing when the file stays as it is.
  std::optional<std::string> Edited(std::string_view section, std::optional<std::string_view> key,
                                    std::optional<std::string_view> value) const;
  // The file's bytes after WritePrivateProfileString(section, key, null) for
  // each key in turn, in one pass. Nothing when no key is found.
  std::optional<std::string> WithoutKeys(std::string_view section,
                                         const std::vector<std::string_view>& keys) const;
  // The file's bytes after WritePrivateProfileString(section, key, value) for
  // each pair in turn, in one pass; the keys must be distinct. Nothing when
  // the file stays as it is.
  std::optional<std::string> WithValues(
      std::string_view section, const std::vector<std::pair<std::string_view, std::string_view>>& values) const;

 private:
  struct Section {
    uint32_t header = 0;  // line index
    uint32_t name = 0;
    uint32_t name_size = 0;
    std::vector<uint32_t> keys;
    mutable NameIndex index;  // built at the first keyed lookup
  };
  struct Splice {
    uint32_t begin;
    uint32_t end;
    std::string text;
  };

  std::string_view Text() const { return utf16_ ? text_ : std::string_view(bytes_); }
  // The item in KeyLines(section) of the first key of that name, or -1.
  int64_t FindKeyItem(size_t section, std::string_view key) const;
  void ParseAnsi();
  void ParseUtf16();
  void AddLine(Line line, std::string_view text, uint32_t text_base);
  // New text as the file stores it.
  std::string Encode(std::string_view cp932) const;
  std::string LineBreak() const { return Encode("\r\n"); }
  // A key line's name exactly as the file spells it, in the file's encoding.
  std::string StoredKeyName(const Line& line) const;
  bool EndsWithLineBreak() const;
  std::string Spliced(std::vector<Splice> splices) const;

  std::string bytes_;
  bool utf16_ = false;
  std::string text_;  // UTF-16 files: each line's content in code page 932
  std::vector<Line> lines_;
  std::vector<Section> sections_;
  NameIndex section_index_;
};

template <class NameOf>
void NameIndex::Build(uint32_t count, NameOf name_of) {
  size_t size = 8;
  while (size < static_cast<size_t>(count) * 2) size *= 2;
  slots_.assign(size, Slot{0, 0});
  const size_t mask = size - 1;
  for (uint32_t item = 0; item < count; ++item) {
    const std::string_view name = name_of(item);
    const uint32_t hash = NameHash(name);
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      Slot& slot = slots_[i];
      if (slot.item == 0) {
        slot = Slot{hash, item + 1};
        break;
      }
      if (slot.hash == hash && SameName(name_of(slot.item - 1), name)) break;  // first one wins
    }
  }
}

template <class NameOf>
int64_t NameIndex::Find(std::string_view name, NameOf name_of) const {
  if (slots_.empty()) return -1;
  const size_t mask = slots_.size() - 1;
  const uint32_t hash = NameHash(name);
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.item == 0) return -1;
    if (slot.hash == hash && SameName(name_of(slot.item - 1), name)) return slot.item - 1;
  }
}

}  // namespace mekuri::profile::detail
