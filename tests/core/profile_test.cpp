#include "platform/profile.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <array>
#include <optional>
#include <thread>

#include "platform/profile_testing.h"
#include "test_support.h"

namespace mekuri {
namespace {

using Text = std::optional<std::string>;  // nullopt stands for a null pointer
const char* Ptr(const Text& text) { return text ? text->c_str() : nullptr; }

class ProfileTest : public TempDir {
 protected:
  void TearDown() override { profile::SetDurableWrites(true), TempDir::TearDown(); }
  // The count, and the buffer up to the last byte the call wrote (the rest must still hold the sentinel).
  std::pair<uint32_t, std::string> Get(const Text& sec, const Text& key, const Text& def, uint32_t cap) {
    std::string buffer(cap + 8, '\xCC');
    const uint32_t count = profile::GetString(Ptr(sec), Ptr(key), Ptr(def), buffer.data(), cap, file_);
    buffer.erase(buffer.find_last_not_of('\xCC') + 1);
    return {count, buffer};
  }
  std::string Value(const char* key) { return profile::Read("s", key, "d", 100, file_).text; }
  bool Write(const Text& sec, const Text& key, const Text& value) { return profile::WriteString(Ptr(sec), Ptr(key), Ptr(value), file_); }
  static void Age(const fs::path& file) {  // as one last written an hour ago
    const timespec times[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
  }
};

TEST_F(ProfileTest, ReadsAsWindowsDoes) {
  const std::string n18 = "[s]\r\nname1=a\r\nname2=b\r\nname3=c\r\n", v13 = "[s]\r\nk=value\r\n";
  const std::string q = "[q]\r\nq1=\"v\"\r\nq3=\"v'\r\nq6=  \" a \"  \r\nq10=''x''\r\n", v14 = "[s]\r\nk=a\x95\x5C\x8E\xA6\r\n";
  const std::string dup = "[a]\r\nk=1\r\n[b]\r\nx=0\r\n[A]\r\nk=2\r\nj=3\r\nK=4\r\n";
  const struct { Text file, sec, key, def; uint32_t cap, count; std::string buffer; } cases[] = {  // file nullopt: no file
      {"[sec]\r\nkey=value\r\n", "sec", "key", "d", 100, 5, "value\0"s},
      {"  [  sec  ]  \r\n  key  =  value  x  \r\n", "  sec  ", "  key  ", "d", 100, 8, "value  x\0"s},
      {"[SeC]\r\nKeY=v\r\n", "sEc", "kEy", "d", 100, 1, "v\0"s}, {dup, "a", "j", "d", 100, 1, "d\0"s},  // the first section of a name only
      {dup, {}, {}, "d", 100, 6, "a\0b\0A\0\0"s}, {dup, "A", "k", "d", 100, 1, "1\0"s},
      {dup, "b", "X", "d", 100, 1, "0\0"s}, {"[a]\r\nk=1\r\nK=2\r\n", "a", {}, "d", 100, 4, "k\0K\0\0"s},
      {q, "q", "q1", "", 100, 1, "v\0"s}, {q, "q", "q3", "", 100, 3, "\"v'\0"s}, {q, "q", "q6", "", 100, 3, " a \0"s},
      {q, "q", "q10", "", 100, 3, "'x'\0"s}, {"[s]\r\nfoo\r\nk=v\r\n", "s", "foo", "d", 100, 1, "d\0"s},
      {"[s]\r\nfoo\r\nk=v\r\n", "s", {}, "d", 100, 2, "k\0\0"s}, {"[s]\r\n;c=1\r\nk=v\r\n#h=3\r\n", "s", ";c", "d", 100, 1, "d\0"s},
      {"[s]\r\n;c=1\r\nk=v\r\n#h=3\r\n", "s", "#h", "d", 100, 1, "3\0"s}, {"[s]\r\n;c=1\r\n  ;x=2\r\nk=v\r\n#h=3\r\n", "s", {}, "", 100, 5, "k\0#h\0\0"s},
      {"[s]\rk=v\rj=w\r", "s", "j", "d", 100, 1, "w\0"s}, {"[s]\nk=v\n\nj=w", "s", "j", "d", 100, 1, "w\0"s},
      {"[a]b]\r\nk=1\r\n", "a", "k", "d", 100, 1, "1\0"s}, {"[a]b]\r\nk=1\r\n", "a]b", "k", "d", 100, 1, "d\0"s},
      {"[abc\r\nk=3\r\n", "abc", "k", "d", 100, 1, "3\0"s}, {"k=v\r\n[s]\r\n", "", "k", "d", 100, 1, "d\0"s},
      {"k=v\r\n[]\r\nk=w\r\n", "", "k", "d", 100, 1, "w\0"s}, {v13, "s", "k", "d", 0, 0, ""},
      {v13, "s", "k", "d", 1, 0, "\0"s}, {v13, "s", "k", "d", 2, 1, "v\0"s}, {v13, "s", "k", "d", 6, 5, "value\0"s},
      {v14, "s", "k", "d", 6, 5, "a\x95\x5C\x8E\xA6\0"s}, {v14, "s", "k", "d", 4, 3, "a\x95\x5C\0"s},
      {v14, "s", "k", "d", 3, 1, "a\0"s},  // a cut never splits a pair
      {v13, "s", "x", "\x95\x5C\x95\x5C", 4, 2, "\x95\x5C\0"s}, {"[s]\r\ne=\r\nn\r\n", "s", "e", "d", 100, 0, "\0"s}, {"[ ]\r\n  =v\r\n", " ", "", "d", 100, 1, "v\0"s},
      {{}, "s", "k", "def", 100, 3, "def\0"s}, {v13, "s", "x", "abc   ", 100, 3, "abc\0"s},
      {v13, "s", "x", "  abc", 100, 5, "  abc\0"s}, {v13, "s", "x", "\"q\"", 100, 3, "\"q\"\0"s},
      {v13, "s", "x", {}, 100, 0, "\0"s}, {n18, "s", {}, "", 16, 14, "name1\0name2\0na\0\0"s},
      {n18, "s", {}, "", 19, 17, "name1\0name2\0name3\0\0"s}, {n18, "s", {}, "", 18, 16, "name1\0name2\0name\0\0"s},
      {n18, "s", {}, "", 2, 0, "\0\0"s}, {n18, "x", {}, "", 10, 0, "\0"s},
      {n18, "s", {}, "", 20, 18, "name1\0name2\0name3\0\0"s},  // a list that just fits gets one closing NUL
      {"[s]\r\nk=1\r\n\x95\x5C=2\r\n", "s", {}, "", 5, 2, "k\0\0\0\0"s}, {"[s]\r\n;c\r\n", "s", {}, "", 10, 0, "\0"s}, {{}, {}, {}, "", 10, 0, "\0"s},
      {"\xEF\xBB\xBF[s]\r\nk=v\r\n", "s", "k", "d", 100, 1, "d\0"s},  // a UTF-8 BOM is no BOM
      {"[\xFE]\r\nk=1\r\n", "\xFE", "k", "d", 100, 1, "1\0"s},  // nor 0xFE as the second byte alone
      {"[\x83\x5D]\r\nk=2\r\n", "\x83\x5D", "k", "d", 100, 1, "2\0"s},  // trail bytes ] and [
      {"[\x81\x5B]\r\nk=2\r\n", "\x81\x5B", "k", "d", 100, 1, "2\0"s},
      {"[s]\r\n\x83\x41=1\r\n", "s", "\x83\x61", "d", 100, 1, "d\0"s},  // trail letters never folded
      {"[s]\r\n9n3i=1\r\n", "s", "acx0ha", "d", 100, 1, "d\0"s},  // two names of one hash
      {"[s]\r\n\tk\v=\t v \v\r\n", "s", "k", "d", 100, 1, "v\0"s}, {"[s]\r\nk=v\r\n", "s", "\tk", "d", 100, 1, "d\0"s},
      {"[s]\r\nk=\x81\x40v\x81\x40\r\n", "s", "k", "d", 100, 5, "\x81\x40v\x81\x40\0"s}, {"[s]\r\nk=ab\0cd\r\n"s, "s", "k", "d", 100, 2, "ab\0"s},
      {"\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0\x68\x88\r\0\n\0j\0=\0w\0"s, "s", "j", "d", 100, 1, "w\0"s},
      {"\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0\x68\x88\r\0\n\0"s, "s", "k", "d", 100, 2, "\x95\x5C\0"s},
  };
  for (const auto& c : cases) {
    profile::ClearCache(), fs::remove(file_);
    if (c.file) Put(file_, *c.file);
    EXPECT_EQ(Get(c.sec, c.key, c.def, c.cap), std::make_pair(c.count, c.buffer))
        << testing::PrintToString(c.file) << " " << testing::PrintToString(c.key) << " cap " << c.cap;
  }
  EXPECT_EQ(profile::Read("s\0x"s, "k\0y"s, "d", 100, file_).count, 2u);  // arguments end at a NUL
}

TEST_F(ProfileTest, WritesChangeOnlyTheLinesTheyMust) {
  const struct { Text before; std::vector<std::array<Text, 3>> writes; std::string after; } cases[] = {
      {{}, {{"sec", "key", "value"}}, "[sec]\r\nkey=value\r\n"},
      {"[sec]\r\nkey=value\r\n", {{"sec", "key2", "v2"}, {"sec2", "k", "v"}},
       "[sec]\r\nkey=value\r\nkey2=v2\r\n[sec2]\r\nk=v\r\n"},
      {"[a]\r\nk=1\r\n\r\n;c\r\n\r\n[b]\r\nx=2\r\n", {{"a", "new", "v"}}, "[a]\r\nk=1\r\nnew=v\r\n\r\n;c\r\n\r\n[b]\r\nx=2\r\n"},
      {"[a]\r\n;c\r\n[b]\r\n", {{"a", "k", "v"}}, "[a]\r\nk=v\r\n;c\r\n[b]\r\n"}, {"[a]", {{"a", "k", "v"}}, "[a]\r\nk=v\r\n"},
      {"[sec]\r\nkey=value", {{"SEC", "KEY", "value2"}}, "[sec]\r\nkey=value2\r\n"}, {"[a]\r\nk=1", {{"a", "j", "2"}}, "[a]\r\nk=1\r\nj=2\r\n"},
      {"[a]\nk=1", {{"b", "x", "y"}}, "[a]\nk=1\r\n[b]\r\nx=y\r\n"}, {"  [s]  \nk=1\r  j = 2 \n;x\r\n", {{"s", "J", "3"}}, "  [s]  \nk=1\rj=3\n;x\r\n"},
      {"[a]\r\nk=1\r\nj=2\r\n", {{"a", "K", {}}, {"a", "j", {}}, {"a", "nokey", {}}}, "[a]\r\n"},
      {"[a]\r\nk=1\r\n[A]\r\nk=2\r\n", {{"a", "k", {}}}, "[a]\r\n[A]\r\nk=2\r\n"},
      {";c0\r\n[sec]\r\n;c1\r\n[sec2]\r\n;c2\r\n", {{"sec", {}, ""}, {"sec2", {}, ""}}, ";c0\r\n;c1\r\n;c2\r\n"},
      {"[a]\r\nk=1\r\n\r\nfoo\r\n[b]\r\n", {{"a", {}, {}}}, "\r\nfoo\r\n[b]\r\n"}, {{}, {{"  s  ", "  k  ", "  v  "}}, "[s]\r\nk=  v  \r\n"},
      {"[a]\r\nx=ab\x95\r\ny=\x85\x40\r\n", {{"a", "k", "v"}}, "[a]\r\nx=ab\x95\r\ny=\x85\x40\r\nk=v\r\n"},
      {{}, {{"a", "k", "line1\r\nline2=x"}}, "[a]\r\nk=line1\r\nline2=x\r\n"},
      {{}, {{"\x95\x5C", "\x83\x5C", "\x95\x5C\x81\x40"}}, "[\x95\x5C]\r\n\x83\x5C=\x95\x5C\x81\x40\r\n"},
      {"\xFF\xFE[\0s\0]\0\r\0\n\0 \0k\0 \0=\0\x31\0\r\0\n\0"s, {{"s", "k", "\x95\x5C"}, {"s", "j", "2"}, {"t", "u", "v"}},
       "\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0\x68\x88\r\0\n\0j\0=\0\x32\0\r\0\n\0[\0t\0]\0\r\0\n\0u\0=\0v\0\r\0\n\0"s},
      {"\xFF\xFE[\0s\0]\0\r\0\n\0x"s, {{"t", "u", "v"}}, "\xFF\xFE[\0s\0]\0\r\0\n\0[\0t\0]\0\r\0\n\0u\0=\0v\0\r\0\n\0x"s},
  };
  for (const auto& c : cases) {
    profile::ClearCache(), fs::remove(file_);
    if (c.before) Put(file_, *c.before);
    for (const auto& [sec, key, value] : c.writes) EXPECT_TRUE(Write(sec, key, value)) << c.after;
    EXPECT_EQ(Content(file_), c.after);
  }
  EXPECT_FALSE(Write({}, "k", "v") || profile::WriteString("a", "k", "v", fs::path()) || profile::WriteKeys(nullptr, {{"k", "v"}}, {}, file_) ||
               profile::DeleteKeys(nullptr, {"k"}, file_));
}

TEST_F(ProfileTest, WritesThatChangeNothingLeaveTheFileAlone) {
  EXPECT_TRUE(Write("a", "k", {}) && profile::DeleteKeys("a", {"k"}, file_));  // nothing to delete: no file is made
  EXPECT_FALSE(fs::exists(file_));
  Put(file_, "[a]\r\nk = v \r\nq=\" x \"\r\n[b]\r\n");
  Age(file_);
  struct stat before {};
  ASSERT_EQ(stat(file_.c_str(), &before), 0);
  for (const auto& [sec, key, value] : std::vector<std::array<Text, 3>>{
           {"a", "K", "v"}, {"a", "q", " x "}, {"a", "q", "\" x \""}, {"a", "no", {}}, {"c", "no", {}}, {"c", {}, {}}})
    EXPECT_TRUE(Write(sec, key, value));
  EXPECT_TRUE(profile::WriteKeys("a", {{"k", "v"}, {"q", " x "}}, {"no"}, file_) && profile::WriteKeys("a", {}, {}, file_) &&
              profile::DeleteKeys("a", {}, file_) && profile::DeleteKeys("b", {"k"}, file_) && profile::DeleteKeys("c", {"k"}, file_));
  struct stat after {};
  ASSERT_EQ(stat(file_.c_str(), &after), 0);
  EXPECT_EQ(std::make_pair(after.st_ino, after.st_mtim.tv_sec), std::make_pair(before.st_ino, before.st_mtim.tv_sec));
  ASSERT_TRUE(Write("a", "k", "w"));
  ASSERT_EQ(stat(file_.c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino) << "a change replaces the file whole";
  ASSERT_TRUE(profile::DeleteKeys(" a ", {" K ", " q "}, file_));  // the batch trims names as the single calls do
  EXPECT_EQ(Content(file_), "[a]\r\n[b]\r\n");
  Put(file_, "[a]\r\nk=1\r\nK=2\r\nk=3"), profile::ClearCache();  // each repeated name takes its next line
  EXPECT_TRUE(profile::DeleteKeys("a", {"k", "k"}, file_) && profile::WriteKeys("a", {{"j", "2"}}, {}, file_));
  EXPECT_EQ(Content(file_), "[a]\r\nk=3\r\nj=2\r\n");
}

TEST_F(ProfileTest, ChangesByAnotherProgramAreSeenAtTheNextCall) {
  Put(file_, "[s]\r\nk=1\r\n");
  EXPECT_EQ(Value("k"), "1");
  Put(file_, "[s]\r\nk=2\r\n");  // same size, same moment
  EXPECT_TRUE(Value("k") == "2" && Write("s", "k", "3"));
  Put(file_, "[s]\r\nk=4\r\n");  // right after our own write
  EXPECT_EQ(Value("k"), "4");
  Age(file_);  // an old file is read once, then only its stamp is checked; its inode's change time is new, though
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(Value("k"), "4");
  const uint64_t reads = profile::testing::FileReads();
  EXPECT_EQ(Value("k") + std::to_string(profile::testing::FileReads() - reads), "40");
  Put(file_, "[s]\r\nk=5\r\n");
  Age(file_);
  EXPECT_EQ(Value("k"), "5");
  Put(dir_ / "other", "[s]\r\nk=6\r\n"), Age(dir_ / "other");
  fs::rename(dir_ / "other", file_);
  EXPECT_EQ(Value("k"), "6");
  ASSERT_TRUE(Write("s", "k", "7"));  // our own write vouches for the file at once
  const uint64_t written = profile::testing::FileReads();
  EXPECT_EQ(Value("k") + std::to_string(profile::testing::FileReads() - written), "70");
  fs::remove(file_);
  EXPECT_EQ(std::make_pair(Value("k"), profile::ReadBytes(file_)), std::make_pair("d"s, std::optional<std::string>()));
  fs::create_directory(file_);  // a folder in the file's place
  EXPECT_TRUE(profile::ReadBytes(file_) == std::nullopt && !Write("s", "k", "v"));
  Put(file_.string() + ".restore", "[s]\r\nk=copy\r\n");
  EXPECT_FALSE(Write("s", "k", "v")) << "a copy that cannot be put back";
  const fs::path huge = dir_ / "huge.ini";  // past the engine's size limit: unreadable, never written
  Put(huge, "[s]\r\nk=v\r\n");
  fs::resize_file(huge, (uint64_t{1} << 30) + 1);
  EXPECT_TRUE(profile::Read("s", "k", "d", 10, huge).text == "d" && !profile::WriteString("s", "k", "w", huge));
}

TEST_F(ProfileTest, AnInterruptedWriteLeavesTheOldFileOrItsCopy) {
  ASSERT_TRUE(Write("s", "k", "old"));
  profile::testing::SetStopAfterTempFile(true);
  EXPECT_FALSE(Write("s", "k", "new") || Write("s", "j", "new"));
  profile::testing::SetStopAfterTempFile(false);  // the file and two complete temporary files:
  EXPECT_EQ(std::make_tuple(Content(file_), FilesInFolder(), Value("k")), std::make_tuple("[s]\r\nk=old\r\n"s, size_t{3}, "old"s));
  profile::testing::SetRenameRefused(true);  // as for a file held open elsewhere: written in place, the copy kept meanwhile
  EXPECT_TRUE(Write("s", "k", "in place"));
  EXPECT_EQ(std::make_pair(Content(file_), FilesInFolder()), std::make_pair("[s]\r\nk=in place\r\n"s, size_t{3}));
  profile::testing::SetInPlaceCut(7);  // torn in place: the new version stays beside the file for the next call to complete
  EXPECT_FALSE(Write("s", "k", "torn"));
  EXPECT_TRUE(fs::exists(file_.string() + ".restore"));
  profile::testing::SetInPlaceCut(-1), profile::testing::SetRenameRefused(false);
  EXPECT_TRUE(Value("k") == "torn" && !fs::exists(file_.string() + ".restore"));
  profile::testing::SetRenameRefused(true), profile::testing::SetInPlaceCut(3);
  EXPECT_FALSE(Write("s", "k", "torn again"));
  profile::testing::SetInPlaceCut(-1), profile::testing::SetRenameRefused(false);
  EXPECT_TRUE(Write("s", "j", "next"));
  EXPECT_EQ(std::make_pair(Content(file_), FilesInFolder()), std::make_pair("[s]\r\nk=torn again\r\nj=next\r\n"s, size_t{3}));
}

TEST_F(ProfileTest, AWriteThatCannotFinishReportsFailureAndKeepsTheFile) {
  ASSERT_TRUE(Write("s", "k", "v"));
  signal(SIGXFSZ, SIG_IGN);
  rlimit old {};
  getrlimit(RLIMIT_FSIZE, &old);
  auto full = [&](bool on) {  // the disk is full after 64 bytes
    rlimit limit = old;
    if (on) limit.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  };
  const std::string big(200, 'x');
  full(true);
  const bool replaced = Write("s", "k", big), batch = profile::WriteKeys("s", {{"k", big}}, {}, file_);
  profile::testing::SetRenameRefused(true);
  const bool refused = Write("s", "k", big);
  profile::testing::SetRenameRefused(false), full(false);
  EXPECT_FALSE(replaced || batch || refused);
  EXPECT_EQ(std::make_pair(Content(file_), FilesInFolder()), std::make_pair("[s]\r\nk=v\r\n"s, size_t{1}));
  if (!SetImmutable(dir_, true)) GTEST_SKIP() << "no immutable flag here";
  full(true);
  const bool inPlace = Write("s", "k", big);
  full(false);
  EXPECT_FALSE(inPlace) << "no copy can be made here, as with the platform's own functions";
}

TEST_F(ProfileTest, TemporaryFilesOfEndedWritersGoAtTheFirstWrite) {
  const pid_t ended = fork();
  if (ended == 0) _exit(0);
  ASSERT_GT(ended, 0);
  waitpid(ended, nullptr, 0);
  const std::string e = std::to_string(ended), name = file_.filename().string();
  const std::pair<std::string, bool> temps[] = {
      {name + "." + e + "-0.tmp", true},          {name + "." + e + "-123456789.tmp", true},
      {name + ".123456789-0.tmp", true},          {name + ".1234567890-0.tmp", false},
      {name + "." + std::to_string(getppid()) + "-0.tmp", false}, {name + "." + std::to_string(getpid()) + "-9.tmp", false},
      {"other.dat." + e + "-0.tmp", false},       {name + "." + e + ".tmp", false}, {name + "." + e + "-.tmp", false},          {name + ".-0.tmp", false},
      {name + "." + e + "-0x.tmp", false},        {name + "." + e + "-0.tmpx", false},
      {name + "x" + e + "-0.tmp", false},         {name + ".tmp", false}};
  for (const auto& [temp, gone] : temps) Put(dir_ / temp, "[s]\r\nk=to");
  ASSERT_TRUE(Write("s", "k", "v"));
  for (const auto& [temp, gone] : temps) EXPECT_NE(fs::exists(dir_ / temp), gone) << temp;
  EXPECT_EQ(Content(file_), "[s]\r\nk=v\r\n");
  Put(dir_ / temps[0].first, "[s]\r\nk=to");
  ASSERT_TRUE(Write("s", "k", "w"));
  EXPECT_TRUE(fs::exists(dir_ / temps[0].first)) << "only the first write of a process looks";
}

TEST_F(ProfileTest, RefusedWritesKeepTheFileAndALockedFolderIsWrittenInPlace) {
  const fs::path missing = dir_ / "missing" / "memo.dat";
  for (bool ok : {profile::WriteString("s", "k", "v", missing), profile::WriteString("s", "k", nullptr, missing),
                  profile::WriteKeys("s", {{"k", "v"}}, {}, missing), profile::WriteKeys("s", {}, {"k"}, missing), fs::exists(dir_ / "missing")})
    EXPECT_FALSE(ok);
  const fs::path longest = dir_ / std::string(250, 'n');  // no room left for a temporary name: refused, kept
  Put(longest, "[s]\r\nk=v\r\n");
  EXPECT_TRUE(!profile::WriteString("s", "k", "w", longest) && Content(longest) == "[s]\r\nk=v\r\n");
  fs::remove(longest);
  ASSERT_TRUE(Write("s", "k", "v"));
  if (!SetImmutable(file_, true)) GTEST_SKIP() << "no immutable flag here";
  for (bool ok : {Write("s", "k", "w"), Write("s", "k", {}), Write("s", "k", "v"), profile::WriteKeys("s", {{"k", "v"}}, {}, file_),
                  profile::DeleteKeys("s", {"k"}, file_)})
    EXPECT_FALSE(ok) << "Windows opens the file even for no change";
  SetImmutable(file_, false);
  EXPECT_EQ(Content(file_), "[s]\r\nk=v\r\n");
  ASSERT_TRUE(SetImmutable(dir_, true));  // files may be changed but not created: written in place
  EXPECT_TRUE(Write("s", "k", "longer value") && Write("s", "k", "w"));
  SetImmutable(dir_, false);
  EXPECT_EQ(std::make_pair(Content(file_), FilesInFolder()), std::make_pair("[s]\r\nk=w\r\n"s, size_t{1}));
}

TEST_F(ProfileTest, AFileReachedThroughALinkIsWrittenThroughItWithItsMode) {
  fs::create_directory(dir_ / "real");
  const fs::path target = dir_ / "real" / "memo.dat";
  Put(target, "[s]\r\nk=v\r\n");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink(target, file_);
  ASSERT_TRUE(Write("s", "k", "w"));
  EXPECT_TRUE(fs::is_symlink(file_) && Content(target) == "[s]\r\nk=w\r\n");
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
  Put(file_.string() + ".restore", "[s]\r\nk=r\r\n");  // a copy that cannot be renamed over the target is written into it
  if (!SetImmutable(dir_ / "real", true)) GTEST_SKIP() << "no immutable flag here";
  const bool wrote = Write("s", "j", "2");
  SetImmutable(dir_ / "real", false);
  EXPECT_TRUE(wrote && Content(target) == "[s]\r\nk=r\r\nj=2\r\n" && !fs::exists(file_.string() + ".restore"));
}

TEST_F(ProfileTest, ManyFilesAndTwoThreadsStayConsistent) {
  profile::SetDurableWrites(false);  // flushing proves nothing here and takes seconds
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 7; ++i) {
      ASSERT_TRUE(profile::WriteString("s", "k", std::to_string(i * 10 + round).c_str(), dir_ / std::to_string(i)));
      for (int j = 0; j <= i; ++j) EXPECT_EQ(profile::Read("s", "k", "", 10, dir_ / std::to_string(j)).text, std::to_string(j * 10 + round));
    }
  }
  auto worker = [this](const char* key) {
    for (int i = 0; i < 200; ++i) profile::WriteString("s", key, std::to_string(i).c_str(), file_), profile::Read("s", key, "", 10, file_);
  };
  std::thread a(worker, "a"), b(worker, "b");
  a.join(), b.join();
  EXPECT_EQ(Value("a") + Value("b"), "199199");
}


}  // namespace
}  // namespace mekuri
