#include "timesignal/time_signal.h"

#include "base/number.h"
#include "base/texts.h"

namespace mekuri {

std::u16string HourAnnouncement(int currentHour) {
  // Shown at hh:59:59, so the sentence names the next hour.
  const int coming = currentHour + 1;
  if (coming == 12) return std::u16string(kNoonText);
  const std::string digits = FormatInt(coming % 12);
  std::u16string text(digits.begin(), digits.end());
  text += kHourSuffix;
  return text;
}

uint32_t BlinkColor(int nBlink) {
  const uint32_t red = (nBlink % 2) * 255u;
  const uint32_t green = ((nBlink & 2) / 2) * 255u;
  const uint32_t blue = ((nBlink & 4) / 4) * 255u;
  return red | (green << 8) | (blue << 16);
}

ChimeStep ChimeAnimation::Step() {
  ChimeStep step;
  if (intervalMs == kCycleMs) {
    // 1 to 6 and round again: 0 (black) and 7 (white) never show.
    if (++nBlink > 6) nBlink = 1;
    step.recolour = true;
    return step;
  }
  if (intervalMs == kWaitMs) {
    intervalMs = kGrowMs;
    step.showText = true;
  }
  fontHundredths += 100;
  step.resize = true;
  if (fontHundredths <= kLargestHundredths) return step;
  intervalMs = kCycleMs;
  nBlink = 0;
  bold = true;
  step.finish = true;
  return step;
}

}  // namespace mekuri
