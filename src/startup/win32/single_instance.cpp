#include "startup/win32/single_instance.h"

#include "base/texts.h"
#include "platform/win32/text.h"
#include "platform/win32/window.h"

namespace mekuri {
namespace {

// The name of this thread's desktop; FindWindow looks only there, so the
// mutex covers the same ground.
std::wstring DesktopName() {
  HDESK desk = GetThreadDesktop(GetCurrentThreadId());
  DWORD need = 0;
  GetUserObjectInformationW(desk, UOI_NAME, nullptr, 0, &need);
  if (need == 0) return L"";
  std::wstring name(need / sizeof(wchar_t) + 1, L'\0');
  if (!GetUserObjectInformationW(desk, UOI_NAME, name.data(), static_cast<DWORD>(name.size() * sizeof(wchar_t)),
                                 &need)) {
    return L"";
  }
  name.resize(wcsnlen(name.c_str(), name.size()));
  // A backslash would name a folder of the object namespace.
  for (wchar_t& c : name) {
    if (c == L'\\') c = L'_';
  }
  return name;
}

}  // namespace

std::wstring InstanceMutexName() { return L"Local\\Mekurinote.Instance." + DesktopName(); }

HWND FindRunningMainWindow() {
  return FindWindowW(win::WindowClassName(L"Form1").c_str(), win::Wide(kMainCaption).c_str());
}

InstanceMutex::InstanceMutex() : mutex_(CreateMutexW(nullptr, FALSE, InstanceMutexName().c_str())) {}

InstanceMutex::~InstanceMutex() {
  if (owned_) ReleaseMutex(mutex_);
  if (mutex_) CloseHandle(mutex_);
}

bool InstanceMutex::Acquire(DWORD ms) {
  if (owned_) return true;
  // Without a mutex (the system refused it) the copy runs as before: the
  // window lookup alone still keeps most second starts out.
  if (!mutex_) return true;
  const DWORD result = WaitForSingleObject(mutex_, ms);
  owned_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
  return owned_;
}

}  // namespace mekuri
