// QzlCmn.dll as the program meets it: loaded at run time by its full path from
// the program folder, called through its exports with the capacities the program passes.
#include "form_fixture.h"

namespace mekuri::testing {
namespace {

using CipherDll = MainFormTest;

TEST_F(CipherDll, TheLongestMemoRoundTripsAndADamagedValueFails) {
  const CipherLibrary& cipher = win::Cipher(Module1::strAppPath);
  ASSERT_TRUE(cipher) << "build the QzlCmn target";
  const std::u16string memo = std::u16string(9998, u'め') + u"\r\n";
  std::optional<std::string> value = EncipherText(cipher, memo);
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(DecipherText(cipher, *value), memo);
  EXPECT_NE(EncipherText(cipher, memo), value) << "a fresh nonce each time";
  (*value)[value->size() / 2] ^= 0x01;
  EXPECT_EQ(TryDecipher(cipher, *value), std::nullopt);
}

// After start-up's path step a library is found by name only in the system
// folder: not in the current folder, nor in its parent, where "..\" points.
TEST_F(CipherDll, AfterThePathStepOnlyTheSystemFolderOrAFullPathLoads) {
  const std::filesystem::path current = folder_ / L"current";
  std::filesystem::create_directories(current);
  for (const auto& folder : {current, folder_}) {
    CopyFileW((DistFolder() / L"QzlCmn.dll").c_str(), (folder / L"mekuri-probe.dll").c_str(), FALSE);
  }
  const std::filesystem::path before = std::filesystem::current_path();
  std::wstring path(GetEnvironmentVariableW(L"PATH", nullptr, 0), L'\0');
  path.resize(GetEnvironmentVariableW(L"PATH", path.data(), static_cast<DWORD>(path.size())));
  std::filesystem::current_path(current);
  Module1::PrependParentToPath();
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
}

}  // namespace
}  // namespace mekuri::testing
