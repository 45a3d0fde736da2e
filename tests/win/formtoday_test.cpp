// The today notice: its sentence and place, and which closes ask the main
// window for the common-information window.
#include <windows.h>

#include <functional>

#include "form_fixture.h"
#include "memo/win32/FormToday.h"
#include "platform/win32/window.h"
#include "shell/commands.h"
#include "state/win32/Module1.h"

namespace mekuri::testing {
namespace {

class TodayNotice : public MainFormTest {
 protected:
  FormToday* Open() {
    FormToday* notice = FormToday::Open();
    EXPECT_NE(notice, nullptr);
    if (!notice) return nullptr;
    EXPECT_FALSE(IsWindowVisible(notice->hwnd())) << "loaded hidden";
    notice->SetDate(DateFromYmd(2004, 9, 10));
    notice->Show();
    PumpNotice();
    return notice;
  }
  // Handles the notice's messages only: a command it posts stays queued for
  // the main window, where CommonInfoPosted counts it.
  static void PumpNotice() {
    MSG msg;
    while (FormToday* notice = FormToday::Current()) {
      if (!PeekMessageW(&msg, notice->hwnd(), 0, 0, PM_REMOVE)) break;
      if (win::TranslateDialogKeys(msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  int CommonInfoPosted() {
    int count = 0;
    MSG msg;
    while (PeekMessageW(&msg, form_->hwnd(), WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
      if (msg.wParam == kCmdCommonInfo && msg.lParam == 0) ++count;
    }
    return count;
  }
  static void Key(UINT vk) {
    PostMessageW(GetFocus(), WM_KEYDOWN, vk, 1);
    PostMessageW(GetFocus(), WM_KEYUP, vk, 0xC0000001);
  }
  static void Click(HWND target) {
    SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    if (IsWindow(target)) SendMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  }
};

TEST_F(TodayNotice, ShowsTheSentenceCentredWithoutATitleBar) {
  LoadForm(2004, 9, 10);
  FormToday* notice = Open();
  ASSERT_NE(notice, nullptr);
  EXPECT_EQ(FormToday::Current(), notice);
  EXPECT_EQ(Text(notice->Label1), L"　今日は、9 月 10 日 金曜日です。");
  EXPECT_EQ(Text(notice->Command1), L"閉じる(&C)");
  EXPECT_NE(GetWindowLongPtrW(notice->hwnd(), GWL_STYLE) & WS_CAPTION, WS_CAPTION);
  EXPECT_EQ(GetForegroundWindow(), notice->hwnd());
  EXPECT_EQ(GetFocus(), notice->Command1);

  RECT window{}, client{}, label{};
  GetWindowRect(notice->hwnd(), &window);
  EXPECT_NEAR(window.left + window.right, GetSystemMetrics(SM_CXSCREEN), 1);
  EXPECT_NEAR(window.top + window.bottom, GetSystemMetrics(SM_CYSCREEN), 1);
  GetClientRect(notice->hwnd(), &client);
  GetWindowRect(notice->Label1, &label);
  MapWindowPoints(nullptr, notice->hwnd(), reinterpret_cast<POINT*>(&label), 2);
  EXPECT_NEAR(label.left + label.right, client.right, 1) << "the sentence is centred";
  EXPECT_GT(label.left, 0) << "and fits";
}

TEST_F(TodayNotice, EveryCloseByHandAsksOnceForTheCommonInformation) {
  LoadForm(2004, 9, 10);
  const std::pair<const char*, std::function<void(FormToday&)>> ways[] = {
      {"button", [](FormToday& n) { SendMessageW(n.Command1, BM_CLICK, 0, 0); }},
      {"message", [](FormToday& n) { Click(n.Label1); }},
      {"notice", [](FormToday& n) { Click(n.hwnd()); }},
      {"Enter", [](FormToday&) { Key(VK_RETURN); }},
      {"Esc", [](FormToday&) { Key(VK_ESCAPE); }},
  };
  for (const auto& [name, close] : ways) {
    FormToday* notice = Open();
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(CommonInfoPosted(), 0) << name;
    close(*notice);
    PumpNotice();
    EXPECT_EQ(FormToday::Current(), nullptr) << name;
    EXPECT_EQ(CommonInfoPosted(), 1) << name;
  }
}

TEST_F(TodayNotice, ClosesByTheProgramStayQuiet) {
  LoadForm(2004, 9, 10);
  const std::pair<const char*, std::function<void(FormToday&)>> ways[] = {
      {"replaced", [](FormToday& n) { n.fCloseOnly = true; n.Unload(); }},
      {"bulk close", [](FormToday& n) { const Module1::BulkClose bulk; n.Unload(); }},
      {"exit", [](FormToday& n) { Module1::exiting = true; n.Command1_Click(); }},
  };
  for (const auto& [name, close] : ways) {
    FormToday* notice = Open();
    ASSERT_NE(notice, nullptr);
    close(*notice);
    Module1::exiting = false;
    EXPECT_EQ(FormToday::Current(), nullptr) << name;
    EXPECT_EQ(CommonInfoPosted(), 0) << name;
  }
}

}  // namespace
}  // namespace mekuri::testing
