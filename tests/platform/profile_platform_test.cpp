// The profile engine against kernel32's own profile functions, and the parts of the engine that only Windows has.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "platform/profile_testing.h"

namespace mekuri {
namespace {

namespace fs = std::filesystem;
using Text = std::optional<std::string>;

const char* Ptr(const Text& text) { return text ? text->c_str() : nullptr; }

std::string Shown(const std::string& bytes) { return ::testing::PrintToString(bytes); }

std::string Content(const fs::path& file) {
  return fs::exists(file) ? (std::ostringstream() << std::ifstream(file, std::ios::binary).rdbuf()).str() : "(no file)";
}

bool Lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The longest prefix of at most limit bytes that splits no double-byte pair.
size_t Boundary(const std::string& text, size_t limit) {
  size_t i = 0;
  while (i < text.size() && i + (Lead(text[i]) && i + 1 < text.size() ? 2 : 1) <= limit) i += Lead(text[i]) && i + 1 < text.size() ? 2 : 1;
  return i;
}

class ProfileFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("mekuri_profile_" + std::to_string(GetCurrentProcessId()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    profile::ClearCache();
  }
  void TearDown() override {
    SetFileAttributesW((dir_ / L"ours.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
    profile::SetDurableWrites(true);
    fs::remove_all(dir_);
  }
  fs::path dir_;
};

// Randomised calls through both engines, each on its own file, inside what Windows and Wine agree on: files only these
// calls write, no blanks around names or values, no comments, valid double-byte characters, ASCII-only letters in names.
class Differential {
 public:
  Differential(uint32_t seed, fs::path ours, fs::path theirs) : rng_(seed), ours_(std::move(ours)), theirs_(theirs.string()) {}

  void Step() {
    const int pick = Below(100);
    if (pick < 48) Write(Section(), pick < 45 ? Text(Key()) : std::nullopt, pick < 35 ? Text(Value()) : std::nullopt);
    else if (pick < 78) ReadValue(Section(), Key());
    else ReadList(pick < 90 ? Text(Section()) : std::nullopt);
  }

 private:
  static constexpr const char* kSections[] = {"Mekurinote", "sec", "Ab", "\x95\x5C", "\x83\x5C\x83\x74\x83\x67", "\x83\x5D", "\x81\x5B\x8A\xBF"};
  static constexpr const char* kKeys[] = {"2024/01/05", "2024/01/06", "Common000", "Left", "k", "KEY", "\x95\x5C\x8E\xA6",
                                          "\x83\x41\x83\x5C", "a\x94\x5C", "\x81\x5B", "x\xB1", "\x83\x5D\x83\x5D"};
  static constexpr const char* kWide[] = {"\x95\x5C", "\x83\x5C", "\x83\x5D", "\x81\x5B", "\x8A\xBF", "\x8E\x9A", "\x82\xA0", "\x83\x41", "\x94\x5C", "\xB1"};

  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

  // A pool name with its ASCII letters in random case; pairs stay as they are.
  std::string Cased(const char* name) {
    std::string out = name;
    for (size_t i = 0; i < out.size(); ++i)
      if (Lead(out[i])) ++i;
      else if (std::isalpha(static_cast<unsigned char>(out[i])) && Below(3) == 0) out[i] ^= 0x20;
    return out;
  }
  std::string Section() { return Cased(kSections[Below(std::size(kSections))]); }
  std::string Key() { return Cased(kKeys[Below(std::size(kKeys))]); }
  std::string Value() {
    static const std::string ascii = "abcXYZ0189-_/.:!#$%&()*+,<>?@^`{|}~=[];\\";
    std::string value;
    const int length = Below(4) == 0 ? 0 : 1 + Below(14);
    for (int i = 0; i < length; ++i)
      if (Below(3) == 0) value += kWide[Below(std::size(kWide))];
      else value += i > 0 && i + 1 < length && Below(8) == 0 ? ' ' : ascii[Below(static_cast<int>(ascii.size()))];
    return value;
  }

  void Write(const Text& sec, const Text& key, const Text& value) {
    SCOPED_TRACE("W(" + Shown(sec.value_or("NULL")) + ", " + Shown(key.value_or("NULL")) + ", " + Shown(value.value_or("NULL")) + ")");
    const bool ours = profile::WriteString(Ptr(sec), Ptr(key), Ptr(value), ours_);
    EXPECT_EQ(ours, WritePrivateProfileStringA(Ptr(sec), Ptr(key), Ptr(value), theirs_.c_str()) != 0);
    EXPECT_EQ(Shown(Content(ours_)), Shown(Content(theirs_)));
  }

  // last_free: Wine does not write the last byte of a list that does not fit, which Windows sets to NUL.
  void Compare(const Text& sec, const Text& key, const Text& def, uint32_t cap, bool last_free) {
    std::string ours(cap + 8, '\xCC'), theirs(cap + 8, '\xCC');
    const uint32_t ours_count = profile::GetString(Ptr(sec), Ptr(key), Ptr(def), ours.data(), cap, ours_);
    const uint32_t theirs_count = GetPrivateProfileStringA(Ptr(sec), Ptr(key), Ptr(def), theirs.data(), cap, theirs_.c_str());
    if (last_free) ours[cap - 1] = theirs[cap - 1] = 0;
    EXPECT_EQ(std::make_pair(ours_count, Shown(ours)), std::make_pair(theirs_count, Shown(theirs))) << "cap " << cap;
  }

  void ReadValue(const std::string& sec, const std::string& key) {
    const Text def = std::array<Text, 4>{std::nullopt, "", "def", "\x95\x5C\x8E\xA6" "d"}[Below(4)];
    SCOPED_TRACE("G(" + Shown(sec) + ", " + Shown(key) + ", " + Shown(def.value_or("NULL")) + ")");
    const profile::ReadResult whole = profile::Read(sec, key, def.value_or(""), 4096, ours_);
    for (uint32_t cap = 0; cap <= whole.count + 2; ++cap) {
      // Where a cut would split a pair, Wine leaves a stray byte: the core tests pin what the engine does there.
      if (cap > 0 && whole.count > cap - 1 && Boundary(whole.text, cap - 1) != cap - 1) continue;
      Compare(sec, key, def, cap, false);
    }
  }

  void ReadList(const Text& sec) {
    SCOPED_TRACE("G(" + Shown(sec.value_or("NULL")) + ", NULL)");
    std::string all(65536, '\xCC');
    const uint32_t total = profile::GetString(Ptr(sec), nullptr, "", all.data(), 65536, ours_);
    std::vector<uint32_t> caps = {total + 1, total + 2, total + 3, 1000};
    for (uint32_t cap = 0; cap < 48; ++cap) caps.push_back(cap);
    for (uint32_t cap : caps) {
      const bool cut = total > 0 && cap > 0 && total + 2 > cap;
      bool wide = false;  // Wine cuts a list by characters, not bytes
      for (uint32_t i = 0; i < cap && i < total; ++i) wide |= static_cast<unsigned char>(all[i]) >= 0x80;
      if (cut && wide) continue;
      Compare(sec, std::nullopt, "", cap, cut);
    }
  }

  std::mt19937 rng_;
  fs::path ours_;
  std::string theirs_;
};

TEST_F(ProfileFolder, ProfileEngineMatchesKernel32) {
  const fs::path ours = dir_ / L"ours.ini", theirs = dir_ / L"theirs.ini";
  const std::string utf16 = std::string("\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0v\0\r\0\n\0", 22);  // seeds 7 and 8 start from it
  profile::SetDurableWrites(false);  // flushing is not what is compared, and costs most of the time
  for (uint32_t seed = 1; seed <= 8; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    fs::remove(ours), fs::remove(theirs);
    if (seed >= 7) std::ofstream(ours, std::ios::binary) << utf16, std::ofstream(theirs, std::ios::binary) << utf16;
    profile::ClearCache();
    Differential run(seed, ours, theirs);
    for (int step = 0; step < 300 && !HasFailure(); ++step) {
      SCOPED_TRACE("step " + std::to_string(step));
      run.Step();
    }
    if (HasFailure()) return;  // the trace names the seed and the step
  }
}

TEST_F(ProfileFolder, ProfileReplacesOrRewritesInPlaceOrRefuses) {
  const fs::path file = dir_ / L"ours.ini";
  ASSERT_TRUE(profile::WriteString("s", "k", "1", file));
  // A reader that does not share deletion: the rename is refused and the file is rewritten in place.
  HANDLE reader = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(profile::WriteString("s", "k", "22", file));
  CloseHandle(reader);
  EXPECT_EQ(Content(file), "[s]\r\nk=22\r\n");
  HANDLE holder = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(profile::WriteString("s", "k", "333", file));
  CloseHandle(holder);
  EXPECT_EQ(Content(file), "[s]\r\nk=22\r\n");
  SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(profile::WriteString("s", "k", "4", file));
  SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_FALSE(profile::WriteString("s", "k", "4", dir_ / L"missing" / L"x.ini"));
  EXPECT_EQ(Content(file), "[s]\r\nk=22\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

// Another program's copy of the file, with the times given.
void PutStamped(const fs::path& file, const std::string& bytes, const FILETIME& time) {
  HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD done = 0;
  ASSERT_TRUE(h != INVALID_HANDLE_VALUE && WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr));
  ASSERT_TRUE(SetFileTime(h, &time, &time, &time));
  CloseHandle(h);
}

TEST_F(ProfileFolder, ProfileStampSeesOtherWritersAndSparesUnchangedFiles) {
  const fs::path file = dir_ / L"ours.ini";
  std::ofstream(file, std::ios::binary) << "[s]\r\nk=1\r\n";
  EXPECT_EQ(profile::Read("s", "k", "d", 10, file).text, "1");
  std::ofstream(file, std::ios::binary | std::ios::trunc) << "[s]\r\nk=2\r\n";  // same size, same moment
  EXPECT_EQ(profile::Read("s", "k", "d", 10, file).text, "2");
  std::ofstream(dir_ / L"other", std::ios::binary) << "[s]\r\nk=3\r\n";
  ASSERT_TRUE(MoveFileExW((dir_ / L"other").c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(profile::Read("s", "k", "d", 10, file).text, "3");

  // Two versions within one tick of the clock carry the same stamp; only the bytes tell them apart while it is that new.
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  PutStamped(file, "[s]\r\nk=4\r\n", now);
  EXPECT_EQ(profile::Read("s", "k", "d", 10, file).text, "4");
  PutStamped(file, "[s]\r\nk=5\r\n", now);
  EXPECT_EQ(profile::Read("s", "k", "d", 10, file).text, "5");

  // A file last written an hour ago is read once; later calls only stamp it.
  ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
  t.QuadPart -= 36'000'000'000ull;
  PutStamped(file, "[s]\r\nk=6\r\n", FILETIME{t.LowPart, t.HighPart});
  EXPECT_EQ(profile::Read("s", "k", "d", 10, file).text, "6");
  const uint64_t reads = profile::testing::FileReads();
  EXPECT_EQ(profile::Read("s", "k", "d", 10, file).text + std::to_string(profile::testing::FileReads() - reads), "60");
  ASSERT_TRUE(profile::WriteString("s", "k", "7", file));  // our own write vouches for the file at once
  EXPECT_EQ(profile::Read("s", "k", "d", 10, file).text + std::to_string(profile::testing::FileReads() - reads), "70");
}

}  // namespace
}  // namespace mekuri
