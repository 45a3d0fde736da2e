// Every way of closing the small windows, and what each close asks of the hidden main window.
#include "form_fixture.h"
#include "mainwindow/win32/MainWndProc.h"

namespace mekuri::testing {
namespace {

enum class Asks { Nothing, CommonList, MainWindow };

using Closing = MainFormTest;

TEST_F(Closing, EveryWayClosesOnceAndAsksOnlyWhatItShould) {
  Form1& main = LoadForm(2004, 9, 10);
  auto notice = []() -> win::Window* { return ShowTodayNotice(DateFromYmd(2004, 9, 10)), FormToday::Current(); };
  auto signal = [this](int steps) {  // its buttons show after a dozen growth steps (timer 2)
    return [this, steps]() -> win::Window* {
      SetClock(2004, 9, 10, 11, 30, 0);  // minute 30: the main window's clock leaves the window alone
      FormJihou* jihou = FormJihou::Open();
      win::PumpMessages();
      for (int i = 0; i < steps && FormJihou::Current() == jihou; ++i) SendMessageW(jihou->hwnd(), WM_TIMER, 2, 0);
      return jihou;
    };
  };
  auto message = [](const char16_t* text) {
    FormMsg* msg = FormMsg::Open(u"10:00", text);
    if (msg) msg->Show();
    return win::PumpMessages(), msg;
  };
  auto key = [](UINT vk) { return [vk](win::Window&) { PostKey(vk); }; };
  auto asNotice = [](win::Window& w) -> FormToday& { return static_cast<FormToday&>(w); };
  const struct {  // leftOpen: windows of that form after the close
    const char* name; const wchar_t* form; std::function<win::Window*()> open;
    std::function<void(win::Window&)> close; int leftOpen; Asks asks;
  } ways[] = {
      {"notice: button", L"FormToday", notice,
       [&](win::Window& w) { SendMessageW(asNotice(w).Command1, BM_CLICK, 0, 0); }, 0, Asks::CommonList},
      {"notice: click", L"FormToday", notice,
       [](win::Window& w) { SendMessageW(w.hwnd(), WM_LBUTTONDOWN, 1, 0), SendMessageW(w.hwnd(), WM_LBUTTONUP, 0, 0); },
       0, Asks::CommonList},
      {"notice: Enter", L"FormToday", notice, key(VK_RETURN), 0, Asks::CommonList},
      {"notice: Esc", L"FormToday", notice, key(VK_ESCAPE), 0, Asks::CommonList},
      {"notice: replaced", L"FormToday", notice, [&](win::Window&) { notice(); }, 1, Asks::Nothing},
      {"notice: bulk close", L"FormToday", notice,
       [&](win::Window& w) { const Module1::BulkClose bulk; asNotice(w).Unload(); }, 0, Asks::Nothing},
      {"notice: at exit", L"FormToday", notice,
       [&](win::Window& w) { Module1::exiting = true, asNotice(w).Command1_Click(); }, 0, Asks::Nothing},
      {"time signal: Esc and Enter while growing", L"FormJihou", signal(5),
       [](win::Window&) { PostKey(VK_ESCAPE), PostKey(VK_RETURN); }, 1, Asks::Nothing},
      {"time signal: Esc", L"FormJihou", signal(12), key(VK_ESCAPE), 0, Asks::Nothing},
      {"time signal: Enter on the default 閉じる", L"FormJihou", signal(12), key(VK_RETURN), 0, Asks::Nothing},
      {"time signal: Tab, Enter on 表示", L"FormJihou", signal(12),
       [](win::Window&) { PostKey(VK_TAB), win::PumpMessages(), PostKey(VK_RETURN); }, 0, Asks::MainWindow},
      {"time signal: a minute", L"FormJihou", signal(12),
       [](win::Window& w) { SendMessageW(w.hwnd(), WM_TIMER, 1, 0); }, 0, Asks::Nothing},
      {"message: Enter closes only its own", L"FormMsg", [&] { return message(u"残る"), message(u""); },
       key(VK_RETURN), 1, Asks::Nothing},
      {"message: Esc closes only its own", L"FormMsg", [&] { return message(u"閉じる"); }, key(VK_ESCAPE), 1,
       Asks::Nothing},
  };
  for (const auto& way : ways) {
    SendMessageW(main.hwnd(), WM_CLOSE, 0, 0);  // hidden, as when the tray holds the program
    if (Form3* list = Form3::Current()) list->Unload();
    win::Window* window = way.open();
    win::PumpMessages();
    ASSERT_NE(window, nullptr) << way.name;
    SetForegroundWindow(window->hwnd());
    way.close(*window);
    win::PumpMessages();
    Module1::exiting = false;
    EXPECT_EQ(CountLoaded(way.form), way.leftOpen) << way.name;
    EXPECT_EQ(Form3::Current() != nullptr, way.asks == Asks::CommonList) << way.name;
    EXPECT_EQ(IsWindowVisible(main.hwnd()) != FALSE, way.asks == Asks::MainWindow) << way.name;
  }
}

}  // namespace
}  // namespace mekuri::testing
