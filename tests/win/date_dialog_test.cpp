// The date dialog's modal wait: the keys that end it with their date, and every command arriving while it runs.
#include "form_fixture.h"
#include "settings/settings.h"

namespace mekuri::testing {
namespace {

using Step = std::function<void(Form4&)>;

Step Type(const wchar_t* y, const wchar_t* m, const wchar_t* d) {
  return [=](Form4& dialog) {
    SetWindowTextW(dialog.Text1, y), SetWindowTextW(dialog.Text2, m), SetWindowTextW(dialog.Text3, d);
    SetFocus(dialog.Text3), PostKey(VK_RETURN);
  };
}

std::vector<Step> steps;
size_t nextStep = 0;
bool running = false, leftOpen = false;  // leftOpen: every step ran and the test cancelled the wait

// `open` starts the wait; one step per timer tick while its loop runs.
Date RunDateDialog(std::vector<Step> run, const std::function<Date()>& open) {
  steps = std::move(run), nextStep = 0, running = true, leftOpen = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
    Form4* dialog = Form4::Current();
    if (!dialog || !running) return;
    if (nextStep < steps.size()) return steps[nextStep++](*dialog);
    leftOpen = true, dialog->Command2_Click();
  });
  const Date picked = open();
  KillTimer(nullptr, timer), running = false;
  return picked;
}

using DateDialog = MainFormTest;

TEST_F(DateDialog, KeysEndTheWaitWithTheirDate) {
  LoadForm(2004, 9, 5);
  const struct { const char* way; std::vector<Step> steps; const char* picked; bool staysOpen; } cases[] = {
      {"Enter on today, the year focused", {[](Form4&) { PostKey(VK_RETURN); }}, "2004/09/05", false},
      {"Tab to the month",
       {[](Form4&) { PostKey(VK_TAB); }, [](Form4&) { SetWindowTextW(GetFocus(), L"8"), PostKey(VK_RETURN); }},
       "2004/08/05", false},
      {"typed day", {Type(L"2004", L"9", L"1")}, "2004/09/01", false},
      {"no such day", {Type(L"2004", L"02", L"30")}, "1000/01/01", false},
      {"Esc", {[](Form4&) { PostKey(VK_ESCAPE); }}, "1000/01/01", false},
      {"Enter on the close button", {[](Form4& d) { SetFocus(d.Command2), PostKey(VK_RETURN); }}, "1000/01/01", false},
      {"close box", {[](Form4& d) { PostMessageW(d.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0); }}, "2004/09/05", false},
      {"out of range, quietly", {Type(L"1969", L"09", L"01"), Type(L"2004", L"13", L"1")}, "1000/01/01", true},
  };
  for (const auto& c : cases) {
    const Date picked = RunDateDialog(c.steps, [this] { return Form4::Open(form_->hwnd()); });
    EXPECT_EQ(FormatDate(picked, "yyyy/mm/dd"), c.picked) << c.way;
    EXPECT_EQ(leftOpen, c.staysOpen) << c.way;
    EXPECT_TRUE(IsWindowEnabled(form_->hwnd())) << c.way;
  }
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(DateDialog, CommandsArrivingDuringTheWait) {
  const HWND h = LoadForm(2004, 9, 10).hwnd();
  auto command = [h](WPARAM id) { return [h, id](Form4&) { SendMessageW(h, WM_COMMAND, id, 0); }; };
  const CipherLibrary missing;
  const struct {
    const char* what; std::function<void()> before; Step arrives; bool staysOpen; std::function<bool()> after;
  } cases[] = {
      {"a second dialog", nullptr,
       [h](Form4& d) { EXPECT_TRUE(Form4::Open(h) == kCancelDate && Form4::Current() == &d); }, true,
       [] { return true; }},
      {"exit, refused", nullptr, command(kCmdExit), true, [] { return !Module1::exiting; }},
      {"quit", nullptr, [](Form4&) { PostQuitMessage(3); }, false,
       [] { MSG m; return PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && m.wParam == 3; }},
      {"close all but main", nullptr, command(kCmdCloseAllButMain), false, [h] { return IsWindowVisible(h) != FALSE; }},
      {"a new day", [this] { SetClock(2004, 9, 11, 0, 0, 5); }, [](Form4&) { Module1::MainForm()->Timer1_Timer(); },
       false, [this] { return FormToday::Current() && trayMessages_.back() == NIM_ADD; }},
      {"the full hour", [this] { SetClock(2004, 9, 11, 10, 59, 59); },
       [](Form4&) { Module1::MainForm()->Timer3_Timer(); }, false, [this] { return CountLoaded(L"FormJihou") == 1; }},
      {"close all", nullptr, command(kCmdCloseAll), false, [h] { return !IsWindowVisible(h); }},
      {"the session's end, a list that cannot be stored open",  // no box may hold the session
       [&] { win::SetCipherForTesting(&missing), OpenCommon(L"書けない"); },
       [h](Form4&) { SendMessageW(h, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF); }, false,
       [this, h] {
         return !IsWindow(h) && win::Window::Loaded().empty() && boxes_.empty() &&
                profile::Read(kSection, "StartX", "", 16, Module1::strIniFile).count > 0;
       }},
  };
  for (const auto& c : cases) {
    if (c.before) c.before();
    RunDateDialog({c.arrives}, [h] { return SendMessageW(h, WM_COMMAND, kCmdMemoByDate, 0), kCancelDate; });
    EXPECT_EQ(leftOpen, c.staysOpen) << c.what;
    EXPECT_EQ(Form4::Current(), nullptr) << c.what;
    EXPECT_TRUE(LoadedMemoWindows().empty()) << c.what << ": a cancelled wait opens no memo";
    EXPECT_TRUE(c.after()) << c.what;
  }
}

}  // namespace
}  // namespace mekuri::testing
