#pragma once
// The cipher library's interface, apart from how it is loaded, so that the
// portable core can call it and the native tests can stand in for it.
#include <cstdint>
#include <functional>

namespace mekuri {

// The cipher library's two entry points, as the library exports them:
// (input, input length, output buffer, pointer to its capacity) -> 0 on success.
using CipherCall = std::function<int32_t(const char* input, int32_t length, char* output, int32_t* capacity)>;
struct CipherLibrary {
  CipherCall encipher;
  CipherCall decipher;
  explicit operator bool() const { return encipher && decipher; }
};

}  // namespace mekuri
