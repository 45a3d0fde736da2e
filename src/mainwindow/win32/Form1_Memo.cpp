// The main window's memo openers: a date becomes an open memo window, at
// most one per date, found by its caption.
#include <windows.h>

#include <algorithm>
#include <set>
#include <string>

#include "base/texts.h"
#include "mainwindow/win32/Form1.h"
#include "memo/memo_store.h"
#include "memo/win32/Form2.h"
#include "platform/profile.h"
#include "platform/win32/cipher_library.h"
#include "platform/win32/clock.h"
#include "platform/win32/message_box.h"
#include "platform/win32/placement.h"
#include "platform/win32/text.h"
#include "state/win32/Module1.h"

namespace mekuri {
namespace {

std::wstring MemoCaption(Date date) {
  const std::string key = MemoKey(date);
  return win::Wide(kMemoCaptionPrefix) + std::wstring(key.begin(), key.end());
}

// The open memo window of a date, found as the user sees it: by its caption.
HWND FindMemoWindow(Date date) {
  return FindWindowW(win::WindowClassName(L"Form2").c_str(), MemoCaption(date).c_str());
}

}  // namespace

Form2* Form1::OpenMemoWindow(Date date, bool place) {
  if (HWND open = FindMemoWindow(date)) {
    if (IsIconic(open)) ShowWindow(open, SW_RESTORE);
    SetForegroundWindow(open);
    return nullptr;
  }
  const size_t loadedBefore = Window::Loaded().size();
  Form2* memo = Form2::Open();
  if (!memo) return nullptr;  // out of window resources: stop quietly
  memo->Fill(date, ReadMemo(Module1::strDatFile, win::Cipher(Module1::strAppPath), MemoKey(date)));
  if (place && loadedBefore == 1) PlaceBeside(memo->hwnd());
  if (Module1::startupFinished) memo->Show();
  return memo;
}

// Beside the main window as it is when restored (minimised or hidden, it
// still has that place): on its right, or on its left when the memo would not
// fit on the right; level with it, or on the bottom edge when the main window
// reaches it. The edges are those of the work area of the main window's
// monitor, and the memo stays whole on that work area.
void Form1::PlaceBeside(HWND memo) {
  const RECT main = win::RestoredRect(hwnd());
  const RECT area = win::WorkAreaOf(main);
  RECT own{};
  GetWindowRect(memo, &own);
  const LONG memoW = own.right - own.left;
  const LONG memoH = own.bottom - own.top;
  LONG x = (area.right - memoW <= main.right) ? main.left - memoW : main.right;
  LONG y = (main.bottom >= area.bottom) ? area.bottom - memoH : main.top;
  x = std::max(std::min(x, area.right - memoW), area.left);
  y = std::max(std::min(y, area.bottom - memoH), area.top);
  if (x == own.left && y == own.top) return;  // a move, even to where it is, costs the window system work
  SetWindowPos(memo, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form1::Label4_DblClick(int& Index) {
  if (Index == kTodayIndex) {
    Index = 0;
    Module1::dCellDate[0] = win::Today();
  } else if (Index < 7) {
    return;
  }
  if (Index < 0 || Index >= kGridCells || Module1::dCellDate[Index] == kZeroDate) return;
  OpenMemoWindow(Module1::dCellDate[Index], true);
}

void Form1::Today_DblClick(Date dDay, bool fNotSetPosition) { OpenMemoWindow(dDay, !fNotSetPosition); }

void Form1::OpenToday() {
  for (int index = 42; index <= 111; ++index) {
    if (Module1::dCellDate[index] != dToday) continue;
    Label4_DblClick(index);
    const std::vector<Form2*> memos = LoadedMemoWindows();
    if (memos.empty()) return;
    Module1::todayMemo = memos.back();
    PlaceBeside(Module1::todayMemo->hwnd());
    return;
  }
}

void Form1::OpenAllMemo() {
  SendMessageW(List1, LB_RESETCONTENT, 0, 0);
  const std::optional<std::string> bytes = profile::ReadBytes(Module1::strDatFile);
  if (!bytes) return;
  const std::vector<Date> dates = AllMemoDates(*bytes);
  for (Date date : dates) {
    SendMessageW(List1, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win::WideAscii(MemoKey(date)).c_str()));
  }
  std::wstring stop;
  for (Date date : dates) {
    const bool alreadyOpen = FindMemoWindow(date) != nullptr;
    // When no more windows can be created, the rest stay closed.
    if (!alreadyOpen && LoadedMemoWindows().size() >= kMaxMemoWindows) {
      stop = win::Wide(kWindowLimitLead) + std::to_wstring(kMaxMemoWindows) + win::Wide(kWindowLimitMiddle);
      break;
    }
    if (!OpenMemoWindow(date, false) && !alreadyOpen) {
      stop = win::Wide(kNoMoreWindowsLead);
      break;
    }
  }
  if (stop.empty()) return;
  // The user is told how many stayed closed, counted by caption.
  std::set<std::wstring> open;
  for (Form2* memo : LoadedMemoWindows()) open.insert(win::GetText(memo->hwnd()));
  const auto closed = std::count_if(dates.begin(), dates.end(),
                                    [&open](Date date) { return !open.count(MemoCaption(date)); });
  win::ShowMessageBox(IsWindowVisible(hwnd()) ? hwnd() : nullptr,
                      stop + win::Wide(kNotOpenedLead) + std::to_wstring(closed) + win::Wide(kNotOpenedTail),
                      win::Wide(kStopTitle), MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace mekuri
