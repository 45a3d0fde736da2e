// The INI engine on any file (UTF-16 when it starts FF FE) and a program of writes, deletes and reads from the input:
// reads stay in their buffer and cut no character; a write reads back and changes no other section; the batch writes
// equal their single writes one by one; the engine's cached copy equals a fresh read of the file.
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "base/cp932.h"
#include "fuzz_common.h"
#include "platform/profile.h"

namespace {

namespace fs = std::filesystem;
namespace profile = mekuri::profile;
using Snapshot = std::map<std::string, std::vector<std::pair<std::string, std::string>>>;  // by lower-cased section

const fs::path kDir = "/dev/shm/mekuri-fuzz-" + std::to_string(getpid());
const fs::path kFile = kDir / "a.ini", kBatch = kDir / "b.ini";

bool Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
size_t Len(std::string_view t, size_t i) {  // a lead byte and a trail byte make one character
  const unsigned char next = i + 1 < t.size() ? t[i + 1] : 0;
  return Lead(t[i]) && next >= 0x40 && next <= 0xFC && next != 0x7F ? 2 : 1;
}
std::string Folded(std::string t) {  // ASCII letters folded, but never a trail byte
  for (size_t i = 0; i < t.size(); i += Len(t, i)) t[i] = t[i] >= 'A' && t[i] <= 'Z' ? t[i] + 32 : t[i];
  return t;
}

std::vector<std::string> List(const char* section) {
  std::vector<char> buffer(1 << 16);
  const uint32_t n = profile::GetString(section, nullptr, "", buffer.data(), buffer.size(), kFile);
  std::vector<std::string> names;
  for (size_t at = 0; at < n; at += names.back().size() + 1) names.emplace_back(buffer.data() + at);
  return names;
}

// Every reachable key's value; the first section of a name and the first key of a name answer.
Snapshot Take() {
  Snapshot all;
  for (const std::string& s : List(nullptr))
    if (!all.count(Folded(s)))
      for (auto& keys = all[Folded(s)]; const std::string& k : List(s.c_str())) keys.emplace_back(Folded(k), profile::Read(s, k, "\x01", 4096, kFile).text);
  return all;
}

std::string Bytes(const fs::path& file) { return (std::ostringstream() << std::ifstream(file, std::ios::binary).rdbuf()).str(); }

// A name or value the file can hold as given: no line breaks, NULs or quotes, no outer blanks, a name with no
// "=", "]", ";" or "[" and ending in no lone lead byte; a UTF-16 file keeps only what code page 932 round-trips.
std::string Clean(std::string t, bool name, bool utf16) {
  std::erase_if(t, [name](char c) { return std::strchr("\r\n\"'", c) || (name && std::strchr("=];[", c)); });
  t.erase(0, std::min(t.size(), t.find_first_not_of(" \t\v")));
  t.erase(t.find_last_not_of(" \t\v") + 1);
  size_t last = 0;
  for (size_t i = 0; i < t.size(); i += Len(t, i)) last = i;
  if (name && !t.empty() && Lead(t[last]) && last + 1 == t.size()) t.pop_back();
  return utf16 ? mekuri::ToCp932(mekuri::FromCp932(t)) : t;
}

void Read(const std::string& s, const std::string& k, uint32_t cap) {
  const std::string whole = profile::Read(s, k, "d", 65536, kFile).text;
  std::vector<char> buffer(cap + 8, '\xCC');
  const uint32_t n = profile::GetString(s.c_str(), k.c_str(), "d", buffer.data(), cap, kFile);
  size_t fit = 0;  // the longest prefix within cap - 1 that splits no character
  while (cap && fit < whole.size() && fit + Len(whole, fit) <= cap - 1) fit += Len(whole, fit);
  FUZZ_CHECK(n == fit && (!cap || (std::string(buffer.data(), n) == whole.substr(0, n) && buffer[n] == 0)), "read %u in %u", n, cap);
  for (size_t i = cap; i < buffer.size(); ++i) FUZZ_CHECK(buffer[i] == '\xCC', "wrote past %u", cap);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 8192) return 0;
  fs::create_directories(kDir);
  profile::SetDurableWrites(false);
  profile::ClearCache();
  fuzz::Bytes in(data, size);
  const std::string program = in.Take(in.Next()), file = in.Rest();
  std::ofstream(kFile, std::ios::binary | std::ios::trunc) << file;
  const bool utf16 = file.size() >= 2 && file[0] == '\xFF' && file[1] == '\xFE';
  fuzz::Bytes op(reinterpret_cast<const uint8_t*>(program.data()), program.size());
  auto name = [&](const std::vector<std::string>& known) {  // mostly a name the file has, in another case
    const uint8_t pick = op.Next();
    std::string n = pick < known.size() * 4 && pick % 4 ? known[pick / 4] : std::string(1, 'A' + pick % 4);
    if (pick & 1 && !n.empty() && std::isalpha(n[0])) n[0] ^= 0x20;
    return Clean(n, true, utf16);
  };
  for (int steps = 0; steps < 16 && op.Next(); ++steps) {
    const uint8_t kind = op.Next() % 5;
    const std::vector<std::string> sections = List(nullptr);
    const std::string s = name(sections), k = name(List(s.c_str())), k2 = name(List(s.c_str()));
    if (kind == 0 && (Read(s, k, op.Next()), true)) continue;
    const std::string value = Clean(op.Take(op.Next() % 16), false, utf16);
    if (kind == 3) {  // the batch writes against one by one, on a copy
      fs::copy_file(kFile, kBatch, fs::copy_options::overwrite_existing);
      const std::vector<std::string> keys = {k, k2, k}, others = Folded(k) == Folded(k2) ? keys : std::vector<std::string>{k2};
      const bool drop = value.size() % 2;
      const bool batch = drop ? profile::DeleteKeys(s.c_str(), keys, kBatch) : profile::WriteKeys(s.c_str(), {{k, value}}, {others[0]}, kBatch);
      if (!drop) FUZZ_CHECK(profile::WriteString(s.c_str(), k.c_str(), value.c_str(), kFile), "write");
      for (const std::string& key : drop ? keys : others) FUZZ_CHECK(profile::WriteString(s.c_str(), key.c_str(), nullptr, kFile), "delete");
      FUZZ_CHECK(batch && Bytes(kBatch) == Bytes(kFile), "batch differs from one by one");
      continue;
    }
    Snapshot before = Take();
    const bool section = std::any_of(sections.begin(), sections.end(), [&](auto& n) { return Folded(n) == Folded(s); });
    const auto known = before[Folded(s)];
    const size_t keys = known.size(), had = std::count_if(known.begin(), known.end(), [&](auto& e) { return e.first == Folded(k); }) > 0;
    FUZZ_CHECK(profile::WriteString(s.c_str(), kind == 4 ? nullptr : k.c_str(), kind == 1 ? value.c_str() : nullptr, kFile), "write");
    if (kind == 1) FUZZ_CHECK(profile::Read(s, k, "\x01", 4096, kFile).text == value, "%s does not read back", value.c_str());
    if (kind == 2) FUZZ_CHECK(List(s.c_str()).size() == keys - had, "%zu keys left of %zu", List(s.c_str()).size(), keys);
    if (kind == 4) FUZZ_CHECK(List(nullptr).size() == sections.size() - section, "sections");
    Snapshot after = Take();
    before.erase(Folded(s)), after.erase(Folded(s));
    FUZZ_CHECK(before == after, "a write changed another section");
  }
  const Snapshot cached = Take();
  profile::ClearCache();
  FUZZ_CHECK(Take() == cached && profile::ReadBytes(kFile) == Bytes(kFile), "the engine's copy differs from the file");
  return 0;
}
