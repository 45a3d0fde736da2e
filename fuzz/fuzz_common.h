#pragma once
// Small helpers shared by the fuzz targets: a failed check prints what it saw
// and aborts, so libFuzzer stores the input as a crash.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#define FUZZ_CHECK(cond, ...)                                                  \
  do {                                                                         \
    if (!(cond)) {                                                             \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      std::fprintf(stderr, __VA_ARGS__);                                       \
      std::fprintf(stderr, "\n");                                              \
      std::abort();                                                            \
    }                                                                          \
  } while (0)

namespace fuzz {

// Reads an input front to back; past the end every byte reads as 0, so a
// short input is still a whole (if dull) program.
class Bytes {
 public:
  Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Empty() const { return at_ >= size_; }
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

// Printable form of bytes for failure messages.
inline std::string Show(std::string_view bytes) {
  std::string out = "\"";
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out + "\"";
}

}  // namespace fuzz
