#include "shell/timers.h"

namespace mekuri {

int IconTimer::Tick(bool visible, bool showingFirst) {
  if (visible && showingFirst) return 0;
  const int image = lIconPhase == 1 ? 2 : 1;
  lIconPhase = 1 - lIconPhase;
  return image;
}

int MsToNextSecond(int millisecond) { return 1000 - (millisecond < 0 ? 0 : millisecond > 999 ? 999 : millisecond); }

int SecondTimerInterval(int millisecond, int armedMs) {
  const int wanted = millisecond >= 0 && millisecond <= kSecondSlackMs ? 1000 : MsToNextSecond(millisecond);
  return wanted == armedMs && wanted == 1000 ? 0 : wanted;
}

bool Period::Due(uint64_t nowMs, uint32_t periodMs) {
  if (nowMs < next) return false;
  next = next + periodMs > nowMs ? next + periodMs : nowMs + periodMs;
  return true;
}

bool HidingWatch::Tick(bool hidingCheck, bool visible) {
  if (!hidingCheck) {
    lHiddenSeconds = 0;
    return false;
  }
  if (visible) return false;
  lHiddenSeconds += kIntervalMs / 1000;
  if (lHiddenSeconds <= kThresholdSeconds) return false;
  lHiddenSeconds = 0;
  return true;
}

}  // namespace mekuri
