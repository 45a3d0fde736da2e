// QzlCmn.dll as the program meets it: loaded by its full path, called through
// its undecorated exports with the capacities the program passes.

#include <cstdint>

#include "form_fixture.h"

namespace {

using CipherFn = std::int32_t(__stdcall*)(const char*, std::int32_t, char*, std::int32_t*);

// The program's own calls: 4 * floor((B + 9) / 3) + 1 bytes to encipher, B to decipher; "" for failure.
std::string Call(CipherFn fn, const std::string& in, std::int32_t capacity) {
  std::string out(std::size_t(capacity), '\0');
  return fn(in.c_str(), std::int32_t(in.size()), out.data(), &capacity) == 0 ? out.c_str() : "";
}

TEST(CipherDll, RoundTripsThroughTheExportsAndRefusesDamage) {
  HMODULE dll = LoadLibraryW((mekuri::testing::DistFolder() / L"QzlCmn.dll").c_str());
  ASSERT_NE(dll, nullptr) << "build the QzlCmn target";
  auto encipher = reinterpret_cast<CipherFn>(reinterpret_cast<void*>(GetProcAddress(dll, "lQzlCmnCiphering")));
  auto decipher = reinterpret_cast<CipherFn>(reinterpret_cast<void*>(GetProcAddress(dll, "lQzlCmnDeciphering")));
  ASSERT_TRUE(encipher && decipher);
  auto enc = [&](const std::string& s) { return Call(encipher, s, 4 * ((std::int32_t(s.size()) + 9) / 3) + 1); };
  auto dec = [&](const std::string& s) { return Call(decipher, s, std::int32_t(s.size())); };
  std::string memo = "\x82\xDF\x82\xAD\x82\xE8\x83\x6D\x81\x5B\x83\x67\r\n";  // めくりノート
  while (memo.size() < 20000) memo += memo;
  memo.resize(20000);
  std::string value = enc(memo);
  EXPECT_EQ(value.size(), 4u * ((20000 + 9) / 3));
  EXPECT_EQ(dec(value), memo);
  EXPECT_NE(enc(memo), value) << "a fresh nonce each time";
  value[value.size() / 2] ^= 0x01;
  EXPECT_EQ(dec(value), "");
  char out[64] = {};
  EXPECT_NE(encipher("x", 1, out, nullptr), 0);
  EXPECT_NE(decipher(value.c_str(), std::int32_t(value.size()), out, nullptr), 0);
  FreeLibrary(dll);
}

// After start-up's path step a library is found by name only in the system
// folder: not in the current folder, nor in its parent, where "..\" points.
TEST(CipherDll, AfterThePathStepOnlyTheSystemFolderOrAFullPathLoads) {
  const std::filesystem::path parent = std::filesystem::temp_directory_path() / L"mekuri-search";
  const std::filesystem::path current = parent / L"current";
  std::filesystem::create_directories(current);
  for (const auto& folder : {current, parent}) {
    CopyFileW((mekuri::testing::DistFolder() / L"QzlCmn.dll").c_str(), (folder / L"mekuri-probe.dll").c_str(), FALSE);
  }
  const std::filesystem::path before = std::filesystem::current_path();
  std::wstring path(GetEnvironmentVariableW(L"PATH", nullptr, 0), L'\0');
  path.resize(GetEnvironmentVariableW(L"PATH", path.data(), static_cast<DWORD>(path.size())));
  std::filesystem::current_path(current);
  mekuri::Module1::PrependParentToPath();
  HMODULE byName = LoadLibraryW(L"mekuri-probe.dll");
  HMODULE system = LoadLibraryW(L"version.dll");
  HMODULE byPath = LoadLibraryExW((current / L"mekuri-probe.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  std::filesystem::current_path(before);
  SetEnvironmentVariableW(L"PATH", path.c_str());
  EXPECT_EQ(byName, nullptr) << "found outside the system folder";
  EXPECT_NE(system, nullptr);
  EXPECT_NE(byPath, nullptr) << "the cipher library's full-path load";
  for (HMODULE m : {byName, system, byPath}) {
    if (m) FreeLibrary(m);
  }
  std::error_code ignored;
  std::filesystem::remove_all(parent, ignored);
}

}  // namespace
