#include "commonlist/win32/ListWindowProc.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "commonlist/common_list.h"
#include "commonlist/win32/Form3.h"
#include "platform/win32/guard.h"
#include "platform/win32/handles.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/text.h"

namespace mekuri {

WNDPROC lpPrevListProc = nullptr;

namespace {

// Where the menu opens: at the mouse, or for the menu key at the selected
// item (the list's corner when nothing is selected).
POINT MenuPoint(HWND list, LPARAM lParam) {
  if (lParam != -1) return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  POINT pt{4, 4};
  const int selected = static_cast<int>(
      SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  RECT item{LVIR_LABEL};
  if (selected >= 0 && SendMessageW(list, LVM_GETITEMRECT, selected, reinterpret_cast<LPARAM>(&item))) {
    pt = POINT{item.left, item.bottom};
  }
  ClientToScreen(list, &pt);
  return pt;
}

void ShowListMenu(HWND list, Form3& form, POINT pt) {
  win::UniqueMenu menu(CreatePopupMenu());
  if (!menu) return;
  for (const ListMenuEntry& entry : ListMenuEntries(form.ListCount(), form.ListIndex() >= 0)) {
    const std::wstring text = win::Wide(entry.text);
    InsertMenuW(menu.get(), static_cast<UINT>(-1), MF_BYPOSITION | (entry.id ? MF_STRING : MF_SEPARATOR),
                entry.id, entry.id ? text.c_str() : nullptr);
  }
  // The choice comes back to the list as WM_COMMAND.
  TrackPopupMenu(menu.get(), 0, pt.x, pt.y, 0, list, nullptr);
}

bool RunListCommand(Form3& form, WPARAM id) {
  switch (id) {
    case kListSortAscending:
      form.SortList(false);
      return true;
    case kListSortDescending:
      form.SortList(true);
      return true;
    case kListCheckAll:
      form.List1_KeyDown('A', 2);
      return true;
    case kListUncheckAll:
      form.List1_KeyDown('D', 2);
      return true;
    case kListDeleteOne:
      form.Command3_Click();
      return true;
    case kListDeleteChecked:
      form.DeleteCheck();
      return true;
    case kListDeleteAll:
      form.DeleteAll();
      return true;
    case kListClose:
      form.Command4_Click();
      return true;
    default:
      return false;
  }
}

std::vector<std::wstring> DroppedFiles(HDROP drop) {
  std::vector<std::wstring> files;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  files.reserve(count);
  for (UINT i = 0; i < count; ++i) {
    std::wstring path(DragQueryFileW(drop, i, nullptr, 0), L'\0');
    DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size() + 1));
    files.push_back(std::move(path));
  }
  return files;
}

}  // namespace

namespace {

LRESULT HandleListMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  WNDPROC previous = lpPrevListProc;
  Form3* form = Form3::Current();
  if (form && form->List1 == hWnd) {
    switch (uMsg) {
      // The list control's own right-button handling would select the item
      // under the mouse, and the selection copies it over the text being
      // typed; the right button only opens the menu, which acts on the
      // item already selected.
      case WM_RBUTTONDOWN:
      case WM_RBUTTONDBLCLK:
        return 0;
      case WM_RBUTTONUP: {
        POINT pt{};
        GetCursorPos(&pt);
        ShowListMenu(hWnd, *form, pt);
        return 0;
      }
      // Shift+F10 and the menu key.
      case WM_CONTEXTMENU:
        ShowListMenu(hWnd, *form, MenuPoint(hWnd, lParam));
        return 0;
      case WM_COMMAND:
        if (RunListCommand(*form, wParam)) return 0;
        break;
      case WM_KEYDOWN:
        if (ListKeyAction(static_cast<int>(wParam), win::ShiftState()) != ListKey::None) {
          form->List1_KeyDown(static_cast<int>(wParam), win::ShiftState());
          return 0;
        }
        break;
      case WM_DROPFILES: {
        const HDROP drop = reinterpret_cast<HDROP>(wParam);
        const std::vector<std::wstring> files = DroppedFiles(drop);
        DragFinish(drop);
        form->List1_OLEDragDrop(files);
        return 0;
      }
      default:
        break;
    }
  }
  return previous ? CallWindowProcW(previous, hWnd, uMsg, wParam, lParam)
                  : DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK ListWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  return win::Guarded([&] { return HandleListMessage(hWnd, uMsg, wParam, lParam); });
}

void InstallListWindowProc(HWND list) {
  lpPrevListProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ListWindowProc)));
}

void RestoreListWindowProc(HWND list) {
  if (!lpPrevListProc) return;
  SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(lpPrevListProc));
  lpPrevListProc = nullptr;
}

}  // namespace mekuri
