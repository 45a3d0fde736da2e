// The memo file (memos, the common list, the purge) and the settings file, on disk.
#include <optional>

#include "calendar/holidays.h"
#include "commonlist/common_store.h"
#include "settings/settings.h"
#include "test_support.h"
#include "timesignal/scheduled_messages.h"

namespace mekuri {
namespace {

struct StoreTest : TempDir {
  std::string Value(const std::string& key) const { return profile::Read(kMemoSection, key, "", 65536, file_).text; }
};

Date Day(int y, int m, int d) { return DateFromYmd(y, m, d); }

TEST_F(StoreTest, SavedMemosReadBackAsCp932AllowsAndEmptyOnesGo) {
  std::u16string longest;  // 20000 bytes of cp932, several with a "\" trail byte
  while (longest.size() < kMemoMaxChars) longest += u"漢字表ソ";
  for (const auto& [text, back] : {std::pair{longest, longest}, {u"一行目\r\n二行目\r\n", u"一行目\r\n二行目\r\n"},
                                   {u"a한b€c", u"a?b?c"}}) {
    ASSERT_EQ(SaveMemoText(file_, cipher_, "2004/09/10", text), SaveResult::Saved);
    EXPECT_EQ(ReadMemoText(file_, cipher_, "2004/09/10"), back);
  }
  ASSERT_EQ(SaveMemoText(file_, cipher_, "2004/09/11", u"other"), SaveResult::Saved);
  EXPECT_EQ(SaveMemoText(file_, cipher_, "2004/09/10", u""), SaveResult::Saved);
  EXPECT_TRUE(Content(file_).find("2004/09/10") == std::string::npos && ReadMemoText(file_, cipher_, "2004/09/11") == u"other");
  fs::remove(file_);
  EXPECT_FALSE(MemoPresent(file_, Day(2007, 1, 16)));  // no file; below, presence needs a non-empty value
  Put(file_, "[Mekurinote]\r\n2007/01/16=\r\n2007/01/17=\"\"\r\n2007/01/18=Q\r\n[Other]\r\n2007/01/19=QUJD\r\n");
  for (auto [day, present] : {std::pair{16, false}, {17, false}, {18, true}, {19, false}}) EXPECT_EQ(MemoPresent(file_, Day(2007, 1, day)), present) << day;
}

TEST_F(StoreTest, AFailedSaveKeepsTheStoredMemo) {
  const CipherLibrary failing{[](const char*, int32_t, char*, int32_t*) { return 1; }, cipher_.decipher},
      silent{[](const char*, int32_t, char*, int32_t*) { return 0; }, cipher_.decipher};
  const struct { CipherLibrary cipher; bool locked; std::u16string text; SaveResult expected; } cases[] = {
      {CipherLibrary{}, false, u"new", SaveResult::CipherFailed}, {failing, false, u"new", SaveResult::CipherFailed},
      {silent, false, u"new", SaveResult::CipherFailed}, {cipher_, true, u"new", SaveResult::WriteFailed}, {cipher_, true, u"", SaveResult::WriteFailed}};
  for (const auto& c : cases) {
    ASSERT_EQ(SaveMemoText(file_, cipher_, "2004/09/10", u"old"), SaveResult::Saved);
    const std::string before = Content(file_);
    if (c.locked && !SetImmutable(file_, true)) GTEST_SKIP() << "no immutable flag here";
    EXPECT_EQ(SaveMemoText(file_, c.cipher, "2004/09/10", c.text), c.expected);
    if (c.locked) EXPECT_FALSE(RemoveMemo(file_, "2004/09/10"));
    SetImmutable(file_, false);
    EXPECT_EQ(Content(file_), before);
  }
}

TEST_F(StoreTest, UnreadableIsNotAbsentSoTheWindowDoesNotSaveOverIt) {
  ASSERT_EQ(SaveMemoText(file_, cipher_, "2004/09/10", u"秘密のメモ"), SaveResult::Saved);
  const std::string good = Value("2004/09/10");
  std::string flipped = good;
  flipped[12] = flipped[12] == 'A' ? 'B' : 'A';
  const CipherLibrary failing{cipher_.encipher, [](const char*, int32_t, char*, int32_t*) { return 1; }};
  const struct { std::optional<std::string> value; CipherLibrary cipher; Stored state; std::u16string text; } cases[] = {  // nullopt: no key

      {std::nullopt, cipher_, Stored::Absent, u""}, {"", cipher_, Stored::Absent, u""},
      {good, cipher_, Stored::Readable, u"秘密のメモ"}, {*EncipherText(cipher_, u""), cipher_, Stored::Readable, u""},
      {good, CipherLibrary{}, Stored::Unreadable, u""}, {good, failing, Stored::Unreadable, u""},
      {flipped, cipher_, Stored::Unreadable, u""}, {good.substr(0, good.size() - 4), cipher_, Stored::Unreadable, u""},
      {"\x8A\xBF\x8E\x9A", cipher_, Stored::Unreadable, u""}, {good + std::string(70000, 'A'), cipher_, Stored::Unreadable, u""},  // fills the read: maybe cut
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(profile::WriteString(kMemoSection, "2004/09/10", c.value ? c.value->c_str() : nullptr, file_));
    const StoredText read = ReadMemo(file_, c.cipher, "2004/09/10");
    EXPECT_EQ(std::make_pair(read.state, read.text), std::make_pair(c.state, c.text)) << testing::PrintToString(c.value).substr(0, 40);
  }
  fs::create_directory(dir_ / "folder.dat");  // no file to read at all: the memo may be there
  EXPECT_EQ(ReadMemo(dir_ / "folder.dat", cipher_, "2004/09/10").state, Stored::Unreadable);
  EXPECT_EQ(std::make_tuple(FileUnreadable(dir_ / "folder.dat"), FileUnreadable(dir_ / "none.dat"), FileUnreadable(file_)),
            std::make_tuple(true, false, false));
}

TEST_F(StoreTest, PurgeRemovesPastMemosUpToTheFirstBadDate) {
  const std::string head = "; Mekurinote\r\n[Other]\r\n2004/09/03=QUJD\r\n[Mekurinote]\r\nCommon000=QUJD\r\n";
  Put(file_, head + "2003/12/31=QUJD\r\n2004/09/01=\r\n;2004/09/01=comment\r\n2004/09/04 =QUJD\r\n2004/09/05\r\n"
                    "2004/09/09=QUJD\r\n2004/09/10=QUJD\r\nCommon001=2004/09/01\r\n2004/13/45=x\r\n2004/09/02=QUJD\r\n");
  DeletePastMemos(file_, Day(2004, 9, 10));
  EXPECT_EQ(Content(file_), head + "2004/09/01=\r\n;2004/09/01=comment\r\n2004/09/04 =QUJD\r\n2004/09/05\r\n"
                                   "2004/09/10=QUJD\r\nCommon001=2004/09/01\r\n2004/13/45=x\r\n2004/09/02=QUJD\r\n");
  fs::remove(file_);
  DeletePastMemos(file_, Day(2004, 9, 10));
  EXPECT_FALSE(fs::exists(file_));
}

TEST(MemoStoreFormulas, DatesAndWeekdays) {
  const std::pair<std::string, std::vector<Date>> cases[] = {
      {"[Mekurinote]\r\nCommon000=2004/09/10=x\r\n2004/ 9/10=abc\r\n2004/+9/10=abc\r\n2004/09/1x=abc\r\n", {}},
      {"2004/09/10=\r\n2004/02/30=abc\r\n2004/09/11=a\r\n2004/09/12-a\r\n", {Day(2004, 9, 11)}},
      {"2004/09/12=abc,2004/09/11=def\r\n2004/09/12=again\n\n2004/09/10=x", {Day(2004, 9, 10), Day(2004, 9, 11), Day(2004, 9, 12)}},
  };
  for (const auto& [bytes, dates] : cases) EXPECT_EQ(AllMemoDates(bytes), dates) << bytes;
  for (const auto& [date, name] : {std::pair{u"2004/09/10", u"金"}, {u"2004/09/12", u"日"}, {u"2000/02/26", u"土"}, {u"2004/9/10", u""}})
    EXPECT_EQ(WeekdayChar(date), name);
}

TEST_F(StoreTest, CommonListGapsCloseUpAndUnchangedCloseKeepsTheBytes) {
  Put(file_, "[Mekurinote]\r\nCommon000=" + Enciphered(u"一番") + "\r\nCommon002=" + Enciphered(u"二番") +
                 "\r\nCommon005=\r\nCommon007=" + Enciphered(u"") + "\r\n");
  const std::vector<std::u16string> items = LoadCommonList(file_, cipher_).items;
  ASSERT_EQ(items, (std::vector<std::u16string>{u"一番", u"二番"}));
  ASSERT_EQ(SaveCommonList(file_, cipher_, items), SaveResult::Saved);
  EXPECT_EQ(std::make_tuple(DecipherText(cipher_, Value("Common001")), Value("Common002"), Value("Common007")), std::make_tuple(u"二番"s, ""s, ""s));
  EXPECT_NE(Content(file_).find("Common005=\r\n"), std::string::npos) << "an empty value was never an item";
  const std::string first = Content(file_);
  ASSERT_EQ(SaveCommonList(file_, cipher_, LoadCommonList(file_, cipher_).items), SaveResult::Saved);
  EXPECT_EQ(Content(file_), first);
  ASSERT_EQ(SaveCommonList(file_, cipher_, {u"x", u"", u"y"}), SaveResult::Saved);
  EXPECT_NE(Value("Common001"), "");
  EXPECT_EQ(LoadCommonList(file_, cipher_).items, (std::vector<std::u16string>{u"x", u"y"}));
  ASSERT_EQ(SaveCommonList(file_, cipher_, {}), SaveResult::Saved);
  EXPECT_EQ(Content(file_), "[Mekurinote]\r\nCommon005=\r\n");
}

TEST_F(StoreTest, CommonListFailuresKeepTheStoredList) {
  ASSERT_EQ(SaveCommonList(file_, cipher_, {u"keep", u"this"}), SaveResult::Saved);
  const std::string before = Content(file_);
  const CipherLibrary missing, failing{[](const char*, int32_t, char*, int32_t*) { return 1; }, cipher_.decipher};
  EXPECT_TRUE(LoadCommonList(file_, missing).items.empty());
  EXPECT_EQ(std::make_tuple(SaveCommonList(file_, missing, {}), SaveCommonList(file_, missing, {u"new"}), SaveCommonList(file_, failing, {u"new"})),
            std::make_tuple(SaveResult::Saved, SaveResult::CipherFailed, SaveResult::CipherFailed));  // nothing shown, nothing to remove
  EXPECT_EQ(Content(file_), before);
  std::string full = "[Mekurinote]\r\n";  // every key held by a value the list cannot read
  for (int i = 0; i < kCommonKeys; ++i) full += CommonKey(i) + "=x\r\n";
  Put(file_, full);
  EXPECT_EQ(SaveCommonList(file_, cipher_, {u"new"}), SaveResult::WriteFailed);
  EXPECT_EQ(Content(file_), full);
  Put(file_, before);
  if (!SetImmutable(file_, true)) GTEST_SKIP() << "no immutable flag here";
  EXPECT_EQ(SaveCommonList(file_, cipher_, {u"new"}), SaveResult::WriteFailed);
  SetImmutable(file_, false);
  EXPECT_EQ(Content(file_), before);
}

TEST_F(StoreTest, UnreadableCommonValuesKeepTheirKeysAndBytesAndItemsGoAroundThem) {
  const std::string stored[] = {Enciphered(u"一番"), "damaged", Enciphered(u"二番"), std::string(600, 'Q'),
                                Enciphered(u""), "", Enciphered(u"三番")};
  const CipherLibrary failing{cipher_.encipher, [](const char*, int32_t, char*, int32_t*) { return 1; }};
  const std::u16string K = u"<kept>";
  // after: per key its plain text, "" for none, K for the bytes it had
  const struct { CipherLibrary cipher; std::vector<std::u16string> loaded; int unreadable; std::vector<std::u16string> saved, after; } cases[] = {
      {cipher_, {u"一番", u"二番", u"三番"}, 2, {u"一番", u"二番", u"三番", u"追加"}, {u"一番", K, u"二番", K, u"三番", u"追加", u""}},
      {cipher_, {u"一番", u"二番", u"三番"}, 2, {}, {u"", K, u"", K, u"", u"", u""}},
      {CipherLibrary{}, {}, 6, {}, {K, K, K, K, K, u"", K}}, {failing, {}, 6, {u"新"}, {K, K, K, K, K, u"新", K}},
  };
  for (const auto& c : cases) {
    std::string bytes = "[Mekurinote]\r\n";
    for (int i = 0; i < 7; ++i) bytes += CommonKey(i) + "=" + stored[i] + "\r\n";
    Put(file_, bytes);
    const StoredCommonList loaded = LoadCommonList(file_, c.cipher);
    EXPECT_EQ(std::make_pair(loaded.items, loaded.Room()), std::make_pair(c.loaded, size_t{100} - c.unreadable));
    ASSERT_EQ(SaveCommonList(file_, c.cipher, loaded, c.saved), SaveResult::Saved);
    for (int i = 0; i < 7; ++i)
      if (c.after[i] == K) EXPECT_EQ(Value(CommonKey(i)), stored[i]) << CommonKey(i);
      else EXPECT_EQ(DecipherText(cipher_, Value(CommonKey(i))), c.after[i]) << CommonKey(i);
  }
  // Opened while the file could not be read (a folder in its place; a lock on Windows): removes nothing at close.
  fs::remove(file_);
  fs::create_directory(file_);
  const StoredCommonList blind = LoadCommonList(file_, cipher_);
  EXPECT_TRUE(blind.fileUnreadable);
  fs::remove(file_);
  ASSERT_EQ(SaveCommonList(file_, cipher_, {u"一番", u"二番"}), SaveResult::Saved);
  ASSERT_EQ(SaveCommonList(file_, cipher_, blind, {u"新"}), SaveResult::Saved);
  EXPECT_EQ(LoadCommonList(file_, cipher_).items, (std::vector<std::u16string>{u"一番", u"二番", u"新"}));
}

TEST(Settings, SavedEdgeKeepsItOnTheScreenOrAtZero) {
  const std::pair<const char*, std::optional<int32_t>> cases[] = {
      {"", std::nullopt}, {"1200", 1200}, {"-30", 0}, {"99999999", 0}, {"1200.5", 1200}, {"1201.5", 1202},
      {"14400", 14400}, {"14401", 0}, {"abc", 0}, {" 300px", 300}, {"0", 0}};
  for (const auto& [text, edge] : cases) EXPECT_EQ(SavedEdge(text, 14400), edge) << text;
  EXPECT_EQ(SavedEdge("1234567", 2000000), 1234567);
  EXPECT_EQ(SavedEdge("12345678", 99999999), 0);  // too long, whatever the screen
}

TEST_F(StoreTest, SettingsReadAndTheExitWritesOnlyItsKeys) {
  const fs::path ini = dir_ / "Mekurinote.ini";
  EXPECT_EQ(ReadSavedEdge(ini, kKeyStartX, 960, 96), std::nullopt);
  EXPECT_TRUE(ReadSwitch(ini, kKeyHidingCheck));
  Put(ini, "[Mekurinote]\r\nEveryHour=0\r\nEveryHourBeep=00\r\nHidingCheck=\r\nStartX=99999999\r\n"
           "StartY=1200.5\r\nS01=01/01\r\nS02=01:2:2\r\nS03=1/15\r\nS04=02/11\r\nM01=07:30/\x92\xA9\r\n");
  const Switches s = ReadSwitches(ini);
  EXPECT_EQ(std::make_tuple(s.everyHour, s.everyHourBeep, s.hidingCheck, ReadSavedEdge(ini, kKeyStartX, 960, 96), ReadSavedEdge(ini, kKeyStartY, 960, 96)),
            std::make_tuple(false, true, true, std::optional<int32_t>(0), std::optional<int32_t>(80)));
  const HolidayTable holidays = LoadHolidayTable(ini);
  EXPECT_EQ(std::make_tuple(holidays[1], holidays[2], holidays[3]), std::make_tuple("01/01", "01:2:2", ""));
  EXPECT_EQ(LoadMessageTable(ini)[1], u"07:30/朝");

  WriteExitSettings(ini, 80, -32000, 96, Switches{true, false, true});
  const std::string rest = "S01=01/01\r\nS02=01:2:2\r\nS03=1/15\r\nS04=02/11\r\nM01=07:30/\x92\xA9\r\n";
  EXPECT_EQ(Content(ini), "[Mekurinote]\r\nEveryHourBeep=0\r\nStartX=1200\r\nStartY=-480000\r\n" + rest);
  WriteExitSettings(ini, 150, 3, 168, Switches{false, true, false});
  EXPECT_EQ(Content(ini), "[Mekurinote]\r\nStartX=1286\r\nStartY=26\r\n" + rest + "EveryHour=0\r\nHidingCheck=0\r\n");
  // 100% to 350%; at 175%, 225% and 350% a pixel is no whole number of twips.
  for (uint32_t dpi : {0u, 96u, 120u, 144u, 168u, 216u, 336u}) {
    for (int32_t pixels : {0, 1, 151, 1279, 2560}) {
      WriteExitSettings(ini, pixels, 2560 - pixels, dpi, Switches{});
      EXPECT_EQ(std::make_pair(ReadSavedEdge(ini, kKeyStartX, 2560, dpi), ReadSavedEdge(ini, kKeyStartY, 2560, dpi)),
                std::make_pair(std::optional(pixels), std::optional(2560 - pixels))) << pixels << " at " << dpi << " DPI";
    }
  }
}

}  // namespace
}  // namespace mekuri
