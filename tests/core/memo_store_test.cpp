#include "memo/memo_store.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "test_support.h"
#include "platform/profile.h"

namespace mekuri {
namespace {

namespace fs = std::filesystem;

class MemoStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("mekuri_memo_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    file_ = dir_ / "Mekurinote_user.dat";
  }
  void TearDown() override { fs::remove_all(dir_); }
  void Put(const std::string& bytes) { std::ofstream(file_, std::ios::binary | std::ios::trunc) << bytes; }
  std::string Content() const {
    std::ostringstream out;
    out << std::ifstream(file_, std::ios::binary).rdbuf();
    return out.str();
  }
  std::string Stored(const char* key) const { return profile::Read(kMemoSection, key, "", 65536, file_).text; }

  fs::path dir_;
  fs::path file_;
  const CipherLibrary cipher_ = NativeCipher();
};

Date Ymd(int y, int m, int d) { return DateFromYmd(y, m, d); }

std::u16string Repeat(std::u16string_view unit, size_t chars) {
  std::u16string text;
  while (text.size() < chars) text += unit;
  return text;
}

TEST_F(MemoStoreTest, SavedMemoReadsBackAsCp932Allows) {
  struct Case {
    std::u16string text;
    std::u16string expected;
  } cases[] = {
      // 20000 bytes of cp932, several 表/ソ with a "\" trail byte: the stored
      // value is far longer than 16383 characters.
      {Repeat(u"漢字表ソ", kMemoMaxChars), Repeat(u"漢字表ソ", kMemoMaxChars)},
      {u"一行目\r\n二行目\r\n", u"一行目\r\n二行目\r\n"},
      {u"a한b€c", u"a?b?c"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(SaveMemoText(file_, cipher_, "2004/09/10", c.text), SaveResult::Saved);
    EXPECT_EQ(ReadMemoText(file_, cipher_, "2004/09/10"), c.expected);
    EXPECT_TRUE(MemoPresent(file_, Ymd(2004, 9, 10)));
    if (c.text.size() == kMemoMaxChars) EXPECT_GT(Stored("2004/09/10").size(), 16383u);
  }
}

TEST_F(MemoStoreTest, EmptySaveRemovesTheKey) {
  ASSERT_EQ(SaveMemoText(file_, cipher_, "2004/09/10", u"memo"), SaveResult::Saved);
  ASSERT_EQ(SaveMemoText(file_, cipher_, "2004/09/11", u"other"), SaveResult::Saved);
  EXPECT_EQ(SaveMemoText(file_, cipher_, "2004/09/10", u""), SaveResult::Saved);
  EXPECT_EQ(Content().find("2004/09/10"), std::string::npos);
  EXPECT_FALSE(MemoPresent(file_, Ymd(2004, 9, 10)));
  EXPECT_EQ(ReadMemoText(file_, cipher_, "2004/09/11"), u"other");
}

TEST_F(MemoStoreTest, PresenceNeedsANonEmptyValue) {
  EXPECT_FALSE(MemoPresent(file_, Ymd(2007, 1, 16)));  // no file
  Put("[Mekurinote]\r\n2007/01/16=\r\n2007/01/17=\"\"\r\n2007/01/18=QUJD\r\n[Other]\r\n2007/01/19=QUJD\r\n");
  const std::pair<Date, bool> cases[] = {{Ymd(2007, 1, 16), false},
                                         {Ymd(2007, 1, 17), false},
                                         {Ymd(2007, 1, 18), true},
                                         {Ymd(2007, 1, 19), false}};
  for (auto [date, present] : cases) EXPECT_EQ(MemoPresent(file_, date), present) << FormatDate(date, "yyyy/mm/dd");
}

TEST_F(MemoStoreTest, FailedSaveKeepsTheStoredMemo) {
  const CipherLibrary failing{[](const char*, int32_t, char*, int32_t*) { return 1; }, cipher_.decipher};
  const CipherLibrary silent{[](const char*, int32_t, char*, int32_t*) { return 0; }, cipher_.decipher};
  struct Case {
    const char* name;
    CipherLibrary cipher;
    const char* locked;  // "file" or none
    std::u16string text;
    SaveResult expected;
  } cases[] = {
      {"no library", CipherLibrary{}, nullptr, u"new", SaveResult::CipherFailed},
      {"library fails", failing, nullptr, u"new", SaveResult::CipherFailed},
      {"library gives nothing", silent, nullptr, u"new", SaveResult::CipherFailed},
      {"read-only file", cipher_, "file", u"new", SaveResult::WriteFailed},
      {"read-only file, removal", cipher_, "file", u"", SaveResult::WriteFailed},
  };
  for (const Case& c : cases) {
    fs::remove(file_);
    ASSERT_EQ(SaveMemoText(file_, cipher_, "2004/09/10", u"old"), SaveResult::Saved);
    const std::string before = Content();
    SaveResult result;
    {
      std::optional<Immutable> guard;
      if (c.locked) {
        guard.emplace(file_);
        if (!guard->ok()) GTEST_SKIP() << "chattr +i does not work here";
      }
      result = SaveMemoText(file_, c.cipher, "2004/09/10", c.text);
    }
    EXPECT_EQ(result, c.expected) << c.name;
    EXPECT_EQ(Content(), before) << c.name;
    EXPECT_EQ(ReadMemoText(file_, cipher_, "2004/09/10"), u"old") << c.name;
  }
}

// A stored memo the window cannot read is told apart from no memo, so that
// the window keeps it rather than saving an empty text over it.
TEST_F(MemoStoreTest, UnreadableIsNotAbsent) {
  ASSERT_EQ(SaveMemoText(file_, cipher_, "2004/09/10", u"秘密のメモ"), SaveResult::Saved);
  const std::string good = Stored("2004/09/10");
  std::string flipped = good;
  flipped[12] = flipped[12] == 'A' ? 'B' : 'A';
  const CipherLibrary failing{cipher_.encipher, [](const char*, int32_t, char*, int32_t*) { return 1; }};
  using State = mekuri::Stored;
  struct Case {
    const char* name;
    std::optional<std::string> value;  // nullopt: no key
    CipherLibrary cipher;
    State state;
    std::u16string text;
  } cases[] = {
      {"no key", std::nullopt, cipher_, State::Absent, u""},
      {"empty value", "", cipher_, State::Absent, u""},
      {"readable", good, cipher_, State::Readable, u"秘密のメモ"},
      {"enciphered empty text", *EncipherText(cipher_, u""), cipher_, State::Readable, u""},
      {"no library", good, CipherLibrary{}, State::Unreadable, u""},
      {"library fails", good, failing, State::Unreadable, u""},
      {"one character changed", flipped, cipher_, State::Unreadable, u""},
      {"cut short", good.substr(0, good.size() - 4), cipher_, State::Unreadable, u""},
      {"not base64", "not base64!", cipher_, State::Unreadable, u""},
      {"cp932 bytes", "\x8A\xBF\x8E\x9A", cipher_, State::Unreadable, u""},
      {"longer than the read", good + std::string(70000, 'A'), cipher_, State::Unreadable, u""},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(profile::WriteString(kMemoSection, "2004/09/10", c.value ? c.value->c_str() : nullptr, file_));
    const StoredText read = ReadMemo(file_, c.cipher, "2004/09/10");
    EXPECT_EQ(read.state, c.state) << c.name;
    EXPECT_EQ(read.text, c.text) << c.name;
  }
  fs::create_directory(dir_ / "folder.dat");  // no file to read at all: the memo may be there
  EXPECT_EQ(ReadMemo(dir_ / "folder.dat", cipher_, "2004/09/10").state, State::Unreadable);
}

TEST_F(MemoStoreTest, PurgeRemovesPastMemosUpToTheFirstBadDate) {
  const std::string head = "; Mekurinote\r\n[Other]\r\n2004/09/03=QUJD\r\n[Mekurinote]\r\nCommon000=QUJD\r\n";
  Put(head +
      "2003/12/31=QUJD\r\n;2004/09/01=comment\r\n2004/09/09=QUJD\r\n2004/09/10=QUJD\r\n2004/09/11=QUJD\r\n"
      "Common001=2004/09/01\r\n2004/13/45=x\r\n2004/09/02=QUJD\r\n");
  DeletePastMemos(file_, Ymd(2004, 9, 10));
  EXPECT_EQ(Content(), head +
                           ";2004/09/01=comment\r\n2004/09/10=QUJD\r\n2004/09/11=QUJD\r\n"
                           "Common001=2004/09/01\r\n2004/13/45=x\r\n2004/09/02=QUJD\r\n");

  fs::remove(file_);
  DeletePastMemos(file_, Ymd(2004, 9, 10));
  EXPECT_FALSE(fs::exists(file_));
}

TEST_F(MemoStoreTest, AllMemoDatesTakesOnlyWellFormedKeys) {
  const std::pair<std::string, std::vector<Date>> cases[] = {
      {"[Mekurinote]\r\nCommon000=2004/09/10=x\r\n2004/ 9/10=abc\r\n2004/+9/10=abc\r\n", {}},
      {"2004/09/10=\r\n2004/02/30=abc\r\n2004/09/11=a\r\n", {Ymd(2004, 9, 11)}},
      {"2004/09/12=abc,2004/09/11=def\r\n2004/09/12=again\r\n2004/09/10=x", {Ymd(2004, 9, 10), Ymd(2004, 9, 11), Ymd(2004, 9, 12)}},
  };
  for (const auto& [bytes, dates] : cases) EXPECT_EQ(AllMemoDates(bytes), dates) << bytes;
}

TEST(MemoStoreFormulas, WeekdayAndCapacity) {
  const std::pair<std::u16string, std::u16string> days[] = {
      {u"2004/09/10", u"金"}, {u"2004/09/12", u"日"}, {u"2000/02/29", u"火"}, {u"2004/9/10", u""}};
  for (const auto& [date, name] : days) EXPECT_EQ(WeekdayChar(date), name);
  const std::pair<int32_t, int32_t> capacities[] = {{0, 13}, {3, 17}, {10, 25}, {10000, 13345}};
  for (auto [bytes, capacity] : capacities) EXPECT_EQ(EncipherCapacity(bytes), capacity) << bytes;
}

}  // namespace
}  // namespace mekuri
