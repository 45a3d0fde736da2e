// The memo cipher behind QzlCmn.dll, free of Windows so it builds and is
// tested natively; qzlcmn_dll.cpp only adds the exports and the random nonce.
//
// This hides memos from a casual look and is no protection against someone
// who has the program: the key ships inside the DLL.
//
// A value is base64 (A-Z a-z 0-9 + /, '=' padding) of
//   nonce(3) || tag(4) || ChaCha20(plain)(B)
// which is exactly 4 * floor((B + 9) / 3) characters, the output capacity the
// program allows for B plain bytes. The keys are fixed, never derived from
// the machine or the user, so a memo file stays readable wherever it goes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace qzl {

using ChaChaKey = std::array<std::uint8_t, 32>;
using ChaChaNonce = std::array<std::uint8_t, 12>;
using SipKey = std::array<std::uint8_t, 16>;

// ChaCha20 as in RFC 8439 (32-bit block counter, 96-bit nonce).
void ChaCha20Block(const ChaChaKey& key, std::uint32_t counter, const ChaChaNonce& nonce,
                   std::uint8_t out[64]) noexcept;
void ChaCha20Xor(const ChaChaKey& key, std::uint32_t counter, const ChaChaNonce& nonce, const std::uint8_t* in,
                 std::uint8_t* out, std::size_t length) noexcept;

// SipHash-2-4 with its 64-bit result.
std::uint64_t SipHash24(const SipKey& key, const std::uint8_t* data, std::size_t length) noexcept;

constexpr int kNonceSize = 3;
constexpr int kTagSize = 4;
using Nonce = std::array<std::uint8_t, kNonceSize>;

// 0 is success, as the program expects; the other codes only help debugging.
enum Result : std::int32_t {
  kOk = 0,
  kBadArgument = 1,       // null pointer or negative length/capacity
  kCapacityTooSmall = 2,  // output and its NUL would not fit; nothing written
  kMalformed = 3,         // not a value of ours: alphabet, padding or length
  kDamaged = 4,           // well-formed but the tag does not match
  kNoRandom = 5,          // the system gave no nonce
};

// Characters of the value for plainLength bytes, without the NUL.
constexpr std::int64_t EncipheredLength(std::int64_t plainLength) {
  return 4 * ((plainLength + kNonceSize + kTagSize + 2) / 3);
}

// Both read their input up to the first NUL or inputLength bytes, whichever
// comes first, never write to it, and on failure write nothing to out.
Result Encipher(const char* plain, std::int32_t plainLength, const Nonce& nonce, char* out,
                std::int32_t capacity) noexcept;
Result Decipher(const char* text, std::int32_t textLength, char* out, std::int32_t capacity) noexcept;

}  // namespace qzl
