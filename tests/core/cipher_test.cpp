// The memo cipher's stored form; round trips, bounds and damage are fuzzed (fuzz/fuzz_parsers.cpp).
#include "cipher/qzl_cipher.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// As the program calls it: a NUL-filled buffer of 4 * floor((B + 9) / 3) + 1, and one as long as the value.
std::string Seal(const std::string& plain, const qzl::Nonce& nonce) {
  std::string out(4 * ((plain.size() + 9) / 3) + 1, '\0');
  EXPECT_EQ(qzl::Encipher(plain.c_str(), int32_t(plain.size()), nonce, out.data(), int32_t(out.size())), qzl::kOk);
  return out.c_str();
}

qzl::Result Open(const std::string& value, std::string* plain) {
  std::string out(value.size(), '\0');
  const qzl::Result r = qzl::Decipher(value.c_str(), int32_t(value.size()), out.data(), int32_t(value.size()));
  *plain = out.c_str();
  return r;
}

TEST(Cipher, ValuesOfEarlierBuildsStayReadable) {  // computed with other ChaCha20 and SipHash implementations
  const std::string memo = "\x82\xDF\x82\xAD\x82\xE8\x83\x6D\x81\x5B\x83\x67\r\n2004/09/10";  // めくりノート
  EXPECT_EQ(Seal(memo, {1, 2, 3}), "AQIDY55pZ/0AUKF9igMYVtzAhsSJE/vYpLwJtt3Dtw==");
  EXPECT_EQ(Seal(std::string("\0x", 2), {0xfe, 0xdc, 0xba}), "/ty6cPW9Fw==");
  std::string plain;
  EXPECT_TRUE(Open("AQIDY55pZ/0AUKF9igMYVtzAhsSJE/vYpLwJtt3Dtw==" + std::string(40, '\0'), &plain) == qzl::kOk && plain == memo);
  // Bits under the padding must be zero ('w' ends in 0000, 'x' does not).
  for (const char* bad : {"/ty6cPW9Fx==", "/ty6cPW9F===", "/ty6cPW9Fw=", "/ty6cPW9Fw==A", "AQIDY55pZ/0AUKF9igMYVtzAhsSJE/vYpLwJtt3Dtx=="})
    EXPECT_TRUE(Open(bad, &plain) != qzl::kOk && plain.empty()) << bad;
  std::string buffer(8, '#');
  EXPECT_EQ(qzl::Encipher(nullptr, 0, {}, buffer.data(), 8), qzl::kBadArgument);
  EXPECT_EQ(qzl::Encipher("x", -1, {}, buffer.data(), 8), qzl::kBadArgument);
  EXPECT_EQ(qzl::Decipher("/ty6cPW9Fw==", 12, nullptr, 8), qzl::kBadArgument);
  EXPECT_EQ(qzl::Decipher("/ty6cPW9Fw==", 12, buffer.data(), -1), qzl::kBadArgument);
  EXPECT_EQ(buffer, std::string(8, '#'));
}

}  // namespace
