#include "about/win32/FormMsg.h"

#include <commctrl.h>

#include "base/texts.h"
#include "platform/control_ids.h"
#include "platform/win32/controls.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/placement.h"
#include "platform/win32/text.h"

namespace mekuri {
namespace {

using win::FromTwips;

// The keys that would change the text: Delete, V (paste with Ctrl) and
// Insert (paste with Shift). They do nothing, whatever the modifiers.
constexpr int kKeyDelete = 46;
constexpr int kKeyV = 86;
constexpr int kKeyInsert = 45;

using win::ShiftState;

}  // namespace

FormMsg* FormMsg::Open(const std::u16string& time, const std::u16string& text) {
  // A caption bar without text, with the close box only, and the program's
  // icon: with no caption text, it is what tells the taskbar button apart.
  // 3780 x 2625 twips.
  auto* form = New<FormMsg>({.clientWidth = 252,
                             .clientHeight = 175,
                             .icon = ProgramIcon(),
                             .defaultId = CommandId(1),
                             .cancelId = CommandId(1)});
  if (!form) return nullptr;
  win::SetText(form->Label1, win::Wide(time));
  win::SetText(form->Text1, win::Wide(text));
  win::Centre(form->hwnd(), nullptr);
  return form;
}

void FormMsg::CreateControls() {
  const int text = AddFont(1200);
  // The button first in the tab order: it has the focus when the window
  // opens, so Enter or Space closes it at once. The design in twips.
  Command1 = Child(WC_BUTTONW, win::Wide(kCloseCaption), WS_TABSTOP | BS_DEFPUSHBUTTON, 0, CommandId(1),
                   FromTwips(1140, 2190, 1500, 375), text, [this] { Command1_Click(); });
  Text1 = Child(WC_EDITW, L"", WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY,
                WS_EX_CLIENTEDGE, TextId(1), FromTwips(120, 540, 3555, 1575), text);
  win::Subclass(Text1, [this](HWND, UINT msg, WPARAM wParam, LPARAM) { return Text1Proc(msg, wParam); });
  // Read-only, yet the message reads on the window colour, not grey.
  SetReadOnlyBox(Text1, COLOR_WINDOW);
  Label1 = Child(WC_STATICW, L"", SS_CENTER | SS_NOPREFIX, 0, LabelId(1), FromTwips(60, 60, 3660, 375),
                 AddFont(1575, true));
}

void FormMsg::Show() {
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
}

void FormMsg::Command1_Click() { Unload(); }

void FormMsg::Text1_KeyDown(int& KeyCode, int) {
  if (KeyCode == kKeyDelete || KeyCode == kKeyV || KeyCode == kKeyInsert) KeyCode = 0;
}

void FormMsg::Text1_KeyUp(int& KeyCode, int Shift) { Text1_KeyDown(KeyCode, Shift); }

std::optional<LRESULT> FormMsg::Text1Proc(UINT msg, WPARAM wParam) {
  if (msg == WM_CHAR && eatChar_) {
    eatChar_ = false;
    return 0;
  }
  if (msg != WM_KEYDOWN && msg != WM_KEYUP) return std::nullopt;
  int keyCode = static_cast<int>(wParam);
  if (msg == WM_KEYDOWN) {
    Text1_KeyDown(keyCode, ShiftState());
    // V types a character as well; Delete and Insert do not.
    eatChar_ = keyCode == 0 && wParam == kKeyV;
  } else {
    Text1_KeyUp(keyCode, ShiftState());
  }
  return keyCode == 0 ? std::optional<LRESULT>(0) : std::nullopt;
}

}  // namespace mekuri
