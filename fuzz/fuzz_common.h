#pragma once
// Shared by the fuzz targets: a failed check prints what it saw and aborts, so libFuzzer keeps the input as a crash.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(cond, ...)                                                                                           \
  do {                                                                                                                  \
    if (!(cond)) std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond),                        \
                 std::fprintf(stderr, __VA_ARGS__), std::fputc('\n', stderr), std::abort();                           \
  } while (0)

namespace fuzz {

// Reads an input front to back; past its end every byte reads as 0.
struct Bytes {
  Bytes(const uint8_t* data, size_t size) : data(data), size(size) {}
  uint8_t Next() { return at < size ? data[at++] : 0; }
  std::string Take(size_t n) {
    n = n < size - at ? n : size - at;
    return at += n, std::string(reinterpret_cast<const char*>(data + at - n), n);
  }
  std::string Rest() { return Take(size - at); }
  const uint8_t* data;
  size_t size, at = 0;
};

bool Digit(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace fuzz
