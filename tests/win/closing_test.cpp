// Every way of closing the small windows, and what each close asks of the
// hidden main window through its command: the today notice closed by hand
// opens the common list, the time signal's 表示 shows the main window, any
// other close asks for nothing.
#include <windows.h>

#include <functional>

#include "about/win32/FormMsg.h"
#include "about/win32/FormVer.h"
#include "commonlist/win32/Form3.h"
#include "form_fixture.h"
#include "memo/win32/FormToday.h"
#include "platform/win32/window.h"
#include "startup/win32/Module1.h"
#include "timesignal/win32/FormJihou.h"

namespace mekuri::testing {
namespace {

enum class Asks { Nothing, CommonList, MainWindow };

void Click(HWND target) {
  SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  if (IsWindow(target)) SendMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}
// The time signal's buttons show after a dozen growth steps (its timer 2).
FormJihou* Grown(FormJihou* jihou, int steps = 12) {
  for (int i = 0; i < steps && FormJihou::Current() == jihou; ++i) SendMessageW(jihou->hwnd(), WM_TIMER, 2, 0);
  return jihou;
}

using Closing = MainFormTest;

TEST_F(Closing, EveryWayClosesOnceAndAsksOnlyWhatItShould) {
  Form1& main = LoadForm(2004, 9, 10);
  const struct {
    const char* name;
    const wchar_t* form;
    std::function<win::Window*()> open;
    std::function<void(win::Window&)> close;
    int leftOpen;  // windows of that form after the close
    Asks asks;
  } ways[] = {
      {"notice: button", L"FormToday", [this] { return OpenNotice(); },
       [](win::Window& w) { SendMessageW(static_cast<FormToday&>(w).Command1, BM_CLICK, 0, 0); }, 0, Asks::CommonList},
      {"notice: click on the window", L"FormToday", [this] { return OpenNotice(); },
       [](win::Window& w) { Click(w.hwnd()); }, 0, Asks::CommonList},
      {"notice: Enter", L"FormToday", [this] { return OpenNotice(); }, [](win::Window&) { PostKey(VK_RETURN); }, 0,
       Asks::CommonList},
      {"notice: Esc", L"FormToday", [this] { return OpenNotice(); }, [](win::Window&) { PostKey(VK_ESCAPE); }, 0,
       Asks::CommonList},
      {"notice: replaced", L"FormToday", [this] { return OpenNotice(); },
       [](win::Window& w) { static_cast<FormToday&>(w).fCloseOnly = true; static_cast<FormToday&>(w).Unload(); }, 0,
       Asks::Nothing},
      {"notice: bulk close", L"FormToday", [this] { return OpenNotice(); },
       [](win::Window& w) { const Module1::BulkClose bulk; static_cast<FormToday&>(w).Unload(); }, 0, Asks::Nothing},
      {"notice: at exit", L"FormToday", [this] { return OpenNotice(); },
       [](win::Window& w) { Module1::fExiting = true; static_cast<FormToday&>(w).Command1_Click(); }, 0,
       Asks::Nothing},
      {"time signal: Esc and Enter while growing", L"FormJihou", [this] { return Grown(OpenTimeSignal(), 5); },
       [](win::Window&) { PostKey(VK_ESCAPE); PostKey(VK_RETURN); }, 1, Asks::Nothing},
      {"time signal: Esc", L"FormJihou", [this] { return Grown(OpenTimeSignal()); },
       [](win::Window&) { PostKey(VK_ESCAPE); }, 0, Asks::Nothing},
      {"time signal: Enter on the default 閉じる", L"FormJihou", [this] { return Grown(OpenTimeSignal()); },
       [](win::Window&) { PostKey(VK_RETURN); }, 0, Asks::Nothing},
      {"time signal: Tab, Enter on 表示", L"FormJihou", [this] { return Grown(OpenTimeSignal()); },
       [](win::Window&) { PostKey(VK_TAB); win::PumpMessages(); PostKey(VK_RETURN); }, 0, Asks::MainWindow},
      {"time signal: Space on 表示", L"FormJihou", [this] { return Grown(OpenTimeSignal()); },
       [](win::Window& w) { SetFocus(static_cast<FormJihou&>(w).Command2); PostKey(VK_SPACE); }, 0, Asks::MainWindow},
      {"time signal: a minute", L"FormJihou", [this] { return Grown(OpenTimeSignal()); },
       [](win::Window& w) { SendMessageW(w.hwnd(), WM_TIMER, 1, 0); }, 0, Asks::Nothing},
      {"version: Esc", L"FormVer", [this] { return OpenVersion(); }, [](win::Window&) { PostKey(VK_ESCAPE); }, 0,
       Asks::Nothing},
      {"message: Enter closes only its own", L"FormMsg",
       [this] { return OpenMessage(u"10:00", u"残る"), OpenMessage(u"10:00", u""); },
       [](win::Window& w) { SetFocus(static_cast<FormMsg&>(w).Text1); PostKey(VK_RETURN); }, 1, Asks::Nothing},
      {"message: Esc closes only its own", L"FormMsg", [this] { return OpenMessage(u"10:00", u"閉じる"); },
       [](win::Window& w) { SetFocus(static_cast<FormMsg&>(w).Text1); PostKey(VK_ESCAPE); }, 1, Asks::Nothing},
  };
  for (const auto& way : ways) {
    SendMessageW(main.hwnd(), WM_CLOSE, 0, 0);  // hidden, as when the tray holds the program
    if (Form3* list = Form3::Current()) list->Unload();
    win::Window* window = way.open();
    ASSERT_NE(window, nullptr) << way.name;
    SetForegroundWindow(window->hwnd());
    way.close(*window);
    win::PumpMessages();
    Module1::fExiting = false;
    EXPECT_EQ(CountLoaded(way.form), way.leftOpen) << way.name;
    EXPECT_EQ(Form3::Current() != nullptr, way.asks == Asks::CommonList) << way.name;
    EXPECT_EQ(IsWindowVisible(main.hwnd()) != FALSE, way.asks == Asks::MainWindow) << way.name;
  }
  EXPECT_EQ(OpenVersion(), OpenVersion()) << "a second command brings the one window forward";
}

}  // namespace
}  // namespace mekuri::testing
