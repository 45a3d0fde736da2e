// The date dialog's modal wait: the keys that end it and the date each hands
// back, and every command that can arrive while its loop runs.
#include <windows.h>

#include <functional>

#include "commonlist/win32/Form3.h"
#include "form_fixture.h"
#include "memo/win32/Form2.h"
#include "memo/win32/Form4.h"
#include "memo/win32/FormToday.h"
#include "platform/win32/cipher_library.h"
#include "platform/win32/window.h"
#include "shell/commands.h"
#include "startup/win32/Module1.h"

namespace mekuri::testing {
namespace {

using Step = std::function<void(Form4&)>;

Step TypeAndEnter(const wchar_t* y, const wchar_t* m, const wchar_t* d) {
  return [=](Form4& dialog) {
    SetWindowTextW(dialog.Text1, y);
    SetWindowTextW(dialog.Text2, m);
    SetWindowTextW(dialog.Text3, d);
    SetFocus(dialog.Text3);
    PostKey(VK_RETURN);
  };
}
std::string AsText(Date d) { return FormatDate(d, "yyyy/mm/dd"); }

using DateDialog = MainFormTest;

TEST_F(DateDialog, KeysEndTheWaitWithTheirDate) {
  LoadForm(2004, 9, 5);
  const Date today = RunDateDialog({
      [this](Form4& d) {
        EXPECT_EQ(GetFocus(), d.Text1);
        EXPECT_EQ(SendMessageW(d.Text1, EM_GETSEL, 0, 0), MAKELONG(0, 4)) << "the year selected";
        EXPECT_FALSE(IsWindowEnabled(form_->hwnd())) << "the owner waits";
        PostKey(VK_TAB);
      },
      [](Form4& d) {
        EXPECT_EQ(GetFocus(), d.Text2) << "Tab goes from the year to the month";
        PostKey(VK_RETURN);
      },
  });
  EXPECT_EQ(AsText(today), "2004/09/05");
  EXPECT_TRUE(IsWindowEnabled(form_->hwnd()));
  const struct {
    const char* way;
    std::vector<Step> steps;
    const char* picked;
    bool staysOpen;
  } cases[] = {
      {"typed day", {TypeAndEnter(L"2004", L"9", L"1")}, "2004/09/01", false},
      {"no such day", {TypeAndEnter(L"2004", L"02", L"30")}, "1000/01/01", false},
      {"Esc", {[](Form4&) { PostKey(VK_ESCAPE); }}, "1000/01/01", false},
      {"Enter on the focused close button", {[](Form4& d) { SetFocus(d.Command2); PostKey(VK_RETURN); }}, "1000/01/01",
       false},
      {"close box", {[](Form4& d) { PostMessageW(d.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0); }}, "2004/09/05", false},
      {"out of range, quietly",
       {TypeAndEnter(L"1969", L"09", L"01"), TypeAndEnter(L"2101", L"09", L"01"), TypeAndEnter(L"2004", L"13", L"01"),
        TypeAndEnter(L"2004", L"09", L"32")},
       "1000/01/01", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AsText(RunDateDialog(c.steps)), c.picked) << c.way;
    EXPECT_EQ(dialogLeftOpen_, c.staysOpen) << c.way;
  }
  EXPECT_TRUE(boxes_.empty());
}

// The dialog opened by the main window's command; one command arrives while it waits.
TEST_F(DateDialog, CommandsArrivingDuringTheWait) {
  Form1& main = LoadForm(2004, 9, 10);
  const HWND h = main.hwnd();
  const CipherLibrary missing;
  const struct {
    const char* what;
    std::function<void()> before;
    Step arrives;
    bool staysOpen;
    std::function<void()> check;
  } cases[] = {
      {"a second dialog", nullptr,
       [h](Form4& d) {
         EXPECT_EQ(Form4::ShowModal(h), kCancelDate);
         EXPECT_EQ(Form4::Current(), &d);
       },
       true, nullptr},
      {"exit, refused", nullptr, [h](Form4&) { SendMessageW(h, WM_COMMAND, kCmdExit, 0); }, true,
       [] { EXPECT_FALSE(Module1::fExiting); }},
      {"quit", nullptr, [](Form4&) { PostQuitMessage(3); }, false,
       [] {
         MSG msg;
         ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit reaches the outer loop";
         EXPECT_EQ(msg.wParam, 3u);
       }},
      {"close all but main", nullptr, [h](Form4&) { SendMessageW(h, WM_COMMAND, kCmdCloseAllButMain, 0); }, false,
       [h] { EXPECT_TRUE(IsWindowVisible(h)); }},
      {"a new day", [this] { SetClock(2004, 9, 11, 0, 0, 5); }, [](Form4&) { Module1::MainForm()->Timer1_Timer(); },
       false,
       [this] {
         ASSERT_NE(FormToday::Current(), nullptr) << "the new day's notice";
         EXPECT_EQ(trayMessages_.back(), static_cast<DWORD>(NIM_ADD));
       }},
      {"the full hour", [this] { SetClock(2004, 9, 11, 10, 59, 59); },
       [](Form4&) { Module1::MainForm()->Timer3_Timer(); }, false,
       [this] { EXPECT_EQ(CountLoaded(L"FormJihou"), 1); }},
      {"close all", nullptr, [h](Form4&) { SendMessageW(h, WM_COMMAND, kCmdCloseAll, 0); }, false,
       [h] { EXPECT_FALSE(IsWindowVisible(h)) << "only the tray icon is left"; }},
      {"the session's end, with a list that cannot be stored",
       [&] {
         win::SetCipherForTesting(&missing);
         Form3& list = OpenCommon();
         list.fTextEntered = true;
         SetWindowTextW(list.Text1, L"書けない");
         list.Command1_Click();
         ASSERT_EQ(list.ListCount(), 1);
       },
       [h](Form4&) { SendMessageW(h, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF); }, false,
       [this, h] {
         EXPECT_FALSE(IsWindow(h));
         EXPECT_TRUE(win::Window::Loaded().empty());
         EXPECT_TRUE(boxes_.empty()) << "no box may hold the session";
         EXPECT_NE(ReadFileBytes(Module1::strIniFile).find("StartX="), std::string::npos);
       }},
  };
  for (const auto& c : cases) {
    if (c.before) c.before();
    RunDateDialog({c.arrives}, [h] { SendMessageW(h, WM_COMMAND, kCmdMemoByDate, 0); });
    EXPECT_EQ(dialogLeftOpen_, c.staysOpen) << c.what;
    EXPECT_EQ(Form4::Current(), nullptr) << c.what;
    EXPECT_TRUE(LoadedMemoWindows().empty()) << c.what << ": a cancelled wait opens no memo";
    if (c.check) c.check();
  }
}

}  // namespace
}  // namespace mekuri::testing
