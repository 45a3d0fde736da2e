// Message windows: one per message, each with its own time and text, a text
// that no key changes, and Enter or Esc to close.
#include <windows.h>

#include <cstring>

#include "about/win32/FormMsg.h"
#include "form_fixture.h"
#include "platform/win32/window.h"

namespace mekuri::testing {
namespace {

class MessageWindow : public MainFormTest {
 protected:
  static int Loaded() {
    int count = 0;
    for (win::Window* w : win::Window::Loaded()) count += lstrcmpW(w->FormName(), L"FormMsg") == 0;
    return count;
  }
  static FormMsg* Open(const std::u16string& time, const std::u16string& text) {
    FormMsg* msg = FormMsg::Open(time, text);
    if (!msg) return nullptr;
    msg->Show();
    win::PumpMessages();
    return msg;
  }
  // A key from the keyboard, with a modifier really held, so the box sees
  // the modifier in its key state.
  static void Type(HWND box, WORD modifier, WORD vk) {
    SetFocus(box);
    INPUT in[4]{};
    const WORD keys[] = {modifier, vk, vk, modifier};
    for (int i = 0; i < 4; ++i) {
      in[i].type = INPUT_KEYBOARD;
      in[i].ki.wVk = keys[i];
      in[i].ki.dwFlags = (i >= 2 ? KEYEVENTF_KEYUP : 0) |
                         (keys[i] == VK_INSERT || keys[i] == VK_DELETE ? KEYEVENTF_EXTENDEDKEY : 0);
    }
    SendInput(modifier ? 4 : 2, modifier ? in : in + 1, sizeof(INPUT));
    for (int i = 0; i < 5; ++i, Sleep(20)) win::PumpMessages();
  }
  static void SetClipboard(const wchar_t* text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    if (*text) {
      const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
      HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes);
      memcpy(GlobalLock(mem), text, bytes);
      GlobalUnlock(mem);
      SetClipboardData(CF_UNICODETEXT, mem);
    }
    CloseClipboard();
  }
};

TEST_F(MessageWindow, EachMessageGetsItsOwnWindowCentredOnTheScreen) {
  LoadForm();
  FormMsg* first = Open(u"09:00", u"朝会の資料を印刷する");
  FormMsg* second = Open(u"09:00", u"");
  ASSERT_TRUE(first && second);
  EXPECT_EQ(Loaded(), 2);
  EXPECT_EQ(Text(first->Label1), L"09:00");
  EXPECT_EQ(Text(first->Text1), L"朝会の資料を印刷する");
  EXPECT_EQ(Text(second->Label1), L"09:00");
  EXPECT_EQ(Text(second->Text1), L"");
  EXPECT_EQ(Text(first->hwnd()), L"");
  EXPECT_EQ(Text(first->Command1), L"閉じる(&C)");
  EXPECT_EQ(GetWindowLongPtrW(first->hwnd(), GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
  RECT window{}, client{};
  GetClientRect(first->hwnd(), &client);
  EXPECT_EQ(client.right, 252);
  EXPECT_EQ(client.bottom, 175);
  GetWindowRect(first->hwnd(), &window);
  EXPECT_NEAR(window.left + window.right, GetSystemMetrics(SM_CXSCREEN), 1);
  EXPECT_NEAR(window.top + window.bottom, GetSystemMetrics(SM_CYSCREEN), 1);

  SendMessageW(second->Command1, BM_CLICK, 0, 0);
  win::PumpMessages();
  EXPECT_EQ(Loaded(), 1) << "closing one leaves the other";
  EXPECT_EQ(Text(first->Text1), L"朝会の資料を印刷する");
}

TEST_F(MessageWindow, NoKeyOrPasteChangesTheText) {
  LoadForm();
  FormMsg* msg = Open(u"12:30", u"昼休み");
  ASSERT_NE(msg, nullptr);
  SetClipboard(L"貼り付け");
  const struct {
    const char* name;
    WORD modifier, vk;
  } keys[] = {{"V", 0, 'V'}, {"Delete", 0, VK_DELETE}, {"Ctrl+V", VK_CONTROL, 'V'},
              {"Shift+Insert", VK_SHIFT, VK_INSERT}, {"Shift+Delete", VK_SHIFT, VK_DELETE}};
  for (const auto& k : keys) {
    SendMessageW(msg->Text1, EM_SETSEL, 0, -1);
    Type(msg->Text1, k.modifier, k.vk);
    EXPECT_EQ(Text(msg->Text1), L"昼休み") << k.name;
  }
  SendMessageW(msg->Text1, WM_PASTE, 0, 0);
  EXPECT_EQ(Text(msg->Text1), L"昼休み") << "paste from the context menu";

  // Insert is dead whatever the modifiers: Ctrl+Insert copies nothing, while
  // Ctrl+C still copies.
  SetClipboard(L"");
  SendMessageW(msg->Text1, EM_SETSEL, 0, -1);
  Type(msg->Text1, VK_CONTROL, VK_INSERT);
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT)) << "Ctrl+Insert";
  Type(msg->Text1, VK_CONTROL, 'C');
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT)) << "Ctrl+C";
}

TEST_F(MessageWindow, EnterAndEscCloseOnlyTheirWindowAndTabLeavesTheText) {
  LoadForm();
  FormMsg* tab = Open(u"10:00", u"");
  ASSERT_NE(tab, nullptr);
  PressKey(tab->Text1, VK_TAB);
  EXPECT_EQ(GetFocus(), tab->Command1);
  tab->Unload();

  for (WORD vk : {VK_RETURN, VK_ESCAPE}) {
    FormMsg* keep = Open(u"10:00", u"残る");
    FormMsg* msg = Open(u"10:00", u"閉じる");
    ASSERT_TRUE(keep && msg);
    const HWND kept = keep->hwnd();
    PressKey(msg->Text1, vk);
    EXPECT_EQ(Loaded(), 1) << vk;
    EXPECT_TRUE(IsWindow(kept)) << vk;
    if (IsWindow(kept)) keep->Unload();
  }
}

}  // namespace
}  // namespace mekuri::testing
