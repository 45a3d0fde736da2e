// The windows as drawn: each first paint and grid update paints what a full repaint of the same state paints.
#include "form_fixture.h"
#include "mainwindow/win32/MainWndProc.h"

namespace mekuri::testing {
namespace {

// A window's client area after a redraw with these flags; the main window's
// down to the status bar, whose clock runs on.
std::vector<DWORD> Capture(HWND hwnd, UINT redraw, HWND statusBar = nullptr) {
  RedrawWindow(hwnd, nullptr, nullptr, redraw), win::PumpMessages();
  RECT rc;
  GetClientRect(hwnd, &rc);
  if (statusBar) rc.bottom = win::ChildRect(statusBar).top;
  BITMAPINFO info{{sizeof(BITMAPINFOHEADER), rc.right, -rc.bottom, 1, 32, BI_RGB}};
  void* bits = nullptr;
  HDC dc = GetDC(hwnd), memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, rc.right, rc.bottom, dc, 0, 0, SRCCOPY);
  GdiFlush();
  std::vector<DWORD> pixels(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + rc.right * rc.bottom);
  SelectObject(memory, old), DeleteObject(bitmap), DeleteDC(memory), ReleaseDC(hwnd, dc);
  return pixels;
}

constexpr UINT kUpdate = RDW_UPDATENOW | RDW_ALLCHILDREN;
constexpr UINT kFullRepaint = RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW;
using Drawing = MainFormTest;

TEST_F(Drawing, EveryGridUpdateLooksAsAFullRepaintOfItsState) {
  for (int d = 1; d <= 120; d += 7) {  // memos: underlined days that move from cell to cell
    profile::WriteString(kMemoSection, MemoKey(DateFromYmd(2004, 8, 1) + d).c_str(), "x", Module1::strDatFile);
  }
  Form1& form = LoadForm(2004, 9, 10);
  SetFocus(form.Command1), KillTimer(form.hwnd(), Form1::kTimer3);  // no blinking caret, no date watch between captures
  const std::vector<std::function<void()>> updates = {
      [] {}, [&] { form.Command3_Click(); }, [&] { form.Command2_Click(); },
      [&] {  // the next day: today's colour moves between cells that keep their text
        SetClock(2004, 9, 11, 12, 0, 0), form.UpdateCalender();
      },
      [&] {  // a memo saved: only that day's font changes
        profile::WriteString(kMemoSection, MemoKey(DateFromYmd(2004, 9, 21)).c_str(), "x", Module1::strDatFile);
        form.UpdateCalender();
      }};
  for (int step = 0; step < 15; ++step) {
    updates[step < 3 ? step : step < 8 ? 1 : step < 13 ? 2 : step - 10]();
    const std::vector<DWORD> updated = Capture(form.hwnd(), kUpdate, form.StatusBar1);
    const std::vector<DWORD> full = Capture(form.hwnd(), kFullRepaint, form.StatusBar1);
    EXPECT_TRUE(updated == full) << "update " << step << ", " << FormatDate(form.dShownMonth, "yyyy/mm");
    for (int i = 7; i < kGridCells; ++i) {  // each day in the cell font, underlined for a memo
      LOGFONTW lf{};
      const auto font = reinterpret_cast<HFONT>(SendMessageW(form.Label4[i], WM_GETFONT, 0, 0));
      EXPECT_TRUE(font && GetObjectW(font, sizeof lf, &lf) && !lf.lfUnderline == !form.grid().cells[i].memo) << i;
    }
  }
}

// The memo window and the notice draw their labels in their own first paint.
TEST_F(Drawing, TheMemoWindowAndTheNoticeFirstPaintAsAFullRepaint) {
  LoadForm(2004, 9, 10);
  Form2* memo = OpenMemo(DateFromYmd(2004, 9, 10));
  ASSERT_TRUE(memo);
  SetFocus(memo->Command2);  // no blinking caret
  ShowTodayNotice(DateFromYmd(2004, 9, 10));
  for (HWND w : {memo->hwnd(), FormToday::Current()->hwnd()}) {
    const std::vector<DWORD> first = Capture(w, kUpdate);
    EXPECT_TRUE(first == Capture(w, kFullRepaint)) << (w == memo->hwnd() ? "memo" : "notice");
  }
}

}  // namespace
}  // namespace mekuri::testing
