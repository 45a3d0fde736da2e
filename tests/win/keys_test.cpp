// Keys and focus as the windows receive them: the month boxes' keys, Ctrl+A/S and Esc in a memo.
#include "form_fixture.h"

namespace mekuri::testing {
namespace {

using Keys = MainFormTest;
using Strokes = std::vector<std::pair<WORD, bool>>;  // (virtual key, up)
Strokes With(WORD modifier, WORD vk) { return {{modifier, false}, {vk, false}, {vk, true}, {modifier, true}}; }

// Real key strokes through the system's input queue.
void SendKeys(const Strokes& keys) {
  std::vector<INPUT> inputs;
  for (const auto& [vk, up] : keys)
    inputs.push_back({INPUT_KEYBOARD}), inputs.back().ki = {vk, 0, up ? DWORD{KEYEVENTF_KEYUP} : 0};
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  for (int i = 0; i < 20; ++i, Sleep(5)) win::PumpMessages();
}

// One script: each step types into the boxes (nullptr leaves them) and presses a key in one.
TEST_F(Keys, MonthBoxKeysStepApplyAndDropUnappliedTyping) {
  Form1& f = LoadForm(2004, 12, 1);
  const struct { const wchar_t *year, *month; bool inMonthBox; UINT vk; const wchar_t* shownAndBoxes; } steps[] = {
      {nullptr, nullptr, false, VK_DOWN, L"2005.01 2005/01"},
      {nullptr, nullptr, true, VK_UP, L"2004.12 2004/12"},
      {L"2010", nullptr, false, VK_UP, L"2004.11 2004/11"},  // steps start from the month on display
      {nullptr, nullptr, false, VK_PRIOR, L"2003.11 2003/11"},
      {nullptr, nullptr, true, VK_NEXT, L"2004.11 2004/11"},
      {nullptr, L"15", true, VK_F5, L"2004.11 2004/11"},     // F5 drops a wrong month quietly
      {L"2006", L"7", true, VK_RETURN, L"2006.07 2006/7"},  // Enter presses the default button
      {nullptr, nullptr, true, VK_DOWN, L"2006.08 2006/08"},
  };
  for (const auto& s : steps) {
    if (s.year) SetWindowTextW(f.Text1, s.year);
    if (s.month) SetWindowTextW(f.Text2, s.month);
    PressKey(s.inMonthBox ? f.Text2 : f.Text1, s.vk);
    EXPECT_EQ(Text(f.Label6[1]) + L" " + Text(f.Text1) + L"/" + Text(f.Text2), s.shownAndBoxes);
  }
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(Keys, MemoSelectsAllSavesWithCtrlSAndEscClosesOnlyWhenSaved) {
  LoadForm(2004, 9, 10);
  const Date day = DateFromYmd(2004, 9, 15);
  Form2* memo = OpenMemo(day);
  ASSERT_NE(memo, nullptr);
  auto stored = [&] { return profile::Read(kMemoSection, MemoKey(day), "", 256, Module1::strDatFile).text; };
  SetForegroundWindow(memo->hwnd()), SetFocus(memo->Text1);
  SendKeys({{'M', false}, {'M', true}, {'O', false}, {'O', true}});
  ASSERT_EQ(Text(memo->Text1), L"mo");
  SendKeys({{VK_ESCAPE, false}, {VK_ESCAPE, true}});
  ASSERT_EQ(LoadedMemoWindows().size(), 1u) << "Esc with unsaved typing closes nothing";
  SendKeys(With(VK_CONTROL, 'A'));
  DWORD start = 1, end = 0;
  SendMessageW(memo->Text1, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(std::make_pair(start, end), std::make_pair(DWORD{0}, DWORD{2})) << "Ctrl+A selects all";
  SendKeys({{VK_CONTROL, false}, {VK_SHIFT, false}, {'S', false}, {'S', true}, {VK_SHIFT, true}, {VK_CONTROL, true}});
  EXPECT_EQ(stored(), "") << "Ctrl+Shift+S does not save";
  SendKeys(With(VK_CONTROL, 'S'));
  EXPECT_NE(stored(), "");
  EXPECT_EQ(Text(memo->Text1), L"mo") << "Ctrl+S typed nothing";
  SendKeys({{VK_ESCAPE, false}, {VK_ESCAPE, true}});
  EXPECT_TRUE(LoadedMemoWindows().empty());
}

}  // namespace
}  // namespace mekuri::testing
