#include <strings.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/profile.h"

namespace mekuri {
namespace {

namespace fs = std::filesystem;

std::string Content(const fs::path& file) {
  std::ostringstream out;
  out << std::ifstream(file, std::ios::binary).rdbuf();
  return out.str();
}

void Put(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

class ProfileBatch : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("mekuri_batch_" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    profile::SetDurableWrites(false);
  }
  void TearDown() override {
    profile::SetDurableWrites(true);
    fs::remove_all(dir_);
  }
  fs::path dir_;
};

// Names that differ only in case, in outer spaces, or in a double-byte pair
// whose trail byte is a letter ("ア" 83 41 against "ャ" 83 61), which must not
// be folded.
const std::vector<std::string> kNames = {"2004/09/10", "2004/09/11", "Common000", "common000", "KEY",
                                         "key",        "\x83\x41",   "\x83\x61",  "a b",       ""};
const std::vector<std::string> kBreaks = {"\r\n", "\n", "\r"};

std::string RandomFile(std::mt19937& rng, bool utf16) {
  auto pick = [&](const auto& v) { return v[rng() % v.size()]; };
  std::string text;
  const int lines = 5 + rng() % 40;
  for (int i = 0; i < lines; ++i) {
    switch (rng() % 10) {
      case 0: text += pick(std::vector<std::string>{"[Mekurinote]", " [mekurinote] ", "[Other]"}); break;
      case 1: text += ";" + pick(kNames) + "=comment"; break;
      case 2: text += ""; break;
      case 3: text += "no equals sign"; break;
      default: text += (rng() % 4 ? "" : "  ") + pick(kNames) + " = v" + std::to_string(i); break;
    }
    if (i + 1 < lines || rng() % 2) text += pick(kBreaks);
  }
  if (!utf16) return text;
  std::string bytes = "\xFF\xFE";  // ASCII only here, so each byte widens to a unit
  for (char c : text) bytes += c, bytes += '\0';
  return bytes;
}

TEST_F(ProfileBatch, EqualsDeletingOneByOne) {
  std::mt19937 rng(20040910);
  const fs::path one = dir_ / "one.ini";
  const fs::path batch = dir_ / "batch.ini";
  for (int round = 0; round < 400; ++round) {
    const std::string bytes = RandomFile(rng, round % 10 == 9);
    Put(one, bytes);
    Put(batch, bytes);
    std::vector<std::string> keys;
    const int count = rng() % 12;
    for (int i = 0; i < count; ++i) {
      std::string key = kNames[rng() % kNames.size()];
      if (rng() % 5 == 0) key = " " + key + " ";
      if (rng() % 7 == 0) key = "missing";
      keys.push_back(key);
    }
    const char* section = round % 3 ? "Mekurinote" : " MEKURINOTE ";
    for (const std::string& key : keys) ASSERT_TRUE(profile::WriteString(section, key.c_str(), nullptr, one));
    ASSERT_TRUE(profile::DeleteKeys(section, keys, batch)) << round;
    ASSERT_EQ(Content(batch), Content(one)) << "round " << round << "\n" << bytes;
  }
}

// The common list's close: distinct keys written, then others removed.
TEST_F(ProfileBatch, WriteKeysEqualsWritingOneByOne) {
  std::mt19937 rng(20041231);
  const fs::path one = dir_ / "one.ini";
  const fs::path batch = dir_ / "batch.ini";
  const std::vector<std::string> values = {"v", "new", "", " padded ", "\x83\x41"};
  for (int round = 0; round < 400; ++round) {
    const bool missing = round % 13 == 12;
    const std::string bytes = RandomFile(rng, round % 10 == 9);
    fs::remove(one);
    fs::remove(batch);
    if (!missing) Put(one, bytes), Put(batch, bytes);
    std::vector<std::string> names = kNames;
    names.push_back("fresh1");
    names.push_back("fresh2");
    std::shuffle(names.begin(), names.end(), rng);
    // Distinct even without regard to case.
    std::vector<std::string> keys;
    for (const std::string& n : names) {
      bool clash = false;
      for (const std::string& k : keys) clash = clash || strcasecmp(k.c_str(), n.c_str()) == 0;
      if (!clash && !n.empty()) keys.push_back(n);
    }
    const size_t writes = rng() % (keys.size() + 1);
    std::vector<std::pair<std::string, std::string>> pairs;
    std::vector<std::string> removals;
    for (size_t i = 0; i < keys.size(); ++i) {
      if (i < writes) {
        pairs.emplace_back(keys[i], values[rng() % values.size()]);
      } else if (rng() % 2) {
        removals.push_back(keys[i]);
      }
    }
    const char* section = round % 3 ? "Mekurinote" : " MEKURINOTE ";
    for (const auto& [k, v] : pairs) ASSERT_TRUE(profile::WriteString(section, k.c_str(), v.c_str(), one));
    for (const std::string& k : removals) ASSERT_TRUE(profile::WriteString(section, k.c_str(), nullptr, one));
    ASSERT_TRUE(profile::WriteKeys(section, pairs, removals, batch)) << round;
    ASSERT_EQ(fs::exists(batch), fs::exists(one)) << round;
    if (fs::exists(one)) ASSERT_EQ(Content(batch), Content(one)) << "round " << round << "\n" << bytes;
  }
}

TEST_F(ProfileBatch, NothingToRemoveLeavesTheFileAlone) {
  const fs::path file = dir_ / "memo.dat";
  EXPECT_TRUE(profile::DeleteKeys("Mekurinote", {"2004/09/10"}, file));
  EXPECT_FALSE(fs::exists(file));

  Put(file, "[Other]\r\n2004/09/10=x\r\n");
  const auto stamp = fs::last_write_time(file);
  for (const std::vector<std::string>& keys : {std::vector<std::string>{}, {"2004/09/10"}}) {
    EXPECT_TRUE(profile::DeleteKeys("Mekurinote", keys, file));
  }
  EXPECT_EQ(fs::last_write_time(file), stamp);
  EXPECT_EQ(Content(file), "[Other]\r\n2004/09/10=x\r\n");
}

}  // namespace
}  // namespace mekuri
