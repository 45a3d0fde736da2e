#include "commonlist/win32/Form3.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "base/texts.h"
#include "commonlist/common_list.h"
#include "commonlist/common_store.h"
#include "commonlist/win32/ListWindowProc.h"
#include "platform/control_ids.h"
#include "platform/win32/cipher_library.h"
#include "platform/win32/clock.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/message_box.h"
#include "platform/win32/placement.h"
#include "platform/win32/text.h"
#include "state/win32/Module1.h"

namespace mekuri {
namespace {

using win::FromTwips;

constexpr UINT_PTR kTimer1 = 1;
constexpr UINT kTimer1Ms = 1000;

std::wstring W(std::u16string_view text) { return win::Wide(text); }

}  // namespace

Form3* Form3::Current() { return static_cast<Form3*>(FirstLoaded(L"Form3")); }

Form3* Form3::Open() {
  Form3* form = Current();
  const bool opened = !form;
  if (!form) {
    // 5355 x 4320 twips; the close button is the cancel button.
    form = New<Form3>({.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                       .clientWidth = 357,
                       .clientHeight = 288,
                       .caption = W(kCommonCaption),
                       .icon = ProgramIcon(),
                       .cancelId = CommandId(4)});
    if (!form) return nullptr;
    form->Form_Load();
    win::Centre(form->hwnd(), nullptr);
    ShowWindow(form->hwnd(), SW_SHOW);
    SetFocus(form->List1);
  } else if (IsIconic(form->hwnd())) {
    ShowWindow(form->hwnd(), SW_RESTORE);
  }
  ShowWindow(form->hwnd(), SW_SHOW);
  SetForegroundWindow(form->hwnd());
  if (opened) form->ReportUnreadable();  // a message box: the window may be gone after it
  return Current();
}

void Form3::CreateControls() {
  const int font = AddFont(975);
  // A report view of one column with check boxes: Space and a click on the
  // box toggle an item's check, as in every check list of the system. The
  // design in twips; the buttons sit inside Frame1.
  List1 = Child(WC_LISTVIEWW, L"",
                WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                WS_EX_CLIENTEDGE, ListId(1), FromTwips(120, 120, 5115, 2760), font);
  SendMessageW(List1, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  SendMessageW(List1, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  DragAcceptFiles(List1, TRUE);
  Text1 = Child(WC_EDITW, L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, TextId(1),
                FromTwips(120, 2940, 4155, 315), font);
  SendMessageW(Text1, EM_SETLIMITTEXT, kCommonMaxChars, 0);
  constexpr DWORD kCount = SS_CENTER | SS_CENTERIMAGE | SS_NOTIFY;
  Label1 = Child(WC_STATICW, L"0", kCount, 0, LabelId(1), FromTwips(4320, 2940, 435, 315), font);
  Label2 = Child(WC_STATICW, L"0", kCount, 0, LabelId(2), FromTwips(4800, 2940, 435, 315), font);
  Command1 = Child(WC_BUTTONW, W(kAddCaption), WS_TABSTOP | BS_PUSHBUTTON, 0, CommandId(1),
                   FromTwips(120 + 60, 3360 + 60, 1095, 375), font, [this] { Command1_Click(); });
  Command2 = Child(WC_BUTTONW, W(kModifyCaption), WS_TABSTOP | WS_DISABLED | BS_PUSHBUTTON, 0, CommandId(2),
                   FromTwips(120 + 1320, 3360 + 60, 1095, 375), font, [this] { Command2_Click(); });
  Command3 = Child(WC_BUTTONW, W(kDeleteCaption), WS_TABSTOP | WS_DISABLED | BS_PUSHBUTTON, 0, CommandId(3),
                   FromTwips(120 + 2580, 3360 + 60, 1095, 375), font, [this] { Command3_Click(); });
  Command4 = Child(WC_BUTTONW, W(kCloseCaption), WS_TABSTOP | BS_PUSHBUTTON, 0, CommandId(4),
                   FromTwips(120 + 3900, 3360 + 60, 1215, 375), font, [this] { Command4_Click(); });
  Frame1 = Child(WC_BUTTONW, L"", BS_GROUPBOX, 0, FrameId(1), FromTwips(120, 3360, 5115, 495), font);
  Label3 = Child(WC_STATICW, W(kCommonKeyHelp), 0, 0, LabelId(3), FromTwips(120, 3930, 5115, 315), font);
  // Hidden and unplaced: the sorting buffer.
  List2 = win::CreateChild(hwnd(), WC_LISTBOXW, L"", LBS_SORT | LBS_HASSTRINGS, 0, ListId(2), win::DesignRect{},
                           dpi_);
  tips_.Create(hwnd());
  const std::pair<HWND, std::u16string_view> tips[] = {
      {Text1, kText1Tip},     {Label1, kLabel1Tip},   {Label2, kLabel2Tip},        {Command1, kAddTip},
      {Command2, kModifyTip}, {Command3, kRemoveTip}, {Command4, kCommonCloseTip},
  };
  for (const auto& [control, tip] : tips) tips_.Add(control, W(tip));
}

void Form3::Layout() {
  Window::Layout();
  SendMessageW(List2, WM_SETFONT, reinterpret_cast<WPARAM>(Font(0)), FALSE);
  FitColumn();
}

void Form3::FitColumn() {
  // The one column fills the list, beside the scroll bar once there is one,
  // so that a click anywhere on a row hits its item.
  RECT client{};
  GetClientRect(List1, &client);
  SendMessageW(List1, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(std::max<LONG>(0, client.right), 0));
}

void Form3::Form_Load() {
  stored_ = LoadCommonList(Module1::strDatFile, win::Cipher(Module1::strAppPath));
  for (const std::u16string& text : stored_.items) AddItem(win::Wide(text));
  ShowCount();
  ApplyButtonRule();
  SetListIndex(-1);
  win::SetText(Text1, W(kCommonPlaceholder));
  Text1_Change();
  nLastMinute = -1;
  Timer1_Timer();
  SetTimer(hwnd(), kTimer1, kTimer1Ms, nullptr);
  InstallListWindowProc(List1);
}

void Form3::ReportUnreadable() {
  if (!stored_.fileUnreadable && stored_.unreadable == 0) return;
  const std::u16string prompt = stored_.fileUnreadable ? std::u16string(kCommonFileUnreadablePrompt)
                                                       : UnreadableItemsPrompt(stored_.unreadable);
  win::ShowMessageBox(hwnd(), W(prompt), W(kCommonCaption), MB_OK | MB_ICONEXCLAMATION);
}

bool Form3::Form_Unload(bool canStay) {
  unloaded_ = true;  // set first: a close that comes while the message is open must not save again
  std::vector<std::u16string> items;
  items.reserve(ListCount());
  for (int i = 0; i < ListCount(); ++i) items.push_back(win::U16(ListText(i)));
  const SaveResult result = SaveCommonList(Module1::strDatFile, win::Cipher(Module1::strAppPath), stored_, items);
  if (result != SaveResult::Saved) {
    ShowStop(result == SaveResult::CipherFailed ? kCommonCipherFailedPrompt : kCommonWriteFailedPrompt);
    // The window keeps the items, as a memo window keeps its text; at exit
    // and in a close-all nothing else can be done, and the close goes on.
    if (canStay && !Module1::exiting && !Module1::BulkClosing()) {
      unloaded_ = false;
      return false;
    }
  }
  KillTimer(hwnd(), kTimer1);
  RestoreListWindowProc(List1);
  return true;
}

void Form3::Unload() {
  if (Closed()) return;
  if (!unloaded_ && !Form_Unload(true)) return;
  // The store's message may have let another command close the window.
  if (!Closed()) DestroyWindow(hwnd());
}

void Form3::ShowStop(std::u16string_view prompt) {
  // At the session's end a box would only hold the logoff until Windows ends
  // the process; nobody is there to read it.
  if (Module1::sessionEnding) return;
  win::ShowMessageBox(IsWindowVisible(hwnd()) ? hwnd() : nullptr, W(prompt), W(kStopTitle),
                      MB_OK | MB_ICONEXCLAMATION);
}

// --- the list control -------------------------------------------------------

int Form3::ListCount() const { return static_cast<int>(SendMessageW(List1, LVM_GETITEMCOUNT, 0, 0)); }

std::wstring Form3::ListText(int index) const {
  std::wstring text(kCommonMaxChars * 4 + 1, L'\0');
  LVITEMW item{};
  item.iSubItem = 0;
  item.pszText = text.data();
  item.cchTextMax = static_cast<int>(text.size());
  const LRESULT length = SendMessageW(List1, LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item));
  text.resize(static_cast<size_t>(length));
  return text;
}

bool Form3::Selected(int index) const {
  return (SendMessageW(List1, LVM_GETITEMSTATE, index, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

bool Form3::Checked(int index) const {
  return ((SendMessageW(List1, LVM_GETITEMSTATE, index, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void Form3::SetChecked(int index, bool checked) {
  LVITEMW item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  SendMessageW(List1, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
}

int Form3::ListIndex() const {
  return static_cast<int>(SendMessageW(List1, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void Form3::SetListIndex(int index) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  if (index < 0) {
    item.stateMask = LVIS_SELECTED;
    SendMessageW(List1, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    return;
  }
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(List1, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
  SendMessageW(List1, LVM_ENSUREVISIBLE, index, FALSE);
}

void Form3::AddItem(const std::wstring& text) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = ListCount();
  item.pszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(List1, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void Form3::RemoveItem(int index) { SendMessageW(List1, LVM_DELETEITEM, index, 0); }

void Form3::ClearList() { SendMessageW(List1, LVM_DELETEALLITEMS, 0, 0); }

void Form3::ShowCount() {
  win::SetText(Label2, std::to_wstring(ListCount()));
  FitColumn();  // the vertical scroll bar may have come or gone
}

void Form3::ApplyButtonRule() {
  const CommonButtons buttons = ButtonsFor(static_cast<size_t>(ListCount()), stored_.Room());
  HWND focus = GetFocus();
  EnableWindow(Command1, buttons.add);
  EnableWindow(Command2, buttons.modify);
  EnableWindow(Command3, buttons.remove);
  // A button that lost its enabled state also lost the keyboard focus.
  if (focus && !IsWindowEnabled(focus) && GetParent(focus) == hwnd()) SetFocus(List1);
}

void Form3::CopyToClipboard(const std::wstring& text) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  if (void* data = memory ? GlobalLock(memory) : nullptr) {
    memcpy(data, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
  }
  // Another program may hold the clipboard for a moment.
  bool open = false;
  for (int attempt = 0; attempt < 10 && !(open = OpenClipboard(hwnd())); ++attempt) Sleep(20);
  if (memory && open && EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, memory)) {
    memory = nullptr;  // the clipboard owns it now
  } else {
    MessageBeep(MB_ICONEXCLAMATION);
  }
  if (open) CloseClipboard();
  if (memory) GlobalFree(memory);
}

// --- events -----------------------------------------------------------------

void Form3::Command1_Click() {
  const std::wstring text = win::GetText(Text1);
  switch (DecideAdd(IsWindowEnabled(Command1), win::U16(text), win::U16(strLastAdded), fTextEntered)) {
    case AddStep::Ignore:
      return;
    case AddStep::Refocus:
      SetFocus(Text1);
      return;
    case AddStep::Prompt:
      win::SetText(Text1, W(kCommonAddPrompt));
      SetFocus(Text1);
      return;
    case AddStep::Append:
      break;
  }
  AddItem(text);
  strLastAdded = text;
  SetListIndex(ListCount() - 1);
  ShowCount();
  SendMessageW(Text1, EM_SETSEL, 0, static_cast<LPARAM>(text.size()));
  ApplyButtonRule();
}

void Form3::Command2_Click() {
  const int p = ListIndex();
  if (p < 0) {
    SetFocus(List1);
    return;
  }
  const std::wstring text = win::GetText(Text1);
  LVITEMW item{};
  item.iSubItem = 0;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(List1, LVM_SETITEMTEXTW, p, reinterpret_cast<LPARAM>(&item));
  strLastAdded.clear();
}

void Form3::Command3_Click() {
  const int p = ListIndex();
  if (p >= 0) {
    RemoveItem(p);
    ShowCount();
  }
  ApplyButtonRule();
  if (ListCount() > 0) SetListIndex(SelectionAfterDelete(p, static_cast<size_t>(ListCount())));
  SetFocus(List1);
  strLastAdded.clear();
}

void Form3::Command4_Click() { Unload(); }

void Form3::List1_Click() {
  const int p = ListIndex();
  if (p >= 0) win::SetText(Text1, ListText(p));
}

void Form3::List1_KeyDown(int KeyCode, int Shift) {
  switch (ListKeyAction(KeyCode, Shift)) {
    case ListKey::DeleteOne:
      Command3_Click();
      break;
    case ListKey::Copy:
      if (ListIndex() >= 0) CopyToClipboard(ListText(ListIndex()));
      break;
    case ListKey::CheckAll: {
      const int p = ListIndex();
      for (int i = 0; i < ListCount(); ++i) SetChecked(i, true);
      if (p >= 0) SetListIndex(p);
      break;
    }
    case ListKey::UncheckAll:
      for (int i = 0; i < ListCount(); ++i) SetChecked(i, false);
      break;
    case ListKey::None:
      break;
  }
}

void Form3::List1_OLEDragDrop(const std::vector<std::wstring>& files) {
  if (!files.empty()) {
    switch (CheckDrop(static_cast<size_t>(ListCount()), files.size(), stored_.Room())) {
      case DropCheck::TooManyFiles:
        ShowStop(kTooManyFilesPrompt);
        return;
      case DropCheck::ListFull:
        ShowStop(kListFullPrompt);
        return;
      case DropCheck::Accept:
        break;
    }
    // Only the paths are kept; nothing dropped is ever opened or run.
    for (const std::wstring& path : files) AddItem(win::Wide(DroppedItemText(win::U16(path))));
    ShowCount();
    ApplyButtonRule();
  }
  strLastAdded.clear();
}

void Form3::Text1_GotFocus() {
  fTextEntered = true;
  SendMessageW(Text1, EM_SETSEL, 0, -1);
  SendMessageW(Command1, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

void Form3::Text1_LostFocus() { SendMessageW(Command1, BM_SETSTYLE, BS_PUSHBUTTON, TRUE); }

void Form3::Text1_KeyDown(int KeyCode, int Shift) {
  if (KeyCode == VK_RETURN && Shift == 0) Command1_Click();
}

void Form3::Text1_Change() { win::SetText(Label1, std::to_wstring(GetWindowTextLengthW(Text1))); }

void Form3::Timer1_Timer() {
  const DateTime now = win::Now();
  const int m = now.hour * 60 + now.minute;
  if (m == nLastMinute) return;
  win::SetText(hwnd(), W(ClockCaption(win::U16(win::GetText(hwnd())), now.hour, now.minute)));
  nLastMinute = m;
}

void Form3::SortList(bool fDownStream) {
  SendMessageW(List2, LB_RESETCONTENT, 0, 0);
  for (int i = 0; i < ListCount(); ++i) {
    SendMessageW(List2, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ListText(i).c_str()));
  }
  const int count = static_cast<int>(SendMessageW(List2, LB_GETCOUNT, 0, 0));
  if (ListCount() == 0) return;
  ClearList();
  for (int n = 0; n < count; ++n) {
    const int i = fDownStream ? count - 1 - n : n;
    AddItem(win::GetListItemText(List2, i));
  }
}

void Form3::DeleteAll() {
  ClearList();
  ShowCount();
  strLastAdded.clear();
  ApplyButtonRule();
}

void Form3::DeleteCheck() {
  for (int i = ListCount() - 1; i >= 0; --i) {
    if (Checked(i)) RemoveItem(i);
  }
  ShowCount();
  strLastAdded.clear();
  ApplyButtonRule();
}

void Form3::OnCommand(int id, int code) {
  if (id == IDOK && GetFocus() == Text1) Text1_KeyDown(VK_RETURN, win::ShiftState());  // Enter
  if (id != TextId(1)) return;
  if (code == EN_CHANGE) Text1_Change();
  if (code == EN_SETFOCUS) Text1_GotFocus();
  if (code == EN_KILLFOCUS) Text1_LostFocus();
}

LRESULT Form3::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom != List1) break;
      if (header->code == LVN_ITEMCHANGED) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) &&
            !(change->uOldState & LVIS_SELECTED)) {
          List1_Click();
        }
      } else if (header->code == NM_CLICK && reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem >= 0) {
        List1_Click();  // a click on the item already selected copies it again
      }
      return 0;
    }
    case WM_TIMER:
      if (wParam == kTimer1) Timer1_Timer();
      return 0;
    case WM_DESTROY:
      // Destroyed some other way than by unloading: the list is still kept.
      if (!unloaded_) Form_Unload(false);
      return 0;
    default:
      break;
  }
  return Window::HandleMessage(msg, wParam, lParam);
}

}  // namespace mekuri
