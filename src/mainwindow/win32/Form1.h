#pragma once
// The main window: the month strip (year and month boxes, update, back,
// forward and menu buttons), the three-month grid and the status bar.
//
// Its parts live beside this header: Form1.cpp (controls, grid, month strip),
// Form1_Load.cpp (load and unload), Form1_Memo.cpp (memo openers),
// Form1_Shell.cpp (menus, showing and hiding, resident timers), Form1_Clock.cpp
// (clock, chime, scheduled messages), MainWndProc.cpp (the procedure start-up
// puts in front of the window's own) and command_dispatch.cpp (the command table).
//
// Message path: command ids from the menus and the other windows (WM_COMMAND
// with lParam 0, shell/commands.h) reach MainWndProc, which runs them through
// the command table (RunCommand); it also answers the tray icon, the close,
// the mouse's wheel and buttons and the session's end. What it passes on,
// control notifications included, reaches Form1::HandleMessage.
#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "base/date.h"
#include "calendar/grid_layout.h"
#include "platform/win32/controls.h"
#include "platform/win32/handles.h"
#include "platform/win32/window.h"
#include "shell/timers.h"
#include "timesignal/clock_ticker.h"
#include "timesignal/scheduled_messages.h"

namespace mekuri {

class Form1 : public win::Window {
 public:
  static constexpr int kClientWidth = 243;  // design client area, pixels at 96 DPI
  static constexpr int kClientHeight = 610;

  const wchar_t* FormName() const override { return L"Form1"; }

  // Creates the window hidden and runs its load sequence.
  bool Load();
  // Shows the window without taking the activation: at start-up the today
  // notice, shown last, takes it, so the windows before it need not.
  void Show();
  // The unload sequence, then the window goes away and the loop ends.
  void Unload() override;

  // Month strip and grid.
  void UpdateCalender();
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void OpenTodaysMonth();
  void Text1_GotFocus();
  void Text2_GotFocus();
  void Text1_KeyDown(int KeyCode, int Shift);
  void Text2_KeyDown(int KeyCode, int Shift);

  // Resident shell: menus, showing and hiding, timers.
  void Command4_Click();
  void TrayMenu();
  void ShowMainWindow();
  void HideMainWindow();
  void Timer1_Timer();  // date watch
  void Timer2_Timer();  // tray image
  void Timer5_Timer();  // hiding watch
  void Timer3_Timer();  // status-bar clock and the hourly chime
  void Timer4_Timer();  // scheduled messages
  // Two timers wake the window: the tray image's, only while it has work
  // (the window hidden, or the image not yet settled), and one at the turn
  // of each second that runs the clock, the scheduled messages, the date
  // watch and, every 30 s, the hiding watch.
  enum TimerId : UINT_PTR { kTimer2 = 2, kTimer3 = 3 };
  void SecondTick();
  HICON Picture1() const { return trayImage1_; }  // the two tray images
  HICON Picture2() const { return trayImage2_; }
  HICON FormIcon() const { return formIcon_; }

  // Memo openers. Label4_DblClick with kTodayIndex opens today's memo, as
  // the tray icon's double-click asks.
  static constexpr int kTodayIndex = 999;
  void Label4_DblClick(int& Index);
  void Today_DblClick(Date dDay, bool fNotSetPosition);
  void OpenToday();
  void OpenAllMemo();
  // Windows gives a process 10,000 window objects and a memo window takes
  // about 13; Wine ends a process that runs out of them (at about 32,700).
  // Opening all memos stops at this many memo windows, well short of both.
  static constexpr size_t kMaxMemoWindows = 500;

  Date dShownMonth;
  Date dToday;

  const Grid& grid() const { return grid_; }
  // The process ends when the main window is gone (off in tests).
  bool endLoopOnDestroy = false;

  // Controls, named as the window's design names them.
  HWND Text1 = nullptr;
  HWND Text2 = nullptr;
  HWND Label2 = nullptr;
  HWND Label3 = nullptr;
  HWND Frame1 = nullptr;
  HWND Frame2 = nullptr;
  HWND Frame3 = nullptr;
  HWND Command1 = nullptr;
  HWND Command2 = nullptr;
  HWND Command3 = nullptr;
  HWND Command4 = nullptr;
  std::array<HWND, kGridCells> Label4{};
  std::array<HWND, 3> Label6{};
  HWND List1 = nullptr;
  HWND StatusBar1 = nullptr;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void CreateControls() override;
  void Layout() override;
  void OnCommand(int id, int code) override;

 private:
  void Form_Load();
  void Form_Unload();
  void CreateFonts();
  void ShowGrid();
  std::vector<HWND> Labels() const;  // every static label, each behind LabelProc
  std::vector<HWND> ZOrder() const override;
  // Builds the grid; answers the months' holiday rules.
  std::vector<std::string> BuildMonths(int year, int month, bool memoMarks);
  int HeadingTop(int index) const;
  void TextBox_KeyDown(HWND box, int KeyCode);
  void StepYear(int delta);
  void ShowMonthOf(Date date);
  void StartTimers();
  void ArmSecondTick(const DateTime& now);
  void StartIconTimer();
  void ShowClock(const DateTime& now);
  void PopupMenu(const std::vector<struct MenuItem>& items);
  class Form2* OpenMemoWindow(Date date, bool place);
  void PlaceBeside(HWND memo);
  bool RejectMonthInput();
  HBRUSH OnCtlColorStatic(HDC dc, HWND control);
  static LRESULT CALLBACK LabelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK TextBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR refData);

  Grid grid_ = InitialGrid();
  bool cellFontsSet_ = false;  // the day cells have had their fonts
  win::ToolTips tips_;
  win::UniqueFont fontWindow_;
  win::UniqueFont fontCell_;
  win::UniqueFont fontCellMemo_;
  win::UniqueFont fontHeading_;
  win::UniqueFont fontHeadingChosen_;
  // The grid as its labels show it, so that a rebuild touches only what changed.
  std::array<GridCell, kGridCells> shownCells_{};
  std::array<GridHeading, 3> shownHeadings_{};
  HICON formIcon_ = nullptr;
  HICON trayImage1_ = nullptr;
  HICON trayImage2_ = nullptr;
  IconTimer iconTimer_;
  bool iconTimerOn_ = false;
  Period hidingPeriod_;
  int secondTimerMs_ = 0;  // the shared timer's interval as last set
  ClockTicker clockTicker_;
  MessageTicker msgTicker_;
  win::UniqueFont fontStatusBold_;
  bool statusBold_ = false;
};

}  // namespace mekuri
