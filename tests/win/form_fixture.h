#pragma once
// The program's windows in this process over a private folder, with the clock
// set and message boxes and tray calls recorded. Every window a test opens is
// made here, by the command or call the program itself uses.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/control_ids.h"
#include "platform/profile.h"
#include "platform/win32/cipher_library.h"
#include "platform/win32/message_box.h"
#include "platform/win32/text.h"
#include "platform/win32/window.h"
#include "memo/memo_store.h"
#include "shell/commands.h"
#include "about/win32/FormMsg.h"
#include "mainwindow/win32/Form1.h"
#include "commonlist/win32/Form3.h"
#include "memo/win32/Form2.h"
#include "memo/win32/Form4.h"
#include "memo/win32/FormToday.h"
#include "timesignal/win32/FormJihou.h"
#include "startup/win32/Module1_Startup.h"
#include "state/win32/Module1.h"

namespace mekuri::testing {

// The built program folder: MEKURI_DIST, or dist\ beside the test exe or above it.
std::filesystem::path DistFolder();
// A key to the focused control, for the loop that runs next.
void PostKey(UINT vk);
inline std::wstring Text(HWND hwnd) { return win::GetText(hwnd); }

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The main window on that day at 12:00, with its procedure and tray icon.
  Form1& LoadForm(int year = 2004, int month = 9, int day = 10);
  void SetClock(int year, int month, int day, int hour, int minute, int second);
  Form2* OpenMemo(Date day);  // the day's label double-clicked
  Form3& OpenCommon(const wchar_t* added = nullptr);  // with that text typed and added
  FormMsg* OpenMessage(const std::u16string& time, const std::u16string& text);
  FormJihou* OpenTimeSignal();
  FormToday* OpenNotice();
  // The date dialog, opened by `open` (default: over the main window); one
  // step per timer tick while its loop runs, then a cancel noted in dialogLeftOpen_.
  Date RunDateDialog(std::vector<std::function<void(Form4&)>> steps, const std::function<void()>& open = nullptr);

  HWND OpenFailingWindow();  // its handler of WM_APP fails as running out of memory does
  void PressKey(HWND target, UINT vk);
  // Real key strokes through the system's input queue: (virtual key, up).
  void SendKeys(const std::vector<std::pair<WORD, bool>>& keys);
  int CountLoaded(const wchar_t* formName) const;

  std::filesystem::path folder_;
  std::vector<win::MessageBoxCall> boxes_;
  std::vector<DWORD> trayMessages_;
  Form1* form_ = nullptr;
  bool dialogLeftOpen_ = false;
  std::unique_ptr<win::Window> failing_;
};

}  // namespace mekuri::testing
