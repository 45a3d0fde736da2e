#include "memo/win32/Form2.h"

#include <commctrl.h>

#include <vector>

#include "base/texts.h"
#include "mainwindow/win32/Form1.h"
#include "memo/memo_store.h"
#include "platform/control_ids.h"
#include "platform/win32/cipher_library.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/message_box.h"
#include "platform/win32/text.h"
#include "shell/commands.h"
#include "state/win32/Module1.h"

namespace mekuri {
namespace {

using win::FromTwips;

constexpr int kShiftNone = 0;
constexpr int kShiftCtrl = 2;

std::wstring W(std::u16string_view text) { return win::Wide(text); }

using win::ShiftState;

}  // namespace

std::vector<Form2*> LoadedMemoWindows() {
  std::vector<Form2*> memos;
  for (win::Window* w : win::Window::Loaded()) {
    if (lstrcmpW(w->FormName(), L"Form2") == 0) memos.push_back(static_cast<Form2*>(w));
  }
  return memos;
}

Form2* Form2::Open() {
  // 6000 x 3600 twips.
  return New<Form2>({.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                     .clientWidth = 400,
                     .clientHeight = 240,
                     .icon = ProgramIcon()});
}

void Form2::CreateControls() {
  const int form = AddFont(975);
  // The design in twips; the buttons sit inside Frame1.
  Text1 = Child(
      WC_EDITW, L"",
      WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN,
      WS_EX_CLIENTEDGE, TextId(1), FromTwips(120, 720, 5775, 2355), form);
  // The limit is the save's to enforce, with its message; the box takes more.
  SendMessageW(Text1, EM_SETLIMITTEXT, 1 << 20, 0);
  Command1 = Child(WC_BUTTONW, W(kSaveCaption), WS_TABSTOP | BS_PUSHBUTTON, 0, CommandId(1),
                   FromTwips(2100 + 60, 120 + 60, 1035, 435), form, [this] { Command1_Click(); });
  Command3 = Child(WC_BUTTONW, W(kDeleteCaption), WS_TABSTOP | BS_PUSHBUTTON, 0, CommandId(3),
                   FromTwips(2100 + 1260, 120 + 60, 1035, 435), form, [this] { Command3_Click(); });
  Command2 = Child(WC_BUTTONW, W(kCloseCaption), WS_TABSTOP | BS_PUSHBUTTON, 0, CommandId(2),
                   FromTwips(2100 + 2460, 120 + 60, 1275, 435), form, [this] { Command2_Click(); });
  Label2 = Child(WC_STATICW, L"", SS_NOTIFY, 0, LabelId(2), FromTwips(180, 120, 1755, 315),
                 AddFont(1425, true, true));
  Label1 = Child(WC_STATICW, W(kMemoHeading), 0, 0, LabelId(1), FromTwips(180, 480, 795, 255), form);
  Label4 = Child(WC_STATICW, L"0", 0, 0, LabelId(4), FromTwips(1080, 450, 855, 255), form);
  Label3 = Child(WC_STATICW, W(kKeyHelp), 0, 0, LabelId(3), FromTwips(120, 3180, 5775, 315), AddFont(1125));
  Frame1 = Child(WC_BUTTONW, L"", BS_GROUPBOX, 0, FrameId(1), FromTwips(2100, 120, 3795, 555), form);
  win::Subclass(Text1, [this](HWND box, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Text1Proc(box, msg, wParam, lParam);
  });
  tips_.Create(hwnd());
  tips_.Add(Label2, L"");
}

void Form2::Fill(Date date, const StoredText& stored) {
  const std::string key = MemoKey(date);
  const std::u16string key16(key.begin(), key.end());
  win::SetText(hwnd(), W(std::u16string(kMemoCaptionPrefix) + key16));
  win::SetText(Label2, W(key16));
  tips_.Update(Label2, W(WeekdayChar(key16) + std::u16string(kWeekdaySuffix)));
  unreadable_ = stored.state == Stored::Unreadable;
  const std::u16string text = unreadable_ ? std::u16string(kUnreadableMemoText) : stored.text;
  SendMessageW(Text1, EM_SETREADONLY, unreadable_, 0);
  win::SetText(Text1, W(text));
  strFirstText = text;
}

void Form2::OnDestroyed() {
  if (Module1::todayMemo == this) Module1::todayMemo = nullptr;
}

void Form2::Show(bool activate) {
  ShowDrawingLabels(activate ? SW_SHOW : SW_SHOWNA);
  if (activate) SetForegroundWindow(hwnd());
}

std::string Form2::DateKey() const {
  const std::wstring caption = win::GetText(hwnd());
  const std::wstring tail = caption.size() >= 10 ? caption.substr(caption.size() - 10) : caption;
  return std::string(tail.begin(), tail.end());
}

void Form2::SelectAllText() { SendMessageW(Text1, EM_SETSEL, 0, -1); }

void Form2::ShowStop(std::u16string_view prompt) {
  win::ShowMessageBox(hwnd(), W(prompt), W(kStopTitle), MB_OK | MB_ICONEXCLAMATION);
}

void Form2::Command1_Click() {
  if (unreadable_) {
    ShowStop(kUnreadableSavePrompt);
    return;
  }
  const std::u16string text = win::U16(win::GetText(Text1));
  if (text.size() > kMemoMaxChars) {
    ShowStop(kTooLongPrompt);
    return;
  }
  switch (SaveMemoText(Module1::strDatFile, win::Cipher(Module1::strAppPath), DateKey(), text)) {
    case SaveResult::CipherFailed:
      ShowStop(kCipherFailedPrompt);
      return;
    case SaveResult::WriteFailed:
      ShowStop(kWriteFailedPrompt);
      return;
    case SaveResult::Saved:
      break;
  }
  // The grid may report a bad month box in a message box, during which this
  // window may be closed.
  if (Form1* main = Module1::MainForm()) main->UpdateCalender();
  if (Closed()) return;
  strFirstText = text;
  SetFocus(Text1);
  SelectAllText();
}

void Form2::Command3_Click() {
  if (unreadable_) {
    const std::string key = DateKey();
    const std::u16string prompt = std::u16string(key.begin(), key.end()) +
                                  std::u16string(kConfirmUnreadableDelete);
    if (win::ShowMessageBox(hwnd(), W(prompt), W(kMainCaption), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) !=
        IDYES) {
      return;
    }
  }
  if (!RemoveMemo(Module1::strDatFile, DateKey())) {
    ShowStop(kDeleteFailedPrompt);
    return;
  }
  if (Form1* main = Module1::MainForm()) main->UpdateCalender();
  // Ctrl is down for Ctrl+Delete: that must not turn into closing every window.
  if (!Closed()) DestroyWindow(hwnd());
}

void Form2::Command2_Click() {
  if (win::CtrlHeld()) {
    std::vector<Form2*> others;
    for (Form2* memo : LoadedMemoWindows()) {
      if (memo != this) others.push_back(memo);
    }
    for (Form2* memo : others) memo->Unload();
  }
  Unload();
}

bool Form2::Form_Unload() {
  // With Ctrl held the close becomes "close every window but the main one";
  // while the program is already closing windows in bulk, it simply closes.
  if (win::CtrlHeld() && !Module1::exiting && !Module1::BulkClosing()) {
    if (Form1* main = Module1::MainForm()) PostMessageW(main->hwnd(), WM_COMMAND, kCmdCloseAllButMain, 0);
    return false;
  }
  return true;
}

void Form2::Unload() {
  if (hwnd() && Form_Unload()) DestroyWindow(hwnd());
}

void Form2::Form_Resize() {
  if (fBusy || !IsIconic(hwnd()) || !win::CtrlHeld()) return;
  fBusy = true;
  for (Form2* memo : LoadedMemoWindows()) SendMessageW(memo->hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  fBusy = false;
}

void Form2::Text1_Change() {
  // An unreadable memo's box holds our notice, whose length means nothing.
  win::SetText(Label4, unreadable_ ? std::wstring() : std::to_wstring(GetWindowTextLengthW(Text1)));
}

void Form2::Text1_KeyDown(int KeyCode, int Shift) {
  if (KeyCode == 'S' && Shift == kShiftCtrl) {
    Command1_Click();
  } else if (KeyCode == 'A' && Shift == kShiftCtrl) {
    SelectAllText();
  } else if (KeyCode == VK_DELETE && Shift == kShiftCtrl) {
    Command3_Click();
  } else if (KeyCode == VK_ESCAPE && Shift == kShiftNone) {
    if (win::U16(win::GetText(Text1)) == strFirstText) Command2_Click();
  }
}

std::optional<LRESULT> Form2::Text1Proc(HWND box, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CHAR && eatChar_) {
    eatChar_ = false;
    return 0;
  }
  if (msg == WM_SETTEXT) {
    // A multi-line box does not report a change made by WM_SETTEXT.
    const LRESULT result = DefSubclassProc(box, msg, wParam, lParam);
    Text1_Change();
    return result;
  }
  if (msg != WM_KEYDOWN) return std::nullopt;
  const int shift = ShiftState();
  // Every Esc stays here: in a dialog the multi-line box would turn one
  // with Shift or Ctrl into a close of the window, dropping the text.
  const bool ours = ((wParam == 'S' || wParam == 'A' || wParam == VK_DELETE) && shift == kShiftCtrl) ||
                    wParam == VK_ESCAPE;
  if (!ours) return std::nullopt;
  eatChar_ = wParam != VK_DELETE;
  Text1_KeyDown(static_cast<int>(wParam), shift);  // may destroy the window
  return 0;
}

void Form2::OnCommand(int id, int code) {
  if (id == TextId(1) && code == EN_CHANGE) Text1_Change();
}

// Esc away from the text box: the same rule as in it.
void Form2::OnCancel() { Text1_KeyDown(VK_ESCAPE, ShiftState()); }

LRESULT Form2::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SIZE) {
    if (wParam == SIZE_MINIMIZED) Form_Resize();
    return 0;
  }
  return Window::HandleMessage(msg, wParam, lParam);
}

}  // namespace mekuri
