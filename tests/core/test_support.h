#pragma once
// Shared by the core tests: the cipher's algorithm standing in for the DLL,
// and a file or folder made unwritable even for root.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "cipher/qzl_cipher.h"
#include "memo/memo_store.h"

namespace mekuri {

namespace fs = std::filesystem;

// The DLL's algorithm with a fixed nonce, so stored values are repeatable.
inline CipherLibrary NativeCipher() {
  return {[](const char* in, int32_t length, char* out, int32_t* capacity) -> int32_t {
            return qzl::Encipher(in, length, qzl::Nonce{7, 8, 9}, out, *capacity);
          },
          [](const char* in, int32_t length, char* out, int32_t* capacity) -> int32_t {
            return qzl::Decipher(in, length, out, *capacity);
          }};
}

// Undoes chattr +i however the test ends; root ignores permission bits.
class Immutable {
 public:
  explicit Immutable(const fs::path& path) : path_(path) { ok_ = Chattr("+i"); }
  ~Immutable() { Chattr("-i"); }
  bool ok() const { return ok_; }

 private:
  bool Chattr(const char* flag) {
    return std::system(("chattr " + std::string(flag) + " '" + path_.string() + "' 2>/dev/null").c_str()) == 0;
  }
  fs::path path_;
  bool ok_ = false;
};

}  // namespace mekuri
