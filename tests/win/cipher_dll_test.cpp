// QzlCmn.dll as the program meets it: loaded by its full path from the program folder, called through its exports.
#include "form_fixture.h"

namespace mekuri::testing {
namespace {

using CipherDll = MainFormTest;

// After start-up's path step a library loads by name only from the system folder, not from
// the current folder nor its parent (where "..\" points); the cipher library's full path still loads.
TEST_F(CipherDll, RoundTripsTheLongestMemoAndLoadsOnlyByFullPathAfterThePathStep) {
  const CipherLibrary& cipher = win::Cipher(Module1::strAppPath);
  ASSERT_TRUE(cipher) << "build the QzlCmn target";
  const std::u16string memo = std::u16string(9998, u'め') + u"\r\n";
  std::optional<std::string> value = EncipherText(cipher, memo);
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(DecipherText(cipher, *value), memo);
  EXPECT_NE(EncipherText(cipher, memo), value) << "a fresh nonce each time";

  const std::filesystem::path current = folder_ / L"current", before = std::filesystem::current_path();
  std::filesystem::create_directories(current);
  for (const auto& at : {current, folder_}) std::filesystem::copy_file(folder_ / L"QzlCmn.dll",
                                                                         at / L"mekuri-probe.dll");
  std::wstring path(GetEnvironmentVariableW(L"PATH", nullptr, 0), L'\0');
  path.resize(GetEnvironmentVariableW(L"PATH", path.data(), static_cast<DWORD>(path.size())));
  std::filesystem::current_path(current);
  Module1::PrependParentToPath();
  const HMODULE loaded[] = {
      LoadLibraryW(L"mekuri-probe.dll"), LoadLibraryW(L"version.dll"),
      LoadLibraryExW((current / L"mekuri-probe.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)};
  std::filesystem::current_path(before);
  SetEnvironmentVariableW(L"PATH", path.c_str());
  EXPECT_EQ(loaded[0], nullptr) << "found outside the system folder";
  EXPECT_TRUE(loaded[1] && loaded[2]);
  for (HMODULE m : loaded) if (m) FreeLibrary(m);
}

}  // namespace
}  // namespace mekuri::testing
