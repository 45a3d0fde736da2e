#pragma once
// No exception may unwind through the system's code that called a window
// procedure. One that comes (memory running out, a failing library call in
// the standard library) ends at the procedure: the message counts as handled
// and the user hears once that the action stopped.
#include <windows.h>

namespace mekuri::win {

void ReportStoppedAction() noexcept;

template <class Work>
LRESULT Guarded(Work&& work) noexcept {
  try {
    return work();
  } catch (...) {
    ReportStoppedAction();
    return 0;
  }
}

}  // namespace mekuri::win
