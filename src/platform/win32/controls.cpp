#include "platform/win32/controls.h"

#include <commctrl.h>

#include <utility>

namespace mekuri::win {
namespace {

LRESULT CALLBACK ControlSubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR refData) {
  auto* proc = reinterpret_cast<ControlProc*>(refData);
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, ControlSubclassProc, id);
    delete proc;
  } else if (const std::optional<LRESULT> result = (*proc)(hwnd, msg, wParam, lParam)) {
    return *result;
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace

HWND CreateChild(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle, int id,
                 DesignRect rect, UINT dpi) {
  return CreateWindowExW(exStyle, className, text, WS_CHILD | style, Scale(rect.x, dpi), Scale(rect.y, dpi),
                         Scale(rect.width, dpi), Scale(rect.height, dpi), parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

RECT ChildRect(HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void PlaceChild(HWND child, DesignRect rect, UINT dpi) {
  SetWindowPos(child, nullptr, Scale(rect.x, dpi), Scale(rect.y, dpi), Scale(rect.width, dpi),
               Scale(rect.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
}

UniqueFont CreateDesignFont(const wchar_t* face, int hundredthsOfPoint, bool bold, bool underline, BYTE charset,
                            UINT dpi) {
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

void Subclass(HWND control, ControlProc proc) {
  static UINT_PTR next = 0;  // an id of its own, so that several can stand on one control
  SetWindowSubclass(control, ControlSubclassProc, ++next,
                    reinterpret_cast<DWORD_PTR>(new ControlProc(std::move(proc))));
}

void KeepDialogKeys(HWND readOnlyBox) {
  Subclass(readOnlyBox, [](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) -> std::optional<LRESULT> {
    if (msg != WM_GETDLGCODE) return std::nullopt;
    LRESULT code = DefSubclassProc(hwnd, msg, wParam, lParam);
    const MSG* key = reinterpret_cast<const MSG*>(lParam);
    if (key && key->message == WM_KEYDOWN &&
        (key->wParam == VK_TAB || key->wParam == VK_RETURN || key->wParam == VK_ESCAPE)) {
      code &= ~DLGC_WANTALLKEYS;
    }
    return code;
  });
}

LRESULT ColourStatic(WPARAM dc, COLORREF text, int background) {
  SetTextColor(reinterpret_cast<HDC>(dc), text);
  SetBkColor(reinterpret_cast<HDC>(dc), GetSysColor(background));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(background));
}

void DrawGlyphButton(const DRAWITEMSTRUCT& item, Glyph glyph) {
  HDC dc = item.hDC;
  RECT rc = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &rc, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
  const int w = rc.right - rc.left;
  const int h = rc.bottom - rc.top;
  const int cx = rc.left + w / 2 + (pressed ? 1 : 0);
  const int cy = rc.top + h / 2 + (pressed ? 1 : 0);
  const bool enabled = (item.itemState & ODS_DISABLED) == 0;
  HBRUSH brush = GetSysColorBrush(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  if (glyph == Glyph::Menu) {
    const int half = (w - 2) / 3 > 1 ? (w - 2) / 3 : 1;
    for (int i = -1; i <= 1; ++i) {
      RECT bar{cx - half, cy + i * 3 - 1, cx + half + 1, cy + i * 3 + 1};
      FillRect(dc, &bar, brush);
    }
  } else {
    // A filled triangle drawn row by row, so it stays crisp at any size.
    const int rows = h >= 4 ? (h + 1) / 2 : 2;
    const int top = cy - rows / 2;
    for (int r = 0; r < rows; ++r) {
      const int halfWidth = glyph == Glyph::Up ? r : rows - 1 - r;
      RECT line{cx - halfWidth, top + r, cx + halfWidth + 1, top + r + 1};
      FillRect(dc, &line, brush);
    }
  }
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  if (item.itemState & ODS_FOCUS) {
    RECT focus = item.rcItem;
    InflateRect(&focus, -2, -2);
    DrawFocusRect(dc, &focus);
  }
}

void ToolTips::Create(HWND owner) {
  owner_ = owner;
  tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

void ToolTips::Add(HWND control, const std::wstring& text, bool relayed) {
  if (!tip_) return;
  TOOLINFOW ti{};
  ti.cbSize = sizeof(ti);
  ti.uFlags = relayed ? TTF_IDISHWND : TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = owner_;
  ti.uId = reinterpret_cast<UINT_PTR>(control);
  ti.lpszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void ToolTips::Relay(HWND tip, HWND control, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!tip || msg < WM_MOUSEFIRST || msg > WM_MOUSELAST) return;
  const DWORD pos = GetMessagePos();
  MSG relayed{control, msg, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
  relayed.pt = POINT{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
  SendMessageW(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
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
