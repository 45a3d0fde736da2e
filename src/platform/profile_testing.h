#pragma once
// Hooks for the profile engine's tests; the program never calls them.
#include <cstdint>

namespace mekuri::profile::testing {

// While on, a write stops right after its temporary file is complete, as a
// crash there would: it returns false and leaves the temporary file behind.
void SetStopAfterTempFile(bool stop);

// While on, every rename over an existing file is refused, as when another
// program holds the file open: writes go in place, with the copy kept.
void SetRenameRefused(bool refused);

// From 0 up, an in-place rewrite stops after that many bytes, as a crash
// there would: the write returns false, the file is torn and the copy stays.
// -1 turns it off.
void SetInPlaceCut(int64_t bytes);

// How many times the engine has read a file's bytes from the disk.
uint64_t FileReads();

}  // namespace mekuri::profile::testing
