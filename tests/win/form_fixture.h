#pragma once
// The program's windows in this process over a private folder, the clock set, boxes and tray calls recorded.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
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

void PostKey(UINT vk);               // to the focused control, for the loop that runs next
inline std::wstring Text(HWND hwnd) { return win::GetText(hwnd); }
int CountLoaded(const wchar_t* formName);

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  Form1& LoadForm(int year = 2004, int month = 9, int day = 10);  // at 12:00, with its procedure and tray icon
  void SetClock(int year, int month, int day, int hour, int minute, int second);
  Form2* OpenMemo(Date day);                          // the day's label double-clicked
  Form3& OpenCommon(const wchar_t* added = nullptr);  // with that text typed and added
  void PressKey(HWND target, UINT vk) { SetFocus(target), PostKey(vk), win::PumpMessages(); }

  std::filesystem::path folder_;
  std::vector<win::MessageBoxCall> boxes_;
  std::vector<DWORD> trayMessages_;
  Form1* form_ = nullptr;
};

}  // namespace mekuri::testing
