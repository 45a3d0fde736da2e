#pragma once
// Child controls placed by the 96-DPI design, their fonts and their tooltips.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "platform/win32/handles.h"
#include "platform/win32/window.h"

namespace mekuri::win {

HWND CreateChild(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle, int id,
                 DesignRect rect, UINT dpi);
// A child window's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child);
void PlaceChild(HWND child, DesignRect rect, UINT dpi);

// A font of the design: size in hundredths of a point (975 = 9.75 pt).
UniqueFont CreateDesignFont(const wchar_t* face, int hundredthsOfPoint, bool bold, bool underline, BYTE charset,
                            UINT dpi);

inline constexpr wchar_t kGothicFace[] = L"ＭＳ ゴシック";
inline constexpr BYTE kShiftJisCharset = SHIFTJIS_CHARSET;

// A procedure put in front of a control's own until the control is
// destroyed: it answers the messages it takes; std::nullopt passes one on.
using ControlProc = std::function<std::optional<LRESULT>(HWND control, UINT msg, WPARAM wParam, LPARAM lParam)>;
void Subclass(HWND control, ControlProc proc);

// A multi-line box that cannot be typed into leaves Tab, Enter and Esc to
// its window, where a box that takes text would keep them.
void KeepDialogKeys(HWND readOnlyBox);

// WM_CTLCOLORSTATIC: the control's text in `text` on the system colour
// `background`; answers the brush.
LRESULT ColourStatic(WPARAM dc, COLORREF text, int background);

// A small push button without a caption, drawn with a glyph (owner-drawn).
enum class Glyph { Up, Down, Menu };
void DrawGlyphButton(const DRAWITEMSTRUCT& item, Glyph glyph);

// One tooltip control per window, with one tool per control. A relayed tool
// leaves its control alone: the control's own procedure hands its mouse
// messages to Relay. (A tool that subclasses its control costs a property
// look-up on every message the control gets, which a grid of labels pays
// on each repaint.)
class ToolTips {
 public:
  void Create(HWND owner);
  void Add(HWND control, const std::wstring& text, bool relayed = false);
  static void Relay(HWND tip, HWND control, UINT msg, WPARAM wParam, LPARAM lParam);
  void Update(HWND control, const std::wstring& text);
  HWND hwnd() const { return tip_; }

 private:
  HWND owner_ = nullptr;
  HWND tip_ = nullptr;
};

}  // namespace mekuri::win
