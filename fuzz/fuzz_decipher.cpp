// The memo cipher, as the two exports call it. Deciphering any text with any
// capacity must stay inside the capacity, write nothing when it fails, and
// succeed only for a value enciphering gives back exactly. A value made from
// the input's own plain text must come back whole, and any change to it -
// one character, a cut, an extra group - must fail.
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cipher/qzl_cipher.h"
#include "fuzz_common.h"

namespace {

constexpr size_t kGuard = 32;
constexpr uint8_t kCanary = 0xA5;

// An output buffer of `capacity` bytes with canaries on both sides.
class Guarded {
 public:
  explicit Guarded(int32_t capacity) : bytes_(static_cast<size_t>(capacity) + 2 * kGuard, kCanary) {}
  char* Out() { return reinterpret_cast<char*>(bytes_.data() + kGuard); }
  int32_t Capacity() const { return static_cast<int32_t>(bytes_.size() - 2 * kGuard); }
  // Nothing touched outside the first `used` bytes.
  bool Untouched(size_t used) const {
    for (size_t i = 0; i < bytes_.size(); ++i) {
      const bool inside = i >= kGuard && i < kGuard + used;
      if (!inside && bytes_[i] != kCanary) return false;
    }
    return true;
  }

 private:
  std::vector<uint8_t> bytes_;
};

// The text exactly as long as given, with no NUL after it, so that a read
// past inputLength shows up under the address sanitizer; never null, even
// when empty.
struct Exact {
  explicit Exact(std::string_view text) : size(text.size()), bytes(new char[text.size()]) {
    std::copy(text.begin(), text.end(), bytes.get());
  }
  const char* data() const { return bytes.get(); }
  size_t size;
  std::unique_ptr<char[]> bytes;
};

qzl::Result Decipher(std::string_view text, int32_t capacity, std::string* plain) {
  const Exact input(text);
  Guarded out(capacity);
  const qzl::Result result =
      qzl::Decipher(input.data(), static_cast<int32_t>(input.size), out.Out(), out.Capacity());
  if (result != qzl::kOk) {
    FUZZ_CHECK(out.Untouched(0), "a failed decipher (%d) wrote to the output", result);
    return result;
  }
  const size_t length = strnlen(out.Out(), static_cast<size_t>(capacity));
  FUZZ_CHECK(length < static_cast<size_t>(capacity) && out.Untouched(static_cast<size_t>(capacity)),
             "decipher wrote past its %d-byte capacity or left no NUL", capacity);
  if (plain) plain->assign(out.Out(), length);
  return result;
}

std::string Encipher(std::string_view plain, const qzl::Nonce& nonce) {
  const Exact input(plain);
  const size_t kept = std::string_view(plain).substr(0, plain.find('\0')).size();
  const int32_t needed = static_cast<int32_t>(qzl::EncipheredLength(static_cast<int64_t>(kept)) + 1);
  Guarded small(needed - 1);
  FUZZ_CHECK(qzl::Encipher(input.data(), static_cast<int32_t>(input.size), nonce, small.Out(),
                           small.Capacity()) == qzl::kCapacityTooSmall &&
                 small.Untouched(0),
             "enciphering %zu bytes into %d", kept, needed - 1);
  Guarded out(needed);
  FUZZ_CHECK(qzl::Encipher(input.data(), static_cast<int32_t>(input.size), nonce, out.Out(), needed) == qzl::kOk,
             "enciphering %zu bytes failed", kept);
  const std::string value(out.Out());
  FUZZ_CHECK(static_cast<int32_t>(value.size()) == needed - 1 && out.Untouched(value.size() + 1),
             "a value of %zu characters for %zu bytes", value.size(), kept);
  FUZZ_CHECK(value.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=") ==
                 std::string::npos,
             "value %s leaves the alphabet", value.c_str());
  return value;
}

qzl::Nonce NonceOf(std::string_view value) {
  // The first group of four characters is the nonce's three bytes.
  auto sextet = [](char c) -> uint32_t {
    const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    return static_cast<uint32_t>(std::strchr(alphabet, c) - alphabet);
  };
  uint32_t group = 0;
  for (int i = 0; i < 4; ++i) group = group << 6 | sextet(value[i]);
  return {static_cast<uint8_t>(group >> 16), static_cast<uint8_t>(group >> 8), static_cast<uint8_t>(group)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4 || size > 4096) return 0;
  fuzz::Bytes in(data, size);
  const uint8_t mode = in.Next();
  const int32_t capacity = in.Next() | (in.Next() & 0x0F) << 8;
  const std::string rest = in.Rest();

  // Arbitrary text: whatever comes out must encipher back to the same text.
  std::string plain;
  if (Decipher(rest, capacity, &plain) == qzl::kOk) {
    const size_t used = strnlen(rest.data(), rest.size());
    FUZZ_CHECK(plain.size() == strnlen(plain.data(), plain.size()) &&
                   Encipher(plain, NonceOf(rest)) == rest.substr(0, used),
               "%s deciphers but is no value of ours", fuzz::Show(rest).c_str());
  }
  if (mode & 1) return 0;

  // A value of the input's own plain text, nonce from its first bytes.
  const qzl::Nonce nonce{data[1], data[2], data[3]};
  const std::string source = rest.substr(0, rest.find('\0'));
  const std::string value = Encipher(rest, nonce);
  std::string back;
  FUZZ_CHECK(Decipher(value, static_cast<int32_t>(source.size()) + 1, &back) == qzl::kOk && back == source,
             "%s does not come back", fuzz::Show(source).c_str());
  FUZZ_CHECK(Decipher(value, static_cast<int32_t>(source.size()), nullptr) == qzl::kCapacityTooSmall,
             "%zu bytes fit in %zu", source.size(), source.size());

  // One changed character, anywhere, to anything else.
  const size_t at = (static_cast<size_t>(mode) << 4 | capacity) % value.size();
  std::string changed = value;
  changed[at] = static_cast<char>(changed[at] + 1 + data[2] % 255);
  FUZZ_CHECK(Decipher(changed, 4096, nullptr) != qzl::kOk, "%s with character %zu changed to %s still deciphers",
             value.c_str(), at, fuzz::Show(changed.substr(at, 1)).c_str());
  // Cut short (a NUL in the middle is a cut too), or one group longer.
  FUZZ_CHECK(Decipher(std::string_view(value).substr(0, at), 4096, nullptr) != qzl::kOk, "%s cut at %zu deciphers",
             value.c_str(), at);
  const std::string longer = value + value.substr(at & ~size_t{3}, 4);
  FUZZ_CHECK(Decipher(longer, 4096, nullptr) != qzl::kOk, "%s deciphers", longer.c_str());
  return 0;
}
