// The version window: its texts, one instance at a time, centred on the main
// window, and every way of closing it.
#include <windows.h>

#include <functional>
#include <regex>

#include "about/win32/FormVer.h"
#include "form_fixture.h"
#include "platform/win32/window.h"

namespace mekuri::testing {
namespace {

class VersionWindow : public MainFormTest {
 protected:
  static int Loaded() {
    int count = 0;
    for (win::Window* w : win::Window::Loaded()) count += lstrcmpW(w->FormName(), L"FormVer") == 0;
    return count;
  }
  static void PlaceMain(Form1& main, int x) {
    SetWindowPos(main.hwnd(), nullptr, x, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
};

TEST_F(VersionWindow, ShowsItsTextsCentredOnTheMainWindow) {
  Form1& main = LoadForm();
  PlaceMain(main, 400);
  FormVer* ver = FormVer::Open(main.hwnd());
  ASSERT_NE(ver, nullptr);
  win::PumpMessages();
  EXPECT_EQ(Text(ver->hwnd()), L"バージョン情報");
  EXPECT_EQ(Text(ver->Label1), L"Mekurinote.exe  Ver 1.00 (2004.09.10)");
  EXPECT_EQ(Text(ver->Label4),
            L"このプログラムは。\r\n\r\n"
            L"　３ヶ月分のカレンダー表示と、日ごとにメモを保存するためのプログラムです。\r\n\r\n"
            L"　詳しくは「読んで☆.txt」をご覧下さい。");
  EXPECT_EQ(Text(ver->Command1), L"戻る");
  // Two build lines, the project and its year, a blank line, the contacts.
  const std::wstring text = Text(ver->Text1);
  EXPECT_TRUE(std::regex_match(text, std::wregex(L"[^\r\n]+\r\n[^\r\n]+\r\n[^\r\n]*2004[^\r\n]*\r\n\r\n"
                                                 L"E-mail: [^\r\n]+\r\nURL : [^\r\n]+")))
      << text;
  RECT shown{};
  SendMessageW(ver->Text1, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&shown));
  const LRESULT lastChar = SendMessageW(ver->Text1, EM_POSFROMCHAR, text.size() - 1, 0);
  EXPECT_TRUE(static_cast<short>(HIWORD(lastChar)) < shown.bottom ||
              (GetWindowLongPtrW(ver->Text1, GWL_STYLE) & WS_VSCROLL))
      << "the last line is shown, or the box scrolls to it";

  const LONG_PTR style = GetWindowLongPtrW(ver->hwnd(), GWL_STYLE);
  EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPCHILDREN), 0);
  RECT client{}, self{}, owner{};
  GetClientRect(ver->hwnd(), &client);
  EXPECT_EQ(client.right, 305);
  EXPECT_EQ(client.bottom, 270);
  GetWindowRect(ver->hwnd(), &self);
  GetWindowRect(main.hwnd(), &owner);
  EXPECT_NEAR(self.left + self.right, owner.left + owner.right, 1);
  EXPECT_NEAR(self.top + self.bottom, owner.top + owner.bottom, 1);
  EXPECT_EQ(GetFocus(), ver->Command1);
  PressKey(ver->Text1, VK_TAB);
  EXPECT_EQ(GetFocus(), ver->Command1) << "Tab leaves the text box";

  // Beside an owner at the screen's edge it stays whole on the screen.
  ver->Unload();
  PlaceMain(main, GetSystemMetrics(SM_CXSCREEN) - 100);
  ver = FormVer::Open(main.hwnd());
  ASSERT_NE(ver, nullptr);
  GetWindowRect(ver->hwnd(), &self);
  EXPECT_LE(self.right, GetSystemMetrics(SM_CXSCREEN));
}

TEST_F(VersionWindow, OpeningTwiceBringsTheSameWindowForward) {
  Form1& main = LoadForm();
  FormVer* first = FormVer::Open(main.hwnd());
  ASSERT_NE(first, nullptr);
  SetForegroundWindow(main.hwnd());
  win::PumpMessages();
  EXPECT_EQ(FormVer::Open(main.hwnd()), first);
  win::PumpMessages();
  EXPECT_EQ(Loaded(), 1);
  EXPECT_EQ(GetForegroundWindow(), first->hwnd());
}

TEST_F(VersionWindow, BackEnterEscAndTheCloseBoxUnloadIt) {
  Form1& main = LoadForm();
  auto key = [](UINT vk) {
    return [vk](FormVer&) {
      PostMessageW(GetFocus(), WM_KEYDOWN, vk, 1);
      PostMessageW(GetFocus(), WM_KEYUP, vk, 0xC0000001);
    };
  };
  const std::pair<const char*, std::function<void(FormVer&)>> ways[] = {
      {"戻る", [](FormVer& v) { SendMessageW(v.Command1, BM_CLICK, 0, 0); }},
      {"Enter", key(VK_RETURN)},
      {"Esc", key(VK_ESCAPE)},
      {"close box", [](FormVer& v) { PostMessageW(v.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  for (const auto& [name, close] : ways) {
    ASSERT_NE(FormVer::Open(main.hwnd()), nullptr) << name;
    win::PumpMessages();
    close(*FormVer::Current());
    win::PumpMessages();
    EXPECT_EQ(Loaded(), 0) << name;
  }
}

}  // namespace
}  // namespace mekuri::testing
