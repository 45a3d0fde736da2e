// Windows conventions in the program's windows: Tab order as designed,
// Alt with the "&" letter pressing its button, Esc closing, and the edit
// boxes open to the input method.
#include <windows.h>
#include <imm.h>

#include <new>
#include <vector>

#include "base/texts.h"
#include "commonlist/win32/Form3.h"
#include "form_fixture.h"
#include "mainwindow/win32/MainWndProc.h"
#include "memo/win32/Form2.h"
#include "platform/control_ids.h"
#include "platform/win32/text.h"
#include "platform/win32/window.h"
#include "shell/commands.h"

namespace mekuri::testing {
namespace {

class Conventions : public MainFormTest {
 protected:
  // The ids of the tab stops from the first one on, once round.
  static std::vector<int> TabOrder(HWND window) {
    std::vector<int> ids;
    HWND first = GetNextDlgTabItem(window, nullptr, FALSE);
    for (HWND at = first; at && ids.size() < 40;) {
      ids.push_back(GetDlgCtrlID(at));
      at = GetNextDlgTabItem(window, at, FALSE);
      if (at == first) break;
    }
    return ids;
  }
  static bool TakesInputMethod(HWND edit) {
    HIMC context = ImmGetContext(edit);
    if (!context) return false;
    ImmReleaseContext(edit, context);
    return true;
  }
  Form3& OpenCommon() {
    InstallMainWindowProcedure(*form_);
    SendMessageW(form_->hwnd(), WM_COMMAND, kCmdCommonInfo, 0);
    win::PumpMessages();
    return *Form3::Current();
  }
};

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

TEST_F(Conventions, AFailingHandlerStopsItsActionAndTellsTheUser) {
  FailingWindow window;
  ASSERT_TRUE(window.Create());
  EXPECT_EQ(SendMessageW(window.hwnd(), WM_APP, 0, 0), 0);
  EXPECT_EQ(SendMessageW(window.hwnd(), WM_APP, 0, 0), 0);
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[0].text, win::Wide(kStoppedActionPrompt));
  EXPECT_EQ(boxes_[0].title, win::Wide(kStopTitle));
  DestroyWindow(window.hwnd());
}

TEST_F(Conventions, TabOrderStartsWhereDesigned) {
  Form1& main = LoadForm();
  const std::vector<int> mainOrder = TabOrder(main.hwnd());
  ASSERT_GE(mainOrder.size(), 2u);
  EXPECT_EQ(mainOrder[0], TextId(1)) << "the year box first";
  EXPECT_EQ(mainOrder[1], TextId(2)) << "the month box second";

  Form3& common = OpenCommon();
  EXPECT_EQ(TabOrder(common.hwnd()), (std::vector<int>{ListId(1), TextId(1), CommandId(1), CommandId(4)}))
      << "modify and delete are disabled on an empty list";
  EXPECT_EQ(GetFocus(), common.List1) << "the list has the focus, not the box";
  for (HWND edit : {main.Text1, main.Text2, common.Text1}) EXPECT_TRUE(TakesInputMethod(edit));
}

TEST_F(Conventions, AltLettersPressButtonsAndEscCloses) {
  LoadForm();
  Form3& common = OpenCommon();
  SetForegroundWindow(common.hwnd());
  SetFocus(common.Text1);
  SetBox(common.Text1, L"mnemonic");
  SendKeys({{VK_MENU, false}, {'A', false}, {'A', true}, {VK_MENU, true}});
  ASSERT_EQ(common.ListCount(), 1) << "Alt+A adds";
  SendKeys({{VK_MENU, false}, {'D', false}, {'D', true}, {VK_MENU, true}});
  EXPECT_EQ(common.ListCount(), 0) << "Alt+D deletes the selected item";
  SendKeys({{VK_ESCAPE, false}, {VK_ESCAPE, true}});
  EXPECT_EQ(Form3::Current(), nullptr) << "Esc presses the close button";
}

}  // namespace
}  // namespace mekuri::testing
