#include "platform/profile.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include "platform/profile_testing.h"

namespace mekuri {
namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;
using Text = std::optional<std::string>;  // nullopt stands for a null pointer

const char* Ptr(const Text& text) { return text ? text->c_str() : nullptr; }

class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("mekuri_profile_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    file_ = dir_ / "memo.dat";
  }
  void TearDown() override {
    Immutable(file_, false);
    Immutable(dir_, false);
    profile::testing::SetStopAfterTempFile(false);
    profile::SetDurableWrites(true);
    fs::remove_all(dir_);
  }
  // As another program would: the engine is told nothing.
  void Put(const std::string& bytes, const fs::path& file = {}) {
    std::ofstream(file.empty() ? file_ : file, std::ios::binary | std::ios::trunc) << bytes;
  }
  std::string Content() const {
    std::ostringstream out;
    out << std::ifstream(file_, std::ios::binary).rdbuf();
    return out.str();
  }
  // The count, and the buffer up to the last byte the call wrote (the rest
  // must still hold the sentinel).
  std::pair<uint32_t, std::string> Get(const Text& sec, const Text& key, const Text& def, uint32_t cap) {
    std::string buffer(cap + 8, '\xCC');
    const uint32_t count = profile::GetString(Ptr(sec), Ptr(key), Ptr(def), buffer.data(), cap, file_);
    buffer.erase(buffer.find_last_not_of('\xCC') + 1);
    return {count, buffer};
  }
  bool Write(const Text& sec, const Text& key, const Text& value) {
    return profile::WriteString(Ptr(sec), Ptr(key), Ptr(value), file_);
  }
  // Sets the mtime (and so the ctime) of the file an hour back, as for a
  // file that was last written long ago.
  void Age(const fs::path& file, time_t seconds = 3600) {
    const timespec times[2] = {{time(nullptr) - static_cast<time_t>(seconds), 0},
                               {time(nullptr) - static_cast<time_t>(seconds), 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
  }
  // Root ignores permission bits; the immutable flag stops even root.
  static bool Immutable(const fs::path& path, bool on) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    ok = ok && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    close(fd);
    return ok;
  }
  size_t FilesInFolder() const {
    return std::distance(fs::directory_iterator(dir_), fs::directory_iterator());
  }

  fs::path dir_;
  fs::path file_;
};

struct ReadCase {
  const char* note;
  Text file;  // nullopt: no file
  Text sec, key, def;
  uint32_t cap;
  uint32_t count;
  std::string buffer;
};

TEST_F(ProfileTest, ReadsAsWindowsDoes) {
  const std::string n18 = "[s]\r\nname1=a\r\nname2=b\r\nname3=c\r\n";
  const std::string q = "[q]\r\nq1=\"v\"\r\nq3=\"v'\r\nq6=  \" a \"  \r\nq10=''x''\r\n";
  const std::string v13 = "[s]\r\nk=value\r\n";
  const std::string v14 = "[s]\r\nk=a\x95\x5C\x8E\xA6\r\n";
  const ReadCase cases[] = {
      {"plain", "[sec]\r\nkey=value\r\n", "sec", "key", "d", 100, 5, "value\0"s},
      {"blanks", "  [  sec  ]  \r\n  key  =  value  x  \r\n", "  sec  ", "  key  ", "d", 100, 8, "value  x\0"s},
      {"case", "[SeC]\r\nKeY=v\r\n", "sEc", "kEy", "d", 100, 1, "v\0"s},
      {"first section only", "[a]\r\nk=1\r\n[b]\r\nx=0\r\n[A]\r\nk=2\r\nj=3\r\n", "a", "j", "d", 100, 1, "d\0"s},
      {"sections", "[a]\r\nk=1\r\n[b]\r\nx=0\r\n[A]\r\nk=2\r\nj=3\r\n", {}, {}, "d", 100, 6, "a\0b\0A\0\0"s},
      {"first key", "[a]\r\nk=1\r\nK=2\r\n", "a", "k", "d", 100, 1, "1\0"s},
      {"keys with duplicates", "[a]\r\nk=1\r\nK=2\r\n", "a", {}, "d", 100, 4, "k\0K\0\0"s},
      {"quotes", q, "q", "q1", "", 100, 1, "v\0"s},
      {"mismatched quotes", q, "q", "q3", "", 100, 3, "\"v'\0"s},
      {"blanks in quotes", q, "q", "q6", "", 100, 3, " a \0"s},
      {"one pair only", q, "q", "q10", "", 100, 3, "'x'\0"s},
      {"no equals", "[s]\r\nfoo\r\nk=v\r\n", "s", "foo", "d", 100, 1, "d\0"s},
      {"no equals unlisted", "[s]\r\nfoo\r\nk=v\r\n", "s", {}, "d", 100, 2, "k\0\0"s},
      {"comment", "[s]\r\n;c=1\r\nk=v\r\n#h=3\r\n", "s", ";c", "d", 100, 1, "d\0"s},
      {"hash no comment", "[s]\r\n;c=1\r\nk=v\r\n#h=3\r\n", "s", "#h", "d", 100, 1, "3\0"s},
      {"comment unlisted", "[s]\r\n;c=1\r\n  ;x=2\r\nk=v\r\n#h=3\r\n", "s", {}, "", 100, 5, "k\0#h\0\0"s},
      {"CR lines", "[s]\rk=v\rj=w\r", "s", "j", "d", 100, 1, "w\0"s},
      {"header ends at first ]", "[a]b]\r\nk=1\r\n", "a", "k", "d", 100, 1, "1\0"s},
      {"not at last ]", "[a]b]\r\nk=1\r\n", "a]b", "k", "d", 100, 1, "d\0"s},
      {"header without ]", "[abc\r\nk=3\r\n", "abc", "k", "d", 100, 1, "3\0"s},
      {"before first header", "k=v\r\n[s]\r\n", "", "k", "d", 100, 1, "d\0"s},
      {"empty header", "k=v\r\n[]\r\nk=w\r\n", "", "k", "d", 100, 1, "w\0"s},
      {"cap 0", v13, "s", "k", "d", 0, 0, ""},
      {"cap 1", v13, "s", "k", "d", 1, 0, "\0"s},
      {"cap 2", v13, "s", "k", "d", 2, 1, "v\0"s},
      {"cap 5", v13, "s", "k", "d", 5, 4, "valu\0"s},
      {"cap 6", v13, "s", "k", "d", 6, 5, "value\0"s},
      {"pair fits", v14, "s", "k", "d", 6, 5, "a\x95\x5C\x8E\xA6\0"s},
      {"cut after pair", v14, "s", "k", "d", 4, 3, "a\x95\x5C\0"s},
      {"cut never splits", v14, "s", "k", "d", 3, 1, "a\0"s},
      {"default never splits", v13, "s", "x", "\x95\x5C\x95\x5C", 4, 2, "\x95\x5C\0"s},
      {"empty value", "[s]\r\ne=\r\nn\r\n", "s", "e", "d", 100, 0, "\0"s},
      {"line without =", "[s]\r\ne=\r\nn\r\n", "s", "n", "d", 100, 1, "d\0"s},
      {"no file", {}, "s", "k", "def", 100, 3, "def\0"s},
      {"default trailing", v13, "s", "x", "abc   ", 100, 3, "abc\0"s},
      {"default leading", v13, "s", "x", "  abc", 100, 5, "  abc\0"s},
      {"default blank", v13, "s", "x", "   ", 100, 0, "\0"s},
      {"default quoted", v13, "s", "x", "\"q\"", 100, 3, "\"q\"\0"s},
      {"null default", v13, "s", "x", {}, 100, 0, "\0"s},
      {"list cut", n18, "s", {}, "", 16, 14, "name1\0name2\0na\0\0"s},
      {"list exact fit", n18, "s", {}, "", 19, 17, "name1\0name2\0name3\0\0"s},
      {"list cap 2", n18, "s", {}, "", 2, 0, "\0\0"s},
      {"list cut never splits", "[s]\r\nk=1\r\n\x95\x5C=2\r\n", "s", {}, "", 5, 2, "k\0\0\0\0"s},
      {"empty section list", "[s]\r\n;c\r\n", "s", {}, "", 10, 0, "\0"s},
      {"no file sections", {}, {}, {}, "", 10, 0, "\0"s},
      {"UTF-8 BOM", "\xEF\xBB\xBF[s]\r\nk=v\r\n", "s", "k", "d", 100, 1, "d\0"s},
      {"trail ] in header", "[\x83\x5D]\r\nk=2\r\n", "\x83\x5D", "k", "d", 100, 1, "2\0"s},
      {"trail [ in header", "[\x81\x5B]\r\nk=2\r\n", "\x81\x5B", "k", "d", 100, 1, "2\0"s},
      {"trail never folded", "[s]\r\n\x83\x41=1\r\n", "s", "\x83\x61", "d", 100, 1, "d\0"s},
      {"TAB and VT trimmed", "[s]\r\n\tk\v=\t v \v\r\n", "s", "k", "d", 100, 1, "v\0"s},
      {"tab in argument kept", "[s]\r\nk=v\r\n", "s", "\tk", "d", 100, 1, "d\0"s},
      {"ideographic space kept", "[s]\r\nk=\x81\x40v\x81\x40\r\n", "s", "k", "d", 100, 5, "\x81\x40v\x81\x40\0"s},
      {"NUL ends value", "[s]\r\nk=ab\0cd\r\n"s, "s", "k", "d", 100, 2, "ab\0"s},
      {"UTF-16", "\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0\x68\x88\r\0\n\0"s, "s", "k", "d", 100, 2, "\x95\x5C\0"s},
  };
  for (const ReadCase& c : cases) {
    profile::ClearCache();
    std::error_code ignored;
    fs::remove(file_, ignored);
    if (c.file) Put(*c.file);
    EXPECT_EQ(Get(c.sec, c.key, c.def, c.cap), std::make_pair(c.count, c.buffer)) << c.note;
  }
}

struct WriteCase {
  const char* note;
  Text before;
  std::vector<std::array<Text, 3>> writes;
  std::string after;
};

TEST_F(ProfileTest, WritesChangeOnlyTheLinesTheyMust) {
  const WriteCase cases[] = {
      {"new file", {}, {{"sec", "key", "value"}}, "[sec]\r\nkey=value\r\n"},
      {"new key and section", "[sec]\r\nkey=value\r\n", {{"sec", "key2", "v2"}, {"sec2", "k", "v"}},
       "[sec]\r\nkey=value\r\nkey2=v2\r\n[sec2]\r\nk=v\r\n"},
      {"new key before trailing comments", "[a]\r\nk=1\r\n\r\n;c\r\n\r\n[b]\r\nx=2\r\n", {{"a", "new", "v"}},
       "[a]\r\nk=1\r\nnew=v\r\n\r\n;c\r\n\r\n[b]\r\nx=2\r\n"},
      {"new key after header", "[a]\r\n;c\r\n[b]\r\n", {{"a", "k", "v"}}, "[a]\r\nk=v\r\n;c\r\n[b]\r\n"},
      {"unterminated last line", "[sec]\r\nkey=value", {{"SEC", "KEY", "value2"}}, "[sec]\r\nkey=value2\r\n"},
      {"key after unterminated", "[a]\r\nk=1", {{"a", "j", "2"}}, "[a]\r\nk=1\r\nj=2\r\n"},
      {"section after unterminated", "[a]\r\nk=1", {{"b", "x", "y"}}, "[a]\r\nk=1\r\n[b]\r\nx=y\r\n"},
      {"line ends and spacing kept", "  [s]  \nk=1\r  j = 2 \n;x\r\n", {{"s", "J", "3"}},
       "  [s]  \nk=1\rj=3\n;x\r\n"},
      {"key deletes", "[a]\r\nk=1\r\nj=2\r\n", {{"a", "K", {}}, {"a", "j", {}}, {"a", "nokey", {}}}, "[a]\r\n"},
      {"first duplicate only", "[a]\r\nk=1\r\n[A]\r\nk=2\r\n", {{"a", "k", {}}}, "[a]\r\n[A]\r\nk=2\r\n"},
      {"section delete keeps comments", ";comment0\r\n[sec]\r\n;comment1\r\n[sec2]\r\n;comment2\r\n",
       {{"sec", {}, ""}, {"sec2", {}, ""}}, ";comment0\r\n;comment1\r\n;comment2\r\n"},
      {"section delete keeps others", "[a]\r\nk=1\r\n\r\nfoo\r\n[b]\r\n", {{"a", {}, {}}}, "\r\nfoo\r\n[b]\r\n"},
      {"value as given", {}, {{"a", "k", "  v  "}}, "[a]\r\nk=  v  \r\n"},
      {"names lose spaces", {}, {{"  s  ", "  k  ", "v"}}, "[s]\r\nk=v\r\n"},
      {"other bytes kept", "[a]\r\nx=ab\x95\r\ny=\x85\x40\r\n", {{"a", "k", "v"}},
       "[a]\r\nx=ab\x95\r\ny=\x85\x40\r\nk=v\r\n"},
      {"line breaks in value", {}, {{"a", "k", "line1\r\nline2=x"}}, "[a]\r\nk=line1\r\nline2=x\r\n"},
      {"double-byte names", {}, {{"\x95\x5C", "\x83\x5C", "\x95\x5C\x8E\xA6\x81\x40"}},
       "[\x95\x5C]\r\n\x83\x5C=\x95\x5C\x8E\xA6\x81\x40\r\n"},
      {"UTF-16 stays UTF-16", "\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0\x31\0\r\0\n\0"s, {{"s", "k", "\x95\x5C"}, {"s", "j", "2"}},
       "\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0\x68\x88\r\0\n\0j\0=\0\x32\0\r\0\n\0"s},
  };
  for (const WriteCase& c : cases) {
    profile::ClearCache();
    std::error_code ignored;
    fs::remove(file_, ignored);
    if (c.before) Put(*c.before);
    for (const auto& [sec, key, value] : c.writes) EXPECT_TRUE(Write(sec, key, value)) << c.note;
    EXPECT_EQ(Content(), c.after) << c.note;
  }
  fs::remove(file_);
  ASSERT_TRUE(Write("a", "k", "line1\r\nline2=x"));
  EXPECT_EQ(Get("a", "line2", "d", 100).second, "x\0"s);
  EXPECT_FALSE(Write({}, "k", "v"));
  EXPECT_FALSE(profile::WriteString("a", "k", "v", fs::path()));
}

TEST_F(ProfileTest, WritesThatChangeNothingLeaveTheFileAlone) {
  Put("[a]\r\nk = v \r\nq=\" x \"\r\n");
  Age(file_);
  struct stat before {};
  ASSERT_EQ(stat(file_.c_str(), &before), 0);
  for (const auto& [sec, key, value] : std::vector<std::array<Text, 3>>{
           {"a", "K", "v"}, {"a", "q", " x "}, {"a", "q", "\" x \""}, {"a", "no", {}}, {"b", "no", {}}, {"b", {}, {}}}) {
    EXPECT_TRUE(Write(sec, key, value));
  }
  struct stat after {};
  ASSERT_EQ(stat(file_.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  fs::remove(file_);
  EXPECT_TRUE(Write("a", "k", {}));  // nothing to delete: no file is made
  EXPECT_FALSE(fs::exists(file_));
}

TEST_F(ProfileTest, ChangesByAnotherProgramAreSeenAtTheNextCall) {
  Put("[s]\r\nk=1\r\n");
  EXPECT_EQ(Get("s", "k", "d", 10).second, "1\0"s);
  Put("[s]\r\nk=22\r\n");  // vector 33: same second
  EXPECT_EQ(Get("s", "k", "d", 10).second, "22\0"s);
  Put("[s]\r\nk=33\r\n");  // same size, same moment
  EXPECT_EQ(Get("s", "k", "d", 10).second, "33\0"s);
  EXPECT_TRUE(Write("s", "k", "44"));
  Put("[s]\r\nk=55\r\n");  // right after our own write
  EXPECT_EQ(Get("s", "k", "d", 10).second, "55\0"s);

  // An old file is read once; then only its stamp is checked. The inode's
  // change time is new, though, and counts as a write.
  Age(file_);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(Get("s", "k", "d", 10).second, "55\0"s);
  const uint64_t reads = profile::testing::FileReads();
  EXPECT_EQ(Get("s", "k", "d", 10).second, "55\0"s);
  EXPECT_EQ(profile::testing::FileReads(), reads);

  // Same size and the same old mtime: in place, then replaced by a rename.
  Put("[s]\r\nk=66\r\n");
  Age(file_);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(Get("s", "k", "d", 10).second, "66\0"s);
  Put("[s]\r\nk=77\r\n", dir_ / "other");
  Age(dir_ / "other");
  fs::rename(dir_ / "other", file_);
  EXPECT_EQ(Get("s", "k", "d", 10).second, "77\0"s);
  fs::remove(file_);
  EXPECT_EQ(Get("s", "k", "d", 10).second, "d\0"s);
}

TEST_F(ProfileTest, CrashBeforeTheRenameLeavesTheOldFile) {
  ASSERT_TRUE(Write("s", "k", "old"));
  profile::testing::SetStopAfterTempFile(true);
  EXPECT_FALSE(Write("s", "k", "new"));
  EXPECT_FALSE(Write("s", "j", "new"));
  profile::testing::SetStopAfterTempFile(false);
  EXPECT_EQ(Content(), "[s]\r\nk=old\r\n");
  EXPECT_EQ(FilesInFolder(), 3u);  // the file and the two complete temporary files
  EXPECT_EQ(Get("s", "k", "d", 10).second, "old\0"s);
  EXPECT_TRUE(Write("s", "k", "next"));
  EXPECT_EQ(Content(), "[s]\r\nk=next\r\n");
}

TEST_F(ProfileTest, TemporaryFilesOfEndedWritersGoAtTheFirstWrite) {
  const pid_t ended = fork();
  if (ended == 0) _exit(0);
  ASSERT_GT(ended, 0);
  waitpid(ended, nullptr, 0);
  const fs::path stale = dir_ / ("memo.dat." + std::to_string(ended) + "-0.tmp");
  const fs::path running = dir_ / ("memo.dat." + std::to_string(getppid()) + "-0.tmp");
  const fs::path other = dir_ / ("other.dat." + std::to_string(ended) + "-0.tmp");
  for (const fs::path& temp : {stale, running, other}) Put("[s]\r\nk=to", temp);
  ASSERT_TRUE(Write("s", "k", "v"));
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(running));
  EXPECT_TRUE(fs::exists(other));
  EXPECT_EQ(Content(), "[s]\r\nk=v\r\n");
}

TEST_F(ProfileTest, RefusedWritesKeepTheFileAndALockedFolderIsWrittenInPlace) {
  EXPECT_FALSE(profile::WriteString("s", "k", "v", dir_ / "missing" / "memo.dat"));
  EXPECT_FALSE(profile::WriteString("s", "k", nullptr, dir_ / "missing" / "memo.dat"));
  EXPECT_FALSE(fs::exists(dir_ / "missing"));

  ASSERT_TRUE(Write("s", "k", "v"));
  if (!Immutable(file_, true)) GTEST_SKIP() << "no immutable flag here";
  EXPECT_FALSE(Write("s", "k", "w"));
  EXPECT_FALSE(Write("s", "k", {}));
  Immutable(file_, false);
  EXPECT_EQ(Content(), "[s]\r\nk=v\r\n");
  EXPECT_EQ(Get("s", "k", "d", 10).second, "v\0"s);

  // A folder where files may be changed but not created: written in place.
  ASSERT_TRUE(Immutable(dir_, true));
  EXPECT_TRUE(Write("s", "k", "longer value"));
  EXPECT_TRUE(Write("s", "k", "w"));
  Immutable(dir_, false);
  EXPECT_EQ(Content(), "[s]\r\nk=w\r\n");
  EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(ProfileTest, AFileReachedThroughALinkIsWrittenThroughItWithItsMode) {
  fs::create_directory(dir_ / "real");
  const fs::path target = dir_ / "real" / "memo.dat";
  Put("[s]\r\nk=v\r\n", target);
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink(target, file_);
  ASSERT_TRUE(Write("s", "k", "w"));
  EXPECT_TRUE(fs::is_symlink(file_));
  EXPECT_EQ(Content(), "[s]\r\nk=w\r\n");
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(ProfileTest, ManyFilesAndTwoThreadsStayConsistent) {
  profile::SetDurableWrites(false);  // flushing proves nothing here and takes seconds
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 7; ++i) {
      const fs::path file = dir_ / ("f" + std::to_string(i));
      const std::string value = std::to_string(i * 10 + round);
      ASSERT_TRUE(profile::WriteString("s", "k", value.c_str(), file));
      for (int j = 0; j <= i; ++j) {
        EXPECT_EQ(profile::Read("s", "k", "", 10, dir_ / ("f" + std::to_string(j))).text,
                  std::to_string(j * 10 + round));
      }
    }
  }
  auto worker = [this](const char* key) {
    for (int i = 0; i < 200; ++i) {
      profile::WriteString("s", key, std::to_string(i).c_str(), file_);
      profile::Read("s", key, "", 10, file_);
    }
  };
  std::thread a(worker, "a");
  std::thread b(worker, "b");
  a.join();
  b.join();
  EXPECT_EQ(profile::Read("s", "a", "", 10, file_).text, "199");
  EXPECT_EQ(profile::Read("s", "b", "", 10, file_).text, "199");
}

}  // namespace
}  // namespace mekuri
