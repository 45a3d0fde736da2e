// The INI engine against a plain model of the Windows rules.
//
// Every input starts a file (missing, raw bytes, or lines put together from
// pieces the rules care about) and then runs a program of writes, deletes,
// reads and lists on it through the engine's API, on a real file. The model
// of raw bytes comes from the small reader below, written from the rules
// alone, so any file at all is also a comparison of two readers. The model
// is just sections in order, each with its keys in order, as a read sees
// them; names match with ASCII letters folded except in double-byte
// characters, the first match wins. After every write the engine must read
// what the model says, and at the end the file's bytes, parsed again by the
// small reader below, must hold the model too, with every comment line
// still in place.
//
// The pieces stay out of the corners where a model would have to be the
// engine again: no line breaks in values, no "=" in key names, no names
// starting with ";" or "[", no "]" in section names but as a trail byte.
//
// First byte: bit 1 the file is raw bytes; else bit 0 the file exists, made
// of lines, bit 2 stored as UTF-16LE, bit 3 the last line without a break.
// Raw: a byte n, n bytes of program, then the file's bytes. Lines: a count,
// the lines, then the program.
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "fuzz_common.h"
#include "platform/profile.h"

using namespace std::string_literals;
namespace fs = std::filesystem;
namespace profile = mekuri::profile;

namespace {

fs::path g_file;

// ---- Code page 932 and the text rules, as profile-semantics.md has them ----

bool Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool Trail(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }
size_t CharLen(std::string_view t, size_t i) {
  return Lead(static_cast<unsigned char>(t[i])) && i + 1 < t.size() && Trail(static_cast<unsigned char>(t[i + 1]))
             ? 2
             : 1;
}

// The longest prefix of at most limit bytes that splits no character.
size_t Boundary(std::string_view t, size_t limit) {
  size_t i = 0;
  while (i < t.size() && i + CharLen(t, i) <= limit) i += CharLen(t, i);
  return i;
}

bool EndsInLoneLead(std::string_view t) {
  size_t last = 0;
  for (size_t i = 0; i < t.size(); i += CharLen(t, i)) last = i;
  return !t.empty() && CharLen(t, last) == 1 && Lead(static_cast<unsigned char>(t[last]));
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  for (size_t i = 0; i < a.size();) {
    if (CharLen(a, i) == 2) {
      if (a.substr(i, 2) != b.substr(i, 2)) return false;
      i += 2;
    } else {
      if (fold(a[i]) != fold(b[i])) return false;
      ++i;
    }
  }
  return true;
}

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\v'; }
std::string_view Trim(std::string_view t) {
  while (!t.empty() && Blank(t.front())) t.remove_prefix(1);
  while (!t.empty() && Blank(t.back())) t.remove_suffix(1);
  return t;
}
std::string_view Unquote(std::string_view t) {
  if (t.size() >= 2 && (t.front() == '"' || t.front() == '\'') && t.back() == t.front()) return t.substr(1, t.size() - 2);
  return t;
}
std::string_view Cut(std::string_view t) { return t.substr(0, t.find('\0')); }
// Section and key arguments: cut at a NUL, then only spaces go.
std::string Name(std::string_view t) {
  t = Cut(t);
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  return std::string(t);
}
std::string ReadForm(std::string_view value) { return std::string(Unquote(Trim(Cut(value)))); }

// ---- The model ----

struct Key {
  std::string name;
  std::string value;  // as a read gives it
};
struct Section {
  std::string name;
  std::vector<Key> keys;
};

struct Model {
  bool exists = false;
  // A UTF-16 file keeps text only as far as code page 932 converts it: a
  // lone lead byte comes back as the mark for a bad character.
  bool utf16 = false;
  std::vector<Section> sections;

  std::string Stored(std::string_view text) const {
    return utf16 ? mekuri::ToCp932(mekuri::FromCp932(text)) : std::string(text);
  }
  std::string StoredValue(std::string_view value) const { return ReadForm(Stored(Cut(value))); }

  const Section* Find(std::string_view name) const {
    for (const Section& s : sections) {
      if (SameName(s.name, name)) return &s;
    }
    return nullptr;
  }
  Section* Find(std::string_view name) { return const_cast<Section*>(std::as_const(*this).Find(name)); }
  static Key* FindKey(Section& s, std::string_view name) {
    for (Key& k : s.keys) {
      if (SameName(k.name, name)) return &k;
    }
    return nullptr;
  }
  const std::string* Value(std::string_view section, std::string_view key) const {
    const Section* s = Find(section);
    if (!s) return nullptr;
    for (const Key& k : s->keys) {
      if (SameName(k.name, key)) return &k.value;
    }
    return nullptr;
  }

  void Write(const std::string& section, const std::string& key, std::string_view value) {
    exists = true;
    Section* s = Find(section);
    if (!s) {
      sections.push_back({Stored(section), {{Stored(key), StoredValue(value)}}});
    } else if (Key* k = FindKey(*s, key)) {
      k->value = StoredValue(value);
    } else {
      s->keys.push_back({Stored(key), StoredValue(value)});
    }
  }
  void DeleteKey(const std::string& section, const std::string& key) {
    Section* s = Find(section);
    if (!s) return;
    for (auto k = s->keys.begin(); k != s->keys.end(); ++k) {
      if (SameName(k->name, key)) {
        s->keys.erase(k);
        return;
      }
    }
  }
  void DeleteSection(const std::string& section) {
    for (auto s = sections.begin(); s != sections.end(); ++s) {
      if (SameName(s->name, section)) {
        sections.erase(s);
        return;
      }
    }
  }
};

// ---- A small reader of file bytes, written from the rules alone ----

// Lines as code page 932 text, each cut at its first NUL. CR and LF each end
// a line here; the blank lines that gives between CR and LF change nothing.
std::vector<std::string> Lines(std::string_view bytes) {
  std::vector<std::string> lines;
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    std::u16string line;
    auto flush = [&] {
      lines.push_back(mekuri::ToCp932(line.substr(0, line.find(u'\0'))));
      line.clear();
    };
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      const char16_t unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                  static_cast<unsigned char>(bytes[i + 1]) << 8);
      if (unit == u'\r' || unit == u'\n') {
        flush();
      } else {
        line += unit;
      }
    }
    flush();
    return lines;
  }
  std::string line;
  for (char c : bytes) {
    if (c == '\r' || c == '\n') {
      lines.push_back(std::string(Cut(line)));
      line.clear();
    } else {
      line += c;
    }
  }
  lines.push_back(std::string(Cut(line)));
  return lines;
}

Model Parse(std::string_view bytes) {
  Model m;
  m.exists = true;
  m.utf16 = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
  for (const std::string& line : Lines(bytes)) {
    const std::string_view t = Trim(line);
    if (t.empty() || t[0] == ';') continue;
    if (t[0] == '[') {
      size_t close = 1;
      while (close < t.size() && t[close] != ']') close += CharLen(t, close);
      m.sections.push_back({std::string(Trim(t.substr(1, close - 1))), {}});
      continue;
    }
    const size_t equals = t.find('=');
    if (equals == std::string_view::npos || m.sections.empty()) continue;
    m.sections.back().keys.push_back(
        {std::string(Trim(t.substr(0, equals))), std::string(Unquote(Trim(t.substr(equals + 1))))});
  }
  return m;
}

std::vector<std::string> Comments(std::string_view bytes) {
  std::vector<std::string> comments;
  for (const std::string& line : Lines(bytes)) {
    if (!Trim(line).empty() && Trim(line)[0] == ';') comments.emplace_back(Trim(line));
  }
  return comments;
}

// ---- The pieces ----

const std::string kSections[] = {
    "s", "S", " s ", "s\0x"s, "", "  ", "sec two", "SEC Two", "\x83\x5D", "\x95\x5C", "\x83\x41", "\x83\x61",
    "\x83\x41" "x", "\x83\x41" "X", ";c", "[x", "a=b", "#", "\x81\x40", "\x95\x5C s"};
const std::string kKeys[] = {
    "k", "K", " k ", "k\0y"s, "key two", "KEY TWO", "\x95\x5C", "\x83\x41", "\x83\x61", "\x83\x41" "b",
    "\x83\x41" "B", "#h", "k]", "\x83\x5D", "\x81\x40", "x y"};
const std::string kValues[] = {
    "", "v", "V2", " v ", "a=b", ";c", "[x]", "\"q\"", "'q'", "\"", "\"a'", "  \"  a  \"  ",
    "\x95\x5C\x8E\xA6", "\x81\x40", "\x81\x40v\x81\x40", "x\0y"s, "\t\tt\t", "a long value that many capacities cut",
    "ab\x95\x5C\x8E\xA6" "cd", "''x''", "\x83\x5D]", "\x95"};
const std::string kDefaults[] = {"", "d", "  d", "d  ", "   ", "\"q\"", "\x95\x5C\x8E\xA6", "abc\x95", "d\0e"s};
const char* const kComments[] = {";c", "  ;[s]=1", ";", "\t; k=v"};
const char* const kBlanks[] = {"", "  ", "\t\v "};
const char* const kOthers[] = {"foo", "no equals", "#x", "\x95\x5C"};
const char* const kBreaks[] = {"\r\n", "\n", "\r"};

template <typename T, size_t N>
const T& Pick(const T (&items)[N], fuzz::Bytes& in) {
  return items[in.Next() % N];
}

uint32_t Capacity(fuzz::Bytes& in) {
  const uint8_t c = in.Next();
  return c < 0xF0 ? c % 40 : 4096;
}

// ---- Reads against the model ----

// A buffer of exactly cap bytes, so that the sanitizer sees any write past it.
struct Buffer {
  explicit Buffer(uint32_t cap) : cap(cap), bytes(new char[cap == 0 ? 1 : cap]) {
    std::memset(bytes.get(), 0x7E, cap == 0 ? 1 : cap);
  }
  char* data() { return bytes.get(); }
  bool Untouched() const { return bytes[0] == 0x7E; }
  uint32_t cap;
  std::unique_ptr<char[]> bytes;
};

void CheckText(uint32_t got, Buffer& buffer, std::string_view text, const char* what) {
  const uint32_t cap = buffer.cap;
  if (cap == 0) {
    FUZZ_CHECK(got == 0 && buffer.Untouched(), "%s: %u, or a write, with no room", what, got);
    return;
  }
  const size_t want = text.size() <= cap - 1 ? text.size() : Boundary(text, cap - 1);
  FUZZ_CHECK(got == want && std::string_view(buffer.bytes.get(), want) == text.substr(0, want) &&
                 buffer.bytes[want] == '\0',
             "%s: want %zu bytes of %s in %u, got %u %s", what, want, fuzz::Show(text).c_str(), cap, got,
             fuzz::Show(std::string_view(buffer.bytes.get(), got < cap ? got : cap)).c_str());
}

// A list: names each ending in a NUL, one NUL more; cut to cap - 2 bytes
// without half characters, and then NULs to the end, when it does not fit.
void CheckList(uint32_t got, Buffer& buffer, const std::vector<std::string>& names, const char* what) {
  const uint32_t cap = buffer.cap;
  if (cap == 0) {
    FUZZ_CHECK(got == 0 && buffer.Untouched(), "%s: %u, or a write, with no room", what, got);
    return;
  }
  std::string all;
  for (const std::string& n : names) all += n + '\0';
  const std::string_view seen(buffer.bytes.get(), cap);
  if (all.empty() || cap < 3) {
    FUZZ_CHECK(got == 0 && seen[0] == '\0' && (all.empty() || cap < 2 || seen[1] == '\0'),
               "%s: %u for %zu names in %u", what, got, names.size(), cap);
    return;
  }
  if (all.size() <= cap - 2) {
    FUZZ_CHECK(got == all.size() && seen.substr(0, all.size() + 1) == all + '\0', "%s: want %s, got %u %s", what,
               fuzz::Show(all).c_str(), got, fuzz::Show(seen.substr(0, got + 1)).c_str());
    return;
  }
  const size_t limit = cap - 2;
  std::string cut;
  for (const std::string& n : names) {
    if (n.size() + 1 <= limit - cut.size()) {
      cut += n + '\0';
    } else {
      cut += n.substr(0, Boundary(n, limit - cut.size()));
      break;
    }
  }
  FUZZ_CHECK(got == cut.size() && seen == cut + std::string(cap - cut.size(), '\0'), "%s: want %s in %u, got %u %s",
             what, fuzz::Show(cut).c_str(), cap, got, fuzz::Show(seen).c_str());
}

const char* Arg(const std::string* s) { return s ? s->c_str() : nullptr; }

void ReadValue(const Model& m, const std::string& section, const std::string& key, const std::string* def,
               uint32_t cap, bool bothForms = true) {
  Buffer buffer(cap);
  const uint32_t got = profile::GetString(section.c_str(), key.c_str(), Arg(def), buffer.data(), cap, g_file);
  const std::string* value = m.Value(Name(section), Name(key));
  std::string_view fallback = def ? Cut(*def) : std::string_view();
  while (!fallback.empty() && fallback.back() == ' ') fallback.remove_suffix(1);
  CheckText(got, buffer, value ? std::string_view(*value) : fallback, "value");
  if (!bothForms) return;

  // The string form of the same read.
  const profile::ReadResult read = profile::Read(section, key, def ? *def : "", cap, g_file);
  FUZZ_CHECK(read.count == (cap == 0 ? 0 : got) &&
                 read.text == (cap == 0 ? std::string() : std::string(buffer.bytes.get(), got)),
             "Read gives %u %s where GetString gave %u", read.count, fuzz::Show(read.text).c_str(), got);
}

void ListKeys(const Model& m, const std::string& section, uint32_t cap) {
  Buffer buffer(cap);
  const uint32_t got = profile::GetString(section.c_str(), nullptr, "d", buffer.data(), cap, g_file);
  std::vector<std::string> names;
  if (const Section* s = m.Find(Name(section))) {
    for (const Key& k : s->keys) names.push_back(k.name);
  }
  CheckList(got, buffer, names, "keys");
}

void ListSections(const Model& m, uint32_t cap, bool withKey) {
  Buffer buffer(cap);
  const uint32_t got = profile::GetString(nullptr, withKey ? "k" : nullptr, "d", buffer.data(), cap, g_file);
  std::vector<std::string> names;
  for (const Section& s : m.sections) names.push_back(s.name);
  CheckList(got, buffer, names, "sections");
}

// Every section, key and value the model has; when thorough, each name is
// also asked for in the other case and through both forms of a read. (Each
// read of a file younger than the engine trusts reads it whole again.)
void Sweep(const Model& m, bool thorough) {
  uint32_t big = 64;
  for (const Section& s : m.sections) {
    big += static_cast<uint32_t>(s.name.size()) + 1;
    for (const Key& k : s.keys) big += static_cast<uint32_t>(k.name.size() + k.value.size()) + 2;
  }
  auto flip = [](std::string name) {
    for (size_t i = 0; i < name.size(); i += CharLen(name, i)) {
      if (CharLen(name, i) == 1 && std::isalpha(static_cast<unsigned char>(name[i]))) name[i] ^= 0x20;
    }
    return name;
  };
  ListSections(m, big, false);
  const std::string def = "d";
  for (const Section& s : m.sections) {
    ListKeys(m, s.name, big);
    for (const Key& k : s.keys) ReadValue(m, s.name, k.name, &def, big, thorough);
    if (!thorough) continue;
    const std::string other = flip(s.name);
    ListKeys(m, other, big);
    for (const Key& k : s.keys) ReadValue(m, other, flip(k.name), &def, big);
  }
}

// ---- The program ----

void WriteFile(const fs::path& file, const std::string& bytes) {
  FILE* f = std::fopen(file.c_str(), "wb");
  FUZZ_CHECK(f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && std::fclose(f) == 0,
             "cannot write %s", file.c_str());
}

std::string ReadFile() {
  std::string bytes;
  if (FILE* f = std::fopen(g_file.c_str(), "rb")) {
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
    std::fclose(f);
  }
  return bytes;
}

std::string Utf16(std::string_view cp932) {
  std::string out;
  for (char16_t unit : mekuri::FromCp932(cp932)) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
  }
  return out;
}

// Lines from the pieces, and what they hold. Each line and each line break
// is converted on its own, so that a lone lead byte cannot take a break along.
std::string Compose(fuzz::Bytes& in, bool openEnd, Model& m) {
  std::string text = m.utf16 ? "\xFF\xFE" : "";
  auto add = [&](std::string_view piece) { text += m.utf16 ? Utf16(piece) : std::string(piece); };
  const int count = in.Next() % 24;
  for (int i = 0; i < count; ++i) {
    const uint8_t b = in.Next();
    const int variant = b >> 5;
    std::string line;
    switch (b % 6) {
      case 0:
      case 1: {
        const std::string name = Name(Pick(kKeys, in));
        const std::string& value = Pick(kValues, in);
        const std::string plain(Cut(value));
        switch (variant % 4) {
          case 0: line = name + "=" + plain; break;
          case 1: line = "  " + name + "  =  " + plain + "  "; break;
          case 2: line = "\t" + name + "\t=" + plain + "\v"; break;
          default: line = name + "=" + plain + "\0;junk"s; break;
        }
        if (!m.sections.empty()) m.sections.back().keys.push_back({m.Stored(name), m.StoredValue(plain)});
        break;
      }
      case 2: {
        const std::string name = Name(Pick(kSections, in));
        switch (variant % 5) {
          case 0: line = "[" + name + "]"; break;
          case 1: line = "  [ " + name + " ]  "; break;
          case 2: line = "\t[" + name + "]junk"; break;
          case 3: line = "[" + name + "]]x=1"; break;
          default: line = "[" + name; break;
        }
        m.sections.push_back({m.Stored(name), {}});
        break;
      }
      case 3: line = kComments[variant % 4]; break;
      case 4: line = kBlanks[variant % 3]; break;
      default: line = kOthers[variant % 4]; break;
    }
    add(line);
    if (!(openEnd && i + 1 == count)) add(kBreaks[(b >> 3) % 3]);
  }
  return text;
}

// comments: the file's comment lines as they must stay.
void Run(fuzz::Bytes& program, Model& m, std::string& comments) {
  for (int step = 0; step < 48 && !program.Empty(); ++step) {
    const uint8_t op = program.Next();
    switch (op % 11) {
      case 0:
      case 1: {
        const std::string& section = Pick(kSections, program);
        const std::string& key = Pick(kKeys, program);
        const std::string& value = Pick(kValues, program);
        FUZZ_CHECK(profile::WriteString(section.c_str(), key.c_str(), value.c_str(), g_file), "write failed");
        m.Write(Name(section), Name(key), value);
        ReadValue(m, section, key, nullptr, 4096);
        ListKeys(m, section, 4096);
        ListSections(m, 4096, false);
        break;
      }
      case 2: {
        const std::string& section = Pick(kSections, program);
        const std::string& key = Pick(kKeys, program);
        FUZZ_CHECK(profile::WriteString(section.c_str(), key.c_str(), nullptr, g_file), "key delete failed");
        m.DeleteKey(Name(section), Name(key));
        ReadValue(m, section, key, &kDefaults[1], 4096);
        ListKeys(m, section, 4096);
        break;
      }
      case 3: {
        const std::string& section = Pick(kSections, program);
        FUZZ_CHECK(profile::WriteString(section.c_str(), nullptr, "x", g_file), "section delete failed");
        m.DeleteSection(Name(section));
        ListSections(m, 4096, false);
        ListKeys(m, section, 4096);
        break;
      }
      case 4: {
        const std::string& section = Pick(kSections, program);
        const std::string& key = Pick(kKeys, program);
        const uint8_t d = program.Next() % (std::size(kDefaults) + 1);
        ReadValue(m, section, key, d == 0 ? nullptr : &kDefaults[d - 1], Capacity(program));
        break;
      }
      case 5: {
        const std::string& section = Pick(kSections, program);
        ListKeys(m, section, Capacity(program));
        break;
      }
      case 6:
        ListSections(m, Capacity(program), op & 0x10);
        break;
      case 7: {
        const std::string& section = Pick(kSections, program);
        std::vector<std::string> keys;
        for (int n = program.Next() % 5; n > 0; --n) keys.push_back(Pick(kKeys, program));
        FUZZ_CHECK(profile::DeleteKeys(section.c_str(), keys, g_file), "deleting %zu keys failed", keys.size());
        for (const std::string& key : keys) m.DeleteKey(Name(section), Name(key));
        ListKeys(m, section, 4096);
        break;
      }
      case 8: {
        // No section with a key is refused and changes nothing.
        const std::string& key = Pick(kKeys, program);
        const std::string before = ReadFile();
        FUZZ_CHECK(!profile::WriteString(nullptr, key.c_str(), "v", g_file), "a write with no section succeeded");
        FUZZ_CHECK(ReadFile() == before, "a refused write changed the file");
        break;
      }
      case 10: {
        // Several writes, then several deletes, as one; the written keys
        // must be distinct.
        const std::string& section = Pick(kSections, program);
        std::vector<std::pair<std::string, std::string>> values;
        for (int n = program.Next() % 4; n > 0; --n) {
          const std::string& key = Pick(kKeys, program);
          const std::string& value = Pick(kValues, program);
          bool distinct = true;
          for (const auto& pair : values) distinct = distinct && !SameName(Name(pair.first), Name(key));
          if (distinct) values.emplace_back(key, value);
        }
        std::vector<std::string> removals;
        for (int n = program.Next() % 3; n > 0; --n) removals.push_back(Pick(kKeys, program));
        FUZZ_CHECK(profile::WriteKeys(section.c_str(), values, removals, g_file), "writing %zu keys failed",
                   values.size());
        for (const auto& [key, value] : values) m.Write(Name(section), Name(key), value);
        for (const std::string& key : removals) m.DeleteKey(Name(section), Name(key));
        for (const auto& pair : values) ReadValue(m, section, pair.first, nullptr, 4096);
        ListKeys(m, section, 4096);
        ListSections(m, 4096, false);
        break;
      }
      default: {
        // Another program puts the same content, written its own way, in
        // the file's place; the next call must see the new file. A name
        // ending in a lone lead byte would pair with the "]" written after it.
        if (!m.exists) break;
        const std::string bytes = ReadFile();
        if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') break;
        std::string rewritten;
        for (const Section& s : m.sections) {
          if (EndsInLoneLead(s.name)) return;
          rewritten += "[" + s.name + "]\n";
          for (const Key& k : s.keys) rewritten += k.name + "=\"" + k.value + "\"\n";
        }
        const fs::path other = g_file.string() + ".other";
        WriteFile(other, rewritten);
        fs::rename(other, g_file);
        comments.clear();
        Sweep(m, false);
        break;
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fs::path dir = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
  dir /= "mekuri-fuzz-" + std::to_string(::getpid());
  fs::create_directories(dir);
  g_file = dir / "profile.ini";
  profile::SetDurableWrites(false);  // a RAM disk; syncing only costs time
  static const struct Cleanup {
    fs::path dir;
    ~Cleanup() {
      std::error_code ec;
      fs::remove_all(dir, ec);
    }
  } cleanup{dir};
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  fuzz::Bytes in(data, size);
  const uint8_t flags = in.Next();
  std::error_code ec;
  fs::remove(g_file, ec);
  profile::ClearCache();

  Model m;
  std::string initial;
  std::string program;
  if (flags & 2) {
    program = in.Take(in.Next());
    initial = in.Rest();
    m = Parse(initial);
  } else if (flags & 1) {
    m.utf16 = flags & 4;
    initial = Compose(in, flags & 8, m);
    m.exists = true;
    program = in.Rest();
  } else {
    program = in.Rest();
  }
  if (m.exists) WriteFile(g_file, initial);

  Sweep(m, false);
  fuzz::Bytes steps(reinterpret_cast<const uint8_t*>(program.data()), program.size());
  std::string comments = initial;
  Run(steps, m, comments);
  Sweep(m, true);

  // What is on the disk: the model again, read by the engine afresh and by
  // the reader above, and not one comment line lost or moved.
  FUZZ_CHECK(fs::exists(g_file) == m.exists, "the file %s", m.exists ? "is missing" : "was created");
  profile::ClearCache();
  Sweep(m, false);
  if (m.exists) {
    const std::string bytes = ReadFile();
    const Model disk = Parse(bytes);
    bool same = disk.sections.size() == m.sections.size();
    for (size_t i = 0; same && i < m.sections.size(); ++i) {
      const Section& a = disk.sections[i];
      const Section& b = m.sections[i];
      same = a.name == b.name && a.keys.size() == b.keys.size();
      for (size_t j = 0; same && j < a.keys.size(); ++j) {
        same = a.keys[j].name == b.keys[j].name && a.keys[j].value == b.keys[j].value;
      }
    }
    FUZZ_CHECK(same, "the file %s does not hold the model", fuzz::Show(bytes).c_str());
    FUZZ_CHECK(Comments(bytes) == Comments(comments), "comment lines changed in %s", fuzz::Show(bytes).c_str());
  }
  return 0;
}
