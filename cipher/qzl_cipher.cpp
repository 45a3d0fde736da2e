#include "qzl_cipher.h"

// No allocation and nothing that throws: this code runs behind a DLL export.

namespace qzl {
namespace {

// Fixed on purpose: a memo file must read back on another machine and for
// another Windows user. Anyone with the DLL has these, so they only keep
// memos out of sight of a casual look. Changing either makes every existing
// memo file unreadable.
constexpr ChaChaKey kCipherKey{0x3b, 0x7a, 0x44, 0x3f, 0xba, 0xdf, 0xc0, 0x95, 0x49, 0x8e, 0xbe,
                               0xcb, 0xbc, 0x2a, 0xb2, 0xe6, 0x07, 0x70, 0x49, 0xf2, 0x27, 0x20,
                               0x81, 0x68, 0x89, 0xb2, 0x6b, 0x23, 0x5c, 0xc2, 0x91, 0x27};
constexpr SipKey kTagKey{0x10, 0xeb, 0xd4, 0x09, 0x9f, 0xec, 0x70, 0xc4,
                         0x73, 0xab, 0xfb, 0x0b, 0xa7, 0xae, 0xf3, 0x64};

// Block 0 is left unused, as RFC 8439's AEAD does.
constexpr std::uint32_t kFirstBlock = 1;

std::uint32_t Rotl32(std::uint32_t v, int n) { return (v << n) | (v >> (32 - n)); }
std::uint64_t Rotl64(std::uint64_t v, int n) { return (v << n) | (v >> (64 - n)); }

std::uint32_t Load32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

std::uint64_t Load64(const std::uint8_t* p) {
  return std::uint64_t(Load32(p)) | std::uint64_t(Load32(p + 4)) << 32;
}

void QuarterRound(std::uint32_t* x, int a, int b, int c, int d) {
  x[a] += x[b];
  x[d] = Rotl32(x[d] ^ x[a], 16);
  x[c] += x[d];
  x[b] = Rotl32(x[b] ^ x[c], 12);
  x[a] += x[b];
  x[d] = Rotl32(x[d] ^ x[a], 8);
  x[c] += x[d];
  x[b] = Rotl32(x[b] ^ x[c], 7);
}

// ChaCha20 key stream one byte at a time; the values are short, so clarity
// wins over speed.
class KeyStream {
 public:
  KeyStream(const ChaChaKey& key, std::uint32_t counter, const ChaChaNonce& nonce)
      : key_(key), nonce_(nonce), counter_(counter) {}

  std::uint8_t Next() {
    if (used_ == sizeof(block_)) {
      ChaCha20Block(key_, counter_++, nonce_, block_);
      used_ = 0;
    }
    return block_[used_++];
  }

 private:
  ChaChaKey key_;
  ChaChaNonce nonce_;
  std::uint32_t counter_;
  std::uint8_t block_[64] = {};
  std::size_t used_ = sizeof(block_);
};

class SipHasher {
 public:
  explicit SipHasher(const SipKey& key) {
    const std::uint64_t k0 = Load64(key.data()), k1 = Load64(key.data() + 8);
    v0_ = k0 ^ 0x736f6d6570736575ULL;
    v1_ = k1 ^ 0x646f72616e646f6dULL;
    v2_ = k0 ^ 0x6c7967656e657261ULL;
    v3_ = k1 ^ 0x7465646279746573ULL;
  }

  void Add(std::uint8_t b) {
    word_ |= std::uint64_t(b) << (8 * (count_ % 8));
    if (++count_ % 8 == 0) {
      Absorb(word_, 2);
      word_ = 0;
    }
  }

  std::uint64_t Finish() {
    Absorb(word_ | std::uint64_t(count_ & 0xff) << 56, 2);
    v2_ ^= 0xff;
    Rounds(4);
    return v0_ ^ v1_ ^ v2_ ^ v3_;
  }

 private:
  void Absorb(std::uint64_t m, int rounds) {
    v3_ ^= m;
    Rounds(rounds);
    v0_ ^= m;
  }

  void Rounds(int n) {
    for (int i = 0; i < n; ++i) {
      v0_ += v1_;
      v1_ = Rotl64(v1_, 13) ^ v0_;
      v0_ = Rotl64(v0_, 32);
      v2_ += v3_;
      v3_ = Rotl64(v3_, 16) ^ v2_;
      v0_ += v3_;
      v3_ = Rotl64(v3_, 21) ^ v0_;
      v2_ += v1_;
      v1_ = Rotl64(v1_, 17) ^ v2_;
      v2_ = Rotl64(v2_, 32);
    }
  }

  std::uint64_t v0_, v1_, v2_, v3_;
  std::uint64_t word_ = 0;
  std::uint64_t count_ = 0;
};

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int SextetOf(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

class Base64Writer {
 public:
  explicit Base64Writer(char* out) : out_(out) {}

  void Put(std::uint8_t b) {
    group_ = group_ << 8 | b;
    if (++held_ == 3) Flush();
  }

  // Pads the last group; returns the characters written in all.
  std::size_t Finish() {
    if (held_ != 0) {
      const int missing = 3 - held_;
      group_ <<= 8 * missing;
      Flush();
      for (int i = 0; i < missing; ++i) out_[written_ - 1 - i] = '=';
    }
    return written_;
  }

 private:
  void Flush() {
    for (int shift = 18; shift >= 0; shift -= 6) out_[written_++] = kAlphabet[(group_ >> shift) & 63];
    group_ = 0;
    held_ = 0;
  }

  char* out_;
  std::size_t written_ = 0;
  std::uint32_t group_ = 0;
  int held_ = 0;
};

// Decoded bytes of a value, or -1 unless it is strict base64: whole groups,
// only the last one padded, and zero bits under the padding, so that each
// byte sequence has exactly one spelling and any changed character shows.
std::int64_t DecodedLength(const char* text, std::size_t length) {
  if (length == 0 || length % 4 != 0) return -1;
  std::size_t pads = 0;
  if (text[length - 1] == '=') pads = text[length - 2] == '=' ? 2 : 1;
  for (std::size_t i = 0; i < length - pads; ++i) {
    if (SextetOf(text[i]) < 0) return -1;
  }
  const int last = SextetOf(text[length - pads - 1]);
  if ((pads == 1 && (last & 0x03) != 0) || (pads == 2 && (last & 0x0f) != 0)) return -1;
  return std::int64_t(length / 4 * 3 - pads);
}

// Reads the bytes of text that DecodedLength accepted.
class Base64Reader {
 public:
  explicit Base64Reader(const char* text) : text_(text) {}

  std::uint8_t Next() {
    if (held_ == 0) {
      group_ = 0;
      for (int i = 0; i < 4; ++i) {
        group_ = group_ << 6 | std::uint32_t(text_[i] == '=' ? 0 : SextetOf(text_[i]));
      }
      text_ += 4;
      held_ = 3;
    }
    --held_;
    return std::uint8_t(group_ >> (8 * held_));
  }

 private:
  const char* text_;
  std::uint32_t group_ = 0;
  int held_ = 0;
};

ChaChaNonce ExpandNonce(const Nonce& nonce) {
  ChaChaNonce full{};
  for (int i = 0; i < kNonceSize; ++i) full[i] = nonce[i];
  return full;
}

using Tag = std::array<std::uint8_t, kTagSize>;

// Keyed so that a damaged value fails instead of deciphering to garbage.
// Computed over nonce || ciphertext; the ciphertext comes from next().
template <typename NextCipherByte>
Tag ComputeTag(const Nonce& nonce, std::size_t length, NextCipherByte next) {
  SipHasher hasher(kTagKey);
  for (std::uint8_t b : nonce) hasher.Add(b);
  for (std::size_t i = 0; i < length; ++i) hasher.Add(next());
  const std::uint64_t h = hasher.Finish();
  Tag tag;
  for (int i = 0; i < kTagSize; ++i) tag[i] = std::uint8_t(h >> (8 * i));
  return tag;
}

std::size_t BoundedLength(const char* s, std::int32_t limit) {
  std::size_t n = 0;
  while (n < std::size_t(limit) && s[n] != '\0') ++n;
  return n;
}

}  // namespace

void ChaCha20Block(const ChaChaKey& key, std::uint32_t counter, const ChaChaNonce& nonce,
                   std::uint8_t out[64]) noexcept {
  std::uint32_t state[16] = {0x61707865, 0x3320646e, 0x79622d32, 0x6b206574};
  for (int i = 0; i < 8; ++i) state[4 + i] = Load32(key.data() + 4 * i);
  state[12] = counter;
  for (int i = 0; i < 3; ++i) state[13 + i] = Load32(nonce.data() + 4 * i);

  std::uint32_t x[16];
  for (int i = 0; i < 16; ++i) x[i] = state[i];
  for (int round = 0; round < 10; ++round) {
    QuarterRound(x, 0, 4, 8, 12);
    QuarterRound(x, 1, 5, 9, 13);
    QuarterRound(x, 2, 6, 10, 14);
    QuarterRound(x, 3, 7, 11, 15);
    QuarterRound(x, 0, 5, 10, 15);
    QuarterRound(x, 1, 6, 11, 12);
    QuarterRound(x, 2, 7, 8, 13);
    QuarterRound(x, 3, 4, 9, 14);
  }
  for (int i = 0; i < 16; ++i) {
    const std::uint32_t v = x[i] + state[i];
    for (int j = 0; j < 4; ++j) out[4 * i + j] = std::uint8_t(v >> (8 * j));
  }
}

void ChaCha20Xor(const ChaChaKey& key, std::uint32_t counter, const ChaChaNonce& nonce, const std::uint8_t* in,
                 std::uint8_t* out, std::size_t length) noexcept {
  KeyStream stream(key, counter, nonce);
  for (std::size_t i = 0; i < length; ++i) out[i] = in[i] ^ stream.Next();
}

std::uint64_t SipHash24(const SipKey& key, const std::uint8_t* data, std::size_t length) noexcept {
  SipHasher hasher(key);
  for (std::size_t i = 0; i < length; ++i) hasher.Add(data[i]);
  return hasher.Finish();
}

Result Encipher(const char* plain, std::int32_t plainLength, const Nonce& nonce, char* out,
                std::int32_t capacity) noexcept {
  if (plain == nullptr || out == nullptr || plainLength < 0 || capacity < 0) return kBadArgument;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(plain);
  const std::size_t length = BoundedLength(plain, plainLength);
  const std::int64_t encoded = EncipheredLength(std::int64_t(length));
  if (encoded + 1 > capacity) return kCapacityTooSmall;

  // The tag comes before the ciphertext in the value, so the stream runs
  // twice: once for the tag, once for the output.
  const ChaChaNonce full = ExpandNonce(nonce);
  KeyStream tagStream(kCipherKey, kFirstBlock, full);
  std::size_t i = 0;
  const Tag tag = ComputeTag(nonce, length, [&] { return std::uint8_t(bytes[i++] ^ tagStream.Next()); });

  Base64Writer writer(out);
  for (std::uint8_t b : nonce) writer.Put(b);
  for (std::uint8_t b : tag) writer.Put(b);
  KeyStream stream(kCipherKey, kFirstBlock, full);
  for (std::size_t j = 0; j < length; ++j) writer.Put(bytes[j] ^ stream.Next());
  out[writer.Finish()] = '\0';
  return kOk;
}

Result Decipher(const char* text, std::int32_t textLength, char* out, std::int32_t capacity) noexcept {
  if (text == nullptr || out == nullptr || textLength < 0 || capacity < 0) return kBadArgument;
  const std::int64_t decoded = DecodedLength(text, BoundedLength(text, textLength));
  if (decoded < kNonceSize + kTagSize) return kMalformed;
  const auto length = std::size_t(decoded - kNonceSize - kTagSize);
  if (std::int64_t(length) + 1 > capacity) return kCapacityTooSmall;

  Base64Reader reader(text);
  Nonce nonce;
  for (auto& b : nonce) b = reader.Next();
  Tag stored;
  for (auto& b : stored) b = reader.Next();
  if (ComputeTag(nonce, length, [&] { return reader.Next(); }) != stored) return kDamaged;

  // Checked first, written second: a damaged value leaves out untouched.
  Base64Reader body(text);
  for (int i = 0; i < kNonceSize + kTagSize; ++i) body.Next();
  const ChaChaNonce full = ExpandNonce(nonce);
  KeyStream stream(kCipherKey, kFirstBlock, full);
  for (std::size_t i = 0; i < length; ++i) out[i] = char(body.Next() ^ stream.Next());
  out[length] = '\0';
  return kOk;
}

}  // namespace qzl
