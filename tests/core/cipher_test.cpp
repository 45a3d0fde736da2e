#include "cipher/qzl_cipher.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string Hex(const std::uint8_t* p, std::size_t n) {
  std::string s;
  char b[3];
  for (std::size_t i = 0; i < n; ++i) s += (std::snprintf(b, sizeof(b), "%02x", p[i]), b);
  return s;
}

// Enciphers as the program does: a NUL-filled buffer of 4 * floor((B + 9) / 3) + 1.
std::string Seal(const std::string& plain, const qzl::Nonce& nonce = {1, 2, 3}) {
  const auto b = std::int32_t(plain.size());
  std::string out(std::size_t(4 * ((b + 9) / 3) + 1), '\0');
  EXPECT_EQ(qzl::Encipher(plain.c_str(), b, nonce, out.data(), std::int32_t(out.size())), qzl::kOk);
  return out.c_str();
}

// Deciphers as the program does: a buffer as long as the value (NULs after it included).
std::int32_t Open(const std::string& value, std::string* plain) {
  const auto n = std::int32_t(value.size());
  std::string out(value.size(), '\0');
  const auto r = qzl::Decipher(value.c_str(), n, out.data(), n);
  *plain = out.c_str();
  return r;
}

TEST(CipherPrimitives, ChaCha20MatchesRfc8439) {
  qzl::ChaChaKey key;
  for (int i = 0; i < 32; ++i) key[i] = std::uint8_t(i);
  std::uint8_t block[64];
  qzl::ChaCha20Block(key, 1, {0, 0, 0, 9, 0, 0, 0, 0x4a, 0, 0, 0, 0}, block);
  EXPECT_EQ(Hex(block, 64),
            "10f1e7e4d13b5915500fdd1fa32071c4c7d1f4c733c068030422aa9ac3d46c4e"
            "d2826446079faa0914c2d705d98b02a2b5129cd1de164eb9cbd083e8a2503c4e");

  const std::string text = "Ladies and Gentlemen of the class of '99: If I could offer you only one tip "
                           "for the future, sunscreen would be it.";
  std::uint8_t out[114];
  ASSERT_EQ(text.size(), sizeof(out));
  qzl::ChaCha20Xor(key, 1, {0, 0, 0, 0, 0, 0, 0, 0x4a, 0, 0, 0, 0},
                   reinterpret_cast<const std::uint8_t*>(text.data()), out, sizeof(out));
  EXPECT_EQ(Hex(out, sizeof(out)),
            "6e2e359a2568f98041ba0728dd0d6981e97e7aec1d4360c20a27afccfd9fae0bf91b65c5524733ab"
            "8f593dabcd62b3571639d624e65152ab8f530c359f0861d807ca0dbf500d6a6156a38e088a22b65e"
            "52bc514d16ccf806818ce91ab77937365af90bbf74a35be6b40b8eedf2785e42874d");
}

TEST(CipherPrimitives, SipHashMatchesReferenceVectors) {
  // Key 00..0f, message 00..(n-1): every tail length and a full-word message.
  const std::pair<int, std::uint64_t> vectors[] = {
      {0, 0x726fdb47dd0e0e31}, {1, 0x74f839c593dc67fd}, {7, 0xab0200f58b01d137},
      {8, 0x93f5f5799a932462}, {9, 0x9e0082df0ba9e4b0}, {15, 0xa129ca6149be45e5},
      {16, 0x3f2acc7f57c29bdb}, {63, 0x958a324ceb064572}};
  qzl::SipKey key;
  std::uint8_t msg[64];
  for (int i = 0; i < 64; ++i) msg[i] = std::uint8_t(i), key[i % 16] = std::uint8_t(i % 16);
  for (auto [n, expected] : vectors) EXPECT_EQ(qzl::SipHash24(key, msg, std::size_t(n)), expected) << n;
}

TEST(CipherFormat, ValuesOfEarlierBuildsStayReadable) {
  // Computed with other ChaCha20 and SipHash implementations. A change of key, nonce use,
  // tag or layout fails here, and would make existing memo files unreadable.
  // めくりノート CR LF 2004/09/10
  const std::string memo = "\x82\xDF\x82\xAD\x82\xE8\x83\x6D\x81\x5B\x83\x67\r\n2004/09/10";
  EXPECT_EQ(Seal(memo), "AQIDY55pZ/0AUKF9igMYVtzAhsSJE/vYpLwJtt3Dtw==");
  EXPECT_EQ(Seal("", {0xfe, 0xdc, 0xba}), "/ty6cPW9Fw==");
  std::string plain;
  EXPECT_EQ(Open("AQIDY55pZ/0AUKF9igMYVtzAhsSJE/vYpLwJtt3Dtw==", &plain), qzl::kOk);
  EXPECT_EQ(plain, memo);
}

TEST(CipherFormat, RoundTripsFillTheCapacityWithAnIniSafeLine) {
  std::string bytes, japanese;
  for (int i = 0; i < 20000; ++i) bytes += char(1 + i % 255);
  while (japanese.size() < 20000) japanese += "\x93\xFA\x96\x7B\x8C\xEA\x83\x81\x83\x82\x81\x40\\~";
  std::vector<std::string> plains{bytes, japanese};
  for (std::size_t n = 0; n <= 300; ++n) plains.push_back(bytes.substr(n * 7 % 255, n));
  for (const std::string& plain : plains) {
    const std::string copy = plain;
    const std::string value = Seal(plain, {std::uint8_t(plain.size()), 0x80, 0xff});
    EXPECT_EQ(plain, copy);
    ASSERT_EQ(value.size(), 4 * ((plain.size() + 9) / 3)) << plain.size();
    for (char c : value) ASSERT_TRUE(c >= 0x20 && c <= 0x7e) << value;
    EXPECT_EQ(std::string(" \"'").find_first_of(value.front()), std::string::npos);
    EXPECT_EQ(std::string(" \"'").find_first_of(value.back()), std::string::npos);
    std::string back;
    ASSERT_EQ(Open(value, &back), qzl::kOk) << plain.size();
    EXPECT_EQ(back, plain);
  }
}

TEST(CipherFormat, InputEndsAtItsFirstNul) {
  const std::string value = Seal(std::string("ab\0cd", 5));
  EXPECT_EQ(value.size(), 12u);  // the size of a 2-byte value
  std::string plain;
  EXPECT_EQ(Open(value, &plain), qzl::kOk);
  EXPECT_EQ(plain, "ab");
  // The program may hand over a value followed by many NULs, counted in the length.
  EXPECT_EQ(Open(Seal("memo") + std::string(40, '\0'), &plain), qzl::kOk);
  EXPECT_EQ(plain, "memo");
}

TEST(CipherDamage, AnyChangedCharacterFails) {
  // A nonce that puts both '+' and '/' into the value, so look-alikes of those are tried too.
  const std::string value = Seal("\x83\x81\x83\x82 of 2004/09/10, \r\n", {19, 0, 0});
  ASSERT_EQ(value, "EwAALkqLtIxpTGCkmyzH28+irejxx/doZKximes=");
  std::string plain;
  for (std::size_t i = 0; i < value.size(); ++i) {
    for (char c = 0x20; c <= 0x7e; ++c) {
      if (c == value[i]) continue;
      std::string damaged = value;
      damaged[i] = c;
      EXPECT_NE(Open(damaged, &plain), qzl::kOk) << damaged;
      EXPECT_EQ(plain, "");
    }
  }
}

TEST(CipherDamage, CutLongerOrNonStrictValuesFail) {
  const std::string value = Seal("20 bytes of memo....");
  std::string plain;
  for (std::size_t n = 0; n < value.size(); ++n) {
    EXPECT_NE(Open(value.substr(0, n), &plain), qzl::kOk) << n;
    EXPECT_NE(Open(value.substr(value.size() - n), &plain), qzl::kOk) << n;
  }
  for (const char* tail : {"A", "AAAA", "=", " ", "\r\n"}) {
    EXPECT_NE(Open(value + tail, &plain), qzl::kOk) << tail;
  }
  // Bits under the padding must be zero ('w' ends in 0000, 'x' does not).
  EXPECT_EQ(Open("/ty6cPW9Fx==", &plain), qzl::kMalformed);
  EXPECT_EQ(Open("/ty6cPW9F===", &plain), qzl::kMalformed);
  EXPECT_EQ(Open("/ty6cPW9Fw==", &plain), qzl::kOk);
}

TEST(CipherBounds, TooSmallCapacityFailsWithoutWriting) {
  const std::string value = Seal("12345");  // 16 characters
  std::string buffer(40, '#');
  EXPECT_EQ(qzl::Encipher("12345", 5, {1, 2, 3}, buffer.data(), 16), qzl::kCapacityTooSmall);
  EXPECT_EQ(qzl::Decipher(value.c_str(), 16, buffer.data(), 5), qzl::kCapacityTooSmall);
  EXPECT_EQ(buffer, std::string(40, '#'));
  EXPECT_EQ(qzl::Decipher(value.c_str(), 16, buffer.data(), 6), qzl::kOk);
  EXPECT_EQ(buffer.substr(0, 7), std::string("12345\0#", 7));
  EXPECT_EQ(qzl::Encipher("12345", 5, {1, 2, 3}, buffer.data(), 17), qzl::kOk);
  EXPECT_EQ(buffer.substr(16, 2), std::string("\0#", 2));

  EXPECT_EQ(qzl::Encipher(nullptr, 0, {}, buffer.data(), 40), qzl::kBadArgument);
  EXPECT_EQ(qzl::Encipher("x", -1, {}, buffer.data(), 40), qzl::kBadArgument);
  EXPECT_EQ(qzl::Decipher(value.c_str(), 16, nullptr, 40), qzl::kBadArgument);
  EXPECT_EQ(qzl::Decipher(value.c_str(), 16, buffer.data(), -1), qzl::kBadArgument);
}

}  // namespace
