#include "memo/win32/Form4.h"

#include <commctrl.h>

#include <string>

#include "base/texts.h"
#include "memo/date_entry.h"
#include "memo/win32/date_pick.h"
#include "platform/control_ids.h"
#include "platform/win32/clock.h"
#include "platform/win32/text.h"

namespace mekuri {

namespace Module1 {
Date pickedDate = kCancelDate;
}  // namespace Module1

namespace {

using win::DesignRect;

// A fixed dialog frame: caption and close box, no icon, no minimise or
// maximise. No WS_CLIPCHILDREN: the frame leaves its inside unpainted, so the
// form's background must show through it.
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kFormExStyle = WS_EX_DLGMODALFRAME;

// The design in twips, 15 to a pixel at 96 DPI; buttons sit inside Frame1.
using win::FromTwips;
constexpr DesignRect kText1 = FromTwips(240, 60, 675, 315);
constexpr DesignRect kLabel1 = FromTwips(1020, 180, 255, 255);
constexpr DesignRect kText2 = FromTwips(1320, 60, 435, 315);
constexpr DesignRect kLabel2 = FromTwips(1860, 180, 255, 255);
constexpr DesignRect kText3 = FromTwips(2160, 60, 435, 315);
constexpr DesignRect kLabel3 = FromTwips(2700, 180, 195, 255);
constexpr DesignRect kFrame1 = FromTwips(60, 480, 2955, 435);
constexpr DesignRect kCommand1 = FromTwips(60 + 60, 480 + 60, 1335, 315);
constexpr DesignRect kCommand2 = FromTwips(60 + 1620, 480 + 60, 1275, 315);

std::wstring W(std::u16string_view text) { return win::Wide(text); }

}  // namespace

Form4* Form4::Current() { return static_cast<Form4*>(FirstLoaded(L"Form4")); }

Date Form4::ShowModal(HWND owner) {
  if (Current()) return kCancelDate;
  auto* form = new Form4();
  if (!form->Create(owner)) {
    delete form;
    return kCancelDate;
  }
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

bool Form4::Create(HWND owner) {
  owner_ = owner;
  dpi_ = win::SystemDpi();
  const SIZE outer = win::OuterSizeForClient(kClientWidth, kClientHeight,
                                             kFormStyle, kFormExStyle, dpi_);
  if (!CreateTopLevel(kFormExStyle, kFormStyle, W(kDateDialogCaption), CW_USEDEFAULT, CW_USEDEFAULT, outer.cx,
                      outer.cy, owner, ProgramIcon())) {
    return false;
  }
  dpi_ = win::WindowDpi(hwnd());
  CreateControls();
  Layout();
  return true;
}

void Form4::CreateControls() {
  HWND h = hwnd();
  constexpr DWORD kVisible = WS_VISIBLE | WS_CLIPSIBLINGS;
  constexpr DWORD kBox = kVisible | WS_TABSTOP | ES_AUTOHSCROLL;
  // Creation order is the tab order: year, month, day, then the buttons.
  Text1 = win::CreateChild(h, WC_EDITW, L"", kBox, WS_EX_CLIENTEDGE, TextId(1), kText1, dpi_);
  Text2 = win::CreateChild(h, WC_EDITW, L"", kBox, WS_EX_CLIENTEDGE, TextId(2), kText2, dpi_);
  Text3 = win::CreateChild(h, WC_EDITW, L"", kBox, WS_EX_CLIENTEDGE, TextId(3), kText3, dpi_);
  SendMessageW(Text1, EM_SETLIMITTEXT, 4, 0);
  SendMessageW(Text2, EM_SETLIMITTEXT, 2, 0);
  SendMessageW(Text3, EM_SETLIMITTEXT, 2, 0);
  // BS_NOTIFY: a focused button becomes the default one, which Enter presses.
  Command1 = win::CreateChild(h, WC_BUTTONW, W(kOpenCaption).c_str(),
                              kVisible | WS_TABSTOP | BS_DEFPUSHBUTTON | BS_NOTIFY, 0, CommandId(1), kCommand1, dpi_);
  Command2 = win::CreateChild(h, WC_BUTTONW, W(kCloseCaption).c_str(),
                              kVisible | WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY, 0, CommandId(2), kCommand2, dpi_);
  Label1 = win::CreateChild(h, WC_STATICW, W(kYearLabel).c_str(), kVisible, 0, LabelId(1), kLabel1, dpi_);
  Label2 = win::CreateChild(h, WC_STATICW, W(kMonthLabel).c_str(), kVisible, 0, LabelId(2), kLabel2, dpi_);
  Label3 = win::CreateChild(h, WC_STATICW, W(kDayLabel).c_str(), kVisible, 0, LabelId(3), kLabel3, dpi_);
  // Created last, the frame lies below its buttons. It has no caption, so
  // its edge runs along its top, as an etched frame draws it.
  Frame1 = win::CreateChild(h, WC_STATICW, L"", kVisible | SS_ETCHEDFRAME, 0, FrameId(1), kFrame1, dpi_);
  for (HWND box : {Text1, Text2, Text3}) SetWindowSubclass(box, TextProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

void Form4::Layout() {
  font_ = win::CreateDesignFont(win::kGothicFace, 975, false, false, win::kShiftJisCharset, dpi_);
  const struct {
    HWND control;
    DesignRect rect;
  } controls[] = {
      {Text1, kText1},   {Label1, kLabel1}, {Text2, kText2},       {Label2, kLabel2},       {Text3, kText3},
      {Label3, kLabel3}, {Frame1, kFrame1}, {Command1, kCommand1}, {Command2, kCommand2},
  };
  for (const auto& c : controls) {
    win::PlaceChild(c.control, c.rect, dpi_);
    SendMessageW(c.control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
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

void Form4::MarkDefault(HWND button) {
  SendMessageW(Command1, BM_SETSTYLE, button == Command1 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  SendMessageW(Command2, BM_SETSTYLE, button == Command2 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

LRESULT CALLBACK Form4::TextProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR refData) {
  auto* self = reinterpret_cast<Form4*>(refData);
  switch (msg) {
    case WM_SETFOCUS: {
      LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
      if (hwnd == self->Text1) {
        self->Text1_GotFocus();
      } else if (hwnd == self->Text2) {
        self->Text2_GotFocus();
      } else {
        self->Text3_GotFocus();
      }
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

LRESULT Form4::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case CommandId(1):
        case CommandId(2): {
          HWND button = LOWORD(wParam) == CommandId(1) ? Command1 : Command2;
          if (HIWORD(wParam) == BN_CLICKED) {
            if (button == Command1) {
              Command1_Click();
            } else {
              Command2_Click();
            }
          } else if (HIWORD(wParam) == BN_SETFOCUS) {
            MarkDefault(button);
          } else if (HIWORD(wParam) == BN_KILLFOCUS) {
            MarkDefault(Command1);
          }
          return 0;
        }
        case IDCANCEL:  // Esc
          Command2_Click();
          return 0;
        default:
          break;
      }
      break;
    case DM_GETDEFID:
      return MAKELRESULT(CommandId(1), DC_HASDEFID);
    case WM_ACTIVATE:
      // Like a dialog, the focus returns to the control that had it.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd(), focus)) lastFocus_ = focus;
      } else if (!HIWORD(wParam)) {
        SetFocus(lastFocus_ && IsWindow(lastFocus_) ? lastFocus_ : Text1);
      }
      return 0;
    case WM_DPICHANGED:
      dpi_ = AdoptDpi(wParam, lParam);
      Layout();
      return 0;
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
  return DefaultProc(msg, wParam, lParam);
}

}  // namespace mekuri
