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

extern "C" {

std::int32_t __stdcall lQzlCmnCiphering(const char* input, std::int32_t inputLength, char* output,
                                        std::int32_t* capacity) noexcept {
  if (capacity == nullptr) return qzl::kBadArgument;
  // A fresh nonce per value, so the same memo saved twice reads differently.
  qzl::Nonce nonce;
  if (!BCRYPT_SUCCESS(
          BCryptGenRandom(nullptr, nonce.data(), ULONG(nonce.size()), BCRYPT_USE_SYSTEM_PREFERRED_RNG))) {
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
