#include "mainwindow/win32/Form1.h"

#include <commctrl.h>
#include <windowsx.h>

#include "base/number.h"
#include "base/texts.h"
#include "calendar/holidays.h"
#include "platform/control_ids.h"
#include "platform/win32/clock.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/message_box.h"
#include "platform/win32/text.h"
#include "shell/commands.h"
#include "state/win32/Module1.h"

namespace mekuri {
namespace {

using win::DesignRect;

constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kFormExStyle = WS_EX_APPWINDOW;

// The month strip of the design (pixels at 96 DPI); buttons inside a frame
// are given at the frame's origin plus their offset in it.
constexpr DesignRect kFrame3{4, 8, 25, 25};
constexpr DesignRect kCommand4{4 + 4, 8 + 4, 15, 15};
constexpr DesignRect kText1{32, 8, 45, 21};
constexpr DesignRect kLabel2{84, 12, 21, 17};
constexpr DesignRect kText2{104, 8, 25, 21};
constexpr DesignRect kLabel3{136, 12, 21, 17};
constexpr DesignRect kFrame2{152, 5, 29, 29};
constexpr DesignRect kCommand2{152 + 4, 5 + 4, 21, 9};
constexpr DesignRect kCommand3{152 + 4, 5 + 16, 21, 9};
constexpr DesignRect kFrame1{180, 4, 57, 33};
constexpr DesignRect kCommand1{180 + 4, 4 + 4, 49, 23};
// Line1: the rule under the weekday header.
constexpr int kLine1Y = 64;
constexpr int kLine1Left = 4;
constexpr int kLine1Right = 236;

constexpr int kHeadingLeftDefaultTop = 64;  // heading 0 never moves

DesignRect ToDesign(const CellRect& r) { return DesignRect{r.left, r.top, r.width, r.height}; }

// The static class's own procedure, behind Form1::LabelProc on every label,
// and the tooltip window the labels relay the mouse to. Kept here rather than
// in each label, where setting them would cost a round trip per label.
WNDPROC labelClassProc = nullptr;
HWND labelTips = nullptr;

std::wstring W(std::u16string_view text) { return win::Wide(text); }

}  // namespace

bool Form1::Load() {
  const UINT dpi = win::SystemDpi();
  const SIZE outer = win::OuterSizeForClient(kClientWidth, kClientHeight, kFormStyle, kFormExStyle, dpi);
  // Design position: the top right corner of the work area, where a desk
  // calendar stays out of the way.
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  formIcon_ = ProgramIcon();
  // The two tray images; shared resource icons, never destroyed.
  const int small = GetSystemMetrics(SM_CXSMICON);
  trayImage1_ = static_cast<HICON>(
      LoadImageW(Instance(), MAKEINTRESOURCEW(2), IMAGE_ICON, small, small, LR_SHARED));
  trayImage2_ = static_cast<HICON>(
      LoadImageW(Instance(), MAKEINTRESOURCEW(3), IMAGE_ICON, small, small, LR_SHARED));
  if (!trayImage1_) trayImage1_ = formIcon_;
  if (!trayImage2_) trayImage2_ = trayImage1_;
  // The labels are born with this month's captions, so the load's own build
  // changes only the memo marks. Those wait for it: the memo file is still
  // being read.
  const Ymd today = ToYmd(win::Today());
  BuildMonths(today.year, today.month, false);
  if (!Create({.style = kFormStyle,
               .exStyle = kFormExStyle,
               .clientWidth = kClientWidth,
               .clientHeight = kClientHeight,
               .icon = formIcon_,
               .defaultId = CommandId(1),
               .at = {work.right - outer.cx - win::Scale(16, dpi), work.top + win::Scale(16, dpi)}})) {
    return false;
  }
  Form_Load();
  StartTimers();
  return true;
}

void Form1::Show() {
  ShowDrawingLabels(SW_SHOWNA);
  UpdateWindow(hwnd());
}

std::vector<HWND> Form1::ZOrder() const {
  std::vector<HWND> order{Text1, Text2, Command1, Command2, Command3, Command4, Label2, Label3, Frame3, Frame2, Frame1};
  order.insert(order.end(), Label6.begin(), Label6.end());
  order.insert(order.end(), Label4.begin(), Label4.end());
  order.push_back(StatusBar1);
  return order;
}

std::vector<HWND> Form1::Labels() const {
  std::vector<HWND> labels{Label2, Label3};
  labels.insert(labels.end(), Label6.begin(), Label6.end());
  labels.insert(labels.end(), Label4.begin(), Label4.end());
  return labels;
}

void Form1::Unload() {
  if (!hwnd()) return;
  Form_Unload();
  DestroyWindow(hwnd());
}

void Form1::CreateFonts() {
  fontWindow_ = win::CreateDesignFont(win::kGothicFace, 975, false, false, win::kShiftJisCharset, dpi_);
  fontCell_ = win::CreateDesignFont(win::kGothicFace, 1200, true, false, win::kShiftJisCharset, dpi_);
  fontCellMemo_ = win::CreateDesignFont(win::kGothicFace, 1200, true, true, win::kShiftJisCharset, dpi_);
  fontHeading_ = win::CreateDesignFont(win::kGothicFace, 1200, false, true, win::kShiftJisCharset, dpi_);
  fontHeadingChosen_ = win::CreateDesignFont(win::kGothicFace, 1200, true, true, win::kShiftJisCharset, dpi_);
  fontStatusBold_ = win::CreateDesignFont(win::kGothicFace, 975, true, false, win::kShiftJisCharset, dpi_);
}

void Form1::CreateControls() {
  HWND h = hwnd();
  constexpr DWORD kClip = WS_CLIPSIBLINGS | WS_VISIBLE;
  // Creation order is the tab order: the year box first, then the month box.
  Text1 = win::CreateChild(h, WC_EDITW, L"", kClip | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, TextId(1),
                           kText1, dpi_);
  Text2 = win::CreateChild(h, WC_EDITW, L"", kClip | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, TextId(2),
                           kText2, dpi_);
  SendMessageW(Text1, EM_SETLIMITTEXT, 4, 0);
  SendMessageW(Text2, EM_SETLIMITTEXT, 2, 0);
  Command1 = win::CreateChild(h, WC_BUTTONW, W(kUpdateCaption).c_str(), kClip | WS_TABSTOP | BS_DEFPUSHBUTTON, 0,
                              CommandId(1), kCommand1, dpi_);
  // The three small buttons have no captions; they draw a glyph instead.
  Command2 = win::CreateChild(h, WC_BUTTONW, L"", kClip | WS_TABSTOP | BS_OWNERDRAW, 0, CommandId(2), kCommand2,
                              dpi_);
  Command3 = win::CreateChild(h, WC_BUTTONW, L"", kClip | WS_TABSTOP | BS_OWNERDRAW, 0, CommandId(3), kCommand3,
                              dpi_);
  Command4 = win::CreateChild(h, WC_BUTTONW, L"", kClip | WS_TABSTOP | BS_OWNERDRAW, 0, CommandId(4), kCommand4,
                              dpi_);
  Label2 = win::CreateChild(h, WC_STATICW, W(kYearLabel).c_str(), kClip, 0, LabelId(2), kLabel2, dpi_);
  Label3 = win::CreateChild(h, WC_STATICW, W(kMonthLabel).c_str(), kClip, 0, LabelId(3), kLabel3, dpi_);
  // Frames go below their buttons in the z-order.
  Frame3 = win::CreateChild(h, WC_BUTTONW, L"", kClip | BS_GROUPBOX, 0, FrameId(3), kFrame3, dpi_);
  Frame2 = win::CreateChild(h, WC_BUTTONW, L"", kClip | BS_GROUPBOX, 0, FrameId(2), kFrame2, dpi_);
  Frame1 = win::CreateChild(h, WC_BUTTONW, L"", kClip | BS_GROUPBOX, 0, FrameId(1), kFrame1, dpi_);

  // The headings sit in rows of blank cells: they go above them in the z-order.
  for (int i = 0; i < 3; ++i) {
    Label6[i] = win::CreateChild(h, WC_STATICW, W(grid_.headings[i].caption).c_str(), kClip | SS_NOTIFY, 0,
                                 Label6Id(i), ToDesign(HeadingGeometry(i, HeadingTop(i))), dpi_);
  }
  for (int i = 0; i < kGridCells; ++i) {
    Label4[i] = win::CreateChild(h, WC_STATICW, W(grid_.cells[i].caption).c_str(), kClip | SS_NOTIFY, 0,
                                 Label4Id(i), ToDesign(CellGeometry(i)), dpi_);
  }
  List1 = win::CreateChild(h, WC_LISTBOXW, L"", WS_CLIPSIBLINGS | LBS_NOINTEGRALHEIGHT, 0, ListId(1),
                           DesignRect{0, 0, 10, 10}, dpi_);
  StatusBar1 = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, h,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusBarId)), Instance(), nullptr);

  for (HWND box : {Text1, Text2}) SetWindowSubclass(box, TextBoxProc, 1, reinterpret_cast<DWORD_PTR>(this));
  tips_.Create(h);
  // Every label gets LabelProc in front of the class's procedure.
  labelTips = tips_.hwnd();
  for (HWND label : Labels()) {
    const auto own = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LabelProc)));
    if (own != &LabelProc) labelClassProc = own;
  }

  tips_.Add(Command4, W(kTipMenuButton));
  tips_.Add(Text1, W(kTipYearBox));
  tips_.Add(Text2, W(kTipMonthBox));
  tips_.Add(Command2, W(kTipMonthBack));
  tips_.Add(Command3, W(kTipMonthForward));
  tips_.Add(Command1, W(kTipUpdate));
  for (int i = 7; i < kGridCells; ++i) tips_.Add(Label4[i], W(grid_.cells[i].tooltip), true);
  for (int i = 0; i < 3; ++i) tips_.Add(Label6[i], W(grid_.headings[i].caption), true);
  shownCells_ = grid_.cells;
  shownHeadings_ = grid_.headings;
}

void Form1::Layout() {
  CreateFonts();
  for (HWND c : {Text1, Text2, Label2, Label3, Command1, Command2, Command3, Command4}) {
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(fontWindow_.get()), FALSE);
  }
  // Created at this DPI, the controls already stand where the design puts
  // them; only a DPI change moves them.
  const bool place = placedDpi_ != dpi_;
  placedDpi_ = dpi_;
  if (place) {
    win::PlaceChild(Frame3, kFrame3, dpi_);
    win::PlaceChild(Command4, kCommand4, dpi_);
    win::PlaceChild(Text1, kText1, dpi_);
    win::PlaceChild(Label2, kLabel2, dpi_);
    win::PlaceChild(Text2, kText2, dpi_);
    win::PlaceChild(Label3, kLabel3, dpi_);
    win::PlaceChild(Frame2, kFrame2, dpi_);
    win::PlaceChild(Command2, kCommand2, dpi_);
    win::PlaceChild(Command3, kCommand3, dpi_);
    win::PlaceChild(Frame1, kFrame1, dpi_);
    win::PlaceChild(Command1, kCommand1, dpi_);
  }
  for (int i = 0; i < kGridCells; ++i) {
    if (place) win::PlaceChild(Label4[i], ToDesign(CellGeometry(i)), dpi_);
    // The day cells first get their fonts from the load's build, which knows
    // the memo marks: set here too, each would be set twice.
    if (i >= 7 && !cellFontsSet_) continue;
    HFONT font = grid_.cells[i].memo ? fontCellMemo_.get() : fontCell_.get();
    SendMessageW(Label4[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    shownCells_[i].memo = grid_.cells[i].memo;
  }
  for (int i = 0; i < 3; ++i) {
    if (place) win::PlaceChild(Label6[i], ToDesign(HeadingGeometry(i, HeadingTop(i))), dpi_);
    shownHeadings_[i].top = HeadingTop(i);
    HFONT font = i == 1 ? fontHeadingChosen_.get() : fontHeading_.get();
    SendMessageW(Label6[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  SendMessageW(StatusBar1, WM_SETFONT,
               reinterpret_cast<WPARAM>(statusBold_ ? fontStatusBold_.get() : fontWindow_.get()), FALSE);
  SendMessageW(StatusBar1, WM_SIZE, 0, 0);
  InvalidateRect(hwnd(), nullptr, TRUE);
}

// Checks the two boxes as the update does; shows the message and answers
// true when one of them is out of range.
bool Form1::RejectMonthInput() {
  const MonthInput input = ValidateMonthInput(win::U16(win::GetText(Text1)), win::U16(win::GetText(Text2)));
  if (input.error == MonthInputError::None) return false;
  const auto& prompt = input.error == MonthInputError::Year ? kYearErrorPrompt : kMonthErrorPrompt;
  win::ShowMessageBox(hwnd(), W(prompt), W(kStopTitle), MB_OK | MB_ICONSTOP);
  return true;
}

void Form1::UpdateCalender() {
  if (RejectMonthInput()) return;
  const MonthInput input = ValidateMonthInput(win::U16(win::GetText(Text1)), win::U16(win::GetText(Text2)));
  // The rules of the three months stay in the work list for this build.
  const std::vector<std::string> rules = BuildMonths(input.year, input.month, true);
  SendMessageW(List1, LB_RESETCONTENT, 0, 0);
  for (const std::string& rule : rules) {
    SendMessageW(List1, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win::WideAscii(rule).c_str()));
  }
  Module1::dCellDate = grid_.cellDate;
  dShownMonth = grid_.shownMonth;
  ShowGrid();

  HWND focus = GetFocus();
  if (focus == Text1) {
    Text1_GotFocus();
  } else if (focus == Text2) {
    Text2_GotFocus();
  }
}

std::vector<std::string> Form1::BuildMonths(int year, int month, bool memoMarks) {
  const int m1 = month == 1 ? 12 : month - 1;
  const int m3 = month == 12 ? 1 : month + 1;
  std::vector<std::string> rules = RulesForMonths(Module1::strHolidayTable, m1, month, m3);
  BuildGrid(grid_, year, month, win::Today(), HolidayKeyList(rules, month, year),
            [memoMarks](Date d) { return memoMarks && Module1::SetMemoMark(d); });
  return rules;
}

int Form1::HeadingTop(int index) const {
  return index == 0 ? kHeadingLeftDefaultTop : grid_.headings[index].top;
}

// Only what changed is touched. The headings go first, so that the cells are
// drawn around them where they now stand. A cell's new text is stored in its
// label (where screen readers and automation read it) without the label's
// own repaint; the window then draws all the changed cells through one
// device context, as each label draws itself, which spares every label a
// device context and a round of messages of its own.
void Form1::ShowGrid() {
  for (int i = 0; i < 3; ++i) {
    const GridHeading& heading = grid_.headings[i];
    GridHeading& shown = shownHeadings_[i];
    if (i > 0 && shown.top != heading.top) {
      win::PlaceChild(Label6[i], ToDesign(HeadingGeometry(i, heading.top)), dpi_);
    }
    if (shown.caption != heading.caption) {
      SetWindowTextW(Label6[i], W(heading.caption).c_str());
      tips_.Update(Label6[i], W(heading.caption));
    }
    if (i > 0) shown.top = heading.top;
    shown.caption = heading.caption;
  }
  std::vector<HWND> changed;
  for (int i = 7; i < kGridCells; ++i) {
    const GridCell& cell = grid_.cells[i];
    GridCell& shown = shownCells_[i];
    bool restyled = shown.color != cell.color;
    if (shown.memo != cell.memo || !cellFontsSet_) {
      SendMessageW(Label4[i], WM_SETFONT,
                   reinterpret_cast<WPARAM>(cell.memo ? fontCellMemo_.get() : fontCell_.get()), FALSE);
      restyled = true;
    }
    if (shown.caption != cell.caption) {
      DefWindowProcW(Label4[i], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(W(cell.caption).c_str()));
      restyled = true;
    }
    if (restyled) changed.push_back(Label4[i]);
    if (shown.tooltip != cell.tooltip) tips_.Update(Label4[i], W(cell.tooltip));
    shown = cell;
  }
  cellFontsSet_ = true;
  DrawLabels(changed);
}

void Form1::Command1_Click() { UpdateCalender(); }

void Form1::ShowMonthOf(Date date) {
  win::SetText(Text1, win::WideAscii(FormatDate(date, "yyyy")));
  win::SetText(Text2, win::WideAscii(FormatDate(date, "mm")));
  Command1_Click();
}

void Form1::Command2_Click() { ShowMonthOf(dShownMonth - 1); }

void Form1::Command3_Click() { ShowMonthOf(dShownMonth + 31); }

void Form1::OpenTodaysMonth() {
  ShowMonthOf(win::Today());
  SetFocus(Text1);
}

void Form1::Text1_GotFocus() { SendMessageW(Text1, EM_SETSEL, 0, -1); }
void Form1::Text2_GotFocus() { SendMessageW(Text2, EM_SETSEL, 0, -1); }

void Form1::StepYear(int delta) {
  const double year = LeadingNumber(FormatDate(dShownMonth, "yyyy"));
  win::SetText(Text1, win::WideAscii(FormatInt(static_cast<long long>(year) + delta)));
  win::SetText(Text2, win::WideAscii(FormatDate(dShownMonth, "mm")));
  Command1_Click();
}

void Form1::TextBox_KeyDown(HWND box, int KeyCode) {
  switch (KeyCode) {
    case VK_RETURN:
      SendMessageW(box, EM_SETSEL, 0, -1);
      break;
    case VK_UP:
      Command2_Click();
      break;
    case VK_DOWN:
      Command3_Click();
      break;
    case VK_PRIOR:
      StepYear(-1);
      break;
    case VK_NEXT:
      StepYear(+1);
      break;
    case VK_F5:
      ShowMonthOf(dShownMonth);
      break;
    default:
      break;
  }
}

void Form1::Text1_KeyDown(int KeyCode, int /*Shift*/) { TextBox_KeyDown(Text1, KeyCode); }
void Form1::Text2_KeyDown(int KeyCode, int /*Shift*/) { TextBox_KeyDown(Text2, KeyCode); }

// The labels are part of the calendar's surface: the middle button on any of
// them means the same as on the window itself.
LRESULT CALLBACK Form1::LabelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
    win::ToolTips::Relay(labelTips, hwnd, msg, wParam, lParam);
    if (msg == WM_MBUTTONDOWN) {
      POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      MapWindowPoints(hwnd, GetParent(hwnd), &pt, 1);
      return SendMessageW(GetParent(hwnd), msg, wParam, MAKELPARAM(pt.x, pt.y));
    }
  }
  return CallWindowProcW(labelClassProc, hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK Form1::TextBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR refData) {
  auto* self = reinterpret_cast<Form1*>(refData);
  switch (msg) {
    case WM_GETDLGCODE:
      // Enter reaches the box itself, which selects its text and then presses
      // the default button, in that order.
      if (lParam && reinterpret_cast<MSG*>(lParam)->message == WM_KEYDOWN && wParam == VK_RETURN) {
        return DefSubclassProc(hwnd, msg, wParam, lParam) | DLGC_WANTMESSAGE;
      }
      break;
    case WM_KEYDOWN: {
      const int shift = win::ShiftState();
      switch (wParam) {
        case VK_RETURN:
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_F5:
          if (hwnd == self->Text1) {
            self->Text1_KeyDown(static_cast<int>(wParam), shift);
          } else {
            self->Text2_KeyDown(static_cast<int>(wParam), shift);
          }
          if (wParam == VK_RETURN) self->Command1_Click();
          return 0;
        default:
          break;
      }
      break;
    }
    case WM_CHAR:
      if (wParam == L'\r') return 0;  // a single-line box would beep
      break;
    case WM_SETFOCUS: {
      LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
      if (hwnd == self->Text1) {
        self->Text1_GotFocus();
      } else {
        self->Text2_GotFocus();
      }
      return result;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, TextBoxProc, 1);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

HBRUSH Form1::OnCtlColorStatic(HDC dc, HWND control) {
  const int id = GetDlgCtrlID(control);
  COLORREF color = GetSysColor(COLOR_WINDOWTEXT);
  if (id >= Label4Id(0) && id < Label4Id(kGridCells)) color = grid_.cells[id - Label4Id(0)].color;
  return reinterpret_cast<HBRUSH>(win::ColourStatic(reinterpret_cast<WPARAM>(dc), color, COLOR_BTNFACE));
}

void Form1::OnCommand(int id, int code) {
  switch (id) {
    case CommandId(1):
      Command1_Click();
      break;
    case CommandId(2):
      Command2_Click();
      break;
    case CommandId(3):
      Command3_Click();
      break;
    case CommandId(4):
      Command4_Click();
      break;
    default:
      if (code == STN_DBLCLK && id >= Label4Id(0) && id < Label4Id(kGridCells)) {
        int index = id - Label4Id(0);
        Label4_DblClick(index);
      }
      break;
  }
}

LRESULT Form1::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      const win::Glyph glyph = item->hwndItem == Command2   ? win::Glyph::Up
                               : item->hwndItem == Command3 ? win::Glyph::Down
                                                            : win::Glyph::Menu;
      win::DrawGlyphButton(*item, glyph);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<LRESULT>(
          OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd(), &ps);
      const int y = win::Scale(kLine1Y, dpi_);
      HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWTEXT));
      HGDIOBJ old = SelectObject(dc, pen);
      MoveToEx(dc, win::Scale(kLine1Left, dpi_), y, nullptr);
      LineTo(dc, win::Scale(kLine1Right, dpi_), y);
      SelectObject(dc, old);
      DeleteObject(pen);
      EndPaint(hwnd(), &ps);
      return 0;
    }
    case WM_TIMER:
      if (wParam == kTimer2) Timer2_Timer();
      if (wParam == kTimer3) SecondTick();
      return 0;
    case WM_DESTROY:
      if (endLoopOnDestroy) PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return Window::HandleMessage(msg, wParam, lParam);
}

}  // namespace mekuri
