// The main window as the user meets it: the month strip, its keys and
// messages, the grid it shows, where it opens and what it writes at exit.
#include <windows.h>
#include <commctrl.h>

#include "form_fixture.h"
#include "platform/control_ids.h"
#include "platform/win32/text.h"
#include "platform/win32/window.h"
#include "startup/win32/Module1_Startup.h"

namespace mekuri::testing {
namespace {

double Tpp() { return 1440.0 / win::SystemDpi(); }

RECT WindowRect(HWND hwnd) {
  RECT rc{};
  GetWindowRect(hwnd, &rc);
  return rc;
}

bool Underlined(HWND label) {
  LOGFONTW lf{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
  return lf.lfUnderline != 0;
}

using MainWindow = MainFormTest;

TEST_F(MainWindow, OpensWithItsCaptionControlsAndTheThreeMonthsAroundToday) {
  Form1& f = LoadForm(2004, 9, 10);
  wchar_t cls[64];
  GetClassNameW(f.hwnd(), cls, 64);
  EXPECT_STREQ(cls, L"Mekurinote.Form1");
  EXPECT_EQ(Text(f.hwnd()), L"めくりノート");
  EXPECT_EQ(GetDlgItem(f.hwnd(), TextId(1)), f.Text1);
  EXPECT_EQ(GetDlgItem(f.hwnd(), Label4Id(132)), f.Label4[132]);
  EXPECT_EQ(GetDlgItem(f.hwnd(), kStatusBarId), f.StatusBar1);
  EXPECT_EQ(Text(f.Text1), L"2004");
  EXPECT_EQ(Text(f.Text2), L"09");
  EXPECT_EQ(Text(f.Command1), L"更新");
  EXPECT_EQ(Text(f.Label6[0]), L"2004.08");
  EXPECT_EQ(Text(f.Label6[1]), L"2004.09");
  EXPECT_EQ(Text(f.Label6[2]), L"2004.10");
  EXPECT_EQ(Text(f.Label4[0]), L"日");
  // August 2004 starts on a Sunday at cell 7; September 10 is today.
  EXPECT_EQ(Text(f.Label4[7]), L" 1");
  EXPECT_EQ(Module1::dCellDate[7], DateFromYmd(2004, 8, 1));
  EXPECT_EQ(f.grid().cells[61].color, kColorToday);
  EXPECT_EQ(Text(f.Label4[61]), L"10");
  EXPECT_EQ(TooltipOf(f.Label4[61]), L"2004/09/10");
  EXPECT_EQ(TooltipOf(f.Label6[1]), L"2004.09");
  EXPECT_EQ(TooltipOf(f.Text1), L"年（1970～2100）を入力します。");
  EXPECT_EQ(TooltipOf(f.Command4), L"メニューを表示します。");
  EXPECT_EQ(TooltipOf(f.Command2), L"月をひとつ戻します。");
  EXPECT_EQ(TooltipOf(f.Command3), L"月をひとつ進めます。");
  EXPECT_EQ(TooltipOf(f.Command1), L"カレンダー表示を更新します。");
  RECT client{};
  GetClientRect(f.hwnd(), &client);
  EXPECT_EQ(client.right, win::Scale(243, win::WindowDpi(f.hwnd())));
  EXPECT_EQ(client.bottom, win::Scale(610, win::WindowDpi(f.hwnd())));
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(MainWindow, OutOfRangeInputIsRefusedAndTheDisplayStays) {
  Form1& f = LoadForm(2004, 9, 10);
  const auto before = Module1::dCellDate;
  const Date shown = f.dShownMonth;
  struct Case {
    const wchar_t* year;
    const wchar_t* month;
    const wchar_t* prompt;
  } cases[] = {
      {L"1969", L"09", L"年が不正です。\r\n1970～2100 の値を入力してください。"},
      {L"2101", L"09", L"年が不正です。\r\n1970～2100 の値を入力してください。"},
      {L"", L"09", L"年が不正です。\r\n1970～2100 の値を入力してください。"},
      {L"2005", L"0", L"月が不正です。\r\n1～12 の値を入力してください。"},
      {L"2005", L"13", L"月が不正です。\r\n1～12 の値を入力してください。"},
      {L"2005", L"", L"月が不正です。\r\n1～12 の値を入力してください。"},
  };
  for (const Case& c : cases) {
    boxes_.clear();
    SetBox(f.Text1, c.year);
    SetBox(f.Text2, c.month);
    SendMessageW(f.Command1, BM_CLICK, 0, 0);
    ASSERT_EQ(boxes_.size(), 1u) << c.year << "/" << c.month;
    EXPECT_EQ(boxes_[0].text, c.prompt);
    EXPECT_EQ(boxes_[0].title, L"処理中断");
    EXPECT_EQ(boxes_[0].style & (MB_ICONMASK | MB_TYPEMASK), static_cast<UINT>(MB_ICONSTOP | MB_OK));
    EXPECT_EQ(Module1::dCellDate, before);
    EXPECT_EQ(f.dShownMonth, shown);
    EXPECT_EQ(Text(f.Label6[1]), L"2004.09");
    EXPECT_EQ(Text(f.Text1), c.year) << "a refused value stays in its box";
  }
}

TEST_F(MainWindow, KeysInTheBoxesStepMonthsAndYears) {
  Form1& f = LoadForm(2004, 12, 1);
  PressKey(f.Text1, VK_DOWN);
  EXPECT_EQ(Text(f.Text1), L"2005");
  EXPECT_EQ(Text(f.Text2), L"01");
  EXPECT_EQ(Text(f.Label6[1]), L"2005.01");
  PressKey(f.Text2, VK_UP);
  EXPECT_EQ(Text(f.Text1), L"2004");
  EXPECT_EQ(Text(f.Text2), L"12");

  // Unapplied typing is replaced: steps start from the month on display.
  SetBox(f.Text1, L"2010");
  PressKey(f.Text1, VK_UP);
  EXPECT_EQ(Text(f.Label6[1]), L"2004.11");
  EXPECT_EQ(Text(f.Text1), L"2004");

  PressKey(f.Text1, VK_PRIOR);
  EXPECT_EQ(Text(f.Text1), L"2003");
  EXPECT_EQ(Text(f.Text2), L"11");
  PressKey(f.Text2, VK_NEXT);
  EXPECT_EQ(Text(f.Label6[1]), L"2004.11");

  SetBox(f.Text2, L"15");
  PressKey(f.Text2, VK_F5);
  EXPECT_EQ(Text(f.Text2), L"11");
  EXPECT_TRUE(boxes_.empty()) << "F5 drops the wrong month without a message";

  // Enter applies the boxes (the default button) and selects the text.
  SetBox(f.Text1, L"2006");
  SetBox(f.Text2, L"7");
  PressKey(f.Text2, VK_RETURN);
  EXPECT_EQ(Text(f.Label6[1]), L"2006.07");
  DWORD start = 0, end = 0;
  SendMessageW(f.Text2, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 1u);
  // A one-digit month is accepted and written back with two digits by a step.
  PressKey(f.Text2, VK_DOWN);
  EXPECT_EQ(Text(f.Text2), L"08");
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(MainWindow, StepsBeyondTheRangeAreRefusedWithTheYearMessage) {
  Form1& f = LoadForm(2100, 5, 1);
  PressKey(f.Text1, VK_NEXT);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_NE(boxes_[0].text.find(L"年が不正です。"), std::wstring::npos);
  EXPECT_EQ(Text(f.Label6[1]), L"2100.05");
}

TEST_F(MainWindow, ButtonsStepOneMonth) {
  Form1& f = LoadForm(2005, 1, 20);
  SendMessageW(f.Command2, BM_CLICK, 0, 0);
  EXPECT_EQ(Text(f.Text1), L"2004");
  EXPECT_EQ(Text(f.Text2), L"12");
  SendMessageW(f.Command3, BM_CLICK, 0, 0);
  SendMessageW(f.Command3, BM_CLICK, 0, 0);
  EXPECT_EQ(Text(f.Label6[1]), L"2005.02");
}

TEST_F(MainWindow, HolidayRulesAndMemosShowInTheGrid) {
  WriteSettings("[Mekurinote]\r\nS01=01/01\r\nS02=01:2:2\r\n");
  WriteFileBytes(Module1::strDatFile, "[Mekurinote]\r\n2007/01/15=abc\r\n2007/01/16=\r\n");
  Form1& f = LoadForm(2007, 1, 20);
  auto cellOf = [&](int y, int m, int d) {
    for (int i = 7; i < kGridCells; ++i) {
      if (Module1::dCellDate[i] == DateFromYmd(y, m, d)) return i;
    }
    return -1;
  };
  EXPECT_EQ(f.grid().cells[cellOf(2007, 1, 8)].color, kColorHoliday);
  EXPECT_EQ(f.grid().cells[cellOf(2007, 1, 9)].color, kColorPlain);
  const int memoDay = cellOf(2007, 1, 15);
  EXPECT_TRUE(Underlined(f.Label4[memoDay]));
  EXPECT_EQ(TooltipOf(f.Label4[memoDay]), L"2007/01/15 ...");
  EXPECT_FALSE(Underlined(f.Label4[cellOf(2007, 1, 16)])) << "an empty value is no memo";
  EXPECT_EQ(SendMessageW(f.List1, LB_GETCOUNT, 0, 0), 2);
}

TEST_F(MainWindow, LoadPlacesTheWindowBySavedEdges) {
  const int screenW = static_cast<int>(GetSystemMetrics(SM_CXSCREEN) * Tpp());
  struct Case {
    std::string lines;
    bool leftSet;
    int leftTwips;
    bool topSet;
    int topTwips;
  } cases[] = {
      {"StartX=-30\r\nStartY=1500\r\n", true, 0, true, 1500},
      {"StartX=1200.5\r\n", true, 1200, false, 0},
      {"StartX=99999999\r\nStartY=abc\r\n", true, 0, true, 0},
      {"StartX=" + std::to_string(screenW) + "\r\n", true, screenW, false, 0},
      {"StartX=" + std::to_string(screenW + 15) + "\r\n", true, 0, false, 0},
  };
  for (const Case& c : cases) {
    Module1::UnloadMainForm();
    WriteSettings("[Mekurinote]\r\n" + c.lines);
    Form1& f = LoadForm();
    const RECT rc = WindowRect(f.hwnd());
    const double tpp = Tpp();
    if (c.leftSet) {
      EXPECT_EQ(rc.left, static_cast<int>(c.leftTwips / tpp)) << c.lines;
    }
    if (c.topSet) {
      EXPECT_EQ(rc.top, static_cast<int>(c.topTwips / tpp)) << c.lines;
    } else {
      EXPECT_EQ(rc.top, win::Scale(16, win::SystemDpi())) << "design top kept: " << c.lines;
    }
  }
}

TEST_F(MainWindow, ExitWritesPositionAndSwitchesAndKeepsTheRest) {
  WriteSettings(
      "; my calendar\r\n[Mekurinote]\r\nEveryHour=1\r\nEveryHourBeep=00\r\nHidingCheck=0\r\n"
      "S01=01/01\r\nM01=12:00/lunch\r\n\r\n; end\r\n");
  EXPECT_TRUE(Module1::EveryHour);
  EXPECT_TRUE(Module1::EveryHourBeep) << "only the single character 0 is off";
  EXPECT_FALSE(Module1::HidingCheck);
  Form1& f = LoadForm();
  SetWindowPos(f.hwnd(), nullptr, 80, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Module1::EveryHour = false;
  Module1::HidingCheck = true;
  f.Unload();
  const std::string x = std::to_string(static_cast<int>(80 * Tpp()));
  const std::string y = std::to_string(static_cast<int>(40 * Tpp()));
  EXPECT_EQ(ReadFileBytes(Module1::strIniFile),
            "; my calendar\r\n[Mekurinote]\r\nEveryHour=0\r\n"
            "S01=01/01\r\nM01=12:00/lunch\r\nStartX=" + x + "\r\nStartY=" + y + "\r\n\r\n; end\r\n");
}

TEST_F(MainWindow, TheNextStartOpensWhereTheWindowWasLastRestored) {
  // Minimised, a window's own rectangle is its icon's, off the screen.
  const struct {
    const char* state;
    int show;
    int then;
  } cases[] = {{"shown", SW_SHOWNA, SW_SHOWNA}, {"minimised", SW_MINIMIZE, SW_MINIMIZE},
               {"minimised, then hidden", SW_MINIMIZE, SW_HIDE}};
  for (const auto& c : cases) {
    Module1::UnloadMainForm();
    WriteSettings("");
    Form1& f = LoadForm();
    SetWindowPos(f.hwnd(), nullptr, 80, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(f.hwnd(), c.show);
    ShowWindow(f.hwnd(), c.then);
    f.Unload();
    Module1::UnloadMainForm();
    const RECT rc = WindowRect(LoadForm().hwnd());
    EXPECT_EQ(std::make_pair(rc.left, rc.top), std::make_pair(80L, 40L)) << c.state;
  }
}

TEST_F(MainWindow, FirstExitWritesOnlyThePosition) {
  Form1& f = LoadForm();
  f.Unload();
  const std::string ini = ReadFileBytes(Module1::strIniFile);
  EXPECT_EQ(ini.rfind("[Mekurinote]\r\nStartX=", 0), 0u) << ini;
  EXPECT_NE(ini.find("\r\nStartY="), std::string::npos);
  EXPECT_EQ(ini.find("Every"), std::string::npos);
  EXPECT_EQ(ini.find("Hiding"), std::string::npos);
}

}  // namespace
}  // namespace mekuri::testing
