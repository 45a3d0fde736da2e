// Damaged, huge and unwritable settings and memo files: every read falls back
// as documented, the memos around the damage stay readable, and no write
// spreads the damage or reports a lost write as done.
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "calendar/holidays.h"
#include "commonlist/common_store.h"
#include "platform/profile.h"
#include "settings/settings.h"
#include "test_support.h"
#include "timesignal/scheduled_messages.h"

namespace mekuri {
namespace {

using namespace std::string_literals;
// At 1440 DPI a pixel is one twip: the saved edges read as written.
constexpr uint32_t kPixelIsTwip = 1440;
const std::string kBom = "\xEF\xBB\xBF";

// Bytes of every value, line breaks and NULs included, but no "[": a line
// that starts with one opens a section of its own, as Windows reads it.
std::string Garbage(size_t size) {
  std::string bytes;
  uint32_t state = 12345;
  while (bytes.size() < size) {
    state = state * 1103515245u + 12345u;
    const char c = static_cast<char>(state >> 16);
    bytes += c == '[' ? '{' : c;
  }
  return bytes;
}

struct Damage {
  const char* name;
  std::string bytes;
};

// Damage that lies between good lines; each ends without a line break.
std::vector<Damage> Damages() {
  return {{"binary garbage", Garbage(4096)},
          {"NUL bytes", "\0\0\0\r\n2004/09/12=\0QUJD\r\nCommon050=\0"s},
          {"1 MiB line", "2004/09/13=" + std::string(1 << 20, 'Q')},
          {"invalid Shift-JIS", "\x81\r\n\xFF\xFE\xFD=\x80\xA0\r\n\xE0=\x81\r\n2004/09/14=\x81"},
          {"UTF-8 BOM mid-file", kBom + "=" + kBom}};
}

class BadInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("mekuri_bad_" + std::to_string(getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    ini_ = dir_ / "Mekurinote.ini";
    dat_ = dir_ / "Mekurinote_user.dat";
  }
  void TearDown() override { fs::remove_all(dir_); }
  static void Put(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
  }
  static std::string Content(const fs::path& file) {
    std::ostringstream out;
    out << std::ifstream(file, std::ios::binary).rdbuf();
    return out.str();
  }
  std::string Enciphered(std::u16string_view text) const { return *EncipherText(cipher_, text); }

  fs::path dir_, ini_, dat_;
  const CipherLibrary cipher_ = NativeCipher();
};

int Count(const auto& table) {
  int n = 0;
  while (n + 1 < static_cast<int>(table.size()) && !table[n + 1].empty()) ++n;
  return n;
}

TEST_F(BadInputTest, DamagedSettingsFallBackAndTheExitWriteLandsBesideTheDamage) {
  const std::string keys = "EveryHour=0\r\nStartX=1200\r\nS01=01/01\r\nM01=07:30/朝\r\n";
  const std::string mib(1 << 20, '9');
  struct Case {
    const char* name;
    std::string bytes;
    bool everyHour;
    std::optional<int32_t> startX;
    int holidays, messages;
  } cases[] = {
      {"garbage between keys", "[Mekurinote]\r\nEveryHour=0\r\n" + Garbage(4096) + "\r\nStartX=1200\r\n", false, 1200, 0, 0},
      {"garbage ahead of the header", Garbage(4096) + "\r\n[Mekurinote]\r\n" + keys, false, 1200, 1, 1},
      {"NUL inside values", "[Mekurinote]\r\nEveryHour=0\0x\r\nStartX=\0 1200\r\nS01=01/01\0\r\n"s, false, {}, 1, 0},
      {"NUL ahead of the header", "\0[Mekurinote]\r\n"s + keys, true, {}, 0, 0},
      {"zeroed file", std::string(4096, '\0'), true, {}, 0, 0},
      {"FF FE ahead of the header", "\xFF\xFE[Mekurinote]\r\n" + keys, true, {}, 0, 0},
      {"1 MiB values", "[Mekurinote]\r\nStartX=" + mib + "\r\nS01=" + mib + "\r\nM01=07:30/" + mib +
                           "\r\n;" + mib + "\r\nEveryHour=0\r\n", false, 0, 0, 0},
      {"invalid Shift-JIS values", "[Mekurinote]\r\nEveryHour=\x81\r\nStartX=\xFF\r\nS01=01/0\x81\r\nM01=07:30/\x81\x7F\r\n",
       true, 0, 0, 1},
      {"lead byte swallows the header's ]", "[Mekurinote\x81]\r\n" + keys, true, {}, 0, 0},
      {"UTF-8 BOM", kBom + "[Mekurinote]\r\n" + keys, true, {}, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Put(ini_, c.bytes);
    EXPECT_EQ(ReadSwitches(ini_).everyHour, c.everyHour);
    EXPECT_TRUE(ReadSwitches(ini_).hidingCheck);
    EXPECT_EQ(ReadSavedEdge(ini_, kKeyStartX, 20000, kPixelIsTwip), c.startX);
    EXPECT_EQ(Count(LoadHolidayTable(ini_)), c.holidays);
    EXPECT_EQ(Count(LoadMessageTable(ini_)), c.messages);

    WriteExitSettings(ini_, 300, 450, kPixelIsTwip, Switches{true, false, true});
    EXPECT_EQ(ReadSavedEdge(ini_, kKeyStartX, 20000, kPixelIsTwip), 300);
    EXPECT_EQ(ReadSavedEdge(ini_, kKeyStartY, 20000, kPixelIsTwip), 450);
    const Switches read = ReadSwitches(ini_);
    EXPECT_TRUE(read.everyHour && !read.everyHourBeep && read.hidingCheck);
    // Lines the exit does not write keep their bytes.
    const std::string after = Content(ini_);
    for (const std::string& kept : {"S01="s, "M01="s}) {
      if (c.bytes.find(kept) != std::string::npos) EXPECT_NE(after.find(kept), std::string::npos) << kept;
    }
    if (c.bytes.find(Garbage(4096)) != std::string::npos) EXPECT_NE(after.find(Garbage(4096)), std::string::npos);
  }
}

TEST_F(BadInputTest, MemosAroundDamageStillReadAndSavesLeaveTheDamageAlone) {
  const std::string a = "2004/09/10=" + Enciphered(u"前のメモ") + "\r\n";
  const std::string common = "Common000=" + Enciphered(u"共通") + "\r\n";
  const std::string b = "2004/09/20=" + Enciphered(u"後のメモ") + "\r\n";
  for (const Damage& damage : Damages()) {
    SCOPED_TRACE(damage.name);
    Put(dat_, "[Mekurinote]\r\n" + a + common + damage.bytes + "\r\n" + b);
    EXPECT_EQ(ReadMemoText(dat_, cipher_, "2004/09/10"), u"前のメモ");
    EXPECT_EQ(ReadMemoText(dat_, cipher_, "2004/09/20"), u"後のメモ");
    EXPECT_TRUE(MemoPresent(dat_, DateFromYmd(2004, 9, 20)));
    EXPECT_EQ(LoadCommonList(dat_, cipher_).items, std::vector<std::u16string>{u"共通"});
    for (const char* key : {"2004/09/12", "2004/09/13", "2004/09/14"}) {
      EXPECT_EQ(ReadMemoText(dat_, cipher_, key), u"") << "a damaged value opens empty";
    }

    ASSERT_EQ(SaveMemoText(dat_, cipher_, "2004/09/20", u"書き換え"), SaveResult::Saved);
    ASSERT_EQ(SaveMemoText(dat_, cipher_, "2004/09/25", u"新しいメモ"), SaveResult::Saved);
    ASSERT_EQ(SaveCommonList(dat_, cipher_, {u"共通", u"追加"}), SaveResult::Saved);
    EXPECT_EQ(ReadMemoText(dat_, cipher_, "2004/09/20"), u"書き換え");
    EXPECT_EQ(ReadMemoText(dat_, cipher_, "2004/09/25"), u"新しいメモ");
    EXPECT_EQ(ReadMemoText(dat_, cipher_, "2004/09/10"), u"前のメモ");
    EXPECT_NE(Content(dat_).find(damage.bytes), std::string::npos) << "the damage is left as it was";

    const std::vector<Date> all = AllMemoDates(Content(dat_));
    for (int day : {10, 20, 25}) EXPECT_TRUE(std::count(all.begin(), all.end(), DateFromYmd(2004, 9, day)));
    DeletePastMemos(dat_, DateFromYmd(2004, 9, 15));
    EXPECT_FALSE(MemoPresent(dat_, DateFromYmd(2004, 9, 10)));
    EXPECT_EQ(ReadMemoText(dat_, cipher_, "2004/09/25"), u"新しいメモ");
    EXPECT_EQ(LoadCommonList(dat_, cipher_).items, (std::vector<std::u16string>{u"共通", u"追加"}));
  }
}

// Damage on line 1 hides the section header there, as Windows reads it (a
// UTF-8 BOM is no BOM to it, FF FE makes the file UTF-16): the memos under
// it stay unread, and a save adds a section behind them that reads back.
TEST_F(BadInputTest, DamageAtTheStartHidesTheFirstSectionButLosesNothing) {
  const std::string memos = "[Mekurinote]\r\n2004/09/10=" + Enciphered(u"前のメモ") + "\r\n";
  for (const std::string& old : {kBom + memos, "\0"s + memos, std::string(4096, '\0'), "\xFF\xFE"s + memos,
                                 "\xFF\xFE"s + memos + "x"}) {
    SCOPED_TRACE(testing::PrintToString(old.substr(0, 4)));
    Put(dat_, old);
    EXPECT_EQ(ReadMemoText(dat_, cipher_, "2004/09/10"), u"");
    ASSERT_EQ(SaveMemoText(dat_, cipher_, "2004/09/25", u"新しいメモ"), SaveResult::Saved);
    ASSERT_EQ(SaveMemoText(dat_, cipher_, "2004/09/26", u"次のメモ"), SaveResult::Saved);
    EXPECT_EQ(ReadMemoText(dat_, cipher_, "2004/09/25"), u"新しいメモ");
    EXPECT_EQ(ReadMemoText(dat_, cipher_, "2004/09/26"), u"次のメモ");
    const std::string now = Content(dat_);
    EXPECT_EQ(now.substr(0, old.size() & ~size_t{1}), old.substr(0, old.size() & ~size_t{1}));
    EXPECT_EQ(now.size() % 2, old.size() % 2) << "a stray last byte stays last";
  }
}

TEST_F(BadInputTest, UnwritableFilesKeepWhatTheyHeld) {
  {
    Put(ini_, "[Mekurinote]\r\nStartX=1200\r\n");
    Put(dat_, "");
    ASSERT_EQ(SaveMemoText(dat_, cipher_, "2004/09/10", u"過去"), SaveResult::Saved);
    ASSERT_EQ(SaveCommonList(dat_, cipher_, {u"共通"}), SaveResult::Saved);
    const std::string ini = Content(ini_), dat = Content(dat_);
    {
      std::optional<Immutable> files[2];
      files[0].emplace(ini_);
      files[1].emplace(dat_);
      if (!files[0]->ok()) GTEST_SKIP() << "chattr +i does not work here";
      WriteExitSettings(ini_, 300, 450, kPixelIsTwip, Switches{false, false, false});
      DeletePastMemos(dat_, DateFromYmd(2004, 9, 15));
      EXPECT_EQ(SaveCommonList(dat_, cipher_, {}), SaveResult::WriteFailed);
      EXPECT_EQ(SaveMemoText(dat_, cipher_, "2004/09/11", u"新"), SaveResult::WriteFailed);
      EXPECT_FALSE(RemoveMemo(dat_, "2004/09/10"));
    }
    EXPECT_EQ(Content(ini_), ini);
    EXPECT_EQ(Content(dat_), dat);
    EXPECT_EQ(ReadSavedEdge(ini_, kKeyStartX, 20000, kPixelIsTwip), 1200) << "the next start reads the old values";
    EXPECT_EQ(ReadMemoText(dat_, cipher_, "2004/09/10"), u"過去");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2) << "no temporary file left";
  }
}

// A hundred years of daily memos: what the grid, a save, the purge and the
// open-all walk do stays within seconds (a rewrite per key would take minutes).
TEST_F(BadInputTest, HundredYearsOfMemosStayQuick) {
  const std::string value = Enciphered(u"毎日のメモ");
  std::string bytes = "[Mekurinote]\r\n";
  const Date first = DateFromYmd(2000, 1, 1);
  for (int i = 0; i < 36500; ++i) bytes += MemoKey(first + i) + "=" + value + "\r\n";
  Put(dat_, bytes);
  const auto start = std::chrono::steady_clock::now();
  const Date shown = DateFromYmd(2050, 6, 1);
  for (int i = 0; i < 92; ++i) ASSERT_TRUE(MemoPresent(dat_, shown + i));
  ASSERT_EQ(ReadMemoText(dat_, cipher_, MemoKey(shown)), u"毎日のメモ");
  ASSERT_EQ(SaveMemoText(dat_, cipher_, MemoKey(shown), u"変更"), SaveResult::Saved);
  ASSERT_EQ(SaveMemoText(dat_, cipher_, "2200/01/01", u"先"), SaveResult::Saved);
  ASSERT_EQ(AllMemoDates(Content(dat_)).size(), 36501u);
  DeletePastMemos(dat_, shown);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(AllMemoDates(Content(dat_)).size(), static_cast<size_t>((first + 36500).serial - shown.serial + 1));
  EXPECT_EQ(ReadMemoText(dat_, cipher_, MemoKey(shown)), u"変更");
  EXPECT_FALSE(MemoPresent(dat_, shown - 1));
  EXPECT_LT(seconds, 20.0);
}

}  // namespace
}  // namespace mekuri
