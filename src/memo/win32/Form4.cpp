#include "memo/win32/Form4.h"

#include <commctrl.h>

#include <string>

#include "base/texts.h"
#include "memo/date_entry.h"
#include "memo/win32/date_pick.h"
#include "platform/control_ids.h"
#include "platform/win32/clock.h"
#include "platform/win32/controls.h"
#include "platform/win32/text.h"

namespace mekuri {

namespace Module1 {
Date pickedDate = kCancelDate;
}  // namespace Module1

namespace {

using win::FromTwips;

std::wstring W(std::u16string_view text) { return win::Wide(text); }

}  // namespace

Form4* Form4::Current() { return static_cast<Form4*>(FirstLoaded(L"Form4")); }

Date Form4::Open(HWND owner) {
  if (Current()) return kCancelDate;
  // A fixed dialog frame: caption and close box, no minimise or maximise. No
  // WS_CLIPCHILDREN: the frame leaves its inside unpainted, so the form's
  // background must show through it. 3075 x 945 twips.
  auto* form = New<Form4>({.exStyle = WS_EX_DLGMODALFRAME,
                           .clientWidth = 205,
                           .clientHeight = 63,
                           .caption = W(kDateDialogCaption),
                           .owner = owner,
                           .icon = ProgramIcon(),
                           .defaultId = CommandId(1),
                           .cancelId = CommandId(2)});
  if (!form) return kCancelDate;
  form->owner_ = owner;
  form->Form_Load();
  form->BeginModal();
  MSG msg;
  while (Current() == form) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // The process is ending: nothing is to be opened, and the outer loop
      // must see the quit as well.
      if (Current() == form) form->Command2_Click();
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      return kCancelDate;
    }
    if (win::TranslateDialogKeys(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return Module1::pickedDate;
}

void Form4::CreateControls() {
  const int font = AddFont(975);
  constexpr DWORD kBox = WS_TABSTOP | ES_AUTOHSCROLL;
  // Creation order is the tab order: year, month, day, then the buttons.
  // The design in twips; the buttons sit inside Frame1.
  Text1 = Child(WC_EDITW, L"", kBox, WS_EX_CLIENTEDGE, TextId(1), FromTwips(240, 60, 675, 315), font);
  Text2 = Child(WC_EDITW, L"", kBox, WS_EX_CLIENTEDGE, TextId(2), FromTwips(1320, 60, 435, 315), font);
  Text3 = Child(WC_EDITW, L"", kBox, WS_EX_CLIENTEDGE, TextId(3), FromTwips(2160, 60, 435, 315), font);
  SendMessageW(Text1, EM_SETLIMITTEXT, 4, 0);
  SendMessageW(Text2, EM_SETLIMITTEXT, 2, 0);
  SendMessageW(Text3, EM_SETLIMITTEXT, 2, 0);
  // BS_NOTIFY: a focused button becomes the default one, which Enter presses.
  Command1 = Child(WC_BUTTONW, W(kOpenCaption), WS_TABSTOP | BS_DEFPUSHBUTTON | BS_NOTIFY, 0, CommandId(1),
                   FromTwips(60 + 60, 480 + 60, 1335, 315), font, [this] { Command1_Click(); });
  Command2 = Child(WC_BUTTONW, W(kCloseCaption), WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY, 0, CommandId(2),
                   FromTwips(60 + 1620, 480 + 60, 1275, 315), font, [this] { Command2_Click(); });
  Label1 = Child(WC_STATICW, W(kYearLabel), 0, 0, LabelId(1), FromTwips(1020, 180, 255, 255), font);
  Label2 = Child(WC_STATICW, W(kMonthLabel), 0, 0, LabelId(2), FromTwips(1860, 180, 255, 255), font);
  Label3 = Child(WC_STATICW, W(kDayLabel), 0, 0, LabelId(3), FromTwips(2700, 180, 195, 255), font);
  // Created last, the frame lies below its buttons. It has no caption, so
  // its edge runs along its top, as an etched frame draws it.
  Frame1 = Child(WC_STATICW, L"", SS_ETCHEDFRAME, 0, FrameId(1), FromTwips(60, 480, 2955, 435), font);
  // A box that gets the focus selects its text.
  for (HWND box : {Text1, Text2, Text3}) {
    win::Subclass(box, [this](HWND focused, UINT msg, WPARAM wParam, LPARAM lParam) -> std::optional<LRESULT> {
      if (msg != WM_SETFOCUS) return std::nullopt;
      const LRESULT result = DefSubclassProc(focused, msg, wParam, lParam);
      if (focused == Text1) {
        Text1_GotFocus();
      } else if (focused == Text2) {
        Text2_GotFocus();
      } else {
        Text3_GotFocus();
      }
      return result;
    });
  }
}

void Form4::Form_Load() {
  Module1::pickedDate = win::Today();
  const std::string ymd = FormatDate(Module1::pickedDate, "yyyymmdd");
  win::SetText(Text1, win::WideAscii(ymd.substr(0, 4)));
  win::SetText(Text2, win::WideAscii(ymd.substr(4, 2)));
  win::SetText(Text3, win::WideAscii(ymd.substr(6, 2)));
}

void Form4::BeginModal() {
  modal_ = true;
  for (win::Window* w : Loaded()) {
    if (w != this && IsWindowEnabled(w->hwnd())) {
      EnableWindow(w->hwnd(), FALSE);
      disabled_.push_back(w->hwnd());
    }
  }
  if (owner_ && IsWindowEnabled(owner_)) {
    EnableWindow(owner_, FALSE);
    disabled_.push_back(owner_);
  }
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
  SetFocus(Text1);
}

void Form4::EndModal() {
  if (!modal_) return;
  modal_ = false;
  // The others are enabled before the dialog goes, so that activation
  // returns to the owner and not to some other program.
  for (HWND w : disabled_) {
    if (IsWindow(w)) EnableWindow(w, TRUE);
  }
  disabled_.clear();
  if (!IsWindowVisible(hwnd())) return;
  const bool active = GetActiveWindow() == hwnd();
  SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  if (active && owner_ && IsWindowVisible(owner_)) SetForegroundWindow(owner_);
}

void Form4::Unload() {
  if (!hwnd()) return;
  EndModal();
  DestroyWindow(hwnd());
}

void Form4::Command1_Click() {
  const auto picked = DateFromEntry(win::U16(win::GetText(Text1)), win::U16(win::GetText(Text2)),
                                    win::U16(win::GetText(Text3)));
  if (!picked) return;  // out of range: the dialog stays as it is, without a word
  Module1::pickedDate = *picked;
  answered_ = true;
  Unload();
}

void Form4::Command2_Click() {
  Module1::pickedDate = kCancelDate;
  Unload();
}

void Form4::Text1_GotFocus() { SendMessageW(Text1, EM_SETSEL, 0, GetWindowTextLengthW(Text1)); }
void Form4::Text2_GotFocus() { SendMessageW(Text2, EM_SETSEL, 0, GetWindowTextLengthW(Text2)); }
void Form4::Text3_GotFocus() { SendMessageW(Text3, EM_SETSEL, 0, GetWindowTextLengthW(Text3)); }

LRESULT Form4::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CLOSE:  // the frame's close box: the picked date stays at today
      answered_ = true;
      Unload();
      return 0;
    case WM_DESTROY:
      // Closed by anything but the user's open or close box (a close-all
      // command, the owner going away), the dialog opens nothing.
      if (!answered_) Module1::pickedDate = kCancelDate;
      EndModal();
      break;
    default:
      break;
  }
  return Window::HandleMessage(msg, wParam, lParam);
}

}  // namespace mekuri
