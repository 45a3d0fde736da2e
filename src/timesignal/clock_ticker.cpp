#include "timesignal/clock_ticker.h"

namespace mekuri {

std::u16string ChimeOpenCommand(std::u16string_view appFolder) {
  return u"open \"" + std::u16string(appFolder) + u"Jihou.wav\" alias " + std::u16string(kChimeAlias);
}
std::u16string ChimePlayCommand() { return u"play " + std::u16string(kChimeAlias); }
std::u16string ChimeCloseCommand() { return u"close " + std::u16string(kChimeAlias); }

ClockTick ClockTicker::Tick(const DateTime& now, bool everyHour, std::u16string_view appFolder,
                            const SoundCommand& send) {
  const int m = now.minute * 100 + now.second;  // mmss
  ClockTick tick;
  if (m == 5952) {
    if (send(ChimeOpenCommand(appFolder)) == 0) fWaveOpened = true;
  } else if (m == 10) {
    send(ChimeCloseCommand());
    fWavePlaying = false;
  } else if (m == 1) {
    fJihouShown = false;
  } else if (m == 5957 || m == 5958 || m == 5959 || m == 0) {
    tick.setFont = true;
    tick.bold = true;
    if (!fWavePlaying && fWaveOpened) {
      fWavePlaying = true;
      fWaveOpened = false;
      send(ChimePlayCommand());
    }
    if (everyHour && m == 5959 && !fJihouShown) {
      fJihouShown = true;
      tick.openWindow = true;
    }
  } else {
    if (fWavePlaying && m > 10 && m < 5952) {  // the hh:00:10 tick was missed
      send(ChimeCloseCommand());
      fWavePlaying = false;
    }
    tick.setFont = true;
    tick.bold = false;
  }
  return tick;
}

}  // namespace mekuri
