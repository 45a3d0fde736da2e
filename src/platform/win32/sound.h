#pragma once
// The sound seam: the chime's MCI command strings go through here, so tests
// can record them and answer as a device would.
#include <windows.h>

#include <functional>
#include <string>

namespace mekuri::win {

// mciSendStringW with a 128-character answer buffer; its result (0 = success).
int SendSoundCommand(const std::wstring& command);

void SetSoundForTesting(std::function<int(const std::wstring&)> handler);

}  // namespace mekuri::win
