#pragma once
// The 200 ms clock of the main window: the status bar's emphasis around the
// full hour, the chime (opened at hh:59:52, played at hh:59:57, closed at
// hh:00:10) and the moment the time-signal window opens (hh:59:59).
#include <functional>
#include <string>

#include "base/date.h"

namespace mekuri {

inline constexpr std::u16string_view kChimeAlias = u"Mekurinote_Jihou";

// The three sound commands, for a program folder ending in "\".
std::u16string ChimeOpenCommand(std::u16string_view appFolder);
std::u16string ChimePlayCommand();
std::u16string ChimeCloseCommand();

struct ClockTick {
  bool setFont = false;     // whether the status bar's font changes on this tick
  bool bold = false;        // ... and to what
  bool openWindow = false;  // the time-signal window opens now
};

class ClockTicker {
 public:
  // Sends a sound command and answers its result (0 = success).
  using SoundCommand = std::function<int(const std::u16string&)>;

  ClockTick Tick(const DateTime& now, bool everyHour, std::u16string_view appFolder, const SoundCommand& send);

  bool fJihouShown = false;
  bool fWaveOpened = false;
  bool fWavePlaying = false;
};

}  // namespace mekuri
