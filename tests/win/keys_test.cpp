// Keys and focus as the windows receive them: the month boxes' keys, Tab
// order, Alt with the "&" letter, Ctrl+A / Ctrl+S / Esc in a memo, and the
// message window's text that no key changes.
#include <windows.h>
#include <imm.h>

#include "about/win32/FormMsg.h"
#include "commonlist/win32/Form3.h"
#include "form_fixture.h"
#include "memo/memo_store.h"
#include "memo/win32/Form2.h"
#include "platform/control_ids.h"
#include "platform/profile.h"
#include "startup/win32/Module1.h"

namespace mekuri::testing {
namespace {

using Keys = MainFormTest;

// One script: each step types into the boxes (nullptr leaves them) and presses a key in one.
TEST_F(Keys, MonthBoxKeysStepApplyAndDropUnappliedTyping) {
  Form1& f = LoadForm(2004, 12, 1);
  const struct {
    const wchar_t *year, *month;
    bool inMonthBox;
    UINT vk;
    const wchar_t *shown, *yearAfter, *monthAfter;
  } steps[] = {
      {nullptr, nullptr, false, VK_DOWN, L"2005.01", L"2005", L"01"},
      {nullptr, nullptr, true, VK_UP, L"2004.12", L"2004", L"12"},
      {L"2010", nullptr, false, VK_UP, L"2004.11", L"2004", L"11"},  // steps start from the month on display
      {nullptr, nullptr, false, VK_PRIOR, L"2003.11", L"2003", L"11"},
      {nullptr, nullptr, true, VK_NEXT, L"2004.11", L"2004", L"11"},
      {nullptr, L"15", true, VK_F5, L"2004.11", L"2004", L"11"},  // F5 drops a wrong month quietly
      {L"2006", L"7", true, VK_RETURN, L"2006.07", L"2006", L"7"},  // Enter presses the default button
      {nullptr, nullptr, true, VK_DOWN, L"2006.08", L"2006", L"08"},
  };
  for (const auto& s : steps) {
    if (s.year) SetWindowTextW(f.Text1, s.year);
    if (s.month) SetWindowTextW(f.Text2, s.month);
    PressKey(s.inMonthBox ? f.Text2 : f.Text1, s.vk);
    EXPECT_EQ(Text(f.Label6[1]), s.shown) << s.vk;
    EXPECT_EQ(Text(f.Text1) + L"/" + Text(f.Text2), std::wstring(s.yearAfter) + L"/" + s.monthAfter) << s.vk;
  }
  EXPECT_TRUE(boxes_.empty());
}

std::vector<int> TabOrder(HWND window) {
  std::vector<int> ids;
  HWND first = GetNextDlgTabItem(window, nullptr, FALSE);
  for (HWND at = first; at && ids.size() < 40 && (ids.empty() || at != first); at = GetNextDlgTabItem(window, at, FALSE)) {
    ids.push_back(GetDlgCtrlID(at));
  }
  return ids;
}

TEST_F(Keys, TabOrderAltLettersAndEscInTheCommonList) {
  Form1& main = LoadForm();
  const std::vector<int> mainOrder = TabOrder(main.hwnd());
  ASSERT_GE(mainOrder.size(), 2u);
  EXPECT_EQ(std::vector<int>(mainOrder.begin(), mainOrder.begin() + 2), (std::vector<int>{TextId(1), TextId(2)}));
  Form3& common = OpenCommon();
  EXPECT_EQ(TabOrder(common.hwnd()), (std::vector<int>{ListId(1), TextId(1), CommandId(1), CommandId(4)}))
      << "modify and delete are disabled on an empty list";
  EXPECT_EQ(GetFocus(), common.List1);
  for (HWND edit : {main.Text1, main.Text2, common.Text1}) {
    HIMC context = ImmGetContext(edit);
    EXPECT_NE(context, nullptr) << "the edit boxes take the input method";
    if (context) ImmReleaseContext(edit, context);
  }

  SetForegroundWindow(common.hwnd());
  SetFocus(common.Text1);
  SetWindowTextW(common.Text1, L"mnemonic");
  SendKeys({{VK_MENU, false}, {'A', false}, {'A', true}, {VK_MENU, true}});
  ASSERT_EQ(common.ListCount(), 1) << "Alt+A adds";
  SendKeys({{VK_MENU, false}, {'D', false}, {'D', true}, {VK_MENU, true}});
  EXPECT_EQ(common.ListCount(), 0) << "Alt+D deletes the selected item";
  SendKeys({{VK_ESCAPE, false}, {VK_ESCAPE, true}});
  EXPECT_EQ(Form3::Current(), nullptr) << "Esc presses the close button";
}

TEST_F(Keys, MemoSelectsAllSavesWithCtrlSAndEscClosesOnlyWhenSaved) {
  LoadForm(2004, 9, 10);
  const Date day = DateFromYmd(2004, 9, 15);
  Form2* memo = OpenMemo(day);
  ASSERT_NE(memo, nullptr);
  auto stored = [&] { return profile::Read(kMemoSection, MemoKey(day), "", 256, Module1::strDatFile).text; };
  SetForegroundWindow(memo->hwnd());
  SetFocus(memo->Text1);
  SendKeys({{'M', false}, {'M', true}, {'O', false}, {'O', true}});
  ASSERT_EQ(Text(memo->Text1), L"mo");
  SendKeys({{VK_ESCAPE, false}, {VK_ESCAPE, true}});
  ASSERT_EQ(LoadedMemoWindows().size(), 1u) << "Esc with unsaved typing closes nothing";
  SendKeys({{VK_CONTROL, false}, {'A', false}, {'A', true}, {VK_CONTROL, true}});
  DWORD start = 1, end = 0;
  SendMessageW(memo->Text1, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(std::make_pair(start, end), std::make_pair(DWORD{0}, DWORD{2})) << "Ctrl+A selects all";
  SendKeys({{VK_CONTROL, false}, {VK_SHIFT, false}, {'S', false}, {'S', true}, {VK_SHIFT, true}, {VK_CONTROL, true}});
  EXPECT_EQ(stored(), "") << "Ctrl+Shift+S does not save";
  SendKeys({{VK_CONTROL, false}, {'S', false}, {'S', true}, {VK_CONTROL, true}});
  EXPECT_NE(stored(), "");
  EXPECT_EQ(Text(memo->Text1), L"mo") << "Ctrl+S typed nothing";
  SendKeys({{VK_ESCAPE, false}, {VK_ESCAPE, true}});
  EXPECT_TRUE(LoadedMemoWindows().empty());
}

TEST_F(Keys, NoKeyOrPasteChangesAMessage) {
  LoadForm();
  FormMsg* msg = OpenMessage(u"12:30", u"昼休み");
  ASSERT_NE(msg, nullptr);
  const wchar_t paste[] = L"貼り付け";
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, sizeof paste);
  memcpy(GlobalLock(mem), paste, sizeof paste);
  GlobalUnlock(mem);
  SetClipboardData(CF_UNICODETEXT, mem);
  CloseClipboard();
  SetForegroundWindow(msg->hwnd());
  const std::vector<std::pair<WORD, bool>> keys[] = {
      {{'V', false}, {'V', true}},
      {{VK_DELETE, false}, {VK_DELETE, true}},
      {{VK_CONTROL, false}, {'V', false}, {'V', true}, {VK_CONTROL, true}},
      {{VK_SHIFT, false}, {VK_INSERT, false}, {VK_INSERT, true}, {VK_SHIFT, true}},
      {{VK_SHIFT, false}, {VK_DELETE, false}, {VK_DELETE, true}, {VK_SHIFT, true}},
  };
  for (const auto& k : keys) {
    SetFocus(msg->Text1);
    SendMessageW(msg->Text1, EM_SETSEL, 0, -1);
    SendKeys(k);
    EXPECT_EQ(Text(msg->Text1), L"昼休み") << "key " << k[k.size() / 2].first;
  }
  SendMessageW(msg->Text1, WM_PASTE, 0, 0);
  EXPECT_EQ(Text(msg->Text1), L"昼休み") << "paste from the context menu";
}

}  // namespace
}  // namespace mekuri::testing
