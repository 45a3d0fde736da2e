#pragma once
// The core keeps UI text as UTF-16 (std::u16string); Windows takes wchar_t,
// which is the same 16-bit unit there.
#include <windows.h>

#include <string>
#include <string_view>

namespace mekuri::win {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline std::wstring Wide(std::u16string_view text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}
inline std::u16string U16(std::wstring_view text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size());
}
inline std::wstring WideAscii(std::string_view ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// The whole text of a window or control, read into room for the length it
// reports first: any program on the desktop can set a control's text, so no
// read goes into a buffer of a fixed size. A status bar answers with its
// first part.
std::wstring GetText(HWND hwnd);
// One item of a list box, sized the same way; "" for an index it lacks.
std::wstring GetListItemText(HWND listBox, int index);
void SetText(HWND hwnd, std::wstring_view text);

}  // namespace mekuri::win
