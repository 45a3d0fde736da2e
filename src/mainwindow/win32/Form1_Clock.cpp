// The main window's sense of time: the status-bar clock with the chime
// around every full hour, and the daily scheduled messages.
#include <windows.h>
#include <commctrl.h>

#include "about/win32/FormMsg.h"
#include "mainwindow/win32/Form1.h"
#include "memo/win32/Form4.h"
#include "platform/win32/clock.h"
#include "platform/win32/sound.h"
#include "platform/win32/text.h"
#include "state/win32/Module1.h"
#include "timesignal/win32/FormJihou.h"

namespace mekuri {
namespace {

// A window of its own may not open over a date dialog left waiting.
void CancelDateDialog() {
  if (Form4* dialog = Form4::Current()) dialog->Command2_Click();
}

}  // namespace

void Form1::ArmSecondTick(const DateTime& now) {
  // Each setting is a call to the Wine server: only when the tick drifted.
  const int interval = SecondTimerInterval(now.millisecond, secondTimerMs_);
  if (interval == 0) return;
  secondTimerMs_ = interval;
  SetTimer(hwnd(), kTimer3, static_cast<UINT>(interval), nullptr);
}

void Form1::SecondTick() {
  // Armed first: whatever the handlers open, the next tick still comes at
  // the turn of the second.
  ArmSecondTick(win::Now());
  Timer3_Timer();
  Timer4_Timer();
  Timer1_Timer();
  if (hidingPeriod_.Due(GetTickCount64(), HidingWatch::kIntervalMs)) Timer5_Timer();
}

void Form1::ShowClock(const DateTime& now) {
  const std::wstring clock = win::WideAscii(FormatDateTime(now, "yyyy/mm/dd hh:mm:ss"));
  // Any program can set the bar's text, at any length; it is read whole.
  if (win::GetText(StatusBar1) != clock)
    SendMessageW(StatusBar1, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(clock.c_str()));
}

void Form1::Timer3_Timer() {
  const DateTime now = win::Now();
  ShowClock(now);
  const ClockTick tick = clockTicker_.Tick(
      now, Module1::EveryHour, win::U16(Module1::strAppPath),
      [](const std::u16string& command) { return win::SendSoundCommand(win::Wide(command)); });
  if (tick.setFont && tick.bold != statusBold_) {
    statusBold_ = tick.bold;
    SendMessageW(StatusBar1, WM_SETFONT,
                 reinterpret_cast<WPARAM>(statusBold_ ? fontStatusBold_.get() : fontWindow_.get()), TRUE);
  }
  if (tick.openWindow) {
    CancelDateDialog();
    FormJihou::Open();
  }
}

void Form1::Timer4_Timer() {
  const std::vector<int> due = msgTicker_.Tick(Module1::strMsgTable, win::Now());
  for (int index : due) {
    CancelDateDialog();
    const std::u16string& entry = Module1::strMsgTable[index];
    if (FormMsg* message = FormMsg::Open(MessageTime(entry), MessageText(entry))) message->Show();
  }
}

}  // namespace mekuri
