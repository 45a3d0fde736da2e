#include "platform/win32/cipher_library.h"

#include <windows.h>

#include <cstdint>

#include "platform/win32/handles.h"

namespace mekuri::win {
namespace {

using CipherFn = int32_t(__stdcall*)(const char*, int32_t, char*, int32_t*);

const CipherLibrary* testCipher = nullptr;

struct LoadedCipher {
  UniqueModule module;
  CipherLibrary calls;
};

LoadedCipher Load(const std::filesystem::path& folder) {
  LoadedCipher loaded;
  const std::wstring path = (folder / L"QzlCmn.dll").wstring();
  // A full path: the library is never looked up along PATH or the current folder.
  loaded.module.reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!loaded.module) return loaded;
  auto encipher = reinterpret_cast<CipherFn>(
      reinterpret_cast<void*>(GetProcAddress(loaded.module.get(), "lQzlCmnCiphering")));
  auto decipher = reinterpret_cast<CipherFn>(
      reinterpret_cast<void*>(GetProcAddress(loaded.module.get(), "lQzlCmnDeciphering")));
  if (encipher && decipher) {
    loaded.calls.encipher = encipher;
    loaded.calls.decipher = decipher;
  }
  return loaded;
}

}  // namespace

const CipherLibrary& Cipher(const std::filesystem::path& folder) {
  if (testCipher) return *testCipher;
  static const LoadedCipher loaded = Load(folder);
  return loaded.calls;
}

void SetCipherForTesting(const CipherLibrary* cipher) { testCipher = cipher; }

}  // namespace mekuri::win
