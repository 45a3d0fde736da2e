// The common list's stored form and the rules its window follows.
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "commonlist/common_list.h"
#include "commonlist/common_store.h"
#include "platform/profile.h"
#include "test_support.h"

namespace mekuri {
namespace {

class CommonStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("mekuri_common_" + std::to_string(getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    file_ = dir_ / "Mekurinote_user.dat";
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Stored(int i) const { return profile::Read(kMemoSection, CommonKey(i), "", 4096, file_).text; }
  std::string Bytes() const {
    std::ostringstream out;
    out << std::ifstream(file_, std::ios::binary).rdbuf();
    return out.str();
  }
  void Put(const std::string& bytes) { std::ofstream(file_, std::ios::binary | std::ios::trunc) << bytes; }
  std::string Enciphered(std::u16string_view text) const { return *EncipherText(cipher_, text); }

  fs::path dir_;
  fs::path file_;
  CipherLibrary cipher_ = NativeCipher();
};

TEST_F(CommonStoreTest, GapsCloseUpAndLeftoversGo) {
  Put("[Mekurinote]\r\n2004/09/10=" + Enciphered(u"memo") + "\r\nCommon000=" + Enciphered(u"一番") +
      "\r\nCommon002=" + Enciphered(u"二番") + "\r\nCommon005=\r\nCommon007=" + Enciphered(u"") + "\r\n");
  const std::vector<std::u16string> items = LoadCommonList(file_, cipher_).items;
  ASSERT_EQ(items, (std::vector<std::u16string>{u"一番", u"二番"}));
  EXPECT_NE(Stored(0), "") << "opening the window removes nothing";

  ASSERT_EQ(SaveCommonList(file_, cipher_, items), SaveResult::Saved);
  EXPECT_EQ(LoadCommonList(file_, cipher_).items, items);
  EXPECT_EQ(DecipherText(cipher_, Stored(1)), u"二番");
  for (int i : {2, 7}) EXPECT_EQ(Stored(i), "") << CommonKey(i);
  EXPECT_NE(Bytes().find("Common005=\r\n"), std::string::npos) << "an empty value was never an item";
  EXPECT_EQ(ReadMemoText(file_, cipher_, "2004/09/10"), u"memo");
}

TEST_F(CommonStoreTest, CloseWithoutChangesKeepsTheTexts) {
  const std::vector<std::u16string> items = {u"b", u"A", u"C:\\path\\file.txt", u"ｶﾅ漢字"};
  ASSERT_EQ(SaveCommonList(file_, cipher_, items), SaveResult::Saved);
  const std::string first = Bytes();
  ASSERT_EQ(SaveCommonList(file_, cipher_, LoadCommonList(file_, cipher_).items), SaveResult::Saved);
  EXPECT_EQ(Bytes(), first);
  EXPECT_EQ(LoadCommonList(file_, cipher_).items, items);

  // Emptied by a modify: stored, then dropped at the next load.
  ASSERT_EQ(SaveCommonList(file_, cipher_, {u"x", u"", u"y"}), SaveResult::Saved);
  EXPECT_NE(Stored(1), "");
  EXPECT_EQ(LoadCommonList(file_, cipher_).items, (std::vector<std::u16string>{u"x", u"y"}));
  ASSERT_EQ(SaveCommonList(file_, cipher_, {}), SaveResult::Saved);
  EXPECT_EQ(Bytes().find("Common"), std::string::npos);
}

TEST_F(CommonStoreTest, FailuresKeepTheStoredList) {
  ASSERT_EQ(SaveCommonList(file_, cipher_, {u"keep", u"this"}), SaveResult::Saved);
  const std::string before = Bytes();

  const CipherLibrary missing;
  EXPECT_TRUE(LoadCommonList(file_, missing).items.empty());
  EXPECT_EQ(SaveCommonList(file_, missing, {}), SaveResult::Saved) << "nothing shown, nothing to remove";
  EXPECT_EQ(SaveCommonList(file_, missing, {u"new"}), SaveResult::CipherFailed);
  CipherLibrary failing = cipher_;
  failing.encipher = [](const char*, int32_t, char*, int32_t*) { return 1; };
  EXPECT_EQ(SaveCommonList(file_, failing, {u"new"}), SaveResult::CipherFailed);
  EXPECT_EQ(Bytes(), before);

  Immutable locked(file_);
  if (!locked.ok()) GTEST_SKIP() << "chattr +i is not available here";
  EXPECT_EQ(SaveCommonList(file_, cipher_, {u"new"}), SaveResult::WriteFailed);
  EXPECT_EQ(Bytes(), before);
}

// A value the list cannot read keeps its key and its bytes through a close;
// the items go around it and the list holds that many fewer.
TEST_F(CommonStoreTest, UnreadableValuesKeepTheirKeysAndBytes) {
  const std::string stored[] = {Enciphered(u"一番"), "damaged", Enciphered(u"二番"), std::string(600, 'Q'),
                                Enciphered(u""),     "",        Enciphered(u"三番")};
  CipherLibrary failing = cipher_;
  failing.decipher = [](const char*, int32_t, char*, int32_t*) { return 1; };
  const std::u16string K = u"<kept>";
  struct Case {
    const char* name;
    CipherLibrary cipher;
    std::vector<std::u16string> loaded;
    int unreadable;
    std::vector<std::u16string> saved;
    std::vector<std::u16string> after;  // per key: its plain text, "" for none, K for the bytes it had
  } cases[] = {
      {"library, one added", cipher_, {u"一番", u"二番", u"三番"}, 2, {u"一番", u"二番", u"三番", u"追加"},
       {u"一番", K, u"二番", K, u"三番", u"追加", u""}},
      {"library, all deleted", cipher_, {u"一番", u"二番", u"三番"}, 2, {}, {u"", K, u"", K, u"", u"", u""}},
      {"no library", CipherLibrary{}, {}, 6, {}, {K, K, K, K, K, u"", K}},
      {"library cannot decipher", failing, {}, 6, {u"新"}, {K, K, K, K, K, u"新", K}},
  };
  for (const Case& c : cases) {
    std::string bytes = "[Mekurinote]\r\n";
    for (int i = 0; i < 7; ++i) bytes += CommonKey(i) + "=" + stored[i] + "\r\n";
    Put(bytes);
    const StoredCommonList loaded = LoadCommonList(file_, c.cipher);
    EXPECT_EQ(loaded.items, c.loaded) << c.name;
    EXPECT_EQ(loaded.unreadable, c.unreadable) << c.name;
    EXPECT_EQ(loaded.Room(), 100u - c.unreadable) << c.name;
    ASSERT_EQ(SaveCommonList(file_, c.cipher, loaded, c.saved), SaveResult::Saved) << c.name;
    for (int i = 0; i < 7; ++i) {
      if (c.after[i] == K) {
        EXPECT_EQ(Stored(i), stored[i]) << c.name << " " << CommonKey(i);
      } else {
        EXPECT_EQ(DecipherText(cipher_, Stored(i)), c.after[i]) << c.name << " " << CommonKey(i);
      }
    }
  }
}

// Opened while the memo file could not be read (a folder in its place here;
// a lock by another program on Windows), the list removes nothing at close.
TEST_F(CommonStoreTest, AListThatCouldNotReadTheFileRemovesNothing) {
  fs::create_directory(file_);
  const StoredCommonList blind = LoadCommonList(file_, cipher_);
  EXPECT_TRUE(blind.fileUnreadable);
  fs::remove(file_);
  ASSERT_EQ(SaveCommonList(file_, cipher_, {u"一番", u"二番"}), SaveResult::Saved);
  ASSERT_EQ(SaveCommonList(file_, cipher_, blind, {u"新"}), SaveResult::Saved);
  const StoredCommonList now = LoadCommonList(file_, cipher_);
  EXPECT_EQ(now.items, (std::vector<std::u16string>{u"一番", u"二番", u"新"}));
  EXPECT_FALSE(now.fileUnreadable);
}

TEST(CommonListRules, ButtonsFollowTheCount) {
  for (auto [count, room, add, others] : {std::tuple{0, 100, true, false}, {1, 100, true, true}, {99, 100, true, true},
                                         {100, 100, false, true}, {97, 97, false, true}, {96, 97, true, true}}) {
    const CommonButtons b = ButtonsFor(count, room);
    EXPECT_EQ(b.add, add) << count;
    EXPECT_EQ(b.modify, others) << count;
    EXPECT_EQ(b.remove, others) << count;
  }
}

TEST(CommonListRules, AddRefusesPlaceholderRepeatsAndEmptyText) {
  EXPECT_EQ(DecideAdd(false, u"x", u"", true), AddStep::Ignore);
  EXPECT_EQ(DecideAdd(true, u"", u"", true), AddStep::Refocus);
  EXPECT_EQ(DecideAdd(true, u"x", u"x", true), AddStep::Refocus);
  EXPECT_EQ(DecideAdd(true, u"（ここに追加したい文字列を入力します）", u"", false), AddStep::Prompt);
  EXPECT_EQ(DecideAdd(true, u"x", u"X", true), AddStep::Append) << "a repeat must match exactly";
}

TEST(CommonListRules, DropsAreLimitedAndLongPathsCut) {
  EXPECT_EQ(CheckDrop(0, 11), DropCheck::TooManyFiles);
  EXPECT_EQ(CheckDrop(95, 10), DropCheck::ListFull);
  EXPECT_EQ(CheckDrop(90, 10), DropCheck::Accept);
  EXPECT_EQ(CheckDrop(100, 0), DropCheck::Accept);
  EXPECT_EQ(CheckDrop(90, 10, 99), DropCheck::ListFull) << "values kept unread take room";

  // Cut at 97 units and "...", never between the two halves of a character
  // beyond the basic plane (U+20BB7 here).
  const std::u16string pair = u"\U00020BB7";
  const std::u16string x96(96, u'x'), x95(95, u'x');
  const struct {
    std::u16string path, item;
  } cases[] = {
      {u"C:\\" + std::u16string(147, u'あ'), u"C:\\" + std::u16string(94, u'あ') + u"..."},
      {std::u16string(100, u'x'), std::u16string(100, u'x')},
      {x96 + pair + u"tail", x96 + u"..."},
      {x95 + pair + u"tail", x95 + pair + u"..."},
      {std::u16string(98, u'x') + pair, std::u16string(98, u'x') + pair},
  };
  for (const auto& c : cases) EXPECT_EQ(DroppedItemText(c.path), c.item) << c.path.size();
}

TEST(CommonListRules, MenuEntriesDependOnTheList) {
  auto ids = [](size_t count, bool selected) {
    std::vector<uint16_t> out;
    for (const ListMenuEntry& e : ListMenuEntries(count, selected)) out.push_back(e.id);
    return out;
  };
  EXPECT_EQ(ids(0, false), (std::vector<uint16_t>{kListClose}));
  EXPECT_EQ(ids(3, false), (std::vector<uint16_t>{kListSortAscending, kListSortDescending, 0, kListCheckAll,
                                                  kListUncheckAll, 0, kListDeleteChecked, 0, kListDeleteAll, 0,
                                                  kListClose}));
  const std::vector<uint16_t> selected = ids(3, true);
  ASSERT_EQ(selected.size(), 13u);
  EXPECT_EQ(selected[6], kListDeleteOne);
  EXPECT_EQ(selected[7], 0);
}

TEST(CommonListRules, KeysNeedExactlyCtrl) {
  EXPECT_EQ(ListKeyAction('A', 2), ListKey::CheckAll);
  EXPECT_EQ(ListKeyAction('A', 3), ListKey::None);
  EXPECT_EQ(ListKeyAction('D', 6), ListKey::None);
  EXPECT_EQ(ListKeyAction(45, 2), ListKey::Copy);
  EXPECT_EQ(ListKeyAction('C', 2), ListKey::Copy);
  EXPECT_EQ(ListKeyAction(46, 0), ListKey::DeleteOne);
  EXPECT_EQ(ListKeyAction(46, 2), ListKey::None);
  EXPECT_EQ(ListKeyAction('A', 0), ListKey::None);
}

TEST(CommonListRules, SelectionAfterDeleteAndClock) {
  EXPECT_EQ(SelectionAfterDelete(2, 4), 2) << "the item that moved into place";
  EXPECT_EQ(SelectionAfterDelete(4, 4), 3) << "the new last";
  EXPECT_EQ(SelectionAfterDelete(0, 0), -1);
  EXPECT_EQ(SelectionAfterDelete(-1, 3), -1);
  EXPECT_EQ(ClockCaption(u"共通情報", 9, 5), u"共通情報 09:05");
  EXPECT_EQ(ClockCaption(u"共通情報 23:59", 0, 0), u"共通情報 00:00");
}

}  // namespace
}  // namespace mekuri
