#pragma once
// Child controls placed by the 96-DPI design, their fonts and their tooltips.
#include <windows.h>

#include <string>

#include "platform/win32/handles.h"
#include "platform/win32/window.h"

namespace mekuri::win {

// A rectangle of the design, in pixels at 96 DPI.
struct DesignRect {
  int x, y, width, height;
};

// A rectangle given in twips, 15 to a pixel in the 96-DPI design.
constexpr DesignRect FromTwips(int left, int top, int width, int height) {
  return DesignRect{left / 15, top / 15, width / 15, height / 15};
}

HWND CreateChild(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style,
                 DWORD exStyle, int id, DesignRect rect, UINT dpi);
void PlaceChild(HWND child, DesignRect rect, UINT dpi);

// A font of the design: size in hundredths of a point (975 = 9.75 pt).
UniqueFont CreateDesignFont(const wchar_t* face, int hundredthsOfPoint, bool bold, bool underline,
                            BYTE charset, UINT dpi);

inline constexpr wchar_t kGothicFace[] = L"ＭＳ ゴシック";
inline constexpr BYTE kShiftJisCharset = SHIFTJIS_CHARSET;

// A multi-line box that cannot be typed into leaves Tab, Enter and Esc to
// its window, where a box that takes text would keep them.
void KeepDialogKeys(HWND readOnlyBox);

// WM_CTLCOLORSTATIC: the control's text in `text` on the system colour
// `background`; answers the brush.
LRESULT ColourStatic(WPARAM dc, COLORREF text, int background);

// A small push button without a caption, drawn with a glyph (owner-drawn).
enum class Glyph { Up, Down, Menu };
void DrawGlyphButton(const DRAWITEMSTRUCT& item, Glyph glyph);

// One tooltip control per window, with one tool per control.
class ToolTips {
 public:
  void Create(HWND owner);
  void Add(HWND control, const std::wstring& text);
  void Update(HWND control, const std::wstring& text);
  HWND hwnd() const { return tip_; }

 private:
  HWND owner_ = nullptr;
  HWND tip_ = nullptr;
};

}  // namespace mekuri::win
