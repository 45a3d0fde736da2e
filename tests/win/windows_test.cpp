// What only the windows show: the guard around every handler, the message
// paths to the main window, an unreadable memo shown read-only, a list kept
// open when it cannot be stored, and where the first memo window sits.
#include <windows.h>

#include <functional>
#include <new>

#include "base/stop_texts.h"
#include "commonlist/common_texts.h"
#include "commonlist/win32/Form3.h"
#include "form_fixture.h"
#include "memo/memo_store.h"
#include "memo/win32/Form2.h"
#include "platform/profile.h"
#include "platform/win32/cipher_library.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/text.h"
#include "platform/win32/window.h"
#include "shell/commands.h"
#include "startup/win32/Module1.h"

namespace mekuri::testing {
namespace {

const Date kDay = DateFromYmd(2004, 9, 15);

// A window whose handler fails the way running out of memory does.
class FailingWindow : public win::Window {
 public:
  const wchar_t* FormName() const override { return L"FailingTest"; }
  bool Create() { return CreateTopLevel(0, WS_OVERLAPPEDWINDOW, L"", 0, 0, 100, 100, nullptr); }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_APP) throw std::bad_alloc();
    return DefaultProc(msg, wParam, lParam);
  }
};

using Windows = MainFormTest;

TEST_F(Windows, AFailingHandlerStopsItsActionAndTellsTheUserEachTime) {
  FailingWindow window;
  ASSERT_TRUE(window.Create());
  EXPECT_EQ(SendMessageW(window.hwnd(), WM_APP, 0, 0), 0);
  EXPECT_EQ(SendMessageW(window.hwnd(), WM_APP, 0, 0), 0);
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[1].text, win::Wide(kStoppedActionPrompt));
  DestroyWindow(window.hwnd());
}

TEST_F(Windows, CtrlWithAMemosCloseOrMinimiseActsOnAllAndTheShellRestartAddsTheIcon) {
  Form1& main = LoadForm(2004, 9, 10);
  Form2* a = OpenMemo(kDay);
  Form2* b = OpenMemo(kDay + 1);
  ASSERT_TRUE(a && b);
  win::SetCtrlForTesting(1);
  SendMessageW(a->hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(IsIconic(a->hwnd()) && IsIconic(b->hwnd()));
  a->Command2_Click();
  win::PumpMessages();  // the close posts close-all-but-main to the main window
  EXPECT_EQ(win::Window::Loaded(), std::vector<win::Window*>{&main});

  trayMessages_.clear();
  SendMessageW(main.hwnd(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_EQ(trayMessages_, std::vector<DWORD>{NIM_ADD});
}

TEST_F(Windows, AnUnreadableMemoOpensReadOnlyAndGoesOnlyByAConfirmedDelete) {
  LoadForm(2004, 9, 10);
  profile::WriteString(kMemoSection, MemoKey(kDay).c_str(), "damaged", Module1::strDatFile);
  auto stored = [] { return profile::Read(kMemoSection, MemoKey(kDay), "", 256, Module1::strDatFile).text; };
  int answer = IDNO;
  win::SetMessageBoxForTesting([&](const win::MessageBoxCall& call) { return boxes_.push_back(call), answer; });
  Form2* memo = OpenMemo(kDay);
  ASSERT_NE(memo, nullptr);
  EXPECT_TRUE(GetWindowLongW(memo->Text1, GWL_STYLE) & ES_READONLY);
  EXPECT_EQ(Text(memo->Text1).rfind(L"このメモは読み取れません", 0), 0u) << Text(memo->Text1);
  memo->Text1_KeyDown('S', 2);
  EXPECT_EQ(stored(), "damaged") << "the save is refused";
  memo->Command3_Click();
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[1].text.rfind(L"2004/09/15 のメモ", 0), 0u) << boxes_[1].text;
  EXPECT_EQ(boxes_[1].style & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
  EXPECT_EQ(stored(), "damaged") << "answered no";
  answer = IDYES;
  memo->Command3_Click();
  EXPECT_EQ(stored(), "");
  EXPECT_TRUE(LoadedMemoWindows().empty());
}

// A close that cannot store the list keeps the window and its items; in a
// close-all (as at exit) the user is told and the close goes on.
TEST_F(Windows, AListThatCannotBeStoredStaysOpenExceptInACloseAll) {
  Form1& main = LoadForm();
  const CipherLibrary missing;
  win::SetCipherForTesting(&missing);
  const struct {
    const char* name;
    std::function<void(Form3&)> close;
    bool stays;
  } cases[] = {
      {"close button", [](Form3& f) { f.Command4_Click(); }, true},
      {"Esc", [this](Form3& f) { PressKey(f.List1, VK_ESCAPE); }, true},
      {"close box", [](Form3& f) { SendMessageW(f.hwnd(), WM_CLOSE, 0, 0); }, true},
      {"close all", [&](Form3&) { SendMessageW(main.hwnd(), WM_COMMAND, kCmdCloseAll, 0); }, false},
      {"close all but main", [&](Form3&) { SendMessageW(main.hwnd(), WM_COMMAND, kCmdCloseAllButMain, 0); }, false},
  };
  for (const auto& c : cases) {
    boxes_.clear();
    Form3& f = OpenCommon();
    f.fTextEntered = true;
    SetWindowTextW(f.Text1, L"新しい");
    f.Command1_Click();
    c.close(f);
    EXPECT_EQ(Form3::Current() == &f, c.stays) << c.name;
    ASSERT_EQ(boxes_.size(), 1u) << c.name;
    EXPECT_EQ(boxes_[0].text, win::Wide(kCommonCipherFailedPrompt)) << c.name;
    if (Form3::Current() != &f) continue;
    EXPECT_EQ(f.ListCount(), 1) << c.name;
    f.DeleteAll();
    f.Unload();
    EXPECT_EQ(Form3::Current(), nullptr) << c.name << ": nothing left to store";
  }
}

// Beside the main window as it was last restored, wherever it is now; on the work area.
TEST_F(Windows, TheFirstMemoWindowSitsBesideTheRestoredMainWindow) {
  LoadForm(2004, 9, 10);
  RECT main{}, work{};
  GetWindowRect(form_->hwnd(), &main);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int mainW = main.right - main.left, mainH = main.bottom - main.top;
  const struct {
    const char* state;
    int x, y, show, then;
    LONG memoX, memoY;
  } cases[] = {
      {"shown", 100, 50, SW_SHOWNA, SW_SHOWNA, 100 + mainW, 50},
      {"minimised", 100, 50, SW_MINIMIZE, SW_MINIMIZE, 100 + mainW, 50},
      {"minimised, then hidden", 100, 50, SW_MINIMIZE, SW_HIDE, 100 + mainW, 50},
      {"beyond the top left corner", -mainW - 40, -mainH - 40, SW_SHOWNA, SW_SHOWNA, work.left, work.top},
  };
  for (const auto& c : cases) {
    ShowWindow(form_->hwnd(), SW_RESTORE);
    SetWindowPos(form_->hwnd(), nullptr, c.x, c.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(form_->hwnd(), c.show);
    ShowWindow(form_->hwnd(), c.then);
    Form2* memo = OpenMemo(kDay);
    ASSERT_NE(memo, nullptr);
    RECT r{};
    GetWindowRect(memo->hwnd(), &r);
    EXPECT_EQ(std::make_pair(r.left, r.top), std::make_pair(c.memoX, c.memoY)) << c.state;
    memo->Command2_Click();
  }
}

}  // namespace
}  // namespace mekuri::testing
