#pragma once
// One copy per desktop. The copy that runs holds a named mutex for its whole
// life; a later start takes the mutex or hands over to the running copy's
// main window, found by its class and its caption together, so that another
// program's window that happens to carry the caption is never mistaken for it.
#include <windows.h>

#include <string>

namespace mekuri {

// How long a second start waits for the running copy's main window to
// appear: long enough for a copy that started in the same instant on a busy
// machine, short enough that a copy that never shows one is not waited for.
inline constexpr DWORD kHandOverWaitMs = 10000;

// The mutex of this desktop in this session.
std::wstring InstanceMutexName();

// The running copy's main window on this desktop, or nullptr.
HWND FindRunningMainWindow();

// The desktop's instance mutex, owned by this thread once Acquire succeeds
// and let go when the object goes.
class InstanceMutex {
 public:
  InstanceMutex();
  ~InstanceMutex();
  InstanceMutex(const InstanceMutex&) = delete;
  InstanceMutex& operator=(const InstanceMutex&) = delete;

  // Waits up to `ms` for the mutex; true once this copy holds it (also when
  // the copy before ended without letting it go).
  bool Acquire(DWORD ms);

 private:
  HANDLE mutex_ = nullptr;
  bool owned_ = false;
};

}  // namespace mekuri
