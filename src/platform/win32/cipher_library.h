#pragma once
// The cipher library QzlCmn.dll, loaded at run time from the program's own
// folder. A missing library or a missing export leaves the calls empty, and
// every memo save then reports a cipher failure; nothing crashes.
#include <filesystem>

#include "platform/cipher.h"

namespace mekuri::win {

// Loads the library from `folder` once and keeps it for the process's life.
const CipherLibrary& Cipher(const std::filesystem::path& folder);

// Tests replace the library (an empty one plays a missing DLL).
void SetCipherForTesting(const CipherLibrary* cipher);

}  // namespace mekuri::win
