#include "platform/win32/text.h"

namespace mekuri::win {

std::wstring GetText(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

std::wstring GetListItemText(HWND listBox, int index) {
  const LRESULT length = SendMessageW(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied = SendMessageW(listBox, LB_GETTEXT, static_cast<WPARAM>(index),
                                      reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied > 0 && copied <= length ? static_cast<size_t>(copied) : 0);
  return text;
}

void SetText(HWND hwnd, std::wstring_view text) {
  // Setting an unchanged caption still repaints and flickers; skip it.
  if (GetText(hwnd) == text) return;
  SetWindowTextW(hwnd, std::wstring(text).c_str());
}

}  // namespace mekuri::win
