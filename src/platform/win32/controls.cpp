#include "platform/win32/controls.h"

#include <commctrl.h>

namespace mekuri::win {

HWND CreateChild(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style,
                 DWORD exStyle, int id, DesignRect rect, UINT dpi) {
  return CreateWindowExW(exStyle, className, text, WS_CHILD | style, Scale(rect.x, dpi),
                         Scale(rect.y, dpi), Scale(rect.width, dpi), Scale(rect.height, dpi),
                         parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr), nullptr);
}

void PlaceChild(HWND child, DesignRect rect, UINT dpi) {
  SetWindowPos(child, nullptr, Scale(rect.x, dpi), Scale(rect.y, dpi), Scale(rect.width, dpi),
               Scale(rect.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
}

UniqueFont CreateDesignFont(const wchar_t* face, int hundredthsOfPoint, bool bold, bool underline,
                            BYTE charset, UINT dpi) {
  LOGFONTW lf{};
  lf.lfHeight = -MulDiv(hundredthsOfPoint, static_cast<int>(dpi), 7200);
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfUnderline = underline ? TRUE : FALSE;
  lf.lfCharSet = charset;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
  return UniqueFont(CreateFontIndirectW(&lf));
}

void ToolTips::Create(HWND owner) {
  owner_ = owner;
  tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

void ToolTips::Add(HWND control, const std::wstring& text) {
  if (!tip_) return;
  TOOLINFOW ti{};
  ti.cbSize = sizeof(ti);
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = owner_;
  ti.uId = reinterpret_cast<UINT_PTR>(control);
  ti.lpszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void ToolTips::Update(HWND control, const std::wstring& text) {
  if (!tip_) return;
  TOOLINFOW ti{};
  ti.cbSize = sizeof(ti);
  ti.hwnd = owner_;
  ti.uId = reinterpret_cast<UINT_PTR>(control);
  ti.lpszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
}

}  // namespace mekuri::win
