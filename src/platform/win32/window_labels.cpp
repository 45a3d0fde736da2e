// A window drawing its own static labels. Each control's paint costs it a
// device context and several round trips to the window system; a window of
// many labels draws them all through one device context instead, as each
// would draw itself.
#include "platform/win32/window.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <utility>

#include "platform/win32/controls.h"
#include "platform/win32/text.h"

namespace mekuri::win {
namespace {

// A visible, enabled static text label of SS_LEFT, SS_CENTER or SS_RIGHT
// without frame or ellipsis: it paints only its background and its text.
// A text with "&" is left to the label, which may hide the prefix.
bool IsPlainLabel(HWND control) {
  wchar_t name[8] = L"";
  if (!GetClassNameW(control, name, 8) || lstrcmpiW(name, WC_STATICW) != 0) return false;
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  const LONG exStyle = GetWindowLongW(control, GWL_EXSTYLE);
  constexpr LONG kOther = SS_CENTERIMAGE | SS_EDITCONTROL | SS_ELLIPSISMASK | SS_SUNKEN | WS_BORDER | WS_DISABLED;
  constexpr LONG kOtherEx = WS_EX_CLIENTEDGE | WS_EX_STATICEDGE | WS_EX_DLGMODALFRAME | WS_EX_RIGHT;
  if ((style & SS_TYPEMASK) > SS_RIGHT || (style & kOther) || !(style & WS_VISIBLE) || (exStyle & kOtherEx)) {
    return false;
  }
  return (style & SS_NOPREFIX) || GetText(control).find(L'&') == std::wstring::npos;
}

UINT TextFormat(LONG style) {
  const UINT align = (style & SS_TYPEMASK) == SS_CENTER  ? DT_CENTER
                     : (style & SS_TYPEMASK) == SS_RIGHT ? DT_RIGHT
                                                         : DT_LEFT;
  return align | DT_EXPANDTABS | DT_WORDBREAK | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
}

}  // namespace

std::vector<HWND> Window::ZOrder() const {
  std::vector<HWND> order;
  for (const Placed& child : children_) order.push_back(child.hwnd);
  return order;
}

void Window::ShowDrawingLabels(int cmd) {
  ShowWindow(hwnd_, cmd);
  const std::vector<HWND> order = ZOrder();
  std::vector<HWND> labels;
  std::copy_if(order.begin(), order.end(), std::back_inserter(labels), IsPlainLabel);
  // The whole window is validated at once, then the window itself and every
  // other control are made to paint again.
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_VALIDATE | RDW_ALLCHILDREN);
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_NOCHILDREN);
  for (HWND control : order) {
    if (std::find(labels.begin(), labels.end(), control) == labels.end()) {
      RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    }
  }
  labelsToDraw_ = std::move(labels);
}

void Window::DrawPendingLabels() {
  if (!labelsToDraw_.empty()) DrawLabels(std::exchange(labelsToDraw_, {}));
}

void Window::DrawLabels(const std::vector<HWND>& labels) {
  if (labels.empty() || !IsWindowVisible(hwnd_)) return;
  const std::vector<HWND> order = ZOrder();
  // A hidden control hides nothing: it stands here as an empty rectangle.
  std::vector<RECT> rects(order.size());
  std::transform(order.begin(), order.end(), rects.begin(),
                 [](HWND control) { return IsWindowVisible(control) ? ChildRect(control) : RECT{}; });
  // Not clipped by the children, as a window of WS_CLIPCHILDREN would be:
  // each label is drawn into its own place.
  HDC dc = GetDCEx(hwnd_, nullptr, DCX_CACHE);
  for (size_t at = 0; at < order.size(); ++at) {
    const HWND label = order[at];
    if (std::find(labels.begin(), labels.end(), label) == labels.end()) continue;
    RECT rc = rects[at];
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, rc.left, rc.top, rc.right, rc.bottom);
    for (size_t above = 0; above < at; ++above) {  // what lies above the label hides it
      RECT overlap;
      if (IntersectRect(&overlap, &rects[above], &rc)) {
        ExcludeClipRect(dc, overlap.left, overlap.top, overlap.right, overlap.bottom);
      }
    }
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    const auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(hwnd_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)));
    FillRect(dc, &rc, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    const std::wstring text = GetText(label);
    if (!text.empty()) DrawTextW(dc, text.c_str(), -1, &rc, TextFormat(GetWindowLongW(label, GWL_STYLE)));
    RestoreDC(dc, saved);
  }
  ReleaseDC(hwnd_, dc);
}

}  // namespace mekuri::win
