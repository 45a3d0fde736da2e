#pragma once
// Hooks for the profile engine's tests; the program never calls them.
#include <cstdint>

namespace mekuri::profile::testing {

// While on, a write stops right after its temporary file is complete, as a
// crash there would: it returns false and leaves the temporary file behind.
void SetStopAfterTempFile(bool stop);

// How many times the engine has read a file's bytes from the disk.
uint64_t FileReads();

}  // namespace mekuri::profile::testing
