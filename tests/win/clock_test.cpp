// The main window's clock and scheduled messages with the clock seam: the
// status bar, the chime commands, the time-signal window and the messages.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "about/win32/FormMsg.h"
#include "form_fixture.h"
#include "memo/win32/Form4.h"
#include "platform/win32/clock.h"
#include "platform/win32/sound.h"
#include "platform/win32/window.h"
#include "state/win32/Module1.h"
#include "timesignal/win32/FormJihou.h"

namespace mekuri::testing {
namespace {

class Clock : public MainFormTest {
 protected:
  void SetUp() override {
    MainFormTest::SetUp();
    win::SetSoundForTesting([this](const std::wstring& c) {
      sound_.push_back(c);
      return 0;
    });
  }
  void TearDown() override {
    MainFormTest::TearDown();
    win::SetSoundForTesting(nullptr);
  }
  void At(int h, int m, int s) {
    now_ = DateTime{DateFromYmd(2004, 9, 10), h, m, s, 0};
    win::SetClockForTesting([this] { return now_; });
  }
  // Runs the clock handler over a span of seconds, two ticks a second.
  void Span(int h, int m, int s, int seconds) {
    for (int i = 0; i < seconds; ++i) {
      const int t = h * 3600 + m * 60 + s + i;
      At(t / 3600 % 24, t / 60 % 60, t % 60);
      form_->Timer3_Timer();
      form_->Timer3_Timer();
    }
  }
  bool StatusBold() const {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(form_->StatusBar1, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
    return lf.lfWeight >= FW_BOLD;
  }
  int Count(const wchar_t* name) const {
    const auto& loaded = win::Window::Loaded();
    return static_cast<int>(std::count_if(loaded.begin(), loaded.end(),
                                          [name](win::Window* w) { return lstrcmpW(w->FormName(), name) == 0; }));
  }
  DateTime now_;
  std::vector<std::wstring> sound_;
};

TEST_F(Clock, TheStatusBarTheChimeAndTheWindowAroundAFullHour) {
  LoadForm();
  Span(10, 59, 50, 6);
  EXPECT_EQ(Text(form_->StatusBar1), L"2004/09/10 10:59:55");
  ASSERT_FALSE(sound_.empty());
  EXPECT_EQ(sound_[0], L"open \"" + Module1::strAppPath + L"Jihou.wav\" alias Mekurinote_Jihou");
  EXPECT_FALSE(StatusBold());

  Span(10, 59, 57, 1);
  EXPECT_TRUE(StatusBold());
  EXPECT_EQ(sound_.back(), L"play Mekurinote_Jihou");
  EXPECT_EQ(Count(L"FormJihou"), 0);
  Span(10, 59, 59, 1);
  EXPECT_EQ(Count(L"FormJihou"), 1) << "two ticks in hh:59:59, one window";
  Span(11, 0, 0, 3);
  EXPECT_FALSE(StatusBold()) << "plain again from hh:00:02";
  Span(11, 0, 3, 10);
  EXPECT_EQ(sound_.back(), L"close Mekurinote_Jihou");
}

TEST_F(Clock, TheTickReadsABarTextOfAnyLengthSetFromOutside) {
  LoadForm();
  At(10, 0, 0);
  for (size_t length : {3000u, 70000u, 64u, 63u}) {
    const std::wstring text(length, L'x');
    SendMessageW(form_->StatusBar1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    ASSERT_EQ(LOWORD(SendMessageW(form_->StatusBar1, SB_GETTEXTLENGTHW, 0, 0)), length & 0xFFFF);
    form_->Timer3_Timer();
    EXPECT_EQ(Text(form_->StatusBar1), L"2004/09/10 10:00:00") << length;
  }
}

TEST_F(Clock, WithTheSwitchOffTheChimePlaysButNoWindowOpens) {
  LoadForm();
  Module1::EveryHour = false;
  Span(10, 59, 50, 12);
  EXPECT_EQ(Count(L"FormJihou"), 0);
  EXPECT_NE(std::find(sound_.begin(), sound_.end(), L"play Mekurinote_Jihou"), sound_.end());
  Module1::EveryHour = true;
}

TEST_F(Clock, AnOpenDateDialogIsCancelledBeforeTheWindowOpens) {
  LoadForm();
  At(10, 59, 59);
  SetTimer(form_->hwnd(), 90, 30, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(Module1::MainForm()->hwnd(), id);
    Module1::MainForm()->Timer3_Timer();
  });
  Form4::Open(form_->hwnd());  // returns once the clock cancels it
  EXPECT_EQ(Form4::Current(), nullptr);
  EXPECT_EQ(Count(L"FormJihou"), 1);
}

TEST_F(Clock, ScheduledMessagesOpenTheirWindowsAtTheirMinute) {
  WriteSettings("[Mekurinote]\r\nM01=09:00/first\r\nM02=09:00/second\r\nM03=13:00/\r\n");
  LoadForm();  // at 12:00: the window's own timer may tick before the test does
  At(8, 59, 59);
  form_->Timer4_Timer();
  EXPECT_EQ(Count(L"FormMsg"), 0);
  At(9, 0, 0);
  for (int i = 0; i < 4; ++i) form_->Timer4_Timer();
  ASSERT_EQ(Count(L"FormMsg"), 2) << "two entries at one minute, two windows, once";
  At(12, 59, 59);
  form_->Timer4_Timer();
  At(13, 0, 0);
  form_->Timer4_Timer();
  EXPECT_EQ(Count(L"FormMsg"), 3) << "an entry without text opens too";
}

}  // namespace
}  // namespace mekuri::testing
