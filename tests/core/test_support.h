#pragma once
// Shared by the core tests: one temporary folder per test, file helpers, and the cipher standing in for the DLL.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "cipher/qzl_cipher.h"
#include "memo/memo_store.h"
#include "platform/profile.h"

namespace mekuri {

namespace fs = std::filesystem;
using namespace std::string_literals;

inline void Put(const fs::path& file, const std::string& bytes) { std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes; }
inline std::string Content(const fs::path& file) { return (std::ostringstream() << std::ifstream(file, std::ios::binary).rdbuf()).str(); }

// Root ignores permission bits; the immutable flag stops even root.
inline bool SetImmutable(const fs::path& path, bool on) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
  int flags = 0;
  bool ok = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
  ok = ok && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  if (fd >= 0) close(fd);
  return ok;
}

// A fresh folder per test, gone afterwards; the engine forgets every file.
class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("mekuri_" + std::to_string(getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    file_ = dir_ / "Mekurinote_user.dat";
    profile::ClearCache();
  }
  void TearDown() override {
    SetImmutable(file_, false), SetImmutable(dir_, false);
    fs::remove_all(dir_);
  }
  size_t FilesInFolder() const { return std::distance(fs::directory_iterator(dir_), fs::directory_iterator()); }
  std::string Enciphered(std::u16string_view text) const { return *EncipherText(cipher_, text); }

  fs::path dir_, file_;
  // The DLL's algorithm with a fixed nonce, so stored values are repeatable.
  const CipherLibrary cipher_{[](const char* in, int32_t n, char* out, int32_t* cap) { return qzl::Encipher(in, n, qzl::Nonce{7, 8, 9}, out, *cap); },
                              [](const char* in, int32_t n, char* out, int32_t* cap) { return qzl::Decipher(in, n, out, *cap); }};
};

}  // namespace mekuri
