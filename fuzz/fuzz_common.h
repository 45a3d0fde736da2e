#pragma once
// Shared by the fuzz targets: a failed check prints what it saw and aborts,
// so libFuzzer keeps the input as a crash.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(cond, ...)                                                                                  \
  do {                                                                                                         \
    if (!(cond)) std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond),               \
                 std::fprintf(stderr, __VA_ARGS__), std::fputc('\n', stderr), std::abort();                  \
  } while (0)

namespace fuzz {

// Reads an input front to back; past its end every byte reads as 0.
class Bytes {
 public:
  Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t Next() { return at_ < size_ ? data_[at_++] : 0; }
  std::string Take(size_t n) {
    n = n < size_ - at_ ? n : size_ - at_;
    std::string out(reinterpret_cast<const char*>(data_ + at_), n);
    at_ += n;
    return out;
  }
  std::string Rest() { return Take(size_ - at_); }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

bool Digit(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace fuzz
