// QzlCmn.dll as the program meets it: loaded at run time from dist/, called
// through its undecorated exports with the capacities the program passes.
#include <windows.h>

#include <gtest/gtest.h>

#include "form_fixture.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using CipherFn = std::int32_t(__stdcall*)(const char*, std::int32_t, char*, std::int32_t*);

std::wstring FindDll() { return (mekuri::testing::DistFolder() / L"QzlCmn.dll").wstring(); }

class CipherDll : public testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryW(FindDll().c_str());
    ASSERT_NE(module_, nullptr) << "QzlCmn.dll not found; build the QzlCmn target";
    encipher_ = Export("lQzlCmnCiphering");
    decipher_ = Export("lQzlCmnDeciphering");
    ASSERT_TRUE(encipher_ && decipher_);
  }
  CipherFn Export(const char* name) {
    return reinterpret_cast<CipherFn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }

  // The program's own calls: NUL-filled buffers, 4 * floor((B + 9) / 3) + 1
  // bytes to encipher and B bytes to decipher; "" stands for failure.
  std::string Encipher(const std::string& plain) {
    std::int32_t capacity = 4 * ((std::int32_t(plain.size()) + 9) / 3) + 1;
    std::string out(std::size_t(capacity), '\0');
    const std::int32_t r = encipher_(plain.c_str(), std::int32_t(plain.size()), out.data(), &capacity);
    return r == 0 ? out.c_str() : "";
  }
  std::string Decipher(const std::string& value) {
    std::int32_t capacity = std::int32_t(value.size());
    std::string out(value.size(), '\0');
    const std::int32_t r = decipher_(value.c_str(), capacity, out.data(), &capacity);
    return r == 0 ? out.c_str() : "";
  }

  HMODULE module_ = nullptr;
  CipherFn encipher_ = nullptr;
  CipherFn decipher_ = nullptr;
};

TEST_F(CipherDll, RoundTripsThroughTheExports) {
  std::string memo = "\x82\xDF\x82\xAD\x82\xE8\x83\x6D\x81\x5B\x83\x67\r\n";  // めくりノート
  while (memo.size() < 20000) memo += memo;
  memo.resize(20000);
  const std::string value = Encipher(memo);
  EXPECT_EQ(value.size(), 4u * ((20000 + 9) / 3));
  EXPECT_EQ(Decipher(value), memo);
  // A fresh random nonce each time: the same memo never gives the same value.
  EXPECT_NE(Encipher(memo), value);
  EXPECT_EQ(Encipher("").size(), 12u);
}

TEST_F(CipherDll, DamagedValueOrMissingCapacityFails) {
  std::string value = Encipher("2004/09/10");
  ASSERT_EQ(Decipher(value), "2004/09/10");
  value[value.size() / 2] ^= 0x01;
  EXPECT_EQ(Decipher(value), "");
  char out[64] = {};
  EXPECT_NE(encipher_("x", 1, out, nullptr), 0);
  EXPECT_NE(decipher_(value.c_str(), std::int32_t(value.size()), out, nullptr), 0);
}

}  // namespace
