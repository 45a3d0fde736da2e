// Memo windows as the user meets them: opening from the grid, saving,
// deleting, the keys, the limit, placement and the Ctrl group actions.
#include <windows.h>

#include <vector>

#include "form_fixture.h"
#include "mainwindow/win32/MainWndProc.h"
#include "memo/memo_store.h"
#include "memo/win32/Form2.h"
#include "platform/control_ids.h"
#include "platform/profile.h"
#include "platform/win32/cipher_library.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/text.h"
#include "platform/win32/window.h"
#include "shell/commands.h"
#include "state/win32/Module1.h"

namespace mekuri::testing {
namespace {

class MemoWindow : public MainFormTest {
 protected:
  int CellOf(Date d) const {
    for (int i = 7; i < kGridCells; ++i) {
      if (Module1::dCellDate[i] == d) return i;
    }
    return -1;
  }
  // A double-click on the day cell, as the label reports it.
  Form2* DoubleClick(Date d) {
    const int id = Label4Id(CellOf(d));
    SendMessageW(form_->hwnd(), WM_COMMAND, MAKEWPARAM(id, STN_DBLCLK), reinterpret_cast<LPARAM>(form_->Label4[CellOf(d)]));
    auto memos = LoadedMemoWindows();
    return memos.empty() ? nullptr : memos.back();
  }
  bool Underlined(Date d) const {
    LOGFONTW lf{};
    HWND label = form_->Label4[CellOf(d)];
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
    return lf.lfUnderline != 0;
  }
  std::string StoredValue(Date d) const {
    return profile::Read(kMemoSection, MemoKey(d), "", 65536, Module1::strDatFile).text;
  }
  void Type(Form2* memo, const std::wstring& text) { SetWindowTextW(memo->Text1, text.c_str()); }
};

const Date kDay = DateFromYmd(2004, 9, 15);

TEST_F(MemoWindow, SaveAndDeleteFollowInTheGrid) {
  LoadForm(2004, 9, 10);
  Form2* memo = DoubleClick(kDay);
  ASSERT_NE(memo, nullptr);
  EXPECT_EQ(Text(memo->hwnd()), L"Memo - 2004/09/15");
  EXPECT_EQ(Text(memo->Label2), L"2004/09/15");
  EXPECT_EQ(TooltipOf(memo->Label2), L"水曜日");
  EXPECT_EQ(Text(memo->Command1), L"保存(&S)");

  Type(memo, L"会議\r\n資料");
  EXPECT_EQ(Text(memo->Label4), L"6") << "a line break counts two";
  memo->Text1_KeyDown('S', 2);
  EXPECT_TRUE(Underlined(kDay));
  EXPECT_EQ(TooltipOf(form_->Label4[CellOf(kDay)]), L"2004/09/15 ...");
  EXPECT_FALSE(StoredValue(kDay).empty());

  // Reopened after closing, the memo reads back whole.
  memo->Command2_Click();
  memo = DoubleClick(kDay);
  EXPECT_EQ(Text(memo->Text1), L"会議\r\n資料");

  memo->Text1_KeyDown(VK_DELETE, 2);
  EXPECT_TRUE(LoadedMemoWindows().empty()) << "Ctrl+Delete deletes and closes this window only";
  EXPECT_FALSE(Underlined(kDay));
  EXPECT_EQ(TooltipOf(form_->Label4[CellOf(kDay)]), L"2004/09/15");
  EXPECT_TRUE(StoredValue(kDay).empty());
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(MemoWindow, EmptySaveRemovesTheMemo) {
  LoadForm(2004, 9, 10);
  Form2* memo = DoubleClick(kDay);
  Type(memo, L"x");
  memo->Command1_Click();
  ASSERT_TRUE(Underlined(kDay));
  Type(memo, L"");
  memo->Command1_Click();
  EXPECT_FALSE(Underlined(kDay));
  EXPECT_EQ(ReadFileBytes(Module1::strDatFile).find("2004/09/15"), std::string::npos);
}

TEST_F(MemoWindow, TenThousandCharactersIsTheLimit) {
  LoadForm(2004, 9, 10);
  Form2* memo = DoubleClick(kDay);
  Type(memo, std::wstring(10001, L'漢'));
  memo->Command1_Click();
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, L"10000 文字を超えています。");
  EXPECT_EQ(boxes_[0].title, L"処理中断");
  EXPECT_EQ(boxes_[0].style & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
  EXPECT_TRUE(StoredValue(kDay).empty());
  EXPECT_EQ(Text(memo->Text1).size(), 10001u) << "the text stays";

  const std::wstring longest = std::wstring(9998, L'漢') + L"\r\n";
  Type(memo, longest);
  EXPECT_EQ(Text(memo->Label4), L"10000");
  memo->Command1_Click();
  EXPECT_EQ(boxes_.size(), 1u);
  memo->Command2_Click();
  memo = DoubleClick(kDay);
  EXPECT_EQ(Text(memo->Text1), longest) << "the longest memo reads back whole";
}

TEST_F(MemoWindow, EscClosesOnlyWithoutUnsavedChanges) {
  LoadForm(2004, 9, 10);
  Form2* memo = DoubleClick(kDay);
  Type(memo, L"draft");
  memo->Text1_KeyDown(VK_ESCAPE, 0);
  ASSERT_EQ(LoadedMemoWindows().size(), 1u) << "Esc with unsaved typing does nothing";
  memo->Text1_KeyDown('S', 3);
  EXPECT_TRUE(StoredValue(kDay).empty()) << "Ctrl+Shift+S does not save";
  memo->Text1_KeyDown('S', 2);
  memo->Text1_KeyDown(VK_ESCAPE, 0);
  EXPECT_TRUE(LoadedMemoWindows().empty());
}

TEST_F(MemoWindow, RealKeysReachTheHandlers) {
  LoadForm(2004, 9, 10);
  Form2* memo = DoubleClick(kDay);
  SetForegroundWindow(memo->hwnd());
  SetFocus(memo->Text1);
  SendKeys({{'M', false}, {'M', true}, {'O', false}, {'O', true}});
  ASSERT_EQ(Text(memo->Text1), L"mo");
  SendKeys({{VK_CONTROL, false}, {'A', false}, {'A', true}, {VK_CONTROL, true}});
  DWORD start = 1, end = 0;
  SendMessageW(memo->Text1, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 2u);
  SendKeys({{VK_CONTROL, false}, {'S', false}, {'S', true}, {VK_CONTROL, true}});
  EXPECT_FALSE(StoredValue(kDay).empty());
  EXPECT_EQ(Text(memo->Text1), L"mo") << "Ctrl+S typed nothing";
  SendKeys({{VK_ESCAPE, false}, {VK_ESCAPE, true}});
  EXPECT_TRUE(LoadedMemoWindows().empty());
}

TEST_F(MemoWindow, EscWithAModifierClosesNothing) {
  InstallMainWindowProcedure(LoadForm(2004, 9, 10));  // Ctrl+close reaches close-all-but-main
  Form2* saved = DoubleClick(kDay);
  Form2* typing = DoubleClick(kDay + 1);
  Type(typing, L"draft");
  const struct {
    const char* name;
    std::vector<WORD> modifiers;
    bool onButton;  // Esc reaches the window as the cancel command
  } cases[] = {
      {"Shift+Esc", {VK_SHIFT}, false},           {"Ctrl+Esc", {VK_CONTROL}, false},
      {"Ctrl+Shift+Esc", {VK_CONTROL, VK_SHIFT}, false}, {"Alt+Esc", {VK_MENU}, false},
      {"Shift+Esc on a button", {VK_SHIFT}, true}, {"Ctrl+Esc on a button", {VK_CONTROL}, true},
  };
  for (const auto& c : cases) {
    SetForegroundWindow(saved->hwnd());
    SetFocus(c.onButton ? saved->Command1 : saved->Text1);
    // The modifiers stay down while the messages are handled.
    std::vector<std::pair<WORD, bool>> down, up;
    for (WORD m : c.modifiers) down.push_back({m, false}), up.push_back({m, true});
    down.push_back({VK_ESCAPE, false});
    down.push_back({VK_ESCAPE, true});
    SendKeys(down);
    SendKeys(up);
    win::PumpMessages();
    ASSERT_EQ(LoadedMemoWindows().size(), 2u) << c.name;
    EXPECT_EQ(Text(typing->Text1), L"draft") << c.name;
  }
}

TEST_F(MemoWindow, AnOpenDateComesForwardInsteadOfASecondWindow) {
  LoadForm(2004, 9, 10);
  Form2* memo = DoubleClick(kDay);
  ShowWindow(memo->hwnd(), SW_MINIMIZE);
  DoubleClick(kDay);
  EXPECT_EQ(LoadedMemoWindows().size(), 1u);
  EXPECT_FALSE(IsIconic(memo->hwnd())) << "a minimised memo window is restored";
  int header = 3;
  form_->Label4_DblClick(header);
  EXPECT_EQ(LoadedMemoWindows().size(), 1u) << "header cells open nothing";
}

TEST_F(MemoWindow, FirstMemoWindowSitsBesideTheMainWindow) {
  LoadForm(2004, 9, 10);
  const int screenW = GetSystemMetrics(SM_CXSCREEN);
  const int screenH = GetSystemMetrics(SM_CYSCREEN);
  RECT main{};
  GetWindowRect(form_->hwnd(), &main);
  const int mainW = main.right - main.left, mainH = main.bottom - main.top;

  // Near the right edge and reaching the bottom: left of it, on the bottom edge.
  SetWindowPos(form_->hwnd(), nullptr, screenW - mainW - 10, screenH - mainH + 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Form2* memo = DoubleClick(kDay);
  RECT r{};
  GetWindowRect(memo->hwnd(), &r);
  EXPECT_EQ(r.right, screenW - mainW - 10);
  EXPECT_EQ(r.bottom, screenH);

  // With another window already open, the platform's placement stays.
  SetWindowPos(form_->hwnd(), nullptr, 100, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Form2* second = DoubleClick(kDay + 1);
  GetWindowRect(second->hwnd(), &r);
  EXPECT_NE(r.left, 100 + mainW);
  memo->Command2_Click();
  second->Command2_Click();
  memo = DoubleClick(kDay);
  GetWindowRect(memo->hwnd(), &r);
  EXPECT_EQ(r.left, 100 + mainW) << "on the right when it fits";
  EXPECT_EQ(r.top, 50);
}

TEST_F(MemoWindow, FirstMemoWindowSitsBesideTheRestoredMainWindowOnTheWorkArea) {
  LoadForm(2004, 9, 10);
  RECT main{}, work{};
  GetWindowRect(form_->hwnd(), &main);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int mainW = main.right - main.left, mainH = main.bottom - main.top;
  const struct {
    const char* state;
    int x, y;
    int show, then;
    LONG memoX, memoY;
  } cases[] = {
      {"minimised", 100, 50, SW_MINIMIZE, SW_MINIMIZE, 100 + mainW, 50},
      {"minimised, then hidden", 100, 50, SW_MINIMIZE, SW_HIDE, 100 + mainW, 50},
      {"hidden", 100, 50, SW_HIDE, SW_HIDE, 100 + mainW, 50},
      {"beyond the top left corner", -mainW - 40, -mainH - 40, SW_SHOWNA, SW_SHOWNA, work.left, work.top},
  };
  for (const auto& c : cases) {
    ShowWindow(form_->hwnd(), SW_RESTORE);
    SetWindowPos(form_->hwnd(), nullptr, c.x, c.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(form_->hwnd(), c.show);
    ShowWindow(form_->hwnd(), c.then);
    Form2* memo = DoubleClick(kDay);
    ASSERT_NE(memo, nullptr);
    RECT r{};
    GetWindowRect(memo->hwnd(), &r);
    EXPECT_EQ(std::make_pair(r.left, r.top), std::make_pair(c.memoX, c.memoY)) << c.state;
    memo->Command2_Click();
  }
}

TEST_F(MemoWindow, TodaysMemoOpensHiddenDuringStartUp) {
  WriteFileBytes(Module1::strDatFile, "");
  Form1& f = LoadForm(2004, 9, 10);
  Module1::startupFinished = false;
  f.OpenToday();
  ASSERT_NE(Module1::todayMemo, nullptr);
  EXPECT_EQ(Text(Module1::todayMemo->hwnd()), L"Memo - 2004/09/10");
  EXPECT_FALSE(IsWindowVisible(Module1::todayMemo->hwnd()));
  Module1::startupFinished = true;
  Module1::todayMemo->Command2_Click();
  EXPECT_EQ(Module1::todayMemo, nullptr);
}

TEST_F(MemoWindow, SaveFailuresAreReportedAndChangeNothing) {
  LoadForm(2004, 9, 10);
  Form2* memo = DoubleClick(kDay);
  Type(memo, L"first");
  memo->Command1_Click();
  const std::string before = ReadFileBytes(Module1::strDatFile);

  const CipherLibrary missing;
  win::SetCipherForTesting(&missing);
  Type(memo, L"second");
  memo->Command1_Click();
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].title, L"処理中断");
  EXPECT_EQ(ReadFileBytes(Module1::strDatFile), before);
  EXPECT_EQ(memo->strFirstText, u"first") << "the failed save is not taken as saved";
  win::SetCipherForTesting(nullptr);
}

// A stored memo that cannot be read opens read-only with a line saying so;
// a save is refused and a delete asks first, naming the date.
TEST_F(MemoWindow, AnUnreadableMemoIsKeptUntilADeleteIsConfirmed) {
  LoadForm(2004, 9, 10);
  profile::WriteString(kMemoSection, MemoKey(kDay).c_str(), "damaged", Module1::strDatFile);
  int answer = IDNO;
  win::SetMessageBoxForTesting([&](const win::MessageBoxCall& call) {
    boxes_.push_back(call);
    return answer;
  });
  Form2* memo = DoubleClick(kDay);
  ASSERT_NE(memo, nullptr);
  EXPECT_TRUE(GetWindowLongW(memo->Text1, GWL_STYLE) & ES_READONLY);
  EXPECT_EQ(Text(memo->Text1).rfind(L"このメモは読み取れません", 0), 0u) << Text(memo->Text1);
  memo->Text1_KeyDown('S', 2);
  EXPECT_EQ(StoredValue(kDay), "damaged");
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].title, L"処理中断");

  memo->Command3_Click();
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[1].text.rfind(L"2004/09/15 のメモ", 0), 0u) << boxes_[1].text;
  EXPECT_EQ(boxes_[1].style & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
  EXPECT_EQ(StoredValue(kDay), "damaged") << "answered no";
  answer = IDYES;
  memo->Command3_Click();
  EXPECT_EQ(StoredValue(kDay), "");
  EXPECT_TRUE(LoadedMemoWindows().empty());
}

TEST_F(MemoWindow, CtrlTurnsCloseIntoCloseAllButMainAndMinimiseIntoMinimiseAll) {
  LoadForm(2004, 9, 10);
  Form2* a = DoubleClick(kDay);
  Form2* b = DoubleClick(kDay + 1);
  win::SetCtrlForTesting(1);
  SendMessageW(a->hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(IsIconic(a->hwnd()));
  EXPECT_TRUE(IsIconic(b->hwnd()));

  a->Command2_Click();
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, form_->hwnd(), WM_COMMAND, WM_COMMAND, PM_REMOVE));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(kCmdCloseAllButMain));
  EXPECT_EQ(LoadedMemoWindows().size(), 2u) << "the posted command does the closing";

  {
    const Module1::BulkClose bulk;  // inside that command the windows give way
    a->Unload();
  }
  EXPECT_EQ(LoadedMemoWindows().size(), 1u);
  win::SetCtrlForTesting(0);
  b->Command2_Click();
  EXPECT_TRUE(LoadedMemoWindows().empty());
}

}  // namespace
}  // namespace mekuri::testing
