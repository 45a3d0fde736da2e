#include "platform/win32/clock.h"

#include <windows.h>

namespace mekuri::win {
namespace {
std::function<DateTime()>& TestClock() {
  static std::function<DateTime()> clock;
  return clock;
}
}  // namespace

DateTime Now() {
  if (auto& clock = TestClock()) return clock();
  SYSTEMTIME st{};
  GetLocalTime(&st);
  DateTime at;
  at.date = DateFromYmd(st.wYear, st.wMonth, st.wDay);
  at.hour = st.wHour;
  at.minute = st.wMinute;
  at.second = st.wSecond;
  at.millisecond = st.wMilliseconds;
  return at;
}

void SetClockForTesting(std::function<DateTime()> clock) { TestClock() = std::move(clock); }

}  // namespace mekuri::win
