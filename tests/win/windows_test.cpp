// What only the windows show: the handler guard, Ctrl's message paths, an unreadable memo, the list, placement.
#include <new>

#include "base/texts.h"
#include "form_fixture.h"
#include "platform/win32/keyboard.h"

namespace mekuri::testing {
namespace {

class FailingWindow : public win::Window {  // its handler fails as running out of memory does
 public:
  const wchar_t* FormName() const override { return L"FailingTest"; }
  bool Create() { return CreateTopLevel(0, WS_OVERLAPPEDWINDOW, L"", 0, 0, 100, 100, nullptr); }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_APP) throw std::bad_alloc();
    return DefaultProc(msg, wParam, lParam);
  }
};

const Date kDay = DateFromYmd(2004, 9, 15);

using Windows = MainFormTest;

TEST_F(Windows, AFailingHandlerStopsItsActionAndTellsTheUserEachTime) {
  FailingWindow failing;
  ASSERT_TRUE(failing.Create());
  for (int i = 0; i < 2; ++i) EXPECT_EQ(SendMessageW(failing.hwnd(), WM_APP, 0, 0), 0);
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[1].text, win::Wide(kStoppedActionPrompt));
}

TEST_F(Windows, CtrlWithAMemosCloseOrMinimiseActsOnAllAndTheShellRestartAddsTheIcon) {
  Form1& main = LoadForm(2004, 9, 10);
  Form2 *a = OpenMemo(kDay), *b = OpenMemo(kDay + 1);
  ASSERT_TRUE(a && b);
  win::SetCtrlForTesting(1);
  SendMessageW(a->hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(IsIconic(a->hwnd()) && IsIconic(b->hwnd()));
  a->Command2_Click(), win::PumpMessages();  // the close posts close-all-but-main to the main window
  EXPECT_EQ(win::Window::Loaded(), std::vector<win::Window*>{&main});

  trayMessages_.clear();
  SendMessageW(main.hwnd(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_EQ(trayMessages_, std::vector<DWORD>{NIM_ADD});
}

// No timer wakes to do nothing: the tray image's stops once the shown window's icon is settled.
TEST_F(Windows, TheTrayImageTimerRunsOnlyWhileItHasWork) {
  Form1& main = LoadForm();
  main.Timer2_Timer();  // the window's own icon gives way to the first image
  EXPECT_TRUE(Module1::nidTray.hIcon == main.Picture1() && !KillTimer(main.hwnd(), Form1::kTimer2));
  trayMessages_.clear(), main.HideMainWindow(), main.Timer2_Timer(), main.Timer2_Timer();
  EXPECT_TRUE(trayMessages_.size() == 2 && KillTimer(main.hwnd(), Form1::kTimer2)) << trayMessages_.size();
}

TEST_F(Windows, AnUnreadableMemoOpensReadOnlyAndGoesOnlyByAConfirmedDelete) {
  LoadForm(2004, 9, 10);
  profile::WriteString(kMemoSection, MemoKey(kDay).c_str(), "damaged", Module1::strDatFile);
  auto stored = [] { return profile::Read(kMemoSection, MemoKey(kDay), "", 256, Module1::strDatFile).text; };
  int answer = IDNO;
  win::SetMessageBoxForTesting([&](const win::MessageBoxCall& call) { return boxes_.push_back(call), answer; });
  Form2* memo = OpenMemo(kDay);
  ASSERT_TRUE(memo && (GetWindowLongW(memo->Text1, GWL_STYLE) & ES_READONLY));
  EXPECT_EQ(Text(memo->Text1).rfind(L"このメモは読み取れません", 0), 0u) << Text(memo->Text1);
  EXPECT_EQ(Text(memo->Label4), L"") << "no length of a text the user never wrote";
  memo->Text1_KeyDown('S', 2);
  EXPECT_EQ(stored(), "damaged") << "the save is refused";
  memo->Command3_Click();
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[1].text.rfind(L"2004/09/15 のメモ", 0), 0u) << boxes_[1].text;
  EXPECT_EQ(boxes_[1].style & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
  EXPECT_EQ(stored(), "damaged") << "answered no";
  answer = IDYES, memo->Command3_Click();
  EXPECT_EQ(stored(), "");
  EXPECT_TRUE(LoadedMemoWindows().empty());
}

// A close that cannot store the list keeps it and its items; a close-all (as at exit) tells the user and goes on.
TEST_F(Windows, AListThatCannotBeStoredStaysOpenExceptInACloseAll) {
  const HWND main = LoadForm().hwnd();
  const CipherLibrary missing;
  win::SetCipherForTesting(&missing);
  const struct { const char* name; std::function<void(Form3&)> close; bool bulk; } closes[] = {
      {"close button", [](Form3& f) { f.Command4_Click(); }, false},
      {"Esc", [this](Form3& f) { PressKey(f.List1, VK_ESCAPE); }, false},
      {"close box", [](Form3& f) { SendMessageW(f.hwnd(), WM_CLOSE, 0, 0); }, false},
      {"close all", [main](Form3&) { SendMessageW(main, WM_COMMAND, kCmdCloseAll, 0); }, true},
  };
  for (const auto& [name, close, bulk] : closes) {
    boxes_.clear();
    Form3& f = OpenCommon(L"新しい");
    close(f);
    ASSERT_EQ(boxes_.size(), 1u) << name;
    EXPECT_EQ(boxes_[0].text, win::Wide(kCommonCipherFailedPrompt)) << name;
    ASSERT_EQ(Form3::Current() == &f, !bulk) << name;
    if (bulk) continue;
    EXPECT_EQ(f.ListCount(), 1) << name;
    f.DeleteAll(), f.Unload();
    EXPECT_EQ(Form3::Current(), nullptr) << name << ": nothing left to store";
  }
}

// Beside the main window as it was last restored, wherever it is now; on the work area.
TEST_F(Windows, TheFirstMemoWindowSitsBesideTheRestoredMainWindow) {
  const HWND main = LoadForm(2004, 9, 10).hwnd();
  RECT r{}, work{};
  GetWindowRect(main, &r), SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const LONG w = r.right - r.left, h = r.bottom - r.top;
  const struct { LONG x, y; int show, then; LONG memoX, memoY; } cases[] = {
               {100, 50, SW_SHOWNA, SW_SHOWNA, 100 + w, 50},
               {100, 50, SW_MINIMIZE, SW_MINIMIZE, 100 + w, 50},
               {100, 50, SW_MINIMIZE, SW_HIDE, 100 + w, 50},
               {-w - 40, -h - 40, SW_SHOWNA, SW_SHOWNA, work.left, work.top}};
  for (const auto& c : cases) {
    ShowWindow(main, SW_RESTORE);
    SetWindowPos(main, nullptr, c.x, c.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(main, c.show), ShowWindow(main, c.then);
    Form2* memo = OpenMemo(kDay);
    ASSERT_TRUE(memo && GetWindowRect(memo->hwnd(), &r));
    EXPECT_EQ(std::make_pair(r.left, r.top), std::make_pair(c.memoX, c.memoY)) << c.show << "," << c.then;
    memo->Command2_Click();
  }
}

}  // namespace
}  // namespace mekuri::testing
