// QzlCmn.dll: the two entry points the program calls for its memo file.
// The work is in qzl_cipher.cpp; here are only the argument checks the
// exports need and the random nonce.
//
// This hides memos from a casual look and is no protection against someone
// who has the program: the key ships inside this DLL.
#include <windows.h>
#include <bcrypt.h>

#include <cstdint>

#include "qzl_cipher.h"

namespace {

using GenRandomFn = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, PUCHAR, ULONG, ULONG);

// The system's random source, loaded at the first encipher: loading
// bcrypt.dll costs more than the rest of this library, and a program that
// only reads memos, as at its start, never needs it.
GenRandomFn GenRandom() {
  static const GenRandomFn fn = [] {
    HMODULE lib = LoadLibraryExW(L"bcrypt.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return lib ? reinterpret_cast<GenRandomFn>(GetProcAddress(lib, "BCryptGenRandom")) : nullptr;
  }();
  return fn;
}

}  // namespace

extern "C" {

std::int32_t __stdcall lQzlCmnCiphering(const char* input, std::int32_t inputLength, char* output,
                                        std::int32_t* capacity) noexcept {
  if (capacity == nullptr) return qzl::kBadArgument;
  // A fresh nonce per value, so the same memo saved twice reads differently.
  qzl::Nonce nonce;
  const GenRandomFn genRandom = GenRandom();
  if (!genRandom ||
      !BCRYPT_SUCCESS(genRandom(nullptr, nonce.data(), ULONG(nonce.size()), BCRYPT_USE_SYSTEM_PREFERRED_RNG))) {
    return qzl::kNoRandom;
  }
  return qzl::Encipher(input, inputLength, nonce, output, *capacity);
}

std::int32_t __stdcall lQzlCmnDeciphering(const char* input, std::int32_t inputLength, char* output,
                                          std::int32_t* capacity) noexcept {
  if (capacity == nullptr) return qzl::kBadArgument;
  return qzl::Decipher(input, inputLength, output, *capacity);
}

}  // extern "C"
