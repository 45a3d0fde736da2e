#include "platform/profile_document.h"

#include <algorithm>
#include <array>

#include "base/cp932.h"

namespace mekuri::profile::detail {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v'; }

unsigned char Fold(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

// [begin, end) of text without the blanks at both ends.
void Trim(std::string_view text, size_t& begin, size_t& end) {
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
}

std::string_view Unquoted(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// The bytes a line's scan stops at: its break, and NUL, which ends its content.
constexpr std::array<bool, 256> kScanStops = [] {
  std::array<bool, 256> stops{};
  stops['\r'] = stops['\n'] = stops['\0'] = true;
  return stops;
}();

char16_t UnitAt(const std::string& bytes, size_t offset) {
  return static_cast<char16_t>(static_cast<unsigned char>(bytes[offset]) |
                               static_cast<unsigned char>(bytes[offset + 1]) << 8);
}

}  // namespace

size_t CharBoundaryAtOrBefore(std::string_view text, size_t limit) {
  limit = std::min(limit, text.size());
  size_t i = 0;
  while (i < limit) {
    const size_t size = CharSize(text, i);
    if (i + size > limit) break;
    i += size;
  }
  return i;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size();) {
    if (CharSize(a, i) == 2) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      i += 2;
    } else {
      if (Fold(a[i]) != Fold(b[i])) return false;
      ++i;
    }
  }
  return true;
}

uint32_t NameHash(std::string_view name) {
  uint32_t hash = 2166136261u;
  for (size_t i = 0; i < name.size();) {
    if (CharSize(name, i) == 2) {
      hash = (hash ^ static_cast<unsigned char>(name[i])) * 16777619u;
      hash = (hash ^ static_cast<unsigned char>(name[i + 1])) * 16777619u;
      i += 2;
    } else {
      hash = (hash ^ Fold(name[i])) * 16777619u;
      ++i;
    }
  }
  return hash;
}

Document::Document(std::string bytes) : bytes_(std::move(bytes)) {
  if (bytes_.size() >= 2 && bytes_[0] == '\xFF' && bytes_[1] == '\xFE') {
    ParseUtf16();
  } else {
    ParseAnsi();
  }
  section_index_.Build(static_cast<uint32_t>(sections_.size()), [this](uint32_t i) { return SectionName(i); });
}

void Document::ParseAnsi() {
  const char* p = bytes_.data();
  const size_t size = bytes_.size();
  lines_.reserve(size / 32);
  size_t i = 0;
  while (i < size) {
    // One pass over the line finds both its break and its first NUL.
    size_t j = i;
    size_t content_end = std::string::npos;
    for (;;) {
      while (j < size && !kScanStops[static_cast<unsigned char>(p[j])]) ++j;
      if (j == size || p[j] != '\0') break;
      if (content_end == std::string::npos) content_end = j;
      ++j;
    }
    Line line;
    line.begin = static_cast<uint32_t>(i);
    line.end = static_cast<uint32_t>(j);
    if (j < size) j += (p[j] == '\r' && j + 1 < size && p[j + 1] == '\n') ? 2 : 1;
    line.next = static_cast<uint32_t>(j);
    AddLine(line, std::string_view(p + i, std::min<size_t>(content_end, line.end) - i), line.begin);
    i = j;
  }
}

void Document::ParseUtf16() {
  utf16_ = true;
  const size_t end = bytes_.size() & ~size_t{1};  // a stray last byte belongs to no line
  size_t i = 2;
  std::u16string units;
  while (i < end) {
    size_t j = i;
    while (j < end && UnitAt(bytes_, j) != u'\r' && UnitAt(bytes_, j) != u'\n') j += 2;
    Line line;
    line.begin = static_cast<uint32_t>(i);
    line.end = static_cast<uint32_t>(j);
    if (j < end) {
      j += (UnitAt(bytes_, j) == u'\r' && j + 2 < end && UnitAt(bytes_, j + 2) == u'\n') ? 4 : 2;
    }
    line.next = static_cast<uint32_t>(j);
    units.clear();
    for (size_t k = i; k < line.end && UnitAt(bytes_, k) != 0; k += 2) units += UnitAt(bytes_, k);
    const uint32_t base = static_cast<uint32_t>(text_.size());
    text_ += ToCp932(units);
    AddLine(line, std::string_view(text_).substr(base), base);
    i = j;
  }
}

void Document::AddLine(Line line, std::string_view text, uint32_t text_base) {
  size_t begin = 0;
  size_t end = text.size();
  Trim(text, begin, end);
  if (begin == end) {
    line.kind = LineKind::kBlank;
  } else if (text[begin] == ';') {
    line.kind = LineKind::kComment;
  } else if (text[begin] == '[') {
    // The name ends at the first "]" that is no trail byte, or at the line's end.
    const std::string_view rest = text.substr(0, end);
    size_t close = begin + 1;
    while (close < end && rest[close] != ']') close += CharSize(rest, close);
    size_t name_begin = begin + 1;
    size_t name_end = std::min(close, end);
    Trim(text, name_begin, name_end);
    line.kind = LineKind::kHeader;
    line.name = static_cast<uint32_t>(text_base + name_begin);
    line.name_size = static_cast<uint32_t>(name_end - name_begin);
    Section section;
    section.header = static_cast<uint32_t>(lines_.size());
    section.name = line.name;
    section.name_size = line.name_size;
    sections_.push_back(std::move(section));
  } else {
    const size_t equals = text.substr(0, end).find('=', begin);
    if (equals == std::string_view::npos) {
      line.kind = LineKind::kOther;
    } else {
      size_t name_end = equals;
      size_t value_begin = equals + 1;
      size_t value_end = end;
      Trim(text, begin, name_end);
      Trim(text, value_begin, value_end);
      line.kind = LineKind::kKey;
      line.name = static_cast<uint32_t>(text_base + begin);
      line.name_size = static_cast<uint32_t>(name_end - begin);
      line.value = static_cast<uint32_t>(text_base + value_begin);
      line.value_size = static_cast<uint32_t>(value_end - value_begin);
      // Lines before the first header belong to no section and stay unreachable.
      if (!sections_.empty()) sections_.back().keys.push_back(static_cast<uint32_t>(lines_.size()));
    }
  }
  lines_.push_back(line);
}

std::string_view Document::SectionName(size_t section) const {
  return Text().substr(sections_[section].name, sections_[section].name_size);
}

int64_t Document::FindSection(std::string_view name) const {
  return section_index_.Find(name, [this](uint32_t i) { return SectionName(i); });
}

std::string_view Document::KeyName(uint32_t line) const {
  return Text().substr(lines_[line].name, lines_[line].name_size);
}

int64_t Document::FindKeyItem(size_t section, std::string_view key) const {
  const Section& s = sections_[section];
  auto name_of = [this, &s](uint32_t i) { return KeyName(s.keys[i]); };
  if (!s.index.Built()) s.index.Build(static_cast<uint32_t>(s.keys.size()), name_of);
  return s.index.Find(key, name_of);
}

int64_t Document::FindKey(size_t section, std::string_view key) const {
  const int64_t item = FindKeyItem(section, key);
  return item < 0 ? int64_t{-1} : static_cast<int64_t>(sections_[section].keys[item]);
}

std::string_view Document::Value(uint32_t line) const {
  return Unquoted(Text().substr(lines_[line].value, lines_[line].value_size));
}

std::string Document::Encode(std::string_view cp932) const {
  if (!utf16_) return std::string(cp932);
  const std::u16string units = FromCp932(cp932);
  std::string out;
  out.reserve(units.size() * 2);
  for (char16_t unit : units) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
  }
  return out;
}

std::string Document::StoredKeyName(const Line& line) const {
  if (!utf16_) return bytes_.substr(line.name, line.name_size);
  size_t begin = line.begin;
  while (UnitAt(bytes_, begin) == u' ' || UnitAt(bytes_, begin) == u'\t' || UnitAt(bytes_, begin) == u'\v') {
    begin += 2;
  }
  size_t end = begin;
  while (UnitAt(bytes_, end) != u'=') end += 2;  // the line has one, or it were no key
  while (end > begin && (UnitAt(bytes_, end - 2) == u' ' || UnitAt(bytes_, end - 2) == u'\t' ||
                         UnitAt(bytes_, end - 2) == u'\v')) {
    end -= 2;
  }
  return bytes_.substr(begin, end - begin);
}

bool Document::EndsWithLineBreak() const { return lines_.empty() || lines_.back().next > lines_.back().end; }

std::string Document::Spliced(std::vector<Splice> splices) const {
  std::sort(splices.begin(), splices.end(), [](const Splice& a, const Splice& b) { return a.begin < b.begin; });
  size_t size = bytes_.size();
  for (const Splice& s : splices) size += s.text.size() - (s.end - s.begin);
  std::string out;
  out.reserve(size);
  size_t at = 0;
  for (const Splice& s : splices) {
    out.append(bytes_, at, s.begin - at);
    out += s.text;
    at = s.end;
  }
  out.append(bytes_, at, std::string::npos);
  return out;
}

std::optional<std::string> Document::Edited(std::string_view section, std::optional<std::string_view> key,
                                            std::optional<std::string_view> value) const {
  const int64_t found = FindSection(section);
  if (!key) {
    // The header and its key lines go; comments and other lines stay.
    if (found < 0) return std::nullopt;
    const Section& s = sections_[found];
    std::vector<Splice> splices;
    splices.reserve(s.keys.size() + 1);
    splices.push_back({lines_[s.header].begin, lines_[s.header].next, {}});
    for (uint32_t k : s.keys) splices.push_back({lines_[k].begin, lines_[k].next, {}});
    return Spliced(std::move(splices));
  }
  if (!value) {
    if (found < 0) return std::nullopt;
    const int64_t line = FindKey(found, *key);
    if (line < 0) return std::nullopt;
    return Spliced({{lines_[line].begin, lines_[line].next, {}}});
  }
  std::string entry;
  entry.reserve(key->size() + value->size() + 3);
  entry.append(*key).append("=").append(*value).append("\r\n");
  if (found < 0) {
    std::string added;
    added.reserve(section.size() + entry.size() + 4);
    added.append("[").append(section).append("]\r\n").append(entry);
    std::string text = EndsWithLineBreak() ? std::string() : LineBreak();
    text += Encode(added);
    // A stray last byte of a UTF-16 file stays last; text after it would be
    // out of step with every unit and unreadable.
    const uint32_t end = static_cast<uint32_t>(utf16_ ? bytes_.size() & ~size_t{1} : bytes_.size());
    return Spliced({{end, end, std::move(text)}});
  }
  const Section& s = sections_[found];
  const int64_t existing = FindKey(found, *key);
  if (existing >= 0) {
    const Line& line = lines_[existing];
    // Writing what a read already gives, or exactly what the line already
    // holds, leaves the file untouched.
    if (Value(static_cast<uint32_t>(existing)) == *value ||
        Text().substr(line.value, line.value_size) == *value) {
      return std::nullopt;
    }
    std::string assignment;
    assignment.reserve(value->size() + 1);
    assignment.append("=").append(*value);
    std::string text = StoredKeyName(line);
    text += Encode(assignment);
    text += line.next > line.end ? bytes_.substr(line.end, line.next - line.end) : LineBreak();
    return Spliced({{line.begin, line.next, std::move(text)}});
  }
  // A new key follows the section's last key line, ahead of any comments and
  // blank lines that close the section.
  const Line& after = lines_[s.keys.empty() ? s.header : s.keys.back()];
  std::string text = after.next > after.end ? std::string() : LineBreak();
  text += Encode(entry);
  return Spliced({{after.next, after.next, std::move(text)}});
}

std::optional<std::string> Document::WithValues(
    std::string_view section, const std::vector<std::pair<std::string_view, std::string_view>>& values) const {
  if (values.empty()) return std::nullopt;
  const int64_t found = FindSection(section);
  std::string added;  // the new keys, in order
  for (const auto& [key, value] : values) {
    if (found >= 0 && FindKey(found, key) >= 0) continue;
    added.append(key).append("=").append(value).append("\r\n");
  }
  if (found < 0) {
    std::string text = EndsWithLineBreak() ? std::string() : LineBreak();
    std::string header;
    header.append("[").append(section).append("]\r\n").append(added);
    text += Encode(header);
    // A stray last byte of a UTF-16 file stays last; text after it would be
    // out of step with every unit and unreadable.
    const uint32_t end = static_cast<uint32_t>(utf16_ ? bytes_.size() & ~size_t{1} : bytes_.size());
    return Spliced({{end, end, std::move(text)}});
  }
  const Section& s = sections_[found];
  const uint32_t anchor = s.keys.empty() ? s.header : s.keys.back();
  bool anchorRewritten = false;
  std::vector<Splice> splices;
  for (const auto& [key, value] : values) {
    const int64_t existing = FindKey(found, key);
    if (existing < 0) continue;
    const Line& line = lines_[existing];
    if (Value(static_cast<uint32_t>(existing)) == value || Text().substr(line.value, line.value_size) == value) {
      continue;
    }
    std::string text = StoredKeyName(line);
    std::string assignment;
    assignment.append("=").append(value);
    text += Encode(assignment);
    text += line.next > line.end ? bytes_.substr(line.end, line.next - line.end) : LineBreak();
    anchorRewritten = anchorRewritten || static_cast<uint32_t>(existing) == anchor;
    splices.push_back({line.begin, line.next, std::move(text)});
  }
  if (!added.empty()) {
    // New keys follow the section's last key line, which ends in a line
    // break by now if it was rewritten above.
    const Line& after = lines_[anchor];
    std::string text = after.next > after.end || anchorRewritten ? std::string() : LineBreak();
    text += Encode(added);
    splices.push_back({after.next, after.next, std::move(text)});
  }
  if (splices.empty()) return std::nullopt;
  return Spliced(std::move(splices));
}

std::optional<std::string> Document::WithoutKeys(std::string_view section,
                                                 const std::vector<std::string_view>& keys) const {
  const int64_t found = FindSection(section);
  if (found < 0 || keys.empty()) return std::nullopt;
  const Section& s = sections_[found];
  // One by one, each deletion takes the first line left of its name, so the
  // n-th request for a name takes its n-th line. Count the requests by the
  // item of the name's first line.
  std::vector<uint32_t> wanted(s.keys.size(), 0);
  bool repeated = false;
  size_t total = 0;
  for (std::string_view key : keys) {
    const int64_t item = FindKeyItem(found, key);
    if (item < 0) continue;
    repeated = repeated || wanted[item] > 0;
    ++wanted[item];
    ++total;
  }
  if (total == 0) return std::nullopt;
  std::vector<Splice> splices;
  splices.reserve(total);
  auto remove = [&](uint32_t item) {
    const Line& line = lines_[s.keys[item]];
    splices.push_back({line.begin, line.next, {}});
  };
  if (!repeated) {
    for (uint32_t item = 0; item < wanted.size(); ++item) {
      if (wanted[item] > 0) remove(item);
    }
    return Spliced(std::move(splices));
  }
  // Chain every key line to the next one of the same name.
  constexpr uint32_t kNone = UINT32_MAX;
  std::vector<uint32_t> next(s.keys.size(), kNone);
  std::vector<uint32_t> last(s.keys.size(), kNone);
  for (uint32_t item = 0; item < s.keys.size(); ++item) {
    const uint32_t first = static_cast<uint32_t>(FindKeyItem(found, KeyName(s.keys[item])));
    if (last[first] != kNone) next[last[first]] = item;
    last[first] = item;
  }
  for (uint32_t item = 0; item < wanted.size(); ++item) {
    uint32_t at = item;
    for (uint32_t n = wanted[item]; n > 0 && at != kNone; --n, at = next[at]) remove(at);
  }
  return Spliced(std::move(splices));
}

}  // namespace mekuri::profile::detail
