#include "about/win32/FormMsg.h"

#include <commctrl.h>

#include "base/texts.h"
#include "platform/control_ids.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/text.h"

namespace mekuri {
namespace {

using win::DesignRect;

// A caption bar without text, with the close box only. No WS_CLIPCHILDREN,
// as in the program's other fixed windows.
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kFormExStyle = 0;

// The design in twips, 15 to a pixel at 96 DPI.
using win::FromTwips;
constexpr DesignRect kLabel1 = FromTwips(60, 60, 3660, 375);
constexpr DesignRect kText1 = FromTwips(120, 540, 3555, 1575);
constexpr DesignRect kCommand1 = FromTwips(1140, 2190, 1500, 375);

// The keys that would change the text: Delete, V (paste with Ctrl) and
// Insert (paste with Shift). They do nothing, whatever the modifiers.
constexpr int kKeyDelete = 46;
constexpr int kKeyV = 86;
constexpr int kKeyInsert = 45;

using win::ShiftState;

}  // namespace

FormMsg* FormMsg::Create(const std::u16string& time, const std::u16string& text) {
  auto* form = new FormMsg();
  if (!form->Load()) {
    delete form;
    return nullptr;
  }
  win::SetText(form->Label1, win::Wide(time));
  win::SetText(form->Text1, win::Wide(text));
  return form;
}

bool FormMsg::Load() {
  dpi_ = win::SystemDpi();
  const SIZE outer = win::OuterSizeForClient(kClientWidth, kClientHeight,
                                             kFormStyle, kFormExStyle, dpi_);
  // The program's icon: with no caption text, it is what tells the window's
  // taskbar button apart.
  if (!CreateTopLevel(kFormExStyle, kFormStyle, L"", CW_USEDEFAULT, CW_USEDEFAULT, outer.cx, outer.cy, nullptr,
                      ProgramIcon())) {
    return false;
  }
  dpi_ = win::WindowDpi(hwnd());
  CreateControls();
  Layout();
  CentreOnScreen();
  return true;
}

void FormMsg::CreateControls() {
  HWND h = hwnd();
  constexpr DWORD kVisible = WS_VISIBLE | WS_CLIPSIBLINGS;
  // The button first in the tab order: it has the focus when the window
  // opens, so Enter or Space closes it at once.
  Command1 = win::CreateChild(h, WC_BUTTONW, win::Wide(kCloseCaption).c_str(),
                              kVisible | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, CommandId(1), kCommand1, dpi_);
  Text1 = win::CreateChild(h, WC_EDITW, L"",
                           kVisible | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY,
                           WS_EX_CLIENTEDGE, TextId(1), kText1, dpi_);
  SetWindowSubclass(Text1, TextProc, 1, reinterpret_cast<DWORD_PTR>(this));
  Label1 = win::CreateChild(h, WC_STATICW, L"", kVisible | SS_CENTER | SS_NOPREFIX, 0, LabelId(1), kLabel1, dpi_);
}

void FormMsg::Layout() {
  font_ = win::CreateDesignFont(win::kGothicFace, 1200, false, false, win::kShiftJisCharset, dpi_);
  fontTime_ = win::CreateDesignFont(win::kGothicFace, 1575, true, false, win::kShiftJisCharset, dpi_);
  const struct {
    HWND control;
    DesignRect rect;
    HFONT font;
  } controls[] = {
      {Label1, kLabel1, fontTime_.get()},
      {Text1, kText1, font_.get()},
      {Command1, kCommand1, font_.get()},
  };
  for (const auto& c : controls) {
    win::PlaceChild(c.control, c.rect, dpi_);
    SendMessageW(c.control, WM_SETFONT, reinterpret_cast<WPARAM>(c.font), TRUE);
  }
}

void FormMsg::CentreOnScreen() {
  RECT rc{};
  GetWindowRect(hwnd(), &rc);
  const int x = (GetSystemMetrics(SM_CXSCREEN) - (rc.right - rc.left)) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - (rc.bottom - rc.top)) / 2;
  SetWindowPos(hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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

LRESULT CALLBACK FormMsg::TextProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR refData) {
  auto* self = reinterpret_cast<FormMsg*>(refData);
  switch (msg) {
    case WM_KEYDOWN:
    case WM_KEYUP: {
      int keyCode = static_cast<int>(wParam);
      if (msg == WM_KEYDOWN) {
        self->Text1_KeyDown(keyCode, ShiftState());
        // V types a character as well; Delete and Insert do not.
        self->eatChar_ = keyCode == 0 && wParam == kKeyV;
      } else {
        self->Text1_KeyUp(keyCode, ShiftState());
      }
      if (keyCode == 0) return 0;
      break;
    }
    case WM_CHAR:
      if (self->eatChar_) {
        self->eatChar_ = false;
        return 0;
      }
      break;
    case WM_GETDLGCODE: {
      // A multi-line box asks for every key; this one cannot be typed into,
      // so Tab, Enter and Esc stay the window's.
      LRESULT code = DefSubclassProc(hwnd, msg, wParam, lParam);
      const MSG* key = reinterpret_cast<const MSG*>(lParam);
      if (key && key->message == WM_KEYDOWN &&
          (key->wParam == VK_TAB || key->wParam == VK_RETURN || key->wParam == VK_ESCAPE)) {
        code &= ~DLGC_WANTALLKEYS;
      }
      return code;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, TextProc, 1);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

LRESULT FormMsg::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case CommandId(1):
          if (HIWORD(wParam) == BN_CLICKED) Command1_Click();
          return 0;
        case IDCANCEL:  // Esc: the close button is the cancel button as well
          Command1_Click();
          return 0;
        default:
          break;
      }
      break;
    case DM_GETDEFID:
      return MAKELRESULT(CommandId(1), DC_HASDEFID);
    case WM_CTLCOLORSTATIC:
      // Read-only, yet the message reads on the window colour, not grey.
      if (reinterpret_cast<HWND>(lParam) == Text1) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      }
      break;
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
