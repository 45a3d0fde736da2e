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

using win::DesignRect;

constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kFormExStyle = 0;

// The design in twips, 15 to a pixel at 96 DPI; buttons sit inside Frame1.
using win::FromTwips;
constexpr DesignRect kLabel2 = FromTwips(180, 120, 1755, 315);
constexpr DesignRect kLabel1 = FromTwips(180, 480, 795, 255);
constexpr DesignRect kLabel4 = FromTwips(1080, 450, 855, 255);
constexpr DesignRect kText1 = FromTwips(120, 720, 5775, 2355);
constexpr DesignRect kFrame1 = FromTwips(2100, 120, 3795, 555);
constexpr DesignRect kCommand1 = FromTwips(2100 + 60, 120 + 60, 1035, 435);
constexpr DesignRect kCommand3 = FromTwips(2100 + 1260, 120 + 60, 1035, 435);
constexpr DesignRect kCommand2 = FromTwips(2100 + 2460, 120 + 60, 1275, 435);
constexpr DesignRect kLabel3 = FromTwips(120, 3180, 5775, 315);

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

Form2* Form2::Load() {
  auto* form = new Form2();
  if (!form->Create()) {
    delete form;
    return nullptr;
  }
  return form;
}

bool Form2::Create() {
  dpi_ = win::SystemDpi();
  const SIZE outer = win::OuterSizeForClient(kClientWidth, kClientHeight,
                                             kFormStyle, kFormExStyle, dpi_);
  if (!CreateTopLevel(kFormExStyle, kFormStyle, L"", CW_USEDEFAULT, CW_USEDEFAULT, outer.cx, outer.cy, nullptr,
                      ProgramIcon())) {
    return false;
  }
  dpi_ = win::WindowDpi(hwnd());
  CreateControls();
  Layout();
  return true;
}

void Form2::CreateControls() {
  HWND h = hwnd();
  constexpr DWORD kVisible = WS_VISIBLE | WS_CLIPSIBLINGS;
  Text1 = win::CreateChild(h, WC_EDITW, L"",
                           kVisible | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                               ES_AUTOHSCROLL | ES_WANTRETURN,
                           WS_EX_CLIENTEDGE, TextId(1), kText1, dpi_);
  // The limit is the save's to enforce, with its message; the box takes more.
  SendMessageW(Text1, EM_SETLIMITTEXT, 1 << 20, 0);
  Command1 = win::CreateChild(h, WC_BUTTONW, W(kSaveCaption).c_str(), kVisible | WS_TABSTOP | BS_PUSHBUTTON, 0,
                              CommandId(1), kCommand1, dpi_);
  Command3 = win::CreateChild(h, WC_BUTTONW, W(kDeleteCaption).c_str(), kVisible | WS_TABSTOP | BS_PUSHBUTTON, 0,
                              CommandId(3), kCommand3, dpi_);
  Command2 = win::CreateChild(h, WC_BUTTONW, W(kCloseCaption).c_str(), kVisible | WS_TABSTOP | BS_PUSHBUTTON, 0,
                              CommandId(2), kCommand2, dpi_);
  Label2 = win::CreateChild(h, WC_STATICW, L"", kVisible | SS_NOTIFY, 0, LabelId(2), kLabel2, dpi_);
  Label1 = win::CreateChild(h, WC_STATICW, W(kMemoHeading).c_str(), kVisible, 0, LabelId(1), kLabel1, dpi_);
  Label4 = win::CreateChild(h, WC_STATICW, L"0", kVisible, 0, LabelId(4), kLabel4, dpi_);
  Label3 = win::CreateChild(h, WC_STATICW, W(kKeyHelp).c_str(), kVisible, 0, LabelId(3), kLabel3, dpi_);
  Frame1 = win::CreateChild(h, WC_BUTTONW, L"", kVisible | BS_GROUPBOX, 0, FrameId(1), kFrame1, dpi_);
  SetWindowSubclass(Text1, TextProc, 1, reinterpret_cast<DWORD_PTR>(this));
  tips_.Create(h);
  tips_.Add(Label2, L"");
}

void Form2::Layout() {
  fontForm_ = win::CreateDesignFont(win::kGothicFace, 975, false, false, win::kShiftJisCharset, dpi_);
  fontDate_ = win::CreateDesignFont(win::kGothicFace, 1425, true, true, win::kShiftJisCharset, dpi_);
  fontHelp_ = win::CreateDesignFont(win::kGothicFace, 1125, false, false, win::kShiftJisCharset, dpi_);
  const struct {
    HWND control;
    DesignRect rect;
    HFONT font;
  } controls[] = {
      {Label2, kLabel2, fontDate_.get()},  {Label1, kLabel1, fontForm_.get()},
      {Label4, kLabel4, fontForm_.get()},  {Text1, kText1, fontForm_.get()},
      {Frame1, kFrame1, fontForm_.get()},  {Command1, kCommand1, fontForm_.get()},
      {Command3, kCommand3, fontForm_.get()}, {Command2, kCommand2, fontForm_.get()},
      {Label3, kLabel3, fontHelp_.get()},
  };
  for (const auto& c : controls) {
    win::PlaceChild(c.control, c.rect, dpi_);
    SendMessageW(c.control, WM_SETFONT, reinterpret_cast<WPARAM>(c.font), TRUE);
  }
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

void Form2::Show() {
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
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
    const std::u16string prompt = std::u16string(key.begin(), key.end()) + std::u16string(kConfirmUnreadableDelete);
    if (win::ShowMessageBox(hwnd(), W(prompt), W(kMainCaption), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
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
  win::SetText(Label4, std::to_wstring(GetWindowTextLengthW(Text1)));
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

LRESULT CALLBACK Form2::TextProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR refData) {
  auto* self = reinterpret_cast<Form2*>(refData);
  switch (msg) {
    case WM_KEYDOWN: {
      const int shift = ShiftState();
      // Every Esc stays here: in a dialog the multi-line box would turn one
      // with Shift or Ctrl into a close of the window, dropping the text.
      const bool ours = ((wParam == 'S' || wParam == 'A' || wParam == VK_DELETE) && shift == kShiftCtrl) ||
                        wParam == VK_ESCAPE;
      if (ours) {
        self->eatChar_ = wParam != VK_DELETE;
        self->Text1_KeyDown(static_cast<int>(wParam), shift);  // may destroy the window
        return 0;
      }
      break;
    }
    case WM_CHAR:
      if (self->eatChar_) {
        self->eatChar_ = false;
        return 0;
      }
      break;
    case WM_SETTEXT: {
      // A multi-line box does not report a change made by WM_SETTEXT.
      LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
      self->Text1_Change();
      return result;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, TextProc, 1);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

LRESULT Form2::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case CommandId(1):
          Command1_Click();
          return 0;
        case CommandId(2):
          Command2_Click();
          return 0;
        case CommandId(3):
          Command3_Click();
          return 0;
        case TextId(1):
          if (HIWORD(wParam) == EN_CHANGE) Text1_Change();
          return 0;
        case IDCANCEL:  // Esc away from the text box: the same rule as in it
          Text1_KeyDown(VK_ESCAPE, ShiftState());
          return 0;
        default:
          break;
      }
      break;
    case WM_SIZE:
      if (wParam == SIZE_MINIMIZED) Form_Resize();
      return 0;
    case WM_DPICHANGED:
      dpi_ = AdoptDpi(wParam, lParam);
      Layout();
      return 0;
    case WM_CLOSE:
      Unload();
      return 0;
    default:
      break;
  }
  return DefaultProc(msg, wParam, lParam);
}

}  // namespace mekuri
