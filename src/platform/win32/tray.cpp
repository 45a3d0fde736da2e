#include "platform/win32/tray.h"

#include <memory>

#include "platform/win32/handles.h"

namespace mekuri::win {
namespace {

std::function<BOOL(DWORD, const NOTIFYICONDATAW&)>& TestHandler() {
  static std::function<BOOL(DWORD, const NOTIFYICONDATAW&)> handler;
  return handler;
}

UniqueHandle& PendingAdd() {
  static UniqueHandle thread;
  return thread;
}

// The add that waits for the window thread to have painted everything.
std::unique_ptr<NOTIFYICONDATAW>& DeferredAdd() {
  static std::unique_ptr<NOTIFYICONDATAW> record;
  return record;
}

DWORD WINAPI AddIcon(void* param) {
  const std::unique_ptr<NOTIFYICONDATAW> record(static_cast<NOTIFYICONDATAW*>(param));
  return Shell_NotifyIconW(NIM_ADD, record.get());
}

void StartDeferredAdd() {
  std::unique_ptr<NOTIFYICONDATAW> record = std::move(DeferredAdd());
  if (!record) return;
  if (HANDLE thread = CreateThread(nullptr, 0, AddIcon, record.get(), 0, nullptr)) {
    record.release();  // the thread owns it now
    PendingAdd().reset(thread);
    return;
  }
  Shell_NotifyIconW(NIM_ADD, record.get());  // no thread to spare: added here
}

// A timer's message comes only once no window of the thread is left to
// paint: the add starts after the first paints.
void CALLBACK AddWhenPainted(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  StartDeferredAdd();
}

// Runs an add not yet started, or waits for one still on its way, answering
// what other threads send to this one's windows meanwhile: the shell may ask
// them something.
void FinishPendingAdd() {
  StartDeferredAdd();
  HANDLE thread = PendingAdd().get();
  if (!thread) return;
  while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  PendingAdd().reset();
}

}  // namespace

BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW& record) {
  if (auto& handler = TestHandler()) return handler(message, record);
  FinishPendingAdd();
  return Shell_NotifyIconW(message, &record);
}

void AddIconWhenPainted(const NOTIFYICONDATAW& record) {
  auto copy = std::make_unique<NOTIFYICONDATAW>(record);
  if (!TestHandler() && !PendingAdd() && !DeferredAdd() && SetTimer(nullptr, 0, 0, AddWhenPainted)) {
    DeferredAdd() = std::move(copy);
    return;
  }
  NotifyIcon(NIM_ADD, *copy);  // under test, or no timer to spare: added now
}

void SetTrayForTesting(std::function<BOOL(DWORD, const NOTIFYICONDATAW&)> handler) {
  TestHandler() = std::move(handler);
}

}  // namespace mekuri::win
