// The common-information window as the user meets it: the stored list, the
// add rules, the buttons, the pop-up menu, the keys, sorting, bulk deletion
// and dropped files.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <functional>

#include <string>
#include <vector>

#include "base/texts.h"
#include "commonlist/common_list.h"
#include "commonlist/common_store.h"
#include "commonlist/win32/Form3.h"
#include "commonlist/win32/ListWindowProc.h"
#include "form_fixture.h"
#include "mainwindow/win32/MainWndProc.h"
#include "platform/profile.h"
#include "platform/win32/cipher_library.h"
#include "platform/win32/clock.h"
#include "platform/win32/text.h"
#include "platform/win32/tray.h"
#include "shell/commands.h"
#include "state/win32/Module1.h"

namespace mekuri::testing {
namespace {

class CommonWindow : public MainFormTest {
 protected:
  void SetUp() override {
    MainFormTest::SetUp();
    win::SetTrayForTesting([](DWORD, const NOTIFYICONDATAW&) { return TRUE; });
  }
  void TearDown() override {
    MainFormTest::TearDown();
    win::SetTrayForTesting(nullptr);
  }
  const CipherLibrary& Cipher() const { return win::Cipher(Module1::strAppPath); }
  void Store(const std::vector<std::pair<int, std::u16string>>& items) {
    for (const auto& [index, text] : items) {
      profile::WriteString(kMemoSection, CommonKey(index).c_str(), EncipherText(Cipher(), text)->c_str(),
                           Module1::strDatFile);
    }
  }
  void StoreMany(int count) {
    std::vector<std::pair<int, std::u16string>> items;
    for (int i = 0; i < count; ++i) items.emplace_back(i, u"item " + win::U16(std::to_wstring(i)));
    Store(items);
  }
  std::u16string StoredText(int index) const {
    const std::string value = profile::Read(kMemoSection, CommonKey(index), "", 512, Module1::strDatFile).text;
    return value.empty() ? u"<none>" : DecipherText(Cipher(), value);
  }
  // Opens the window the way every sender does: the command to the main window.
  Form3& Open() {
    if (!form_) LoadForm();
    if (!shellInstalled_) InstallMainWindowProcedure(*form_);
    shellInstalled_ = true;
    SendMessageW(form_->hwnd(), WM_COMMAND, kCmdCommonInfo, 0);
    win::PumpMessages();
    Form3* form = Form3::Current();
    EXPECT_NE(form, nullptr);
    return *form;
  }
  std::vector<std::wstring> Items(const Form3& f) const {
    std::vector<std::wstring> items;
    for (int i = 0; i < f.ListCount(); ++i) items.push_back(f.ListText(i));
    return items;
  }
  // Add, modify, delete: enabled or not.
  std::string Buttons(const Form3& f) const {
    std::string s;
    for (HWND b : {f.Command1, f.Command2, f.Command3}) s += IsWindowEnabled(b) ? '1' : '0';
    return s;
  }
  void Drop(const Form3& f, const std::vector<std::wstring>& files) {
    size_t chars = 1;
    for (const auto& file : files) chars += file.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    auto* at = reinterpret_cast<wchar_t*>(header + 1);
    for (const auto& file : files) at = std::copy(file.begin(), file.end(), at) + 1;
    GlobalUnlock(memory);
    SendMessageW(f.List1, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
  }
  bool shellInstalled_ = false;
  // The pop-up menu's items, read from the real tracked menu that `open`
  // brings up (by default the list's WM_CONTEXTMENU at a point).
  std::vector<std::wstring> MenuOf(const Form3& f, const std::function<void()>& open = nullptr) {
    static std::vector<std::wstring> seen;
    seen.clear();
    SetTimer(f.hwnd(), 77, 100, [](HWND h, UINT, UINT_PTR id, DWORD) {
      KillTimer(h, id);
      HWND popup = FindWindowW(L"#32768", nullptr);
      HMENU menu = popup ? reinterpret_cast<HMENU>(SendMessageW(popup, 0x01E1 /* MN_GETHMENU */, 0, 0)) : nullptr;
      for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = L"";
        GetMenuStringW(menu, i, text, 64, MF_BYPOSITION);
        seen.push_back(GetMenuItemID(menu, i) == 0 ? L"-" : text);
      }
      EndMenu();
    });
    if (open) {
      open();
    } else {
      RECT rc{};
      GetWindowRect(f.List1, &rc);
      SendMessageW(f.List1, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(f.List1),
                   MAKELPARAM(rc.left + 30, rc.bottom - 10));
    }
    win::PumpMessages();
    return seen;
  }
};

TEST_F(CommonWindow, GapsCloseUpAndACrashWhileOpenLosesNothing) {
  LoadForm();
  Store({{0, u"一番"}, {2, u"二番"}});
  Form3& f = Open();
  EXPECT_EQ(Text(f.hwnd()), L"共通情報 12:00");
  EXPECT_EQ(Items(f), (std::vector<std::wstring>{L"一番", L"二番"}));
  EXPECT_EQ(Text(f.Label2), L"2");
  EXPECT_EQ(f.ListIndex(), -1);
  EXPECT_EQ(Text(f.Text1), L"（ここに追加したい文字列を入力します）");
  // The program ending now, without unloading, must find the list where it was.
  EXPECT_EQ(StoredText(0), u"一番");
  EXPECT_EQ(StoredText(2), u"二番");
  EXPECT_EQ(lpPrevListProc != nullptr, true) << "the list's own procedure is installed";

  f.Command4_Click();
  EXPECT_EQ(Form3::Current(), nullptr);
  EXPECT_EQ(StoredText(0), u"一番");
  EXPECT_EQ(StoredText(1), u"二番");
  EXPECT_EQ(StoredText(2), u"<none>");
  EXPECT_EQ(lpPrevListProc, nullptr);

  // Open and close again without changes: the same texts under the same keys.
  Open().Unload();
  EXPECT_EQ(StoredText(0), u"一番");
  EXPECT_EQ(StoredText(1), u"二番");
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(CommonWindow, AddAsksOnceForTextAndRefusesARepeat) {
  Form3& f = Open();
  f.Command1_Click();
  EXPECT_EQ(Text(f.Text1), L"（追加したい文字列を入力してください）");
  EXPECT_EQ(GetFocus(), f.Text1);
  EXPECT_EQ(f.ListCount(), 0);
  f.Command1_Click();
  EXPECT_EQ(Items(f), (std::vector<std::wstring>{L"（追加したい文字列を入力してください）"}));

  SetBox(f.Text1, L"会議室");
  EXPECT_EQ(Text(f.Label1), L"3");
  PressKey(f.Text1, VK_RETURN);  // Enter adds, as the add button does
  f.Command1_Click();            // the same text again: refused
  EXPECT_EQ(f.ListCount(), 2);
  EXPECT_EQ(f.ListIndex(), 1);
  f.Command2_Click();  // modify clears the memory of the last added text
  f.Command1_Click();
  EXPECT_EQ(f.ListCount(), 3);
  EXPECT_EQ(Text(f.Label2), L"3");

  // A click on an item copies it into the box.
  f.SetListIndex(0);
  EXPECT_EQ(Text(f.Text1), L"（追加したい文字列を入力してください）");
  EXPECT_EQ(Text(f.Label1), L"19");
}

TEST_F(CommonWindow, ButtonsFollowTheCount) {
  LoadForm();
  StoreMany(99);
  Form3& f = Open();
  EXPECT_EQ(Buttons(f), "111");
  SetFocus(f.Text1);
  SetBox(f.Text1, L"the hundredth");
  f.Command1_Click();
  EXPECT_EQ(Buttons(f), "011");
  EXPECT_EQ(Text(f.Label2), L"100");
  f.Command3_Click();
  EXPECT_EQ(Buttons(f), "111") << "deleting one makes room again";
  f.DeleteAll();
  EXPECT_EQ(Buttons(f), "100");
  f.Unload();
  EXPECT_EQ(StoredText(0), u"<none>");
  EXPECT_EQ(StoredText(98), u"<none>");

  StoreMany(1);
  EXPECT_EQ(Buttons(Open()), "111");
}

TEST_F(CommonWindow, MenuEntriesFollowTheListAndReachTheList) {
  Form3& f = Open();
  EXPECT_EQ(MenuOf(f), (std::vector<std::wstring>{L"閉じる"}));
  for (const wchar_t* file : {L"C:\\b.txt", L"C:\\A.txt", L"C:\\c.txt"}) Drop(f, {file});
  const std::vector<std::wstring> unselected = MenuOf(f);
  EXPECT_EQ(unselected, (std::vector<std::wstring>{L"昇順で並び替える", L"降順で並び替える", L"-",
                                                   L"すべてチェックする", L"すべてチェックをはずす", L"-",
                                                   L"チェック付きを削除する", L"-", L"すべて削除する", L"-",
                                                   L"閉じる"}));
  f.SetListIndex(1);
  const std::vector<std::wstring> selected = MenuOf(f);
  ASSERT_EQ(selected.size(), 13u);
  EXPECT_EQ(selected[6], L"１件削除する");

  // The commands come back to the list itself.
  SendMessageW(f.List1, WM_COMMAND, kListSortAscending, 0);
  EXPECT_EQ(Items(f), (std::vector<std::wstring>{L"C:\\A.txt", L"C:\\b.txt", L"C:\\c.txt"})) << "case is ignored";
  SendMessageW(f.List1, WM_COMMAND, kListSortDescending, 0);
  EXPECT_EQ(Items(f), (std::vector<std::wstring>{L"C:\\c.txt", L"C:\\b.txt", L"C:\\A.txt"}));
  SendMessageW(f.List1, WM_COMMAND, kListClose, 0);
  EXPECT_EQ(Form3::Current(), nullptr);
}

TEST_F(CommonWindow, RightButtonAndMenuKeysOpenTheMenuAndKeepSelectionAndText) {
  LoadForm();
  Store({{0, u"a"}, {1, u"b"}, {2, u"c"}});
  Form3& f = Open();
  SetForegroundWindow(f.hwnd());
  RECT item{LVIR_BOUNDS};
  SendMessageW(f.List1, LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item));
  POINT at{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
  ClientToScreen(f.List1, &at);
  const struct {
    const char* how;
    std::function<void()> open;
  } ways[] = {
      {"right button on another item",
       [&] {
         SetCursorPos(at.x, at.y);
         INPUT clicks[2]{};
         clicks[0].type = clicks[1].type = INPUT_MOUSE;
         clicks[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
         clicks[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
         SendInput(2, clicks, sizeof(INPUT));
         for (int i = 0; i < 20; ++i, Sleep(5)) win::PumpMessages();
       }},
      {"Shift+F10", [&] {
         SetFocus(f.List1);
         SendKeys({{VK_SHIFT, false}, {VK_F10, false}, {VK_F10, true}, {VK_SHIFT, true}});
       }},
      {"menu key", [&] {
         SetFocus(f.List1);
         SendKeys({{VK_APPS, false}, {VK_APPS, true}});
       }},
  };
  for (const auto& way : ways) {
    f.SetListIndex(0);
    SetFocus(f.Text1);
    SetBox(f.Text1, L"書きかけ");
    EXPECT_EQ(MenuOf(f, way.open).size(), 13u) << way.how << ": the menu of a selected item";
    EXPECT_EQ(f.ListIndex(), 0) << way.how;
    EXPECT_EQ(Text(f.Text1), L"書きかけ") << way.how;
  }
}

TEST_F(CommonWindow, ChecksSortAndBulkDeletion) {
  LoadForm();
  Store({{0, u"e"}, {1, u"d"}, {2, u"c"}, {3, u"b"}, {4, u"a"}});
  Form3& f = Open();
  f.SetChecked(1, true);
  f.SetChecked(3, true);
  f.SortList(false);
  EXPECT_EQ(Items(f), (std::vector<std::wstring>{L"a", L"b", L"c", L"d", L"e"}));
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(f.Checked(i)) << "sorting clears the checks";

  f.SetChecked(0, true);
  f.SetChecked(4, true);
  SendMessageW(f.List1, WM_COMMAND, kListDeleteChecked, 0);
  EXPECT_EQ(Items(f), (std::vector<std::wstring>{L"b", L"c", L"d"}));
  EXPECT_EQ(Text(f.Label2), L"3");

  f.SetListIndex(1);
  SetForegroundWindow(f.hwnd());
  SetFocus(f.List1);
  SendKeys({{VK_CONTROL, false}, {VK_SHIFT, false}, {'A', false}, {'A', true}, {VK_SHIFT, true}, {VK_CONTROL, true}});
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(f.Checked(i)) << "Ctrl+Shift+A does nothing";
  SendKeys({{VK_CONTROL, false}, {'A', false}, {'A', true}, {VK_CONTROL, true}});
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(f.Checked(i)) << i;
  EXPECT_EQ(f.ListIndex(), 1) << "the selected item stays selected";
  SendKeys({{VK_CONTROL, false}, {'D', false}, {'D', true}, {VK_CONTROL, true}});
  EXPECT_FALSE(f.Checked(2));
  SendKeys({{VK_SPACE, false}, {VK_SPACE, true}});
  EXPECT_TRUE(f.Checked(1)) << "Space toggles the selected item";

  f.List1_KeyDown('A', 2);
  f.DeleteCheck();
  EXPECT_EQ(f.ListCount(), 0);
  EXPECT_EQ(Text(f.Label2), L"0");
  EXPECT_EQ(Buttons(f), "100");
}

TEST_F(CommonWindow, DeleteKeySelectsTheNextItemAndCopyUsesTheClipboard) {
  LoadForm();
  Store({{0, u"a"}, {1, u"b"}, {2, u"c"}});
  Form3& f = Open();
  SetForegroundWindow(f.hwnd());
  f.SetListIndex(1);
  SetFocus(f.List1);
  SendKeys({{VK_CONTROL, false}, {'C', false}, {'C', true}, {VK_CONTROL, true}});
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  const auto* copied = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
  EXPECT_STREQ(copied ? copied : L"<nothing>", L"b");
  if (copied) GlobalUnlock(data);
  CloseClipboard();

  SendKeys({{VK_DELETE, false}, {VK_DELETE, true}});
  EXPECT_EQ(Items(f), (std::vector<std::wstring>{L"a", L"c"}));
  EXPECT_EQ(f.ListIndex(), 1) << "the item that moved into place";
  SendKeys({{VK_DELETE, false}, {VK_DELETE, true}});
  EXPECT_EQ(f.ListIndex(), 0) << "the new last item";
  EXPECT_EQ(Text(f.Label2), L"1");
  EXPECT_EQ(GetFocus(), f.List1);
}

TEST_F(CommonWindow, DropsAreLimitedAndLongPathsCut) {
  Form3& f = Open();
  std::vector<std::wstring> eleven;
  for (int i = 0; i < 11; ++i) eleven.push_back(L"C:\\f" + std::to_wstring(i));
  Drop(f, eleven);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, L"追加できるのはファイル１０個までです。");
  EXPECT_EQ(boxes_[0].title, L"処理中断");
  EXPECT_EQ(boxes_[0].style, static_cast<UINT>(MB_ICONEXCLAMATION));
  EXPECT_EQ(f.ListCount(), 0);

  const std::wstring longPath = L"C:\\" + std::wstring(147, L'長');
  Drop(f, {longPath});
  EXPECT_EQ(f.ListText(0), longPath.substr(0, 97) + L"...");
  for (int i = 0; i < 89; ++i) Drop(f, {L"C:\\g" + std::to_wstring(i)});
  ASSERT_EQ(f.ListCount(), 90);
  Drop(f, std::vector<std::wstring>(eleven.begin(), eleven.begin() + 10));
  EXPECT_EQ(Text(f.Label2), L"100");
  EXPECT_EQ(Buttons(f), "011");

  f.DeleteAll();
  for (int i = 0; i < 95; ++i) Drop(f, {L"C:\\h" + std::to_wstring(i)});
  Drop(f, std::vector<std::wstring>(eleven.begin(), eleven.begin() + 10));
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[1].text, L"リストに追加できません。");
  EXPECT_EQ(f.ListCount(), 95);
}

TEST_F(CommonWindow, CloseAllWritesTheList) {
  Form3& f = Open();
  SetFocus(f.Text1);
  SetBox(f.Text1, L"残す");
  f.Command1_Click();
  SendMessageW(form_->hwnd(), WM_COMMAND, kCmdCloseAll, 0);
  EXPECT_EQ(Form3::Current(), nullptr);
  EXPECT_EQ(StoredText(0), u"残す");
}

// A close that cannot store the list keeps the window and its items; in a
// close-all (as at exit) the user is told and the close goes on.
TEST_F(CommonWindow, AListThatCannotBeStoredStaysOpenExceptInACloseAll) {
  LoadForm();
  Store({{0, u"残す"}});
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
      {"close all", [this](Form3&) { SendMessageW(form_->hwnd(), WM_COMMAND, kCmdCloseAll, 0); }, false},
      {"close all but main", [this](Form3&) { SendMessageW(form_->hwnd(), WM_COMMAND, kCmdCloseAllButMain, 0); },
       false},
  };
  for (const auto& c : cases) {
    boxes_.clear();
    Form3& f = Open();
    const Form3* opened = &f;
    SetFocus(f.Text1);
    SetBox(f.Text1, L"新しい");
    f.Command1_Click();
    c.close(f);
    const bool stayed = Form3::Current() == opened;
    EXPECT_EQ(stayed, c.stays) << c.name;
    EXPECT_EQ(boxes_.size(), 2u) << c.name << ": told of the unreadable item, then of the failed close";
    ASSERT_FALSE(boxes_.empty()) << c.name;
    EXPECT_EQ(boxes_.back().text, win::Wide(kCommonCipherFailedPrompt)) << c.name;
    if (stayed) {
      EXPECT_EQ(Items(f), std::vector<std::wstring>{L"新しい"}) << c.name;
      f.DeleteAll();
      f.Unload();
      EXPECT_EQ(Form3::Current(), nullptr) << c.name << ": nothing left to store";
    }
  }
  win::SetCipherForTesting(nullptr);
  EXPECT_EQ(StoredText(0), u"残す");
}

// Stored values the list cannot read are told of once, as it opens; a memo
// file it cannot read at all is told of too, and its close removes nothing.
TEST_F(CommonWindow, OpeningTellsOnceOfWhatCouldNotBeRead) {
  LoadForm();
  Store({{0, u"一番"}, {2, u"二番"}});
  profile::WriteString(kMemoSection, CommonKey(1).c_str(), "damaged", Module1::strDatFile);
  Form3& f = Open();
  EXPECT_EQ(Items(f), (std::vector<std::wstring>{L"一番", L"二番"}));
  Open();  // brought forward: not told again
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_NE(boxes_[0].text.find(L"のうち 1 件を読み取れませんでした"), std::wstring::npos) << boxes_[0].text;
  EXPECT_EQ(boxes_[0].owner, f.hwnd());
  f.Unload();

  profile::ClearCache();
  HANDLE lock = CreateFileW(Module1::strDatFile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  Form3& g = Open();
  EXPECT_EQ(g.ListCount(), 0);
  CloseHandle(lock);
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_NE(boxes_[1].text.find(L"メモファイルを読み取れませんでした"), std::wstring::npos) << boxes_[1].text;
  g.Unload();
  EXPECT_EQ(StoredText(0), u"一番");
  EXPECT_EQ(StoredText(2), u"二番");
}

TEST_F(CommonWindow, CaptionClockFollowsTheMinute) {
  Form3& f = Open();
  DateTime at;
  at.date = DateFromYmd(2004, 9, 10);
  at.hour = 9;
  at.minute = 5;
  win::SetClockForTesting([&at] { return at; });
  f.Timer1_Timer();
  EXPECT_EQ(Text(f.hwnd()), L"共通情報 09:05");
  EXPECT_EQ(f.nLastMinute, 545);
  at.hour = 23;
  at.minute = 59;
  SendMessageW(f.hwnd(), WM_TIMER, 1, 0);
  EXPECT_EQ(Text(f.hwnd()), L"共通情報 23:59");
  // A second command brings the same window forward.
  EXPECT_EQ(&Open(), &f);
}

}  // namespace
}  // namespace mekuri::testing
