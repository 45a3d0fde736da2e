// The time-signal window: the hour it names, the chime's growth that reveals
// the buttons, and every way it closes.
#include <windows.h>

#include <algorithm>
#include <functional>

#include "form_fixture.h"
#include "platform/win32/clock.h"
#include "shell/commands.h"
#include "timesignal/win32/FormJihou.h"

namespace mekuri::testing {
namespace {

class TimeSignalWindow : public MainFormTest {
 protected:
  // Minute 30: the main window's own clock leaves the window alone.
  FormJihou* Open(int hour = 11) {
    if (!form_) LoadForm(2004, 9, 10);
    win::SetClockForTesting([hour] {
      DateTime at;
      at.date = DateFromYmd(2004, 9, 10);
      at.hour = hour;
      at.minute = 30;
      return at;
    });
    FormJihou* jihou = FormJihou::Open();
    EXPECT_NE(jihou, nullptr);
    PumpJihou();
    return jihou;
  }
  // Timer2 by hand, without waiting; 12 steps end the growth.
  static void Tick(FormJihou* jihou, int times = 1) {
    for (int i = 0; i < times && FormJihou::Current() == jihou; ++i) SendMessageW(jihou->hwnd(), WM_TIMER, 2, 0);
  }
  // The window's own messages only: what it posts to the main window stays
  // queued for ShowMainPosted.
  static void PumpJihou() {
    MSG msg;
    while (FormJihou* jihou = FormJihou::Current()) {
      if (!PeekMessageW(&msg, jihou->hwnd(), 0, 0, PM_REMOVE)) break;
      if (win::TranslateDialogKeys(msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  static void Key(UINT vk) {
    HWND focus = GetFocus();
    FormJihou* jihou = FormJihou::Current();
    ASSERT_TRUE(jihou && focus && GetAncestor(focus, GA_ROOT) == jihou->hwnd()) << "keys reach the window";
    PostMessageW(focus, WM_KEYDOWN, vk, 1);
    PostMessageW(focus, WM_KEYUP, vk, 0xC0000001);
    PumpJihou();
  }
  int ShowMainPosted() {
    int count = 0;
    MSG msg;
    while (PeekMessageW(&msg, form_->hwnd(), WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
      count += msg.wParam == kCmdShowMain && msg.lParam == 0;
    }
    return count;
  }
  static int ClientHeight(HWND h) {
    RECT r{};
    GetClientRect(h, &r);
    return r.bottom;
  }
  static LOGFONTW FontOf(HWND control) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
    return lf;
  }
};

TEST_F(TimeSignalWindow, NamesTheComingHourInASmallCentredTopmostPopUp) {
  FormJihou* jihou = Open(11);
  ASSERT_NE(jihou, nullptr);
  const HWND h = jihou->hwnd();
  EXPECT_EQ(Text(jihou->Label1), L"正午です");
  EXPECT_TRUE(IsWindowVisible(h));
  EXPECT_EQ(GetWindowLongPtrW(h, GWL_EXSTYLE) & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW), WS_EX_TOPMOST | WS_EX_TOOLWINDOW)
      << "on top, and no taskbar button";
  RECT window{};
  GetWindowRect(h, &window);
  EXPECT_NEAR(window.top + window.bottom, GetSystemMetrics(SM_CYSCREEN), 1) << "centred";
  EXPECT_EQ(ClientHeight(h), win::Scale(67, win::WindowDpi(h)));

  EXPECT_EQ(Text(Open(23)->Label1), L"0時です");
  EXPECT_EQ(Text(Open(12)->Label1), L"1時です");
}

TEST_F(TimeSignalWindow, ChimeTextGrowsThenTheWindowRevealsBothButtonsAndCyclesColours) {
  FormJihou* jihou = Open();
  ASSERT_NE(jihou, nullptr);
  const HWND h = jihou->hwnd();
  const UINT dpi = win::WindowDpi(h);
  const int small = ClientHeight(h);
  const LONG designFont = FontOf(jihou->Label2).lfHeight;

  Tick(jihou);
  EXPECT_EQ(Text(jihou->Label2), L"ぽーん♪");
  Tick(jihou, 10);
  EXPECT_EQ(ClientHeight(h), small) << "still growing after 11 steps";

  Tick(jihou);
  RECT button{};
  GetWindowRect(jihou->Command1, &button);
  EXPECT_EQ(ClientHeight(h), small + (button.bottom - button.top) + win::Scale(8, dpi));
  MapWindowPoints(nullptr, h, reinterpret_cast<POINT*>(&button), 2);
  EXPECT_LE(button.bottom, ClientHeight(h)) << "the buttons (one row) in view";
  EXPECT_EQ(FontOf(jihou->Label2).lfHeight, -MulDiv(2025, static_cast<int>(dpi), 7200));
  EXPECT_EQ(FontOf(jihou->Label2).lfWeight, FW_BOLD);
  EXPECT_EQ(GetFocus(), jihou->Command1);

  // The colour the label paints with, as the window answers it.
  const auto textColour = [&] {
    HDC dc = GetDC(jihou->Label2);
    SendMessageW(h, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(jihou->Label2));
    const COLORREF colour = GetTextColor(dc);
    ReleaseDC(jihou->Label2, dc);
    return colour;
  };
  EXPECT_EQ(textColour(), GetSysColor(COLOR_WINDOWTEXT)) << "until the first slow step";
  Tick(jihou);
  EXPECT_EQ(textColour(), RGB(255, 0, 0));

  // The next showing starts again from the design, in the one window.
  FormJihou* again = Open();
  ASSERT_NE(again, nullptr);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(std::count_if(win::Window::Loaded().begin(), win::Window::Loaded().end(),
                          [](win::Window* w) { return lstrcmpW(w->FormName(), L"FormJihou") == 0; }), 1);
  EXPECT_EQ(ClientHeight(again->hwnd()), small);
  EXPECT_EQ(Text(again->Label2), L"");
  EXPECT_EQ(FontOf(again->Label2).lfHeight, designFont);
}

TEST_F(TimeSignalWindow, EnterAndEscapeActOnlyOnceTheButtonsShow) {
  FormJihou* jihou = Open();
  ASSERT_NE(jihou, nullptr);
  for (int steps : {0, 5}) {
    Tick(jihou, steps);
    Key(VK_ESCAPE);
    Key(VK_RETURN);
    EXPECT_EQ(FormJihou::Current(), jihou) << "no default or cancel button after " << steps << " steps";
  }
  Tick(jihou, 12);
  Key(VK_ESCAPE);
  EXPECT_EQ(FormJihou::Current(), nullptr) << "Esc: 閉じる is the cancel button";

  Tick(Open(), 12);
  Key(VK_RETURN);
  EXPECT_EQ(FormJihou::Current(), nullptr) << "Enter: 閉じる is the default button";
  EXPECT_EQ(ShowMainPosted(), 0);

  jihou = Open();
  Tick(jihou, 12);
  Key(VK_TAB);
  ASSERT_EQ(GetFocus(), jihou->Command2);
  Key(VK_RETURN);
  EXPECT_EQ(FormJihou::Current(), nullptr);
  EXPECT_EQ(ShowMainPosted(), 1) << "Enter presses the focused 表示";
}

TEST_F(TimeSignalWindow, EveryCloseActsOnceAndOnlyShowAsksForTheMainWindow) {
  const struct {
    const char* name;
    std::function<void(FormJihou&)> close;
    int showMain;
  } ways[] = {
      {"click 表示", [](FormJihou& j) { SendMessageW(j.Command2, BM_CLICK, 0, 0); }, 1},
      {"Space on 表示", [](FormJihou& j) { SetFocus(j.Command2); Key(VK_SPACE); }, 1},
      {"Space on 閉じる", [](FormJihou& j) { SetFocus(j.Command1); Key(VK_SPACE); }, 0},
      {"click 閉じる", [](FormJihou& j) { SendMessageW(j.Command1, BM_CLICK, 0, 0); }, 0},
      {"a minute, colours cycling", [](FormJihou& j) { SendMessageW(j.hwnd(), WM_TIMER, 1, 0); }, 0},
  };
  for (const auto& way : ways) {
    FormJihou* jihou = Open();
    ASSERT_NE(jihou, nullptr);
    Tick(jihou, 14);
    way.close(*jihou);
    PumpJihou();
    EXPECT_EQ(FormJihou::Current(), nullptr) << way.name;
    EXPECT_EQ(ShowMainPosted(), way.showMain) << way.name;
  }
  SendMessageW(Open()->hwnd(), WM_TIMER, 1, 0);
  EXPECT_EQ(FormJihou::Current(), nullptr) << "a minute, before the chime";
}

TEST_F(TimeSignalWindow, RealTimersRevealTheButtonsWithinASecondAndAHalf) {
  FormJihou* jihou = Open();
  ASSERT_NE(jihou, nullptr);
  const int small = ClientHeight(jihou->hwnd());
  const DWORD begin = GetTickCount();
  while (ClientHeight(jihou->hwnd()) == small && GetTickCount() - begin < 3000) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    PumpJihou();
  }
  EXPECT_LT(GetTickCount() - begin, 1500u) << "800 ms, then a dozen 20 ms steps";
  EXPECT_EQ(Text(jihou->Label2), L"ぽーん♪");
}

}  // namespace
}  // namespace mekuri::testing
