#pragma once
// The main window's resident timers as plain state machines: the icon that
// alternates while the window is hidden, and the reminder after 30 minutes
// hidden. The window feeds them its visibility at every tick.
#include <cstdint>

namespace mekuri {

// Which tray image to show after an icon-timer tick, or none to keep it.
struct IconTimer {
  int32_t lIconPhase = 0;  // 0: the first image comes next
  // `showingFirst`: the tray shows the first image now. Returns 1 or 2 for
  // the image to set, 0 to leave the icon as it is.
  int Tick(bool visible, bool showingFirst);
};

// The main window's clock, date watch, scheduled messages and hiding watch
// share one timer that wakes at the turn of each second: the delay, in ms,
// from a moment `millisecond` into its second to the next turn.
int MsToNextSecond(int millisecond);
// The interval to set the shared timer to after a tick `millisecond` into its
// second, when it runs with `armedMs`; 0 keeps it. A tick within the slack
// after the turn keeps a 1000 ms period and needs no new arming; any other
// is aimed at the next turn again.
inline constexpr int kSecondSlackMs = 40;
int SecondTimerInterval(int millisecond, int armedMs);

// A period run from a faster tick: due at the first tick at or after each
// deadline, one period apart; after a long gap (the machine slept) it starts
// again from that tick rather than catching up.
struct Period {
  uint64_t next = 0;  // ms of the tick clock
  bool Due(uint64_t nowMs, uint32_t periodMs);
};

struct HidingWatch {
  static constexpr int32_t kIntervalMs = 30000;
  static constexpr int32_t kThresholdSeconds = 1800;
  int32_t lHiddenSeconds = 0;
  // True when the reminder command is due.
  bool Tick(bool hidingCheck, bool visible);
};

}  // namespace mekuri
