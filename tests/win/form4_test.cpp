// The date dialog as the main window meets it: a modal wait that ends with
// a date, the cancel value or today, while timers keep running.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "form_fixture.h"
#include "memo/date_entry.h"
#include "memo/win32/Form2.h"
#include "memo/win32/Form4.h"
#include "platform/win32/window.h"

namespace mekuri::testing {
namespace {

class DateDialog : public MainFormTest {
 protected:
  using Step = std::function<void(Form4&)>;

  // Shows the dialog over the main window and, while its loop runs, takes
  // one step per timer tick. A dialog still open after the last step is
  // cancelled and noted in leftOpen_.
  Date Show(std::vector<Step> steps) {
    steps_ = std::move(steps);
    next_ = 0;
    leftOpen_ = false;
    running_ = this;
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, Tick);
    const Date picked = Form4::Open(form_->hwnd());
    KillTimer(nullptr, timer);
    running_ = nullptr;
    return picked;
  }

  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    DateDialog* self = running_;
    Form4* dialog = Form4::Current();
    if (!self || !dialog) return;
    if (self->next_ < self->steps_.size()) {
      self->steps_[self->next_++](*dialog);
    } else {
      self->leftOpen_ = true;
      dialog->Command2_Click();
    }
  }

  // Keys go to the focused control through the dialog's own loop.
  static void Key(UINT vk) {
    HWND focus = GetFocus();
    PostMessageW(focus, WM_KEYDOWN, vk, 1);
    PostMessageW(focus, WM_KEYUP, vk, 0xC0000001);
  }
  static Step TypeAndEnter(const wchar_t* y, const wchar_t* m, const wchar_t* d) {
    return [=](Form4& dialog) {
      SetWindowTextW(dialog.Text1, y);
      SetWindowTextW(dialog.Text2, m);
      SetWindowTextW(dialog.Text3, d);
      SetFocus(dialog.Text3);
      Key(VK_RETURN);
    };
  }
  static std::string AsText(Date d) { return FormatDate(d, "yyyy/mm/dd"); }
  static DWORD Selection(HWND box) { return static_cast<DWORD>(SendMessageW(box, EM_GETSEL, 0, 0)); }

  static inline DateDialog* running_ = nullptr;
  std::vector<Step> steps_;
  size_t next_ = 0;
  bool leftOpen_ = false;
};

TEST_F(DateDialog, OpensOnTodayOverADisabledMainWindowAndEnterOpensToday) {
  LoadForm(2004, 9, 5);
  const Date picked = Show({
      [this](Form4& d) {
        EXPECT_EQ(Text(d.hwnd()), L"メモ表示の年月日指定");
        EXPECT_EQ(Text(d.Text1), L"2004");
        EXPECT_EQ(Text(d.Text2), L"09");
        EXPECT_EQ(Text(d.Text3), L"05");
        EXPECT_EQ(Text(d.Command1), L"開く(&O)");
        EXPECT_EQ(GetFocus(), d.Text1);
        EXPECT_EQ(Selection(d.Text1), MAKELONG(0, 4));
        EXPECT_EQ(GetWindow(d.hwnd(), GW_OWNER), form_->hwnd());
        EXPECT_FALSE(IsWindowEnabled(form_->hwnd()));
        const LONG_PTR style = GetWindowLongPtrW(d.hwnd(), GWL_STYLE);
        EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_SYSMENU), WS_SYSMENU);
        Key(VK_TAB);
      },
      [](Form4& d) {
        EXPECT_EQ(GetFocus(), d.Text2) << "Tab goes from the year to the month";
        EXPECT_EQ(Selection(d.Text2), MAKELONG(0, 2));
        Key(VK_RETURN);
      },
  });
  EXPECT_EQ(AsText(picked), "2004/09/05");
  EXPECT_FALSE(leftOpen_);
  EXPECT_EQ(Form4::Current(), nullptr);
  EXPECT_TRUE(IsWindowEnabled(form_->hwnd()));
}

TEST_F(DateDialog, OutOfRangeValuesKeepItOpenWithoutAMessage) {
  LoadForm(2004, 9, 5);
  const std::vector<Step> steps = {
      TypeAndEnter(L"1969", L"09", L"01"), TypeAndEnter(L"2101", L"09", L"01"),
      TypeAndEnter(L"2004", L"0", L"01"),  TypeAndEnter(L"2004", L"13", L"01"),
      TypeAndEnter(L"2004", L"09", L"0"),  TypeAndEnter(L"2004", L"09", L"32"),
  };
  EXPECT_EQ(AsText(Show(steps)), "1000/01/01");
  EXPECT_TRUE(leftOpen_) << "closed after step " << next_;
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(DateDialog, EachWayOfClosingHandsBackItsDate) {
  LoadForm(2004, 9, 5);
  const struct {
    const char* way;
    Step step;
    const char* picked;
  } cases[] = {
      {"typed day", TypeAndEnter(L"2004", L"9", L"1"), "2004/09/01"},
      {"no such day", TypeAndEnter(L"2004", L"02", L"30"), "1000/01/01"},
      {"Esc", [](Form4&) { Key(VK_ESCAPE); }, "1000/01/01"},
      {"Enter on the focused close button",
       [](Form4& d) {
         SetFocus(d.Command2);
         Key(VK_RETURN);
       },
       "1000/01/01"},
      {"close box", [](Form4& d) { PostMessageW(d.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0); }, "2004/09/05"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AsText(Show({c.step})), c.picked) << c.way;
    EXPECT_FALSE(leftOpen_) << c.way;
  }
}

TEST_F(DateDialog, ATimerCancelsTheWaitAndEveryWindowComesBack) {
  LoadForm(2004, 9, 5);
  Form2* memo = Form2::Open();
  ASSERT_NE(memo, nullptr);
  const Date picked = Show({[this, memo](Form4& d) {
    EXPECT_FALSE(IsWindowEnabled(memo->hwnd()));
    EXPECT_EQ(Form4::Open(form_->hwnd()), kCancelDate) << "a second dialog does not open";
    EXPECT_EQ(Form4::Current(), &d);
    Form4::Current()->Command2_Click();
  }});
  EXPECT_EQ(AsText(picked), "1000/01/01");
  EXPECT_FALSE(leftOpen_);
  EXPECT_TRUE(IsWindowEnabled(memo->hwnd()));
  EXPECT_TRUE(IsWindowEnabled(form_->hwnd()));
}

TEST_F(DateDialog, QuitEndsTheWaitAndReachesTheOuterLoop) {
  LoadForm(2004, 9, 5);
  EXPECT_EQ(AsText(Show({[](Form4&) { PostQuitMessage(3); }})), "1000/01/01");
  EXPECT_EQ(Form4::Current(), nullptr);
  EXPECT_TRUE(IsWindowEnabled(form_->hwnd()));
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
}

}  // namespace
}  // namespace mekuri::testing
