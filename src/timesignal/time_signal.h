#pragma once
// The time-signal window's rules: the sentence that names the coming hour and
// the chime text's animation, which the window's Timer2 drives.
#include <cstdint>
#include <string>

namespace mekuri {

// The sentence for the hour about to begin, given the current hour (0-23):
// "正午です" before noon, otherwise that hour on a 12-hour dial (0 after 23)
// followed by "時です".
std::u16string HourAnnouncement(int currentHour);

// The chime text's colour in a colour cycle (1-6), as 0x00BBGGRR: red, green,
// yellow, blue, magenta, cyan.
uint32_t BlinkColor(int nBlink);

// What one animation step asks of the window.
struct ChimeStep {
  bool showText = false;  // the chime text appears (first step only)
  bool resize = false;    // the text's font changed: fontHundredths, bold
  bool finish = false;    // growth is over: buttons, taller window, focus
  bool recolour = false;  // the text takes BlinkColor(nBlink)
};

// The chime text's animation. Timer2's interval doubles as the phase: a wait
// for the first step, then fast steps that grow the text, then a slow colour
// cycle.
struct ChimeAnimation {
  static constexpr int kWaitMs = 800;
  static constexpr int kGrowMs = 20;
  static constexpr int kCycleMs = 2000;
  static constexpr int kDesignHundredths = 825;    // 8.25 pt
  static constexpr int kLargestHundredths = 2000;  // grows while at or below 20 pt

  int intervalMs = kWaitMs;                // Timer2's interval
  int32_t nBlink = 0;                      // 0 until the first colour step, then 1-6
  int fontHundredths = kDesignHundredths;  // the text's size as the font reports it
  bool bold = false;

  ChimeStep Step();
};

}  // namespace mekuri
